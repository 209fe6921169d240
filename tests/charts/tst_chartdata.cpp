// The sums and points of the incomes and charges chart and of the groups chart, over a real
// database with the ledger filter of the grid and of the balances.
#include "charts/chartdata.h"
#include "fixtures.h"
#include "store/transaction.h"

#include <QTest>

using namespace zovi;
using namespace zovi::test;

namespace {

QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    return list;
}

// A point as "label value colour", the colour as i (income), c (charge), d (difference) or a
// for the automatic one.
QString PointText(const ChartPoint& p) {
    const char colour = p.colour == 0xff00ff00   ? 'i'
                        : p.colour == 0xffff0000 ? 'c'
                        : p.colour == 0xff0000ff ? 'd'
                                                 : 'a';
    return QStringLiteral("%1 %2 %3").arg(p.label).arg(p.value).arg(QLatin1Char(colour));
}

QStringList PointTexts(const QList<ChartPoint>& points) {
    QStringList texts;
    for (const ChartPoint& p : points)
        texts << PointText(p);
    return texts;
}

} // namespace

class TestChartData : public DatabaseTest {
    Q_OBJECT

    // Main RUB, USD worth 30 RUB, EUR stored with rate 0, DUP twice (worth 2, then 3), and ledger
    // rows written as "dd.MM.yyyy Type Value Valuta Gr2 NameRashod" ("-" for an empty text).
    void fill(const QStringList& rows) {
        Transaction t;
        PutCurrencies(m_data->tbValuta, {{true, "RUB", "R", 1, false, "0"},
                                         {false, "USD", "$", 30, true, "0"},
                                         {false, "EUR", "€", 0, false, "0"},
                                         {false, "DUP", "d", 2, true, "0"},
                                         {false, "DUP", "D", 3, true, "0"}});
        for (const QString& row : rows) {
            const QStringList f = row.split(QLatin1Char(' '));
            auto text = [&](int i) {
                return f.value(i) == u"-" ? QString() : f.value(i);
            };
            Put(m_data->tbData2, {{"Date", AppLocale::parseDate(f[0])},
                                  {"Name", QStringLiteral("entry")},
                                  {"Type", f[1]},
                                  {"Value", f[2].toDouble()},
                                  {"Valuta", text(3)},
                                  {"Gr2", text(4)},
                                  {"NameRashod", text(5)}});
        }
        t.commit();
        refreshLedger();
    }

private Q_SLOTS:
    void init() { initDatabase(); }

