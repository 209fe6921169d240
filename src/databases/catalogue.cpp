#include "databases/catalogue.h"

#include "core/paths.h"
#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <utility>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The lines of bases.ini as text, without line ends; empty when the file is missing or cannot
// be read, so that a broken catalogue shows an empty list instead of stopping the start-up.
QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = DecodeText(file.readAll());
    text.remove(u'\r');
    return text.split(u'\n');
}

// A name or folder that would change the catalogue's lines when written back: a line break
// would split the entry, a "*" in the name would move the split between name and folder.
bool BreaksLine(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

void RequireWritable(const TDataBaseName& entry) {
    if (BreaksLine(entry.name) || BreaksLine(entry.folder))
        throw StoreError(u"The database catalogue cannot hold a line break (entry \"%1\")."_s.arg(
            entry.name.simplified()));
    if (!Catalogue::canHoldName(entry.name))
        throw StoreError(
            u"A database name cannot hold the character \"*\" (\"%1\")."_s.arg(entry.name));
}

} // namespace

QString Catalogue::path() {
    return FindFile(ProgramFolder::path(), u"bases.ini"_s);
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
    const QString databases = ProgramFolder::file(u"Databases/"_s);
    write({{userName(), databases + u"Default/"_s},
           {QStringLiteral("Пример"), databases + u"Example/"_s}});
}

QList<TDataBaseName> Catalogue::readForChooser() {
    QList<TDataBaseName> entries;
    for (const QString& line : ReadLines(path())) {
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

QList<TDataBaseName> Catalogue::readForEditor() {
    QList<TDataBaseName> entries;
    for (const QString& line : ReadLines(path())) {
        if (line.isEmpty())
            continue;
        const qsizetype star = line.indexOf(u'*');
        if (star < 0)
            entries.append({line, line});
        else
            entries.append({line.left(star), line.mid(star + 1)});
    }
    return entries;
}

void Catalogue::write(const QList<TDataBaseName>& entries) {
    QByteArray bytes;
    for (const TDataBaseName& entry : entries) {
        RequireWritable(entry);
        bytes += (entry.name + u'*' + entry.folder).toUtf8() + '\n';
    }
    const QString file = path();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw StoreError(u"The database catalogue %1 cannot be written: %2"_s.arg(
            QDir::toNativeSeparators(file), out.errorString()));
}

bool Catalogue::canHoldName(const QString& name) {
    return !name.contains(u'*') && !BreaksLine(name);
}

QString Catalogue::withSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

CatalogueDraft::CatalogueDraft(QList<TDataBaseName> entries) : m_entries(std::move(entries)) {
    if (m_entries.isEmpty())
        m_entries.append(TDataBaseName());
}

CatalogueDraft CatalogueDraft::read() {
    return CatalogueDraft(Catalogue::readForEditor());
}

bool CatalogueDraft::hasDatabase() const {
    return !m_entries.constFirst().folder.isEmpty();
}

int CatalogueDraft::add(const TDataBaseName& entry) {
    const TDataBaseName& first = m_entries.constFirst();
    if (m_entries.size() == 1 && first.name.isEmpty() && first.folder.isEmpty()) {
        m_entries.first() = entry;
        return 0;
    }
    m_entries.append(entry);
    return int(m_entries.size() - 1);
}

int CatalogueDraft::remove(int row) {
    if (row < 0 || row >= m_entries.size())
        return 0;
    m_entries.removeAt(row);
    if (m_entries.isEmpty())
        m_entries.append(TDataBaseName());
    return qMin(row, int(m_entries.size() - 1));
}

void CatalogueDraft::rename(int row, const QString& name) {
    if (row >= 0 && row < m_entries.size())
        m_entries[row].name = name;
}

void CatalogueDraft::write() const {
    Catalogue::write(m_entries);
}

} // namespace zovi
