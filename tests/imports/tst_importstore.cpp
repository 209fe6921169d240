// Storing entries read from other programs' and banks' files: what each becomes in the ledger,
// the accounts, groups and currencies they find or make, duplicates, and whole-or-nothing.
#include "fixtures.h"
#include "imports/csvexport.h"
#include "imports/csvimport.h"
#include "imports/importstore.h"
#include "ledger/classifiers.h"
#include "ledger/exchange.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QTest>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

namespace {

ImportedEntry Entry(int line, QDate date, const QString& name, double amount,
                    const QString& group = {}, const QString& subGroup = {}) {
    ImportedEntry e;
    e.line = line;
    e.date = date;
    e.name = name;
    e.amount = amount;
    e.group = group;
    e.subGroup = subGroup;
    return e;
}

} // namespace

class TestImportStore : public DatabaseTest {
    Q_OBJECT

    // Every stored row of the ledger of data as "Type|Gr1|Name|Value|Dohod|Rashod|Valuta|Gr2|
    // NameRashod", and with whole set the date, the exchange fields and the link's distance.
    static QStringList Rows(LedgerTables& data, bool whole = false) {
        QStringList list;
        TableHandle all(u"check"_s);
        all.setPath(data.tbData.path());
        all.open();
        for (all.first(); !all.eof(); all.next()) {
            QStringList fields;
            for (const char* f :
                 {"Type", "Gr1", "Name", "Value", "Dohod", "Rashod", "Valuta", "Gr2", "NameRashod"})
                fields << all.field(QString::fromLatin1(f)).text();
            if (whole) {
                for (const char* f :
                     {"Date", "ValueDohod", "ValueRashod", "ValutaDohod", "ValutaRashod", "Kurs"})
                    fields << all.field(QString::fromLatin1(f)).text();
                const qint64 link = all.field(u"IDsecond"_s).toInt();
                fields << QString::number(link ? link - all.field(u"ID"_s).toInt() : 0);
            }
            list << fields.join(u'|');
        }
        return list;
    }
    QStringList rows() { return Rows(*m_data); }

    QStringList groupNames(GroupSide side) {
        QStringList names;
        TableHandle& groups = GroupTable(*m_data, side);
        for (int r = 0; r < groups.recordCount(); ++r)
            names << groups.textAt(r, groups.fieldIndex(u"Name"_s));
        return names;
    }

    // Dollar (main, "$") and Ruble ("₽"), the accounts Wallet and Bank, the charge group
    // Groceries.
    void fill() {
        Transaction t;
        PutCurrencies(m_data->tbValuta, {{true, "Dollar", "$", 1, false, "0"},
                                         {false, "Рубль", "₽", 90, false, "0"}});
        t.commit();
        QVERIFY(AddAccount(*m_data, u"Wallet"_s));
        QVERIFY(AddAccount(*m_data, u"Bank"_s));
        AddGroup(*m_data, GroupSide::Charges, u"Groceries"_s);
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        fill();
    }
    void cleanup() { cleanupDatabase(); }

