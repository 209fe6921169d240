#include "databases/databasefolder.h"

#include "core/keptfile.h"
#include "core/lang.h"
#include "core/paths.h"
#include "core/textutil.h"
#include "databases/filesteps.h"
#include "databases/passwordhash.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/fields.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/tablecrypt.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sodium.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

const QString kCopyList = u"copy.txt"_s;
const QString kLengthList = u"copy2.txt"_s;
const QString kPreviousFolder = u"previous"_s;
const QString kNoteFile = u"zovi-backup.txt"_s;
const QString kNoteName = u"database="_s;
const QString kNoteFolder = u"folder="_s;

// The names a folder of copies uses for itself: a copy being made (".zovi-copy-…"), a complete
// copy being swapped in (".zovi-swap", with the list of names it replaces), the older copy being
// moved aside (".zovi-previous") and the copy kept before it (".zovi-old").
const QString kOwnPrefix = u".zovi-"_s;
const QString kStagingPrefix = u".zovi-copy-"_s;
const QString kSwapFolder = u".zovi-swap"_s;
const QString kSwapNames = u".zovi-names"_s;
const QString kNewPrevious = u".zovi-previous"_s;
const QString kOldPrevious = u".zovi-old"_s;
const QString kNewName = u"new\t"_s;
const QString kOldName = u"old\t"_s;

std::function<void()>& Checkpoint() {
    static std::function<void()> checkpoint;
    return checkpoint;
}

void Pass() {
    if (Checkpoint())
        Checkpoint()();
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// The file name of a folder, found without regard to letter case; empty when there is no folder
// to look in (an empty folder text must never mean the current folder).
QString FileIn(const QString& folder, const QString& name) {
    return folder.isEmpty() ? QString() : FindFile(folder, name);
}

// The non-empty lines of a list file, without line ends; none when the file is missing.
QStringList ListLines(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QString text = DecodeText(file.readAll());
    text.remove(u'\r');
    return text.split(u'\n', Qt::SkipEmptyParts);
}

// A connection of its own, closed when it goes.
class OwnConnection {
public:
    OwnConnection() = default;
    ~OwnConnection() { sqlite3_close_v2(m_db); }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;

    // Opens an existing file (never creates one); false with SQLite's message when it cannot.
    bool open(const QString& file, int flags, QString* reason) {
        TableCrypt::install();
        const QByteArray name = QFile::encodeName(QFileInfo(file).absoluteFilePath());
        const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            *reason = m_db ? message() : QString::fromUtf8(sqlite3_errstr(rc));
            return false;
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 2000);
        return true;
    }
    // Closes now and reports whether everything the connection wrote reached the file.
    bool close(QString* reason) {
        const int rc = sqlite3_close(m_db);
        if (rc != SQLITE_OK) {
            *reason = message();
            return false;
        }
        m_db = nullptr;
        return true;
    }

    sqlite3* get() const { return m_db; }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db = nullptr;
};

// Whether a file begins with SQLite's 16-byte header. The bytes are read through SQLite's own
// file layer: it keeps the locks of every connection of this process on a file together and
// postpones closing a descriptor while any of them holds a lock. Opening and closing the file
// any other way would silently drop the locks the store's connections hold on it.
bool ReadIsDatabase(const QString& file, bool* isDatabase, QString* reason) {
    OwnConnection db;
    if (!db.open(file, SQLITE_OPEN_READONLY, reason))
        return false;
    sqlite3_file* handle = nullptr;
    if (sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK ||
        handle == nullptr || handle->pMethods == nullptr) {
        *reason = u"the file cannot be read"_s;
        return false;
    }
    static const char kHeader[] = "SQLite format 3"; // with its closing zero: 16 bytes
    char header[sizeof kHeader] = {};
    const int rc = handle->pMethods->xRead(handle, header, int(sizeof header), 0);
    // A file shorter than the header reads as a short read, the missing bytes zeroed.
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) {
        *reason = QString::fromUtf8(sqlite3_errstr(rc));
        return false;
    }
    *isDatabase = rc == SQLITE_OK &&
                  QByteArrayView(header, sizeof header) == QByteArrayView(kHeader, sizeof kHeader);
    return true;
}

