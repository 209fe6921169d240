#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The folder given by set(); empty when none is.
QString& explicitFolder() {
    static QString folder;
    return folder;
}

// The folder with forward slashes and without trailing separators (the root stays "/").
QString withoutTrailingSeparator(const QString& folder) {
    QString result = QDir::fromNativeSeparators(folder);
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

// The user's own folder for the program's data.
QString userFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Zovi"_s;
    return withoutTrailingSeparator(folder);
}

// The folder given by BackupsFolder::set(); empty when none is.
QString& explicitBackupsFolder() {
    static QString folder;
    return folder;
}

// Copies the folder from into to, file by file, keeping every file that is already there.
void copyMissing(const QString& from, const QString& to) {
    QDirIterator files(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        if (QFileInfo::exists(target))
            continue;
        QDir().mkpath(QFileInfo(target).path());
        if (QFile::copy(source, target))
            QFile(target).setPermissions(QFile::permissions(target) | QFile::WriteOwner);
    }
}

// Makes the user's folder and copies into it what the program needs there: the shipped
// databases once (a database the user deleted later stays deleted) and the print tables whenever
// one is missing.
void seed(const QString& program, const QString& user) {
    QDir().mkpath(user);
    if (!QFileInfo::exists(user + u"/Databases"_s))
        copyMissing(program + u"/Databases"_s, user + u"/Databases"_s);
    QDir().mkpath(user + u"/Report"_s);
    const QDir report(program + u"/Report"_s);
    for (const QString& name : report.entryList({u"*.db"_s}, QDir::Files)) {
        const QString target = user + u"/Report/"_s + name;
        if (!QFileInfo::exists(target) && QFile::copy(report.filePath(name), target))
            QFile(target).setPermissions(QFile::permissions(target) | QFile::WriteOwner);
    }
    QDir().mkpath(user + u"/CFT"_s);
}

// The data folder last worked out, for the program folder it was worked out for.
struct DataFolderCache {
    QMutex mutex;
    QString program;
    QString folder;
};

DataFolderCache& dataCache() {
    static DataFolderCache cache;
    return cache;
}

} // namespace

bool IsPlainFileName(const QString& name) {
    if (name.isEmpty() || name == u"."_s || name == u".."_s || QDir::isAbsolutePath(name))
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u'/' || c == u'\\' || c.category() == QChar::Other_Control;
    });
}

QString ProgramFolder::path() {
    if (!explicitFolder().isEmpty())
        return explicitFolder();
    const QString fromEnvironment = qEnvironmentVariable("ZOVI_PROGRAM_DIR");
    if (!fromEnvironment.isEmpty())
        return withoutTrailingSeparator(fromEnvironment);
    if (QCoreApplication::instance() != nullptr)
        return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
    return withoutTrailingSeparator(QDir::currentPath());
}

QString ProgramFolder::file(const QString& name) {
    return path() + u'/' + name;
}

void ProgramFolder::set(const QString& folder) {
    explicitFolder() = withoutTrailingSeparator(folder);
}

void ProgramFolder::reset() {
    explicitFolder().clear();
}

bool DataFolder::isWritable(const QString& folder) {
    // Permission bits alone do not tell: a read-only file system, or an administrator, says
    // otherwise. A file made and removed again does.
    QFile probe(folder + u"/.zovi-write-"_s + QUuid::createUuid().toString(QUuid::Id128));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString DataFolder::path() {
    const QString program = ProgramFolder::path();
    DataFolderCache& cache = dataCache();
    QMutexLocker lock(&cache.mutex);
    if (cache.program != program || cache.folder.isEmpty()) {
        cache.program = program;
        // A folder that does not exist is not an installed one: it stays the place to write.
        if (!QFileInfo(program).isDir() || isWritable(program)) {
            cache.folder = program;
        } else {
            cache.folder = userFolder();
            seed(program, cache.folder);
        }
    }
    return cache.folder;
}

QString DataFolder::file(const QString& name) {
    return path() + u'/' + name;
}

bool DataFolder::isProgramFolder() {
    return path() == ProgramFolder::path();
}

QString BackupsFolder::path() {
    QString folder = explicitBackupsFolder();
    if (folder.isEmpty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty())
            documents = QDir::homePath();
        folder = withoutTrailingSeparator(documents) + u"/Zovi backups"_s;
    }
    QDir().mkpath(folder);
    return folder;
}

void BackupsFolder::set(const QString& folder) {
    explicitBackupsFolder() = withoutTrailingSeparator(folder);
}

void BackupsFolder::reset() {
    explicitBackupsFolder().clear();
}

} // namespace zovi
