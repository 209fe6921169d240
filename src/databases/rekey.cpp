#include "databases/rekey.h"

#include "core/lang.h"
#include "databases/databasefolder.h"
#include "databases/filesteps.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/folderlock.h"
#include "store/oldtable.h"
#include "store/schema.h"
#include "store/tablecrypt.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace zovi::Rekey {

namespace {

// The hidden folders of a rewrite inside the database folder: one being written
// (".zovi-rekey-…"), the committed one (".zovi-rekeyed") and the one being removed once every
// file has moved out of it.
const QString kStagingPrefix = u".zovi-rekey-"_s;
const QString kCommitFolder = u".zovi-rekeyed"_s;
const QString kDoneFolder = u".zovi-rekey-done"_s;

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool IsPasswordFile(const QString& name) {
    return SameName(name, schemas::Password().fileName);
}

// Whether file is a table file to rewrite: readable as SQLite's format when the tables are plain,
// encrypted when they have a key.
bool IsTableFile(const QString& file, bool encrypted) {
    return encrypted ? TableCrypt::looksEncrypted(file) : IsSqliteFile(file);
}

// The places of a database folder that hold table files: the folder itself, its copies at close
// and the copy before them, as paths relative to the folder ("" for the folder).
QStringList Places(const QString& folder) {
    QStringList places{QString()};
    const QString copies = DatabaseFolder::copiesFolder(folder);
    for (const QString& place : {copies, QDir(copies).filePath(u"previous"_s)}) {
        if (QFileInfo(place).isDir())
            places << QDir(folder).relativeFilePath(place);
    }
    return places;
}

// Moves the files of a committed rewrite into their places, the password files of each place
// last, and removes the commit folder. Each step can be taken again after a kill.
bool RollForward(const QString& folder, QString* reason) {
    const QDir dir(folder);
    const QString commit = dir.filePath(kCommitFolder);
    QStringList files;
    QDirIterator it(commit, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(commit).relativeFilePath(it.next());
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const bool aLast = IsPasswordFile(QFileInfo(a).fileName());
        const bool bLast = IsPasswordFile(QFileInfo(b).fileName());
        return aLast != bLast ? bLast : a < b;
    });
    QStringList places;
    for (const QString& relative : std::as_const(files)) {
        const QFileInfo info(dir.filePath(relative));
        const QString place = info.absolutePath();
        if (!QDir().mkpath(place)) {
            *reason = u"The folder %1 cannot be made."_s.arg(Native(place));
            return false;
        }
        // The old file's journal belongs to the old file: left beside the new one, SQLite would
        // take it for the new file's and play the old pages back into it.
        const QString target = FindFile(place, info.fileName());
        QFile::remove(target + u"-journal"_s);
        if (!FileSteps::Rename(QDir(commit).filePath(relative), target, reason))
            return false;
        if (!places.contains(place))
            places << place;
        FileSteps::Checkpoint();
    }
    for (const QString& place : std::as_const(places))
        FileSteps::SyncFolder(place);
    // Renamed into a staging name before it is removed, so that a half-removed commit folder is
    // never taken for one to finish.
    const QString done = dir.filePath(kDoneFolder);
    QDir(done).removeRecursively();
    if (!FileSteps::Rename(commit, done, reason))
        return false;
    FileSteps::SyncFolder(folder);
    QDir(done).removeRecursively();
    FileSteps::Checkpoint();
    return true;
}

// Finishes a committed rewrite and removes the staging folders of rewrites that never reached
// their point of no return. The caller holds the folder.
bool FinishRewrite(const QString& folder, QString* reason) {
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(kCommitFolder)).isDir() && !RollForward(folder, reason))
        return false;
    const QDir::Filters all = QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : dir.entryInfoList({kStagingPrefix + u'*'}, all)) {
        if (!entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
    }
    return true;
}

// Writes into staging the new data.un: the folder's own, its first row holding the new text.
void WritePasswordFile(const QString& folder, const QString& staging, const QString& stored) {
    const QString source = DatabaseFolder::passwordFile(folder);
    const QString target = QDir(staging).filePath(QFileInfo(source).fileName());
    QString reason;
    if (!FileSteps::CopyBytes(source, target, &reason))
        throw StoreError(reason);
    // data.un stays plain: the password is checked before any key exists.
    TableCrypt::remember(target, nullptr);
    try {
        DatabaseFolder::setStoredPassword(staging, stored);
    } catch (...) {
        TableCrypt::forget(target);
        throw;
    }
    TableCrypt::forget(target);
}