// Copies a file that no connection uses, through a temporary file beside the target that is
// renamed over it once complete.
bool PlainCopy(const QString& source, const QString& target, QString* reason) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = u"%1 cannot be read: %2"_s.arg(Native(source), in.errorString());
        return false;
    }
    KeptFile out(target);
    if (!out.open()) {
        *reason = out.message();
        return false;
    }
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            *reason = u"%1 cannot be read: %2"_s.arg(Native(source), in.errorString());
            return false;
        }
        if (n == 0)
            break;
        if (!out.write(QByteArrayView(buffer.constData(), n))) {
            *reason = out.message();
            return false;
        }
    }
    if (!out.commit()) {
        *reason = out.message();
        return false;
    }
    return true;
}

// Removes a temporary copy and whatever SQLite left beside it, unless the copy was kept.
class TemporaryCopy {
public:
    explicit TemporaryCopy(QString path) : m_path(std::move(path)) {}
    ~TemporaryCopy() {
        if (m_keep)
            return;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(suffix));
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    void keep() { m_keep = true; }

private:
    QString m_path;
    bool m_keep = false;
};

// Copies a table file through SQLite's backup API: the copy is the last committed state of the
// file, read under SQLite's own locks, even while the store writes to it. A file that another
// program keeps locked is waited for until lockWait expires.
bool BackupTable(const QString& source, const QString& target, QDeadlineTimer lockWait,
                 QString* reason) {
    QString temp;
    {
        QTemporaryFile reserve(target + u".XXXXXX"_s);
        reserve.setAutoRemove(false);
        if (!reserve.open()) {
            *reason = u"%1 cannot be written: %2"_s.arg(Native(target), reserve.errorString());
            return false;
        }
        temp = reserve.fileName();
    }
    TemporaryCopy cleanup(temp);

    QString message;
    auto fail = [&](const QString& what) {
        *reason = u"%1 cannot be copied to %2 (%3): %4"_s.arg(Native(source), Native(target), what,
                                                              message);
        return false;
    };
    {
        OwnConnection from;
        OwnConnection to;
        if (!from.open(source, SQLITE_OPEN_READONLY, &message))
            return fail(u"reading"_s);
        if (!to.open(temp, SQLITE_OPEN_READWRITE, &message))
            return fail(u"writing"_s);
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (backup == nullptr) {
            message = to.message();
            return fail(u"backup"_s);
        }
        // A writer of another program may hold the file for a moment: the step waits for it
        // through the connection's busy handler, as long as the copy may still wait. The wait
        // blocks this thread only: callers with windows copy on a thread of their own.
        int rc = SQLITE_BUSY;
        for (;;) {
            sqlite3_busy_timeout(from.get(), int(std::max<qint64>(0, lockWait.remainingTime())));
            rc = sqlite3_backup_step(backup, -1);
            if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || lockWait.hasExpired())
                break;
            QThread::msleep(10);
        }
        const int finished = sqlite3_backup_finish(backup);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            *reason = LangText(u"copylocked"_s,
                               u"%1 is in use by another program and stayed locked while the "
                               u"copy waited for it: close that program and copy again."_s)
                          .arg(Native(source));
            return false;
        }
        if (rc != SQLITE_DONE || finished != SQLITE_OK) {
            message = rc != SQLITE_DONE ? QString::fromUtf8(sqlite3_errstr(rc)) : to.message();
            return fail(u"backup"_s);
        }
        // The journal mode is stored in the file: the copy must open like the original, in the
        // rollback journal the store requires.
        sqlite3_stmt* mode = nullptr;
        QString journal;
        if (sqlite3_prepare_v2(to.get(), "PRAGMA journal_mode=DELETE", -1, &mode, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(mode) == SQLITE_ROW)
            journal =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(mode, 0)));
        message = journal.isEmpty() ? to.message() : journal;
        sqlite3_finalize(mode);
        if (journal.compare(u"delete"_s, Qt::CaseInsensitive) != 0)
            return fail(u"journal mode"_s);
        if (!to.close(&message))
            return fail(u"writing"_s);
    }
    QFile::setPermissions(temp, QFileInfo(source).permissions());
    // rename() replaces the older copy in one step: it is either the old or the new file.
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) !=
        0) {
        message = qt_error_string(errno);
        return fail(u"replacing the older copy"_s);
    }
    cleanup.keep();
    return true;
}

