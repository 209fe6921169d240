// Where the program writes when its folder is installed read-only: a copy of the built program
// folder, made read-only, is run as a user who may not write there ("nobody" when the test runs
// as root, whom permissions do not stop).
#include "fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t kNobody = 65534;

// Sets the permissions of folder and of everything below it: read and, for folders and
// programs, execute for everyone; write for everyone only when writable.
void SetAccess(const QString& folder, bool writable) {
    const auto all = [writable](bool executable) {
        QFile::Permissions p =
            QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
        if (executable)
            p |= QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
        if (writable)
            p |= QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        return p;
    };
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::setPermissions(path, all(it.fileInfo().isDir() || it.fileInfo().isExecutable()));
    }
    QFile::setPermissions(folder, all(true));
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString program() const { return m_root.filePath(u"program"_s); }
    QString home() const { return m_root.filePath(u"home"_s); }
    QString userFolder() const { return home() + u"/.local/share/Zovi"_s; }

    // Runs the program with --data-folder in a clean environment as the user the test
    // stands for; returns the folder it names. Without a display, no display of any kind is
    // named to the program.
    QString run(bool display = true) { return run(program() + u"/zovi"_s, display); }
    QString run(const QString& executable, bool display = true,
                const QStringList& args = {u"--data-folder"_s}) {
        QProcess zovi;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"ZOVI_PROGRAM_DIR"_s);
        env.remove(u"XDG_DATA_HOME"_s);
        env.insert(u"HOME"_s, home());
        env.insert(u"XDG_CONFIG_HOME"_s, home() + u"/.config"_s);
        if (display) {
            env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        } else {
            for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
                env.remove(name);
        }
        zovi.setProcessEnvironment(env);
        zovi.setWorkingDirectory(home());
        if (::geteuid() == 0) {
            zovi.setChildProcessModifier([] {
                if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                    ::_exit(125);
            });
        }
        zovi.start(executable, args);
        if (!zovi.waitForFinished(30000))
            return u"(no answer) "_s + QString::fromLocal8Bit(zovi.readAllStandardError());
        if (zovi.exitCode() != 0)
            return u"(exit %1) "_s.arg(zovi.exitCode()) +
                   QString::fromLocal8Bit(zovi.readAllStandardError());
        return QString::fromLocal8Bit(zovi.readAllStandardOutput()).trimmed();
    }

