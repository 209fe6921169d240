#include "core/clock.h"
#include "dialogs.h"
#include "ledger/currencywindow.h"
#include "ledger/entrydialog.h"
#include "mainwindowsession.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

using namespace zovi;
using test::AddEntry;
using test::Child;
using test::FillClassifiers;

// The grid's highlighted row is the one current entry: the entry commands act on it, whatever
// rebuilt the grid, and they are off while no row is highlighted.
class TestSelection : public test::MainWindowSession {
    Q_OBJECT

    void onEntryDialog(std::function<void(StandardEntryDialog*)> script) {
        onDialog<StandardEntryDialog>(std::move(script));
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(QDate(2026, 3, 10));
    }
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

private:
    // The name of the entry on the highlighted grid row; empty while none is highlighted.
    QString highlightedName() {
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        const QModelIndexList rows = grid->selectionModel()->selectedRows(2);
        return rows.isEmpty() ? QString() : rows.first().data().toString();
    }

private Q_SLOTS:
    void commandsActOnTheHighlightedEntry_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("chosen");
        // After start-up nobody chose: the last row in date order is highlighted.
        QTest::newRow("start-up") << QString() << QStringLiteral("banana");
        QTest::newRow("sort change") << QStringLiteral("sort") << QStringLiteral("apple");
        QTest::newRow("edit") << QStringLiteral("edit") << QStringLiteral("apple");
        QTest::newRow("currency window") << QStringLiteral("currencies") << QStringLiteral("apple");
        QTest::newRow("filter change") << QStringLiteral("filter") << QStringLiteral("apple");
    }

    // Whatever rebuilds the grid, the highlighted row stays the entry the commands act on:
    // deleting after it removes that entry and nothing else.
    void commandsActOnTheHighlightedEntry() {
        QFETCH(QString, step);
        QFETCH(QString, chosen);
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            // In date order cherry, apple, banana; by name the other way round.
            int day = 1;
            for (const char* name : {"cherry", "apple", "banana"}) {
                AddEntry(data, QString::fromLatin1(name), QStringLiteral("R"), -day,
                         QStringLiteral("Food"));
                data.tbData2.edit();
                data.tbData2.field(QStringLiteral("Date")).setDate(QDate(2026, 3, day++));
                data.tbData2.post();
            }
        });
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        if (!step.isEmpty()) {
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                if (grid->model()->index(r, 2).data().toString() == chosen)
                    grid->selectRow(r);
            }
        }
        QCOMPARE(highlightedName(), chosen);
        if (step == QStringLiteral("sort")) {
            m_window->findChild<QComboBox*>(QStringLiteral("ComboBox3"))->setCurrentIndex(1);
        } else if (step == QStringLiteral("edit")) {
            onEntryDialog([](StandardEntryDialog* dialog) {
                Child<QLineEdit>(dialog, "Value")->setText(QStringLiteral("7"));
                Child<QPushButton>(dialog, "Button1")->click();
            });
            action("EditRec")->trigger();
            QCOMPARE(StoredRow(*m_data, chosen).value(QStringLiteral("Value")).toString(),
                     QStringLiteral("-7"));
        } else if (step == QStringLiteral("currencies")) {
            const int before = m_window->fullRefreshCount();
            auto* currencies = m_window->findChild<CurrencyWindow*>();
            test::WhenShown(currencies, [currencies] { currencies->reject(); });
            action("Currency")->trigger();
            QTRY_COMPARE(m_window->fullRefreshCount(), before + 1);
        } else if (step == QStringLiteral("filter")) {
            m_window->findChild<QRadioButton*>(QStringLiteral("rCharges"))->click();
        }
        QCOMPARE(highlightedName(), chosen);
        Messages::queueAnswer(true);
        action("DeleteRec")->trigger();
        QStringList rest{QStringLiteral("cherry"), QStringLiteral("apple"),
                         QStringLiteral("banana")};
        rest.removeOne(chosen);
        QCOMPARE(storedNames(), rest);
        // Only the question was asked.
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Do you want delete?")});
    }

    void withoutHighlightedRowTheEntryCommandsAreOff() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("lunch"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
        });
        start();
        QVERIFY(action("DeleteRec")->isEnabled());
        m_window->findChild<QTableView*>(QStringLiteral("Grid1"))->clearSelection();
        for (const char* name : {"DeleteRec", "EditRec", "MoveRec", "PopupDelete", "PopupEdit"})
            QVERIFY2(!action(name)->isEnabled(), name);
        QVERIFY(!toolButton("tb2")->isEnabled());
        QVERIFY(!toolButton("tb3")->isEnabled());
        // The shortcut of a disabled command does nothing either.
        action("DeleteRec")->trigger();
        QCOMPARE(storedNames(), QStringList{QStringLiteral("lunch")});
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
