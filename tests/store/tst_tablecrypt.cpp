// Encrypted table files: a database folder rewritten under a key works through the store like the
// plain one, holds no plain byte of its rows (its journals included), and refuses a wrong key, a
// changed byte and a cut file.

#include "fixtures.h"
#include "store/error.h"
#include "store/sqlite.h"
#include "store/tablecrypt.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QDate>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using namespace zovi;
using namespace zovi::test;

namespace {

// A name that appears in no file unless a row holding it was written in the clear.
constexpr char kSecret[] = "Quetzalcoatlus";

QString Hex(const std::shared_ptr<const TableKey>& key) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(key->bytes()), TableKey::kBytes).toHex());
}

// The table files of a database folder (every file SQLite can read).
QStringList TableFiles(const QString& folder) {
    return QDir(folder).entryList({u"*.db"_s, u"data.un"_s}, QDir::Files, QDir::Name);
}

// Everything a table file holds, as text: its schema, and every row of every table with its
// rowid and each value's type, and the AUTOINCREMENT counters. Empty when it cannot be read.
QStringList Dump(const QString& file) {
    QStringList lines;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY,
                              nullptr) == SQLITE_OK;
    auto run = [&](const QString& sql, const QString& prefix) {
        sqlite3_stmt* st = nullptr;
        if (!ok || sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != 0) {
            ok = false;
            return QStringList();
        }
        QStringList rows;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cells << QString::number(sqlite3_column_type(st, i)) + u':' +
                             QString::fromUtf8(
                                 reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            rows << prefix + cells.join(u'|');
        }
        ok = ok && rc == SQLITE_DONE;
        sqlite3_finalize(st);
        return rows;
    };
    const QStringList schema =
        run(u"SELECT type, name, sql FROM sqlite_schema ORDER BY name"_s, u"schema "_s);
    lines << schema;
    for (const QString& entry : schema) {
        const QStringList parts = entry.mid(7).split(u'|');
        const QString name = parts.value(1).mid(2);
        if (parts.value(0) == u"3:table"_s)
            lines << run(u"SELECT rowid, * FROM %1 ORDER BY rowid"_s.arg(QuoteIdent(name)),
                         name + u' ');
    }
    sqlite3_close(db);
    return ok ? lines : QStringList();
}

// Opens a table file and reads every row of its tables: the SQLite error, or empty when all
// of it could be read.
QString ReadError(const QString& file) {
    sqlite3* db = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA integrity_check; SELECT * FROM sqlite_schema", nullptr, nullptr,
                     nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "SELECT * FROM Data", nullptr, nullptr, nullptr) != SQLITE_OK)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return error;
}

// What the sqlite3 tool says on a file.
QString ToolSays(const QString& file) {
    QProcess tool;
    tool.start(u"sqlite3"_s, {u"-readonly"_s, file, u"SELECT count(*) FROM sqlite_schema;"_s});
    if (!tool.waitForFinished(10000))
        return u"(the tool did not finish)"_s;
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
}

// Writes rows holding the secret name to the ledger, its groups, a currency and a debt, in one
// command.
void WriteSecretRows(LedgerTables& data, DebtTables& cd, int n) {
    const QString secret = QString::fromLatin1(kSecret);
    Transaction command;
    for (int i = 0; i < n; ++i) {
        Put(data.tbData, {{"Date", QDate(2024, 3, 1 + i % 28)},
                          {"Name", secret + QString::number(i)},
                          {"Type", u"R"_s},
                          {"Value", -12.5 * i}});
    }
    Put(data.tbGr1, {{"Name", secret}});
    Put(data.tbValuta, {{"Name", secret}, {"Znak", u"Q"_s}, {"Kurs", 1.5}});
    Put(cd.tbCredit, {{"Name", secret}});
    command.commit();
}

} // namespace

class TestTableCrypt : public zovi::test::DatabaseTest {
    Q_OBJECT

