#include "app/appsetup.h"
#include "mainwindowsession.h"
#include "store/error.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
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

    // The shipped help keeps up with the program: its table of shortcuts lists exactly the keys
    // the main window answers to, every window made at start-up has its section (an anchor
    // named after the window's class), and every link inside the help leads somewhere.
    void helpCoversWindowsAndShortcuts_data() {
        QTest::addColumn<QString>("helpFile");
        QTest::newRow("English") << u"Help.html"_s;
        QTest::newRow("Russian") << u"lang/ru.html"_s;
    }

    void helpCoversWindowsAndShortcuts() {
        QFETCH(QString, helpFile);
        QFile file(QStringLiteral(ZOVI_TEST_RESOURCE_DIR) + u'/' + helpFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString help = QString::fromUtf8(file.readAll());
        start();

        QStringList shortcuts;
        for (const QAction* a : m_window->findChildren<QAction*>()) {
            for (const QKeySequence& keys : a->shortcuts())
                shortcuts << keys.toString(QKeySequence::PortableText);
        }
        static const QRegularExpression table(u"<table id=\"shortcuts\">(.*?)</table>"_s,
                                              QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression kbd(u"<kbd>([^<]*)</kbd>"_s);
        const QRegularExpressionMatch listed = table.match(help);
        QVERIFY(listed.hasMatch());
        QStringList documented;
        for (const QRegularExpressionMatch& m : kbd.globalMatch(listed.captured(1)))
            documented << m.captured(1);
        QVERIFY(shortcuts.size() >= 20);
        QStringList undocumented;
        for (const QString& keys : std::as_const(shortcuts)) {
            if (!documented.contains(keys))
                undocumented << keys;
        }
        QVERIFY2(undocumented.isEmpty(),
                 qPrintable(u"not in the help: "_s + undocumented.join(u", "_s)));
        shortcuts.sort();
        documented.sort();
        QCOMPARE(documented, shortcuts); // nothing invented, nothing listed twice

        QStringList missing;
        const QList<QDialog*> dialogs = m_window->findChildren<QDialog*>();
        QVERIFY(dialogs.size() >= 15);
        for (const QDialog* dialog : dialogs) {
            if (!help.contains(u"id=\"%1\""_s.arg(dialog->objectName())))
                missing << dialog->objectName();
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));

        static const QRegularExpression link(u"href=\"#([^\"]+)\""_s);
        QStringList broken;
        for (const QRegularExpressionMatch& m : link.globalMatch(help)) {
            if (!help.contains(u"id=\"%1\""_s.arg(m.captured(1))))
                broken << m.captured(1);
        }
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u", "_s)));
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
