// The selection lists of the "Extended" filter page and their presets, driven through the real
// main window: what the lists hold, what a tick does to the grid, the preset files, the date
// periods and the heading of a printout.
#include "core/clock.h"
#include "dialogs.h"
#include "mainwindowsession.h"
#include "reports/printselect.h"
#include "reports/reportoptions.h"
#include "views/dateeditor.h"
#include "views/presetdialog.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

namespace {

// A charge or income of March 2026 with its group and sub-group.
void AddEntry(LedgerTables& data, const char* name, int day, double value, const QString& group,
              const QString& subGroup, const QString& account) {
    Put(data.tbData2, {{"Date", QDate(2026, 3, day)},
                       {"Name", QString::fromLatin1(name)},
                       {"Type", value < 0 ? u"R"_s : u"D"_s},
                       {"Value", value},
                       {value < 0 ? "Rashod" : "Dohod", NumberText(std::abs(value)) + u" $"_s},
                       {"Valuta", u"Dollar"_s},
                       {"Gr1", account},
                       {"Gr2", group},
                       {"NameRashod", subGroup}});
}

// Income groups Salary and Gifts (sub-group Birthday); charge groups Food (Milk, Bread), car
// and Farm (Milk again); accounts Wallet and Bank; one entry in each of them.
void FillLedger(LedgerTables& data) {
    FillClassifiers(data);
    Put(data.tbGrR, {{"Name", u"Farm"_s}});
    Put(data.tbGrR2, {{"Name", u"Milk"_s}});
    Put(data.tbGrD, {{"Name", u"Gifts"_s}});
    Put(data.tbGrD2, {{"Name", u"Birthday"_s}});
    AddEntry(data, "milk", 1, -1, u"Food"_s, u"Milk"_s, u"Wallet"_s);
    AddEntry(data, "fuel", 2, -9, u"car"_s, QString(), u"Wallet"_s);
    AddEntry(data, "salary", 5, 50, u"Salary"_s, QString(), u"Bank"_s);
    AddEntry(data, "cheese", 20, -3, u"Farm"_s, u"Milk"_s, u"Bank"_s);
    AddEntry(data, "present", 8, 20, u"Gifts"_s, u"Birthday"_s, u"Bank"_s);
}

const QStringList& AllNames() {
    static const QStringList names = {u"milk"_s, u"fuel"_s, u"salary"_s, u"present"_s, u"cheese"_s};
    return names;
}

} // namespace

class TestSelectionLists : public MainWindowSession {
    Q_OBJECT

    QWidget* frame() { return Child<QWidget>(m_window.get(), "FrameStat1"); }
    QWidget* extendedPage() { return Child<QWidget>(m_window.get(), "TabSheetExtended"); }
    QListWidget* list(int n) {
        return Child<QListWidget>(frame(), qPrintable(u"List"_s + QString::number(n)));
    }
    QGroupBox* box(int n) {
        return Child<QGroupBox>(frame(), qPrintable(u"fp"_s + QString::number(n)));
    }
    QLabel* label(int n) {
        return Child<QLabel>(frame(), qPrintable(u"fl"_s + QString::number(n)));
    }
    QListWidget* presets() { return Child<QListWidget>(extendedPage(), "ListBox1"); }
    QString presetFile(const QString& name) {
        return m_db->programFolder() + u"/CFT/"_s + name + u".cft"_s;
    }

    // The window on the tab of all accounts, then the "Extended" page of the filter panel.
    void showExtended() {
        auto* tabs = Child<QTabBar>(m_window.get(), "TabControl1");
        tabs->setCurrentIndex(tabs->count() - 1);
        Child<QTabWidget>(m_window.get(), "PageControl2")->setCurrentIndex(1);
    }

    // Every line of a list; a ticked line is marked "+", a header line "#".
    QStringList lines(int n) {
        QStringList texts;
        QListWidget* l = list(n);
        for (int row = 0; row < l->count(); ++row) {
            const QListWidgetItem* item = l->item(row);
            const bool header = n != 6 && !(item->flags() & Qt::ItemIsUserCheckable);
            const QString mark = header                              ? u"#"_s
                                 : item->checkState() == Qt::Checked ? u"+"_s
                                                                     : QString();
            texts << mark + item->text();
        }
        return texts;
    }