    std::shared_ptr<const TableKey> m_key;

    QString encryptedFolder() const { return m_db->root() + u"/enc"_s; }

    // Rewrites every table file of the test database under key into folder, and makes the
    // folder keyed.
    void encryptFolder(const QString& folder, const std::shared_ptr<const TableKey>& key) {
        QVERIFY(QDir().mkpath(folder));
        for (const QString& name : TableFiles(m_db->folder()))
            TableCrypt::rewrite(m_db->file(name), nullptr, folder + u'/' + name, key);
        TableCrypt::remember(folder, key);
    }

    // Bytes that no encrypted file may hold: SQLite's header and the secret.
    static void verifyNoPlainByte(const QString& file) {
        const QByteArray bytes = ReadBytes(file);
        QVERIFY2(!bytes.isEmpty(), qPrintable(file));
        QVERIFY2(!bytes.startsWith("SQLite format 3"), qPrintable(file));
        QVERIFY2(!bytes.contains(kSecret), qPrintable(file));
    }

private Q_SLOTS:
    void initTestCase() { TableCrypt::install(); }
    void init() {
        initDatabase();
        m_key = TableKey::random();
    }
    void cleanup() {
        TableCrypt::forget(encryptedFolder());
        cleanupDatabase();
    }

    // Every table file rewritten under a key holds what the plain one holds, reads and writes
    // through the store as the plain one does, and is no database to anyone without the key.
    void encryptedFolderWorksLikePlain() {
        WriteSecretRows(*m_data, *m_cd, 300);
        m_cd.reset();
        m_data.reset();
        encryptFolder(encryptedFolder(), m_key);
        for (const QString& name : TableFiles(m_db->folder())) {
            const QString file = encryptedFolder() + u'/' + name;
            const QStringList plain = Dump(m_db->file(name));
            QVERIFY2(!plain.isEmpty(), qPrintable(name));
            QCOMPARE(Dump(file), plain);
            QVERIFY2(TableCrypt::looksEncrypted(file), qPrintable(name));
            QVERIFY2(!TableCrypt::looksEncrypted(m_db->file(name)), qPrintable(name));
            verifyNoPlainByte(file);
            QVERIFY2(ToolSays(file).contains(u"file is not a database"_s), qPrintable(name));
        }

        // The same rows written to both folders through the store, and read after reopening.
        for (const QString& folder : {m_db->folder(), encryptedFolder()}) {
            LedgerTables data;
            DebtTables cd;
            BindDatabase(data, cd, folder, m_db->programFolder());
            OpenDatabase(data, cd);
            QCOMPARE(data.tbData.recordCount(), 300);
            WriteSecretRows(data, cd, 5);
            data.tbData.last();
            data.tbData.remove();
            CloseDatabase(data, cd);
        }
        LedgerTables data;
        DebtTables cd;
        BindDatabase(data, cd, encryptedFolder(), m_db->programFolder());
        OpenDatabase(data, cd);
        QCOMPARE(data.tbData.recordCount(), 304);
        QVERIFY(data.tbData.locate(u"Name"_s, QString::fromLatin1(kSecret) + u"299"_s));
        CloseDatabase(data, cd);
        for (const QString& name : TableFiles(m_db->folder())) {
            QCOMPARE(Dump(encryptedFolder() + u'/' + name), Dump(m_db->file(name)));
            verifyNoPlainByte(encryptedFolder() + u'/' + name);
        }
    }