    // One file with every kind an import meets, stored into Wallet.
    void storesWhatThePreviewShows() {
        ImportedFile file;
        file.currency = u"USD"_s;
        file.entries << Entry(1, {2024, 3, 1}, u"Shop"_s, -12.5, u"groceries"_s, u"Fruit"_s);
        ImportedEntry rub = Entry(2, {2024, 3, 2}, u"Такси"_s, -350, u"Транспорт"_s);
        rub.currency = u"RUB"_s;
        file.entries << rub;
        file.entries << Entry(3, {2024, 3, 3}, u"Salary"_s, 1000);
        ImportedEntry move = Entry(4, {2024, 3, 4}, u"To savings"_s, -200);
        move.transferAccount = u"Savings"_s;
        file.entries << move;
        ImportedEntry yen = Entry(5, {2024, 3, 5}, u"Souvenir"_s, -5);
        yen.currency = u"JPY"_s;
        file.entries << yen;
        ImportedEntry exchange = Entry(6, {2024, 3, 6}, u"Exchange office"_s, 9000);
        exchange.kind = u"O"_s;
        exchange.currency = u"₽"_s;
        exchange.given = -100;
        exchange.givenCurrency = u"Dollar"_s;
        file.entries << exchange;
        file.entries << Entry(7, {2024, 3, 7}, QString(), -1);

        const ImportPlan plan = PlanImport(*m_data, file, u"Wallet"_s);
        QCOMPARE(plan.newAccounts, QStringList{u"Savings"_s});
        QCOMPARE(plan.unread.size(), 1);
        QCOMPARE(plan.unread[0].line, 5);
        QVERIFY(plan.unread[0].reason.contains(u"JPY"_s));
        QCOMPARE(plan.entries.size(), 6);
        // Fruit, Транспорт, the income group and the charge group for entries without one.
        QCOMPARE(plan.newGroups, 4);
        QCOMPARE(plan.entries[0].group, u"Groceries"_s); // the existing spelling

        QCOMPARE(StoreImport(*m_data, plan), 6);
        const QStringList expected = {
            u"R|Wallet|Shop|-12,5||12,5 $|Dollar|Groceries|Fruit"_s,
            u"R|Wallet|Такси|-350||350 ₽|Рубль|Транспорт|"_s,
            u"D|Wallet|Salary|1000|1000 $||Dollar|Uncategorised|"_s,
            u"P1|Wallet|To savings|-200||200 $|Dollar|(TRANSFER->)|"_s,
            u"P2|Savings|To savings|200|200 $||Dollar|(->TRANSFER)|"_s,
            u"O|Wallet|Exchange office||9000 ₽|100 $||(EXCHANGE)|"_s,
            u"R|Wallet|(no name)|-1||1 $|Dollar|Uncategorised|"_s,
        };
        QCOMPARE(rows(), expected);
        QCOMPARE(AccountNames(*m_data), (QStringList{u"Wallet"_s, u"Bank"_s, u"Savings"_s}));
        QCOMPARE(groupNames(GroupSide::Charges),
                 (QStringList{u"Groceries"_s, u"Транспорт"_s, u"Uncategorised"_s}));
        QCOMPARE(groupNames(GroupSide::Incomes), QStringList{u"Uncategorised"_s});

        // The transfer rows name each other, and the exchange has the rate its dialog would.
        QCOMPARE(QueryFile(tableFile("Data.db"),
                           "SELECT group_concat(IDsecond, ',') FROM Data WHERE Type IN "
                           "('P1','P2') ORDER BY ID"_L1),
                 u"5.0,4.0"_s);
        QCOMPARE(QueryFile(tableFile("Data.db"), "SELECT Kurs FROM Data WHERE Type='O'"_L1),
                 u"90.0"_s);
    }

    // The same statement twice adds nothing the second time; a repeat inside one file and the
    // other side of a transfer already stored are skipped too.
    void reimportAddsNothing() {
        ImportedFile file;
        file.entries << Entry(1, {2024, 5, 1}, u"Coffee"_s, -3.2);
        file.entries << Entry(2, {2024, 5, 1}, u"COFFEE"_s, -3.2);
        file.entries << Entry(3, {2024, 5, 1}, u"Coffee"_s, -3.3);
        ImportedEntry move = Entry(4, {2024, 5, 2}, u"Cash"_s, -50);
        move.transferAccount = u"Wallet"_s;
        file.entries << move;
        const ImportPlan first = PlanImport(*m_data, file, u"Bank"_s);
        QCOMPARE(first.duplicates, 1);
        QVERIFY(first.entries[1].duplicate);
        QCOMPARE(StoreImport(*m_data, first), 3);
        const int stored = int(rows().size());

        const ImportPlan again = PlanImport(*m_data, file, u"Bank"_s);
        QCOMPARE(again.duplicates, 4);
        QCOMPARE(StoreImport(*m_data, again), 0);
        QCOMPARE(rows().size(), stored);

        // The Wallet's own statement holds the arriving side of that transfer.
        ImportedFile wallet;
        ImportedEntry arrived = Entry(1, {2024, 5, 2}, u"Cash"_s, 50);
        arrived.transferAccount = u"Bank"_s;
        wallet.entries << arrived;
        QCOMPARE(PlanImport(*m_data, wallet, u"Wallet"_s).duplicates, 1);
    }

