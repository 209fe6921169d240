#include "core/locale.h"
#include "core/textutil.h"
#include "fixtures.h"
#include "ledger/currency.h"
#include "ledger/ledgertest.h"
#include "ledger/revalue.h"
#include "store/datamodules.h"
#include "store/transaction.h"

#include <QTest>
#include <cmath>

using namespace zovi;
using namespace zovi::test;

// The balances of every currency over the selected entries, their total in a chosen currency
// and how they are written.
class TestRevalue : public LedgerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    // ---- revaluation ----

    void openingBalancesTabs_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("counted");
        QTest::newRow("first account") << 0 << 3 << true;
        QTest::newRow("middle account") << 1 << 3 << false;
        QTest::newRow("all accounts") << 2 << 3 << true;
        QTest::newRow("only [...]") << 0 << 1 << true;
        QTest::newRow("second of four") << 2 << 4 << false;
    }

    void openingBalancesTabs() {
        QFETCH(int, tab);
        QFETCH(int, count);
        QFETCH(bool, counted);
        QCOMPARE(OpeningBalancesCount(tab, count), counted);
    }

    void revalue_data() {
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QString>("values"); // RUB USD EUR GBP
        QTest::addColumn<double>("totalMain");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("hint");
        const QString cr(QLatin1Char('\n'));
        QTest::newRow("all accounts")
            << true << QString() << S("R") << S("850 15 20 0,003") << 1343.0 << 1343.0 << S("1 343")
            << S("RUB: 850 R") + cr + S("USD: 15 $") + cr + S("EUR: 20 €");
        QTest::newRow("first account in dollars")
            << true << S("Gr1='Main'") << S("$") << S("850 20 0 0,003") << 1453.0 << 1453.0 / 30
            << S("48,43") << S("RUB: 850 R") + cr + S("USD: 20 $");
        QTest::newRow("middle account in euros")
            << false << S("Gr1='Wallet'") << S("€") << S("0 -5 20 0") << -110.0 << -55.0
            << S(" -55") << S("USD: -5 $") + cr + S("EUR: 20 €");
        QTest::newRow("unknown sign stays in main units")
            << false << QString() << S("?") << S("750 5 20 0") << 940.0 << 940.0 << S(" 940")
            << S("RUB: 750 R") + cr + S("USD: 5 $") + cr + S("EUR: 20 €");
    }

    void revalue() {
        QFETCH(bool, opening);
        QFETCH(QString, filter);
        QFETCH(QString, sign);
        QFETCH(QString, values);
        QFETCH(double, totalMain);
        QFETCH(double, total);
        QFETCH(QString, label);
        QFETCH(QString, hint);
        fillCurrencies();
        fillLedger();
        TableHandle& d2 = m_data->tbData2;
        if (!filter.isEmpty()) {
            d2.setFilter(filter);
            d2.setFiltered(true);
        }

        const RevalueResult r = Revalue(*m_data, opening, sign);
        QStringList got;
        for (const Currency& c : r.currencies)
            got << NumberText(c.Value);
        QCOMPARE(got.join(QLatin1Char(' ')), values);
        QVERIFY(std::fabs(r.totalMain - totalMain) < 1e-9);
        QVERIFY(std::fabs(r.total - total) < 1e-9);
        QCOMPARE(r.labelText, label);
        QCOMPARE(r.labelHint, hint);

        // The figures are stored in the currency records, ValueSTR rounded to two decimals.
        const QList<Currency> stored = ReadCurrencies(m_data->tbValuta);
        QStringList storedValues, storedTexts;
        for (const Currency& c : stored) {
            storedValues << NumberText(c.Value);
            storedTexts << c.ValueSTR;
        }
        QCOMPARE(storedValues.join(QLatin1Char(' ')), values);
        QCOMPARE(storedTexts.last(), S("0"));
        QCOMPARE(
            QueryFile(valutaFile(), QStringLiteral("SELECT ValueSTR FROM Valuta WHERE Name='EUR'")),
            S(filter.isEmpty() || filter.contains(S("Wallet")) ? "20" : "0"));

        // InDol at the entry's own rate, only for the selected entries with a rate.
        const bool wallet = filter.isEmpty() || filter.contains(S("Wallet"));
        const bool main = filter.isEmpty() || filter.contains(S("Main"));
        QCOMPARE(ledgerField("lunch", "InDol"), wallet ? S("-150.0") : QString());
        QCOMPARE(ledgerField("gift", "InDol"), wallet ? S("40.0") : QString());
        QCOMPARE(ledgerField("salary", "InDol"), main ? S("1000.0") : QString());
        QCOMPARE(ledgerField("exchange", "InDol"), S("99.0"));
        QCOMPARE(ledgerField("norate", "InDol"), S("7.0"));
        QCOMPARE(ledgerField("zerorate", "InDol"), S("8.0"));
        QCOMPARE(r.entriesWritten, int(wallet) * 2 + int(main));

        // A second run finds nothing to write and the same figures.
        const RevalueResult again = Revalue(*m_data, opening, sign);
        QCOMPARE(again.entriesWritten, 0);
        QCOMPARE(again.labelText, label);
    }

    void revalueLeavesOutZeroRate() {
        fillCurrencies();
        fillLedger();
        {
            Transaction t;
            Put(m_data->tbValuta,
                {{"Name", S("OLD")}, {"Znak", S("o")}, {"Kurs", 0.0}, {"OldValue", S("5")}});
            Put(m_data->tbData2, {{"Name", S("old")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("D")},
                                  {"Value", 4.0},
                                  {"Valuta", S("OLD")},
                                  {"Kurs", 0.0}});
            t.commit();
        }
        const RevalueResult r = Revalue(*m_data, true, S("o"));
        QCOMPARE(r.currencies.last().Value, 9.0);
        QCOMPARE(r.totalMain, 1343.0);
        QCOMPARE(r.total, 1343.0); // the chosen currency cannot convert: main units
        QCOMPARE(r.totalSign, S("R"));
        QCOMPARE(r.lines.last().balance, S("9 o"));
    }

    void emptyLedgerGivesStartValues() {
        fillCurrencies();
        const RevalueResult r = Revalue(*m_data, true, S("R"));
        QCOMPARE(r.totalMain, 100.0 + 300 + 0 + 3);
        QCOMPARE(r.labelText, S(" 403"));
        const RevalueResult none = Revalue(*m_data, false, S("R"));
        QCOMPARE(none.labelText, S("0"));
        QVERIFY(none.lines.isEmpty());
        QVERIFY(none.labelHint.isEmpty());
    }

    void totalText_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("text");
        const QChar point(QLatin1Char('.'));
        const QChar comma(QLatin1Char(','));
        QTest::newRow("0.004") << point << 0.004 << S("0");
        QTest::newRow("-0.009") << point << -0.009 << S("-0.01");
        QTest::newRow("1234567.891") << point << 1234567.891 << S("1 234 567.89");
        QTest::newRow("123.456") << point << 123.456 << S(" 123.46");
        QTest::newRow("123456") << point << 123456.0 << S(" 123 456");
        QTest::newRow("1234") << point << 1234.0 << S("1 234");
        QTest::newRow("-1234.5") << point << -1234.5 << S("-1 234.5");
        QTest::newRow("-123456") << point << -123456.0 << S("- 123 456");
        QTest::newRow("rounded, not cut") << comma << 2.999 << S("3");
        QTest::newRow("wallet") << comma << 1000 - 0.222 - 0.3 + 1727.3 << S("2 726,78");
        QTest::newRow("half kept below") << comma << 1.005 << S("1,01");
        QTest::newRow("0.006") << comma << 0.006 << S("0,01");
        QTest::newRow("comma") << comma << 1234.5 << S("1 234,5");
        QTest::newRow("0.01") << comma << 0.01 << S("0,01");
        // A sum of many entries may pass 10^15: its digits, never "-1e +20".
        QTest::newRow("twenty digits") << comma << -1e20 << S("- 100 000 000 000 000 000 000");
    }

    void totalText() {
        QFETCH(QChar, separator);
        QFETCH(double, total);
        QFETCH(QString, text);
        AppLocale::set(separator, QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(TotalText(total), text);
    }

    void balanceLines_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("isMain");
        QTest::addColumn<QString>("line"); // mark|name|balance, empty when left out
        QTest::newRow("0.004 left out") << 0.004 << false << QString();
        QTest::newRow("-0.004 left out") << -0.004 << false << QString();
        QTest::newRow("zero left out") << 0.0 << true << QString();
        QTest::newRow("0.0041 shown") << 0.0041 << false << S("+ |X|0 x");
        QTest::newRow("-0.0041 shown") << -0.0041 << false << S("- |X|0 x");
        QTest::newRow("main positive") << 1234.567 << true << S("+M|X|1 234,57 x");
        QTest::newRow("main negative") << -123.0 << true << S("-M|X|- 123 x");
    }

    void balanceLines() {
        QFETCH(double, value);
        QFETCH(bool, isMain);
        QFETCH(QString, line);
        Currency c = Make("X", 2, true, isMain);
        c.Znak = S("x");
        c.Value = value;
        Currency other = Make("Y", 1, true);
        other.Znak = S("y");
        other.Value = 1;
        const QList<BalanceLine> lines = BalanceLines({c, other});
        QCOMPARE(lines.size(), line.isEmpty() ? 1 : 2);
        QCOMPARE(lines.last().name, S("Y")); // a left-out currency leaves no gap
        if (!line.isEmpty()) {
            const BalanceLine& l = lines.first();
            QCOMPARE(l.mark + QLatin1Char('|') + l.name + QLatin1Char('|') + l.balance, line);
            QCOMPARE(BalanceHint(lines), S("X: ") + l.balance + QLatin1Char('\n') + S("Y: 1 y"));
        }
        // Every currency counts in the total, shown or not.
        QVERIFY(std::fabs(TotalInMainCurrency({c, other}) - (isMain ? value : value * 2) - 1) <
                1e-12);
    }

    void valueTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half away from zero") << 0.125 << S("0,13");
        QTest::newRow("half kept below") << -1.005 << S("-1,01");
        QTest::newRow("rounded") << 2.675001 << S("2,68");
        QTest::newRow("tiny") << 0.003 << S("0");
        QTest::newRow("negative tiny") << -0.003 << S("0");
        QTest::newRow("whole") << -850.0 << S("-850");
    }

    void valueTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(BalanceValueText(value), text);
        fillCurrencies();
        {
            Transaction t;
            m_data->tbValuta.first();
            m_data->tbValuta.edit();
            m_data->tbValuta.field(QStringLiteral("Value")).setDouble(value);
            m_data->tbValuta.post();
            t.commit();
        }
        RewriteBalanceTexts(*m_data);
        QCOMPARE(ReadCurrencies(m_data->tbValuta).first().ValueSTR, text);
    }
};

QTEST_GUILESS_MAIN(TestRevalue)
#include "tst_revalue.moc"
