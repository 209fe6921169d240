#include "core/clock.h"
#include "core/locale.h"
#include "core/textutil.h"
#include "dialogs.h"
#include "ledger/currencywindow.h"
#include "ledger/entrydialog.h"
#include "mainwindowsession.h"
#include "tools/calculatorwindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>

using namespace zovi;
using zovi::test::Choose;

namespace {

const QDate kToday(2026, 3, 10);

using test::AddEntry;
using test::FillClassifiers;

// A ledger row of any kind with its link, for the delete and move commands.
void AddLinked(LedgerTables& data, const QString& name, const QString& type, qint64 link,
               const QString& account = QStringLiteral("Wallet")) {
    AddEntry(data, name, type, type == QStringLiteral("P1") ? -10 : 10, QString(), account);
    data.tbData2.edit();
    data.tbData2.field(QStringLiteral("IDsecond")).setInt(link);
    data.tbData2.post();
}

template <typename W> W* Child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qWarning("no control %s", name);
    return w;
}

} // namespace

using namespace Qt::StringLiterals;
using test::Choose;
using test::Items;

class TestEntries : public test::MainWindowSession {
    Q_OBJECT

    void onEntryDialog(std::function<void(StandardEntryDialog*)> script) {
        onDialog<StandardEntryDialog>(std::move(script));
    }