// Whether two files are read and written with the same key, or both plain.
bool SameKey(const std::shared_ptr<const TableKey>& a, const std::shared_ptr<const TableKey>& b) {
    if (!a || !b)
        return !a && !b;
    return a == b || sodium_memcmp(a->bytes(), b->bytes(), TableKey::kBytes) == 0;
}

// Whether two paths name one folder (both may be missing).
bool SameFolder(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
           QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// Makes the entries of a folder (new names, renames) reach the disk.
void SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Renames a file or a folder in one step, replacing a file of the new name.
bool Rename(const QString& from, const QString& to, QString* reason) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *reason =
        u"%1 cannot be moved to %2: %3"_s.arg(Native(from), Native(to), qt_error_string(errno));
    return false;
}

bool IsEntry(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Completes the swap of the copy waiting in target's swap folder, from wherever an earlier run
// stopped: every step can be taken again. The older copy's files move into a fresh previous
// folder (a name the new copy shares holds the older file only while the new one still waits in
// the swap folder), the new files move in, and the fresh previous folder replaces previous/. The
// swap folder goes last, since until then it says that the swap is not finished.
bool FinishSwap(const QString& target, QString* reason) {
    const QDir dir(target);
    const QString swap = dir.filePath(kSwapFolder);
    const QString kept = dir.filePath(kNewPrevious);
    QStringList fresh;
    QStringList older;
    for (const QString& line : ListLines(QDir(swap).filePath(kSwapNames))) {
        if (line.startsWith(kNewName) && IsPlainFileName(line.mid(kNewName.size())))
            fresh << line.mid(kNewName.size());
        if (line.startsWith(kOldName) && IsPlainFileName(line.mid(kOldName.size())))
            older << line.mid(kOldName.size());
    }
    if (fresh.isEmpty()) {
        *reason = u"%1 cannot be read."_s.arg(Native(QDir(swap).filePath(kSwapNames)));
        return false;
    }
    for (const QString& name : std::as_const(older)) {
        if (!IsEntry(dir.filePath(name)))
            continue;
        const bool replaced = std::any_of(fresh.cbegin(), fresh.cend(), [&](const QString& n) {
            return SameName(n, name) && !IsEntry(QDir(swap).filePath(n));
        });
        if (replaced)
            continue;
        if (!QDir().mkpath(kept) || !Rename(dir.filePath(name), QDir(kept).filePath(name), reason))
            return false;
        Pass();
    }
    for (const QString& name : std::as_const(fresh)) {
        const QString waiting = QDir(swap).filePath(name);
        if (!IsEntry(waiting))
            continue;
        if (!Rename(waiting, dir.filePath(name), reason))
            return false;
        Pass();
    }
    SyncFolder(target);
    // previous/ is replaced only now that the new copy is in place; when there was no older copy
    // to move aside, it stays as it was.
    const QString previous = dir.filePath(kPreviousFolder);
    const QString old = dir.filePath(kOldPrevious);
    if (QFileInfo(kept).isDir() &&
        QDir(kept).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QDir(kept).removeRecursively();
    if (QFileInfo(kept).isDir()) {
        if (IsEntry(previous)) {
            QDir(old).removeRecursively();
            if (!Rename(previous, old, reason))
                return false;
            Pass();
        }
        if (!Rename(kept, previous, reason))
            return false;
        Pass();
    }
    // Renamed into a name of a copy left behind before it is removed, so that no half-removed
    // swap folder is ever taken for one to finish.
    const QString done = dir.filePath(kStagingPrefix + u"done"_s);
    QDir(done).removeRecursively();
    if (!Rename(swap, done, reason))
        return false;
    SyncFolder(target);
    Pass();
    return true;
}

// Removes what interrupted copies left in target: the hidden folders of ours, and the temporary
// files that older versions wrote beside a copy's files ("Data.db.AbC123", with SQLite's journal
// beside it). names are the files a copy there holds.
void RemoveLeftovers(const QString& target, const QStringList& names) {
    const QDir dir(target);
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : dir.entryInfoList({kOwnPrefix + u'*'}, all)) {
        if (entry.fileName() == kSwapFolder)
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
    static const QRegularExpression temporary(u"^(.+)\\.[A-Za-z0-9]{6}(-journal)?$"_s);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = temporary.match(entry.fileName());
        const auto named = [&](const QString& name) {
            return SameName(name, match.captured(1));
        };
        const auto listed = [&](const QString& name) {
            return SameName(name, entry.fileName());
        };
        if (match.hasMatch() && std::any_of(names.cbegin(), names.cend(), named) &&
            std::none_of(names.cbegin(), names.cend(), listed))
            QFile::remove(entry.filePath());
    }
}

// Finishes an interrupted swap in target and removes the leftovers of copies killed earlier;
// names are the files a copy there holds besides those its own copy.txt lists.
bool FinishInterrupted(const QString& target, QStringList names, QString* reason) {
    if (QFileInfo(QDir(target).filePath(kSwapFolder)).isDir() && !FinishSwap(target, reason))
        return false;
    RemoveLeftovers(target, names << DatabaseFolder::listedFiles(target));
    return true;
}

// The oldest entries of a ledger file, by ID, each as the text of the fields that say what the
// entry is (the amount in the main currency changes with the rates, so it is left out). Empty
// when the file cannot be read.
QStringList OldestEntries(const QString& file) {
    namespace f = fields::Data;
    QStringList entries;
    OwnConnection db;
    QString reason;
    if (!IsFile(file) || !db.open(file, SQLITE_OPEN_READONLY, &reason))
        return entries;
    QStringList columns;
    for (const FieldName& field : {f::ID, f::Date, f::Name, f::Gr1, f::Type, f::Value, f::Valuta})
        columns << QuoteIdent(field);
    const QByteArray sql =
        u"SELECT %1 FROM %2 ORDER BY %3 LIMIT 10"_s
            .arg(columns.join(u", "_s), QuoteIdent(schemas::Data().tableName), QuoteIdent(f::ID))
            .toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < columns.size(); ++c)
                values << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            entries << values.join(u'\x1f');
        }
    }
    sqlite3_finalize(st);
    return entries;
}

} // namespace

