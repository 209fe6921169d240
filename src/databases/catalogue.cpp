#include "databases/catalogue.h"

#include "core/paths.h"
#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
void RequireWritable(const TDataBaseName& entry) {
    const auto breaksLine = [](const QString& text) {
        return text.contains(u'\n') || text.contains(u'\r');
    };
    if (breaksLine(entry.name) || breaksLine(entry.folder))
        throw StoreError(u"The database catalogue cannot hold a line break (entry \"%1\")."_s.arg(
            entry.name.simplified()));
    if (entry.name.contains(u'*'))
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

} // namespace zovi
