#include "fixtures.h"
#include "ledger/classifierwindows.h"
#include "ledger/currencywindow.h"
#include "ledger/entrydialog.h"
#include "mainwindowsession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>

using namespace zovi;
using test::AddEntry;
using test::FillClassifiers;

// The accounts and groups windows opened from the menu of the main window, driven headless:
// what their buttons store, what the ledger shows afterwards, and when the buttons are enabled.
class TestClassifiersUi : public test::MainWindowSession {
    Q_OBJECT

    // The name editor, once shown, gets text and OK.
    void answerEditor(const QString& text) {
        onDialog<NameEditor>([text](NameEditor* editor) {
            editor->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(text);
            editor->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
    }

    static QPushButton* Button(QWidget* window, const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // Clicks a button of a window; the name editor first gets text when it is given.
    void press(QWidget* window, const char* name, const QString& typed = {}) {
        if (!typed.isNull())
            answerEditor(typed);
        QPushButton* b = Button(window, name);
        QVERIFY(b && b->isEnabled());
        b->click();
    }

    static void selectRow(QWidget* window, const char* grid, int row) {
        auto* view = window->findChild<QTableView*>(QString::fromLatin1(grid));
        view->setCurrentIndex(view->model()->index(row, 1 % view->model()->columnCount()));
    }

    static QStringList GridNames(QWidget* window, const char* grid) {
        auto* view = window->findChild<QTableView*>(QString::fromLatin1(grid));
        QStringList names;
        const int column = view->model()->columnCount() > 1 ? 1 : 0;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            names << view->model()->index(r, column).data().toString();
        return names;
    }

    QStringList tabs() {
        auto* bar = m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"));
        QStringList texts;
        for (int i = 0; i < bar->count(); ++i)
            texts << bar->tabText(i);
        return texts;
    }

    QString stored(const char* file, const char* sql) {
        return test::QueryFile(m_db->file(QString::fromLatin1(file)), QString::fromLatin1(sql));
    }

private Q_SLOTS:
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    void accountsWindow() {
        prepare([](LedgerTables& data, DebtTables& cd) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("lunch"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fee"), QStringLiteral("R"), -1, QStringLiteral("car"),
                     QStringLiteral("Bank"));
            AddEntry(data, QStringLiteral("shared"), QStringLiteral("R"), -2,
                     QStringLiteral("Food"), QStringLiteral("[...]"));
            test::Put(cd.tbCredit,
                      {{"Name", QStringLiteral("loan")}, {"User", QStringLiteral("Wallet")}});
        });
        start();
        // Under the tab Bank the Wallet entries are filtered out of the grid.
        m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
        bool done = false;
        onDialog<AccountsWindow>([&](AccountsWindow* users) {
            selectRow(users, "DBGrid1", 0);
            press(users, "Button4", QStringLiteral("Purse"));
            press(users, "Button2", QStringLiteral("  Cash  "));
            press(users, "Button2", QStringLiteral("Cash"));
            press(users, "Button2", QStringLiteral("cash"));
            QCOMPARE(GridNames(users, "DBGrid1"),
                     (QStringList{QStringLiteral("Purse"), QStringLiteral("Bank"),
                                  QStringLiteral("Cash"), QStringLiteral("cash")}));
            // The added account is selected: down on the last row changes nothing, up moves it.
            users->findChild<QToolButton*>(QStringLiteral("DownButton"))->click();
            users->findChild<QToolButton*>(QStringLiteral("UpButton"))->click();
            selectRow(users, "DBGrid1", 0);
            users->findChild<QToolButton*>(QStringLiteral("UpButton"))->click();
            press(users, "Button1");
            done = true;
        });
        action("Users")->trigger();
        QVERIFY(done);
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(stored("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"),
                 QStringLiteral("Purse|Bank|cash|Cash"));
        QCOMPARE(tabs(), (QStringList{QStringLiteral("Purse"), QStringLiteral("Bank"),
                                      QStringLiteral("cash"), QStringLiteral("Cash"),
                                      QStringLiteral("[...]")}));
        QCOMPARE(stored("Data.db", "SELECT group_concat(Name||':'||Gr1,' ') FROM Data"),
                 QStringLiteral("lunch:Purse fee:Bank shared:[...]"));
        QCOMPARE(stored("Credit.db", "SELECT User FROM Credit"), QStringLiteral("Purse"));
    }

    // With accounts of one name, Delete and Edit act on the selected row; renaming onto another
    // account's name asks whether to merge them; nothing selected, Delete and Edit are off.
    void accountsOfOneName() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data); // Wallet, Bank
            for (const char* name : {"Wallet", "Wallet", "Cash"})
                test::Put(data.tbGr1, {{"Name", QString::fromLatin1(name)}});
            AddEntry(data, QStringLiteral("tip"), QStringLiteral("R"), -1, QStringLiteral("Food"),
                     QStringLiteral("Cash"));
        });
        start();
        QString enabled;
        onDialog<AccountsWindow>([&](AccountsWindow* users) {
            selectRow(users, "DBGrid1", 3);
            Messages::queueAnswer(true);
            press(users, "Button3");
            selectRow(users, "DBGrid1", 2);
            press(users, "Button4", QStringLiteral("Purse"));
            QCOMPARE(GridNames(users, "DBGrid1"),
                     (QStringList{QStringLiteral("Wallet"), QStringLiteral("Bank"),
                                  QStringLiteral("Purse"), QStringLiteral("Cash")}));
            selectRow(users, "DBGrid1", 3);
            Messages::queueAnswer(false);
            press(users, "Button4", QStringLiteral("Bank"));
            QCOMPARE(GridNames(users, "DBGrid1").size(), 4);
            Messages::queueAnswer(true);
            press(users, "Button4", QStringLiteral("Bank"));
            auto* grid = users->findChild<QTableView*>(QStringLiteral("DBGrid1"));
            QCOMPARE(grid->currentIndex().row(), 1);
            grid->clearSelection();
            for (const char* name : {"Button3", "Button4"})
                enabled += Button(users, name)->isEnabled() ? u'+' : u'-';
            press(users, "Button1");
        });
        action("Users")->trigger();
        const QString merge =
            QStringLiteral("An account named \"Bank\" already exists. Merge the two? The entries "
                           "and debts of the renamed account move to it, and the renamed account "
                           "is removed.");
        QCOMPARE(Messages::takeShown(),
                 (QStringList{QStringLiteral("Do you want delete?"), merge, merge}));
        QCOMPARE(enabled, QStringLiteral("--"));
        QCOMPARE(stored("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"),
                 QStringLiteral("Wallet|Bank|Purse"));
        QCOMPARE(stored("Data.db", "SELECT Gr1 FROM Data WHERE Name='tip'"),
                 QStringLiteral("Bank"));
    }

    void buttonsEnabled_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<int>("group");
        // Delete and Edit of accounts, or group Delete, Edit, sub-group Add, Delete, Edit.
        QTest::addColumn<QString>("enabled");
        QTest::newRow("accounts, none") << QStringLiteral("Tusers") << false << -1 << "--";
        QTest::newRow("accounts") << QStringLiteral("Tusers") << true << 0 << "++";
        QTest::newRow("charges, no group")
            << QStringLiteral("TVidRashod") << false << -1 << "-----";
        QTest::newRow("charges, Food") << QStringLiteral("TVidRashod") << true << 0 << "+++++";
        QTest::newRow("charges, car without sub-groups")
            << QStringLiteral("TVidRashod") << true << 1 << "+++--";
        QTest::newRow("incomes, no group") << QStringLiteral("TVidDohod") << false << -1 << "-----";
        QTest::newRow("incomes, Salary without sub-groups")
            << QStringLiteral("TVidDohod") << true << 0 << "+++--";
    }

    void buttonsEnabled() {
        QFETCH(QString, window);
        QFETCH(bool, filled);
        QFETCH(int, group);
        QFETCH(QString, enabled);
        if (filled)
            prepare(FillClassifiers);
        start();
        QStringList names;
        const char* command = "Users";
        if (window == QStringLiteral("Tusers")) {
            names = {QStringLiteral("Button3"), QStringLiteral("Button4")};
        } else if (window == QStringLiteral("TVidRashod")) {
            names = {QStringLiteral("Button2"), QStringLiteral("Button3"),
                     QStringLiteral("Button4"), QStringLiteral("Button5"),
                     QStringLiteral("Button6")};
            command = "GroupsCharges";
        } else {
            names = {QStringLiteral("Button2"), QStringLiteral("Button3"),
                     QStringLiteral("Button5"), QStringLiteral("Button6"),
                     QStringLiteral("Button7")};
            command = "GroupsIncomes";
        }
        QString seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = m_window->findChild<QDialog*>(window);
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            if (group >= 0)
                selectRow(dialog, "DBGrid1", group);
            for (const QString& name : names)
                seen += dialog->findChild<QPushButton*>(name)->isEnabled() ? u'+' : u'-';
            dialog->accept();
        });
        poll.start(5);
        action(command)->trigger();
        QCOMPARE(seen, enabled);
    }

    // Deleting a group with three sub-groups, renaming one, a blank name refused: the entry
    // dialog's lists follow at once, the ledger after the deferred full refresh.
    void groupsWindow() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            data.tbGrR.locate(QStringLiteral("Name"), QStringLiteral("car"));
            for (const char* sub : {"Tyres", "Fuel", "Wash"})
                test::Put(data.tbGrR2, {{"Name", QString::fromLatin1(sub)}});
            data.tbGrD.append();
            data.tbGrD.field(QStringLiteral("Name")).setText(QStringLiteral("Food"));
            data.tbGrD.post();
            AddEntry(data, QStringLiteral("lunch"), QStringLiteral("R"), -5,
                     QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("garden"), QStringLiteral("D"), 9,
                     QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fuel"), QStringLiteral("R"), -7, QStringLiteral("car"));
        });
        start();
        const int refreshes = m_window->fullRefreshCount();
        QStringList listed;
        onDialog<ChargeGroupsWindow>([&](ChargeGroupsWindow* groups) {
            selectRow(groups, "DBGrid1", 1);
            QCOMPARE(GridNames(groups, "DBGrid2"),
                     (QStringList{QStringLiteral("Tyres"), QStringLiteral("Fuel"),
                                  QStringLiteral("Wash")}));
            Messages::queueAnswer(true);
            press(groups, "Button2");
            QCOMPARE(GridNames(groups, "DBGrid1"), QStringList{QStringLiteral("Food")});
            QCOMPARE(GridNames(groups, "DBGrid2"),
                     (QStringList{QStringLiteral("Milk"), QStringLiteral("Bread")}));
            press(groups, "Button3", QStringLiteral("  "));
            press(groups, "Button3", QStringLiteral("Meals"));
            auto* list1 = m_window->findChild<StandardEntryDialog*>()->findChild<QComboBox*>(
                QStringLiteral("list1"));
            for (int i = 0; i < list1->count(); ++i)
                listed << list1->itemText(i);
            press(groups, "Button7");
        });
        action("GroupsCharges")->trigger();
        // The question before deleting, then the refused blank name.
        QCOMPARE(Messages::takeShown(),
                 (QStringList{QStringLiteral("Do you want delete?"), EmptyNameRefusal()}));
        QCOMPARE(listed, QStringList{QStringLiteral("Meals")});
        QCOMPARE(stored("GrR.db", "SELECT group_concat(Name,'|') FROM GrR"),
                 QStringLiteral("Meals"));
        QCOMPARE(stored("GrR2.db", "SELECT group_concat(Name,'|') FROM GrR2"),
                 QStringLiteral("Milk|Bread"));
        // The income entry of the income group Food keeps its group; the deleted group's
        // entry keeps its name.
        QCOMPARE(stored("Data.db", "SELECT group_concat(Name||':'||Gr2,' ') FROM Data"),
                 QStringLiteral("lunch:Meals garden:Food fuel:car"));
        QTRY_COMPARE(m_window->fullRefreshCount(), refreshes + 1);
    }

    // Each groups window names its side, the name editor says what it asks for, and the
    // currencies window closes with its Close button.
    void smallWindows() {
        start();
        QStringList seen;
        onDialog<ChargeGroupsWindow>([&](ChargeGroupsWindow* w) { seen << w->windowTitle(); });
        action("GroupsCharges")->trigger();
        onDialog<IncomeGroupsWindow>([&](IncomeGroupsWindow* w) { seen << w->windowTitle(); });
        action("GroupsIncomes")->trigger();
        onDialog<NameEditor>([&](NameEditor* editor) {
            auto* label = editor->findChild<QLabel*>(QStringLiteral("Label1"));
            QVERIFY(label);
            seen << label->text();
        });
        onDialog<AccountsWindow>([](AccountsWindow* users) { Button(users, "Button2")->click(); });
        action("Users")->trigger();
        QCOMPARE(seen, (QStringList{QStringLiteral("Groups of charges"),
                                    QStringLiteral("Groups of incomes"),
                                    QStringLiteral("Account name:")}));

        bool closed = false;
        onDialog<CurrencyWindow>([&](CurrencyWindow* currencies) {
            QPushButton* close = Button(currencies, "CloseButton");
            QVERIFY(close);
            close->click();
            closed = !currencies->isVisible();
        });
        action("Currency")->trigger();
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestClassifiersUi)
#include "tst_classifiers_ui.moc"