DatabaseFolder::Check DatabaseFolder::check(const QString& folder, QString* missingFile) {
    if (missingFile)
        missingFile->clear();
    if (!exists(folder))
        return Check::NoPassword;
    for (const TableSchema* table : DatabaseTables()) {
        if (!IsFile(FindFile(folder, table->fileName))) {
            if (missingFile)
                *missingFile = table->fileName;
            return Check::MissingTable;
        }
    }
    return Check::Ok;
}

bool DatabaseFolder::exists(const QString& folder) {
    return !folder.isEmpty() && IsFile(FindFile(folder, schemas::Password().fileName));
}

QString DatabaseFolder::password(const QString& folder) {
    const TableSchema& table = schemas::Password();
    const QString file = FileIn(folder, table.fileName);
    QString message = u"the file does not exist"_s;
    auto fail = [&]() {
        return StoreError(u"The password of the database %1 cannot be read: %2"_s.arg(
            Native(file.isEmpty() ? folder : file), message));
    };
    OwnConnection db;
    if (!IsFile(file) || !db.open(file, SQLITE_OPEN_READONLY, &message))
        throw fail();
    const QByteArray sql =
        u"SELECT %1 FROM %2 ORDER BY rowid LIMIT 1"_s
            .arg(QuoteIdent(table.fields.at(0).name), QuoteIdent(table.tableName))
            .toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        message = db.message();
        throw fail();
    }
    const int rc = sqlite3_step(st);
    QString password;
    if (rc == SQLITE_ROW)
        password = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                     sqlite3_column_bytes(st, 0));
    else if (rc != SQLITE_DONE)
        message = db.message();
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw fail();
    return password;
}

