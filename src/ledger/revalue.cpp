#include "ledger/revalue.h"

#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/transaction.h"

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
    QList<Currency>& currencies = result.currencies;
    currencies = ReadCurrencies(v);

    // The first currency of a name takes the entries that name it.
    QHash<QString, qsizetype> byName;
    for (qsizetype i = 0; i < currencies.size(); ++i) {
        Currency& c = currencies[i];
        c.Value = withOpeningBalances ? OpeningBalance(c.OldValue).value_or(0) : 0;
        if (!byName.contains(c.Name))
            byName.insert(c.Name, i);
    }
    const auto add = [&](const QString& name, double amount) {
        const auto it = byName.constFind(name);
        if (it != byName.cend())
            currencies[*it].Value += amount;
    };

    Transaction t;
    d.refresh();
    const int cType = d.fieldIndex(fields::Data::Type);
    const int cValue = d.fieldIndex(fields::Data::Value);
    const int cValuta = d.fieldIndex(fields::Data::Valuta);
    const int cValueDohod = d.fieldIndex(fields::Data::ValueDohod);
    const int cValueRashod = d.fieldIndex(fields::Data::ValueRashod);
    const int cValutaDohod = d.fieldIndex(fields::Data::ValutaDohod);
    const int cValutaRashod = d.fieldIndex(fields::Data::ValutaRashod);
    const int cKurs = d.fieldIndex(fields::Data::Kurs);
    const int cInDol = d.fieldIndex(fields::Data::InDol);

    int row = 0;
    while (row < d.recordCount()) {
        d.setRecNo(row + 1);
        if (d.field(cType).text() == QLatin1String("O")) {
            add(d.field(cValutaDohod).text(), d.field(cValueDohod).toDouble());
            add(d.field(cValutaRashod).text(), d.field(cValueRashod).toDouble());
            ++row;
            continue;
        }
        const QString valuta = d.field(cValuta).text();
        const double value = d.field(cValue).toDouble();
        add(valuta, value);

        // InDol at the entry's own rate; the direction comes from its currency, an empty
        // currency counting as More. A currency no record bears gives no direction, so such
        // an entry keeps its InDol, as entries with no rate do.
        const double rate = d.field(cKurs).toDouble();
        std::optional<bool> more;
        if (valuta.isEmpty())
            more = true;
        else if (const auto it = byName.constFind(valuta); it != byName.cend())
            more = currencies[*it].More;
        const auto inDol = more ? ToMainCurrencyAt(value, rate, *more) : std::nullopt;
        if (inDol && !d.isReadOnly() &&
            (d.field(cInDol).isNull() || d.field(cInDol).toDouble() != *inDol)) {
            const int before = d.recordCount();
            d.edit();
            d.field(cInDol).setDouble(*inDol);
            d.post();
            ++result.entriesWritten;
            // A filter on InDol may drop the row from the view; the cursor is then already on
            // the row that followed it.
            if (d.recordCount() < before)
                continue;
        }
        ++row;
    }

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
