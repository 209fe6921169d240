#include "ledger/currency.h"

#include "core/lang.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "ledger/entryrow.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <QHash>
#include <QVariant>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace zovi {

namespace {

bool UsableRate(double rate) {
    return std::isfinite(rate) && rate != 0;
}

// Moves the cursor to the currency at row (0-based, table order); a row that is not there is
// refused. Returns the row's record number.
int LocateCurrency(TableHandle& valuta, int row) {
    if (!valuta.isOpen() || row < 0 || row >= valuta.recordCount())
        throw StoreError(QStringLiteral("There is no currency to work on."));
    valuta.setRecNo(row + 1);
    return row + 1;
}

// Every field of the current row, in column order.
std::vector<QVariant> RowValues(TableHandle& t) {
    std::vector<QVariant> values;
    for (int c = 0; c < t.fieldCount(); ++c)
        values.push_back(t.field(c).toVariant());
    return values;
}

void WriteRow(TableHandle& t, const std::vector<QVariant>& values) {
    t.edit();
    for (int c = 0; c < t.fieldCount(); ++c)
        t.field(c).setVariant(values[size_t(c)]);
    t.post();
}

// A money text that ends with the old sign gets the new one; other texts stay as they are.
QString WithSign(const QString& text, const QString& oldSign, const QString& newSign) {
    const QString suffix = QLatin1Char(' ') + oldSign;
    if (oldSign.isEmpty() || !text.endsWith(suffix))
        return text;
    return text.left(text.size() - suffix.size()) + QLatin1Char(' ') + newSign;
}

} // namespace

Currency ReadCurrency(TableHandle& valuta) {
    Currency c;
    c.Def = valuta.field(fields::Valuta::Def).toBool();
    c.Name = valuta.field(fields::Valuta::Name).text();
    c.Znak = valuta.field(fields::Valuta::Znak).text();
    c.Kurs = valuta.field(fields::Valuta::Kurs).toDouble();
    c.More = valuta.field(fields::Valuta::More).toBool();
    c.OldValue = valuta.field(fields::Valuta::OldValue).text();
    c.Value = valuta.field(fields::Valuta::Value).toDouble();
    c.ValueSTR = valuta.field(fields::Valuta::ValueSTR).text();
    return c;
}

QList<Currency> ReadCurrencies(TableHandle& valuta) {
    QList<Currency> list;
    if (!valuta.isOpen())
        return list;
    const int at = valuta.recNo();
    for (valuta.first(); !valuta.eof(); valuta.next())
        list.append(ReadCurrency(valuta));
    if (at > 0)
        valuta.setRecNo(at);
    return list;
}

QList<CurrencyListRow> CurrencyListRows(const QList<Currency>& currencies) {
    QString mainSign;
    for (const Currency& c : currencies) {
        if (c.Def) {
            mainSign = c.Znak;
            break;
        }
    }
    const QString forText = LangText(QStringLiteral("currencyfor"), QStringLiteral("for"));
    const QString mainText = LangText(QStringLiteral("currencygen"), QStringLiteral("MAIN"));
    const QString oneUnit = QLatin1Char(' ') + forText + QStringLiteral(" 1 ");
    QList<CurrencyListRow> rows;
    for (const Currency& c : currencies) {
        CurrencyListRow row;
        row.main = c.Def;
        row.mark = c.Def ? QStringLiteral("+") : QStringLiteral("-");
        row.name = c.Name + QStringLiteral(" (") + c.Znak + QLatin1Char(')');
        row.oldValue = c.OldValue + QLatin1Char(' ') + c.Znak;
        const QString rate = NumberText(c.Kurs) + QLatin1Char(' ');
        if (c.Def)
            row.rate = mainText;
        else if (c.More)
            row.rate = rate + mainSign + oneUnit + c.Znak;
        else
            row.rate = rate + c.Znak + oneUnit + mainSign;
        rows.append(row);
    }
    return rows;
}

std::optional<double> ToMainCurrencyAt(double amount, double rate, bool more) {
    if (!UsableRate(rate))
        return std::nullopt;
    return more ? amount * rate : amount / rate;
}

std::optional<double> FromMainCurrencyAt(double amount, double rate, bool more) {
    if (!UsableRate(rate))
        return std::nullopt;
    return more ? amount / rate : amount * rate;
}