void DatabaseFolder::setPassword(const QString& folder, const QString& password) {
    setStoredPassword(folder, PasswordHash::make(password));
}

bool DatabaseFolder::isEncrypted(const QString& folder) {
    try {
        return exists(folder) && PasswordHash::isKeyed(password(folder));
    } catch (const StoreError&) {
        return false;
    }
}

QString DatabaseFolder::passwordFile(const QString& folder) {
    return FindFile(folder, schemas::Password().fileName);
}

void DatabaseFolder::setStoredPassword(const QString& folder, const QString& stored) {
    const TableSchema& table = schemas::Password();
    const QString file = FileIn(folder, table.fileName);
    const QString where = Native(file.isEmpty() ? folder : file);
    if (!IsFile(file))
        throw StoreError(u"The password cannot be stored: %1 does not exist."_s.arg(where));
    const QString name = QuoteIdent(table.tableName);
    const QString field = QuoteIdent(table.fields.at(0).name);
    try {
        const QByteArray text = stored.toUtf8();
        Connection c(file);
        // The text replaced is overwritten in the file, not only marked free: an older version
        // kept the password there as typed.
        c.exec(u"PRAGMA secure_delete = ON"_s);
        c.exec(u"BEGIN IMMEDIATE"_s);
        {
            Statement first(c.db(), u"SELECT rowid FROM %1 ORDER BY rowid LIMIT 1"_s.arg(name));
            const bool hasRow = first.step();
            Statement write(c.db(),
                            hasRow ? u"UPDATE %1 SET %2 = ?1 WHERE rowid = ?2"_s.arg(name, field)
                                   : u"INSERT INTO %1 (%2) VALUES (?1)"_s.arg(name, field));
            sqlite3_bind_text(write.get(), 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            if (hasRow)
                sqlite3_bind_int64(write.get(), 2, sqlite3_column_int64(first.get(), 0));
            write.step();
        }
        c.exec(u"COMMIT"_s);
    } catch (const StoreError& e) {
        throw StoreError(u"The password cannot be stored in %1: %2"_s.arg(where, e.message()));
    }
}

int DatabaseFolder::templateLength(const QString& templateFolder) {
    return int(ListLines(FileIn(templateFolder, kLengthList)).size());
}

void DatabaseFolder::copyTemplate(const QString& templateFolder, const QString& folder,
                                  const std::function<void()>& step) {
    if (folder.isEmpty())
        throw StoreError(u"No folder was given for the new database."_s);
    const QString list = FileIn(templateFolder, kCopyList);
    // Without its list the template would silently give a folder without any table.
    if (!IsFile(list))
        throw StoreError(
            u"The template folder %1 holds no %2: no database can be made from it."_s.arg(
                Native(templateFolder), kCopyList));
    // A line that is no file of the template would reach outside the new database's folder.
    QStringList refused;
    const QStringList names = listedFiles(templateFolder, &refused);
    if (!refused.isEmpty())
        throw StoreError(u"The %1 of the template folder %2 names %3, which is no file inside "
                         u"the folder: no database is made from it."_s.arg(
                             kCopyList, Native(templateFolder), refused.join(u", "_s)));
    for (const QString& name : names) {
        const QString source = FindFile(templateFolder, name);
        if (IsFile(source)) {
            const QString target = FindFile(folder, name);
            QString reason;
            if (!PlainCopy(source, target, &reason))
                throw StoreError(
                    u"The file %1 of the new database cannot be written: %2"_s.arg(name, reason));
        }
        if (step)
            step();
    }
}

bool DatabaseFolder::createFromTemplate(const QString& templateFolder, const QString& folder,
                                        const std::function<void(const QString&)>& fill) {
    if (QFileInfo::exists(folder))
        return false;
    const QString staging = folder + u".new"_s;
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(copiesFolder(staging)))
        throw StoreError(u"The folder %1 cannot be created."_s.arg(Native(staging)));
    try {
        copyTemplate(templateFolder, staging);
        if (fill)
            fill(staging);
    } catch (...) {
        QDir(staging).removeRecursively();
        throw;
    }
    if (!QDir().rename(staging, folder))
        throw StoreError(u"The folder %1 cannot be created."_s.arg(Native(folder)));
    return true;
}

