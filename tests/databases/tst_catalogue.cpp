#include "databases/catalogue.h"
#include "databases/databasefolder.h"
#include "databases/passwordhash.h"
#include "fixtures.h"
#include "fulldisk.h"
#include "killedrun.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>
#include <fcntl.h>
#include <optional>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::QueryFile;
using zovi::test::ReadBytes;
using zovi::test::WriteBytes;

namespace {

QStringList Texts(std::initializer_list<const char*> items) {
    QStringList texts;
    for (const char* item : items)
        texts << QString::fromUtf8(item);
    return texts;
}

QStringList Pairs(const QList<CatalogueEntry>& entries) {
    QStringList pairs;
    for (const CatalogueEntry& e : entries)
        pairs << e.name + u'|' + e.folder;
    return pairs;
}

// Whether another process sees a lock of this one on SQLite's lock bytes of the file. A child
// process asks, since the system never reports a process's own locks to itself.
bool LockedForOthers(const QString& file) {
    const QByteArray name = QFile::encodeName(file);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(name.constData(), O_RDONLY);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0x40000000; // the pending, reserved and shared lock bytes
        probe.l_len = 512;
        _exit(fd >= 0 && fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void AddEntry(TableHandle& t, const QString& name) {
    zovi::test::Put(t, {{"Date", u"01.03.2005"_s}, {"Name", name}});
}

// Marks a database as being in a session of its own: every table file it lists carries the
// session's number as its user_version, and its listed session.txt holds the number.
void MarkSession(const QString& folder, int session) {
    for (const QString& name : DatabaseFolder::listedFiles(folder)) {
        const QString file = folder + u'/' + name;
        if (ReadBytes(file).startsWith("SQLite format 3"))
            QVERIFY(
                zovi::test::ExecFile(file, u"PRAGMA user_version = %1"_s.arg(session)).isNull());
    }
    WriteBytes(folder + u"/session.txt"_s, QByteArray::number(session));
}

// The session of the copy in a folder when every listed file is there and from that one
// session; -1 when a file is missing or the files are of several sessions.
int SessionOf(const QString& copy, const QStringList& listed) {
    QSet<int> sessions;
    for (const QString& name : listed) {
        const QString file = copy + u'/' + name;
        const QByteArray bytes = ReadBytes(file);
        if (!QFileInfo::exists(file))
            return -1;
        if (name == u"session.txt"_s)
            sessions << bytes.toInt();
        else if (bytes.startsWith("SQLite format 3"))
            sessions << QueryFile(file, u"PRAGMA user_version"_s).toInt();
    }
    return sessions.size() == 1 ? *sessions.begin() : -1;
}

} // namespace

class TestCatalogue : public zovi::test::DatabaseTest {
    Q_OBJECT

    QString bases() const { return m_db->programFolder() + u"/bases.ini"_s; }

private Q_SLOTS:
    // The catalogue's tests need a password's hash, not its strength.
    void initTestCase() { PasswordHash::setCost(PasswordHash::Cost::Lowest); }
    void init() { initFolders(); }
    void cleanup() { cleanupDatabase(); }

    void defaultCatalogue() {
        const QByteArray user = qgetenv("USER");
        qputenv("USER", "tester");
        Catalogue::ensureExists();
        if (user.isNull())
            qunsetenv("USER");
        else
            qputenv("USER", user);
        const QString p = m_db->programFolder();
        QCOMPARE(QString::fromUtf8(ReadBytes(bases())),
                 u"tester*%1/Databases/Default/\nПример*%1/Databases/Example/\n"_s.arg(p));
        WriteBytes(bases(), "Mine*/x/\n");
        Catalogue::ensureExists();
        QCOMPARE(ReadBytes(bases()), QByteArray("Mine*/x/\n"));
    }

    // How the start-up chooser and the catalogue editor read the same file.
    void reading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("chooser");
        QTest::addColumn<QStringList>("editor");
        QTest::newRow("two") << QByteArray("A*/d/a/\nB*/d/b/\n") << Texts({"A|/d/a", "B|/d/b"})
                             << Texts({"A|/d/a/", "B|/d/b/"});
        QTest::newRow("blank lines")
            << QByteArray("\n  \nA*/d/a/\n\n") << Texts({"A|/d/a"}) << Texts({"  |  ", "A|/d/a/"});
        QTest::newRow("crlf, last line open")
            << QByteArray("A*/d/a/\r\nB*/d/b/") << Texts({"A|/d/a", "B|/d/b"})
            << Texts({"A|/d/a/", "B|/d/b/"});
        QTest::newRow("no separator")
            << QByteArray("A*/d/a\n") << Texts({"A|/d/"}) << Texts({"A|/d/a"});
        QTest::newRow("star alone") << QByteArray("*\n") << Texts({"|"}) << Texts({"|"});
        QTest::newRow("no star") << QByteArray("abc\n") << Texts({"abc|"}) << Texts({"abc|abc"});
        QTest::newRow("second star")
            << QByteArray("A*/d/b*c/") << Texts({"A|/d/b*c"}) << Texts({"A|/d/b*c/"});
        QTest::newRow("windows-1251")
            << QByteArray("\xCF\xF0\xE8\xEC\xE5\xF0*/d/\xEF"
                          "/\n") // "Пример*/d/п/"
            << QStringList{u"Пример|/d/п"_s} << QStringList{u"Пример|/d/п/"_s};
        QTest::newRow("one windows-1251 line among UTF-8 lines")
            << (u"Дом*/d/дом/\n"_s.toUtf8() + "\xCF\xF0\xE8\xEC\xE5\xF0*/d/\xEF/\n" +
                u"Ёлка*/d/ё/\n"_s.toUtf8())
            << QStringList{u"Дом|/d/дом"_s, u"Пример|/d/п"_s, u"Ёлка|/d/ё"_s}
            << QStringList{u"Дом|/d/дом/"_s, u"Пример|/d/п/"_s, u"Ёлка|/d/ё/"_s};
        QByteArray many;
        QStringList chooser, editor;
        for (int i = 1; i <= 120; ++i) {
            many += u"db%1*/d/%1/\n"_s.arg(i).toUtf8();
            chooser << u"db%1|/d/%1"_s.arg(i);
            editor << u"db%1|/d/%1/"_s.arg(i);
        }
        QTest::newRow("120 entries") << many << chooser << editor;
    }
    void reading() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, chooser);
        QFETCH(QStringList, editor);
        WriteBytes(bases(), file);
        QCOMPARE(Pairs(Catalogue::readForChooser()), chooser);
        QCOMPARE(Pairs(Catalogue::readForEditor()), editor);
    }

    void writeAndReadBack() {
        const QList<CatalogueEntry> entries = {{u"Дом"_s, u"/d/дом/"_s}, {u"Work"_s, u"/d/w/"_s}};
        Catalogue::write(entries);
        QCOMPARE(ReadBytes(bases()), u"Дом*/d/дом/\nWork*/d/w/\n"_s.toUtf8());
        QCOMPARE(Pairs(Catalogue::readForEditor()), Pairs(entries));
        Catalogue::write({{}});
        QCOMPARE(ReadBytes(bases()), QByteArray("*\n"));
        QCOMPARE(Pairs(Catalogue::readForChooser()), Texts({"|"}));
    }

    // The editor's draft writes anew only the entries that were added or renamed; every other
    // entry keeps the bytes of its line: its encoding and its line end. Empty lines go.
    void draftKeepsUntouchedLines_data() {
        const QByteArray home = u"Дом*/d/дом/\r"_s.toUtf8();        // UTF-8, CRLF
        const QByteArray old = "\xCF\xF0\xE8\xEC\xE5\xF0*/d/\xEF/"; // Windows-1251
        const QByteArray work = "Work*/d/w/";                       // the last line, open
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("written");
        const QByteArray file = home + '\n' + old + "\n\n" + work;
        QTest::newRow("nothing") << file << QString() << home + '\n' + old + '\n' + work + '\n';
        QTest::newRow("same name again")
            << file << u"rename 1 Пример"_s << home + '\n' + old + '\n' + work + '\n';
        QTest::newRow("UTF-8 entry renamed")
            << file << u"rename 0 Дача"_s
            << u"Дача*/d/дом/\n"_s.toUtf8() + old + '\n' + work + '\n';
        QTest::newRow("Windows-1251 entry renamed")
            << file << u"rename 1 Архив"_s
            << home + '\n' + u"Архив*/d/п/\n"_s.toUtf8() + work + '\n';
        QTest::newRow("removed") << file << u"remove 0"_s << old + '\n' + work + '\n';
        QTest::newRow("added") << file << u"add Новая"_s
                               << home + '\n' + old + '\n' + work + '\n' +
                                      u"Новая*/d/new/\n"_s.toUtf8();
    }
    void draftKeepsUntouchedLines() {
        QFETCH(QByteArray, file);
        QFETCH(QString, change);
        QFETCH(QByteArray, written);
        WriteBytes(bases(), file);
        CatalogueDraft draft = CatalogueDraft::read();
        const QStringList words = change.split(u' ');
        if (words.first() == u"rename")
            draft.rename(words.at(1).toInt(), words.at(2));
        else if (words.first() == u"remove")
            draft.remove(words.at(1).toInt());
        else if (words.first() == u"add")
            draft.add({words.at(1), u"/d/new/"_s});
        draft.write();
        QCOMPARE(ReadBytes(bases()), written);
    }

    // A bases.ini that exists but cannot be read is an error, not an empty catalogue.
    void unreadableCatalogue_data() {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder of that name") << true;
        QTest::newRow("no permission to read") << false;
    }
    void unreadableCatalogue() {
        QFETCH(bool, folder);
        if (folder) {
            QVERIFY(QDir().mkpath(bases()));
        } else {
            if (geteuid() == 0)
                QSKIP("permissions do not keep the superuser from reading");
            WriteBytes(bases(), "A*/d/a/\n");
            QVERIFY(QFile::setPermissions(bases(), QFileDevice::WriteOwner));
        }
        for (const auto& read : {&Catalogue::readForChooser, &Catalogue::readForEditor}) {
            try {
                read();
                QFAIL("the catalogue was read");
            } catch (const StoreError& e) {
                QVERIFY2(e.message().contains(u"cannot be read"_s) &&
                             e.message().contains(u"bases.ini"_s),
                         qPrintable(e.message()));
            }
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, CatalogueDraft::read());
    }

    void writeFailsWhole() {
        Catalogue::write({{u"A"_s, u"/d/a/"_s}});
        QVERIFY_THROWS_EXCEPTION(StoreError, Catalogue::write({{u"A"_s, u"/a/"_s}, {u"B*"_s, {}}}));
        QCOMPARE(ReadBytes(bases()), QByteArray("A*/d/a/\n"));
        const QString missing = m_db->root() + u"/nowhere"_s;
        ProgramFolder::set(missing);
        QVERIFY_THROWS_EXCEPTION(StoreError, Catalogue::write({{u"A"_s, u"/d/a/"_s}}));
        QVERIFY(!QFileInfo::exists(missing));
    }

    // On a full disk the catalogue and a backup's lists are left as they were, never emptied,
    // and the failure names the file: on a small full file system, and where none can be
    // mounted, with writes refused by a file size limit.
    void fullDiskKeepsFiles_data() {
        QTest::addColumn<bool>("mount");
        QTest::newRow("full file system") << true;
        QTest::newRow("file size limit") << false;
    }
    void fullDiskKeepsFiles() {
        QFETCH(bool, mount);
        zovi::test::FullDisk disk(m_db->root() + u"/disk"_s);
        if (mount && !disk.mounted())
            QSKIP("No file system can be mounted here.");
        const QString program = mount ? m_db->root() + u"/disk"_s : m_db->programFolder();
        ProgramFolder::set(program);
        Catalogue::write({{u"Old"_s, u"/d/old/"_s}});
        const QString copies = program + u"/copies"_s;
        QVERIFY(QDir().mkpath(copies));
        std::optional<zovi::test::FileSizeLimit> limit;
        if (mount)
            disk.fill();
        else
            QVERIFY(limit.emplace(4).set());

        QString message;
        try {
            Catalogue::write({{u"New"_s, u"/d/new/"_s}});
        } catch (const StoreError& e) {
            message = e.message();
        }
        QStringList reasons;
        const QStringList failed = BackupCopy::copyListed(m_db->folder(), copies, {}, &reasons);
        limit.reset();
        QVERIFY2(message.contains(QDir::toNativeSeparators(Catalogue::path())),
                 qPrintable(message));
        QCOMPARE(ReadBytes(Catalogue::path()), QByteArray("Old*/d/old/\n"));
        for (const QString& list : {u"copy.txt"_s, u"copy2.txt"_s}) {
            QVERIFY(failed.contains(list));
            const QString copy = QDir::toNativeSeparators(copies + u'/' + list);
            QVERIFY2(reasons.join(u'\n').contains(copy), qPrintable(reasons.join(u'\n')));
            QVERIFY(!QFileInfo::exists(copy));
        }
    }

    void check_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("missing");
        const QString db = u"db"_s;
        const int ok = int(DatabaseFolder::Check::Ok);
        const int noPassword = int(DatabaseFolder::Check::NoPassword);
        const int missingTable = int(DatabaseFolder::Check::MissingTable);
        QTest::newRow("template") << db << QStringList{} << false << ok << QString();
        QTest::newRow("upper case") << db << QStringList{} << true << ok << QString();
        QTest::newRow("empty text")
            << QString() << QStringList{} << false << noPassword << QString();
        QTest::newRow("no folder")
            << u"none"_s << QStringList{} << false << noPassword << QString();
        QTest::newRow("no data.un") << db << Texts({"data.un"}) << false << noPassword << QString();
        QTest::newRow("no Kurs.db")
            << db << Texts({"Kurs.db", "DRM.db"}) << true << missingTable << u"Kurs.db"_s;
    }
    void check() {
        QFETCH(QString, folder);
        QFETCH(QStringList, removed);
        QFETCH(bool, upperCase);
        QFETCH(int, result);
        QFETCH(QString, missing);
        QDir dir(m_db->folder());
        for (const QString& name : removed)
            QVERIFY(dir.remove(name));
        for (const QString& name : dir.entryList(QDir::Files)) {
            if (upperCase)
                QVERIFY(dir.rename(name, name.toUpper()));
        }
        QString named = u"stale"_s;
        const QString path = folder.isEmpty() ? QString() : m_db->root() + u'/' + folder;
        QCOMPARE(int(DatabaseFolder::check(path, &named)), result);
        QCOMPARE(named, missing);
    }

    void passwordRoundTrip() {
        const QString folder = m_db->folder();
        const QString un = m_db->file(u"data.un"_s);
        QCOMPARE(DatabaseFolder::password(folder), QString());
        DatabaseFolder::setPassword(folder, u"Пароль 1"_s);
        QVERIFY(PasswordHash::matches(u"Пароль 1"_s, DatabaseFolder::password(folder)));
        QCOMPARE(QueryFile(un, u"SELECT count(*) FROM un"_s), u"1"_s);

        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(un).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "DELETE FROM un", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        QCOMPARE(DatabaseFolder::password(folder), QString());
        DatabaseFolder::setPassword(folder, u"x"_s);
        QVERIFY(PasswordHash::matches(u"x"_s,
                                      QueryFile(un, u"SELECT group_concat(Password) FROM un"_s)));

        QVERIFY(QFile::remove(un));
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseFolder::password(folder));
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseFolder::setPassword(folder, u"x"_s));
        QVERIFY(!DatabaseFolder::exists(folder));
    }

    void copyTemplate_data() {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<int>("result");
        QTest::newRow("whole") << QString() << int(DatabaseFolder::Check::Ok);
        QTest::newRow("Kurs.db missing")
            << u"Kurs.db"_s << int(DatabaseFolder::Check::MissingTable);
    }
    void copyTemplate() {
        QFETCH(QString, removed);
        QFETCH(int, result);
        const QString templ = m_db->programFolder() + u"/Template"_s;
        WriteTemplateFolder(templ);
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(templ + u'/' + removed));
        const QString target = m_db->root() + u"/new"_s;
        QVERIFY(QDir().mkpath(target));
        int steps = 0;
        DatabaseFolder::copyTemplate(templ, target, [&] { ++steps; });
        QCOMPARE(steps, DatabaseFolder::templateLength(templ));
        QCOMPARE(steps, DatabaseFolder::listedFiles(templ).size());
        QCOMPARE(int(DatabaseFolder::check(target)), result);
        if (!removed.isEmpty())
            return;
        LedgerTables data;
        DebtTables cd;
        BindDatabase(data, cd, target, m_db->programFolder());
        OpenDatabase(data, cd);
        QVERIFY(data.tbData.isOpen() && cd.tbOplataCredit2.isOpen());
        CloseDatabase(data, cd);
    }

    void copyTemplateReportsUnwritableFile() {
        const QString target = m_db->root() + u"/new"_s;
        QVERIFY(QDir().mkpath(target + u"/Gr1.db"_s)); // a folder where the file must go
        try {
            DatabaseFolder::copyTemplate(m_db->folder(), target);
            QFAIL("the copy reported success");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(u"Gr1.db"_s), e.what());
        }
    }

    void createFromTemplateKeepsAnExistingFolder() {
        const QString templ = m_db->programFolder() + u"/Template"_s;
        WriteTemplateFolder(templ);
        const QString target = m_db->root() + u"/made"_s;
        QString filled;
        QVERIFY(DatabaseFolder::createFromTemplate(templ, target, [&](const QString& staging) {
            filled = staging;
            QCOMPARE(int(DatabaseFolder::check(staging)), int(DatabaseFolder::Check::Ok));
            QVERIFY(!QFileInfo::exists(target)); // no reader sees it half made
        }));
        QVERIFY(!filled.isEmpty() && !QFileInfo::exists(filled));
        QCOMPARE(int(DatabaseFolder::check(target)), int(DatabaseFolder::Check::Ok));
        QVERIFY(QFileInfo(target + u"/RCopy"_s).isDir());

        WriteBytes(target + u"/mine.txt"_s, "kept");
        bool called = false;
        QVERIFY(!DatabaseFolder::createFromTemplate(templ, target,
                                                    [&](const QString&) { called = true; }));
        QVERIFY(!called);
        QCOMPARE(ReadBytes(target + u"/mine.txt"_s), QByteArray("kept"));

        // A fill that fails leaves no folder behind.
        const QString failed = m_db->root() + u"/failed"_s;
        QVERIFY_THROWS_EXCEPTION(
            StoreError, DatabaseFolder::createFromTemplate(
                            templ, failed, [](const QString&) { throw StoreError(u"no"_s); }));
        QVERIFY(!QFileInfo::exists(failed));
        QVERIFY(!QFileInfo::exists(failed + u".new"_s));
    }

    void backupWhileOpen() {
        openDatabase();
        const QString dataFile = m_db->file(u"Data.db"_s);
        const QString copies = m_db->folder() + u"/RCopy"_s;
        QVERIFY(QDir().mkpath(copies));
        for (int round = 1; round <= 2; ++round) {
            {
                Transaction t;
                AddEntry(m_data->tbData2, u"committed %1"_s.arg(round));
                t.commit();
            }
            Transaction pending;
            AddEntry(m_data->tbData2, u"pending"_s);
            QVERIFY(LockedForOthers(dataFile));
            int steps = 0;
            QCOMPARE(BackupCopy::copyListed(m_db->folder(), copies, [&] { ++steps; }),
                     QStringList());
            QCOMPARE(steps, DatabaseFolder::listedFiles(m_db->folder()).size());
            QVERIFY2(LockedForOthers(dataFile), "the copy dropped the store's locks");
            pending.commit();
            QVERIFY(!LockedForOthers(dataFile));

            // The copy holds the committed rows, not the one that was still pending.
            const QString copy = copies + u"/Data.db"_s;
            QCOMPARE(QueryFile(copy, u"PRAGMA integrity_check"_s), u"ok"_s);
            QCOMPARE(QueryFile(copy, u"PRAGMA journal_mode"_s), u"delete"_s);
            QCOMPARE(QueryFile(copy, u"SELECT count(*) FROM Data"_s),
                     QString::number(2 * round - 1));
            QCOMPARE(QueryFile(dataFile, u"SELECT count(*) FROM Data"_s),
                     QString::number(2 * round));
            QCOMPARE(QueryFile(copies + u"/OplataCredit.db"_s, u"PRAGMA integrity_check"_s),
                     u"ok"_s);
            QCOMPARE(ReadBytes(copies + u"/copy.txt"_s), ReadBytes(m_db->file(u"copy.txt"_s)));
            // Replacing an older copy leaves nothing beside the listed files.
            QCOMPARE(QDir(copies).entryList(QDir::Files).size(),
                     DatabaseFolder::listedFiles(m_db->folder()).size());
        }
        CloseDatabase(*m_data, *m_cd);
    }

    // A copy killed at any moment leaves one whole copy: either the older copy, untouched, or
    // the new one, once the next copy (or the next opening) has finished the swap it had begun;
    // previous/ holds the whole copy before it, and nothing of the killed copy stays behind. The
    // copy runs in a child process killed with SIGKILL after each file it copies and after each
    // step of the swap, one more step each round, until it is no longer killed.
    void killedBackupLeavesOneWholeCopy() {
        const QString target = m_db->root() + u"/copies"_s;
        QVERIFY(QDir().mkpath(target));
        // A debt, its ledger row and its repayments, the password, the list and a plain file.
        WriteBytes(m_db->file(u"copy.txt"_s),
                   "Data.db\nCredit.db\nOplataCredit.db\ndata.un\ncopy.txt\nsession.txt\n");
        const QStringList listed = DatabaseFolder::listedFiles(m_db->folder());
        int session = 1;
        int current = 0;
        int before = 0;
        for (; session <= 2; ++session) {
            MarkSession(m_db->folder(), session);
            QCOMPARE(BackupCopy::copyListed(m_db->folder(), target), QStringList());
            before = current;
            current = session;
        }
        bool killed = true;
        for (int point = 1; killed; ++point, ++session) {
            MarkSession(m_db->folder(), session);
            const zovi::test::ChildEnd end = zovi::test::RunKilledAtCheckpoint(point, [&] {
                BackupCopy::copyListed(m_db->folder(), target);
                return true;
            });
            QVERIFY(end != zovi::test::ChildEnd::Failed);
            killed = end == zovi::test::ChildEnd::Killed;

            QVERIFY(BackupCopy::finishInterrupted(target));
            const int now = SessionOf(target, listed);
            QVERIFY2(
                now == session || now == current,
                qPrintable(u"killed at step %1: the copy holds session %2"_s.arg(point).arg(now)));
            if (now == session) {
                before = current;
                current = session;
            }
            QCOMPARE(SessionOf(target + u"/previous"_s, listed), before);
            QCOMPARE(QDir(target)
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                         .size(),
                     listed.size() + 1);
            QVERIFY(point < 100);
        }
        QCOMPARE(current, session - 1); // the copy that ran to its end is in place
    }

    void backupFailures() {
        const QStringList listed = DatabaseFolder::listedFiles(m_db->folder());
        const QString nowhere = m_db->root() + u"/nowhere"_s;
        int steps = 0;
        QCOMPARE(BackupCopy::copyListed(m_db->folder(), nowhere, [&] { ++steps; }), listed);
        QCOMPARE(steps, listed.size());
        QVERIFY(!QFileInfo::exists(nowhere));

        const QString target = m_db->root() + u"/copies"_s;
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::remove(m_db->file(u"DRM.db"_s)));
        QCOMPARE(BackupCopy::copyListed(m_db->folder(), target), QStringList{u"DRM.db"_s});
        QCOMPARE(QDir(target).entryList(QDir::Files).size(), listed.size() - 1);

        // A damaged table fails without leaving a half copy or a temporary file.
        WriteBytes(m_db->file(u"Bad.db"_s),
                   QByteArray("SQLite format 3", 16) + QByteArray(300, 'x'));
        QString reason;
        QVERIFY(!BackupCopy::copyFile(m_db->file(u"Bad.db"_s), target + u"/Bad.db"_s, &reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(QDir(target).entryList(QDir::Files).size(), listed.size() - 1);

        // A table that another program keeps locked is given up once the wait is over, and the
        // reason says so.
        zovi::test::WriteLock other(m_db->file(u"Gr1.db"_s));
        QVERIFY(!BackupCopy::copyFile(m_db->file(u"Gr1.db"_s), target + u"/Gr1.db"_s, &reason,
                                      QDeadlineTimer(100)));
        QVERIFY2(reason.contains(u"in use by another program"_s), qPrintable(reason));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)

#include "tst_catalogue.moc"
