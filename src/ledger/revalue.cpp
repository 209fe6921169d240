#include "ledger/revalue.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/table.h"
#include "store/transaction.h"
#include "views/sortorder.h"

#include <QHash>
#include <cmath>

namespace zovi {

namespace {

// Writes Value and ValueSTR of every currency row from the list (same order); the store skips
// the rows whose fields did not change.
void StoreBalances(TableHandle& v, QList<Currency>& currencies) {
    const int at = v.recNo();
    const int cValue = v.fieldIndex(fields::Valuta::Value);
    const int cValueSTR = v.fieldIndex(fields::Valuta::ValueSTR);
    for (Currency& c : currencies)
        c.ValueSTR = BalanceValueText(c.Value);
    // A read-only database is browsed: its balances are shown, never stored.
    if (v.isReadOnly())
        return;
    qsizetype i = 0;
    for (v.first(); !v.eof() && i < currencies.size(); v.next(), ++i) {
        const Currency& c = currencies[i];
        v.edit();
        v.field(cValue).setDouble(c.Value);
        v.field(cValueSTR).setText(c.ValueSTR);
        v.post();
    }
    if (at > 0)
        v.setRecNo(at);
}

} // namespace

bool OpeningBalancesCount(int tabIndex, int tabCount) {
    return tabIndex <= 0 || tabIndex >= tabCount - 1;
}

double TotalInMainCurrency(const QList<Currency>& currencies) {
    double total = 0;
    for (const Currency& c : currencies) {
        if (const auto main = ToMainCurrency(c.Value, c))
            total += *main;
    }
    return total;
}

std::optional<double> TotalInCurrency(double totalMain, const QList<Currency>& currencies,
                                      const QString& sign) {
    if (sign.isEmpty())
        return std::nullopt;
    for (const Currency& c : currencies) {
        if (c.Znak == sign)
            return FromMainCurrency(totalMain, c);
    }
    return std::nullopt;
}

QString TotalText(double total) {
    const double rounded = RoundToCents(total);
    if (!(std::fabs(rounded) >= 0.01))
        return QStringLiteral("0");
    const QString text = PlainNumberText(rounded);
    const qsizetype separator = DecimalSeparatorAt(text);
    const QString whole = separator < 0 ? text : text.left(separator);
    const QString rest = separator < 0 ? QString() : text.mid(separator);
    QString grouped;
    const qsizetype n = whole.size();
    for (qsizetype i = 0; i < n; ++i) {
        if ((n - i) % 3 == 0)
            grouped += QLatin1Char(' ');
        grouped += whole[i];
    }
    return grouped + rest;
}

QString BalanceValueText(double value) {
    return NumberText(RoundToCents(value));
}

QList<BalanceLine> BalanceLines(const QList<Currency>& currencies) {
    QList<BalanceLine> lines;
    for (const Currency& c : currencies) {
        if (std::fabs(c.Value) <= 0.004)
            continue;
        BalanceLine line;
        line.mark = QLatin1String(c.Value >= 0 ? "+" : "-") + QLatin1String(c.Def ? "M" : " ");
        line.name = c.Name;
        line.balance = FormatMoney(c.Value) + QLatin1Char(' ') + c.Znak;
        lines.append(line);
    }
    return lines;
}

QString BalanceHint(const QList<BalanceLine>& lines) {
    QStringList parts;
    for (const BalanceLine& line : lines)
        parts << line.name + QStringLiteral(": ") + line.balance;
    // One balance a line: a hint shows line feeds as line breaks.
    return parts.join(QLatin1Char('\n'));
}

CurrencyBalances::CurrencyBalances(QList<Currency> currencies, bool withOpeningBalances)
    : m_currencies(std::move(currencies)) {
    for (qsizetype i = 0; i < m_currencies.size(); ++i) {
        Currency& c = m_currencies[i];
        c.Value = withOpeningBalances ? OpeningBalance(c.OldValue).value_or(0) : 0;
        if (!m_byName.contains(c.Name))
            m_byName.insert(c.Name, i);
    }
}

std::optional<qsizetype> CurrencyBalances::indexOf(const QString& currency) const {
    const auto it = m_byName.constFind(currency);
    return it == m_byName.cend() ? std::nullopt : std::optional<qsizetype>(*it);
}

void CurrencyBalances::add(const QString& currency, double amount) {
    if (const auto i = indexOf(currency))
        m_currencies[*i].Value += amount;
}

void CurrencyBalances::addEntry(const ViewRows& rows, int index) {
    forEachAmount(rows, index,
                  [this](qsizetype i, double amount) { m_currencies[i].Value += amount; });
}

void CurrencyBalances::forEachAmount(const ViewRows& rows, int index,
                                     const std::function<void(qsizetype, double)>& visit) const {
    using namespace fields;
    // Every view of the ledger has the same columns: they are looked up once.
    if (m_columns.empty()) {
        for (const auto& name : {Data::Type, Data::Valuta, Data::Value, Data::ValutaDohod,
                                 Data::ValueDohod, Data::ValutaRashod, Data::ValueRashod})
            m_columns.push_back(rows.fieldIndex(name));
    }
    const auto amount = [&](int currencyColumn, int valueColumn) {
        const QString* name = rows.textRef(index, m_columns[size_t(currencyColumn)]);
        static const QString none;
        const QString& currency = name ? *name : none;
        // Most entries name the currency the one before named: the search is kept.
        if (currency != m_lastName || !m_lastIndex) {
            m_lastName = currency;
            m_lastIndex = indexOf(currency);
        }
        if (m_lastIndex)
            visit(*m_lastIndex, rows.toDouble(index, m_columns[size_t(valueColumn)]));
    };
    const QString* type = rows.textRef(index, m_columns[0]);
    if (type && *type == QLatin1String("O")) {
        amount(3, 4);
        amount(5, 6);
        return;
    }
    amount(1, 2);
}

double CurrencyBalances::total(const QString& sign) const {
    const double main = TotalInMainCurrency(m_currencies);
    return TotalInCurrency(main, m_currencies, sign).value_or(main);
}

namespace {

// One unit of each currency in the currency of sign, converted as the total converts it; empty
// for a currency that cannot be converted (it adds nothing to the total). The conversions are
// linear, so an amount converts as its number of units.
std::vector<std::optional<double>> UnitsIn(const QList<Currency>& currencies, const QString& sign) {
    std::vector<std::optional<double>> unit;
    for (const Currency& c : currencies) {
        const auto main = ToMainCurrency(1, c);
        unit.push_back(main
                           ? std::optional(TotalInCurrency(*main, currencies, sign).value_or(*main))
                           : std::nullopt);
    }
    return unit;
}

} // namespace

std::vector<double> RunningBalances(const ViewRows& rows, const QList<Currency>& currencies,
                                    bool withOpeningBalances, const QString& sign) {
    const int n = rows.size();
    const int cDate = rows.fieldIndex(fields::Data::Date);
    // The grid's date order: the same keys put in order by the same sort.
    std::vector<qint64> keys(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const QDate date = rows.toDate(i, cDate);
        keys[size_t(i)] = date.isValid() ? date.toJulianDay() : 0;
    }
    // The start is the total of the start values; each entry then adds its amounts converted
    // as the total converts them.
    const CurrencyBalances balances(currencies, withOpeningBalances);
    const auto unit = UnitsIn(currencies, sign);
    double total = balances.total(sign);
    std::vector<double> after(static_cast<size_t>(n), 0);
    for (const int i : ExchangeSortOrder(keys)) {
        balances.forEachAmount(rows, i, [&](qsizetype c, double value) {
            if (unit[size_t(c)])
                total += value * *unit[size_t(c)];
        });
        after[size_t(i)] = total;
    }
    return after;
}

ShownSums SumShownEntries(const ViewRows& rows, const QList<Currency>& currencies,
                          const QString& sign) {
    ShownSums sums;
    sums.entries = rows.size();
    const CurrencyBalances lookup(currencies, false);
    const auto unit = UnitsIn(currencies, sign);
    for (int i = 0; i < rows.size(); ++i) {
        lookup.forEachAmount(rows, i, [&](qsizetype c, double value) {
            if (!unit[size_t(c)])
                return;
            const double amount = value * *unit[size_t(c)];
            (amount > 0 ? sums.incomes : sums.charges) += std::fabs(amount);
        });
    }
    return sums;
}

QString EntryCountText(int count) {
    // Russian counts 1, 21, 31 ... alike and 2 to 4 (but 12 to 14) alike; English tells 1
    // from every other number.
    const int n = count % 100;
    const QString entries =
        count == 1 ? LangText(QStringLiteral("entries 1"), QStringLiteral("%1 entry"))
        : n % 10 == 1 && n != 11
            ? LangText(QStringLiteral("entries 21"), QStringLiteral("%1 entries"))
        : n % 10 >= 2 && n % 10 <= 4 && (n < 12 || n > 14)
            ? LangText(QStringLiteral("entries 2"), QStringLiteral("%1 entries"))
            : LangText(QStringLiteral("entries 5"), QStringLiteral("%1 entries"));
    return entries.arg(count);
}

QString ShownSumsText(const ShownSums& sums) {
    return LangText(QStringLiteral("shown sums"),
                    QStringLiteral("%1 · incomes %2 · charges %3 · difference %4"))
        .arg(EntryCountText(sums.entries), FormatMoney(sums.incomes), FormatMoney(sums.charges),
             FormatMoney(sums.incomes - sums.charges));
}

void RewriteBalanceTexts(LedgerTables& data) {
    TableHandle& v = data.tbValuta;
    QList<Currency> currencies = ReadCurrencies(v);
    Transaction t;
    StoreBalances(v, currencies);
    t.commit();
}

RevalueResult Revalue(LedgerTables& data, bool withOpeningBalances, const QString& totalSign) {
    RevalueResult result;
    TableHandle& v = data.tbValuta;
    TableHandle& d = data.tbData2;
    CurrencyBalances balances(ReadCurrencies(v), withOpeningBalances);

    Transaction t;
    d.refresh();
    const int cType = d.fieldIndex(fields::Data::Type);
    const int cValue = d.fieldIndex(fields::Data::Value);
    const int cValuta = d.fieldIndex(fields::Data::Valuta);
    const int cKurs = d.fieldIndex(fields::Data::Kurs);
    const int cInDol = d.fieldIndex(fields::Data::InDol);

    // The entries are read first and the amounts in the main currency that changed written
    // after, in one write of the store.
    const ViewRows rows = d.viewRows();
    const bool readOnly = d.isReadOnly();
    std::vector<int> changed;
    std::vector<Value> inDols;
    static const QString none;
    for (int row = 0; row < rows.size(); ++row) {
        balances.addEntry(rows, row);
        const QString* type = rows.textRef(row, cType);
        if (type && *type == QLatin1String("O"))
            continue;
        const QString* valutaText = rows.textRef(row, cValuta);
        const QString& valuta = valutaText ? *valutaText : none;
        const double value = rows.toDouble(row, cValue);

        // InDol at the entry's own rate; the direction comes from its currency, an empty
        // currency counting as More. A currency no record bears gives no direction, so such
        // an entry keeps its InDol, as entries with no rate do.
        const double rate = rows.toDouble(row, cKurs);
        std::optional<bool> more;
        if (valuta.isEmpty())
            more = true;
        else if (const auto i = balances.indexOf(valuta))
            more = balances.currencies()[*i].More;
        const auto inDol = more ? ToMainCurrencyAt(value, rate, *more) : std::nullopt;
        if (inDol && !readOnly &&
            (IsNull(rows.value(row, cInDol)) || rows.toDouble(row, cInDol) != *inDol)) {
            changed.push_back(row);
            inDols.push_back(*inDol);
        }
    }
    if (!changed.empty()) {
        d.setFieldAt(changed, cInDol, inDols);
        result.entriesWritten = int(changed.size());
    }

    QList<Currency>& currencies = result.currencies;
    currencies = balances.currencies();
    StoreBalances(v, currencies);
    t.commit();
    d.first();

    result.totalMain = TotalInMainCurrency(currencies);
    result.total = result.totalMain;
    if (const auto chosen = TotalInCurrency(result.totalMain, currencies, totalSign)) {
        result.total = *chosen;
        result.totalSign = totalSign;
    } else {
        for (const Currency& c : currencies) {
            if (c.Def) {
                result.totalSign = c.Znak;
                break;
            }
        }
    }
    result.labelText = TotalText(result.total);
    result.lines = BalanceLines(currencies);
    result.labelHint = BalanceHint(result.lines);
    return result;
}

} // namespace zovi