int DatabaseFolder::removeStaleJournals(const QString& folder) {
    const QDir dir(folder);
    QList<QByteArray> journals;
    for (const QFileInfo& journal : dir.entryInfoList({u"*-journal"_s}, QDir::Files)) {
        QFile file(journal.filePath());
        if (!file.open(QIODevice::ReadOnly))
            return 0; // a journal that cannot be read may name any of them
        journals << file.readAll();
    }
    int removed = 0;
    for (const QFileInfo& super : dir.entryInfoList({u"*-mj*"_s}, QDir::Files)) {
        const QByteArray name = QFile::encodeName(super.fileName());
        const bool named = std::any_of(journals.cbegin(), journals.cend(),
                                       [&](const QByteArray& j) { return j.contains(name); });
        if (!named && QFile::remove(super.filePath()))
            ++removed;
    }
    return removed;
}

QStringList DatabaseFolder::listedFiles(const QString& folder, QStringList* refused) {
    QStringList names;
    for (const QString& line : ListLines(FileIn(folder, kCopyList))) {
        const bool own =
            SameName(line, kPreviousFolder) || line.startsWith(kOwnPrefix, Qt::CaseInsensitive);
        if (IsPlainFileName(line) && !own)
            names << line;
        else if (refused)
            *refused << line;
    }
    return names;
}

QString DatabaseFolder::copiesFolder(const QString& folder) {
    return QDir(folder).filePath(u"RCopy"_s);
}

