#include "fixtures.h"
#include "ledger/classifiers.h"
#include "ledger/ledgertest.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace zovi;
using namespace zovi::test;

// The commands on accounts and groups without any window: what each stores in the classifier
// tables and what it carries into the ledger and the debts, whole or not at all.
class TestClassifiers : public LedgerTest {
    Q_OBJECT

    // Accounts Wallet and Bank; Wallet entries in and out of the grid's filter, one of Bank,
    // one of "[...]"; a debt booked to Wallet. Charge group Food (Milk, Bread, Other) and car
    // (Other); income group Food and Salary; a transfer and an exchange without groups.
    void fill() {
        Transaction t;
        for (const char* name : {"Wallet", "Bank"})
            Put(m_data->tbGr1, {{"Name", S(name)}});
        auto group = [](TableHandle& g, TableHandle& s, const char* name, QStringList subs) {
            Put(g, {{"Name", S(name)}});
            const qint64 id = g.lastInsertedRowid();
            for (const QString& sub : subs)
                Put(s, {{"IDsecond", id}, {"Name", sub}});
        };
        group(m_data->tbGrR, m_data->tbGrR2, "Food", {S("Milk"), S("Bread"), S("Other")});
        group(m_data->tbGrR, m_data->tbGrR2, "car", {S("Other")});
        group(m_data->tbGrD, m_data->tbGrD2, "Food", {});
        group(m_data->tbGrD, m_data->tbGrD2, "Salary", {S("Other")});
        TableHandle& d = m_data->tbData2;
        auto entry = [&](const char* name, const char* account, const char* type,
                         const char* groupName, const char* sub) {
            Put(d, {{"Name", S(name)},
                    {"Gr1", S(account)},
                    {"Type", S(type)},
                    {"Gr2", S(groupName)},
                    {"NameRashod", S(sub)}});
        };
        entry("milk", "Wallet", "R", "Food", "Milk");
        entry("hidden", "Wallet", "R", "Food", "Other");
        entry("fuel", "Bank", "R", "car", "Other");
        entry("harvest", "Wallet", "D", "Food", "");
        entry("shared", "[...]", "R", "Food", "");
        entry("move", "Wallet", "P1", "(TRANSFER->)", "");
        entry("change", "Bank", "O", "(EXCHANGE)", "");
        Put(m_cd->tbCredit, {{"Name", S("loan")}, {"User", S("Wallet")}, {"CD", S("C")}});
        Put(m_cd->tbCredit, {{"Name", S("other loan")}, {"User", S("Bank")}, {"CD", S("D")}});
        t.commit();
        refreshLedger();
        m_cd->tbCredit.refresh();
        // The grid shows only part of the ledger; commands reach the rest too.
        for (TableHandle* h : {&m_data->tbData, &m_data->tbData2}) {
            h->setFilter(QStringLiteral("Name<>'hidden'"));
            h->setFiltered(true);
        }
    }

    // field of every ledger row as "name:value", read from the file in table order.
    QString ledger(const char* field) {
        return QueryFile(dataFile(),
                         QStringLiteral("SELECT group_concat(Name||':'||coalesce(%1,''),' ') "
                                        "FROM Data ORDER BY ID")
                             .arg(S(field)));
    }
    QString table(const char* file, const char* sql) { return QueryFile(tableFile(file), S(sql)); }

    qint64 groupId(GroupSide side, const char* name) {
        return GroupTable(*m_data, side).lookup(S("Name"), S(name), S("ID")).toLongLong();
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void addAccount_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks trimmed, once")
            << QStringList{S("  Bank  "), S("Bank")} << S("+-") << S("Wallet|Bank");
        QTest::newRow("other case")
            << QStringList{S("  Bank  "), S("bank")} << S("++") << S("Wallet|Bank|bank");
        QTest::newRow("empty, blank, present")
            << QStringList{QString(), S("   "), S("Wallet")} << S("---") << S("Wallet");
    }

    void addAccount() {
        QFETCH(QStringList, typed);
        QFETCH(QString, added);
        QFETCH(QString, stored);
        QVERIFY(AddAccount(*m_data, S("Wallet")));
        QString results;
        for (const QString& text : typed)
            results += AddAccount(*m_data, text) ? u'+' : u'-';
        QCOMPARE(results, added);
        QCOMPARE(AccountNames(*m_data).join(u'|'), stored);
        QCOMPARE(table("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"), stored);
    }

