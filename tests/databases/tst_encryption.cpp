#include "core/paths.h"
#include "databases/databasecommands.h"
#include "databases/databasefolder.h"
#include "databases/passwordhash.h"
#include "databases/rekey.h"
#include "fixtures.h"
#include "killedrun.h"
#include "store/datamodules.h"
#include "store/schema.h"
#include "store/tablecrypt.h"
#include "store/template.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::QueryFile;
using zovi::test::ReadBytes;

namespace {

const QString kPassword = u"Пароль-7 секрет"_s;

// What the sqlite3 command line tool says on a table file.
QString Sqlite3Says(const QString& file) {
    QProcess tool;
    tool.start(u"sqlite3"_s, {file, u"SELECT count(*) FROM sqlite_master"_s});
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
}

// Every file under root, its hidden ones and those of its sub-folders included.
QStringList FilesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

// The table files of a database folder and of its copies: every listed SQLite file but data.un.
QStringList TableFiles(const QString& folder) {
    QStringList files;
    for (const QString& place : {folder, folder + u"/RCopy"_s, folder + u"/RCopy/previous"_s}) {
        for (const TableSchema* table : DatabaseTables()) {
            const QString file = FindFile(place, table->fileName);
            if (QFileInfo(file).isFile())
                files << file;
        }
    }
    return files;
}

// The database of folder opened as the chooser opens it, the password typed being typed.
struct Opened {
    LedgerTables data;
    DebtTables cd;
    OpenOutcome outcome;
    Opened(const QString& folder, const QString& typed) {
        outcome = OpenChosenDatabase(data, cd, folder, [typed](const QString& stored) {
            return PasswordHash::matches(typed, stored);
        });
    }
    ~Opened() { CloseDatabase(data, cd); }
};

// The rows of the ledger of every copy of folder read with the key typed unlocks (none: plain),
// as the opening reads them; a file that cannot be read counts -1.
QList<int> LedgerRows(const QString& folder, const std::shared_ptr<const TableKey>& key) {
    TableCrypt::forget(folder);
    if (key) {
        TableCrypt::remember(folder, key);
        for (const QString& place : {folder, folder + u"/RCopy"_s, folder + u"/RCopy/previous"_s})
            TableCrypt::remember(DatabaseFolder::passwordFile(place), nullptr);
    }
    QList<int> rows;
    for (const QString& file : TableFiles(folder)) {
        const QString count = QueryFile(file, u"SELECT count(*) FROM sqlite_master"_s);
        rows << (count.isNull() ? -1 : count.toInt());
        if (QFileInfo(file).fileName() == schemas::Data().fileName)
            rows << QueryFile(file, u"SELECT count(*) FROM Data"_s).toInt();
    }
    TableCrypt::forget(folder);
    return rows;
}

} // namespace

class TestEncryption : public zovi::test::DatabaseTest {
    Q_OBJECT

    // An encrypted database: the fixture's, given the password and encrypted, with entries in
    // its ledger and two copies made at close (RCopy/ and RCopy/previous/).
    void makeEncrypted(const QString& password, int entries) {
        QCOMPARE(ChangeDatabase({m_db->folder(), QString(), password, true}), QString());
        Opened db(m_db->folder(), password);
        QVERIFY2(db.outcome.opened, qPrintable(db.outcome.refusal));
        for (int i = 0; i < entries; ++i)
            zovi::test::Put(db.data.tbData, {{"Date", u"01.03.2005"_s}, {"Name", kPassword}});
        MakeLocalCopy(m_db->folder());
        MakeLocalCopy(m_db->folder());
    }

private Q_SLOTS:
    void initTestCase() { PasswordHash::setCost(PasswordHash::Cost::Lowest); }
    void init() { initFolders(); }
    void cleanup() { cleanupDatabase(); }

