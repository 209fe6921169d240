#include "app/appsetup.h"
#include "mainwindowsession.h"
#include "store/error.h"

#include <QDir>
#include <QGuiApplication>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace zovi;
using namespace zovi::test;

// The program's set-up and the help command of the main window, driven headless.
class TestStartup : public MainWindowSession {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        SetTestLocale();
        sessionInit();
    }
    void cleanup() {
        sessionCleanup();
        SetTestLocale();
    }

    // Every window shows exactly its own caption: the set-up names the program but sets no
    // display name, which Qt would append to every title. Message boxes, titled with the
    // display name, still read "Zovi".
    void setUpLeavesCaptionsExact() {
        const QString name = QCoreApplication::applicationName();
        SetUpApplication();
        SetTestLocale();
        QCOMPARE(QGuiApplication::applicationDisplayName(), u"Zovi"_s);
        // Only a display name that nobody set follows the name.
        QCoreApplication::setApplicationName(u"Renamed"_s);
        QCOMPARE(QGuiApplication::applicationDisplayName(), u"Renamed"_s);
        QCoreApplication::setApplicationName(name);
        start();
        QCOMPARE(m_window->chooser()->windowTitle(), u"Выбор базы данных"_s);
    }

    // Help without its file tells where the file should be, instead of showing nothing.
    void helpWithoutFileNamesIt_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("text"); // %1: the help file's path
        QTest::newRow("built-in text")
            << QByteArray() << u"The help cannot be shown. Open the file %1 with a web browser."_s;
        QTest::newRow("translated")
            << QByteArray("helpmissing=No help in %1\n") << u"No help in %1"_s;
    }

    void helpWithoutFileNamesIt() {
        QFETCH(QByteArray, lang);
        QFETCH(QString, text);
        if (!lang.isEmpty())
            WriteBytes(m_db->programFolder() + u"/lang.ini"_s, lang);
        const QString help = m_db->programFolder() + u"/Help.html"_s;
        QFile::remove(help);
        QVERIFY(!QFileInfo::exists(help));
        start();
        Messages::takeShown();
        action("Help")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{text.arg(QDir::toNativeSeparators(help))});
    }

    // A store error that escapes a command is shown, and the program goes on.
    void storeErrorReachingTheLoopIsShown() {
        QTimer::singleShot(0, qApp, [] { throw StoreError(u"The table file x.db is damaged."_s); });
        QStringList shown;
        QTRY_VERIFY(!(shown += Messages::takeShown()).isEmpty());
        QCOMPARE(shown, QStringList{u"The table file x.db is damaged."_s});
        bool later = false;
        QTimer::singleShot(0, qApp, [&later] { later = true; });
        QTRY_VERIFY(later);
    }
};

// The program's own application object, so that the tests see what it does with errors.
int main(int argc, char** argv) {
    Application app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
