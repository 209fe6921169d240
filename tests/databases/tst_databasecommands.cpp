#include "core/paths.h"
#include "databases/catalogue.h"
#include "databases/databasecommands.h"
#include "databases/databasefolder.h"
#include "databases/passwordhash.h"
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <csignal>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::ExecFile;
using zovi::test::QueryFile;
using zovi::test::ReadBytes;
using zovi::test::WriteBytes;

namespace {

// Every file and folder under root, relative to it, sorted.
QStringList Tree(const QString& root) {
    QStringList names;
    const QDir base(root);
    QStringList pending{root};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            names << base.relativeFilePath(info.filePath());
            if (info.isDir())
                pending << info.filePath();
        }
    }
    names.sort();
    return names;
}

// The stored password a confirmation was asked for, told by the password it keeps: password
// when stored keeps it, otherwise stored itself.
QString Kept(const QString& stored, const QString& password) {
    return PasswordHash::matches(password, stored) ? password : stored;
}

} // namespace

class TestDatabaseCommands : public zovi::test::DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    // Only the passwords' own tests need the hash's full cost.
    void initTestCase() { PasswordHash::setCost(PasswordHash::Cost::Lowest); }
    void init() { initFolders(); }
    void cleanup() { cleanupDatabase(); }

    // Every refusal leaves the handles closed; a refusal before the binding leaves them unbound.
    void openRefuses_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("damaged"); // garbage, or these statements run on it:
        QTest::addColumn<QStringList>("reshaped");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<bool>("given");      // the user gives the password when asked
        QTest::addColumn<bool>("asked");      // the password is asked
        QTest::addColumn<bool>("bound");      // the handles were bound before the refusal
        QTest::addColumn<QString>("refusal"); // the whole refusal, or a text it holds
        QTest::addColumn<bool>("beep");
        const QByteArray none;
        QTest::newRow("missing folder") << u"/gone"_s << QString() << QString() << QStringList()
                                        << none << true << false << false << u"err019"_s << true;
        QTest::newRow("empty folder text") << QString() << QString() << QString() << QStringList()
                                           << none << true << false << false << u"err019"_s << true;
        QTest::newRow("no data.un") << u"/db/"_s << u"data.un"_s << QString() << QStringList()
                                    << none << true << false << false << u"err019"_s << true;
        QTest::newRow("missing table")
            << u"/db/"_s << u"GrD2.db"_s << QString() << QStringList() << none << true << false
            << false << u"err020 GrD2.db"_s << true;
        QTest::newRow("translated") << u"/db"_s << u"Valuta.db"_s << QString() << QStringList()
                                    << QByteArray("err020=Нет таблицы\n") << true << false << false
                                    << QStringLiteral("Нет таблицы Valuta.db") << true;
        QTest::newRow("wrong password") << u"/db/"_s << QString() << QString() << QStringList()
                                        << none << false << true << false << QString() << false;
        QTest::newRow("unreadable password")
            << u"/db/"_s << QString() << u"data.un"_s << QStringList() << none << true << false
            << false << u"data.un"_s << false;
        QTest::newRow("damaged table") << u"/db/"_s << QString() << u"Gr1.db"_s << QStringList()
                                       << none << true << true << true << u"Gr1.db"_s << false;
        // The ledger itself damaged, or of another shape: each refused naming the file.
        QTest::newRow("damaged ledger") << u"/db/"_s << QString() << u"Data.db"_s << QStringList()
                                        << none << true << true << true << u"Data.db"_s << false;
        QTest::newRow("ledger without a field")
            << u"/db/"_s << QString() << u"Data.db"_s
            << QStringList{u"ALTER TABLE Data DROP COLUMN Valuta"_s} << none << true << true << true
            << u"Data.db does not fit: it has no field \"Valuta\""_s << false;
        QTest::newRow("ledger without its key")
            << u"/db/"_s << QString() << u"Data.db"_s
            << QStringList{u"ALTER TABLE Data RENAME TO Old"_s,
                           u"CREATE TABLE Data AS SELECT * FROM Old"_s, u"DROP TABLE Old"_s}
            << none << true << true << true << u"its field \"ID\" is not an INTEGER PRIMARY KEY"_s
            << false;
    }
    void openRefuses() {
        QFETCH(QString, folder);
        QFETCH(QString, removed);
        QFETCH(QString, damaged);
        QFETCH(QStringList, reshaped);
        QFETCH(QByteArray, lang);
        QFETCH(bool, given);
        QFETCH(bool, asked);
        QFETCH(bool, bound);
        QFETCH(QString, refusal);
        QFETCH(bool, beep);
        DatabaseFolder::setPassword(m_db->folder(), u"Secret"_s);
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(m_db->file(removed)));
        for (const QString& statement : reshaped)
            QVERIFY(ExecFile(m_db->file(damaged), statement).isNull());
        if (!damaged.isEmpty() && reshaped.isEmpty())
            WriteBytes(m_db->file(damaged), QByteArray(4096, 'x'));
        const QByteArray before = damaged.isEmpty() ? QByteArray() : ReadBytes(m_db->file(damaged));
        if (!lang.isEmpty())
            WriteBytes(ProgramFolder::file(u"lang.ini"_s), lang);
        LedgerTables data;
        DebtTables cd;
        QStringList askedFor;
        const OpenOutcome outcome =
            OpenChosenDatabase(data, cd, folder.isEmpty() ? QString() : m_db->root() + folder,
                               [&](const QString& stored) {
                                   askedFor << Kept(stored, u"Secret"_s);
                                   return given;
                               });
        QVERIFY(!outcome.opened);
        QVERIFY(outcome.folder.isEmpty());
        // The fixed refusals are whole; the store's name the file they could not read.
        if (refusal.isEmpty() || beep)
            QCOMPARE(outcome.refusal, refusal);
        else
            QVERIFY2(outcome.refusal.contains(refusal), qPrintable(outcome.refusal));
        QCOMPARE(outcome.beep, beep);
        QCOMPARE(askedFor, asked ? QStringList{u"Secret"_s} : QStringList());
        for (TableHandle* handle : OpeningOrder(data, cd))
            QVERIFY2(!handle->isOpen(), qPrintable(handle->path()));
        QCOMPARE(!data.tbData.path().isEmpty(), bound);
        if (!damaged.isEmpty())
            QCOMPARE(ReadBytes(m_db->file(damaged)), before); // nothing written
    }

    // One database is open in one instance at a time; a killed instance leaves no lock behind.
    void secondInstanceRefused() {
        const QString folder = m_db->folder() + u'/';
        const auto openHere = [&](LedgerTables& data, DebtTables& cd) {
            return OpenChosenDatabase(data, cd, folder, [](const QString&) { return true; });
        };
        const auto otherInstance = [&](QProcess& process) {
            process.start(QStringLiteral(ZOVI_LOCK_HOLDER), {folder});
            return process.waitForReadyRead(10000) ? process.readLine().trimmed() : QByteArray();
        };
        QProcess first;
        QCOMPARE(otherInstance(first), QByteArray("locked"));
        {
            LedgerTables data;
            DebtTables cd;
            const OpenOutcome refused = openHere(data, cd);
            QVERIFY(!refused.opened);
            QCOMPARE(refused.refusal, u"The database is already open in another window."_s);
            QVERIFY(!data.tbData.isOpen());
        }
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));

        LedgerTables data;
        DebtTables cd;
        QVERIFY(openHere(data, cd).opened);
        QProcess second;
        QCOMPARE(otherInstance(second), QByteArray("busy"));
        second.waitForFinished(10000);
        CloseDatabase(data, cd);
        QProcess third;
        QCOMPARE(otherInstance(third), QByteArray("locked"));
        third.kill();
        third.waitForFinished(10000);
    }

    // A super-journal that no journal names is left over from a killed process: opening removes
    // it; one a journal still names stays.
    void openRemovesStaleSuperJournals() {
        const QString stale = m_db->file(u"Data.db-mj0A1B2C3D4"_s);
        const QString named = m_db->file(u"Data.db-mj5E6F7A8B9"_s);
        WriteBytes(stale, "left by a killed process");
        WriteBytes(named, "still named");
        WriteBytes(m_db->file(u"other-journal"_s), "... Data.db-mj5E6F7A8B9 ...");
        LedgerTables data;
        DebtTables cd;
        QVERIFY(OpenChosenDatabase(data, cd, m_db->folder(), {}).opened);
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(QFileInfo::exists(named));
        CloseDatabase(data, cd);
    }

    void openOpens_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("folder");
        QTest::newRow("no password") << QString() << u"/db"_s;
        QTest::newRow("password given") << u"Пароль"_s << u"/db/"_s;
    }
    void openOpens() {
        QFETCH(QString, password);
        QFETCH(QString, folder);
        DatabaseFolder::setPassword(m_db->folder(), password);
        // The folder has no RCopy/ (registered as it was): opening makes it for the copy at close.
        const QString copies = m_db->folder() + u"/RCopy"_s;
        QVERIFY(!QFileInfo::exists(copies));
        LedgerTables data;
        DebtTables cd;
        QStringList asked;
        int steps = 0;
        const OpenOutcome outcome = OpenChosenDatabase(
            data, cd, m_db->root() + folder,
            [&](const QString& stored) {
                asked << Kept(stored, password);
                return true;
            },
            [&] { ++steps; });
        QVERIFY2(outcome.opened, qPrintable(outcome.refusal));
        QCOMPARE(outcome.refusal, QString());
        QCOMPARE(outcome.folder, m_db->folder() + u'/');
        QCOMPARE(asked, password.isEmpty() ? QStringList() : QStringList{password});
        const QList<TableHandle*> handles = OpeningOrder(data, cd);
        for (TableHandle* handle : handles)
            QVERIFY2(handle->isOpen(), qPrintable(handle->path()));
        QCOMPARE(steps, BindingOrder(data, cd).size() + handles.size());
        QVERIFY(QFileInfo(copies).isDir());
        CloseDatabase(data, cd);
    }

    // A folder without a database has nothing to protect; an unreadable password fails.
    void checkPassword() {
        bool asked = false;
        const auto confirm = [&](const QString&) {
            return asked = true;
        };
        const PasswordCheck none = CheckPassword(m_db->root() + u"/gone"_s, confirm);
        QVERIFY(none.passed && none.password.isEmpty() && none.error.isEmpty() && !asked);
        WriteBytes(m_db->file(u"data.un"_s), "not a table");
        const PasswordCheck broken = CheckPassword(m_db->folder(), confirm);
        QVERIFY(!broken.passed && !asked);
        QVERIFY2(broken.error.contains(u"data.un"_s), qPrintable(broken.error));
    }

    // data.un keeps a salted hash, never the password. One an older version kept as typed is
    // read as typed, even when it begins like a hash, and gives way to its hash once the
    // database is opened with it; the copies made from then on hold the hash.
    void passwordKeptAsHash_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << u"Секретный пароль 7"_s;
        QTest::newRow("begins like a hash") << u"$argon2id$v=19$m=65536,t=2,p=1$Secret"_s;
    }
    void passwordKeptAsHash() {
        QFETCH(QString, password);
        PasswordHash::setCost(PasswordHash::Cost::Default);
        const auto lower = qScopeGuard([] { PasswordHash::setCost(PasswordHash::Cost::Lowest); });
        const QString un = m_db->file(u"data.un"_s);
        const auto inClear = [&](const QString& file) {
            return ReadBytes(file).contains(password.toUtf8());
        };
        QVERIFY(ExecFile(un, u"UPDATE un SET Password = '%1'"_s.arg(password)).isNull());
        QVERIFY(inClear(un));
        QStringList asked;
        const auto open = [&](const QString& typed) {
            LedgerTables data;
            DebtTables cd;
            const OpenOutcome outcome =
                OpenChosenDatabase(data, cd, m_db->folder(), [&](const QString& stored) {
                    asked << stored;
                    return PasswordHash::matches(typed, stored);
                });
            CloseDatabase(data, cd);
            return outcome.opened;
        };
        QVERIFY(!open(password.toLower()));
        QVERIFY(inClear(un)); // a refused password changes nothing
        QVERIFY(open(password));
        QCOMPARE(asked, (QStringList{password, password}));
        const QString stored = DatabaseFolder::password(m_db->folder());
        QVERIFY2(PasswordHash::isHash(stored), qPrintable(stored));
        QVERIFY(!inClear(un));
        QVERIFY(!PasswordHash::matches(stored, stored)); // the hash is no password
        asked.clear();
        QVERIFY(!open(password.toLower()));
        QVERIFY(open(password));
        QCOMPARE(asked, (QStringList{stored, stored}));
        QCOMPARE(DatabaseFolder::password(m_db->folder()), stored);

        const QString copies = m_db->root() + u"/copies"_s;
        QVERIFY(QDir().mkpath(copies));
        QCOMPARE(MakeBackup(m_db->folder(), u"Test"_s, copies).message, QString());
        MakeLocalCopy(m_db->folder());
        for (const QString& copy : {copies, DatabaseFolder::copiesFolder(m_db->folder())}) {
            QCOMPARE(DatabaseFolder::password(copy), stored);
            QVERIFY(!inClear(copy + u"/data.un"_s));
        }
    }

    // An entry leaves the catalogue only with its password given, unless data.un cannot be
    // read: then it goes after a notice naming the file.
    void entryRemoval_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("given");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("no password") << QString() << false << false << true;
        QTest::newRow("password given") << u"pw"_s << true << false << true;
        QTest::newRow("password refused") << u"pw"_s << false << false << false;
        QTest::newRow("data.un unreadable") << QString() << false << true << true;
    }
    void entryRemoval() {
        QFETCH(QString, password);
        QFETCH(bool, given);
        QFETCH(bool, damaged);
        QFETCH(bool, allowed);
        DatabaseFolder::setPassword(m_db->folder(), password);
        if (damaged)
            WriteBytes(m_db->file(u"data.un"_s), "not a table");
        QStringList asked;
        const EntryRemoval removal = CheckEntryRemoval(m_db->folder(), [&](const QString& stored) {
            asked << Kept(stored, password);
            return given;
        });
        QCOMPARE(removal.allowed, allowed);
        QCOMPARE(asked, password.isEmpty() ? QStringList() : QStringList{password});
        QCOMPARE(removal.notice.isEmpty(), !damaged);
        if (damaged)
            QVERIFY2(removal.notice.contains(QDir::toNativeSeparators(m_db->file(u"data.un"_s))),
                     qPrintable(removal.notice));
    }

    // A database made from the template, then its catalogue line written as the editor does.
    void addCreatesAndRegisters() {
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        Catalogue::write({}); // an empty catalogue: the editor shows one empty entry
        NewDatabase request;
        request.name = u"Дом"_s;
        request.password = u"pw"_s;
        int length = -1;
        int steps = 0;
        const NewDatabaseOutcome outcome = AddDatabase(
            request, [&](int n) { length = n; }, [&] { ++steps; });
        const QString folder = ProgramFolder::file(u"Databases/Дом/"_s);
        QVERIFY(outcome.added);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(outcome.entry.name, u"Дом"_s);
        QCOMPARE(outcome.entry.folder, folder);
        QCOMPARE(length, DatabaseFolder::templateLength(ProgramFolder::file(u"Template/"_s)));
        QCOMPARE(steps, length);
        QCOMPARE(DatabaseFolder::check(folder), DatabaseFolder::Check::Ok);
        QVERIFY(QFileInfo(folder + u"RCopy"_s).isDir());
        QCOMPARE(Kept(DatabaseFolder::password(folder), u"pw"_s), u"pw"_s);
        QVERIFY(PasswordHash::isHash(DatabaseFolder::password(folder)));

        CatalogueDraft draft = CatalogueDraft::read();
        QVERIFY(!draft.hasDatabase());
        QCOMPARE(draft.add(outcome.entry), 0);
        QVERIFY(draft.hasDatabase());
        draft.write();
        QCOMPARE(ReadBytes(Catalogue::path()), (u"Дом*"_s + folder + u'\n').toUtf8());
        QCOMPARE(Catalogue::readForChooser().size(), 1);

        // Registering it again keeps its files and its password.
        request.password = u"other"_s;
        const NewDatabaseOutcome again = AddDatabase(request);
        QVERIFY(again.added);
        QCOMPARE(again.message, u"Database already is exist"_s);
        QCOMPARE(again.entry.folder, folder);
        QCOMPARE(Kept(DatabaseFolder::password(folder), u"pw"_s), u"pw"_s);
        QCOMPARE(draft.add(again.entry), 1);
        QCOMPARE(draft.remove(1), 0);
        QCOMPARE(draft.remove(0), 0);
        QVERIFY(!draft.hasDatabase());
        draft.write();
        QCOMPARE(ReadBytes(Catalogue::path()), QByteArray("*\n"));
    }

    // A refused or failed addition leaves the file system as it was.
    void addLeavesNothingOnFailure_data() {
        QTest::addColumn<QString>("folder"); // empty: Databases/<name>/
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QString>("message");
        QTest::newRow("parent is a file")
            << u"/file/new"_s << u"file"_s << u"The folder %1/file/new/RCopy cannot be created."_s;
        QTest::newRow("template without copy.txt") << QString() << u"no list"_s << u"copy.txt"_s;
        QTest::newRow("existing folder, table cannot be written")
            << u"/mine"_s << u"blocked"_s << u"Gr1.db"_s;
        QTest::newRow("name cannot be a folder") << QString() << u"dot dot"_s << u"\"..\""_s;
        QTest::newRow("template lists a file outside")
            << QString() << u"outside"_s << u"../../outside.txt"_s;
    }
    void addLeavesNothingOnFailure() {
        QFETCH(QString, folder);
        QFETCH(QString, prepare);
        QFETCH(QString, message);
        const QString templ = ProgramFolder::file(u"Template"_s);
        WriteTemplateFolder(templ);
        NewDatabase request;
        request.name = prepare == u"dot dot"_s ? u".."_s : u"New"_s;
        request.inDatabases = folder.isEmpty();
        request.folder = m_db->root() + folder;
        if (prepare == u"file"_s)
            WriteBytes(m_db->root() + u"/file"_s, "a file");
        if (prepare == u"no list"_s)
            QVERIFY(QFile::remove(templ + u"/copy.txt"_s));
        if (prepare == u"outside"_s) {
            WriteBytes(templ + u"/copy.txt"_s,
                       ReadBytes(templ + u"/copy.txt"_s) + "\n../../outside.txt\n");
            WriteBytes(m_db->root() + u"/outside.txt"_s, "outside");
        }
        if (prepare == u"blocked"_s) {
            QVERIFY(QDir().mkpath(request.folder + u"/Gr1.db"_s)); // a folder where a file goes
            WriteBytes(request.folder + u"/notes.txt"_s, "mine");
        }
        const QStringList before = Tree(m_db->root());
        const NewDatabaseOutcome outcome = AddDatabase(request);
        QVERIFY(!outcome.added);
        QVERIFY2(outcome.message.contains(message.arg(QDir::toNativeSeparators(m_db->root()))),
                 qPrintable(outcome.message));
        QCOMPARE(Tree(m_db->root()), before);
    }

    void backup_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QString>("message");
        QTest::newRow("whole") << u"/copies"_s << true << true << QString();
        QTest::newRow("no folder chosen")
            << QString() << true << false << u"Choose the folder for the copy."_s;
        QTest::newRow("nothing listed") << u"/copies"_s << false << false << u"copy.txt"_s;
        QTest::newRow("folder gone") << u"/gone"_s << true << true << u"Data.db"_s;
        QTest::newRow("the database itself") << u"/db"_s << true << true << u"Data.db"_s;
    }
    void backup() {
        QFETCH(QString, target);
        QFETCH(bool, listed);
        QFETCH(bool, copied);
        QFETCH(QString, message);
        QVERIFY(QDir().mkpath(m_db->root() + u"/copies"_s));
        if (!listed)
            WriteBytes(m_db->file(u"copy.txt"_s), "\n");
        int steps = 0;
        const BackupOutcome outcome =
            MakeBackup(m_db->folder(), u"Test"_s,
                       target.isEmpty() ? QString() : m_db->root() + target, [&] { ++steps; });
        QCOMPARE(outcome.copied, copied);
        if (message.isEmpty())
            QCOMPARE(outcome.message, QString());
        else
            QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        QCOMPARE(steps, copied ? DatabaseFolder::listedFiles(m_db->folder()).size() : 0);
        const bool whole = copied && message.isEmpty();
        QCOMPARE(DatabaseFolder::check(m_db->root() + u"/copies"_s) == DatabaseFolder::Check::Ok,
                 whole);
        QCOMPARE(DatabaseFolder::check(m_db->folder()), DatabaseFolder::Check::Ok);
        QVERIFY(!QFileInfo::exists(m_db->folder() + u"/previous"_s));
    }

    // A second copy moves the first into previous/, so that a copy of damaged data never
    // replaces the only good one.
    void backupKeepsThePreviousCopy() {
        const QString copies = m_db->root() + u"/copies"_s;
        QVERIFY(QDir().mkpath(copies));
        QVERIFY(ExecFile(m_db->file(u"Gr1.db"_s), u"INSERT INTO Gr1 VALUES ('first')"_s).isNull());
        QCOMPARE(MakeBackup(m_db->folder(), u"Test"_s, copies).message, QString());
        QVERIFY(!QFileInfo::exists(copies + u"/previous"_s));
        const QByteArray first = ReadBytes(copies + u"/Gr1.db"_s);
        QVERIFY(ExecFile(m_db->file(u"Gr1.db"_s), u"UPDATE Gr1 SET Name = 'second'"_s).isNull());
        QCOMPARE(MakeBackup(m_db->folder(), u"Test"_s, copies).message, QString());
        QCOMPARE(ReadBytes(copies + u"/previous/Gr1.db"_s), first);
        QCOMPARE(QueryFile(copies + u"/Gr1.db"_s, u"SELECT Name FROM Gr1"_s), u"second"_s);
        QCOMPARE(DatabaseFolder::check(copies + u"/previous"_s), DatabaseFolder::Check::Ok);
    }

    // A line of copy.txt names a file inside the database folder and nothing else: one that
    // leads elsewhere is skipped and named in the message, no file outside either folder is read
    // into the copy or written, and the listed files still make a whole copy.
    void backupStaysInsideItsFolders() {
        const QString root = m_db->root();
        const QString chosen = root + u"/copies/deep"_s;
        QVERIFY(QDir().mkpath(chosen));
        WriteBytes(root + u"/victim.txt"_s, "beside the database");
        WriteBytes(root + u"/copies/victim.txt"_s, "beside the copy");
        WriteBytes(root + u"/secret.txt"_s, "secret");
        QVERIFY(QFile::link(root + u"/secret.txt"_s, m_db->file(u"link.txt"_s)));
        const QStringList bad = {u"../victim.txt"_s, root + u"/secret.txt"_s,
                                 u"RCopy/../../victim.txt"_s, u".."_s, u"link.txt"_s};
        QByteArray list = ReadBytes(m_db->file(u"copy.txt"_s)) + '\n';
        for (const QString& line : bad)
            list += line.toUtf8() + '\n';
        WriteBytes(m_db->file(u"copy.txt"_s), list);

        const BackupOutcome outcome = MakeBackup(m_db->folder(), u"Test"_s, chosen);
        QCOMPARE(ReadBytes(root + u"/copies/victim.txt"_s), QByteArray("beside the copy"));
        QCOMPARE(QDir(root + u"/copies"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({u"deep"_s, u"victim.txt"_s}));
        for (const QString& name : bad)
            QVERIFY2(outcome.message.contains(name), qPrintable(outcome.message));
        const QDir copy(chosen);
        QVERIFY(!QFileInfo::exists(copy.filePath(u"link.txt"_s)));
        QVERIFY(copy.entryList({u"*victim*"_s, u"*secret*"_s}, QDir::AllEntries).isEmpty());
        QCOMPARE(DatabaseFolder::check(chosen), DatabaseFolder::Check::Ok);
    }

    // A copy never moves another database's copy aside (the next copy would destroy it): where
    // the chosen folder holds one, the copy goes into a sub-folder named after this database.
    // Whose copy a folder holds is read from the note a copy leaves, or, for a copy without one,
    // from its oldest entries.
    void backupNeverOverwritesAnotherDatabasesCopy_data() {
        QTest::addColumn<QString>("chosen");        // relative to the test's root
        QTest::addColumn<QString>("holds");         // what the chosen folder holds before
        QTest::addColumn<QString>("expected");      // where the copy goes, relative to the root
        const QString own = u"/chosen/My_ money"_s; // the name made fit for a folder
        QTest::newRow("empty folder") << u"/chosen"_s << u"nothing"_s << u"/chosen"_s;
        QTest::newRow("this database's copy") << u"/chosen"_s << u"ours"_s << u"/chosen"_s;
        QTest::newRow("another's copy") << u"/chosen"_s << u"theirs"_s << own;
        QTest::newRow("older copy of this database")
            << u"/chosen"_s << u"ours without note"_s << u"/chosen"_s;
        QTest::newRow("older copy of another") << u"/chosen"_s << u"theirs without note"_s << own;
        QTest::newRow("sub-folder taken too")
            << u"/chosen"_s << u"theirs twice"_s << own + u" (2)"_s;
        QTest::newRow("user's backups folder")
            << u"/backups"_s << u"nothing"_s << u"/backups/My_ money"_s;
    }
    void backupNeverOverwritesAnotherDatabasesCopy() {
        QFETCH(QString, chosen);
        QFETCH(QString, holds);
        QFETCH(QString, expected);
        const QString name = u"My: money"_s;
        const auto addEntry = [](const QString& folder, const QString& entry) {
            QVERIFY(ExecFile(folder + u"/Data.db"_s,
                             u"INSERT INTO Data (Date, Name, Type) VALUES ('2026-03-01', '%1', "
                             u"'R')"_s.arg(entry))
                        .isNull());
        };
        addEntry(m_db->folder(), u"ours"_s);
        const QString other = m_db->root() + u"/other"_s;
        WriteTemplateFolder(other);
        addEntry(other, u"theirs"_s);
        const QString target = m_db->root() + chosen;
        QVERIFY(QDir().mkpath(target));
        if (holds == u"ours"_s)
            QCOMPARE(MakeBackup(m_db->folder(), name, target).target, target);
        if (holds.startsWith(u"theirs"_s))
            QCOMPARE(MakeBackup(other, name, target).target, target);
        if (holds == u"theirs twice"_s) {
            const QString third = m_db->root() + u"/third"_s;
            WriteTemplateFolder(third);
            QVERIFY(QDir().mkpath(target + u"/My_ money"_s));
            QCOMPARE(MakeBackup(third, name, target + u"/My_ money"_s).message, QString());
        }
        if (holds.endsWith(u"without note"_s))
            QVERIFY(zovi::test::CopyFolder(holds.startsWith(u"ours"_s) ? m_db->folder() : other,
                                           target));
        const QByteArray before = ReadBytes(target + u"/Data.db"_s);

        // Twice: the second copy moves the first aside, and nothing but this database's copy.
        for (int round = 1; round <= 2; ++round) {
            const BackupOutcome outcome = MakeBackup(m_db->folder(), name, target);
            QCOMPARE(outcome.message, QString());
            QCOMPARE(outcome.target, m_db->root() + expected);
        }
        const QString copy = m_db->root() + expected;
        QCOMPARE(QueryFile(copy + u"/Data.db"_s, u"SELECT Name FROM Data"_s), u"ours"_s);
        QCOMPARE(QueryFile(copy + u"/previous/Data.db"_s, u"SELECT Name FROM Data"_s), u"ours"_s);
        // The note says whose copy the folder holds.
        const QString note = QString::fromUtf8(ReadBytes(copy + u"/zovi-backup.txt"_s));
        QVERIFY2(note.contains(u"\ndatabase=My: money\nfolder=%1\n"_s.arg(m_db->folder())),
                 qPrintable(note));
        if (copy != target) {
            QCOMPARE(ReadBytes(target + u"/Data.db"_s), before);
            QVERIFY(!QFileInfo::exists(target + u"/previous"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestDatabaseCommands)

#include "tst_databasecommands.moc"
