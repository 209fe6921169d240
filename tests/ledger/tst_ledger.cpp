#include "core/textutil.h"
#include "fixtures.h"
#include "ledger/deleteentry.h"
#include "ledger/entrycheck.h"
#include "ledger/entrynames.h"
#include "ledger/exchange.h"
#include "ledger/ledgertest.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QMap>
#include <QTest>
#include <functional>
#include <optional>

using namespace zovi;
using namespace zovi::test;

namespace {

// Ledger rows of the file by ID.
using EntryRows = QMap<qint64, QString>;

} // namespace

// The commands on one ledger entry given by its ID (incomes, charges, transfers and exchanges)
// and the checks of the entry dialogs, without any window.
class TestLedger : public LedgerTest {
    Q_OBJECT

    // Every ledger row of the file by ID, as "Name/Gr1/Gr2/Value/Dohod/Rashod".
    QMap<qint64, QString> storedRows() {
        QMap<qint64, QString> rows;
        const QString all = QueryFile(
            dataFile(), QStringLiteral("SELECT group_concat(ID||'='||coalesce(Name,'')||'/'||"
                                       "coalesce(Gr1,'')||'/'||coalesce(Gr2,'')||'/'||"
                                       "coalesce(Value,'')||'/'||coalesce(Dohod,'')||'/'||"
                                       "coalesce(Rashod,''), '|') FROM Data"));
        for (const QString& row : all.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const qsizetype at = row.indexOf(QLatin1Char('='));
            rows.insert(row.left(at).toLongLong(), row.mid(at + 1));
        }
        return rows;
    }

    // The ledger of fillLedger (IDs 1 to 6) with a transfer of 2 R from Wallet to Main (the
    // leaving row 7, the arriving row 8); the grid's view admits "salary" alone and its cursor
    // is on it, the balance view is filtered too, so that every entry a command is given
    // is hidden from both and none is under a cursor.
    void fillHiddenLedger() {
        fillCurrencies();
        fillLedger();
        const Transfer t{QDate(2026, 3, 1), S("2"),       S("R"),          S("Wallet"),
                         S("Main"),         S("to main"), S("from wallet")};
        const TransferRows rows = AppendTransfer(*m_data, t);
        QCOMPARE(rows.out, 7);
        QCOMPARE(rows.in, 8);
        refreshLedger();
        TableHandle& d = m_data->tbData;
        d.setFilter(S("Name='salary'"));
        d.setFiltered(true);
        QCOMPARE(d.recordCount(), 1);
        m_data->tbData2.setFilter(S("Gr1='Main'"));
        m_data->tbData2.setFiltered(true);
    }

