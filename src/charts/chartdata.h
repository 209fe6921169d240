#pragma once

#include "ledger/currency.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace zovi {

class TableHandle;
class LedgerTables;

// The sums of one period (or one group) of the charts, all in the main currency.
struct PeriodSum {
    QString label;
    double income = 0;
    double charge = 0;     // counted positive
    double difference = 0; // income - charge
};

// One point of a chart series: its value, its label under the bottom axis and its colour as
// 0xAARRGGBB; AutomaticColour leaves the colour to the chart's own palette.
inline constexpr quint32 AutomaticColour = 0;
struct ChartPoint {
    double value = 0;
    QString label;
    quint32 colour = AutomaticColour;
    bool operator==(const ChartPoint&) const = default;
};

// The points of the bar series and of the other series (line or pie) of one chart.
struct ChartSeriesPoints {
    QList<ChartPoint> bars;
    QList<ChartPoint> other;
};

// An entry's Value in the main currency: the currency named exactly by its Valuta (the last
// of several such), rate 1 when there is none, unconverted when its rate is not above 0.
class MainCurrencyAmounts {
public:
    explicit MainCurrencyAmounts(const QList<Currency>& currencies);
    double amount(double value, const QString& currencyName) const;

private:
    QHash<QString, Currency> m_byName;
};

// Adds a signed main-currency amount to a sum: above 0 to the incomes, below 0 to the charges.
void AddAmount(PeriodSum& sum, double amount);

// ---- the incomes and charges chart ----

enum class PeriodLength { Days, Months, Years };
// The choices of the chart kinds box ("ComboBox4"), in its order.
enum class ChartKinds { ChargesAndIncomes, OnlyCharges, OnlyIncomes };

// The label of a date's period: the short date text, without its day for months and without its
// day and month for years (dd.MM.yyyy gives MM.yyyy and yyyy, d MMM yyyy gives MMM yyyy).
QString PeriodLabel(const QDate& date, PeriodLength length);

// The period sums of every row the handle's view admits, in view order; each period takes the
// place of its label's first row.
QList<PeriodSum> PeriodSums(TableHandle& rows, const MainCurrencyAmounts& amounts,
                            PeriodLength length);

struct IncomeChargeOptions {
    bool difference = false; // "Incomes - charges"
    ChartKinds kinds = ChartKinds::ChargesAndIncomes;
    quint32 incomeColour = 0xff008000;
    quint32 chargeColour = 0xffff0000;
    quint32 differenceColour = 0xff000080;
};

// The bar and line points of the periods: incomes and charges (zeros kept, so that every period
// keeps its place), or the differences, of which the bars leave out the zero ones.
ChartSeriesPoints IncomeChargePoints(const QList<PeriodSum>& periods,
                                     const IncomeChargeOptions& options);

// ---- the groups chart ----

struct GroupOptions {
    bool subGroups = false; // sum by NameRashod instead of Gr2
    bool incomes = false;   // count the incomes ("D") instead of the charges ("R")
};

// The sums per group or sub-group of the incomes or charges the handle's view admits; every
// other kind of entry is left out.
QList<PeriodSum> GroupSums(TableHandle& rows, const MainCurrencyAmounts& amounts,
                           const GroupOptions& options);

// The bars carry the size of each difference, the pie the difference itself.
ChartSeriesPoints GroupPoints(const QList<PeriodSum>& groups);

// ---- over the open database ----

// tbData3 takes the filter of source (tbData2 for the incomes and charges chart, tbData for the
// groups chart) and is read with the currencies of tbValuta.
QList<PeriodSum> IncomeChargeSums(LedgerTables& data, PeriodLength length);
QList<PeriodSum> GroupChartSums(LedgerTables& data, const GroupOptions& options);

} // namespace zovi