    // One derivation both checks the password and yields the key; the stored text holds neither.
    void keyedPassword_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << kPassword << true;
        QTest::newRow("letter case") << kPassword.toUpper() << false;
        QTest::newRow("a blank more") << kPassword + u' ' << false;
        QTest::newRow("empty") << QString() << false;
    }
    void keyedPassword() {
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        std::shared_ptr<const TableKey> made;
        const QString stored = PasswordHash::makeKeyed(kPassword, &made);
        QVERIFY(made);
        QVERIFY2(PasswordHash::isKeyed(stored), qPrintable(stored));
        QVERIFY(!PasswordHash::isHash(stored));
        QVERIFY(!PasswordHash::isKeyed(PasswordHash::make(kPassword)));
        QVERIFY(!stored.contains(kPassword));
        const QByteArray key(reinterpret_cast<const char*>(made->bytes()), TableKey::kBytes);
        QVERIFY(!stored.toLatin1().contains(key.toBase64(QByteArray::OmitTrailingEquals)));
        const std::shared_ptr<const TableKey> unlocked = PasswordHash::unlock(typed, stored);
        QCOMPARE(unlocked != nullptr, opens);
        if (unlocked)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(unlocked->bytes()), TableKey::kBytes),
                     key);
        // The password window's check yields the key once, to the opening that asks for it.
        QCOMPARE(PasswordHash::matches(typed, stored), opens);
        QCOMPARE(PasswordHash::takeUnlocked(stored) != nullptr, opens);
        QVERIFY(!PasswordHash::takeUnlocked(stored));
        // A fresh salt gives another key for the same password.
        std::shared_ptr<const TableKey> other;
        PasswordHash::makeKeyed(kPassword, &other);
        QVERIFY(QByteArray(reinterpret_cast<const char*>(other->bytes()), TableKey::kBytes) != key);
    }

    // Nothing under an encrypted database, its copies and its backup holds the password or the
    // key, and plain sqlite3 reads none of its tables.
    void noFileHoldsTheSecret() {
        makeEncrypted(kPassword, 3);
        const QString backup = m_db->root() + u"/backup"_s;
        QVERIFY(QDir().mkpath(backup));
        {
            Opened db(m_db->folder(), kPassword);
            QVERIFY(db.outcome.opened);
            QCOMPARE(MakeBackup(m_db->folder(), u"Test"_s, backup).message, QString());
        }
        const std::shared_ptr<const TableKey> key =
            PasswordHash::unlock(kPassword, DatabaseFolder::password(m_db->folder()));
        QVERIFY(key);
        const QByteArray keyBytes(reinterpret_cast<const char*>(key->bytes()), TableKey::kBytes);
        const QStringList files = FilesUnder(m_db->folder()) + FilesUnder(backup) +
                                  FilesUnder(DataFolder::file(u"Report"_s));
        QVERIFY(files.size() > 3 * 13);
        for (const QString& file : files) {
            const QByteArray bytes = ReadBytes(file);
            QVERIFY2(!bytes.contains(kPassword.toUtf8()), qPrintable(file));
            QVERIFY2(!bytes.contains(keyBytes), qPrintable(file));
        }
        const QStringList tables = TableFiles(m_db->folder()) + TableFiles(backup);
        QCOMPARE(tables.size(), 4 * 13);
        for (const QString& file : tables) {
            QVERIFY2(TableCrypt::looksEncrypted(file), qPrintable(file));
            QVERIFY2(Sqlite3Says(file).contains(u"file is not a database"_s), qPrintable(file));
        }
        // data.un stays plain everywhere: the password is checked before any key exists.
        QVERIFY(!Sqlite3Says(DatabaseFolder::passwordFile(m_db->folder())).contains(u"not a"_s));
    }

    // Only the right password opens an encrypted database; a refusal opens nothing and leaves
    // no key behind.
    void onlyTheRightPasswordOpens_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << kPassword << true;
        QTest::newRow("wrong") << u"Пароль-7"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void onlyTheRightPasswordOpens() {
        QFETCH(QString, typed);
        QFETCH(bool, opens);
        makeEncrypted(kPassword, 2);
        TableCrypt::forget(m_db->folder());
        Opened db(m_db->folder(), typed);
        QCOMPARE(db.outcome.opened, opens);
        for (TableHandle* handle : OpeningOrder(db.data, db.cd))
            QCOMPARE(handle->isOpen(), opens);
        QCOMPARE(TableCrypt::keyFor(tableFile("Data.db")) != nullptr, opens);
        if (opens)
            QCOMPARE(db.data.tbData.recordCount(), 2);
        // A confirmation that checked nothing yields no key: nothing opens.
        CloseDatabase(db.data, db.cd);
        TableCrypt::forget(m_db->folder());
        LedgerTables data;
        DebtTables cd;
        QVERIFY(!OpenChosenDatabase(data, cd, m_db->folder(), [](const QString&) {
                     return true;
                 }).opened);
        QVERIFY(!data.tbData.isOpen());
    }

    // Switching encryption on or off or changing the password, killed after any file step,
    // leaves the database opening with exactly one of the two passwords, every table and copy
    // readable with it and every entry there.
    void rekeyKilledAtEveryStep_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("on") << false << true;
        QTest::newRow("new password") << true << true;
        QTest::newRow("off") << true << false;
    }
    void rekeyKilledAtEveryStep() {
        QFETCH(bool, before);
        QFETCH(bool, after);
        const QString folder = m_db->folder();
        const QString oldPassword = u"old"_s;
        const QString newPassword = u"new"_s;
        makeEncrypted(oldPassword, 4);
        if (!before)
            QCOMPARE(ChangeDatabase({folder, oldPassword, oldPassword, false}), QString());
        const QList<int> rows =
            LedgerRows(folder, PasswordHash::unlock(oldPassword, DatabaseFolder::password(folder)));
        QVERIFY(!rows.contains(-1));
        QCOMPARE(rows.count(4), 3); // the ledger and its two copies
        const QString pristine = m_db->root() + u"/pristine"_s;
        QVERIFY(zovi::test::CopyFolder(folder, pristine));

        bool killed = true;
        int point = 1;
        for (; killed; ++point) {
            QVERIFY(zovi::test::CopyFolder(pristine, folder));
            const zovi::test::ChildEnd end = zovi::test::RunKilledAtCheckpoint(point, [&] {
                return ChangeDatabase({folder, oldPassword, newPassword, after}).isEmpty();
            });
            QVERIFY(end != zovi::test::ChildEnd::Failed);
            killed = end == zovi::test::ChildEnd::Killed;

            // What every opening does first.
            QVERIFY(Rekey::finishInterrupted(folder));
            const QString stored = DatabaseFolder::password(folder);
            const bool isOld = PasswordHash::matches(oldPassword, stored);
            const bool isNew = PasswordHash::matches(newPassword, stored);
            QVERIFY2(isOld != isNew, qPrintable(u"killed at step %1"_s.arg(point)));
            const QString password = isOld ? oldPassword : newPassword;
            QCOMPARE(PasswordHash::isKeyed(stored), isOld ? before : after);
            QVERIFY(!killed || point < 200);
            const QList<int> now = LedgerRows(folder, PasswordHash::unlock(password, stored));
            QVERIFY2(now == rows, qPrintable(u"killed at step %1"_s.arg(point)));
            // The copies open with the same password as the database.
            for (const QString& copy : {u"/RCopy"_s, u"/RCopy/previous"_s})
                QVERIFY(PasswordHash::matches(password, DatabaseFolder::password(folder + copy)));
            QCOMPARE(QDir(folder).entryList({u".zovi-rekey*"_s}, QDir::AllEntries | QDir::Hidden),
                     QStringList());
            if (!killed)
                QVERIFY(isNew); // the rewrite that ran to its end is in place
        }
        QVERIFY(point > 3 * 13); // a step after each table file of each copy at the least
    }

    // A committed rewrite that cannot be finished refuses the opening with its reason, instead
    // of opening a folder that holds tables of both keys; once it can, the opening finishes it.
    void unfinishedRewriteOpensNothing() {
        const QString folder = m_db->folder();
        makeEncrypted(kPassword, 1);
        const QString commit = folder + u"/.zovi-rekeyed/RCopy"_s;
        QVERIFY(QDir().mkpath(commit));
        zovi::test::WriteBytes(commit + u"/Kurs.db"_s, "new");
        QVERIFY(QDir(folder + u"/RCopy"_s).removeRecursively());
        zovi::test::WriteBytes(folder + u"/RCopy"_s, "a file where a folder should be");
        {
            Opened db(folder, kPassword);
            QVERIFY(!db.outcome.opened);
            QVERIFY2(db.outcome.refusal.contains(u"RCopy"_s), qPrintable(db.outcome.refusal));
            QVERIFY(!db.data.tbData.isOpen());
        }
        QVERIFY(QFile::remove(folder + u"/RCopy"_s));
        Opened db(folder, kPassword);
        QVERIFY2(db.outcome.opened, qPrintable(db.outcome.refusal));
        QCOMPARE(ReadBytes(folder + u"/RCopy/Kurs.db"_s), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(folder + u"/.zovi-rekeyed"_s));
    }

    // The copies of an encrypted database, the backup and the copy at close, are encrypted with
    // its key and open with its password.
    void copiesAreEncrypted_data() {
        QTest::addColumn<bool>("backup");
        QTest::newRow("backup") << true;
        QTest::newRow("copy at close") << false;
    }
    void copiesAreEncrypted() {
        QFETCH(bool, backup);
        makeEncrypted(kPassword, 5);
        const QString target =
            backup ? m_db->root() + u"/backup"_s : DatabaseFolder::copiesFolder(m_db->folder());
        QVERIFY(QDir().mkpath(target));
        {
            Opened db(m_db->folder(), kPassword);
            QVERIFY(db.outcome.opened);
            if (backup)
                QCOMPARE(MakeBackup(m_db->folder(), u"Test"_s, target).message, QString());
            else
                MakeLocalCopy(m_db->folder());
        }
        TableCrypt::forget(m_db->folder());
        QVERIFY(!TableCrypt::keyFor(target + u"/Data.db"_s));
        const QString ledger = target + u"/Data.db"_s;
        QVERIFY(TableCrypt::looksEncrypted(ledger));
        QVERIFY2(Sqlite3Says(ledger).contains(u"file is not a database"_s),
                 qPrintable(Sqlite3Says(ledger)));
        // The copy is a database of its own that opens with the password, and with it only.
        QVERIFY(!Opened(target, u"wrong"_s).outcome.opened);
        Opened copy(target, kPassword);
        QVERIFY2(copy.outcome.opened, qPrintable(copy.outcome.refusal));
        QCOMPARE(copy.data.tbData.recordCount(), 5);
    }

    // The print tables hold an encrypted database's report only encrypted, made fresh at its
    // opening; a plain database finds them plain again.
    void printTablesFollowTheDatabase() {
        makeEncrypted(kPassword, 1);
        const QString report = DataFolder::file(u"Report/data.db"_s);
        {
            Opened db(m_db->folder(), kPassword);
            QVERIFY(db.outcome.opened);
            QVERIFY(db.data.tbReportData.isOpen());
            zovi::test::Put(db.data.tbReportData, {{"Name", kPassword}});
        }
        QVERIFY(TableCrypt::looksEncrypted(report));
        QVERIFY(!ReadBytes(report).contains(kPassword.toUtf8()));
        zovi::test::TempDatabase plain;
        ProgramFolder::set(m_db->programFolder());
        Opened db(plain.folder(), QString());
        QVERIFY2(db.outcome.opened, qPrintable(db.outcome.refusal));
        QVERIFY(!TableCrypt::looksEncrypted(report));
        QCOMPARE(db.data.tbReportData.recordCount(), 0);
    }
};

QTEST_MAIN(TestEncryption)
#include "tst_encryption.moc"
