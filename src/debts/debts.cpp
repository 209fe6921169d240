#include "debts/debts.h"

#include "core/textutil.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <cmath>

namespace zovi {

namespace {

void RequireOpen(const TableHandle& t) {
    if (!t.isOpen())
        throw StoreError(QStringLiteral("No database is open."));
}

// Moves an unfiltered handle on Credit or OplataCredit (both keyed by ID) to the row with this
// ID, or throws naming what is missing.
TableHandle& Require(TableHandle& t, qint64 id, const char* what) {
    RequireOpen(t);
    if (id <= 0 || !t.locate(fields::Credit::ID, id))
        throw StoreError(QStringLiteral("There is no %1 with the ID %2 (it may have been "
                                        "deleted); nothing was changed.")
                             .arg(QString::fromLatin1(what))
                             .arg(id));
    return t;
}

// Moves the ledger view to the row a debt or a repayment names through IDdata, when that row
// is still one of the given kinds and links back to owner; false when there is none.
bool LocateOwnRow(EntryById& all, qint64 row, qint64 owner,
                  std::initializer_list<EntryKind> kinds) {
    if (!all.moveTo(row))
        return false;
    const QString type = all.row().field(fields::Data::Type).text();
    bool kindMatches = false;
    for (EntryKind kind : kinds)
        kindMatches = kindMatches || type == TypeCode(kind);
    return kindMatches && all.row().field(fields::Data::IDsecond).toInt() == owner;
}

void RefreshDebtViews(LedgerTables& data, DebtTables& cd) {
    for (TableHandle* h : {&cd.tbCredit, &cd.tbCredit2, &cd.tbOplataCredit, &cd.tbOplataCredit2})
        if (h->isOpen())
            h->refresh();
    RefreshLedgerViews(data);
}

// Writes the fields of a debt that the dialog gives into the row being appended or edited.
void WriteDebtFields(TableHandle& c, const EntryCheck<Debt>& check, const QString& currency) {
    const Debt& debt = check.entry;
    c.field(fields::Credit::Date).setDate(debt.date);
    c.field(fields::Credit::Name).setText(debt.name);
    c.field(fields::Credit::ValueBegin).setDouble(check.amount);
    c.field(fields::Credit::Valuta).setText(currency);
    c.field(fields::Credit::Procent).setDouble(check.rate);
    c.field(fields::Credit::User).setText(debt.account);
    c.field(fields::Credit::Type).setText(debt.type);
}

// Writes the ledger row of a debt into the row being appended or edited.
void WriteDebtRow(TableHandle& d, bool credit, const EntryCheck<Debt>& check,
                  const QString& currency, qint64 debtId) {
    const EntryKind kind = credit ? EntryKind::Credit : EntryKind::Debit;
    const Debt& debt = check.entry;
    d.field(fields::Data::Dohod).clear();
    d.field(fields::Data::Rashod).clear();
    WriteEntryFields(d,
                     {kind, debt.date, debt.name, debt.account,
                      QString::fromLatin1(Info(kind).marker), debt.amount, debt.currencySign},
                     {check.amount, currency});
    d.field(fields::Data::IDsecond).setInt(debtId);
}

// Deletes the ledger row with this ID when it is the own row of owner; the number removed.
int RemoveOwnRow(LedgerTables& data, qint64 row, qint64 owner,
                 std::initializer_list<EntryKind> kinds) {
    EntryById all(data, row);
    if (!LocateOwnRow(all, row, owner, kinds))
        return 0;
    all.row().remove();
    return 1;
}

// The refusal of an interest rate above what any real debt asks for its period: 1000 % a year,
// 100 % a month or a period of Days days. Higher rates are typing errors, and their values soon
// grow beyond what the ledger can show.
std::optional<EntryRefusal> RateLimitRefusal(double rate, const QString& type) {
    const bool year = type == QLatin1String("Y");
    const double limit = year ? 1000 : 100;
    if (rate <= limit)
        return std::nullopt;
    const QString message =
        year ? LangText(QStringLiteral("debtrateyear"),
                        QStringLiteral("The interest rate must not be above %1 % a year."))
        : type == QLatin1String("M")
            ? LangText(QStringLiteral("debtratemonth"),
                       QStringLiteral("The interest rate must not be above %1 % a month."))
            : LangText(QStringLiteral("debtrateperiod"),
                       QStringLiteral("The interest rate must not be above %1 % a period."));
    return EntryRefusal{QString(), message.arg(NumberText(limit)), EntryInput::Rate};
}

} // namespace

EntryCheck<Debt> CheckDebt(const Debt& debt) {
    EntryCheck<Debt> check{debt, std::nullopt};
    const auto refuse = [&check](const char* key, const char* builtIn, EntryInput input) {
        check.refusal = EntryRefusal{QString::fromLatin1(key), QString::fromLatin1(builtIn), input};
        return check;
    };
    if (IsBlank(debt.name))
        return refuse("err001", "Error #1", EntryInput::Name);
    NormalizeDecimal(debt.rate, check.entry.rate);
    const auto rate = IsNotNumber(debt.rate) ? std::nullopt : ToAmount(check.entry.rate);
    if (!rate)
        return refuse("err008", "Error #8", EntryInput::Rate);
    if ((check.refusal = RateLimitRefusal(*rate, debt.type)))
        return check;
    NormalizeDecimal(debt.amount, check.entry.amount);
    const auto amount = IsNotNumber(debt.amount) ? std::nullopt : ToAmount(check.entry.amount);
    if (!amount)
        return refuse("err004", "Error #4", EntryInput::Amount);
    if ((check.refusal = AmountLimitRefusal(*amount, EntryInput::Amount)))
        return check;
    if (debt.account.isEmpty())
        return refuse("err009", "Error #9", EntryInput::Account);
    if (debt.currencySign.isEmpty())
        return refuse("debtcurrency", "Choose the currency of the debt.", EntryInput::Currency);
    check.amount = *amount;
    check.rate = *rate;
    return check;
}

EntryCheck<Repayment> CheckRepayment(const Repayment& repayment) {
    EntryCheck<Repayment> check{repayment, std::nullopt};
    const auto refuse = [&check](const char* key, const char* builtIn) {
        check.refusal = EntryRefusal{QString::fromLatin1(key), QString::fromLatin1(builtIn),
                                     EntryInput::Amount};
        return check;
    };
    NormalizeDecimal(repayment.amount, check.entry.amount);
    const auto amount = IsNotNumber(repayment.amount) ? std::nullopt : ToAmount(check.entry.amount);
    if (!amount)
        return refuse("err004", "Error #4");
    if ((check.refusal = AmountLimitRefusal(*amount, EntryInput::Amount)))
        return check;
    // A repayment of 0 would put an empty row worth nothing into the ledger.
    if (*amount == 0)
        return refuse("repaymentzero",
                      "A repayment of 0 repays nothing: enter the amount paid back.");
    check.amount = *amount;
    return check;
}

qint64 AppendDebt(LedgerTables& data, DebtTables& cd, const Debt& debt) {
    const auto check = CheckDebt(debt).require();
    const QString currency = RequireCurrencyName(data.tbValuta, debt.currencySign);
    TableHandle& c = cd.tbCredit2;
    RequireOpen(c);
    Transaction t;
    qint64 id = 0;
    {
        UnfilteredView debts(c);
        debts.forgetPosition();
        c.append();
        WriteDebtFields(c, check, currency);
        c.field(fields::Credit::CD)
            .setText(debt.credit ? QStringLiteral("C") : QStringLiteral("D"));
        c.post();
        id = c.lastInsertedRowid();

        qint64 row = 0;
        {
            EntryById all(data, 0);
            TableHandle& d = all.row();
            RequireOpen(d);
            d.append();
            WriteDebtRow(d, debt.credit, check, currency, id);
            d.post();
            row = d.lastInsertedRowid();
        }
        Require(c, id, "debt").edit();
        c.field(fields::Credit::IDdata).setInt(row);
        c.post();
    }
    t.commit();
    RefreshDebtViews(data, cd);
    return id;
}

Debt ReadDebt(LedgerTables& data, DebtTables& cd, qint64 id) {
    TableHandle& c = cd.tbCredit2;
    UnfilteredView debts(c);
    Require(c, id, "debt");
    Debt debt;
    debt.credit = c.field(fields::Credit::CD).text() == QLatin1String("C");
    debt.date = c.field(fields::Credit::Date).toDate();
    debt.name = c.field(fields::Credit::Name).text();
    debt.amount = NumberText(c.field(fields::Credit::ValueBegin).toDouble());
    debt.rate = NumberText(c.field(fields::Credit::Procent).toDouble());
    debt.type = c.field(fields::Credit::Type).text();
    debt.account = c.field(fields::Credit::User).text();
    debt.currencySign = CurrencySignForName(data.tbValuta, c.field(fields::Credit::Valuta).text())
                            .value_or(QString());
    return debt;
}

void RewriteDebt(LedgerTables& data, DebtTables& cd, qint64 id, const Debt& debt) {
    const auto check = CheckDebt(debt).require();
    const QString currency = RequireCurrencyName(data.tbValuta, debt.currencySign);
    TableHandle& c = cd.tbCredit2;
    Transaction t;
    {
        UnfilteredView debts(c);
        Require(c, id, "debt").edit();
        WriteDebtFields(c, check, currency);
        c.post();
        const bool credit = c.field(fields::Credit::CD).text() == QLatin1String("C");
        const qint64 row = c.field(fields::Credit::IDdata).toInt();
        bool found = false;
        {
            EntryById all(data, row);
            found = LocateOwnRow(all, row, id, {EntryKind::Credit, EntryKind::Debit});
            if (found) {
                TableHandle& d = all.row();
                d.edit();
                WriteDebtRow(d, credit, check, currency, id);
                d.post();
            }
        }
        Require(c, id, "debt").edit();
        if (found)
            c.field(fields::Credit::IDdata).setInt(row);
        else
            c.field(fields::Credit::IDdata).clear();
        c.post();
    }
    t.commit();
    RefreshDebtViews(data, cd);
}

int DeleteDebt(LedgerTables& data, DebtTables& cd, qint64 id) {
    TableHandle& c = cd.tbCredit2;
    TableHandle& r = cd.tbOplataCredit2;
    RequireOpen(r);
    int removed = 0;
    Transaction t;
    {
        UnfilteredView debts(c);
        UnfilteredView repayments(r);
        repayments.forgetPosition();
        Require(c, id, "debt");
        const qint64 debtRow = c.field(fields::Credit::IDdata).toInt();
        while (r.locate(fields::OplataCredit::IDcredit, id)) {
            removed += RemoveOwnRow(data, r.field(fields::OplataCredit::IDdata).toInt(),
                                    r.field(fields::OplataCredit::ID).toInt(),
                                    {EntryKind::CreditRepayment, EntryKind::DebitRepayment});
            r.remove();
            ++removed;
        }
        removed += RemoveOwnRow(data, debtRow, id, {EntryKind::Credit, EntryKind::Debit});
        Require(c, id, "debt").remove();
        ++removed;
    }
    t.commit();
    RefreshDebtViews(data, cd);
    return removed;
}

qint64 AppendRepayment(LedgerTables& data, DebtTables& cd, qint64 debtId,
                       const Repayment& repayment) {
    const auto check = CheckRepayment(repayment).require();
    TableHandle& c = cd.tbCredit2;
    TableHandle& r = cd.tbOplataCredit2;
    RequireOpen(r);
    Transaction t;
    qint64 id = 0;
    {
        UnfilteredView debts(c);
        Require(c, debtId, "debt");
        const bool credit = c.field(fields::Credit::CD).text() == QLatin1String("C");
        const QString account = c.field(fields::Credit::User).text();
        const QString currency = c.field(fields::Credit::Valuta).text();
        const QVariant kurs = c.field(fields::Credit::Kurs).toVariant();
        const QString sign = CurrencySignForName(data.tbValuta, currency).value_or(QString());

        UnfilteredView repayments(r);
        repayments.forgetPosition();
        r.append();
        r.field(fields::OplataCredit::Date).setDate(repayment.date);
        r.field(fields::OplataCredit::Value).setDouble(check.amount);
        r.field(fields::OplataCredit::ValueSTR).setText(AmountText(check.entry.amount, sign));
        r.field(fields::OplataCredit::Comment).setText(repayment.comment);
        r.field(fields::OplataCredit::IDcredit).setInt(debtId);
        r.post();
        id = r.lastInsertedRowid();

        qint64 row = 0;
        {
            EntryById all(data, 0);
            TableHandle& d = all.row();
            RequireOpen(d);
            d.append();
            const EntryKind kind = credit ? EntryKind::CreditRepayment : EntryKind::DebitRepayment;
            WriteEntryFields(d,
                             {kind, repayment.date, repayment.comment, account,
                              QString::fromLatin1(Info(kind).marker), check.entry.amount, sign},
                             {check.amount, currency});
            d.field(fields::Data::Kurs).setVariant(kurs);
            d.field(fields::Data::IDsecond).setInt(id);
            d.post();
            row = d.lastInsertedRowid();
        }
        Require(r, id, "repayment").edit();
        r.field(fields::OplataCredit::IDdata).setInt(row);
        r.post();
    }
    t.commit();
    RefreshDebtViews(data, cd);
    return id;
}

int DeleteRepayment(LedgerTables& data, DebtTables& cd, qint64 id) {
    TableHandle& r = cd.tbOplataCredit2;
    int removed = 0;
    Transaction t;
    {
        UnfilteredView repayments(r);
        repayments.forgetPosition();
        Require(r, id, "repayment");
        removed += RemoveOwnRow(data, r.field(fields::OplataCredit::IDdata).toInt(), id,
                                {EntryKind::CreditRepayment, EntryKind::DebitRepayment});
        Require(r, id, "repayment").remove();
        ++removed;
    }
    t.commit();
    RefreshDebtViews(data, cd);
    return removed;
}

void ShowRepaymentsOf(DebtTables& cd, qint64 debtId) {
    if (!cd.tbCredit.isOpen() || !cd.tbOplataCredit.isOpen() || cd.tbCredit.isEmpty())
        return;
    cd.tbOplataCredit.setFilter(
        QStringLiteral("%1='%2'").arg(fields::OplataCredit::IDcredit, QString::number(debtId)));
    cd.tbOplataCredit.setFiltered(true);
}

QString DebtValueText(double value, const QString& sign) {
    double whole = std::trunc(value);
    if (whole == 0)
        whole = 0; // no "-0"
    return QString::number(whole, 'f', 0) + QLatin1Char(' ') + sign;
}

void WriteDebtValue(LedgerTables& data, TableHandle& credits, std::optional<double> value) {
    const QString sign =
        CurrencySignForName(data.tbValuta, credits.field(fields::Credit::Valuta).text())
            .value_or(QString());
    const QString valueText = value ? DebtValueText(*value, sign) : QString();
    const QString beginText =
        DebtValueText(credits.field(fields::Credit::ValueBegin).toDouble(), sign);
    const FieldRef stored = credits.field(fields::Credit::Value);
    const bool same = value ? !stored.isNull() && stored.toDouble() == *value : stored.isNull();
    if (same && credits.field(fields::Credit::ValueSTR).text() == valueText &&
        credits.field(fields::Credit::ValueBeginSTR).text() == beginText)
        return;
    credits.edit();
    if (value)
        credits.field(fields::Credit::Value).setDouble(*value);
    else
        credits.field(fields::Credit::Value).clear();
    credits.field(fields::Credit::ValueSTR).setText(valueText);
    credits.field(fields::Credit::ValueBeginSTR).setText(beginText);
    credits.post();
}

void WriteDebtValueTexts(LedgerTables& data, DebtTables& cd) {
    TableHandle& c = cd.tbCredit2;
    if (!c.isOpen())
        return;
    Transaction t;
    {
        UnfilteredView debts(c);
        for (int row = 1; row <= c.recordCount(); ++row) {
            c.setRecNo(row);
            const FieldRef value = c.field(fields::Credit::Value);
            if (value.isNull())
                continue; // never valued: the next valuation writes its texts
            WriteDebtValue(data, c, value.toDouble());
        }
    }
    t.commit();
    if (cd.tbCredit.isOpen())
        cd.tbCredit.refresh();
}

} // namespace zovi
