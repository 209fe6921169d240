#include "ledger/entrykinds.h"

#include "core/lang.h"

#include <array>

namespace zovi {

namespace {

constexpr std::array<EntryKindInfo, 9> kKinds = {{
    {EntryKind::Income, "D", +1, AmountSide::Income, nullptr, LinkTarget::None, nullptr},
    {EntryKind::Charge, "R", -1, AmountSide::Charge, nullptr, LinkTarget::None, nullptr},
    {EntryKind::TransferOut, "P1", -1, AmountSide::Charge, "(TRANSFER->)", LinkTarget::Partner,
     "typeP1"},
    {EntryKind::TransferIn, "P2", +1, AmountSide::Income, "(->TRANSFER)", LinkTarget::Partner,
     "typeP2"},
    {EntryKind::Exchange, "O", 0, AmountSide::Both, "(EXCHANGE)", LinkTarget::None, "typeO"},
    {EntryKind::Credit, "CR", +1, AmountSide::Income, "(DEBT TO YOU)", LinkTarget::Debt, "typeCR"},
    {EntryKind::Debit, "DB", -1, AmountSide::Charge, "(DEBT FROM YOU)", LinkTarget::Debt, "typeDB"},
    {EntryKind::CreditRepayment, "PC", -1, AmountSide::Charge, "(DEBT REPAYMENT FROM YOU)",
     LinkTarget::Repayment, "typePC"},
    {EntryKind::DebitRepayment, "PD", +1, AmountSide::Income, "(DEBT REPAYMENT TO YOU)",
     LinkTarget::Repayment, "typePD"},
}};

} // namespace

std::optional<EntryKind> KindOf(const QString& type) {
    for (const EntryKindInfo& info : kKinds) {
        if (type == QLatin1String(info.code))
            return info.kind;
    }
    return std::nullopt;
}

const EntryKindInfo& Info(EntryKind kind) {
    return kKinds[static_cast<size_t>(kind)];
}

QString TypeCode(EntryKind kind) {
    return QString::fromLatin1(Info(kind).code);
}

QChar SignMark(const QString& type) {
    const auto kind = KindOf(type);
    if (kind == EntryKind::Charge || kind == EntryKind::TransferOut)
        return QLatin1Char('-');
    if (kind == EntryKind::Income || kind == EntryKind::TransferIn)
        return QLatin1Char('+');
    return QLatin1Char(' ');
}

EditAction EditActionFor(const QString& type) {
    const auto kind = KindOf(type);
    if (!kind)
        return EditAction::None;
    switch (*kind) {
    case EntryKind::Income:
    case EntryKind::Charge:
        return EditAction::Standard;
    case EntryKind::TransferOut:
    case EntryKind::TransferIn:
        return EditAction::Transfer;
    case EntryKind::Exchange:
        return EditAction::Exchange;
    case EntryKind::Credit:
    case EntryKind::Debit:
    case EntryKind::CreditRepayment:
    case EntryKind::DebitRepayment:
        return EditAction::Refused;
    }
    return EditAction::None;
}

QStringList LinkedTypes(LinkTarget target) {
    QStringList types;
    for (const EntryKindInfo& info : kKinds) {
        if (info.link == target)
            types << QString::fromLatin1(info.code);
    }
    return types;
}

QString AmountText(const QString& normalizedAmount, const QString& currencySign) {
    QString amount = normalizedAmount.trimmed();
    if (amount.startsWith(QLatin1Char('-')) || amount.startsWith(QLatin1Char('+')))
        amount.remove(0, 1);
    return amount + QLatin1Char(' ') + currencySign;
}

QString EntryAccount(const QStringList& tabs, int selected, bool trim) {
    if (tabs.isEmpty())
        return AllAccounts();
    const QString text = tabs.value(selected < 0 ? 0 : selected);
    return trim ? text.trimmed() : text;
}

QString KindLabel(const QString& type) {
    return LangText(QStringLiteral("type") + type, QString());
}

} // namespace zovi
