#include "ledger/exchange.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

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

// The amount received for the amount and rate read from the entry, by its currencies' signs.
double AmountReceived(LedgerTables& data, const ExchangeEntry& entry, double amount, double rate) {
    const QList<Currency> currencies = ReadCurrencies(data.tbValuta);
    return AmountReceived(amount, rate, CurrencyWithSign(currencies, entry.givenSign),
                          CurrencyWithSign(currencies, entry.receivedSign));
}

Checked Check(LedgerTables& data, const ExchangeEntry& entry) {
    const auto check = CheckExchange(data, entry).require();
    Checked checked{check.amount, check.rate, RequireCurrencyName(data.tbValuta, entry.givenSign),
                    RequireCurrencyName(data.tbValuta, entry.receivedSign), 0};
    checked.amountReceived = AmountReceived(data, entry, check.amount, check.rate);
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
    WriteExchangeRow(d, {entry.date, entry.name, account, marker, checked.amount, checked.given,
                         entry.givenSign, checked.amountReceived, checked.received,
                         entry.receivedSign, checked.rate});
}

} // namespace

void WriteExchangeRow(TableHandle& d, const ExchangeRow& row) {
    d.field(fields::Data::Type).setText(TypeCode(EntryKind::Exchange));
    d.field(fields::Data::Name).setText(row.name);
    d.field(fields::Data::Date).setDate(row.date);
    d.field(fields::Data::Kurs).setDouble(row.rate);
    d.field(fields::Data::ValueRashod).setDouble(-row.given);
    d.field(fields::Data::ValutaRashod).setText(row.givenName);
    d.field(fields::Data::ValutaDohod).setText(row.receivedName);
    d.field(fields::Data::ValueDohod).setDouble(row.received);
    d.field(fields::Data::Gr1).setText(row.account);
    d.field(fields::Data::Gr2).setText(row.marker);
    d.field(fields::Data::Dohod).setText(SideText(d, fields::Data::ValueDohod, row.receivedSign));
    d.field(fields::Data::Rashod).setText(SideText(d, fields::Data::ValueRashod, row.givenSign));
}

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

EntryCheck<ExchangeEntry> CheckExchange(LedgerTables& data, const ExchangeEntry& entry) {
    EntryCheck<ExchangeEntry> check{entry, std::nullopt};
    const auto refuse = [&check](const char* key, const char* builtIn, EntryInput input) {
        check.refusal = EntryRefusal{QString::fromLatin1(key), QString::fromLatin1(builtIn), input};
        return check;
    };
    // ToAmount refuses what IsNotNumber refuses, and also what passes that character check
    // without being one number ("1.2.3").
    const auto amount = ToAmount(entry.amount);
    if (!amount)
        return refuse("err004", "Error #004", EntryInput::Amount);
    if ((check.refusal = AmountLimitRefusal(*amount, EntryInput::Amount)))
        return check;
    if (IsBlank(entry.name))
        return refuse("err001", "Error #001", EntryInput::Name);
    // A rate of 0 would make the amount received a division by zero.
    const auto rate = ToAmount(entry.rate);
    if (!rate || *rate == 0)
        return refuse("err005", "Error #005", EntryInput::Rate);
    if ((check.refusal = AmountLimitRefusal(*rate, EntryInput::Rate)))
        return check;
    if (entry.givenSign.isEmpty() || entry.receivedSign.isEmpty()) {
        return refuse("", "Choose the currency given and the currency received.",
                      entry.givenSign.isEmpty() ? EntryInput::Currency
                                                : EntryInput::SecondCurrency);
    }
    if (entry.givenSign == entry.receivedSign)
        return refuse("err006", "Error #006", EntryInput::SecondCurrency);
    // Both within the limit, their product or quotient may still lie beyond it.
    if ((check.refusal =
             AmountLimitRefusal(AmountReceived(data, entry, *amount, *rate), EntryInput::Rate)))
        return check;
    NormalizeDecimal(entry.rate, check.entry.rate);
    NormalizeDecimal(entry.amount, check.entry.amount);
    check.amount = *amount;
    check.rate = *rate;
    return check;
}

ExchangeEntry ReadExchange(LedgerTables& data, qint64 id) {
    EntryById row(data, id);
    TableHandle& d = row.require(id);
    ExchangeEntry entry;
    entry.date = d.field(fields::Data::Date).toDate();
    entry.name = d.field(fields::Data::Name).text();
    entry.amount = NumberText(-d.field(fields::Data::ValueRashod).toDouble());
    entry.rate = d.field(fields::Data::Kurs).text();
    entry.givenSign = CurrencySignForName(data.tbValuta, d.field(fields::Data::ValutaRashod).text())
                          .value_or(QString());
    entry.receivedSign =
        CurrencySignForName(data.tbValuta, d.field(fields::Data::ValutaDohod).text())
            .value_or(QString());
    return entry;
}

qint64 AppendExchange(LedgerTables& data, const ExchangeEntry& entry, const QString& account) {
    const Checked checked = Check(data, entry);
    const QString marker = QString::fromLatin1(Info(EntryKind::Exchange).marker);
    return AppendRow(data.tbData,
                     [&](TableHandle& d) { WriteFields(d, entry, checked, account, marker); });
}

void RewriteExchange(LedgerTables& data, qint64 id, const ExchangeEntry& entry,
                     const QString& account) {
    const Checked checked = Check(data, entry);
    Transaction t;
    {
        EntryById row(data, id);
        TableHandle& d = row.require(id);
        // An unfinished edit is dropped when the view is left by an error.
        d.edit();
        WriteFields(d, entry, checked, account, EditedExchangeMarker());
        d.post();
    }
    t.commit();
    RefreshLedgerViews(data);
}

} // namespace zovi
