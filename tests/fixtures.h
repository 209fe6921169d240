#pragma once

#include "core/locale.h"
#include "core/paths.h"
#include "core/settings.h"
#include "store/datamodules.h"
#include "store/template.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>
#include <initializer_list>
#include <memory>
#include <sqlite3.h>
#include <utility>

namespace zovi::test {

// The number and date conventions every test starts from (a decimal comma and dd.MM.yyyy), so
// that amounts and dates read and write the same on every machine.
inline void SetTestLocale() {
    AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
}

// A fresh program folder (with Report/), a database folder made from the template and the
// user's folder for backups, all in one temporary folder that disappears with the fixture.
class TempDatabase {
public:
    TempDatabase() {
        QVERIFY2(m_dir.isValid(), "cannot make a temporary folder");
        QDir(m_dir.path()).mkpath(QStringLiteral("program"));
        ProgramFolder::set(programFolder());
        BackupsFolder::set(backupsFolder());
        WritePrintTables(programFolder());
        WriteTemplateFolder(folder());
    }
    ~TempDatabase() {
        BackupsFolder::reset();
        ProgramFolder::reset();
    }

    QString root() const { return m_dir.path(); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/program"); }
    QString folder() const { return m_dir.path() + QStringLiteral("/db"); }
    QString backupsFolder() const { return m_dir.path() + QStringLiteral("/backups"); }
    QString file(const QString& name) const { return folder() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// Writes and reads whole files of a test folder.
inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file the build puts into the program folder, such as "lang/ru.ini".
inline QByteArray ShippedBytes(const QString& name) {
    return ReadBytes(qEnvironmentVariable("ZOVI_PROGRAM_DIR") + QLatin1Char('/') + name);
}

// Makes a shipped translation the program folder's lang.ini: "lang.ini" for English,
// "lang/ru.ini" for Russian.
inline void UseShippedLanguage(const TempDatabase& db, const QString& shipped) {
    const QByteArray text = ShippedBytes(shipped);
    QVERIFY2(!text.isEmpty(), qPrintable(shipped));
    WriteBytes(db.programFolder() + QStringLiteral("/lang.ini"), text);
}

// The rows of a test run in each shipped translation: its file in the column "language".
inline void AddShippedLanguageRows() {
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QStringLiteral("lang.ini");
    QTest::newRow("Russian") << QStringLiteral("lang/ru.ini");
}

// Copies a folder with everything in it to to, replacing what to held; false on any failure.
inline bool CopyFolder(const QString& from, const QString& to) {
    if (QFileInfo::exists(to) && !QDir(to).removeRecursively()) {
        return false;
    }
    if (!QDir().mkpath(to)) {
        return false;
    }
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + u'/' + source.relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) {
                return false;
            }
        } else if (!QFile::copy(path, target)) {
            return false;
        }
    }
    return true;
}

// Fresh data modules with every handle bound to the database and opened.
inline void OpenHandles(const TempDatabase& db, std::unique_ptr<LedgerTables>& data,
                        std::unique_ptr<DebtTables>& cd) {
    cd.reset();
    data.reset();
    data = std::make_unique<LedgerTables>();
    cd = std::make_unique<DebtTables>();
    BindDatabase(*data, *cd, db.folder(), db.programFolder());
    OpenDatabase(*data, *cd);
}

// A database of its own with every handle open, for a test that needs more than one.
struct OpenedDatabase {
    TempDatabase db;
    std::unique_ptr<LedgerTables> data;
    std::unique_ptr<DebtTables> cd;
    OpenedDatabase() { OpenHandles(db, data, cd); }
};

// The fields of one new row by name; a null QVariant leaves the field empty.
using Fields = std::initializer_list<std::pair<const char*, QVariant>>;

// Appends one row with the given fields through a handle, inside the caller's transaction when
// there is one.
inline void Put(TableHandle& t, Fields fields) {
    t.append();
    for (const auto& [name, value] : fields)
        t.field(QString::fromLatin1(name)).setVariant(value);
    t.post();
}

// One currency as the currency window stores it: whether it is the main one, its name and sign,
// its rate (More: so many main units for one of it; Less: so many of it for one main unit) and
// its opening balance as typed.
struct CurrencyRow {
    bool main;
    const char* name;
    const char* sign;
    double rate;
    bool more;
    const char* openingBalance;
};

// Appends the currencies in the given order, inside the caller's transaction when there is one.
inline void PutCurrencies(TableHandle& valuta, std::initializer_list<CurrencyRow> rows) {
    for (const CurrencyRow& r : rows)
        Put(valuta, {{"Def", r.main},
                     {"Name", QString::fromUtf8(r.name)},
                     {"Znak", QString::fromUtf8(r.sign)},
                     {"Kurs", r.rate},
                     {"More", r.more},
                     {"OldValue", QString::fromUtf8(r.openingBalance)}});
}

// Runs one statement on a table file with a connection of its own, as another program would,
// and returns the first column of the first row as text: a null QString when the file cannot
// be opened or there is no row. QueryFile only reads; ExecFile may also write.
inline QString RunOnFile(const QString& file, const QString& sql, int openFlags) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, openFlags, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            if (const unsigned char* text = sqlite3_column_text(st, 0))
                result = QString::fromUtf8(reinterpret_cast<const char*>(text));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}
