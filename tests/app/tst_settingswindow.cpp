#include "app/mainwindow.h"
#include "app/settingswindow.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/skin.h"
#include "databases/folderdialog.h"
#include "dialogs.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"
#include "mainwindowsession.h"
#include "views/filterbuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::Child;
using zovi::test::Click;
using WidthChanges = QMap<int, int>;

class TestSettingsWindow : public zovi::test::MainWindowSession {
    Q_OBJECT

    QTemporaryDir m_skins;

    // Opens Accounts > Interface and runs script in the window; the script presses "Ok" or
    // "Cancel", or the window is cancelled after it.
    void openSettings(std::function<void(SettingsWindow*)> script) {
        bool ran = false;
        onDialog<SettingsWindow>([&](SettingsWindow* window) {
            ran = true;
            script(window);
        });
        action("Interface")->trigger();
        QVERIFY(ran);
    }

    QString writeSkin(const char* name, const QByteArray& text) {
        const QString path = m_skins.filePath(QString::fromLatin1(name));
        zovi::test::WriteBytes(path, text);
        return path;
    }

    static bool Checked(QWidget* window, const char* name) {
        return Child<QAbstractButton>(window, name)->isChecked();
    }

    QTabWidget* tabs(const char* name) {
        return m_window->findChild<QTabWidget*>(QString::fromLatin1(name));
    }

