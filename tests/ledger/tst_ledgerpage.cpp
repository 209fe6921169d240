#include "core/clock.h"
#include "dialogs.h"
#include "mainwindowsession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

using namespace zovi;
using test::AddEntry;
using test::Child;
using test::FillClassifiers;

// What the ledger page shows beside the grid: the total in the currency whose sign stands
// beside it, the group filter's value list, and the balances after a change of entries.
class TestLedgerPage : public test::MainWindowSession {
    Q_OBJECT

    QLabel* total() { return m_window->findChild<QLabel*>(QStringLiteral("LabelV")); }
    QStringList shownNames() {
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QStringList names;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            names << grid->model()->index(r, 2).data().toString();
        return names;
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(QDate(2026, 3, 10));
    }
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    void totalBeforeTheFirstRevaluation() {
        start(false);
        QCOMPARE(total()->text(), QStringLiteral("000 000 000"));
    }

    // The first currency of the list is not the main one: start-up computes the total in it,
    // the currency whose sign the panel shows.
    void startUpTotalIsInTheShownCurrency() {
        prepare([](Tdata& data) {
            MainWindowSession::addAccounts(data);
            TableHandle& v = data.tbValuta;
            for (const auto& [name, sign, rate, main] :
                 {std::tuple{"Rouble", "R", 30.0, false}, std::tuple{"Dollar", "$", 1.0, true}}) {
                v.append();
                v.field(QStringLiteral("Name")).setText(QString::fromLatin1(name));
                v.field(QStringLiteral("Znak")).setText(QString::fromLatin1(sign));
                v.field(QStringLiteral("Kurs")).setDouble(rate);
                v.field(QStringLiteral("More")).setBool(false);
                v.field(QStringLiteral("Def")).setBool(main);
                v.field(QStringLiteral("OldValue")).setText(QStringLiteral("0"));
                v.post();
            }
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 2, QString());
        });
        start();
        QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("ComboBoxV"))->currentText(),
                 QStringLiteral("R"));
        // Two dollars at 30 roubles each.
        QCOMPARE(total()->text(), QStringLiteral("60"));
    }

    // The value list of the group filter is refilled before the filter runs, so the grid
    // always shows the entries of the value the list shows.
    void groupFilterUsesTheShownValue() {
        prepare([](Tdata& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("milk"), QStringLiteral("R"), -1, QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fuel"), QStringLiteral("R"), -9, QStringLiteral("car"));
        });
        start();
        m_window->findChild<QCheckBox*>(QStringLiteral("CheckBox3"))->click();
        auto* category = m_window->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        auto* value = m_window->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        category->setCurrentIndex(1); // groups of charges, listed ignoring letter case
        QCOMPARE(value->currentText(), QStringLiteral("car"));
        QCOMPARE(shownNames(), QStringList{QStringLiteral("fuel")});
        value->setCurrentIndex(value->findText(QStringLiteral("Food")));
        QCOMPARE(shownNames(), QStringList{QStringLiteral("milk")});
    }

    // Moving an entry to another account changes the balances of the shown account at once.
    void moveRecomputesTheBalances() {
        prepare([](Tdata& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 50,
                     QStringLiteral("Salary"));
        });
        start();
        QCOMPARE(total()->text(), QStringLiteral("50"));
        test::WhenShown(m_window->findChild<QDialog*>(QStringLiteral("TfMove")), [this] {
            auto* dialog = m_window->findChild<QDialog*>(QStringLiteral("TfMove"));
            auto* list = Child<QComboBox>(dialog, "ComboBox1");
            list->setCurrentIndex(list->findText(QStringLiteral("Bank")));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        action("MoveRec")->trigger();
        QCOMPARE(StoredRow(*m_data, QStringLiteral("salary")).value(QStringLiteral("Gr1")),
                 QVariant(QStringLiteral("Bank")));
        QCOMPARE(total()->text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestLedgerPage)
#include "tst_ledgerpage.moc"