QStringList BackupCopy::copyListed(const QString& folder, const QString& target,
                                   const std::function<void()>& step, QStringList* reasons) {
    QStringList failed;
    // The new copy is made in a hidden folder of the target first; a reason names the place the
    // file was meant for, not that folder.
    QString staging;
    const auto skip = [&](const QString& name, QString why) {
        failed << name;
        if (!staging.isEmpty())
            why.replace(Native(staging), Native(target));
        if (reasons)
            *reasons << name + u": "_s + why;
    };
    QStringList refused;
    const QStringList listed = DatabaseFolder::listedFiles(folder, &refused);
    for (const QString& name : std::as_const(refused))
        skip(name, LangText(u"copybadname"_s, u"this line of copy.txt names no file inside the "
                                              u"database folder, so it is skipped."_s));

    // The database's own folder is never a target: its files would be moved aside.
    QString refusal;
    QString why;
    if (target.isEmpty() || !QFileInfo(target).isDir())
        refusal = u"The folder %1 does not exist."_s.arg(Native(target));
    else if (SameFolder(target, folder))
        refusal = u"%1 is the database's own folder."_s.arg(Native(target));
    else if (!FinishInterrupted(target, listed, &why))
        refusal = LangText(u"copyunfinished"_s,
                           u"The copy interrupted earlier in %1 cannot be finished: %2"_s)
                      .arg(Native(target), why);
    if (refusal.isEmpty()) {
        QTemporaryDir made(QDir(target).filePath(kStagingPrefix + u"XXXXXX"_s));
        made.setAutoRemove(false);
        if (made.isValid())
            staging = made.path();
        else
            refusal = u"No folder can be made in %1: %2"_s.arg(Native(target), made.errorString());
    }
    if (!refusal.isEmpty()) {
        for (const QString& name : listed) {
            skip(name, refusal);
            if (step)
                step();
        }
        return failed;
    }

    // The new copy is made whole beside the older one first.
    const QString databaseFolder = QFileInfo(folder).canonicalFilePath();
    // One wait for the whole copy: a locked file never holds up the files after it for long.
    const QDeadlineTimer lockWait(kLockWaitMs);
    QStringList copied;
    bool whole = true;
    for (const QString& name : listed) {
        const QString source = FindFile(folder, name);
        const QFileInfo from(source);
        QString reason;
        if (!from.isFile())
            skip(name, u"The file %1 does not exist."_s.arg(Native(source)));
        else if (from.canonicalPath() != databaseFolder)
            skip(name, LangText(u"copyoutside"_s,
                                u"%1 leads outside the database folder, so it is skipped."_s)
                           .arg(Native(source)));
        else if (copyFile(source, QDir(staging).filePath(name), &reason, lockWait))
            copied << name;
        else {
            skip(name, reason);
            whole = false;
        }
        if (step)
            step();
        Pass();
    }
    if (!whole || copied.isEmpty()) {
        QDir(staging).removeRecursively();
        if (!copied.isEmpty()) {
            failed << copied;
            if (reasons)
                *reasons << LangText(u"copykept"_s,
                                     u"The copy already in %1 stays as it was: no file of this "
                                     u"copy replaced it."_s)
                                .arg(Native(target));
        }
        return failed;
    }

    // The names of the older copy's files, which move aside: those this copy lists and those the
    // older copy's own list names, so that no file of it stays beside the new ones.
    QStringList older;
    for (const QString& name : listed + DatabaseFolder::listedFiles(target)) {
        const QString actual = QFileInfo(FindFile(target, name)).fileName();
        if (IsEntry(QDir(target).filePath(actual)) && !older.contains(actual))
            older << actual;
    }
    QString names;
    for (const QString& name : std::as_const(copied))
        names += kNewName + name + u'\n';
    for (const QString& name : std::as_const(older))
        names += kOldName + name + u'\n';
    const std::optional<QString> unlisted =
        WriteKeptFile(QDir(staging).filePath(kSwapNames), names.toUtf8());
    bool staged = !unlisted;
    if (staged) {
        SyncFolder(staging);
        staged = Rename(staging, QDir(target).filePath(kSwapFolder), &why);
    } else {
        why = *unlisted;
    }
    if (staged) {
        SyncFolder(target);
        Pass();
        staged = FinishSwap(target, &why);
    } else {
        QDir(staging).removeRecursively();
    }
    if (!staged) {
        for (const QString& name : std::as_const(copied))
            skip(name, LangText(u"copynotswapped"_s,
                                u"The new copy cannot take the place of the older one in %1: %2"_s)
                           .arg(Native(target), why));
        return failed;
    }
    RemoveLeftovers(target, listed);
    return failed;
}

bool BackupCopy::finishInterrupted(const QString& target, QString* reason) {
    QString why;
    if (FinishInterrupted(target, {}, &why))
        return true;
    if (reason)
        *reason = why;
    return false;
}

void BackupCopy::setCheckpoint(std::function<void()> checkpoint) {
    Checkpoint() = std::move(checkpoint);
}