    // Ticks or unticks a line as the user does: the line made current, then the space bar.
    void toggle(int n, int row) {
        QListWidget* l = list(n);
        l->setCurrentRow(row);
        QTest::keyClick(l, Qt::Key_Space);
    }

    QStringList shownNames() {
        auto* grid = Child<QTableView>(m_window.get(), "Grid1");
        QStringList names;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            names << grid->model()->index(r, 2).data().toString();
        return names;
    }

    // "Add" of the dates box with the period typed into the date editor; false when the editor
    // did not open with today's dates under the caption.
    bool addPeriod(const QDate& from, const QDate& to, const QString& caption) {
        bool opened = false;
        onDialog<DateEditor>([&](DateEditor* dialog) {
            opened = dialog->windowTitle() == caption &&
                     Child<QDateEdit>(dialog, "DateTimePicker1")->date() == Clock::today() &&
                     Child<QDateEdit>(dialog, "DateTimePicker2")->date() == Clock::today();
            Child<QDateEdit>(dialog, "DateTimePicker1")->setDate(from);
            Child<QDateEdit>(dialog, "DateTimePicker2")->setDate(to);
            Click(dialog, "Button1");
        });
        Click(frame(), "ButtonAdd");
        return opened;
    }

    // "Save as..." with the name typed into the name dialog.
    void saveAs(const QString& name) {
        onDialog<PresetNameDialog>([name](PresetNameDialog* dialog) {
            auto* ok = Child<QPushButton>(dialog, "Button1");
            QVERIFY(!ok->isEnabled());
            Type(dialog, "Edit1", name);
            QCOMPARE(ok->isEnabled(), !name.isEmpty());
            Click(dialog, "Button1");
        });
        Click(extendedPage(), "Button9");
    }

    void choosePreset(const QString& name) {
        const auto found = presets()->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        presets()->setCurrentItem(found.first());
    }

private Q_SLOTS:
    void initTestCase() {
        SetTestLocale();
        Clock::setToday(QDate(2026, 3, 10));
    }
    void init() {
        sessionInit("caption012=Period of dates\nerr011=Delete it?\nerr021=No periods\n"
                    "err023=Exists\nerr026=Choose one to load\npresetname=Bad name\n"
                    "presetnotsaved=Not saved: %1\ndates=Periods\naccounts=Accounts here\n");
        // The bottom panel extended, so that the buttons of the filter pages can be clicked.
        settings::valuePanelCompact.write(false);
        prepare(FillLedger);
    }
    void cleanup() {
        CloseDialogs();
        sessionCleanup();
    }