// Writes the staging folder: every table file of every place under the new key, and the new
// data.un wherever a place has one.
void WriteStaging(const QString& folder, const QString& staging, const Change& change) {
    const QDir dir(folder);
    WritePasswordFile(folder, staging, change.stored);
    const QString password =
        QDir(staging).filePath(QFileInfo(DatabaseFolder::passwordFile(folder)).fileName());
    FileSteps::Checkpoint();
    const QStringList listed = DatabaseFolder::listedFiles(folder);
    for (const QString& place : Places(folder)) {
        const QString from = dir.filePath(place);
        const QString into = QDir(staging).filePath(place);
        if (!QDir().mkpath(into))
            throw StoreError(u"The folder %1 cannot be made."_s.arg(Native(into)));
        QStringList names = listed;
        for (const QString& name : DatabaseFolder::listedFiles(from)) {
            if (std::none_of(names.cbegin(), names.cend(),
                             [&](const QString& n) { return SameName(n, name); }))
                names << name;
        }
        for (const QString& name : std::as_const(names)) {
            const QString source = FindFile(from, name);
            if (!QFileInfo(source).isFile())
                continue;
            const QString target = QDir(into).filePath(QFileInfo(source).fileName());
            if (IsPasswordFile(name)) {
                if (!place.isEmpty()) {
                    QString reason;
                    if (!FileSteps::CopyBytes(password, target, &reason))
                        throw StoreError(reason);
                    FileSteps::Checkpoint();
                }
                continue;
            }
            if (!IsTableFile(source, change.oldKey != nullptr))
                continue;
            TableCrypt::rewrite(source, change.oldKey, target, change.newKey);
            FileSteps::Checkpoint();
        }
        FileSteps::SyncFolder(into);
    }
}

} // namespace

void apply(const QString& folder, const Change& change) {
    if (!DatabaseFolder::exists(folder))
        throw StoreError(u"The folder %1 holds no database."_s.arg(Native(folder)));
    FolderLock lock;
    if (lock.acquire(folder) == FolderLock::Result::Busy)
        throw StoreError(
            LangText(u"dbinuse"_s, u"The database is already open in another window."_s));
    QString reason;
    if (!FinishRewrite(folder, &reason))
        throw StoreError(reason);
    const QString copies = DatabaseFolder::copiesFolder(folder);
    if (QFileInfo(copies).isDir() && !BackupCopy::finishInterrupted(copies, &reason))
        throw StoreError(reason);

    QTemporaryDir made(QDir(folder).filePath(kStagingPrefix + u"XXXXXX"_s));
    if (!made.isValid())
        throw StoreError(
            u"No folder can be made in %1: %2"_s.arg(Native(folder), made.errorString()));
    try {
        WriteStaging(folder, made.path(), change);
    } catch (...) {
        made.remove();
        throw;
    }
    FileSteps::SyncFolder(made.path());
    // The point of no return: from now on the rewrite is finished, here or at the next opening.
    if (!FileSteps::Rename(made.path(), QDir(folder).filePath(kCommitFolder), &reason)) {
        made.remove();
        throw StoreError(reason);
    }
    made.setAutoRemove(false);
    FileSteps::SyncFolder(folder);
    FileSteps::Checkpoint();
    // The key this process may hold for the folder is the old one.
    TableCrypt::forget(folder);
    if (!RollForward(folder, &reason))
        throw StoreError(reason);
}

bool finishInterrupted(const QString& folder, QString* reason) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return true;
    // Nothing left by a rewrite: the folder is not touched (not even by its lock file).
    const QDir::Filters all = QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot;
    if (QDir(folder).entryList({u".zovi-rekey*"_s}, all).isEmpty())
        return true;
    FolderLock lock;
    if (lock.acquire(folder) == FolderLock::Result::Busy)
        return true;
    QString why;
    if (FinishRewrite(folder, &why))
        return true;
    if (reason)
        *reason = why;
    return false;
}

} // namespace zovi::Rekey
