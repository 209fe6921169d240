#include "charts/chartdata.h"

#include "core/language.h"
#include "core/locale.h"
#include "store/datamodules.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace zovi {

MainCurrencyAmounts::MainCurrencyAmounts(const QList<Currency>& currencies) {
    for (const Currency& c : currencies)
        m_byName.insert(c.Name, c);
}

double MainCurrencyAmounts::amount(double value, const QString& currencyName) const {
    const auto it = m_byName.constFind(currencyName);
    if (it == m_byName.constEnd() || !(it->Kurs > 0))
        return value;
    return ToMainCurrency(value, *it).value_or(value);
}

void AddAmount(PeriodSum& sum, double amount) {
    if (amount > 0)
        sum.income += amount;
    else if (amount < 0)
        sum.charge -= amount;
    sum.difference = sum.income - sum.charge;
}

namespace {

// The short date format without the fields of the given letters, each taken out with one
// separator beside it: "dd.MM.yyyy" without "d" is "MM.yyyy", "d MMM yyyy" is "MMM yyyy".
QString FormatWithout(const QString& format, const QString& letters) {
    // The format as runs: a field (one letter repeated), a quoted text, or other characters.
    QStringList runs;
    for (qsizetype i = 0; i < format.size();) {
        qsizetype end = i + 1;
        if (format.at(i) == u'\'') {
            while (end < format.size() && format.at(end) != u'\'')
                ++end;
            end = std::min(end + 1, format.size());
        } else if (format.at(i).isLetter()) {
            while (end < format.size() && format.at(end) == format.at(i))
                ++end;
        } else {
            while (end < format.size() && !format.at(end).isLetter() && format.at(end) != u'\'')
                ++end;
        }
        runs << format.mid(i, end - i);
        i = end;
    }
    const auto isField = [](const QString& run) {
        return run.at(0).isLetter();
    };
    for (qsizetype i = 0; i < runs.size();) {
        if (!isField(runs.at(i)) || !letters.contains(runs.at(i).at(0))) {
            ++i;
            continue;
        }
        runs.removeAt(i);
        if (i < runs.size() && !isField(runs.at(i)))
            runs.removeAt(i); // the separator after the field
        else if (i > 0 && !isField(runs.at(i - 1)))
            runs.removeAt(--i); // or, at the end, the one before it
    }
    return runs.join(QString());
}

} // namespace

// A month or a year reads as the short date without its day (and month): right in any format.
QString PeriodLabel(const QDate& date, PeriodLength length) {
    const QString format = AppLocale::shortDateFormat();
    switch (length) {
    case PeriodLength::Months:
        return ShownDate(date, FormatWithout(format, QStringLiteral("d")));
    case PeriodLength::Years:
        return ShownDate(date, FormatWithout(format, QStringLiteral("dM")));
    case PeriodLength::Days:
        break;
    }
    return ShownDate(date);
}

namespace {

// The sums in order of first occurrence, found again by label.
class SumList {
public:
    PeriodSum& operator[](const QString& label) {
        const auto it = m_index.constFind(label);
        if (it != m_index.constEnd())
            return m_sums[*it];
        m_index.insert(label, m_sums.size());
        m_sums.append(PeriodSum{label, 0, 0, 0});
        return m_sums.last();
    }
    QList<PeriodSum> take() { return std::move(m_sums); }

private:
    QList<PeriodSum> m_sums;
    QHash<QString, qsizetype> m_index;
};

} // namespace

QList<PeriodSum> PeriodSums(TableHandle& rows, const MainCurrencyAmounts& amounts,
                            PeriodLength length) {
    const int date = rows.fieldIndex(fields::Data::Date);
    const int value = rows.fieldIndex(fields::Data::Value);
    const int valuta = rows.fieldIndex(fields::Data::Valuta);
    SumList sums;
    // Many rows share a day: each day's label is made once.
    QHash<qint64, QString> labels;
    for (rows.first(); !rows.eof(); rows.next()) {
        const QDate day = rows.field(date).toDate();
        const qint64 key = day.isValid() ? day.toJulianDay() : std::numeric_limits<qint64>::min();
        auto label = labels.constFind(key);
        if (label == labels.constEnd())
            label = labels.insert(key, PeriodLabel(day, length));
        AddAmount(sums[*label],
                  amounts.amount(rows.field(value).toDouble(), rows.field(valuta).text()));
    }
    return sums.take();
}

ChartSeriesPoints IncomeChargePoints(const QList<PeriodSum>& periods,
                                     const IncomeChargeOptions& options) {
    ChartSeriesPoints points;
    for (const PeriodSum& p : periods) {
        if (options.difference) {
            const ChartPoint point{p.difference, p.label, options.differenceColour};
            if (p.difference != 0)
                points.bars.append(point);
            points.other.append(point);
            continue;
        }
        if (options.kinds != ChartKinds::OnlyCharges)
            points.bars.append({p.income, p.label, options.incomeColour});
        if (options.kinds != ChartKinds::OnlyIncomes)
            points.bars.append({p.charge, p.label, options.chargeColour});
    }
    if (!options.difference)
        points.other = points.bars;
    return points;
}

QList<PeriodSum> GroupSums(TableHandle& rows, const MainCurrencyAmounts& amounts,
                           const GroupOptions& options) {
    const int type = rows.fieldIndex(fields::Data::Type);
    const int value = rows.fieldIndex(fields::Data::Value);
    const int valuta = rows.fieldIndex(fields::Data::Valuta);
    const int label =
        rows.fieldIndex(options.subGroups ? fields::Data::NameRashod : fields::Data::Gr2);
    const QString wanted = options.incomes ? QStringLiteral("D") : QStringLiteral("R");
    SumList sums;
    for (rows.first(); !rows.eof(); rows.next()) {
        if (rows.field(type).text() != wanted)
            continue;
        AddAmount(sums[rows.field(label).text()],
                  amounts.amount(rows.field(value).toDouble(), rows.field(valuta).text()));
    }
    return sums.take();
}

ChartSeriesPoints GroupPoints(const QList<PeriodSum>& groups) {
    ChartSeriesPoints points;
    for (const PeriodSum& g : groups) {
        points.bars.append({std::abs(g.difference), g.label, AutomaticColour});
        points.other.append({g.difference, g.label, AutomaticColour});
    }
    return points;
}

namespace {

// tbData3 with the filter of source, over the whole ledger in ID order.
TableHandle& ChartRows(LedgerTables& data, const TableHandle& source) {
    TableHandle& rows = data.tbData3;
    if (rows.filter() == source.filter() && rows.filtered() == source.filtered()) {
        // Rows posted through the other handles since the last chart.
        rows.refresh();
        return rows;
    }
    // The switch goes off first, so that the view is computed once, with the new filter.
    rows.setFiltered(false);
    rows.setFilter(source.filter());
    rows.setFiltered(source.filtered());
    if (!rows.filtered())
        rows.refresh();
    return rows;
}

} // namespace

QList<PeriodSum> IncomeChargeSums(LedgerTables& data, PeriodLength length) {
    if (!data.tbData3.isOpen())
        return {};
    const MainCurrencyAmounts amounts(ReadCurrencies(data.tbValuta));
    return PeriodSums(ChartRows(data, data.tbData2), amounts, length);
}

QList<PeriodSum> GroupChartSums(LedgerTables& data, const GroupOptions& options) {
    if (!data.tbData3.isOpen())
        return {};
    const MainCurrencyAmounts amounts(ReadCurrencies(data.tbValuta));
    return GroupSums(ChartRows(data, data.tbData), amounts, options);
}

} // namespace zovi