    // Showing the page fills the lists from the classifiers with nothing ticked, a tick
    // filters the grid at once and is summed up in its box; only the current box shows its
    // list. Leaving the page hides the lists, coming back clears the ticks.
    void ticksFilterTheGrid() {
        start();
        QVERIFY(!frame()->isVisible());
        showExtended();
        QVERIFY(frame()->isVisible());
        QCOMPARE(box(5)->title(), u" Accounts here "_s);
        QCOMPARE(box(6)->title(), u" Periods "_s);
        QCOMPARE(box(1)->title(), u" Groups of incomes "_s);
        QCOMPARE(lines(1), QStringList({u"Salary"_s, u"Gifts"_s}));
        QCOMPARE(lines(2), QStringList({u"Food"_s, u"car"_s, u"Farm"_s}));
        QCOMPARE(lines(3), QStringList({u"#Gifts"_s, u"Birthday"_s}));
        QCOMPARE(lines(4), QStringList({u"#Food"_s, u"Milk"_s, u"Bread"_s, u"#car"_s, u"#Farm"_s,
                                        u"Milk"_s}));
        QCOMPARE(lines(5), QStringList({u"Wallet"_s, u"Bank"_s}));
        QCOMPARE(lines(6), QStringList());
        QCOMPARE(presets()->count(), 0);
        QCOMPARE(shownNames(), AllNames());
        QVERIFY(list(1)->isVisible() && !list(2)->isVisible());
        QVERIFY(box(1)->font().bold() && !box(2)->font().bold());
        QVERIFY(!Child<QPushButton>(frame(), "ButtonAdd")->isVisible());

        toggle(2, 0);
        QCOMPARE(shownNames(), QStringList({u"milk"_s}));
        QCOMPARE(label(2)->text(), u"Food."_s);
        toggle(2, 1);
        QCOMPARE(shownNames(), QStringList({u"milk"_s, u"fuel"_s}));
        QCOMPARE(label(2)->text(), u"Food; car."_s);
        QCOMPARE(label(2)->toolTip(), u"Food; car."_s);
        // A header line of the sub-groups cannot be ticked.
        toggle(4, 0);
        QCOMPARE(lines(4).first(), u"#Food"_s);

        QTest::mouseClick(box(6), Qt::LeftButton);
        QVERIFY(list(6)->isVisible() && !list(1)->isVisible() && !list(2)->isVisible());
        QVERIFY(box(6)->font().bold() && !box(1)->font().bold());
        QVERIFY(!label(6)->font().bold());
        QVERIFY(Child<QPushButton>(frame(), "ButtonAdd")->isVisible());
        QVERIFY(Child<QPushButton>(frame(), "ButtonDel")->isVisible());
        QTest::mouseClick(label(5), Qt::LeftButton);
        QVERIFY(list(5)->isVisible() && !list(6)->isVisible());
        QVERIFY(!Child<QPushButton>(frame(), "ButtonAdd")->isVisible());

        Child<QTabWidget>(m_window.get(), "PageControl2")->setCurrentIndex(0);
        QVERIFY(!frame()->isVisible());
        QCOMPARE(shownNames(), AllNames());
        showExtended();
        QCOMPARE(lines(2), QStringList({u"Food"_s, u"car"_s, u"Farm"_s}));
        QCOMPARE(label(2)->text(), u"Food; car."_s);
        QCOMPARE(shownNames(), AllNames());
        QVERIFY(list(1)->isVisible() && box(1)->font().bold());

        // Without "Auto refresh" a tick waits for "Refresh", its summary does not.
        Click(m_window.get(), "CheckBox7");
        toggle(2, 2);
        QCOMPARE(shownNames(), AllNames());
        QCOMPARE(label(2)->text(), u"Farm."_s);
        Click(m_window.get(), "Button17");
        QCOMPARE(shownNames(), QStringList({u"cheese"_s}));
        QCOMPARE(Messages::takeShown(), QStringList());
    }

