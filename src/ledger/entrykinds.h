#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zovi {

// The one place that knows the kinds of ledger rows: what each kind's Type code is, what the
// sign of its Value means, which display text it fills, the marker it keeps in Gr2, what its
// IDsecond links to and which command edits it.
enum class EntryKind {
    Income,
    Charge,
    TransferOut,
    TransferIn,
    Exchange,
    Credit,
    Debit,
    CreditRepayment,
    DebitRepayment
};

enum class AmountSide { Income, Charge, Both }; // Dohod, Rashod, or both (exchange)
enum class LinkTarget { None, Partner, Debt, Repayment };
enum class EditAction { Standard, Transfer, Exchange, Refused, None };

struct EntryKindInfo {
    EntryKind kind;
    const char* code;     // Type: "D", "R", "P1", "P2", "O", "CR", "DB", "PC", "PD"
    int sign;             // +1 money received, -1 paid out, 0 for the exchange (no Value)
    AmountSide side;      // the display text that is filled
    const char* marker;   // Gr2 of the kinds without a group; nullptr for incomes and charges
    LinkTarget link;      // what IDsecond names
    const char* labelKey; // translation key of the grid's kind label; nullptr for D and R
};

// The kind of a Type code, compared exactly (letter case counts); empty for any other text.
std::optional<EntryKind> KindOf(const QString& type);
const EntryKindInfo& Info(EntryKind kind);
QString TypeCode(EntryKind kind);

// The first character of the grid's mark: "-" for charges and leaving transfer rows, "+" for
// incomes and arriving transfer rows, a blank for every other kind (and unknown codes).
QChar SignMark(const QString& type);

// The translated label of a kind, as the grid shows it in the group column of rows that are
// neither incomes nor charges: the text of the key "type" followed by the Type code. The keys
// have no built-in text, so a missing key gives an empty label.
QString KindLabel(const QString& type);

// What the edit command does for a row of this Type.
EditAction EditActionFor(const QString& type);

// The partner kinds a linked row is found by: a row is identified by IDsecond only together
// with its kind, since the numbers come from three tables.
QStringList LinkedTypes(LinkTarget target);

// The display text of an amount in Dohod or Rashod: the amount without its sign as the dialog
// holds it after normalisation, a blank and the currency's sign ("12,5 $").
QString AmountText(const QString& normalizedAmount, const QString& currencySign);

// The account a new or edited income, charge or exchange is stored under: "[...]" when there is
// no account tab at all, otherwise the selected tab's text (which may be "[...]" itself). The
// exchange trims blanks from it; incomes and charges keep it unchanged.
QString EntryAccount(const QStringList& tabs, int selected, bool trim = false);

// The account text of entries that belong to no single account.
inline QString AllAccounts() {
    return QStringLiteral("[...]");
}

} // namespace zovi
