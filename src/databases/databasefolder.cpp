#include "databases/databasefolder.h"

#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QByteArrayView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

const QString kCopyList = u"copy.txt"_s;
const QString kLengthList = u"copy2.txt"_s;
const QString kPreviousFolder = u"previous"_s;

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
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        *reason = u"%1 cannot be written: %2"_s.arg(Native(target), out.errorString());
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
        if (out.write(buffer.constData(), n) != n) {
            *reason = u"%1 cannot be written: %2"_s.arg(Native(target), out.errorString());
            return false;
        }
    }
    if (!out.commit()) {
        *reason = u"%1 cannot be written: %2"_s.arg(Native(target), out.errorString());
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
// file, read under SQLite's own locks, even while the store writes to it.
bool BackupTable(const QString& source, const QString& target, QString* reason) {
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
        // A writer of another program may hold the file for a moment: each step waits for it as
        // the connection's busy timeout allows, and the copy gives up after a few seconds.
        QElapsedTimer waited;
        waited.start();
        int rc = sqlite3_backup_step(backup, -1);
        while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited.elapsed() < 5000) {
            QThread::msleep(10);
            rc = sqlite3_backup_step(backup, -1);
        }
        const int finished = sqlite3_backup_finish(backup);
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
    const TableSchema& table = schemas::Password();
    const QString file = FileIn(folder, table.fileName);
    const QString where = Native(file.isEmpty() ? folder : file);
    if (!IsFile(file))
        throw StoreError(u"The password cannot be stored: %1 does not exist."_s.arg(where));
    const QString name = QuoteIdent(table.tableName);
    const QString field = QuoteIdent(table.fields.at(0).name);
    const QByteArray text = password.toUtf8();
    try {
        Connection c(file);
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
    for (const QString& name : ListLines(list)) {
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
    if (!QDir().mkpath(staging + u"/RCopy"_s))
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

QStringList DatabaseFolder::listedFiles(const QString& folder) {
    return ListLines(FileIn(folder, kCopyList));
}

QStringList BackupCopy::copyListed(const QString& folder, const QString& target,
                                   const std::function<void()>& step) {
    QStringList failed;
    const bool targetExists = !target.isEmpty() && QFileInfo(target).isDir();
    // The database's own folder is never a target: its files would be moved aside.
    const bool isSource = targetExists && QFileInfo(target).canonicalFilePath() ==
                                              QFileInfo(folder).canonicalFilePath();
    const QString previous = QDir(target).filePath(kPreviousFolder);
    for (const QString& name : DatabaseFolder::listedFiles(folder)) {
        const QString source = FindFile(folder, name);
        const QString copy = FindFile(target, name);
        if (!targetExists || isSource || !keepPrevious(source, copy, previous) ||
            !copyFile(source, copy))
            failed << name;
        if (step)
            step();
    }
    return failed;
}

bool BackupCopy::keepPrevious(const QString& source, const QString& copy,
                              const QString& previousFolder) {
    // Only a copy about to be replaced is kept: without a source nothing replaces it.
    if (!QFileInfo(copy).isFile() || !QFileInfo(source).isFile())
        return true;
    if (!QDir().mkpath(previousFolder))
        return false;
    const QString kept = QDir(previousFolder).filePath(QFileInfo(copy).fileName());
    if (QFileInfo::exists(kept) && !QFile::remove(kept))
        return false;
    return QFile::rename(copy, kept);
}

bool BackupCopy::copyFile(const QString& source, const QString& target, QString* reason) {
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
    if (!ReadIsDatabase(source, &isDatabase, &why))
        return fail(u"%1 cannot be read: %2"_s.arg(Native(source), why));
    const bool copied =
        isDatabase ? BackupTable(source, target, &why) : PlainCopy(source, target, &why);
    return copied || fail(why);
}

} // namespace zovi