    // A preset keeps the ticks and periods in its file; loading it after other ticks brings
    // them back exactly, a sub-group under two groups ticked under both.
    void presetSavedAndLoaded() {
        start();
        showExtended();
        toggle(1, 0);
        toggle(4, 1);
        toggle(5, 1);
        QVERIFY(addPeriod(QDate(2026, 3, 1), QDate(2026, 3, 6), u"Period of dates"_s));
        QCOMPARE(lines(6), QStringList({u"01.03.2026-06.03.2026"_s}));
        QCOMPARE(label(6)->text(), u"01.03.2026-06.03.2026."_s);
        // (Salary or Milk) in Bank in the period: the cheese is bought after it.
        QCOMPARE(shownNames(), QStringList({u"salary"_s}));

        saveAs(u"  March "_s);
        QCOMPARE(ReadBytes(presetFile(u"March"_s)),
                 QByteArray("Salary&\r\n\r\n\r\nMilk&\r\nBank&\r\n2026-03-01-2026-03-06&"));
        QCOMPARE(presets()->count(), 1);
        QCOMPARE(presets()->item(0)->text(), u"March"_s);

        toggle(1, 0);
        toggle(1, 1);
        toggle(4, 5);
        toggle(5, 1);
        list(6)->setCurrentRow(0);
        Messages::queueAnswer(true);
        Click(frame(), "ButtonDel");
        QCOMPARE(lines(6), QStringList());
        QCOMPARE(label(6)->text(), QString());
        QCOMPARE(Messages::takeShown(), QStringList(u"Delete it?"_s));
        QCOMPARE(shownNames(), QStringList({u"milk"_s, u"present"_s, u"cheese"_s}));

        choosePreset(u"March"_s);
        Click(extendedPage(), "Button1");
        QCOMPARE(lines(1), QStringList({u"+Salary"_s, u"Gifts"_s}));
        QCOMPARE(lines(4), QStringList({u"#Food"_s, u"+Milk"_s, u"Bread"_s, u"#car"_s, u"#Farm"_s,
                                        u"+Milk"_s}));
        QCOMPARE(lines(5), QStringList({u"Wallet"_s, u"+Bank"_s}));
        QCOMPARE(lines(6), QStringList({u"01.03.2026-06.03.2026"_s}));
        QCOMPARE(label(1)->text(), u"Salary."_s);
        QCOMPARE(label(4)->text(), u"Milk; Milk."_s);
        QCOMPARE(label(5)->text(), u"Bank."_s);
        QCOMPARE(label(6)->text(), u"01.03.2026-06.03.2026."_s);
        QCOMPARE(shownNames(), QStringList({u"salary"_s}));
        QCOMPARE(Messages::takeShown(), QStringList());
    }