private Q_SLOTS:
    void init() {
        QVERIFY(m_root.isValid());
        const QString built = qEnvironmentVariable("ZOVI_PROGRAM_DIR");
        QVERIFY2(QFileInfo::exists(built + u"/zovi"_s), qPrintable(built));
        QDir(home()).removeRecursively();
        QVERIFY(zovi::test::CopyFolder(built, program()));
        // The program folder of a build that was run holds a catalogue of its own.
        QFile::remove(program() + u"/bases.ini"_s);
        QVERIFY(QDir().mkpath(home()));
        SetAccess(m_root.path(), true);
    }
    void cleanup() { SetAccess(m_root.path(), true); }

    void writableProgramFolderHoldsTheData() {
        QCOMPARE(run(), program());
        QVERIFY(!QFileInfo::exists(userFolder()));
        // Finding out that the folder is writable leaves nothing behind.
        QCOMPARE(QDir(program()).entryList(QDir::Files | QDir::Hidden).filter(u".zovi"_s),
                 QStringList());
    }

    // The version and the usage are answered on the command line, without a display, and the
    // program exits instead of opening its window.
    void answersVersionAndHelp_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("version") << u"--version"_s << u"Zovi 6.0"_s;
        QTest::newRow("help") << u"--help"_s << u"--data-folder"_s;
        QTest::newRow("short help") << u"-h"_s << u"--version"_s;
    }
    void answersVersionAndHelp() {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        const QString answer = run(program() + u"/zovi"_s, false, {option});
        QVERIFY2(answer.contains(expected), qPrintable(answer));
    }

    // The answer needs no window: where no display can be reached it is still given.
    void answersWithoutDisplay() {
        QCOMPARE(run(false), program());
        SetAccess(program(), false);
        QCOMPARE(run(false), userFolder());
        QVERIFY(QFileInfo(userFolder() + u"/Databases/Default/Data.db"_s).isFile());
    }

    // Installed read-only: the user's own folder, seeded once from the program folder.
    void readOnlyProgramFolderSendsTheDataHome() {
        SetAccess(program(), false);
        QCOMPARE(run(), userFolder());
        for (const char* file :
             {"Databases/Default/Data.db", "Databases/Example/Data.db",
              "Databases/Example/Credit.db", "Report/data.db", "Report/topdata.db"}) {
            const QFileInfo copied(userFolder() + u'/' + QLatin1StringView(file));
            QVERIFY2(copied.isFile(), file);
            QCOMPARE(QFileInfo(program() + u'/' + QLatin1StringView(file)).size(), copied.size());
            if (::geteuid() == 0)
                QCOMPARE(copied.ownerId(), kNobody);
            QVERIFY2(copied.permissions().testFlag(QFile::WriteOwner), file);
        }
        QVERIFY(QFileInfo(userFolder() + u"/CFT"_s).isDir());

        // A database the user removed stays removed; a print table lost comes back.
        SetAccess(m_root.path(), true);
        QVERIFY(QDir(userFolder() + u"/Databases/Example"_s).removeRecursively());
        QVERIFY(QFile::remove(userFolder() + u"/Report/topdata.db"_s));
        SetAccess(program(), false);
        QCOMPARE(run(), userFolder());
        QVERIFY(!QFileInfo::exists(userFolder() + u"/Databases/Example"_s));
        QVERIFY(QFileInfo::exists(userFolder() + u"/Databases/Default/Data.db"_s));
        QVERIFY(QFileInfo::exists(userFolder() + u"/Report/topdata.db"_s));
    }

    // cmake --install lays out the program folder, a launcher that starts the program from
    // there, the desktop entry and its icon; installed read-only, the program runs as a user.
    void installedProgramRuns() {
        const QString prefix = m_root.filePath(u"prefix"_s);
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(ZOVI_CMAKE_COMMAND),
                      {u"--install"_s, QStringLiteral(ZOVI_BUILD_DIR), u"--prefix"_s, prefix});
        QVERIFY(install.waitForFinished(60000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
        const QString folder = prefix + u"/lib/zovi"_s;
        for (const char* file :
             {"zovi", "lang.ini", "Help.html", "help.css", "lang/ru.html", "welcome.bmp",
              "Skins/Longhorn.sui", "Report/Data.rav", "Report/data.db", "Template/copy.txt",
              "Template/Data.db", "ExTemplate/data.dbf_t", "Databases/Default/Data.db",
              "Databases/Example/Data.db"})
            QVERIFY2(QFileInfo(folder + u'/' + QLatin1StringView(file)).isFile(), file);
        QVERIFY(!QFileInfo::exists(folder + u"/bases.ini"_s));
        QFile desktop(prefix + u"/share/applications/zovi.desktop"_s);
        QVERIFY(desktop.open(QIODevice::ReadOnly));
        const QByteArray entry = desktop.readAll();
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nExec=zovi\n") && entry.contains("\nIcon=zovi\n"));
        QFile icon(prefix + u"/share/icons/hicolor/scalable/apps/zovi.svg"_s);
        QVERIFY(icon.open(QIODevice::ReadOnly));
        QVERIFY(icon.readAll().contains("<svg"));

        SetAccess(prefix, false);
        QCOMPARE(run(prefix + u"/bin/zovi"_s), userFolder());
        QVERIFY(QFileInfo::exists(userFolder() + u"/Databases/Example/Data.db"_s));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