    // What the CSV export writes, the CSV import stores again as it was, into a database of the
    // same currencies; into the same database it adds nothing.
    void csvExportReadsBack() {
        AddGroup(*m_data, GroupSide::Incomes, u"Работа"_s);
        AppendStandardEntry(*m_data,
                            {true,
                             {2024, 1, 31},
                             u"Зарплата; январь"_s,
                             u"1234567,89"_s,
                             u"₽"_s,
                             u"Работа"_s,
                             QString()},
                            u"Wallet"_s);
        AppendStandardEntry(*m_data,
                            {false,
                             {2024, 2, 1},
                             u"Bread \"Borodinsky\"\nfresh"_s,
                             u"0,3"_s,
                             u"$"_s,
                             u"Groceries"_s,
                             u"Bakery"_s},
                            u"Wallet"_s);
        AppendTransfer(*m_data, {{2024, 2, 2},
                                 u"50"_s,
                                 u"$"_s,
                                 u"Wallet"_s,
                                 u"Bank"_s,
                                 u"To the bank"_s,
                                 u"From the wallet"_s});
        AppendExchange(*m_data, {{2024, 2, 3}, u"Change"_s, u"100"_s, u"90"_s, u"$"_s, u"₽"_s},
                       u"Bank"_s);
        refreshLedger();
        const QStringList stored = Rows(*m_data, true);
        QCOMPARE(stored.size(), 5);

        const QByteArray csv = LedgerCsv(m_data->tbData);
        const CsvFormat format = GuessCsvFormat(csv);
        const CsvTable table = ReadCsvTable(csv, format);
        const ImportedFile file = CsvEntries(table, format, GuessCsvMapping(table.header, table));
        QCOMPARE(file.unread.size(), 0);

        const ImportPlan again = PlanImport(*m_data, file, u"Wallet"_s);
        QCOMPARE(again.duplicates, int(again.entries.size()));
        QCOMPARE(StoreImport(*m_data, again), 0);

        OpenedDatabase other;
        {
            Transaction t;
            PutCurrencies(other.data->tbValuta, {{true, "Dollar", "$", 1, false, "0"},
                                                 {false, "Рубль", "₽", 90, false, "0"}});
            t.commit();
        }
        QCOMPARE(StoreImport(*other.data, PlanImport(*other.data, file, u"Wallet"_s)), 4);
        QCOMPARE(Rows(*other.data, true), stored);
    }

    // A write refused half-way leaves the ledger, the accounts and the groups as they were.
    void failedWriteStoresNothing() {
        ImportedFile file;
        file.entries << Entry(1, {2024, 6, 1}, u"Rent"_s, -700, u"Home"_s, u"Rent"_s);
        ImportedEntry move = Entry(2, {2024, 6, 2}, u"Out"_s, -10);
        move.transferAccount = u"Broker"_s;
        file.entries << move;
        const ImportPlan plan = PlanImport(*m_data, file, u"New account"_s);
        QCOMPARE(plan.newAccounts, (QStringList{u"New account"_s, u"Broker"_s}));
        {
            WriteLock lock(tableFile("Data.db"));
            QVERIFY_THROWS_EXCEPTION(StoreError, StoreImport(*m_data, plan));
        }
        QCOMPARE(rows(), QStringList());
        QCOMPARE(AccountNames(*m_data), (QStringList{u"Wallet"_s, u"Bank"_s}));
        QCOMPARE(groupNames(GroupSide::Charges), QStringList{u"Groceries"_s});
        QCOMPARE(QueryFile(tableFile("Gr1.db"), "SELECT count(*) FROM Gr1"_L1), u"2"_s);
    }
};

QTEST_MAIN(TestImportStore)
#include "tst_importstore.moc"