inline QString QueryFile(const QString& file, const QString& sql) {
    return RunOnFile(file, sql, SQLITE_OPEN_READONLY);
}
inline QString ExecFile(const QString& file, const QString& sql) {
    return RunOnFile(file, sql, SQLITE_OPEN_READWRITE);
}

// Another program writing to a table file: a connection of its own that holds the file's
// exclusive lock, so that no one reads it, until release() or its end.
class WriteLock {
public:
    explicit WriteLock(const QString& file) {
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE,
                                 nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~WriteLock() { sqlite3_close(m_db); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    // Runs a statement inside the locked transaction.
    void exec(const char* sql) { QCOMPARE(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), 0); }
    // Commits what was written and lets readers in.
    void release() { exec("COMMIT"); }

private:
    sqlite3* m_db = nullptr;
};

// The base of a test class over one database. Each test function gets the test locale, a
// settings path, a program folder and a database folder made from the template of its own,
// and, with initDatabase(), data modules with every handle open on that database. Test classes
// call initDatabase() (or initFolders() when they open the database themselves) from init()
// and cleanupDatabase() from cleanup().
class DatabaseTest : public QObject {
protected:
    // The test locale from the start, so that the _data functions see it too.
    DatabaseTest() { SetTestLocale(); }

    std::unique_ptr<QTemporaryDir> m_settings;
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<LedgerTables> m_data;
    std::unique_ptr<DebtTables> m_cd;

    void initFolders() {
        SetTestLocale();
        m_settings = std::make_unique<QTemporaryDir>();
        QVERIFY2(m_settings->isValid(), "cannot make a temporary settings folder");
        Settings::setTestPath(m_settings->path());
        m_db = std::make_unique<TempDatabase>();
    }

    void initDatabase() {
        initFolders();
        openDatabase();
    }

    // Fresh data modules on the same folder, as the program has them after a new start.
    void openDatabase() { OpenHandles(*m_db, m_data, m_cd); }

    // Handles first, then the folders; a test that changed the locale leaves the next one the
    // test locale.
    void cleanupDatabase() {
        m_cd.reset();
        m_data.reset();
        m_db.reset();
        m_settings.reset();
        SetTestLocale();
    }

    // The path of a table file of the database, such as "Data.db".
    QString tableFile(const char* name) const { return m_db->file(QString::fromLatin1(name)); }

    // The grid's, the balance and the report view of the ledger read the rows again.
    void refreshLedger() {
        for (TableHandle* h : {&m_data->tbData, &m_data->tbData2, &m_data->tbData3})
            h->refresh();
    }
};

} // namespace zovi::test