    TableHandle& ledger() { return m_data->tbData; }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(kToday);
    }

    void init() {
        // Distinct texts for the messages the dialog may show.
        sessionInit("err001=E1\nerr002=E2\nerr004=E4\nerr025=E25\n"
                    "caption004=New entry\ncaption005=Edit entry\nincome=In\n");
    }
    void cleanup() { sessionCleanup(); }

    void newChargeIsCheckedAndStored() {
        prepare(FillClassifiers);
        start();
        onEntryDialog([](StandardEntryDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("New entry"));
            QCOMPARE(Child<QToolButton>(dialog, "SpeedButton1")->text(), QStringLiteral("In"));
            QVERIFY(Child<QToolButton>(dialog, "SpeedButton2")->isChecked());
            QCOMPARE(Child<QDateEdit>(dialog, "DateRecord")->date(), kToday);
            auto* name = Child<QLineEdit>(dialog, "NameRecord");
            auto* value = Child<QLineEdit>(dialog, "Value");
            auto* list1 = Child<QComboBox>(dialog, "list1");
            auto* list2 = Child<QComboBox>(dialog, "list2");
            QVERIFY(name->text().isEmpty() && value->text().isEmpty());
            QCOMPARE(Child<QComboBox>(dialog, "Currency")->currentText(), QStringLiteral("$"));
            QCOMPARE(list1->currentIndex(), -1);
            // Groups are listed ignoring letter case.
            QCOMPARE(Items(list1), (QStringList{QStringLiteral("car"), QStringLiteral("Food")}));
            auto* ok = Child<QPushButton>(dialog, "Button1");
            struct Step {
                const char* name;
                const char* amount;
                const char* message;
            };
            for (const Step& s :
                 {Step{"", "", "E1"}, Step{"Lunch", "-5", "E4"}, Step{"Lunch", "1.2.3", "E4"},
                  Step{"Lunch", ",", "E4"}, Step{"Lunch", "", "E4"}, Step{"Lunch", "12.5", "E2"}}) {
                name->setText(QString::fromLatin1(s.name));
                value->setText(QString::fromLatin1(s.amount));
                ok->click();
                QCOMPARE(Messages::takeShown(), QStringList{QString::fromLatin1(s.message)});
                QVERIFY(dialog->isVisible());
            }
            // The amount stays normalised to the user's separator.
            QCOMPARE(value->text(), QStringLiteral("12,5"));
            Choose(list1, QStringLiteral("Food"));
            QCOMPARE(Items(list2), (QStringList{QStringLiteral("Bread"), QStringLiteral("Milk")}));
            Choose(list2, QStringLiteral("Milk"));
            Child<QToolButton>(dialog, "SpeedButton9")->click();
            QCOMPARE(name->text(), QStringLiteral("Food: Milk"));
            Child<QToolButton>(dialog, "SpeedButton3")->click();
            ok->click();
            QVERIFY(!dialog->isVisible());
        });
        toolButton("tb1")->click();
        QVERIFY(Messages::takeShown().isEmpty());

        const QVariantMap row = StoredRow(*m_data, QStringLiteral("Food: Milk"));
        QCOMPARE(row.value(QStringLiteral("Value")).toString(), QStringLiteral("-12,5"));
        QCOMPARE(row.value(QStringLiteral("Rashod")).toString(), QStringLiteral("12,5 $"));
        QCOMPARE(row.value(QStringLiteral("Dohod")).toString(), QString());
        QCOMPARE(row.value(QStringLiteral("Gr1")).toString(), QStringLiteral("Wallet"));
        QCOMPARE(row.value(QStringLiteral("Gr2")).toString(), QStringLiteral("Food"));
        QCOMPARE(row.value(QStringLiteral("NameRashod")).toString(), QStringLiteral("Milk"));
        QCOMPARE(row.value(QStringLiteral("Valuta")).toString(), QStringLiteral("Dollar"));
        QCOMPARE(row.value(QStringLiteral("Type")).toString(), QStringLiteral("R"));
        QCOMPARE(row.value(QStringLiteral("Date")).toString(), QStringLiteral("09.03.2026"));

        // The grid shows the entry selected on its last row, and the balances follow.
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("LabelV"))->text(),
                 QStringLiteral(" -12,5")); // a blank before each third character
        auto* balances = m_window->findChild<QTableWidget*>(QStringLiteral("GridValutaV"));
        QCOMPARE(balances->item(0, 2)->text(), QStringLiteral("-12,5 $"));
    }

    // A keyboard user reaches every control in reading order and enters an income.
    void keyboardEntersAnIncome() {
        prepare(FillClassifiers);
        start();
        onEntryDialog([](StandardEntryDialog* dialog) {
            QCOMPARE(test::TabWalk(dialog),
                     QString::fromLatin1(
                         "DateRecord SpeedButton4 NameRecord SpeedButton9 Value SpeedButton6 "
                         "Currency list1 SpeedButton7 list2 SpeedButton8 repeatBox Button1 Button2 "
                         "Account "
                         "SpeedButton2 SpeedButton3")
                         .split(QLatin1Char(' ')));
            // Back from the date to the side chosen, and Left moves the choice to Income.
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(dialog->focusWidget()->objectName(), QStringLiteral("SpeedButton2"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Left);
            QCOMPARE(dialog->focusWidget()->objectName(), QStringLiteral("SpeedButton1"));
            QVERIFY(Child<QToolButton>(dialog, "SpeedButton1")->isChecked());
            // The groups follow the side.
            QCOMPARE(Items(Child<QComboBox>(dialog, "list1")),
                     QStringList{QStringLiteral("Salary")});
            Child<QLineEdit>(dialog, "NameRecord")->setText(QStringLiteral("Pay"));
            Child<QLineEdit>(dialog, "Value")->setText(QStringLiteral("100"));
            Choose(Child<QComboBox>(dialog, "list1"), QStringLiteral("Salary"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        toolButton("tb1")->click();
        QCOMPARE(Messages::takeShown(), QStringList());
        const QVariantMap row = StoredRow(*m_data, QStringLiteral("Pay"));
        QCOMPARE(row.value(QStringLiteral("Type")).toString(), QStringLiteral("D"));
        QCOMPARE(row.value(QStringLiteral("Dohod")).toString(), QStringLiteral("100 $"));
    }

    // "Repeat" ticked, every month, 3 times stores three charges a month apart; an end date
    // before the entry's date is refused and stores nothing. Deleting the second asks whether
    // the later ones go too.
    void repeatedChargeStoresASeries() {
        prepare(FillClassifiers);
        start();
        onEntryDialog([](StandardEntryDialog* dialog) {
            auto* repeat = Child<QGroupBox>(dialog, "repeatBox");
            QVERIFY(repeat->isVisible() && !repeat->isChecked());
            Child<QLineEdit>(dialog, "NameRecord")->setText(u"rent"_s);
            Child<QLineEdit>(dialog, "Value")->setText(u"700"_s);
            Choose(Child<QComboBox>(dialog, "list1"), u"Food"_s);
            repeat->setChecked(true);
            Choose(Child<QComboBox>(dialog, "repeatEveryBox"), u"every month"_s);
            QCOMPARE(
                test::TabWalk(dialog).mid(11, 5),
                u"repeatBox repeatEveryBox repeatCountRadio repeatCountSpin Button1"_s.split(u' '));
            Child<QRadioButton>(dialog, "repeatUntilRadio")->click();
            auto* until = Child<QDateEdit>(dialog, "repeatUntilDate");
            until->setDate(kToday.addDays(-1));
            Child<QPushButton>(dialog, "Button1")->click();
            QCOMPARE(Messages::takeShown(),
                     QStringList{u"The end date of the repetition is before the date of the "
                                 u"entry."_s});
            QVERIFY(dialog->isVisible());
            QTRY_VERIFY(until->hasFocus());
            Child<QRadioButton>(dialog, "repeatCountRadio")->click();
            Child<QSpinBox>(dialog, "repeatCountSpin")->setValue(3);
            Child<QPushButton>(dialog, "Button1")->click();
            QVERIFY(!dialog->isVisible());
        });
        toolButton("tb1")->click();
        QCOMPARE(Messages::takeShown(), QStringList());
        QStringList dates;
        TableHandle& all = m_data->tbData3;
        all.setFiltered(false);
        for (all.first(); !all.eof(); all.next())
            dates << all.field(u"Date"_s).text() + u' ' + all.field(u"Name"_s).text();
        QCOMPARE(dates,
                 (QStringList{u"10.03.2026 rent"_s, u"10.04.2026 rent"_s, u"10.05.2026 rent"_s}));

        // The editing dialog has no repetition.
        selectEntry(u"rent"_s);
        onEntryDialog([](StandardEntryDialog* dialog) {
            QVERIFY(!Child<QGroupBox>(dialog, "repeatBox")->isVisible());
            dialog->reject();
        });
        action("EditRec")->trigger();

        const auto grid = m_window->findChild<QTableView*>(u"Grid1"_s);
        // The grid's row of the entry dated date, made the current one.
        const auto selectRow = [this, grid](const QDate& date) {
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                grid->selectRow(r);
                if (ledger().field(u"Date"_s).toDate() == date)
                    return;
            }
            QFAIL("no entry of that date");
        };
        const QString question =
            u"Delete only this entry, or this one and the later ones of its series?"_s;
        // Cancel keeps all, "This one and the later ones" from April leaves March.
        selectRow(kToday.addMonths(1));
        Messages::queueButton(2);
        action("DeleteRec")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{question});
        QCOMPARE(storedNames().size(), 3);
        Messages::queueButton(1);
        action("DeleteRec")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{question});
        QCOMPARE(storedNames(), QStringList{u"rent"_s});
    }

    // A whole date typed into the date field in a locale's form is the entry's date, a day of
    // 4-9 and a month name included; a text that is no date is refused by OK and changes
    // nothing.
    void typedDate_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        const QLocale en(QLocale::English, QLocale::UnitedKingdom);
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        QTest::newRow("numbers") << en << u"5.3.2024"_s << u"05.03.2024"_s;
        QTest::newRow("padded numbers") << ru << u"05.03.2024"_s << u"05.03.2024"_s;
        QTest::newRow("month name") << en << u"5 Mar 2024"_s << u"05.03.2024"_s;
        QTest::newRow("russian month name") << ru << u"7 марта 2024"_s << u"07.03.2024"_s;
        QTest::newRow("no date") << en << u"5 Foo 2024"_s << QString();
    }

    void typedDate() {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        prepare(FillClassifiers);
        start();
        // The user's locale gives the order of a typed date.
        const QLocale user;
        QLocale::setDefault(locale);
        const auto restore = qScopeGuard([&] { QLocale::setDefault(user); });
        onEntryDialog([&](StandardEntryDialog* dialog) {
            auto* date = Child<QDateEdit>(dialog, "DateRecord");
            QTRY_VERIFY(date->hasFocus());
            // Typed key by key, as the keyboard sends them (keyClicks takes ASCII only).
            for (const QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, date, Qt::Key_unknown, c, Qt::NoModifier);
            Child<QLineEdit>(dialog, "NameRecord")->setText(u"Typed"_s);
            Child<QLineEdit>(dialog, "Value")->setText(u"1"_s);
            Choose(Child<QComboBox>(dialog, "list1"), u"Food"_s);
            Choose(Child<QComboBox>(dialog, "list2"), u"Milk"_s);
            Child<QPushButton>(dialog, "Button1")->click();
            if (stored.isEmpty()) {
                const QStringList shown = Messages::takeShown();
                QCOMPARE(shown.size(), 1);
                QVERIFY(shown.front().startsWith(u"This is not a date."_s));
                QVERIFY(dialog->isVisible());
                QCOMPARE(date->date(), kToday);
                QCOMPARE(date->text(), typed);
                dialog->reject();
            }
            QVERIFY(!dialog->isVisible());
        });
        toolButton("tb1")->click();
        QVERIFY(Messages::takeShown().isEmpty());
        if (!stored.isEmpty()) {
            const QVariantMap row = StoredRow(*m_data, u"Typed"_s);
            QCOMPARE(row.value(u"Date"_s).toString(), stored);
        }
    }

    void editMovesSideAndAccount() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("Lunch"), QStringLiteral("R"), -12.5,
                     QStringLiteral("Food"));
        });
        start();
        // With "[...]" selected, the edited entry is stored under "[...]".
        m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(2);
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        grid->selectRow(0);
        onEntryDialog([](StandardEntryDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit entry"));
            QVERIFY(Child<QToolButton>(dialog, "SpeedButton2")->isChecked());
            QCOMPARE(Child<QLineEdit>(dialog, "Value")->text(), QStringLiteral("12,5"));
            auto* list1 = Child<QComboBox>(dialog, "list1");
            QCOMPARE(list1->currentText(), QStringLiteral("Food"));
            // The other side lists its own groups, none chosen.
            Child<QToolButton>(dialog, "SpeedButton1")->click();
            QCOMPARE(Items(list1), QStringList{QStringLiteral("Salary")});
            QCOMPARE(list1->currentIndex(), -1);
            Child<QPushButton>(dialog, "Button1")->click();
            QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("E2")});
            Choose(list1, QStringLiteral("Salary"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        toolButton("tb3")->click();
        const QVariantMap row = StoredRow(*m_data, QStringLiteral("Lunch"));
        QCOMPARE(row.value(QStringLiteral("Value")).toString(), QStringLiteral("12,5"));
        QCOMPARE(row.value(QStringLiteral("Dohod")).toString(), QStringLiteral("12,5 $"));
        QCOMPARE(row.value(QStringLiteral("Rashod")).toString(), QString());
        QCOMPARE(row.value(QStringLiteral("Type")).toString(), QStringLiteral("D"));
        QCOMPARE(row.value(QStringLiteral("Gr2")).toString(), QStringLiteral("Salary"));
        QCOMPARE(row.value(QStringLiteral("Gr1")).toString(), QStringLiteral("[...]"));
        QCOMPARE(m_data->tbData3.recordCount(), 1);
    }

    void editedEntryLeavesAFilteredView() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("Lunch"), QStringLiteral("R"), -3,
                     QStringLiteral("Food"));
        });
        start();
        // Only charges are shown; turning the charge into an income takes it out of the view.
        m_window->findChild<QRadioButton*>(QStringLiteral("rCharges"))->click();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QCOMPARE(grid->model()->rowCount(), 1);
        grid->selectRow(0);
        onEntryDialog([](StandardEntryDialog* dialog) {
            Child<QToolButton>(dialog, "SpeedButton1")->click();
            Choose(Child<QComboBox>(dialog, "list1"), QStringLiteral("Salary"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        action("EditRec")->trigger();
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(StoredRow(*m_data, QStringLiteral("Lunch")).value(QStringLiteral("Type")),
                 QVariant(QStringLiteral("D")));
        QVERIFY(Messages::takeShown().isEmpty());
    }

    void editDispatchByKind() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("loan"), QStringLiteral("CR"), 100,
                     QStringLiteral("(DEBT TO YOU)"));
            AddEntry(data, QStringLiteral("odd"), QStringLiteral("r"), -1, QString());
            AddEntry(data, QStringLiteral("old group"), QStringLiteral("R"), -1,
                     QStringLiteral("Gone"));
        });
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QCOMPARE(grid->model()->rowCount(), 3);
        // A debt row is refused; a row of an unknown kind is left alone.
        grid->selectRow(0);
        action("EditRec")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("E25")});
        grid->selectRow(1);
        action("PopupEdit")->trigger();
        QVERIFY(Messages::takeShown().isEmpty());
        // An entry whose group is gone opens with no group chosen and needs one.
        grid->selectRow(2);
        bool checked = false;
        onEntryDialog([&checked](StandardEntryDialog* dialog) {
            QCOMPARE(Child<QComboBox>(dialog, "list1")->currentIndex(), -1);
            Child<QPushButton>(dialog, "Button1")->click();
            QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("E2")});
            checked = true;
        });
        action("EditRec")->trigger();
        QVERIFY(checked);
        QCOMPARE(StoredRow(*m_data, QStringLiteral("old group")).value(QStringLiteral("Gr2")),
                 QVariant(QStringLiteral("Gone")));
    }

    void noEntryWithoutCurrency() {
        prepare([](LedgerTables& data) { test::MainWindowSession::addAccounts(data); });
        start();
        toolButton("tb1")->click();
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains(QStringLiteral("currency")));
        QVERIFY(!m_window->findChild<StandardEntryDialog*>()->isVisible());
        QCOMPARE(m_data->tbData.recordCount(), 0);
    }

    void vanishedCurrencyIsRefused() {
        prepare(FillClassifiers);
        start();
        QStringList shown;
        saveRefusedOnce<StandardEntryDialog>(
            "NewRec",
            [this](StandardEntryDialog* dialog) {
                Child<QLineEdit>(dialog, "NameRecord")->setText(QStringLiteral("Tea"));
                Child<QLineEdit>(dialog, "Value")->setText(QStringLiteral("2"));
                Choose(Child<QComboBox>(dialog, "list1"), QStringLiteral("car"));
                // The currency table changes while the dialog is open.
                m_data->tbValuta.first();
                m_data->tbValuta.remove();
                m_data->tbValuta.first();
                m_data->tbValuta.remove();
            },
            shown);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains(QStringLiteral("$")));
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }

    // Makes the entry named name the current one through the grid, on the "[...]" tab.
    void selectEntry(const QString& name) {
        m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(2);
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            if (grid->model()->index(r, 2).data().toString() == name)
                grid->selectRow(r);
        }
        QCOMPARE(m_data->tbData.field(QStringLiteral("Name")).text(), name);
    }

    void deleteRemovesTransfersWithTheirPartnerOnly() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddLinked(data, QStringLiteral("out"), QStringLiteral("P1"), 2);     // 1
            AddLinked(data, QStringLiteral("in"), QStringLiteral("P2"), 1);      // 2
            AddLinked(data, QStringLiteral("far out"), QStringLiteral("P1"), 5); // 3
            AddEntry(data, QStringLiteral("neighbour"), QStringLiteral("P2"), 10,
                     QString()); // 4: next to 3, but linked to nothing
            AddLinked(data, QStringLiteral("far in"), QStringLiteral("P2"), 3);  // 5
            AddLinked(data, QStringLiteral("orphan"), QStringLiteral("P2"), 99); // 6
        });
        start();
        // "No" keeps everything.
        selectEntry(QStringLiteral("in"));
        Messages::queueAnswer(false);
        toolButton("tb2")->click();
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Do you want delete?")});
        QCOMPARE(storedNames().size(), 6);
        struct Case {
            const char* chosen;
            const char* left; // the names left, separated by "|"
        };
        for (const Case& c : {Case{"in", "far out|neighbour|far in|orphan"},
                              Case{"far out", "neighbour|orphan"}, Case{"orphan", "neighbour"}}) {
            selectEntry(QString::fromLatin1(c.chosen));
            Messages::queueAnswer(true);
            action("DeleteRec")->trigger();
            QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Do you want delete?")});
            QCOMPARE(storedNames(), QString::fromLatin1(c.left).split(QLatin1Char('|')));
        }
        QCOMPARE(m_window->findChild<QTableView*>(QStringLiteral("Grid1"))->model()->rowCount(), 1);
    }

    // Ctrl+Z takes a deletion back: the entry returns with its ID and is selected, and the
    // menu names what it undoes.
    void undoBringsBackTheDeletedEntry() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("Bread"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 50,
                     QStringLiteral("Salary"));
        });
        start();
        QAction* undo = action("UndoCommand");
        QAction* redo = action("RedoCommand");
        QVERIFY(undo && redo);
        QCOMPARE(undo->text(), QStringLiteral("Undo"));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        selectEntry(QStringLiteral("Bread"));
        const qint64 id = ledger().field(QStringLiteral("ID")).toInt();
        Messages::queueAnswer(true);
        action("DeleteRec")->trigger();
        Messages::takeShown();
        QCOMPARE(storedNames(), QStringList{QStringLiteral("salary")});
        QCOMPARE(undo->text(), QStringLiteral("Undo delete of 'Bread'"));
        selectEntry(QStringLiteral("salary"));
        m_window->activateWindow();
        QTRY_VERIFY(m_window->isActiveWindow());
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(storedNames(),
                     (QStringList{QStringLiteral("Bread"), QStringLiteral("salary")}));
        QCOMPARE(ledger().field(QStringLiteral("Name")).text(), QStringLiteral("Bread"));
        QCOMPARE(ledger().field(QStringLiteral("ID")).toInt(), id);
        QCOMPARE(undo->text(), QStringLiteral("Undo"));
        QCOMPARE(redo->text(), QStringLiteral("Redo delete of 'Bread'"));
        // The wait window of the refresh took the activation.
        m_window->activateWindow();
        QTRY_VERIFY(m_window->isActiveWindow());
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(storedNames(), QStringList{QStringLiteral("salary")});
        // A key released while the refresh's wait window held the keyboard is lost: the
        // modifiers are let go again, so the next test does not select with Shift held.
        QTest::keyRelease(m_window.get(), Qt::Key_Shift);
        QTest::keyRelease(m_window.get(), Qt::Key_Control);
        QCOMPARE(QGuiApplication::keyboardModifiers(), Qt::NoModifier);
        QVERIFY(Messages::takeShown().isEmpty());
    }

    void deleteByKind() {
        prepare([](LedgerTables& data, DebtTables& cd) {
            FillClassifiers(data);
            AddLinked(data, QStringLiteral("loan"), QStringLiteral("CR"), 1);
            AddLinked(data, QStringLiteral("repaid"), QStringLiteral("PD"), 2);
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 50,
                     QStringLiteral("Salary"));
            AddEntry(data, QStringLiteral("lunch"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("odd"), QStringLiteral("x"), -5, QString());
            // Two repayments of the debt; the ledger row names the second.
            for (int i = 0; i < 2; ++i) {
                cd.tbOplataCredit2.append();
                cd.tbOplataCredit2.field(QStringLiteral("IDcredit")).setInt(1);
                cd.tbOplataCredit2.field(QStringLiteral("Value")).setDouble(10);
                cd.tbOplataCredit2.post();
            }
        });
        start();
        // Debt rows are deleted on the debts page only.
        selectEntry(QStringLiteral("loan"));
        action("PopupDelete")->trigger();
        QCOMPARE(Messages::takeShown(),
                 QStringList{QStringLiteral("For delete of debts you must open window \"Debts\"")});
        // Rows of unknown kinds are left alone without a question.
        selectEntry(QStringLiteral("odd"));
        action("DeleteRec")->trigger();
        QVERIFY(Messages::takeShown().isEmpty());
        // A repayment row takes its repayment record along.
        selectEntry(QStringLiteral("repaid"));
        Messages::queueAnswer(true);
        action("DeleteRec")->trigger();
        TableHandle& repayments = m_cd->tbOplataCredit2;
        repayments.setFiltered(false);
        QCOMPARE(repayments.recordCount(), 1);
        QCOMPARE(repayments.field(QStringLiteral("ID")).toInt(), 1);
        // Deleting an income of a filtered view keeps the filter.
        m_window->findChild<QRadioButton*>(QStringLiteral("rIncomes"))->click();
        selectEntry(QStringLiteral("salary"));
        Messages::queueAnswer(true);
        action("DeleteRec")->trigger();
        QVERIFY(m_data->tbData.filtered());
        QVERIFY(m_data->tbData.filter().contains(QStringLiteral("D")));
        QCOMPARE(storedNames(), (QStringList{QStringLiteral("loan"), QStringLiteral("lunch"),
                                             QStringLiteral("odd")}));
        Messages::takeShown();
    }

    // Rows chosen with Ctrl-clicks are deleted together after one question naming how many;
    // a debt row among them refuses the deletion of all before any question.
    void deleteSeveralSelectedRows() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddLinked(data, QStringLiteral("out"), QStringLiteral("P1"), 2); // 1
            AddLinked(data, QStringLiteral("in"), QStringLiteral("P2"), 1);  // 2
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 50,
                     QStringLiteral("Salary"));
            AddEntry(data, QStringLiteral("lunch"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
            AddLinked(data, QStringLiteral("loan"), QStringLiteral("CR"), 0);
            AddEntry(data, QStringLiteral("kept"), QStringLiteral("R"), -1, QStringLiteral("Food"));
        });
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        auto ctrlClick = [grid](const char* name) {
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                const QModelIndex cell = grid->model()->index(r, 2);
                if (cell.data().toString() != QLatin1String(name))
                    continue;
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                  grid->visualRect(cell).center());
            }
        };
        selectEntry(QStringLiteral("in"));
        ctrlClick("salary");
        ctrlClick("loan");
        action("DeleteRec")->trigger();
        QCOMPARE(Messages::takeShown(),
                 QStringList{QStringLiteral("For delete of debts you must open window \"Debts\"")});
        QCOMPARE(storedNames().size(), 6);

        ctrlClick("loan");
        ctrlClick("lunch");
        // Editing works on the current row alone: the last one clicked.
        QCOMPARE(m_data->tbData.field(QStringLiteral("Name")).text(), QStringLiteral("lunch"));
        Messages::queueAnswer(true);
        action("DeleteRec")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Delete 3 entries?")});
        QCOMPARE(storedNames(), (QStringList{QStringLiteral("loan"), QStringLiteral("kept")}));
        // A plain click selects one row again (and lets go of Ctrl for the tests after).
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 2)).center());
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
    }

    void moveAssignsTheCurrentRowOnly() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddLinked(data, QStringLiteral("out"), QStringLiteral("P1"), 2);
            AddLinked(data, QStringLiteral("in"), QStringLiteral("P2"), 1, QStringLiteral("Bank"));
        });
        start();
        auto* tabs = m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"));
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        auto moveTo = [this](const QString& account, bool ok) {
            auto* poll = new QTimer(this);
            connect(poll, &QTimer::timeout, this, [this, poll, account, ok] {
                auto* dialog = m_window->findChild<QDialog*>(QStringLiteral("TfMove"));
                if (!dialog->isVisible())
                    return;
                poll->deleteLater();
                auto* list = Child<QComboBox>(dialog, "ComboBox1");
                QCOMPARE(Items(list), (QStringList{QStringLiteral("Wallet"), QStringLiteral("Bank"),
                                                   QStringLiteral("[...]")}));
                QCOMPARE(list->currentIndex(), 0);
                list->setCurrentIndex(list->findText(account));
                Child<QPushButton>(dialog, ok ? "Button1" : "Button2")->click();
            });
            poll->start(5);
            action("MoveRec")->trigger();
        };
        selectEntry(QStringLiteral("out"));
        moveTo(QStringLiteral("Bank"), false);
        QCOMPARE(m_data->tbData.field(QStringLiteral("Gr1")).text(), QStringLiteral("Wallet"));
        // The leaving row moves to the destination; its partner stays where it was.
        moveTo(QStringLiteral("Bank"), true);
        tabs->setCurrentIndex(1);
        QCOMPARE(grid->model()->rowCount(), 2);
        // Under "[...]" an entry shows on every account tab, and stays current after the move.
        tabs->setCurrentIndex(2);
        selectEntry(QStringLiteral("in"));
        moveTo(QStringLiteral("[...]"), true);
        QCOMPARE(m_data->tbData.field(QStringLiteral("Name")).text(), QStringLiteral("in"));
        tabs->setCurrentIndex(0);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QStringLiteral("in"));
    }

    // Earlier names containing the typed text are offered, most recent first, one per name
    // whatever its letter case, and only of the side chosen; choosing one fills the dialog from
    // its latest entry and proposes the amount, selected.
    void nameCompletesFromEarlierEntries() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            auto add = [&data](const QString& name, const char* type, double value,
                               const char* group, const char* sub, const char* currency,
                               QDate date) {
                AddEntry(data, name, QString::fromLatin1(type), value, QString::fromLatin1(group));
                TableHandle& d = data.tbData2;
                d.edit();
                d.field(QStringLiteral("Date")).setDate(date);
                d.field(QStringLiteral("NameRashod")).setText(QString::fromLatin1(sub));
                d.field(QStringLiteral("Valuta")).setText(QString::fromLatin1(currency));
                d.post();
            };
            add(u"Bread shop"_s, "R", -7.5, "Food", "Bread", "Rouble", QDate(2026, 3, 5));
            add(u"bread shop"_s, "R", -4, "car", "", "Dollar", QDate(2026, 2, 1));
            add(u"Breadwinner"_s, "D", 100, "Salary", "", "Dollar", QDate(2026, 3, 9));
            add(u"Corner bread"_s, "R", -2, "Food", "Milk", "Dollar", QDate(2026, 3, 8));
            add(u"Хлеб"_s, "R", -1, "Food", "", "Dollar", QDate(2026, 1, 1));
        });
        start();
        onEntryDialog([](StandardEntryDialog* dialog) {
            auto* name = Child<QLineEdit>(dialog, "NameRecord");
            auto* value = Child<QLineEdit>(dialog, "Value");
            QCompleter* completer = name->completer();
            QVERIFY(completer);
            // The popup answers keys as long as the name field has the focus.
            dialog->activateWindow();
            name->setFocus();
            QTRY_VERIFY(name->hasFocus());
            auto offered = [&](const QString& typed) {
                name->clear();
                // Typed as one key press, so that Cyrillic text is typed too.
                QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, typed, Qt::NoModifier);
                QStringList names;
                for (int row = 0; completer->setCurrentRow(row); ++row)
                    names << completer->currentCompletion();
                return names;
            };
            QCOMPARE(offered(u"BREAD"_s), (QStringList{u"Corner bread"_s, u"Bread shop"_s}));
            QCOMPARE(offered(u"хл"_s), QStringList{u"Хлеб"_s});
            Child<QToolButton>(dialog, "SpeedButton1")->click();
            QCOMPARE(offered(u"bread"_s), QStringList{u"Breadwinner"_s});
            Child<QToolButton>(dialog, "SpeedButton2")->click();
            QCOMPARE(offered(u"shop"_s), QStringList{u"Bread shop"_s});
            QTRY_VERIFY(completer->popup()->isVisible());
            QTest::keyClick(completer->popup(), Qt::Key_Down);
            QTest::keyClick(completer->popup(), Qt::Key_Return);
            QCOMPARE(name->text(), u"Bread shop"_s);
            QCOMPARE(Child<QComboBox>(dialog, "list1")->currentText(), u"Food"_s);
            QCOMPARE(Child<QComboBox>(dialog, "list2")->currentText(), u"Bread"_s);
            QCOMPARE(Child<QComboBox>(dialog, "Currency")->currentText(), u"R"_s);
            QCOMPARE(value->text(), u"7,5"_s);
            QTRY_COMPARE(dialog->focusWidget(), value);
            QCOMPARE(value->selectedText(), u"7,5"_s);
            QTest::keyClicks(value, u"9"_s);
            Child<QPushButton>(dialog, "Button1")->click();
        });
        toolButton("tb1")->click();
        QVERIFY(Messages::takeShown().isEmpty());
        const QVariantMap row = StoredRow(*m_data, u"Date"_s, QDate(2026, 3, 10));
        QCOMPARE(row.value(u"Name"_s).toString(), u"Bread shop"_s);
        QCOMPARE(row.value(u"Rashod"_s).toString(), u"9 R"_s);
        QCOMPARE(row.value(u"NameRashod"_s).toString(), u"Bread"_s);
    }

    // A new entry's dialog shows the account: the tab shown, or on "[...]" an account chosen,
    // with "[...]" itself still a choice that says it counts in every account.
    void accountBoxChoosesTheAccount_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::newRow("the tab shown") << 1 << u"Bank"_s << QString() << u"Bank"_s;
        QTest::newRow("chosen on [...]")
            << 2 << u"[...] (counts in every account)"_s << u"Wallet"_s << u"Wallet"_s;
        QTest::newRow("[...] kept")
            << 2 << u"[...] (counts in every account)"_s << QString() << u"[...]"_s;
    }
    void accountBoxChoosesTheAccount() {
        QFETCH(int, tab);
        QFETCH(QString, shown);
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        prepare(FillClassifiers);
        start();
        m_window->findChild<QTabBar*>(u"TabControl1"_s)->setCurrentIndex(tab);
        onEntryDialog([=](StandardEntryDialog* dialog) {
            auto* account = Child<QComboBox>(dialog, "Account");
            QVERIFY(account);
            QCOMPARE(Items(account),
                     (QStringList{u"Wallet"_s, u"Bank"_s, u"[...] (counts in every account)"_s}));
            QCOMPARE(account->currentText(), shown);
            if (!chosen.isEmpty())
                Choose(account, chosen);
            Child<QLineEdit>(dialog, "NameRecord")->setText(u"Lunch"_s);
            Child<QLineEdit>(dialog, "Value")->setText(u"3"_s);
            Choose(Child<QComboBox>(dialog, "list1"), u"Food"_s);
            Child<QPushButton>(dialog, "Button1")->click();
        });
        toolButton("tb1")->click();
        QCOMPARE(StoredRow(*m_data, u"Lunch"_s).value(u"Gr1"_s).toString(), stored);
    }

    void emptyViewIgnoresDeleteAndMove() {
        prepare(FillClassifiers);
        start();
        action("DeleteRec")->trigger();
        action("MoveRec")->trigger();
        action("EditRec")->trigger();
        QVERIFY(Messages::takeShown().isEmpty());
        QVERIFY(!m_window->findChild<QDialog*>(QStringLiteral("TfMove"))->isVisible());
    }

    void calculatorFromTheAmountAndTheMenu() {
        prepare(FillClassifiers);
        start();
        auto* calculator = m_window->findChild<CalculatorWindow*>();
        onEntryDialog([calculator](StandardEntryDialog* dialog) {
            auto* value = Child<QLineEdit>(dialog, "Value");
            // An amount that is no number starts the calculator empty.
            value->setText(QStringLiteral("abc"));
            test::WhenShown(calculator, [calculator] {
                QCOMPARE(Child<QLineEdit>(calculator, "Edit1")->text(), QString());
                for (const char* key : {"SpeedButton7", "SpeedButton12", "SpeedButton5"})
                    Child<QToolButton>(calculator, key)->click();
                Child<QPushButton>(calculator, "Button1")->click();
            });
            Child<QToolButton>(dialog, "SpeedButton6")->click();
            QCOMPARE(value->text(), QStringLiteral("7,5"));
        });
        toolButton("tb1")->click();
        // The menu opens it for free use.
        bool shown = false;
        test::WhenShown(calculator, [calculator, &shown] {
            shown = true;
            Child<QPushButton>(calculator, "Button2")->click();
        });
        action("Calculator")->trigger();
        QVERIFY(shown);
    }

    void currencyWindowRefreshesTheLedgerAfterClosing() {
        prepare(FillClassifiers);
        start();
        const int before = m_window->fullRefreshCount();
        auto* currencies = m_window->findChild<CurrencyWindow*>();
        test::WhenShown(currencies, [currencies] { currencies->reject(); });
        action("Currency")->trigger();
        QTRY_COMPARE(m_window->fullRefreshCount(), before + 1);
        QCOMPARE(Items(m_window->findChild<QComboBox*>(QStringLiteral("ComboBoxV"))),
                 (QStringList{QStringLiteral("$"), QStringLiteral("R")}));
    }

    void bottomPanelHasTwoHeights() {
        start();
        auto* splitter = m_window->findChild<QSplitter*>(QStringLiteral("Splitter1"));
        auto* panel = m_window->findChild<QWidget*>(QStringLiteral("Panel6"));
        auto* balances = m_window->findChild<QTableWidget*>(QStringLiteral("GridValutaV"));
        QTRY_COMPARE(panel->height(), 27);
        QVERIFY(!balances->isVisible());
        // Dragging the splitter: up to 100 pixels collapses, more extends.
        for (const auto& [requested, height] :
             {std::pair{120, 138}, std::pair{90, 27}, std::pair{101, 138}, std::pair{30, 27}}) {
            const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
            splitter->setSizes({total - requested, requested});
            Q_EMIT splitter->splitterMoved(total - requested, 1);
            QTRY_COMPARE(panel->height(), height);
            QCOMPARE(balances->isVisible(), height == 138);
        }
    }
};

QTEST_MAIN(TestEntries)
#include "tst_entries.moc"