    // A writer killed in the middle of a transaction, after SQLite moved changed pages into the
    // file, leaves a hot journal that holds the old pages encrypted; the next open with the key
    // rolls the file back to what was committed.
    void killedWriteRollsBack() {
        WriteSecretRows(*m_data, *m_cd, 2000);
        m_cd.reset();
        m_data.reset();
        encryptFolder(encryptedFolder(), m_key);
        const QString file = encryptedFolder() + u"/Data.db"_s;
        const QStringList committed = Dump(file);
        QVERIFY(!committed.isEmpty());

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--kill-in-write"_s, file, Hex(m_key)});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QByteArray journal = ReadBytes(file + u"-journal"_s);
        QVERIFY2(journal.size() > 10 * TableCrypt::kPageSize, child.readAllStandardError());
        QVERIFY(!journal.contains(kSecret));
        QVERIFY(!journal.contains("Overwritten"));
        verifyNoPlainByte(file);
        QVERIFY(!ReadBytes(file).contains("Overwritten"));

        // The store's open rolls back; a read-only connection could not.
        Connection{file};
        QCOMPARE(Dump(file), committed);
        QVERIFY(!QFileInfo::exists(file + u"-journal"_s));
        QCOMPARE(QueryFile(file, u"PRAGMA integrity_check"_s), u"ok"_s);
    }