    // A period's label is the date without its day (and month), whatever the date format: a
    // format with a one-digit day or the day elsewhere must not lose a letter of the month.
    void periodLabelsInEveryFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::newRow("dd.MM.yyyy")
            << QStringLiteral("dd.MM.yyyy") << QStringLiteral("04.2025") << QStringLiteral("2025");
        QTest::newRow("d MMM yyyy")
            << QStringLiteral("d MMM yyyy") << QStringLiteral("Apr 2025") << QStringLiteral("2025");
        QTest::newRow("yyyy-MM-dd")
            << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2025-04") << QStringLiteral("2025");
        QTest::newRow("MM/dd/yyyy")
            << QStringLiteral("MM/dd/yyyy") << QStringLiteral("04/2025") << QStringLiteral("2025");
    }
    void periodLabelsInEveryFormat() {
        QFETCH(QString, format);
        QFETCH(QString, month);
        QFETCH(QString, year);
        AppLocale::set(QLatin1Char(','), format);
        const QDate first(2025, 4, 1);
        QCOMPARE(PeriodLabel(first, PeriodLength::Months), month);
        QCOMPARE(PeriodLabel(first, PeriodLength::Years), year);
        QCOMPARE(PeriodLabel(first, PeriodLength::Days), AppLocale::formatDate(first));
    }
    // The month labels are written in the chosen language also where the user's locale writes
    // month names in English; the date text that filters store keeps its English names.
    void monthLabelsFollowLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("month");
        QTest::newRow("English") << QStringLiteral("lang.ini") << QStringLiteral("May 2025");
        QTest::newRow("Russian") << QStringLiteral("lang/ru.ini") << QStringLiteral("май 2025");
    }
    void monthLabelsFollowLanguage() {
        QFETCH(QString, language);
        UseShippedLanguage(*m_db, language);
        AppLocale::set(QLatin1Char('.'), QStringLiteral("d MMM yyyy"));
        // A month without its day takes its standalone name (not the genitive "мая").
        const QDate first(2025, 5, 1);
        QTEST(PeriodLabel(first, PeriodLength::Months), "month");
        QCOMPARE(AppLocale::formatDate(first), QStringLiteral("1 May 2025"));
    }
    void cleanup() { cleanupDatabase(); }

    void incomesAndCharges_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("difference");
        QTest::addColumn<int>("kinds");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<QStringList>("line");
        const int month = int(PeriodLength::Months);
        const int both = int(ChartKinds::ChargesAndIncomes);
        QTest::newRow("a month with incomes only keeps a zero charge bar")
            << L({"05.03.2024 D 100 RUB", "20.03.2024 D 50 RUB"}) << month << false << both
            << L({"03.2024 150 i", "03.2024 0 c"}) << L({"03.2024 150 i", "03.2024 0 c"});
        QTest::newRow("only incomes")
            << L({"05.03.2024 D 100 RUB", "06.03.2024 R -40 RUB"}) << month << false
            << int(ChartKinds::OnlyIncomes) << L({"03.2024 100 i"}) << L({"03.2024 100 i"});
        QTest::newRow("only charges, drawn positive")
            << L({"05.03.2024 D 100 RUB", "06.03.2024 R -40 RUB"}) << month << false
            << int(ChartKinds::OnlyCharges) << L({"03.2024 40 c"}) << L({"03.2024 40 c"});
        QTest::newRow("a zero difference stays only on the line")
            << L({"05.03.2024 D 100 RUB", "06.03.2024 R -100 RUB", "01.04.2024 D 30 RUB"}) << month
            << true << both << L({"04.2024 30 d"}) << L({"03.2024 0 d", "04.2024 30 d"});
        QTest::newRow("April entered first comes before March")
            << L({"01.04.2024 D 10 RUB", "15.03.2024 R -20 RUB", "30.04.2024 R -5 RUB"}) << month
            << false << both << L({"04.2024 10 i", "04.2024 5 c", "03.2024 0 i", "03.2024 20 c"})
            << L({"04.2024 10 i", "04.2024 5 c", "03.2024 0 i", "03.2024 20 c"});
        QTest::newRow(
            "missing currency at its own amount, rate 0 unconverted, the last of a name converts")
            << L({"01.04.2024 D 40 XYZ", "02.04.2024 D 7 EUR", "03.04.2024 R -2 USD",
                  "04.04.2024 D 1 usd", "05.04.2024 D 1 DUP"})
            << month << false << both << L({"04.2024 51 i", "04.2024 60 c"})
            << L({"04.2024 51 i", "04.2024 60 c"});
        QTest::newRow("days") << L({"31.12.2023 D 1 RUB", "01.01.2024 D 2 RUB",
                                    "31.12.2023 R -4 RUB"})
                              << int(PeriodLength::Days) << true << both
                              << L({"31.12.2023 -3 d", "01.01.2024 2 d"})
                              << L({"31.12.2023 -3 d", "01.01.2024 2 d"});
        QTest::newRow("years") << L({"31.12.2023 D 1 RUB", "01.01.2024 D 2 RUB",
                                     "31.12.2023 R -4 RUB"})
                               << int(PeriodLength::Years) << false << both
                               << L({"2023 1 i", "2023 4 c", "2024 2 i", "2024 0 c"})
                               << L({"2023 1 i", "2023 4 c", "2024 2 i", "2024 0 c"});
    }

    void incomesAndCharges() {
        QFETCH(QStringList, rows);
        QFETCH(int, length);
        QFETCH(bool, difference);
        QFETCH(int, kinds);
        fill(rows);
        const IncomeChargeOptions options{difference, ChartKinds(kinds), 0xff00ff00, 0xffff0000,
                                          0xff0000ff};
        const ChartSeriesPoints points =
            IncomeChargePoints(IncomeChargeSums(*m_data, PeriodLength(length)), options);
        QTEST(PointTexts(points.bars), "bars");
        QTEST(PointTexts(points.other), "line");
    }

    // The incomes and charges chart reads the balances' filter (without the quick view), the
    // groups chart the grid's; a filter that admits nothing leaves both empty.
    void filters() {
        fill(L({"01.03.2024 R -10 RUB Food bread", "01.05.2024 R -20 RUB Food milk"}));
        m_data->tbData.setFilter(QStringLiteral("Date>='01.04.2024'"));
        m_data->tbData.setFiltered(true);
        QCOMPARE(IncomeChargeSums(*m_data, PeriodLength::Months).size(), 2);
        const QList<PeriodSum> groups = GroupChartSums(*m_data, {});
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups[0].charge, 20.0);

        m_data->tbData2.setFilter(QStringLiteral("Name='nothing'"));
        m_data->tbData2.setFiltered(true);
        const ChartSeriesPoints none =
            IncomeChargePoints(IncomeChargeSums(*m_data, PeriodLength::Months), {});
        QVERIFY(none.bars.isEmpty());
        QVERIFY(none.other.isEmpty());

        // A row posted through another handle counts at the next refresh.
        m_data->tbData2.setFiltered(false);
        Put(m_data->tbData2, {{"Date", QDate(2024, 5, 2)},
                              {"Type", QStringLiteral("R")},
                              {"Value", -5.0},
                              {"Gr2", QStringLiteral("Car")}});
        m_data->tbData.refresh();
        QCOMPARE(GroupChartSums(*m_data, {}).size(), 2);
    }

    void groups_data() {
        QTest::addColumn<bool>("subGroups");
        QTest::addColumn<bool>("incomes");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<QStringList>("pie");
        QTest::newRow("charges of 250 give a bar of 250 and a pie point of -250")
            << false << false << L({"Food 250 a", "Car 30 a"}) << L({"Food -250 a", "Car -30 a"});
        QTest::newRow("sub-groups of charges, an empty one included")
            << true << false << L({"bread 100 a", "meat 150 a", " 30 a"})
            << L({"bread -100 a", "meat -150 a", " -30 a"});
        QTest::newRow("incomes") << false << true << L({"Salary 1000 a"}) << L({"Salary 1000 a"});
    }

    // Transfers, exchanges, debts and repayments are never counted, whatever their Gr2 says.
    void groups() {
        QFETCH(bool, subGroups);
        QFETCH(bool, incomes);
        fill(L({"01.03.2024 R -100 RUB Food bread", "02.03.2024 P1 -70 RUB Food -",
                "02.03.2024 P2 70 RUB Food -", "03.03.2024 O -9 RUB Food -",
                "04.03.2024 R -5 USD Food meat", "05.03.2024 CR 500 RUB Food -",
                "05.03.2024 DB -500 RUB Food -", "06.03.2024 PC -8 RUB Food -",
                "06.03.2024 PD 8 RUB Salary -", "07.03.2024 R -30 RUB Car -",
                "08.03.2024 D 1000 RUB Salary job"}));
        const ChartSeriesPoints points = GroupPoints(GroupChartSums(*m_data, {subGroups, incomes}));
        QTEST(PointTexts(points.bars), "bars");
        QTEST(PointTexts(points.other), "pie");
    }
};

QTEST_GUILESS_MAIN(TestChartData)
#include "tst_chartdata.moc"