    // The charge cell of the grid's row of the entry with this name.
    QString chargeOf(const QString& name) {
        const QAbstractItemModel* model = m_window->findChild<QTableView*>(u"Grid1"_s)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 2).data().toString() == name)
                return model->index(row, 4).data().toString();
        }
        return QString();
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Messages::setTestMode(true);
    }
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    // The grid's columns to set: a hidden column that is wanted comes back 80 wide, whatever it
    // was before it was hidden; a shown one that is not wanted is hidden; the rest keep theirs.
    void columnWidthChanges_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<bool>>("shown");
        QTest::addColumn<WidthChanges>("changes");
        QTest::newRow("nothing to change")
            << QList<int>{70, 0, -1} << QList<bool>{true, true, false} << WidthChanges{};
        QTest::newRow("hidden comes back at 80")
            << QList<int>{-1, 120} << QList<bool>{true, true} << WidthChanges{{1, 80}};
        QTest::newRow("a zero-wide column counts as shown")
            << QList<int>{0, 55} << QList<bool>{false, false} << WidthChanges{{1, -1}, {2, -1}};
    }
    void columnWidthChanges() {
        QFETCH(QList<int>, widths);
        QFETCH(QList<bool>, shown);
        QFETCH(WidthChanges, changes);
        QCOMPARE(ColumnWidthChanges(widths, shown), changes);
    }

    // After a first start the window shows the defaults the first start wrote, opens on its
    // first section and translates its captions, frames with a blank either side.
    void firstStartShowsTheDefaults() {
        zovi::test::WriteBytes(m_db->programFolder() + u"/lang.ini"_s,
                               "columns=Kolonnid\ninterface=Liides\naccounts=Kontod\n"
                               "in top=\xc3\x9clal\n");
        prepare(zovi::test::FillClassifiers);
        start();
        openSettings([this](SettingsWindow* w) {
            QCOMPARE(w->windowTitle(), u"Liides"_s);
            QCOMPARE(Child<QListWidget>(w, "ListBox1")->currentRow(), 0);
            QCOMPARE(Child<QStackedWidget>(w, "Pages")->currentIndex(), 0);
            QCOMPARE(Child<QGroupBox>(w, "GroupBox1")->title(), u" Kontod "_s);
            QCOMPARE(Child<QRadioButton>(w, "RadioButton9")->text(), u"Ülal"_s);
            for (const char* on :
                 {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6",
                  "CheckBox7", "RadioButton1", "CheckBox8", "CheckBox9", "CheckBox10", "CheckBox11",
                  "RadioButton4", "RadioButton6", "RadioButton8"})
                QVERIFY2(Checked(w, on), on);
            for (const char* off : {"RadioButton2", "RadioButton3", "CheckBox12", "RadioButton5",
                                    "RadioButton7", "RadioButton9"})
                QVERIFY2(!Checked(w, off), off);
            for (const char* list : {"ComboBox1", "ComboBox2"}) {
                auto* box = Child<QComboBox>(w, list);
                QCOMPARE(zovi::test::Items(box), (QStringList{u"-/-"_s, u"Dollar"_s, u"Rouble"_s}));
                QCOMPARE(box->currentText(), u"-/-"_s);
            }
            QCOMPARE(Child<QLineEdit>(w, "Edit1")->text(), settings::skin.read());
            // The backup folder the first start chose is the one selected in the tree.
            QTRY_COMPARE(Child<FolderTree>(w, "ShellTreeView1")->chosenFolder(),
                         settings::backupFolder.read());
            Click(w, "Button2");
        });
    }

    // The language list holds lang.ini and the files of lang/ by their own names; a choice is
    // stored and translates the main window at once, and back again.
    void languageChosenAndBack() {
        const QString program = m_db->programFolder();
        QDir(program).mkpath(u"lang"_s);
        for (const QString& file : {u"lang.ini"_s, u"lang/ru.ini"_s})
            zovi::test::WriteBytes(program + u'/' + file, zovi::test::ShippedBytes(file));
        const auto restore = qScopeGuard([] { settings::language.write(u"lang.ini"_s); });
        start();
        auto* items = m_window->menuBar()->findChild<QMenu*>(u"N1"_s);
        for (const auto& [name, file, caption] :
             {std::tuple{u"Русский"_s, u"lang/ru.ini"_s, u"Записи"_s},
              std::tuple{u"English"_s, u"lang.ini"_s, u"Entries"_s}}) {
            openSettings([&](SettingsWindow* w) {
                auto* list = Child<QComboBox>(w, "ComboBox3");
                QCOMPARE(zovi::test::Items(list), (QStringList{u"English"_s, u"Русский"_s}));
                zovi::test::Choose(list, name);
                Click(w, "Button1");
            });
            QCOMPARE(settings::language.read(), file);
            QCOMPARE(items->title(), caption);
        }
    }

    // "Date" unchecked hides the grid's first column; checked again it comes back 80 pixels
    // wide, not at its former width, and the other columns keep their widths.
    void dateColumnHiddenAndShownAgain() {
        Settings::writeInt(settings::LedgerColumnKey(1), 150);
        start();
        LedgerPage* ledger = m_window->ledgerPage();
        QTRY_COMPARE(ledger->grid()->shownColumnWidth(1), 150);
        const int nameWidth = ledger->grid()->shownColumnWidth(2);
        openSettings([](SettingsWindow* w) {
            Click(w, "CheckBox1");
            Click(w, "Button1");
        });
        QCOMPARE(ledger->grid()->shownColumnWidth(1), -1);
        QCOMPARE(Settings::readInt(settings::LedgerColumnKey(1), 0), -1);
        openSettings([](SettingsWindow* w) {
            QVERIFY(!Checked(w, "CheckBox1"));
            Click(w, "CheckBox1");
            Click(w, "Button1");
        });
        QCOMPARE(ledger->grid()->shownColumnWidth(1), 80);
        QCOMPARE(ledger->grid()->shownColumnWidth(2), nameWidth);
        // The next start shows the grid as the user left it.
        restart();
        QCOMPARE(m_window->ledgerPage()->grid()->shownColumnWidth(1) >= 80, true);
    }

    // The style buttons choose the three positions; "Ok" moves the page tabs, the filter tabs
    // and the value panel there.
    void styleButtonsArrangeTheWindow_data() {
        QTest::addColumn<bool>("modern");
        QTest::newRow("classic") << false;
        QTest::newRow("modern") << true;
    }
    void styleButtonsArrangeTheWindow() {
        QFETCH(bool, modern);
        for (const Setting<bool>& flag :
             {settings::pageTabsLeft, settings::filterTabsBelow, settings::valuePanelCompact})
            flag.write(!modern);
        start();
        openSettings([modern](SettingsWindow* w) {
            // The stored arrangement is the other one.
            QCOMPARE(Checked(w, "RadioButton5"), modern);
            QCOMPARE(Checked(w, "RadioButton7"), modern);
            QCOMPARE(Checked(w, "RadioButton9"), modern);
            Click(w, modern ? "Button5" : "Button6");
            QCOMPARE(Checked(w, "RadioButton4"), modern);
            QCOMPARE(Checked(w, "RadioButton6"), modern);
            QCOMPARE(Checked(w, "RadioButton8"), modern);
            Click(w, "Button1");
        });
        QTabWidget* page = tabs("Page");
        QCOMPARE(page->tabPosition(), modern ? QTabWidget::West : QTabWidget::North);
        QCOMPARE(page->property("tabWidth").toInt(), modern ? 130 : 230);
        QCOMPARE(tabs("PageControl2")->tabPosition(),
                 modern ? QTabWidget::South : QTabWidget::North);
        QTRY_COMPARE(m_window->findChild<QWidget*>(u"Panel6"_s)->height(), modern ? 27 : 138);
        QCOMPARE(settings::pageTabsLeft.read(), modern);
    }

    // "Preview" wears the skin at once; "Cancel" keeps it worn but not stored. Opening the
    // window again shows the stored skin, so its "Ok" puts that one back on.
    void previewThenCancel() {
        const QString stored = writeSkin("Stored.sui", "QWidget { color: red; }");
        const QString tried = writeSkin("Tried.sui", "QWidget { color: blue; }");
        settings::initialized.write(true);
        settings::skin.write(stored);
        start();
        QCOMPARE(SkinEngine::loaded(), stored);
        openSettings([tried](SettingsWindow* w) {
            FileChooser::queueChoice(tried);
            Click(w, "Button3");
            QCOMPARE(Child<QLineEdit>(w, "Edit1")->text(), tried);
            Click(w, "Button4");
            QCOMPARE(SkinEngine::loaded(), tried);
            Click(w, "Button2");
        });
        QCOMPARE(SkinEngine::loaded(), tried);
        QVERIFY(qApp->styleSheet().contains(u"blue"_s));
        QCOMPARE(settings::skin.read(), stored);
        openSettings([stored](SettingsWindow* w) {
            QCOMPARE(Child<QLineEdit>(w, "Edit1")->text(), stored);
            Click(w, "CheckBox12");
            Click(w, "Button1");
        });
        QCOMPARE(SkinEngine::loaded(), stored);
        QVERIFY(qApp->styleSheet().contains(u"red"_s));
    }

    // A skin previewed and then kept with "Ok" is not read again: the skin worn stays as it was
    // previewed even when its file changed meanwhile.
    void previewThenOkKeepsTheWornSkin() {
        const QString tried = writeSkin("Tried.sui", "QWidget { color: blue; }");
        start();
        openSettings([this, tried](SettingsWindow* w) {
            zovi::test::Type(w, "Edit1", tried);
            Click(w, "Button4");
            writeSkin("Tried.sui", "QWidget { color: green; }");
            Click(w, "Button1");
        });
        QCOMPARE(settings::skin.read(), tried);
        QCOMPARE(SkinEngine::loaded(), tried);
        QVERIFY(qApp->styleSheet().contains(u"blue"_s));
    }

    // A file that is not a skin gives an error and changes nothing: the skin worn, the style
    // sheet and the stored skin stay.
    void previewRefusesWhatIsNoSkin_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("plain text") << QByteArray("just some words\n");
        QTest::newRow("unbalanced braces") << QByteArray("QWidget { color: red;\n");
        QTest::newRow("missing file") << QByteArray();
    }
    void previewRefusesWhatIsNoSkin() {
        QFETCH(QByteArray, content);
        const QString worn = writeSkin("Worn.sui", "QWidget { color: red; }");
        const QString bad =
            content.isEmpty() ? m_skins.filePath(u"None.sui"_s) : writeSkin("Bad.sui", content);
        settings::initialized.write(true);
        settings::skin.write(worn);
        start();
        Messages::takeShown();
        const QString sheet = qApp->styleSheet();
        openSettings([bad](SettingsWindow* w) {
            zovi::test::Type(w, "Edit1", bad);
            Click(w, "Button4");
            Click(w, "Button2");
        });
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(bad), qPrintable(shown.first()));
        QCOMPARE(SkinEngine::loaded(), worn);
        QCOMPARE(qApp->styleSheet(), sheet);
        QCOMPARE(settings::skin.read(), worn);
    }

    // The chosen currencies and "Fast View" are stored, shown again on the next opening, and
    // reach the grid and the filter.
    void currenciesAndFastView() {
        prepare([](LedgerTables& data) {
            zovi::test::FillClassifiers(data);
            zovi::test::AddEntry(data, u"Milk"_s, u"R"_s, -2, u"Food"_s);
        });
        start();
        QCOMPARE(chargeOf(u"Milk"_s), u"2 $"_s);
        openSettings([](SettingsWindow* w) {
            zovi::test::Choose(Child<QComboBox>(w, "ComboBox1"), u"Rouble"_s);
            zovi::test::Choose(Child<QComboBox>(w, "ComboBox2"), u"Dollar"_s);
            Click(w, "CheckBox12");
            Click(w, "Button1");
        });
        QCOMPARE(settings::displayCurrency1.read(), u"Rouble"_s);
        QCOMPARE(settings::displayCurrency2.read(), u"Dollar"_s);
        QVERIFY(m_window->ledgerPage()->filterState().fastView);
        // The charge in roubles, then in dollars.
        const QString charge = chargeOf(u"Milk"_s);
        QVERIFY2(charge.startsWith(u"60"_s) && charge.contains(u" R / 2"_s) &&
                     charge.endsWith(u" $"_s),
                 qPrintable(charge));
        openSettings([](SettingsWindow* w) {
            QCOMPARE(Child<QComboBox>(w, "ComboBox1")->currentText(), u"Rouble"_s);
            QCOMPARE(Child<QComboBox>(w, "ComboBox2")->currentText(), u"Dollar"_s);
            QVERIFY(Checked(w, "CheckBox12"));
            Click(w, "CheckBox12");
            Click(w, "Button1");
        });
        QVERIFY(!m_window->ledgerPage()->filterState().fastView);
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
