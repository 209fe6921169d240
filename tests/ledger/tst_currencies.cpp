#include "core/settings.h"
#include "core/textutil.h"
#include "fixtures.h"
#include "ledger/currency.h"
#include "ledger/ledgertest.h"
#include "ledger/revalue.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QTest>
#include <cmath>

using namespace zovi;
using namespace zovi::test;

// The conversion between currencies and the commands of the currency window, without any
// window; a command that fails half-way leaves files, rows and views as they were.
class TestCurrencies : public LedgerTest {
    Q_OBJECT

    // Moves the currency cursor to the currency named name.
    void select(const char* name) {
        QVERIFY(m_data->tbValuta.locate(QStringLiteral("Name"), S(name)));
    }

    // The 0-based place of the currency with this name in table order; -1 when there is none.
    int rowOf(const QString& name) {
        const QList<Currency> all = ReadCurrencies(m_data->tbValuta);
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all[i].Name == name)
                return int(i);
        }
        return -1;
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    // ---- the conversion rule ----

    void conversion_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("kurs");
        QTest::addColumn<bool>("more");
        QTest::addColumn<bool>("isMain");
        QTest::addColumn<double>("toMain");
        QTest::addColumn<double>("fromMain");
        QTest::newRow("More rate 30") << 2.0 << 30.0 << true << false << 60.0 << 2.0 / 30;
        QTest::newRow("Less rate 40") << 80.0 << 40.0 << false << false << 2.0 << 3200.0;
        QTest::newRow("More back") << 60.0 << 30.0 << true << false << 1800.0 << 2.0;
        QTest::newRow("Less fraction") << 3.0 << 0.5 << false << false << 6.0 << 1.5;
        QTest::newRow("main ignores rate") << 7.0 << 5.0 << false << true << 7.0 << 7.0;
        QTest::newRow("main with rate 0") << 7.0 << 0.0 << true << true << 7.0 << 7.0;
        QTest::newRow("negative") << -4.0 << 30.0 << true << false << -120.0 << -4.0 / 30;
    }

    void conversion() {
        QFETCH(double, amount);
        QFETCH(double, kurs);
        QFETCH(bool, more);
        QFETCH(bool, isMain);
        QFETCH(double, toMain);
        QFETCH(double, fromMain);
        const Currency c = Make("X", kurs, more, isMain);
        QCOMPARE(ToMainCurrency(amount, c).value_or(-1e9), toMain);
        QCOMPARE(FromMainCurrency(amount, c).value_or(-1e9), fromMain);
        if (!isMain) {
            QCOMPARE(ToMainCurrencyAt(amount, kurs, more).value_or(-1e9), toMain);
            QCOMPARE(FromMainCurrencyAt(amount, kurs, more).value_or(-1e9), fromMain);
        }
        // There and back gives the amount again.
        QVERIFY(std::fabs(*FromMainCurrency(*ToMainCurrency(amount, c), c) - amount) < 1e-9);
    }

    void betweenCurrenciesGoesThroughMain() {
        const Currency usd = Make("USD", 30, true);
        const Currency tenge = Make("KZT", 40, false);
        QCOMPARE(ConvertCurrency(2, usd, tenge).value_or(-1), 2400.0);
        QCOMPARE(ConvertCurrency(2400, tenge, usd).value_or(-1), 2.0);
        QVERIFY(!ConvertCurrency(1, Make("Old", 0, false), usd));
        QVERIFY(!ConvertCurrency(1, usd, Make("Old", 0, true)));
    }

    void currencyListRows() {
        fillCurrencies();
        const auto texts = [](const QList<CurrencyListRow>& rows) {
            QStringList list;
            for (const CurrencyListRow& r : rows)
                list << QStringList{r.mark, r.name, r.oldValue, r.rate}.join(QLatin1Char('|'));
            return list;
        };
        QList<Currency> currencies = ReadCurrencies(m_data->tbValuta);
        QCOMPARE(
            texts(CurrencyListRows(currencies)),
            (QStringList{S("+|RUB (R)|100 R|MAIN"), S("-|USD ($)|10 $|30 R for 1 $"),
                         S("-|EUR (€)|0 €|0,5 € for 1 R"), S("-|GBP (£)|0,003 £|1000 R for 1 £")}));
        // Without a main currency its sign is left out.
        currencies.removeFirst();
        QCOMPARE(texts(CurrencyListRows(currencies)).first(), S("-|USD ($)|10 $|30  for 1 $"));
    }

    void rateZeroNeverDivides_data() {
        QTest::addColumn<bool>("more");
        QTest::newRow("More") << true;
        QTest::newRow("Less") << false;
    }

    void rateZeroNeverDivides() {
        QFETCH(bool, more);
        const Currency old = Make("Old", 0, more);
        QVERIFY(!ToMainCurrency(5, old));
        QVERIFY(!FromMainCurrency(5, old));
        QVERIFY(!ToMainCurrencyAt(5, 0, more));
        QVERIFY(!FromMainCurrencyAt(5, std::nan(""), more));
        // A total leaves such a currency out instead of becoming infinite.
        Currency withBalance = old;
        withBalance.Value = 10;
        Currency main = Make("Main", 1, false, true);
        main.Value = 3;
        QCOMPARE(TotalInMainCurrency({main, withBalance}), 3.0);
        withBalance.Znak = QStringLiteral("o");
        QVERIFY(!TotalInCurrency(3, {main, withBalance}, QStringLiteral("o")));
    }

    // ---- currency commands ----

    void addStoresTypedValues() {
        fillCurrencies();
        AddCurrency(*m_data, {S("Yen"), S("¥"), S("1.5"), S(" -12,25 "), true});
        QCOMPARE(CurrencyRows(m_data->tbValuta).last(), S("0 Yen ¥ 1.5 1 -12,25"));
        QCOMPARE(m_data->tbValuta.recNo(), 1);
        QCOMPARE(
            QueryFile(valutaFile(), QStringLiteral("SELECT Kurs FROM Valuta WHERE Name='Yen'")),
            QStringLiteral("1.5"));
    }

    // The currency added to a database without a main currency becomes the main one, with
    // rate 1; with a main currency present it is an ordinary one with its typed rate.
    void addWithoutMainMakesItMain_data() {
        QTest::addColumn<QString>("present"); // Def of the rows already there, "" for none
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no currency") << S("") << QStringList{S("1 Yen ¥ 1 1 5")};
        QTest::newRow("none marked main")
            << S("00") << QStringList{S("0 A a 2 0 0"), S("0 B b 2 0 0"), S("1 Yen ¥ 1 1 5")};
        QTest::newRow("second marked main")
            << S("01") << QStringList{S("0 A a 2 0 0"), S("1 B b 2 0 0"), S("0 Yen ¥ 1.5 1 5")};
    }

    void addWithoutMainMakesItMain() {
        QFETCH(QString, present);
        QFETCH(QStringList, expected);
        {
            Transaction t;
            for (int i = 0; i < present.size(); ++i)
                PutCurrencies(m_data->tbValuta, {{present.at(i) == u'1', i ? "B" : "A",
                                                  i ? "b" : "a", 2, false, "0"}});
            t.commit();
        }
        AddCurrency(*m_data, {S("Yen"), S("¥"), S("1,5"), S("5"), true});
        QCOMPARE(CurrencyRows(m_data->tbValuta), expected);
        QCOMPARE(QueryFile(valutaFile(), QStringLiteral("SELECT Def FROM Valuta WHERE Name='Yen'")),
                 expected.last().left(1));
        // The second currency added is an ordinary one: there is a main currency now.
        AddCurrency(*m_data, {S("Won"), S("W"), S("3"), S("0"), false});
        QCOMPARE(CurrencyRows(m_data->tbValuta).last(), S("0 Won W 3 0 0"));
    }

    void badInputIsRefused_data() {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("oldValue");
        QTest::newRow("rate not a number") << S("abc") << S("0");
        QTest::newRow("rate zero") << S("0") << S("0");
        QTest::newRow("rate zero with decimals") << S("0,00") << S("0");
        QTest::newRow("rate negative") << S("-5") << S("0");
        QTest::newRow("rate empty") << S("") << S("0");
        QTest::newRow("rate two separators") << S("1,2.3") << S("0");
        QTest::newRow("opening balance text") << S("1") << S("ten");
        QTest::newRow("opening balance empty") << S("1") << S("  ");
        QTest::newRow("opening balance two separators") << S("1") << S("1.2.3");
        QTest::newRow("opening balance inner minus") << S("1") << S("1-2");
        QTest::newRow("rate at the amount limit") << S("10000000000000") << S("0");
        QTest::newRow("opening balance beyond the limit") << S("1") << S("-99999999999999999999");
    }

    void badInputIsRefused() {
        QFETCH(QString, rate);
        QFETCH(QString, oldValue);
        fillCurrencies();
        const QStringList before = CurrencyRows(m_data->tbValuta);
        const QString fileBefore =
            QueryFile(valutaFile(), QStringLiteral("SELECT group_concat(Name||Kurs||OldValue, '|') "
                                                   "FROM Valuta"));

        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 AddCurrency(*m_data, {S("New"), S("N"), rate, oldValue, true}));
        select("USD");
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            EditCurrency(*m_data, rowOf(S("USD")), {S("New"), S("N"), rate, oldValue, true}));

        QCOMPARE(CurrencyRows(m_data->tbValuta), before);
        QCOMPARE(
            QueryFile(valutaFile(),
                      QStringLiteral("SELECT group_concat(Name||Kurs||OldValue, '|') FROM Valuta")),
            fileBefore);
        try {
            CheckCurrencyInput({S("New"), S("N"), rate, oldValue, true}, false);
            QFAIL("the input was accepted");
        } catch (const StoreError& e) {
            QVERIFY(e.message().contains(rate.isEmpty() || !ToAmount(rate) ||
                                                 *ToAmount(rate) <= 0 ||
                                                 !WithinAmountLimit(*ToAmount(rate))
                                             ? QStringLiteral("rate")
                                             : QStringLiteral("opening balance")));
        }
    }

    void renameRewritesEveryEntry() {
        fillCurrencies();
        fillLedger();
        Transaction t;
        Put(m_data->tbData, {{"Name", S("case")},
                             {"Gr1", S("Main")},
                             {"Type", S("D")},
                             {"Value", 1.0},
                             {"Valuta", S("usd")},
                             {"Dohod", S("1 $")}});
        Put(m_data->tbData, {{"Name", S("change back")},
                             {"Gr1", S("Wallet")},
                             {"Type", S("O")},
                             {"ValueRashod", -2.5},
                             {"ValutaRashod", S("USD")},
                             {"ValueDohod", 75.0},
                             {"ValutaDohod", S("RUB")},
                             {"Rashod", S("2,5 $")},
                             {"Dohod", S("75 R")}});
        t.commit();
        // The grid shows only the Wallet account: most USD entries are hidden.
        m_data->tbData.setFilter(QStringLiteral("Gr1='Wallet'"));
        m_data->tbData.setFiltered(true);
        m_data->tbData.last();
        const int shown = m_data->tbData.recordCount();

        select("USD");
        const int at = m_data->tbValuta.recNo();
        EditCurrency(*m_data, at - 1, {S("Dollar"), S("D$"), S("31"), S("12"), true});

        QCOMPARE(ledgerField("lunch", "Valuta"), S("Dollar"));
        QCOMPARE(ledgerField("lunch", "Rashod"), S("5 D$"));
        QCOMPARE(ledgerField("zerorate", "Valuta"), S("Dollar")); // hidden by the filter
        QCOMPARE(ledgerField("zerorate", "Dohod"), S("0 D$"));    // Value 0 counts as received
        QCOMPARE(ledgerField("exchange", "ValutaDohod"), S("Dollar"));
        QCOMPARE(ledgerField("exchange", "Dohod"), S("10 D$"));
        QCOMPARE(ledgerField("exchange", "ValutaRashod"), S("RUB"));
        QCOMPARE(ledgerField("exchange", "Rashod"), S("300 R"));
        QCOMPARE(ledgerField("change back", "ValutaRashod"), S("Dollar"));
        QCOMPARE(ledgerField("change back", "Rashod"), S("2,5 D$"));
        QCOMPARE(ledgerField("case", "Valuta"), S("usd")); // names compare with letter case
        QCOMPARE(ledgerField("case", "Dohod"), S("1 $"));
        QCOMPARE(ledgerField("salary", "Dohod"), S("1000 R"));
        QCOMPARE(
            QueryFile(dataFile(), QStringLiteral("SELECT count(*) FROM Data WHERE Valuta='USD' "
                                                 "OR ValutaDohod='USD' OR ValutaRashod='USD'")),
            S("0"));

        QCOMPARE(m_data->tbValuta.recNo(), at);
        QCOMPARE(CurrencyRows(m_data->tbValuta).at(at - 1), S("0 Dollar D$ 31 1 12"));
        QVERIFY(m_data->tbData.filtered());
        QCOMPARE(m_data->tbData.filter(), QStringLiteral("Gr1='Wallet'"));
        QCOMPARE(m_data->tbData.recordCount(), shown);
    }

    // The grid's display currencies name currencies: a rename carries the new name into the
    // ones that named the old name and leaves the others, and "no column" stays none.
    void renameFollowsDisplayCurrencies_data() {
        QTest::addColumn<QString>("first"); // stored before the rename, "" for not stored
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("firstAfter");
        QTest::addColumn<QString>("secondAfter");
        QTest::newRow("first column")
            << S("USD") << S("EUR") << S("Dollar") << S("Dollar") << S("EUR");
        QTest::newRow("second column")
            << S("-/-") << S("USD") << S("Dollar") << S("-/-") << S("Dollar");
        QTest::newRow("both columns")
            << S("USD") << S("USD") << S("Dollar") << S("Dollar") << S("Dollar");
        QTest::newRow("other currency")
            << S("EUR") << S("GBP") << S("Dollar") << S("EUR") << S("GBP");
        QTest::newRow("letter case counts")
            << S("usd") << S("") << S("Dollar") << S("usd") << S("-/-");
        QTest::newRow("same name, new sign")
            << S("USD") << S("") << S("USD") << S("USD") << S("-/-");
    }

    void renameFollowsDisplayCurrencies() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, newName);
        QFETCH(QString, firstAfter);
        QFETCH(QString, secondAfter);
        fillCurrencies();
        if (!first.isEmpty())
            settings::displayCurrency1.write(first);
        if (!second.isEmpty())
            settings::displayCurrency2.write(second);
        select("USD");
        EditCurrency(*m_data, rowOf(S("USD")), {newName, S("D$"), S("31"), S("12"), true});
        QCOMPARE(settings::displayCurrency1.read(), firstAfter);
        QCOMPARE(settings::displayCurrency2.read(), secondAfter);
        QCOMPARE(settings::displayCurrency2.stored(), !second.isEmpty());

        // A refused rename changes no setting.
        select(qPrintable(newName));
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            EditCurrency(*m_data, rowOf(newName), {S("Other"), S("O"), S("0"), S("1"), true}));
        QCOMPARE(settings::displayCurrency1.read(), firstAfter);
        QCOMPARE(settings::displayCurrency2.read(), secondAfter);
    }

    void editMainKeepsRate() {
        fillCurrencies();
        select("RUB");
        EditCurrency(*m_data, rowOf(S("RUB")), {S("Ruble"), S("P"), S("77"), S("5"), true});
        QCOMPARE(CurrencyRows(m_data->tbValuta).first(), S("1 Ruble P 1 0 5"));
    }

    void deleteChecks_data() {
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("main currency") << S("RUB") << S("error #13");
        QTest::newRow("used by a shown entry") << S("EUR") << S("error #12");
        QTest::newRow("used only by a hidden entry") << S("GBP") << S("error #12");
        QTest::newRow("used only by a hidden exchange") << S("CHF") << S("error #12");
        QTest::newRow("unused") << S("JPY") << QString();
    }

    void deleteChecks() {
        QFETCH(QString, currency);
        QFETCH(QString, refusal);
        fillCurrencies();
        fillLedger();
        {
            Transaction t;
            Put(m_data->tbValuta, {{"Name", S("CHF")}, {"Znak", S("F")}, {"Kurs", 2.0}});
            Put(m_data->tbValuta, {{"Name", S("JPY")}, {"Znak", S("Y")}, {"Kurs", 2.0}});
            Put(m_data->tbData2, {{"Name", S("hidden")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("R")},
                                  {"Value", -1.0},
                                  {"Valuta", S("GBP")}});
            Put(m_data->tbData2, {{"Name", S("hidden exchange")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("O")},
                                  {"ValutaRashod", S("RUB")},
                                  {"ValutaDohod", S("CHF")}});
            t.commit();
        }
        TableHandle& d2 = m_data->tbData2;
        d2.setFilter(QStringLiteral("Gr1='Wallet'"));
        d2.setFiltered(true);
        d2.last();
        const int shown = d2.recordCount();
        const int rows = m_data->tbValuta.recordCount();

        select(currency.toUtf8().constData());
        const int row = rowOf(currency);
        const auto found = CurrencyDeleteRefusal(*m_data, row);
        QCOMPARE(found.value_or(QString()), refusal);
        QCOMPARE(d2.recordCount(), shown);
        QVERIFY(d2.filtered());
        QCOMPARE(d2.recNo(), shown);

        if (refusal.isEmpty()) {
            DeleteCurrency(*m_data, row);
            QCOMPARE(m_data->tbValuta.recordCount(), rows - 1);
            QCOMPARE(m_data->tbValuta.recNo(), 1);
        } else {
            QVERIFY_THROWS_EXCEPTION(StoreError, DeleteCurrency(*m_data, row));
            QCOMPARE(m_data->tbValuta.recordCount(), rows);
        }
        QCOMPARE(
            QueryFile(valutaFile(),
                      QStringLiteral("SELECT count(*) FROM Valuta WHERE Name='%1'").arg(currency)),
            refusal.isEmpty() ? S("0") : S("1"));
    }

    // Making another currency the main one restates every rate against it: each currency is
    // worth what it was worth, so every balance and every total stays, and the entries'
    // amounts in the main currency are worked out again in the new one.
    void setMainKeepsEveryBalance_data() {
        QTest::addColumn<QString>("currency");
        QTest::newRow("a More currency") << S("USD");
        QTest::newRow("a Less currency") << S("EUR");
    }

    void setMainKeepsEveryBalance() {
        QFETCH(QString, currency);
        fillCurrencies(); // the cursor on RUB
        fillLedger();
        const QStringList signs{S("R"), S("$"), S("€"), S("£")};
        QList<double> totals;
        for (const QString& sign : signs)
            totals << Revalue(*m_data, true, sign).total;
        const QList<Currency> before = ReadCurrencies(m_data->tbValuta);
        const double worth = *ToMainCurrency(1, before[rowOf(currency)]);
        const QStringList entries{S("salary"), S("lunch"),    S("gift"),
                                  S("norate"), S("zerorate"), S("exchange")};
        QList<double> figures;
        for (const QString& name : entries)
            figures << ledgerField(name.toUtf8().constData(), "InDol").toDouble();

        SetMainCurrency(*m_data, rowOf(currency));
        const QList<Currency> after = ReadCurrencies(m_data->tbValuta);
        for (qsizetype i = 0; i < after.size(); ++i) {
            QCOMPARE(after[i].Def, after[i].Name == currency);
            // The former main currency is read the other way round from the new one.
            QCOMPARE(after[i].More, before[i].Def ? !after[rowOf(currency)].More : before[i].More);
            for (qsizetype j = 0; j < after.size(); ++j)
                QVERIFY(qFuzzyCompare(*ConvertCurrency(1, after[i], after[j]),
                                      *ConvertCurrency(1, before[i], before[j])));
        }
        if (currency == S("EUR"))
            QCOMPARE(CurrencyRows(m_data->tbValuta),
                     (QStringList{S("0 RUB R 0.5 1 100"), S("0 USD $ 15 1 10"), S("1 EUR € 1 0 0"),
                                  S("0 GBP £ 500 1 0,003")}));
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const double figure = ledgerField(entries[i].toUtf8().constData(), "InDol").toDouble();
            // An exchange has no figure of its own to restate.
            const double expected = entries[i] == S("exchange") ? figures[i] : figures[i] / worth;
            QVERIFY2(qFuzzyCompare(figure, expected), qPrintable(entries[i]));
        }
        for (qsizetype k = 0; k < signs.size(); ++k) {
            const RevalueResult r = Revalue(*m_data, true, signs[k]);
            QVERIFY(qFuzzyCompare(r.total, totals[k]));
            for (qsizetype i = 0; i < after.size(); ++i)
                QCOMPARE(r.currencies[i].Value, before[i].Value);
        }
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), currency);
        QCOMPARE(QueryFile(valutaFile(), QStringLiteral("SELECT count(*) FROM Valuta WHERE Def=1")),
                 S("1"));
    }

    // A currency of rate 0 has no known worth to restate the others by: refused, nothing changes.
    void setMainRefusesRateZero() {
        fillCurrencies();
        ExecFile(valutaFile(), S("UPDATE Valuta SET Kurs=0 WHERE Name='GBP'"));
        openDatabase();
        const QStringList rows = CurrencyRows(m_data->tbValuta);
        QVERIFY_THROWS_EXCEPTION(StoreError, SetMainCurrency(*m_data, rowOf(S("GBP"))));
        QCOMPARE(CurrencyRows(m_data->tbValuta), rows);
    }

    // Each command acts on the row it is given, wherever another reader left the cursor.
    void commandsActOnTheGivenRow_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("edit") << S("edit") << QStringList{S("RUB"), S("USD"), S("Euro"), S("GBP")};
        QTest::newRow("main") << S("main") << QStringList{S("RUB"), S("USD"), S("EUR"), S("GBP")};
        QTest::newRow("move") << S("move") << QStringList{S("RUB"), S("EUR"), S("USD"), S("GBP")};
        QTest::newRow("delete") << S("delete") << QStringList{S("RUB"), S("USD"), S("GBP")};
    }

    void commandsActOnTheGivenRow() {
        QFETCH(QString, command);
        QFETCH(QStringList, names);
        fillCurrencies();
        const int row = rowOf(S("EUR"));
        select("GBP");
        if (command == S("edit"))
            EditCurrency(*m_data, row, {S("Euro"), S("€"), S("0,5"), S("0"), false});
        else if (command == S("main"))
            SetMainCurrency(*m_data, row);
        else if (command == S("move"))
            QVERIFY(MoveCurrency(*m_data, row, true));
        else
            DeleteCurrency(*m_data, row);

        QStringList stored;
        QStringList main;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta)) {
            stored << c.Name;
            if (c.Def)
                main << c.Name;
        }
        QCOMPARE(stored, names);
        QCOMPARE(main, QStringList{command == S("main") ? S("EUR") : S("RUB")});
    }

    void move_data() {
        QTest::addColumn<QString>("currency");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("order");
        QTest::newRow("first up") << S("RUB") << true << false << S("RUB USD EUR GBP");
        QTest::newRow("last down") << S("GBP") << false << false << S("RUB USD EUR GBP");
        QTest::newRow("second up") << S("USD") << true << true << S("USD RUB EUR GBP");
        QTest::newRow("first down") << S("RUB") << false << true << S("USD RUB EUR GBP");
        QTest::newRow("last up") << S("GBP") << true << true << S("RUB USD GBP EUR");
    }

    void move() {
        QFETCH(QString, currency);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QString, order);
        fillCurrencies();
        const QStringList before = CurrencyRows(m_data->tbValuta);
        select(currency.toUtf8().constData());
        const int at = m_data->tbValuta.recNo();
        QCOMPARE(MoveCurrency(*m_data, at - 1, up), moved);

        QStringList names;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            names << c.Name;
        QCOMPARE(names.join(QLatin1Char(' ')), order);
        // The whole record moves, and the cursor with it.
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), currency);
        QCOMPARE(m_data->tbValuta.recNo(), moved ? (up ? at - 1 : at + 1) : at);
        QStringList after = CurrencyRows(m_data->tbValuta);
        after.sort();
        QStringList sorted = before;
        sorted.sort();
        QCOMPARE(after, sorted);
        openDatabase();
        names.clear();
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            names << c.Name;
        QCOMPARE(names.join(QLatin1Char(' ')), order);
    }

    // ---- failures half-way ----

    void failureLeavesEverything_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("rename") << S("rename");
        QTest::newRow("revalue") << S("revalue");
        QTest::newRow("set main") << S("set main");
        // The rates are written, then an entry's figure fails: the rates go back too.
        QTest::newRow("set main, ledger") << S("set main, ledger");
    }

    void failureLeavesEverything() {
        QFETCH(QString, command);
        fillCurrencies();
        fillLedger();
        // The store fails on the write of the last row the command reaches.
        const QString trigger =
            QStringLiteral("CREATE TRIGGER boom BEFORE UPDATE ON %1 WHEN new.Name='%2' "
                           "BEGIN SELECT RAISE(ABORT, 'injected failure'); END");
        if (command == S("set main"))
            ExecFile(valutaFile(), trigger.arg(S("Valuta"), S("USD")));
        else
            ExecFile(dataFile(),
                     trigger.arg(S("Data"), S(command == S("revalue") ? "gift" : "zerorate")));
        openDatabase();

        TableHandle& d = m_data->tbData;
        TableHandle& d2 = m_data->tbData2;
        d.setFilter(QStringLiteral("Gr1='Main'"));
        d.setFiltered(true);
        d.setRecNo(2);
        d2.setFilter(QStringLiteral("Type<>'O'"));
        d2.setFiltered(true);
        d2.setRecNo(3);
        select("USD");
        const QString ledger = QueryFile(
            dataFile(), QStringLiteral("SELECT group_concat(Name||'/'||coalesce(Valuta,'')||'/'||"
                                       "coalesce(Dohod,'')||'/'||coalesce(Rashod,'')||'/'||"
                                       "coalesce(InDol,''), '|') FROM Data"));
        const QString currencies =
            QueryFile(valutaFile(),
                      QStringLiteral("SELECT group_concat(Name||Def||Kurs||coalesce(Value,''),'|') "
                                     "FROM Valuta"));
        const QStringList rows = CurrencyRows(m_data->tbValuta);

        if (command == S("rename"))
            QVERIFY_THROWS_EXCEPTION(StoreError,
                                     EditCurrency(*m_data, rowOf(S("USD")),
                                                  {S("Dollar"), S("D$"), S("31"), S("0"), true}));
        else if (command == S("revalue"))
            QVERIFY_THROWS_EXCEPTION(StoreError, Revalue(*m_data, true, S("R")));
        else
            QVERIFY_THROWS_EXCEPTION(StoreError, SetMainCurrency(*m_data, rowOf(S("USD"))));

        QCOMPARE(
            QueryFile(dataFile(),
                      QStringLiteral("SELECT group_concat(Name||'/'||coalesce(Valuta,'')||'/'||"
                                     "coalesce(Dohod,'')||'/'||coalesce(Rashod,'')||'/'||"
                                     "coalesce(InDol,''), '|') FROM Data")),
            ledger);
        QCOMPARE(QueryFile(valutaFile(),
                           QStringLiteral("SELECT group_concat(Name||Def||Kurs||coalesce(Value,''),"
                                          "'|') FROM Valuta")),
                 currencies);
        QCOMPARE(CurrencyRows(m_data->tbValuta), rows);
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), S("USD"));
        QVERIFY(d.filtered());
        QCOMPARE(d.recordCount(), 4);
        QCOMPARE(d.recNo(), 2);
        QCOMPARE(d.mode(), TableHandle::Mode::Browse);
        QVERIFY(d2.filtered());
        QCOMPARE(d2.recordCount(), 5);
        QCOMPARE(d2.recNo(), 3);
        QCOMPARE(d2.mode(), TableHandle::Mode::Browse);
        QVERIFY(!Transaction::active());
        // The in-memory rows were rolled back too.
        d.setFiltered(false);
        QVERIFY(d.locate(QStringLiteral("Name"), S("lunch")));
        QCOMPARE(d.field(QStringLiteral("Valuta")).text(), S("USD"));
        QVERIFY(d.field(QStringLiteral("InDol")).isNull());
    }
};

QTEST_GUILESS_MAIN(TestCurrencies)
#include "tst_currencies.moc"