std::optional<double> ToMainCurrency(double amount, const Currency& currency) {
    if (currency.Def)
        return amount;
    return ToMainCurrencyAt(amount, currency.Kurs, currency.More);
}

std::optional<double> FromMainCurrency(double amount, const Currency& currency) {
    if (currency.Def)
        return amount;
    return FromMainCurrencyAt(amount, currency.Kurs, currency.More);
}

std::optional<double> ConvertCurrency(double amount, const Currency& from, const Currency& to) {
    const auto main = ToMainCurrency(amount, from);
    if (!main)
        return std::nullopt;
    return FromMainCurrency(*main, to);
}

std::optional<double> OpeningBalance(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return 0.0;
    bool negative = false;
    if (t.startsWith(QLatin1Char('-'))) {
        negative = true;
        t = t.mid(1);
    }
    const auto value = ToAmount(t);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

void CheckCurrencyInput(const CurrencyInput& input, bool mainCurrency) {
    if (!mainCurrency) {
        const auto rate = ToAmount(input.rate);
        if (!rate || !(*rate > 0))
            throw StoreError(
                QStringLiteral("The rate \"%1\" is not a positive number.").arg(input.rate));
        if (!WithinAmountLimit(*rate))
            throw StoreError(
                QStringLiteral("The rate \"%1\": %2").arg(input.rate, AmountLimitMessage()));
    }
    const auto opening = OpeningBalance(input.oldValue);
    if (input.oldValue.trimmed().isEmpty() || !opening)
        throw StoreError(
            QStringLiteral("The opening balance \"%1\" is not a number.").arg(input.oldValue));
    if (!WithinAmountLimit(*opening))
        throw StoreError(QStringLiteral("The opening balance \"%1\": %2")
                             .arg(input.oldValue, AmountLimitMessage()));
}

void AddCurrency(LedgerTables& data, const CurrencyInput& input) {
    CheckCurrencyInput(input, false);
    TableHandle& v = data.tbValuta;
    // Rates are read against the main currency: while a database has none (no currency yet, or
    // none marked), the currency added becomes the main one, with rate 1 as "Setup as main"
    // gives it, so that every rate has something to be read against.
    bool hasMain = false;
    for (const Currency& c : ReadCurrencies(v))
        hasMain = hasMain || c.Def;
    Transaction t;
    v.append();
    v.field(fields::Valuta::Def).setBool(!hasMain);
    v.field(fields::Valuta::Name).setText(input.name);
    v.field(fields::Valuta::Znak).setText(input.sign);
    v.field(fields::Valuta::Kurs).setDouble(hasMain ? *ToAmount(input.rate) : 1.0);
    v.field(fields::Valuta::More).setBool(input.more);
    v.field(fields::Valuta::OldValue).setText(NumberText(*OpeningBalance(input.oldValue)));
    v.post();
    t.commit();
    v.first();
}

void EditCurrency(LedgerTables& data, int row, const CurrencyInput& input) {
    TableHandle& v = data.tbValuta;
    const int at = LocateCurrency(v, row);
    const Currency old = ReadCurrency(v);
    CheckCurrencyInput(input, old.Def);

    Transaction t;
    {
        // Every ledger row, also those the grid's filter hides, follows the new name and sign.
        UnfilteredView walk(data.tbData);
        TableHandle& d = data.tbData;
        const int cType = d.fieldIndex(fields::Data::Type);
        const int cValuta = d.fieldIndex(fields::Data::Valuta);
        const int cValutaDohod = d.fieldIndex(fields::Data::ValutaDohod);
        const int cValutaRashod = d.fieldIndex(fields::Data::ValutaRashod);
        const int cDohod = d.fieldIndex(fields::Data::Dohod);
        const int cRashod = d.fieldIndex(fields::Data::Rashod);
        const int cValue = d.fieldIndex(fields::Data::Value);
        for (d.first(); !d.eof(); d.next()) {
            if (d.field(cType).text() == QLatin1String("O")) {
                // An exchange names its two currencies apart; each side whose currency is
                // renamed gets the new name, and its money text the new sign.
                const bool received = d.field(cValutaDohod).text() == old.Name;
                const bool given = d.field(cValutaRashod).text() == old.Name;
                if (!received && !given)
                    continue;
                d.edit();
                if (received) {
                    d.field(cValutaDohod).setText(input.name);
                    d.field(cDohod).setText(WithSign(d.field(cDohod).text(), old.Znak, input.sign));
                }
                if (given) {
                    d.field(cValutaRashod).setText(input.name);
                    d.field(cRashod).setText(
                        WithSign(d.field(cRashod).text(), old.Znak, input.sign));
                }
                d.post();
                continue;
            }
            if (d.field(cValuta).text() != old.Name)
                continue;
            const double value = d.field(cValue).toDouble();
            d.edit();
            d.field(cValuta).setText(input.name);
            if (value >= 0)
                d.field(cDohod).setText(NumberText(value) + QLatin1Char(' ') + input.sign);
            else
                d.field(cRashod).setText(NumberText(-value) + QLatin1Char(' ') + input.sign);
            d.post();
        }
    }

    v.setRecNo(at);
    v.edit();
    v.field(fields::Valuta::Name).setText(input.name);
    v.field(fields::Valuta::Znak).setText(input.sign);
    if (!old.Def) {
        // The main currency's rate and direction cannot be edited: they stay as stored.
        v.field(fields::Valuta::Kurs).setDouble(*ToAmount(input.rate));
        v.field(fields::Valuta::More).setBool(input.more);
    }
    v.field(fields::Valuta::OldValue).setText(NumberText(*OpeningBalance(input.oldValue)));
    v.post();
    t.commit();

    // The grid's two extra money columns name their currencies: they follow the rename, or the
    // column of a merely renamed currency would vanish. Written once the rows are committed,
    // so that a refused rename leaves them alone.
    if (input.name != old.Name) {
        for (const Setting<QString>* shown :
             {&settings::displayCurrency1, &settings::displayCurrency2}) {
            if (shown->stored() && shown->read() == old.Name)
                shown->write(input.name);
        }
    }

    for (TableHandle* h : {&data.tbData, &data.tbData2, &data.tbData3}) {
        if (h->isOpen())
            h->refresh();
    }
    v.setRecNo(at);
}

std::optional<QString> CurrencyDeleteRefusal(LedgerTables& data, int row) {
    TableHandle& v = data.tbValuta;
    LocateCurrency(v, row);
    const Currency c = ReadCurrency(v);
    if (c.Def)
        return LangText(QStringLiteral("err013"), QStringLiteral("error #13"));
    const QString used = LangText(QStringLiteral("err012"), QStringLiteral("error #12"));
    // Entries the balance view filters out still use the currency.
    UnfilteredView walk(data.tbData2);
    TableHandle& d = data.tbData2;
    const int columns[] = {d.fieldIndex(fields::Data::Valuta),
                           d.fieldIndex(fields::Data::ValutaDohod),
                           d.fieldIndex(fields::Data::ValutaRashod)};
    const int count = d.recordCount();
    for (int entry = 0; entry < count; ++entry) {
        for (int column : columns) {
            if (d.textAt(entry, column) == c.Name)
                return used;
        }
    }
    return std::nullopt;
}

void DeleteCurrency(LedgerTables& data, int row) {
    if (const auto refusal = CurrencyDeleteRefusal(data, row))
        throw StoreError(*refusal);
    LocateCurrency(data.tbValuta, row);
    Transaction t;
    data.tbValuta.remove();
    t.commit();
    data.tbValuta.first();
}

void SetMainCurrency(LedgerTables& data, int row) {
    TableHandle& v = data.tbValuta;
    const int at = LocateCurrency(v, row);
    const QList<Currency> currencies = ReadCurrencies(v);
    const Currency& chosen = currencies[row];
    // Already the main one: its rate is 1 and the others are read against it as they are.
    const bool change = !chosen.Def;
    const double mainRate = change ? chosen.Kurs : 1.0;
    const bool mainMore = chosen.More;
    if (!UsableRate(mainRate))
        throw StoreError(LangText(QStringLiteral("mainratezero"),
                                  QStringLiteral("The rate of %1 is 0, so its worth in the main "
                                                 "currency is unknown: give it a rate first."))
                             .arg(chosen.Name));
    // A rate read in direction more against the old main currency, restated against the chosen
    // one and read in direction newMore, so that every amount is worth what it was worth.
    const auto restated = [&](double rate, bool more, bool newMore) {
        const double rated = more == mainMore ? rate / mainRate : rate * mainRate;
        return more == newMore ? rated : 1 / rated;
    };
    // The old main currency is read the other way round from the chosen one, so that its rate
    // is the chosen one's: with Dollar More at 90 made main, Rouble is 90 Less (90 R for 1 $).
    // The others keep their direction. Entries take theirs from the first currency of a name.
    QHash<QString, std::pair<bool, bool>> directions; // before and after
    for (const Currency& c : currencies) {
        if (!directions.contains(c.Name))
            directions.insert(c.Name, {c.More, change && c.Def ? !mainMore : c.More});
    }

    Transaction t;
    int recNo = 1;
    for (v.first(); !v.eof(); v.next(), ++recNo) {
        const Currency& c = currencies[recNo - 1];
        v.edit();
        v.field(fields::Valuta::Def).setBool(recNo == at);
        if (recNo == at) {
            v.field(fields::Valuta::Kurs).setDouble(1);
        } else if (change && c.Def) {
            // One unit of it was one old main unit: read the other way round, the new main
            // currency's rate says what it is worth now.
            v.field(fields::Valuta::Kurs).setDouble(mainRate);
            v.field(fields::Valuta::More).setBool(!mainMore);
        } else if (UsableRate(c.Kurs)) {
            v.field(fields::Valuta::Kurs).setDouble(restated(c.Kurs, c.More, c.More));
        }
        v.post();
    }

    // The amounts in the main currency: an entry's own rate is restated like the currencies'
    // and its amount converted again at it; an entry without a usable rate keeps its figure,
    // restated in the chosen currency. Exchanges carry a rate between their two currencies and
    // no figure of their own.
    if (change) {
        TableHandle& d = data.tbData2;
        UnfilteredView walk(d);
        const int cType = d.fieldIndex(fields::Data::Type);
        const int cValuta = d.fieldIndex(fields::Data::Valuta);
        const int cValue = d.fieldIndex(fields::Data::Value);
        const int cKurs = d.fieldIndex(fields::Data::Kurs);
        const int cInDol = d.fieldIndex(fields::Data::InDol);
        const int count = d.recordCount();
        for (int entry = 0; entry < count; ++entry) {
            if (d.textAt(entry, cType) == QLatin1String("O"))
                continue;
            const QString valuta = d.textAt(entry, cValuta);
            // An empty currency counts as More; a currency no record bears has no direction.
            std::optional<std::pair<bool, bool>> direction;
            if (valuta.isEmpty())
                direction = std::pair(true, true);
            else if (const auto it = directions.constFind(valuta); it != directions.cend())
                direction = *it;
            d.setRecNo(entry + 1);
            const double rate = d.field(cKurs).toDouble();
            if (direction && UsableRate(rate)) {
                const auto [more, newMore] = *direction;
                const double newRate = restated(rate, more, newMore);
                d.edit();
                d.field(cKurs).setDouble(newRate);
                d.field(cInDol).setDouble(
                    *ToMainCurrencyAt(d.field(cValue).toDouble(), newRate, newMore));
                d.post();
            } else if (!d.field(cInDol).isNull()) {
                d.edit();
                d.field(cInDol).setDouble(
                    *FromMainCurrencyAt(d.field(cInDol).toDouble(), mainRate, mainMore));
                d.post();
            }
        }
    }
    t.commit();
    RefreshLedgerViews(data);
    v.setRecNo(at);
}

bool MoveCurrency(LedgerTables& data, int row, bool up) {
    TableHandle& v = data.tbValuta;
    if (!v.isOpen() || row < 0 || row >= v.recordCount())
        return false;
    const int at = LocateCurrency(v, row);
    const int other = up ? at - 1 : at + 1;
    if (other < 1 || other > v.recordCount())
        return false;
    Transaction t;
    const std::vector<QVariant> moving = RowValues(v);
    v.setRecNo(other);
    const std::vector<QVariant> neighbour = RowValues(v);
    WriteRow(v, moving);
    v.setRecNo(at);
    WriteRow(v, neighbour);
    t.commit();
    v.setRecNo(other);
    return true;
}

} // namespace zovi
