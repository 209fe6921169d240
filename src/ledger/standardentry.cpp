#include "ledger/standardentry.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <cmath>

namespace zovi {

namespace {

std::optional<QString> LookupCurrency(TableHandle& valuta, const QString& key, const QString& value,
                                      const QString& result) {
    if (!valuta.isOpen())
        return std::nullopt;
    const int keyColumn = valuta.fieldIndex(key);
    const int resultColumn = valuta.fieldIndex(result);
    for (int row = 0; row < valuta.recordCount(); ++row) {
        if (valuta.textAt(row, keyColumn) == value)
            return valuta.textAt(row, resultColumn);
    }
    return std::nullopt;
}

// Writes every field of an income or charge into the row being edited or appended.
void WriteFields(TableHandle& d, const StandardEntry& entry, const CheckedAmount& checked,
                 const QString& account) {
    const EntryKind kind = entry.income ? EntryKind::Income : EntryKind::Charge;
    WriteEntryFields(
        d, {kind, entry.date, entry.name, account, entry.group, entry.amount, entry.currencySign},
        checked);
    d.field(fields::Data::NameRashod).setText(entry.subGroup);
}

} // namespace

EntryCheck<StandardEntry> CheckStandardEntry(LedgerTables& /*data*/, const StandardEntry& entry) {
    EntryCheck<StandardEntry> check{entry, std::nullopt};
    const auto refuse = [&check](const char* key, EntryInput input) {
        check.refusal = EntryRefusal{QString::fromLatin1(key), QString(), input};
        return check;
    };
    if (IsBlank(entry.name))
        return refuse("err001", EntryInput::Name);
    if (IsNotNumber(entry.amount))
        return refuse("err004", EntryInput::Amount);
    NormalizeDecimal(entry.amount, check.entry.amount);
    // "1.2.3" or a lone separator pass the character check but are no number.
    const auto amount = ToAmount(check.entry.amount);
    if (!amount)
        return refuse("err004", EntryInput::Amount);
    if ((check.refusal = AmountLimitRefusal(*amount, EntryInput::Amount)))
        return check;
    if (entry.group.isEmpty())
        return refuse("err002", EntryInput::Group);
    check.amount = *amount;
    return check;
}

void WriteEntryFields(TableHandle& d, const EntryFields& fields, const CheckedAmount& checked) {
    const EntryKindInfo& info = Info(fields.kind);
    const bool income = info.side == AmountSide::Income;
    d.field(fields::Data::Date).setDate(fields.date);
    d.field(fields::Data::Name).setText(fields.name);
    d.field(fields::Data::Value).setDouble(info.sign * checked.amount);
    d.field(income ? fields::Data::Dohod : fields::Data::Rashod)
        .setText(AmountText(fields.amount, fields.currencySign));
    d.field(income ? fields::Data::Rashod : fields::Data::Dohod).clear();
    d.field(fields::Data::Gr1).setText(fields.account);
    d.field(fields::Data::Gr2).setText(fields.group);
    d.field(fields::Data::Valuta).setText(checked.currency);
    d.field(fields::Data::Type).setText(TypeCode(fields.kind));
}

QStringList CurrencySigns(TableHandle& valuta) {
    QStringList signs;
    if (valuta.isOpen()) {
        const int column = valuta.fieldIndex(fields::Valuta::Znak);
        for (int row = 0; row < valuta.recordCount(); ++row)
            signs << valuta.textAt(row, column);
    }
    return signs;
}

std::optional<QString> CurrencyNameForSign(TableHandle& valuta, const QString& sign) {
    return LookupCurrency(valuta, fields::Valuta::Znak, sign, fields::Valuta::Name);
}

std::optional<QString> CurrencySignForName(TableHandle& valuta, const QString& name) {
    return LookupCurrency(valuta, fields::Valuta::Name, name, fields::Valuta::Znak);
}

QString RequireCurrencyName(TableHandle& valuta, const QString& sign) {
    const auto currency = CurrencyNameForSign(valuta, sign);
    if (!currency) {
        throw StoreError(sign.isEmpty()
                             ? QStringLiteral("There is no currency to store the entry in. "
                                              "Add a currency first (menu \"Currency\").")
                             : QStringLiteral("No currency has the sign \"%1\" any more; "
                                              "the entry was not stored. Choose the currency "
                                              "again.")
                                   .arg(sign));
    }
    return *currency;
}

qint64 AppendRow(TableHandle& d, const std::function<void(TableHandle&)>& write) {
    Transaction t;
    d.append();
    try {
        write(d);
        d.post();
    } catch (...) {
        d.cancel();
        throw;
    }
    t.commit();
    return d.lastInsertedRowid();
}

QString EditableAmount(double value) {
    return NumberText(std::fabs(value));
}

StandardEntry ReadStandardEntry(LedgerTables& data, qint64 id) {
    EntryById entry(data, id);
    TableHandle& d = entry.require(id);
    StandardEntry read;
    read.income = d.field(fields::Data::Type).text() == TypeCode(EntryKind::Income);
    read.date = d.field(fields::Data::Date).toDate();
    read.name = d.field(fields::Data::Name).text();
    read.amount = EditableAmount(d.field(fields::Data::Value).toDouble());
    read.currencySign = CurrencySignForName(data.tbValuta, d.field(fields::Data::Valuta).text())
                            .value_or(QString());
    read.group = d.field(fields::Data::Gr2).text();
    read.subGroup = d.field(fields::Data::NameRashod).text();
    return read;
}

qint64 AppendStandardEntry(LedgerTables& data, const StandardEntry& entry, const QString& account,
                           const std::optional<Repeat>& repeat) {
    const auto check = CheckStandardEntry(data, entry).require();
    const CheckedAmount checked{check.amount,
                                RequireCurrencyName(data.tbValuta, entry.currencySign)};
    if (!repeat) {
        return AppendRow(data.tbData,
                         [&](TableHandle& d) { WriteFields(d, check.entry, checked, account); });
    }
    const QList<QDate> dates = RepeatDates(check.entry.date, *repeat);
    TableHandle& d = data.tbData;
    qint64 series = 0;
    Transaction t;
    {
        UnfilteredView all(d);
        all.forgetPosition();
        StandardEntry repetition = check.entry;
        for (const QDate& date : dates) {
            repetition.date = date;
            d.append();
            WriteFields(d, repetition, checked, account);
            if (series != 0)
                d.field(fields::Data::IDgrA).setInt(series);
            d.post();
            if (series == 0) {
                // The first row's ID marks the series, itself included.
                series = d.field(fields::Data::ID).toInt();
                d.edit();
                d.field(fields::Data::IDgrA).setInt(series);
                d.post();
            }
        }
    }
    t.commit();
    RefreshLedgerViews(data);
    return series;
}

void RewriteStandardEntry(LedgerTables& data, qint64 id, const StandardEntry& entry,
                          const QString& account) {
    const auto check = CheckStandardEntry(data, entry).require();
    const CheckedAmount checked{check.amount,
                                RequireCurrencyName(data.tbValuta, entry.currencySign)};
    Transaction t;
    {
        EntryById row(data, id);
        TableHandle& d = row.require(id);
        // An unfinished edit is dropped when the view is left by an error.
        d.edit();
        for (FieldName field :
             {fields::Data::Dohod, fields::Data::Rashod, fields::Data::Valuta, fields::Data::Type})
            d.field(field).clear();
        d.post();
        d.edit();
        WriteFields(d, check.entry, checked, account);
        d.post();
    }
    t.commit();
    RefreshLedgerViews(data);
}

} // namespace zovi