    // A file read with another key, or changed or cut short on the disk, is refused with an
    // error; none of its bytes is read as data.
    void damagedFilesAreRefused_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("wrong key") << u"key"_s;
        QTest::newRow("changed byte in a page") << u"byte"_s;
        QTest::newRow("changed byte in a tag") << u"tag"_s;
        QTest::newRow("pages swapped") << u"swap"_s;
        QTest::newRow("cut to half a page") << u"cut"_s;
    }
    void damagedFilesAreRefused() {
        QFETCH(QString, damage);
        WriteSecretRows(*m_data, *m_cd, 300);
        m_cd.reset();
        m_data.reset();
        encryptFolder(encryptedFolder(), m_key);
        const QString file = encryptedFolder() + u"/Data.db"_s;
        QCOMPARE(ReadError(file), QString());

        QByteArray bytes = ReadBytes(file);
        const int page = TableCrypt::kPageSize;
        QVERIFY(bytes.size() >= 4 * page);
        if (damage == u"key")
            TableCrypt::remember(encryptedFolder(), TableKey::random());
        else if (damage == u"byte")
            bytes[2 * page + 1000] = char(bytes[2 * page + 1000] ^ 1);
        else if (damage == u"tag")
            bytes[2 * page - 1] = char(bytes[2 * page - 1] ^ 0x80);
        else if (damage == u"swap")
            bytes = bytes.left(page) + bytes.mid(2 * page, page) + bytes.mid(page, page) +
                    bytes.mid(3 * page);
        else if (damage == u"cut")
            bytes.truncate(page / 2);
        WriteBytes(file, bytes);

        QVERIFY(!ReadError(file).isEmpty());
        QVERIFY_THROWS_EXCEPTION(StoreError, Connection connection(file); connection.exec(
            u"SELECT * FROM Data; SELECT * FROM sqlite_sequence"_s));
    }

    // The backup API copies an encrypted file into a keyed folder as an encrypted copy; a plain
    // file, whose pages have no room for the nonce and tag, cannot be copied there at all.
    void backupIntoKeyedFolder_data() {
        QTest::addColumn<bool>("encryptedSource");
        QTest::newRow("encrypted source") << true;
        QTest::newRow("plain source") << false;
    }
    void backupIntoKeyedFolder() {
        QFETCH(bool, encryptedSource);
        WriteSecretRows(*m_data, *m_cd, 50);
        m_cd.reset();
        m_data.reset();
        encryptFolder(encryptedFolder(), m_key);
        const QString source =
            encryptedSource ? encryptedFolder() + u"/Data.db"_s : m_db->file(u"Data.db"_s);
        const QString copies = m_db->root() + u"/copies"_s;
        QVERIFY(QDir().mkpath(copies));
        const auto copyKey = TableKey::random();
        TableCrypt::remember(copies, copyKey);
        const QString target = copies + u"/Data.db"_s;

        sqlite3* from = nullptr;
        sqlite3* to = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY,
                                 nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(target).constData(), &to,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
                 SQLITE_OK);
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        QVERIFY(backup);
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        sqlite3_close(from);
        sqlite3_close(to);
        TableCrypt::forget(copies);

        if (encryptedSource) {
            QCOMPARE(stepped, SQLITE_DONE);
            QCOMPARE(finished, SQLITE_OK);
            verifyNoPlainByte(target);
            TableCrypt::remember(copies, copyKey);
            QCOMPARE(Dump(target), Dump(source));
        } else {
            QVERIFY(stepped != SQLITE_DONE && finished != SQLITE_OK);
            QVERIFY(!ReadBytes(target).contains(kSecret));
        }
        TableCrypt::forget(copies);
    }

    // Rewriting to another key and back keeps every row; a source read with the wrong key is
    // refused and leaves no target; the keys the process remembered stay as they were.
    void rewriteBackAndForth() {
        WriteSecretRows(*m_data, *m_cd, 100);
        m_cd.reset();
        m_data.reset();
        const QString plain = m_db->file(u"Data.db"_s);
        const QString dir = m_db->root();
        const QStringList original = Dump(plain);
        const auto other = TableKey::random();
        TableCrypt::remember(dir, other);
        TableCrypt::remember(dir + u"/b.db"_s, nullptr);

        TableCrypt::rewrite(plain, nullptr, dir + u"/a.db"_s, m_key);
        TableCrypt::rewrite(dir + u"/a.db"_s, m_key, dir + u"/b.db"_s, other);
        TableCrypt::rewrite(dir + u"/b.db"_s, other, dir + u"/c.db"_s, nullptr);
        QVERIFY(TableCrypt::looksEncrypted(dir + u"/a.db"_s));
        QVERIFY(TableCrypt::looksEncrypted(dir + u"/b.db"_s));
        QVERIFY(!TableCrypt::looksEncrypted(dir + u"/c.db"_s));
        QCOMPARE(ReadBytes(dir + u"/c.db"_s).left(16), QByteArray("SQLite format 3", 16));
        QCOMPARE(TableCrypt::keyFor(dir + u"/a.db"_s), other);
        QCOMPARE(TableCrypt::keyFor(dir + u"/b.db"_s), nullptr);
        TableCrypt::forget(dir);
        TableCrypt::forget(dir + u"/b.db"_s);
        QCOMPARE(Dump(dir + u"/c.db"_s), original);
        // The plain copy opens in the store's rollback journal.
        Connection(dir + u"/c.db"_s);

        for (const auto& wrong : {TableKey::random(), std::shared_ptr<const TableKey>()}) {
            QVERIFY_THROWS_EXCEPTION(
                StoreError, TableCrypt::rewrite(dir + u"/a.db"_s, wrong, dir + u"/d.db"_s, other));
            QVERIFY(!QFileInfo::exists(dir + u"/d.db"_s));
        }
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 TableCrypt::rewrite(plain, nullptr, dir + u"/a.db"_s, nullptr));
        QVERIFY(TableCrypt::looksEncrypted(dir + u"/a.db"_s));
    }
};

// The child of killedWriteRollsBack: changes every row of a table file in one transaction with
// a small page cache, so that changed pages reach the file, and dies before the commit.
int KillInWrite(const QString& file, const QByteArray& hexKey) {
    TableCrypt::install();
    const QByteArray key = QByteArray::fromHex(hexKey);
    TableCrypt::remember(file, TableKey::fromBytes(reinterpret_cast<const uchar*>(key.data())));
    Connection connection(file);
    connection.exec(u"PRAGMA cache_size=5"_s);
    connection.exec(u"BEGIN"_s);
    connection.exec(u"UPDATE Data SET Name = 'Overwritten' || ID"_s);
    connection.exec(u"INSERT INTO Data(Name) SELECT 'Overwritten' || ID FROM Data"_s);
    std::raise(SIGKILL);
    return 1;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--kill-in-write")
        return KillInWrite(QString::fromLocal8Bit(argv[2]), argv[3]);
    TestTableCrypt test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablecrypt.moc"