    // The grid's and the balance view are as fillHiddenLedger left them, whatever a command
    // did through the rows they hide.
    void viewsUntouched() {
        TableHandle& d = m_data->tbData;
        QVERIFY(d.filtered());
        QCOMPARE(d.filter(), S("Name='salary'"));
        QCOMPARE(d.recordCount(), 1);
        QCOMPARE(d.field(QStringLiteral("Name")).text(), S("salary"));
        QCOMPARE(d.mode(), TableHandle::Mode::Browse);
        QVERIFY(m_data->tbData2.filtered());
        QCOMPARE(m_data->tbData2.filter(), S("Gr1='Main'"));
        QVERIFY(!Transaction::active());
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    // ---- names offered to a new entry ----

    // Thousands of names, each also written in another letter case on an older or a newer
    // entry (letters beyond the first plane included): one name each, in the spelling of its
    // latest entry, most recent first, each finding its latest entry whatever case is typed.
    void earlierNamesOnePerNameAcrossLetterCase() {
        fillCurrencies();
        const int count = 3000;
        {
            Transaction t;
            TableHandle& d = m_data->tbData2;
            const QDate first(2020, 1, 1);
            auto put = [&](const QString& name, double value, QDate date) {
                Put(d, {{"Name", name},
                        {"Type", S("R")},
                        {"Value", value},
                        {"Valuta", S("RUB")},
                        {"Gr2", name.left(5)},
                        {"Date", date}});
            };
            for (int i = 0; i < count; ++i) {
                // For even i the lower-case spelling is the later entry, for odd i the earlier.
                put(S("Shop \xf0\x90\x90\x80%1").arg(i), -i, first.addDays(i));
                put(S("sHOP \xf0\x90\x90\xa8%1").arg(i), -i - 0.5,
                    first.addDays(i % 2 ? i - 1 : i + 1));
            }
            Put(d, {{"Name", S("Salary")}, {"Type", S("D")}, {"Value", 9.0}, {"Date", first}});
            t.commit();
        }
        const EarlierNames names(*m_data);
        QCOMPARE(names.names(true), QStringList{S("Salary")});
        const QStringList charges = names.names(false);
        QCOMPARE(charges.size(), count);
        for (int i = count - 1; i >= 0; --i) {
            const QString latest =
                i % 2 ? S("Shop \xf0\x90\x90\x80%1").arg(i) : S("sHOP \xf0\x90\x90\xa8%1").arg(i);
            QCOMPARE(charges.at(count - 1 - i), latest);
            const auto entry = names.latest(false, latest.toUpper());
            QVERIFY(entry);
            QCOMPARE(entry->name, latest);
            QCOMPARE(entry->amount, EditableAmount(i % 2 ? i : i + 0.5));
            QCOMPARE(entry->group, latest.left(5));
        }
        QVERIFY(!names.latest(false, S("Shop")));
        QVERIFY(!names.latest(true, charges.first()));
    }

    // ---- entry commands by ID ----

    void commandActsOnTheGivenEntryOnly_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<qint64>>("gone");
        QTest::addColumn<EntryRows>("changed");
        using Rows = EntryRows;
        QTest::newRow("delete a charge") << S("delete 2") << QList<qint64>{2} << Rows{};
        QTest::newRow("delete the arriving leg") << S("delete 8") << QList<qint64>{7, 8} << Rows{};
        QTest::newRow("delete the leaving leg") << S("delete 7") << QList<qint64>{7, 8} << Rows{};
        QTest::newRow("move") << S("move 3") << QList<qint64>{}
                              << Rows{{3, S("gift/Bank//20.0/20 €/")}};
        QTest::newRow("rewrite a charge as an income")
            << S("rewrite standard 2") << QList<qint64>{}
            << Rows{{2, S("refund/Main/Food/7.5/7,5 $/")}};
        QTest::newRow("rewrite an exchange") << S("rewrite exchange 4") << QList<qint64>{}
                                             << Rows{{4, S("swap/Wallet/(ОБМЕН)//20 $/600 R")}};
        QTest::newRow("rewrite a transfer read by its arriving leg")
            << S("rewrite transfer 8") << QList<qint64>{}
            << Rows{{7, S("to main/Wallet/(TRANSFER->)/-3.0//3 R")},
                    {8, S("from wallet/Main/(->TRANSFER)/3.0/3 R/")}};
    }

    // With the target hidden by both filtered views and the grid's cursor on another entry, a
    // command changes exactly the rows of the entry it is given.
    void commandActsOnTheGivenEntryOnly() {
        QFETCH(QString, command);
        QFETCH(QList<qint64>, gone);
        QFETCH(EntryRows, changed);
        fillHiddenLedger();
        const QMap<qint64, QString> before = storedRows();
        const qint64 id = command.section(QLatin1Char(' '), -1).toLongLong();

        if (command.startsWith(S("delete"))) {
            QCOMPARE(DeleteEntry(*m_data, *m_cd, id), int(gone.size()));
        } else if (command.startsWith(S("move"))) {
            MoveEntry(*m_data, id, S("Bank"));
        } else if (command.startsWith(S("rewrite standard"))) {
            StandardEntry e = ReadStandardEntry(*m_data, id);
            e.income = true;
            e.name = S("refund");
            e.amount = S("7.5");
            e.group = S("Food");
            RewriteStandardEntry(*m_data, id, e, S("Main"));
        } else if (command.startsWith(S("rewrite exchange"))) {
            ExchangeEntry e = ReadExchange(*m_data, id);
            e.name = S("swap");
            e.amount = S("600");
            RewriteExchange(*m_data, id, e, S("Wallet"));
        } else {
            const StoredTransfer stored = ReadTransfer(*m_data, id);
            Transfer t = stored.transfer;
            t.amount = S("3");
            RewriteTransfer(*m_data, t, stored.rows);
        }

        QMap<qint64, QString> expected = before;
        for (qint64 row : gone)
            expected.remove(row);
        expected.insert(changed);
        QCOMPARE(storedRows(), expected);
        viewsUntouched();
        // The views show the change at once: every row is admitted again without a filter.
        m_data->tbData.setFiltered(false);
        QCOMPARE(m_data->tbData.recordCount(), expected.size());
    }

