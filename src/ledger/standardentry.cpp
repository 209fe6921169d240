#include "ledger/standardentry.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "ledger/entrykinds.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <cmath>

namespace zovi {

namespace {

const QString kName = QStringLiteral("Name");
const QString kZnak = QStringLiteral("Znak");

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
    d.field(QStringLiteral("NameRashod")).setText(entry.subGroup);
}

} // namespace

CheckedAmount CheckAmountAndCurrency(Tdata& data, const QString& amount,
                                     const QString& currencySign) {
    const auto value = ToAmount(amount);
    if (!value)
        throw StoreError(LangText(QStringLiteral("err004"), QString()));
    return {*value, RequireCurrencyName(data.tbValuta, currencySign)};
}

void WriteEntryFields(TableHandle& d, const EntryFields& fields, const CheckedAmount& checked) {
    const EntryKindInfo& info = Info(fields.kind);
    const bool income = info.side == AmountSide::Income;
    d.field(QStringLiteral("Date")).setDate(fields.date);
    d.field(kName).setText(fields.name);
    d.field(QStringLiteral("Value")).setDouble(info.sign * checked.amount);
    d.field(income ? QStringLiteral("Dohod") : QStringLiteral("Rashod"))
        .setText(AmountText(fields.amount, fields.currencySign));
    d.field(income ? QStringLiteral("Rashod") : QStringLiteral("Dohod")).clear();
    d.field(QStringLiteral("Gr1")).setText(fields.account);
    d.field(QStringLiteral("Gr2")).setText(fields.group);
    d.field(QStringLiteral("Valuta")).setText(checked.currency);
    d.field(QStringLiteral("Type")).setText(TypeCode(fields.kind));
}

QStringList CurrencySigns(TableHandle& valuta) {
    QStringList signs;
    if (valuta.isOpen()) {
        const int column = valuta.fieldIndex(kZnak);
        for (int row = 0; row < valuta.recordCount(); ++row)
            signs << valuta.textAt(row, column);
    }
    return signs;
}

std::optional<QString> CurrencyNameForSign(TableHandle& valuta, const QString& sign) {
    return LookupCurrency(valuta, kZnak, sign, kName);
}

std::optional<QString> CurrencySignForName(TableHandle& valuta, const QString& name) {
    return LookupCurrency(valuta, kName, name, kZnak);
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

void StoreRow(TableHandle& d, bool append, const std::function<void(TableHandle&)>& write) {
    Transaction t;
    if (append)
        d.append();
    else
        d.edit();
    try {
        write(d);
        d.post();
    } catch (...) {
        d.cancel();
        throw;
    }
    t.commit();
}

QString EditableAmount(double value) {
    return NumberText(std::fabs(value));
}

StandardEntry ReadStandardEntry(Tdata& data) {
    TableHandle& d = data.tbData;
    StandardEntry entry;
    entry.income = d.field(QStringLiteral("Type")).text() == TypeCode(EntryKind::Income);
    entry.date = d.field(QStringLiteral("Date")).toDate();
    entry.name = d.field(kName).text();
    entry.amount = EditableAmount(d.field(QStringLiteral("Value")).toDouble());
    entry.currencySign =
        CurrencySignForName(data.tbValuta, d.field(QStringLiteral("Valuta")).text())
            .value_or(QString());
    entry.group = d.field(QStringLiteral("Gr2")).text();
    entry.subGroup = d.field(QStringLiteral("NameRashod")).text();
    return entry;
}

void AppendStandardEntry(Tdata& data, const StandardEntry& entry, const QString& account) {
    const CheckedAmount checked = CheckAmountAndCurrency(data, entry.amount, entry.currencySign);
    StoreRow(data.tbData, true, [&](TableHandle& d) { WriteFields(d, entry, checked, account); });
}

void RewriteStandardEntry(Tdata& data, const StandardEntry& entry, const QString& account) {
    TableHandle& d = data.tbData;
    if (!d.isOpen() || d.isEmpty())
        throw StoreError(QStringLiteral("There is no entry to change."));
    const CheckedAmount checked = CheckAmountAndCurrency(data, entry.amount, entry.currencySign);
    const qint64 id = d.field(QStringLiteral("ID")).toInt();
    Transaction t;
    {
        // Clearing the kind may take the row out of the filtered view between the two writes.
        UnfilteredView all(d);
        all.forgetPosition();
        if (!d.locate(QStringLiteral("ID"), id))
            throw StoreError(QStringLiteral("The entry disappeared while it was being changed."));
        d.edit();
        for (const char* field : {"Dohod", "Rashod", "Valuta", "Type"})
            d.field(QString::fromLatin1(field)).clear();
        d.post();
        d.edit();
        WriteFields(d, entry, checked, account);
        d.post();
    }
    t.commit();
    // The cursor stays on the entry while the filter still admits it.
    d.locate(QStringLiteral("ID"), id);
}

} // namespace zovi