    void renameAccount_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("accounts");
        QTest::newRow("new name") << S("Purse") << S("Purse|Bank");
        // The entries and the debt move to Bank, and Wallet goes.
        QTest::newRow("onto another account: merged") << S("Bank") << S("Bank");
    }

    void renameAccount() {
        QFETCH(QString, to);
        QFETCH(QString, accounts);
        fill();
        RenameAccount(*m_data, *m_cd, 0, to);
        const QString t = to;
        QCOMPARE(ledger("Gr1"), QStringLiteral("milk:%1 hidden:%1 fuel:Bank harvest:%1 "
                                               "shared:[...] move:%1 change:Bank")
                                    .arg(t));
        QCOMPARE(table("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"), accounts);
        QCOMPARE(table("Credit.db", "SELECT group_concat(Name||':'||User,'|') FROM Credit"),
                 QStringLiteral("loan:%1|other loan:Bank").arg(t));
        // The grid's view keeps its filter and shows the new name.
        QVERIFY(m_data->tbData.filtered());
        QVERIFY(m_data->tbData.locate(S("Name"), S("milk")));
        QCOMPARE(m_data->tbData.field(S("Gr1")).text(), t);
        QVERIFY(!m_data->tbData.locate(S("Name"), S("hidden")));
    }

    // The entries of the account are rewritten in one write that every view of the ledger and
    // the debts shows once, not once for each entry, and the grid's cursor stays on its entry.
    void renameAccountShowsOnce() {
        fill();
        QVERIFY(m_data->tbData.locate(S("Name"), S("harvest")));
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (TableHandle* h :
             {&m_data->tbData, &m_data->tbData2, &m_data->tbData3, &m_cd->tbCredit})
            spies.push_back(std::make_unique<QSignalSpy>(h, &TableHandle::viewChanged));
        RenameAccount(*m_data, *m_cd, 0, S("Purse"));
        for (const auto& spy : spies)
            QCOMPARE(spy->count(), 1);
        QCOMPARE(m_data->tbData.field(S("Name")).text(), S("harvest"));
        QCOMPARE(m_data->tbData.field(S("Gr1")).text(), S("Purse"));
        QCOMPARE(m_cd->tbCredit.lookup(S("Name"), S("loan"), S("User")).toString(), S("Purse"));
    }

    // A write refused half-way (the account row) leaves the ledger and the debts as they were.
    void renameAccountWhole_data() {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("to");
        QTest::newRow("rename") << S("UPDATE") << S("Purse");
        QTest::newRow("merge") << S("DELETE") << S("Bank");
    }

    void renameAccountWhole() {
        QFETCH(QString, write);
        QFETCH(QString, to);
        fill();
        const QString before = ledger("Gr1");
        ExecFile(tableFile("Gr1.db"), S("CREATE TRIGGER boom BEFORE %1 ON Gr1 BEGIN "
                                        "SELECT RAISE(ABORT, 'injected failure'); END")
                                          .arg(write));
        openDatabase();
        QVERIFY_THROWS_EXCEPTION(StoreError, RenameAccount(*m_data, *m_cd, 0, to));
        QCOMPARE(ledger("Gr1"), before);
        QCOMPARE(table("Credit.db", "SELECT group_concat(User,'|') FROM Credit"), S("Wallet|Bank"));
        QCOMPARE(AccountNames(*m_data), (QStringList{S("Wallet"), S("Bank")}));
    }

    // Of two accounts of one name, the commands act on the one at the row given; the entries
    // stay with the name that another account still bears.
    void accountsOfOneName() {
        fill();
        for (const char* name : {"Wallet", "Wallet"})
            Put(m_data->tbGr1, {{"Name", S(name)}});
        m_data->tbGr1.refresh();
        DeleteAccount(*m_data, 3);
        QCOMPARE(table("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"),
                 S("Wallet|Bank|Wallet"));
        QVERIFY(AccountNameTaken(*m_data, 2, S("Wallet")));
        QVERIFY(!AccountNameTaken(*m_data, 1, S("Bank")));
        const QString entries = ledger("Gr1");
        RenameAccount(*m_data, *m_cd, 2, S("Purse"));
        QCOMPARE(table("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"), S("Wallet|Bank|Purse"));
        QCOMPARE(ledger("Gr1"), entries);
        QVERIFY_THROWS_EXCEPTION(StoreError, DeleteAccount(*m_data, 3));
    }

    void moveAccount_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("order");
        QTest::newRow("up on the first") << 0 << true << false << S("Wallet|Bank|Cash");
        QTest::newRow("down on the last") << 2 << false << false << S("Wallet|Bank|Cash");
        QTest::newRow("up") << 2 << true << true << S("Wallet|Cash|Bank");
        QTest::newRow("down") << 0 << false << true << S("Bank|Wallet|Cash");
    }

    void moveAccount() {
        QFETCH(int, index);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QString, order);
        fill();
        QVERIFY(AddAccount(*m_data, S("Cash")));
        QCOMPARE(MoveAccount(*m_data, index, up), moved);
        QCOMPARE(AccountNames(*m_data).join(u'|'), order);
        QCOMPARE(table("Gr1.db", "SELECT group_concat(Name,'|') FROM Gr1"), order);
    }

    void deleteGroup() {
        fill();
        QCOMPARE(DeleteGroup(*m_data, GroupSide::Charges, groupId(GroupSide::Charges, "Food")), 4);
        QCOMPARE(table("GrR.db", "SELECT group_concat(Name,'|') FROM GrR"), S("car"));
        QCOMPARE(table("GrR2.db", "SELECT group_concat(Name,'|') FROM GrR2"), S("Other"));
        QCOMPARE(table("GrD.db", "SELECT count(*) FROM GrD"), S("2"));
        QCOMPARE(ledger("Gr2"), S("milk:Food hidden:Food fuel:car harvest:Food shared:Food "
                                  "move:(TRANSFER->) change:(EXCHANGE)"));
        QCOMPARE(ledger("NameRashod"), S("milk:Milk hidden:Other fuel:Other harvest: shared: "
                                         "move: change:"));
    }

    void renameGroups_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("rows");
        // The income group of the same name keeps its entries.
        QTest::newRow("charge group Food")
            << S("group") << S("Gr2")
            << S("milk:Meals hidden:Meals fuel:car harvest:Food shared:Meals move:(TRANSFER->) "
                 "change:(EXCHANGE) wage:Salary")
            << S("Meals|car");
        // And the charge group keeps its own.
        QTest::newRow("income group Food")
            << S("income group") << S("Gr2")
            << S("milk:Food hidden:Food fuel:car harvest:Meals shared:Food move:(TRANSFER->) "
                 "change:(EXCHANGE) wage:Salary")
            << S("Meals|Salary");
        // A sub-group name is renamed whatever the group, in the charges only.
        QTest::newRow("sub-group Other of Food")
            << S("sub-group") << S("NameRashod")
            << S("milk:Milk hidden:Meals fuel:Meals harvest: shared: move: change: wage:Other")
            << S("Milk|Bread|Meals|Other");
        // An old database may hold a group without a name: renaming it rewrites no entry, not
        // even those without a group.
        QTest::newRow("unnamed group") << S("unnamed") << S("NameRashod")
                                       << S("milk:Milk hidden:Other fuel:Other harvest: shared: "
                                            "move: change: wage:Other")
                                       << S("Food|car|Meals");
    }

    void renameGroups() {
        QFETCH(QString, what);
        QFETCH(QString, field);
        QFETCH(QString, entries);
        QFETCH(QString, rows);
        fill();
        // An income of the sub-group Other of the income group Salary.
        Put(m_data->tbData2, {{"Name", S("wage")},
                              {"Gr1", S("Bank")},
                              {"Type", S("D")},
                              {"Gr2", S("Salary")},
                              {"NameRashod", S("Other")}});
        const qint64 food = groupId(GroupSide::Charges, "Food");
        if (what == S("group")) {
            RenameGroup(*m_data, GroupSide::Charges, food, S("Meals"));
            QCOMPARE(table("GrR.db", "SELECT group_concat(Name,'|') FROM GrR"), rows);
            QCOMPARE(table("GrD.db", "SELECT group_concat(Name,'|') FROM GrD"), S("Food|Salary"));
        } else if (what == S("income group")) {
            RenameGroup(*m_data, GroupSide::Incomes, groupId(GroupSide::Incomes, "Food"),
                        S("Meals"));
            QCOMPARE(table("GrD.db", "SELECT group_concat(Name,'|') FROM GrD"), rows);
            QCOMPARE(table("GrR.db", "SELECT group_concat(Name,'|') FROM GrR"), S("Food|car"));
        } else if (what == S("sub-group")) {
            RenameSubGroup(*m_data, GroupSide::Charges, food, S("Other"), S("Meals"));
            QCOMPARE(table("GrR2.db", "SELECT group_concat(Name,'|') FROM GrR2"),
                     S("Milk|Bread|Meals|Other"));
        } else {
            ExecFile(tableFile("GrR.db"), S("INSERT INTO GrR (Name) VALUES ('')"));
            ExecFile(dataFile(), S("UPDATE Data SET Gr2='' WHERE Name='shared'"));
            openDatabase();
            const qint64 unnamed = groupId(GroupSide::Charges, "");
            QVERIFY(unnamed > 0);
            RenameGroup(*m_data, GroupSide::Charges, unnamed, S("Meals"));
            QCOMPARE(ledger("Gr2"), S("milk:Food hidden:Food fuel:car harvest:Food shared: "
                                      "move:(TRANSFER->) change:(EXCHANGE) wage:Salary"));
            QCOMPARE(table("GrR.db", "SELECT group_concat(Name,'|') FROM GrR"), rows);
            return;
        }
        QCOMPARE(ledger(field.toLatin1().constData()), entries);
        // The grid's view shows the new names at once.
        QVERIFY(m_data->tbData.locate(S("Name"), S("milk")));
        QCOMPARE(m_data->tbData.field(S("Gr2")).text(),
                 what == S("group") ? S("Meals") : S("Food"));
    }

    void blankNamesRefused_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        for (const char* command :
             {"add group", "add sub-group", "rename group", "rename sub-group", "rename account"}) {
            QTest::addRow("%s, empty", command) << S(command) << QString();
            QTest::addRow("%s, blank", command) << S(command) << S("  ");
        }
    }

    void blankNamesRefused() {
        QFETCH(QString, command);
        QFETCH(QString, name);
        fill();
        const qint64 food = groupId(GroupSide::Incomes, "Food");
        const QString snapshot =
            QStringList{table("GrD.db", "SELECT group_concat(Name) FROM GrD"),
                        table("GrD2.db", "SELECT group_concat(Name) FROM GrD2"),
                        table("Gr1.db", "SELECT group_concat(Name) FROM Gr1"),
                        ledger("Gr1"),
                        ledger("Gr2"),
                        ledger("NameRashod")}
                .join(u'\n');
        try {
            if (command == S("add group"))
                AddGroup(*m_data, GroupSide::Incomes, name);
            else if (command == S("add sub-group"))
                AddSubGroup(*m_data, GroupSide::Incomes, food, name);
            else if (command == S("rename group"))
                RenameGroup(*m_data, GroupSide::Incomes, food, name);
            else if (command == S("rename sub-group"))
                RenameSubGroup(*m_data, GroupSide::Incomes, groupId(GroupSide::Incomes, "Salary"),
                               S("Other"), name);
            else
                RenameAccount(*m_data, *m_cd, 0, name);
            QFAIL("a blank name was taken");
        } catch (const StoreError& e) {
            QCOMPARE(e.message(), EmptyNameRefusal());
        }
        QCOMPARE(QStringList({table("GrD.db", "SELECT group_concat(Name) FROM GrD"),
                              table("GrD2.db", "SELECT group_concat(Name) FROM GrD2"),
                              table("Gr1.db", "SELECT group_concat(Name) FROM Gr1"), ledger("Gr1"),
                              ledger("Gr2"), ledger("NameRashod")})
                     .join(u'\n'),
                 snapshot);
    }
};

QTEST_GUILESS_MAIN(TestClassifiers)
#include "tst_classifiers.moc"