    void readsTheGivenEntry_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("id");
        QTest::addColumn<QString>("read");
        QTest::newRow("income") << S("standard") << qint64(3) << S("D gift 20 € ");
        QTest::newRow("charge") << S("standard") << qint64(2) << S("R lunch 5 $ ");
        QTest::newRow("exchange") << S("exchange") << qint64(4) << S("exchange 300 30 R $");
        QTest::newRow("transfer by its leaving leg")
            << S("transfer") << qint64(7) << S("7 8 Wallet Main to main from wallet 2 R");
        QTest::newRow("transfer by its arriving leg")
            << S("transfer") << qint64(8) << S("7 8 Wallet Main to main from wallet 2 R");
        QTest::newRow("no transfer") << S("transfer") << qint64(1) << S("0 0      ");
    }

    void readsTheGivenEntry() {
        QFETCH(QString, kind);
        QFETCH(qint64, id);
        QFETCH(QString, read);
        fillHiddenLedger();
        QStringList got;
        if (kind == S("standard")) {
            const StandardEntry e = ReadStandardEntry(*m_data, id);
            got << S(e.income ? "D" : "R") << e.name << e.amount << e.currencySign << e.group;
            QCOMPARE(EntryType(*m_data, id), got.first());
        } else if (kind == S("exchange")) {
            const ExchangeEntry e = ReadExchange(*m_data, id);
            got << e.name << e.amount << e.rate << e.givenSign << e.receivedSign;
        } else {
            const StoredTransfer s = ReadTransfer(*m_data, id);
            const Transfer& t = s.transfer;
            got << QString::number(s.rows.out) << QString::number(s.rows.in) << t.from << t.to
                << t.nameOut << t.nameIn << t.amount << t.currencySign;
        }
        QCOMPARE(got.join(QLatin1Char(' ')), read);
        viewsUntouched();
    }

    void unknownIdChangesNothing_data() {
        QTest::addColumn<QString>("command");
        for (const char* command : {"delete", "move", "rewrite standard", "rewrite exchange",
                                    "read standard", "read exchange", "read transfer"})
            QTest::newRow(command) << S(command);
    }

    // An ID that names no entry (here one that has just been deleted) is refused with a
    // readable message, and nothing is written.
    void unknownIdChangesNothing() {
        QFETCH(QString, command);
        fillHiddenLedger();
        QCOMPARE(DeleteEntry(*m_data, *m_cd, 3), 1);
        const QMap<qint64, QString> before = storedRows();
        const qint64 id = 3;
        StandardEntry standard;
        standard.name = S("x");
        standard.amount = S("1");
        standard.currencySign = S("R");
        standard.group = S("Food");
        ExchangeEntry exchange{QDate(2026, 1, 1), S("x"), S("1"), S("2"), S("R"), S("$")};
        try {
            if (command == S("delete"))
                DeleteEntry(*m_data, *m_cd, id);
            else if (command == S("move"))
                MoveEntry(*m_data, id, S("Bank"));
            else if (command == S("rewrite standard"))
                RewriteStandardEntry(*m_data, id, standard, S("Main"));
            else if (command == S("rewrite exchange"))
                RewriteExchange(*m_data, id, exchange, S("Main"));
            else if (command == S("read standard"))
                ReadStandardEntry(*m_data, id);
            else if (command == S("read exchange"))
                ReadExchange(*m_data, id);
            else
                ReadTransfer(*m_data, id);
            QFAIL("an unknown ID was not refused");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(S("ID 3")), qPrintable(e.message()));
        }
        QCOMPARE(storedRows(), before);
        QCOMPARE(EntryType(*m_data, id), QString());
        QCOMPARE(TransferRowsToDelete(*m_data, id), QList<qint64>());
        viewsUntouched();
    }

    void deletesSeveralInOneTransaction_data() {
        QTest::addColumn<QList<qint64>>("ids");
        QTest::addColumn<QList<qint64>>("gone");
        QTest::addColumn<QString>("balances"); // of each currency after, without opening balances
        QTest::newRow("a transfer leg and two entries")
            << QList<qint64>{2, 8, 3} << QList<qint64>{2, 3, 7, 8} << S("750 10 0 0");
        QTest::newRow("both legs of a transfer, counted once")
            << QList<qint64>{7, 8, 5} << QList<qint64>{5, 7, 8} << S("700 5 20 0");
        // The last one cannot be deleted: what was deleted before it is restored.
        QTest::newRow("an ID no entry has")
            << QList<qint64>{2, 8, 99} << QList<qint64>{} << S("750 5 20 0");
        QTest::newRow("a debt row") << QList<qint64>{2, 7, 9} << QList<qint64>{} << S("750 5 20 0");
    }

    // Several entries hidden from both views are deleted, each by its kind, in one transaction:
    // all of them, or, when one cannot be, none.
    void deletesSeveralInOneTransaction() {
        QFETCH(QList<qint64>, ids);
        QFETCH(QList<qint64>, gone);
        QFETCH(QString, balances);
        fillHiddenLedger();
        {
            Transaction t;
            Put(m_data->tbData2, {{"Name", S("loan")}, {"Gr1", S("Main")}, {"Type", S("CR")}});
            t.commit();
        }
        const QMap<qint64, QString> before = storedRows();
        QVERIFY(before.contains(9));
        try {
            QCOMPARE(DeleteEntries(*m_data, *m_cd, ids), int(gone.size()));
            QVERIFY(!gone.isEmpty());
        } catch (const StoreError& e) {
            QVERIFY2(gone.isEmpty(), qPrintable(e.message()));
        }
        QMap<qint64, QString> expected = before;
        for (qint64 row : gone)
            expected.remove(row);
        QCOMPARE(storedRows(), expected);
        viewsUntouched();
        // The balances count every remaining entry: a transfer leg left alone would show.
        m_data->tbData2.setFiltered(false);
        QStringList got;
        for (const Currency& c : Revalue(*m_data, false, S("R")).currencies)
            got << NumberText(c.Value);
        QCOMPARE(got.join(QLatin1Char(' ')), balances);
    }

    // ---- the checks of the entry dialogs ----

    void checksRefuse_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("third"); // group, account to, or rate
        QTest::addColumn<QString>("sign");  // currency of the entry, or the one received
        QTest::addColumn<QString>("key");   // empty: accepted; "-": a fixed text
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("shown"); // the amount as the dialog shows it after OK
        const auto row = [](const char* tag, const char* kind, const char* name, const char* amount,
                            const char* third, const char* sign, const char* key, EntryInput input,
                            const char* shown) {
            QTest::newRow(tag) << S(kind) << S(name) << S(amount) << S(third) << S(sign) << S(key)
                               << int(input) << S(shown);
        };
        row("standard accepted", "standard", "tea", " 12.5 ", "Food", "$", "", EntryInput::Name,
            "12,5");
        row("standard blank name first", "standard", "  ", "x", "", "$", "err001", EntryInput::Name,
            "x");
        row("standard sign", "standard", "tea", "-5", "Food", "$", "err004", EntryInput::Amount,
            "-5");
        row("standard two separators, shown normalised", "standard", "tea", "1.2.3", "Food", "$",
            "err004", EntryInput::Amount, "1,2,3");
        row("standard no group", "standard", "tea", "3.5", "", "$", "err002", EntryInput::Group,
            "3,5");
        row("transfer accepted", "transfer", "to bank", "2.25", "Bank", "R", "", EntryInput::Name,
            "2,25");
        row("transfer two separators", "transfer", "to bank", "1.2.3", "Bank", "R", "err004",
            EntryInput::Amount, "1.2.3");
        row("transfer same account", "transfer", "to bank", "2", "Wallet", "R", "err007",
            EntryInput::SecondAccount, "2");
        row("transfer no destination", "transfer", "to bank", "2", "", "R", "err007",
            EntryInput::SecondAccount, "2");
        row("transfer blank name", "transfer", " ", "2.5", "Bank", "R", "err001",
            EntryInput::SecondName, "2.5");
        row("exchange accepted", "exchange", "swap", "300.5", "30.25", "$", "", EntryInput::Name,
            "300,5");
        row("exchange bad amount before the name", "exchange", "", "1,5.0", "30", "$", "err004",
            EntryInput::Amount, "1,5.0");
        row("exchange name before the rate", "exchange", "", "3", "0", "$", "err001",
            EntryInput::Name, "3");
        row("exchange rate 0", "exchange", "swap", "3", "0,0", "$", "err005", EntryInput::Rate,
            "3");
        row("exchange rate no number", "exchange", "swap", "3", "abc", "$", "err005",
            EntryInput::Rate, "3");
        row("exchange no currency received", "exchange", "swap", "3", "2", "", "-",
            EntryInput::SecondCurrency, "3");
        row("exchange the same currency", "exchange", "swap", "3", "2", "R", "err006",
            EntryInput::SecondCurrency, "3");
        // Amounts and rates from the amount limit on ("limit": its message, naming the limit).
        row("standard twenty nines", "standard", "tea", "99999999999999999999", "Food", "$",
            "limit", EntryInput::Amount, "99999999999999999999");
        row("standard at the limit", "standard", "tea", "10000000000000", "Food", "$", "limit",
            EntryInput::Amount, "10000000000000");
        row("standard just below the limit", "standard", "tea", "9999999999999.99", "Food", "$", "",
            EntryInput::Name, "9999999999999,99");
        row("transfer twenty nines", "transfer", "to bank", "99999999999999999999", "Bank", "R",
            "limit", EntryInput::Amount, "99999999999999999999");
        row("exchange amount beyond", "exchange", "swap", "20000000000000", "2", "$", "limit",
            EntryInput::Amount, "20000000000000");
        row("exchange rate beyond", "exchange", "swap", "3", "20000000000000", "$", "limit",
            EntryInput::Rate, "3");
        row("exchange received beyond", "exchange", "swap", "9000000000000", "9000", "€", "limit",
            EntryInput::Rate, "9000000000000");
    }

    // Each check refuses with the message key and the input of the first failing check, gives
    // the amount back as the dialog then shows it, and the command that writes the entry refuses
    // it the same way without writing anything.
    void checksRefuse() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, amount);
        QFETCH(QString, third);
        QFETCH(QString, sign);
        QFETCH(QString, key);
        QFETCH(int, input);
        QFETCH(QString, shown);
        fillCurrencies();
        std::optional<EntryRefusal> refusal;
        QString normalised;
        std::function<void()> write;
        if (kind == S("standard")) {
            const StandardEntry e{false, QDate(2026, 1, 1), name, amount, sign, third, QString()};
            const auto check = CheckStandardEntry(*m_data, e);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, e] {
                AppendStandardEntry(*m_data, e, S("Main"));
            };
        } else if (kind == S("transfer")) {
            const Transfer t{QDate(2026, 1, 1), amount, sign, S("Wallet"), third, S("out"), name};
            const auto check = CheckTransfer(*m_data, t);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, t] {
                AppendTransfer(*m_data, t);
            };
        } else {
            const ExchangeEntry e{QDate(2026, 1, 1), name, amount, third, S("R"), sign};
            const auto check = CheckExchange(*m_data, e);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, e] {
                AppendExchange(*m_data, e, S("Main"));
            };
        }
        QCOMPARE(normalised, shown);
        if (key.isEmpty()) {
            QVERIFY2(!refusal, qPrintable(refusal ? refusal->message() : QString()));
            write();
            QCOMPARE(storedRows().size(), kind == S("transfer") ? 2 : 1);
            return;
        }
        QVERIFY(refusal);
        if (key == S("limit"))
            QCOMPARE(refusal->message(), AmountLimitMessage());
        QCOMPARE(refusal->key, key == S("-") || key == S("limit") ? QString() : key);
        QCOMPARE(int(refusal->input), input);
        QVERIFY_THROWS_EXCEPTION(StoreError, write());
        QCOMPARE(storedRows().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