    // A name that cannot be a preset, or is one already, is refused and no file is written;
    // a name of blanks only is dropped without a word.
    void saveAsRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("an existing name but for blanks") << u" Old  "_s << QStringList(u"Exists"_s);
        QTest::newRow("a slash") << u"../Old2"_s << QStringList(u"Bad name"_s);
        QTest::newRow("a backslash") << u"a\\b"_s << QStringList(u"Bad name"_s);
        QTest::newRow("two dots") << u" .. "_s << QStringList(u"Bad name"_s);
        QTest::newRow("blanks only") << u"   "_s << QStringList();
    }
    void saveAsRefused() {
        QFETCH(QString, typed);
        WriteBytes(m_db->programFolder() + u"/Old2.cft"_s, "outside");
        QDir().mkpath(m_db->programFolder() + u"/CFT"_s);
        WriteBytes(presetFile(u"Old"_s), "kept");
        start();
        showExtended();
        toggle(1, 0);
        saveAs(typed);
        QTEST(Messages::takeShown(), "shown");
        QCOMPARE(QDir(m_db->programFolder() + u"/CFT"_s).entryList(QDir::Files),
                 QStringList(u"Old.cft"_s));
        QCOMPARE(ReadBytes(presetFile(u"Old"_s)), QByteArray("kept"));
        QCOMPARE(ReadBytes(m_db->programFolder() + u"/Old2.cft"_s), QByteArray("outside"));
    }

    // A preset folder that cannot take a file: the user learns why, and nothing is listed.
    void saveFails() {
        WriteBytes(m_db->programFolder() + u"/CFT"_s, "a file, not a folder");
        start();
        showExtended();
        QCOMPARE(presets()->count(), 0);
        saveAs(u"March"_s);
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(u"Not saved: "_s) && shown.first().size() > 11,
                 qPrintable(shown.first()));
        QCOMPARE(presets()->count(), 0);
    }

    // Load and delete act on the chosen preset only; deleting asks first.
    void presetButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("choose");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("left");
        const QStringList both = {u"April"_s, u"March"_s};
        QTest::newRow("load, none chosen")
            << u"Button1"_s << false << false << QStringList(u"Choose one to load"_s) << both;
        QTest::newRow("delete, none chosen")
            << u"Button7"_s << false << false << QStringList(u"Error #027"_s) << both;
        QTest::newRow("delete, refused")
            << u"Button7"_s << true << false << QStringList(u"Delete it?"_s) << both;
        QTest::newRow("delete, confirmed")
            << u"Button7"_s << true << true << QStringList(u"Delete it?"_s)
            << QStringList(u"April"_s);
    }
    void presetButtons() {
        QFETCH(QString, button);
        QFETCH(bool, choose);
        QFETCH(bool, yes);
        QDir().mkpath(m_db->programFolder() + u"/CFT"_s);
        WriteBytes(presetFile(u"March"_s), "Salary&\r\n\r\n\r\n\r\n\r\n");
        WriteBytes(presetFile(u"April"_s), "\r\nFood&\r\n\r\n\r\n\r\n");
        start();
        showExtended();
        toggle(2, 1);
        if (choose)
            choosePreset(u"March"_s);
        if (choose)
            Messages::queueAnswer(yes);
        Click(extendedPage(), qPrintable(button));
        QTEST(Messages::takeShown(), "shown");
        QStringList listed;
        for (int row = 0; row < presets()->count(); ++row)
            listed << presets()->item(row)->text();
        QTEST(listed, "left");
        QStringList files = QDir(m_db->programFolder() + u"/CFT"_s).entryList(QDir::Files);
        for (QString& file : files)
            file.chop(4);
        QTEST(files, "left");
        // Nothing was loaded.
        QCOMPARE(lines(1), QStringList({u"Salary"_s, u"Gifts"_s}));
        QCOMPARE(lines(2), QStringList({u"Food"_s, u"+car"_s, u"Farm"_s}));
    }

    // A file cut short, with a last name without "&", a group that no longer exists and no
    // line of periods loads what it names, without a message.
    void damagedPresetLoads() {
        QDir().mkpath(m_db->programFolder() + u"/CFT"_s);
        WriteBytes(presetFile(u"Old"_s), "Salary\r\nGone&Food");
        start();
        showExtended();
        QVERIFY(addPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31), u"Period of dates"_s));
        toggle(5, 0);
        choosePreset(u"Old"_s);
        Click(extendedPage(), "Button1");
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(lines(1), QStringList({u"+Salary"_s, u"Gifts"_s}));
        QCOMPARE(lines(2), QStringList({u"+Food"_s, u"car"_s, u"Farm"_s}));
        QCOMPARE(lines(5), QStringList({u"Wallet"_s, u"Bank"_s}));
        QCOMPARE(lines(6), QStringList());
        QCOMPARE(label(2)->text(), u"Food."_s);
        QCOMPARE(label(5)->text(), QString());
        QCOMPARE(shownNames(), QStringList({u"milk"_s, u"salary"_s}));
    }

    // The dates box: "Delete" on no periods says so, a cancelled editor adds nothing, and the
    // printed heading names the ticked accounts and the periods.
    void periodsAndPrintHeading() {
        start();
        showExtended();
        Click(frame(), "ButtonDel");
        QCOMPARE(Messages::takeShown(), QStringList(u"No periods"_s));
        onDialog<DateEditor>([](DateEditor* dialog) { Click(dialog, "Button2"); });
        Click(frame(), "ButtonAdd");
        QCOMPARE(lines(6), QStringList());
        QVERIFY(addPeriod(QDate(2026, 3, 1), QDate(2026, 3, 6), u"Period of dates"_s));
        QVERIFY(addPeriod(QDate(2026, 3, 20), QDate(2026, 3, 20), u"Period of dates"_s));
        toggle(5, 1);
        QCOMPARE(shownNames(), QStringList({u"salary"_s, u"cheese"_s}));

        onDialog<PrintSelectWindow>([](PrintSelectWindow* print) {
            WhenShown(print->optionsWindow(), [print] { print->optionsWindow()->reject(); });
            Click(print, "Button1");
        });
        action("PrintData")->trigger();
        TableHandle& top = m_data->tbTopData;
        top.first();
        QCOMPARE(top.field(u"AccountTOP"_s).text(), u"Bank."_s);
        QCOMPARE(top.field(u"DateTOP"_s).text(),
                 u"01.03.2026-06.03.2026; 20.03.2026-20.03.2026."_s);
    }
};

QTEST_MAIN(TestSelectionLists)
#include "tst_selectionlists.moc"
