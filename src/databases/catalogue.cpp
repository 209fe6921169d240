#include "databases/catalogue.h"

#include "core/keptfile.h"
#include "core/lang.h"
#include "core/paths.h"
#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// One line of bases.ini: its bytes as stored (without the line feed) and its text. Each line is
// decoded on its own, UTF-8 when it is valid UTF-8 and Windows-1251 otherwise, so that a line
// written by an older program does not garble the others.
struct CatalogueLine {
    QByteArray bytes;
    QString text;
};

// The lines of bases.ini; none when the file is missing. A file that exists but cannot be read
// throws StoreError, so that a broken catalogue is told apart from an empty one.
QList<CatalogueLine> ReadLines(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    QFile file(path);
    QByteArray bytes;
    bool read = !info.isDir() && file.open(QIODevice::ReadOnly);
    if (read) {
        bytes = file.readAll();
        read = file.error() == QFileDevice::NoError;
    }
    if (!read)
        throw StoreError(
            LangText(u"basesread"_s, u"The database catalogue %1 cannot be read: %2."_s)
                .arg(QDir::toNativeSeparators(path),
                     info.isDir() ? u"it is a folder"_s : file.errorString()));
    QList<CatalogueLine> lines;
    for (const QByteArray& raw : bytes.split('\n')) {
        QString text = DecodeText(raw);
        text.remove(u'\r');
        lines.append({raw, text});
    }
    return lines;
}

// The entry of a line as the catalogue editor reads it; none for an empty line.
std::optional<CatalogueEntry> EditorEntry(const QString& line) {
    if (line.isEmpty())
        return std::nullopt;
    const qsizetype star = line.indexOf(u'*');
    if (star < 0)
        return CatalogueEntry{line, line};
    return CatalogueEntry{line.left(star), line.mid(star + 1)};
}

// Replaces bases.ini with bytes, whole or not at all.
void WriteCatalogue(const QByteArray& bytes) {
    const QString file = Catalogue::path();
    if (const auto failure = WriteKeptFile(file, bytes))
        throw StoreError(*failure);
}

// A name or folder that would change the catalogue's lines when written back: a line break
// would split the entry, a "*" in the name would move the split between name and folder.
bool BreaksLine(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

void RequireWritable(const CatalogueEntry& entry) {
    if (BreaksLine(entry.name) || BreaksLine(entry.folder))
        throw StoreError(u"The database catalogue cannot hold a line break (entry \"%1\")."_s.arg(
            entry.name.simplified()));
    if (!Catalogue::canHoldName(entry.name))
        throw StoreError(
            u"A database name cannot hold the character \"*\" (\"%1\")."_s.arg(entry.name));
}

} // namespace

QString Catalogue::path() {
    return FindFile(DataFolder::path(), u"bases.ini"_s);
}

QString Catalogue::userName() {
    QString name = qEnvironmentVariable("USER");
    if (IsBlank(name))
        name = QDir::home().dirName();
    // The name becomes the part of a catalogue line before its "*".
    name.remove(u'*');
    name.remove(u'\n');
    name.remove(u'\r');
    if (IsBlank(name))
        name = u"User"_s;
    return name;
}

void Catalogue::ensureExists() {
    if (QFileInfo::exists(path()))
        return;
    const QString databases = DataFolder::file(u"Databases/"_s);
    write({{userName(), databases + u"Default/"_s},
           {QStringLiteral("Пример"), databases + u"Example/"_s}});
}

QList<CatalogueEntry> Catalogue::readForChooser() {
    QList<CatalogueEntry> entries;
    for (const CatalogueLine& read : ReadLines(path())) {
        const QString& line = read.text;
        if (IsBlank(line))
            continue;
        const qsizetype star = line.indexOf(u'*');
        if (star < 0) {
            entries.append({line, QString()});
            continue;
        }
        // The folder of a line ends with its separator; the chooser drops the line's last
        // character, whatever it is.
        QString folder = line.mid(star + 1);
        folder.chop(1);
        entries.append({line.left(star), folder});
    }
    return entries;
}

QList<CatalogueEntry> Catalogue::readForEditor() {
    QList<CatalogueEntry> entries;
    for (const CatalogueLine& line : ReadLines(path())) {
        if (const auto entry = EditorEntry(line.text))
            entries.append(*entry);
    }
    return entries;
}

void Catalogue::write(const QList<CatalogueEntry>& entries) {
    QByteArray bytes;
    for (const CatalogueEntry& entry : entries) {
        RequireWritable(entry);
        bytes += (entry.name + u'*' + entry.folder).toUtf8() + '\n';
    }
    WriteCatalogue(bytes);
}

bool Catalogue::canHoldName(const QString& name) {
    return !name.contains(u'*') && !BreaksLine(name);
}

QString Catalogue::withSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

CatalogueDraft::CatalogueDraft(QList<CatalogueEntry> entries) : m_entries(std::move(entries)) {
    if (m_entries.isEmpty())
        m_entries.append(CatalogueEntry());
    m_lines.resize(m_entries.size());
}

CatalogueDraft CatalogueDraft::read() {
    QList<CatalogueEntry> entries;
    QList<ReadLine> lines;
    for (const CatalogueLine& line : ReadLines(Catalogue::path())) {
        if (const auto entry = EditorEntry(line.text)) {
            entries.append(*entry);
            lines.append({line.bytes, *entry});
        }
    }
    CatalogueDraft draft(entries);
    if (!entries.isEmpty())
        draft.m_lines = lines;
    return draft;
}

bool CatalogueDraft::hasDatabase() const {
    return !m_entries.constFirst().folder.isEmpty();
}

int CatalogueDraft::add(const CatalogueEntry& entry) {
    const CatalogueEntry& first = m_entries.constFirst();
    if (m_entries.size() == 1 && first.name.isEmpty() && first.folder.isEmpty()) {
        m_entries.first() = entry;
        m_lines.first() = ReadLine();
        return 0;
    }
    m_entries.append(entry);
    m_lines.append(ReadLine());
    return int(m_entries.size() - 1);
}

int CatalogueDraft::remove(int row) {
    if (row < 0 || row >= m_entries.size())
        return 0;
    m_entries.removeAt(row);
    m_lines.removeAt(row);
    if (m_entries.isEmpty()) {
        m_entries.append(CatalogueEntry());
        m_lines.append(ReadLine());
    }
    return qMin(row, int(m_entries.size() - 1));
}

void CatalogueDraft::rename(int row, const QString& name) {
    if (row >= 0 && row < m_entries.size())
        m_entries[row].name = name;
}

void CatalogueDraft::write() const {
    QByteArray bytes;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const CatalogueEntry& entry = m_entries.at(i);
        const ReadLine& line = m_lines.at(i);
        // An entry as it was read keeps the bytes of its line, whatever their encoding.
        if (!line.bytes.isNull() && entry.name == line.entry.name &&
            entry.folder == line.entry.folder) {
            bytes += line.bytes + '\n';
            continue;
        }
        RequireWritable(entry);
        bytes += (entry.name + u'*' + entry.folder).toUtf8() + '\n';
    }
    WriteCatalogue(bytes);
}

} // namespace zovi