bool BackupCopy::copyFile(const QString& source, const QString& target, QString* reason,
                          QDeadlineTimer lockWait) {
    QString why;
    auto fail = [&](const QString& text) {
        if (reason)
            *reason = text;
        return false;
    };
    const QFileInfo from(source);
    const QFileInfo to(target);
    if (!from.exists())
        return fail(u"The file %1 does not exist."_s.arg(Native(source)));
    if (!from.isFile())
        return fail(u"%1 is not a file."_s.arg(Native(source)));
    if (!to.absoluteDir().exists())
        return fail(u"The folder %1 does not exist."_s.arg(Native(to.absolutePath())));
    // Renaming a copy over its own source would replace a file under a live connection.
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath())
        return fail(u"%1 cannot be copied onto itself."_s.arg(Native(source)));
    bool isDatabase = false;
    // Under a key, only a file of encrypted pages is a table: any other file (the list of
    // files, a note) cannot be read through the key and is copied as it is.
    const bool keyed = TableCrypt::keyFor(source) != nullptr;
    if (keyed && !TableCrypt::looksEncrypted(source))
        isDatabase = false;
    else if (!ReadIsDatabase(source, &isDatabase, &why))
        return fail(u"%1 cannot be read: %2"_s.arg(Native(source), why));
    // A table file is copied through SQLite when its copy is read and written with one key (or
    // none), so that the copy is consistent even while the store writes to the file. A file
    // whose place of copy holds another key (the plain data.un of an encrypted database, copied
    // into its encrypted copies) is copied as it is, so that it opens as its original does.
    const bool sameKey = SameKey(TableCrypt::keyFor(source), TableCrypt::keyFor(target));
    const bool copied = isDatabase && sameKey ? BackupTable(source, target, lockWait, &why)
                                              : PlainCopy(source, target, &why);
    return copied || fail(why);
}

BackupCopy::Holder BackupCopy::holder(const QString& target, const QString& folder) {
    if (target.isEmpty() || !QFileInfo(target).isDir())
        return Holder::Nobody;
    // The database's own folder holds the database itself (and is refused as a target).
    if (SameFolder(target, folder))
        return Holder::ThisDatabase;
    const QString note = FindFile(target, kNoteFile);
    if (IsFile(note)) {
        for (const QString& line : ListLines(note)) {
            if (line.startsWith(kNoteFolder))
                return SameFolder(line.mid(kNoteFolder.size()), folder) ? Holder::ThisDatabase
                                                                        : Holder::AnotherDatabase;
        }
        return Holder::AnotherDatabase; // a note that names no folder is nobody's to overwrite
    }
    const QString ledger = FindFile(target, schemas::Data().fileName);
    if (!DatabaseFolder::exists(target) && !IsFile(ledger))
        return Holder::Nobody;
    const QStringList theirs = OldestEntries(ledger);
    const QStringList ours = OldestEntries(FindFile(folder, schemas::Data().fileName));
    return !theirs.isEmpty() && ours.mid(0, theirs.size()) == theirs ? Holder::ThisDatabase
                                                                     : Holder::AnotherDatabase;
}

QString BackupCopy::noteFileName() {
    return kNoteFile;
}

bool BackupCopy::writeNote(const QString& target, const QString& folder, const QString& name,
                           const QString& text) {
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    return !WriteKeptFile(
        FindFile(target, kNoteFile),
        (text + u'\n' + kNoteName + name + u'\n' + kNoteFolder + absolute + u'\n').toUtf8());
}

QString BackupCopy::folderName(const QString& name, const QString& folder) {
    // Refused by some system in a name: the separators, the characters of patterns and
    // redirections, and control characters.
    static const QRegularExpression refused(u"[\\x00-\\x1f/\\\\:*?\"<>|]"_s);
    static const QRegularExpression ends(u"^[ .]+|[ .]+$"_s);
    for (const QString& candidate : {name, QFileInfo(QDir::cleanPath(folder)).fileName()}) {
        QString safe = candidate;
        safe.replace(refused, u"_"_s);
        safe.remove(ends);
        if (!safe.isEmpty())
            return safe.left(100);
    }
    return u"Database"_s;
}

void FileSteps::SyncFolder(const QString& folder) {
    zovi::SyncFolder(folder);
}

bool FileSteps::Rename(const QString& from, const QString& to, QString* reason) {
    return zovi::Rename(from, to, reason);
}

bool FileSteps::CopyBytes(const QString& source, const QString& target, QString* reason) {
    return PlainCopy(source, target, reason);
}

void FileSteps::Checkpoint() {
    Pass();
}

} // namespace zovi
