#include "ledger/exchange.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <cmath>

namespace zovi {

namespace {

// The checked values of an exchange about to be written.
struct Checked {
    double amount;
    double rate;
    QString given; // currency names
    QString received;
    double amountReceived;
};

// The first currency with the sign, as the look-up by sign finds it.
Currency CurrencyWithSign(const QList<Currency>& currencies, const QString& sign) {
    for (const Currency& c : currencies) {
        if (c.Znak == sign)
            return c;
    }
    return {};
}

Checked Check(Tdata& data, const ExchangeEntry& entry) {
    const auto amount = ToAmount(entry.amount);
    if (!amount)
        throw StoreError(LangText(QStringLiteral("err004"), QStringLiteral("Error #004")));
    // A rate of 0 would divide by zero or give nothing for the money given.
    const auto rate = ToAmount(entry.rate);
    if (!rate || *rate == 0)
        throw StoreError(LangText(QStringLiteral("err005"), QStringLiteral("Error #005")));
    Checked checked{*amount, *rate, RequireCurrencyName(data.tbValuta, entry.givenSign),
                    RequireCurrencyName(data.tbValuta, entry.receivedSign), 0};
    const QList<Currency> currencies = ReadCurrencies(data.tbValuta);
    checked.amountReceived =
        AmountReceived(*amount, *rate, CurrencyWithSign(currencies, entry.givenSign),
                       CurrencyWithSign(currencies, entry.receivedSign));
    return checked;
}

// The money text of an exchange side: the stored value as the table gives it back, without
// its minus, cut after two decimals, a blank and the sign.
QString SideText(TableHandle& d, const QString& field, const QString& sign) {
    QString text = d.field(field).text();
    if (text.startsWith(u'-'))
        text.remove(0, 1);
    return CutAfterTwoDecimals(text) + QLatin1Char(' ') + sign;
}

void WriteFields(TableHandle& d, const ExchangeEntry& entry, const Checked& checked,
                 const QString& account, const QString& marker) {
    d.field(QStringLiteral("Type")).setText(TypeCode(EntryKind::Exchange));
    d.field(QStringLiteral("Name")).setText(entry.name);
    d.field(QStringLiteral("Date")).setDate(entry.date);
    d.field(QStringLiteral("Kurs")).setDouble(checked.rate);
    d.field(QStringLiteral("ValueRashod")).setDouble(-checked.amount);
    d.field(QStringLiteral("ValutaRashod")).setText(checked.given);
    d.field(QStringLiteral("ValutaDohod")).setText(checked.received);
    d.field(QStringLiteral("ValueDohod")).setDouble(checked.amountReceived);
    d.field(QStringLiteral("Gr1")).setText(account);
    d.field(QStringLiteral("Gr2")).setText(marker);
    d.field(QStringLiteral("Dohod"))
        .setText(SideText(d, QStringLiteral("ValueDohod"), entry.receivedSign));
    d.field(QStringLiteral("Rashod"))
        .setText(SideText(d, QStringLiteral("ValueRashod"), entry.givenSign));
}

} // namespace

bool RateMultiplies(const Currency& given, const Currency& received) {
    if (given.Def && received.More)
        return false;
    if (received.Def && given.More)
        return true;
    if (given.Def || received.Def)
        return true;
    if (given.More != received.More)
        return received.More;
    // nearbyint rounds in the current rounding mode, which is halves to even.
    return std::nearbyint(received.Kurs) <= std::nearbyint(given.Kurs);
}

double AmountReceived(double amount, double rate, const Currency& given, const Currency& received) {
    return RateMultiplies(given, received) ? amount * rate : amount / rate;
}

ExchangeEntry ReadExchange(Tdata& data) {
    TableHandle& d = data.tbData;
    ExchangeEntry entry;
    entry.date = d.field(QStringLiteral("Date")).toDate();
    entry.name = d.field(QStringLiteral("Name")).text();
    entry.amount = NumberText(-d.field(QStringLiteral("ValueRashod")).toDouble());
    entry.rate = d.field(QStringLiteral("Kurs")).text();
    entry.givenSign =
        CurrencySignForName(data.tbValuta, d.field(QStringLiteral("ValutaRashod")).text())
            .value_or(QString());
    entry.receivedSign =
        CurrencySignForName(data.tbValuta, d.field(QStringLiteral("ValutaDohod")).text())
            .value_or(QString());
    return entry;
}

void AppendExchange(Tdata& data, const ExchangeEntry& entry, const QString& account) {
    const Checked checked = Check(data, entry);
    const QString marker = QString::fromLatin1(Info(EntryKind::Exchange).marker);
    StoreRow(data.tbData, true,
             [&](TableHandle& d) { WriteFields(d, entry, checked, account, marker); });
}

void RewriteExchange(Tdata& data, const ExchangeEntry& entry, const QString& account) {
    TableHandle& d = data.tbData;
    if (!d.isOpen() || d.isEmpty())
        throw StoreError(QStringLiteral("There is no entry to change."));
    const Checked checked = Check(data, entry);
    StoreRow(d, false, [&](TableHandle& row) {
        WriteFields(row, entry, checked, account, EditedExchangeMarker());
    });
}

} // namespace zovi
