#include "imports/importstore.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "ledger/classifiers.h"
#include "ledger/currency.h"
#include "ledger/entryrow.h"
#include "ledger/exchange.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/fields.h"
#include "store/table.h"
#include "store/transaction.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace zovi {

namespace {

// How many characters of a text the ledger's fields hold.
constexpr int kNameWidth = 60;
constexpr int kClassifierWidth = 30;

QString Cut(const QString& text, int width) {
    const QString trimmed = text.trimmed();
    return trimmed.size() <= width ? trimmed : trimmed.left(width).trimmed();
}

// The usual names, signs and codes of the currencies people most often keep, each row one
// currency; every text is lower case. A file's currency text and a database currency match when
// both are texts of one row.
const QList<QStringList>& CurrencyAliases() {
    static const QList<QStringList> aliases = [] {
        const char* rows[] = {
            "usd|$|us$|dollar|dollars|доллар|доллары|долл.|долл",
            "eur|€|euro|euros|евро",
            "rub|rur|₽|руб|руб.|р.|рубль|рубли|ruble|rubles|rouble|roubles",
            "gbp|£|pound|pounds|фунт|фунты",
            "jpy|yen|иена|иены|йена",
            "cny|rmb|yuan|юань|юани",
            "uah|₴|грн|грн.|гривна|гривны|hryvnia",
            "kzt|₸|тенге|tenge",
            "byn|byr|br|бел. руб.|белорусский рубль",
            "chf|franc|francs|франк|франки",
            "pln|zł|zloty|злотый|злотые",
            "cad|c$|canadian dollar",
            "aud|a$|australian dollar",
            "try|₺|lira|лира",
            "inr|₹|rupee|рупия",
            "czk|kč|koruna|крона",
        };
        QList<QStringList> list;
        for (const char* row : rows)
            list << QString::fromUtf8(row).split(u'|');
        return list;
    }();
    return aliases;
}

int AliasRow(const QString& text) {
    const QString key = text.trimmed().toLower();
    if (key.isEmpty())
        return -1;
    const QList<QStringList>& aliases = CurrencyAliases();
    for (qsizetype i = 0; i < aliases.size(); ++i) {
        if (aliases[i].contains(key))
            return int(i);
    }
    return -1;
}

// The currency of currencies the text names; null when none does.
const Currency* FindCurrency(const QList<Currency>& currencies, const QString& named) {
    if (currencies.isEmpty())
        return nullptr;
    const QString text = named.trimmed();
    if (text.isEmpty()) {
        for (const Currency& c : currencies) {
            if (c.Def)
                return &c;
        }
        return &currencies.front();
    }
    for (const Currency& c : currencies) {
        if (c.Name.compare(text, Qt::CaseInsensitive) == 0)
            return &c;
    }
    for (const Currency& c : currencies) {
        if (!c.Znak.isEmpty() && c.Znak.compare(text, Qt::CaseInsensitive) == 0)
            return &c;
    }
    const int row = AliasRow(text);
    if (row < 0)
        return nullptr;
    for (const Currency& c : currencies) {
        if (AliasRow(c.Name) == row || AliasRow(c.Znak) == row)
            return &c;
    }
    return nullptr;
}

// What identifies an entry for the duplicate check.
QString DuplicateKey(const QString& account, const QDate& date, double amount,
                     const QString& name) {
    QString key;
    key.reserve(account.size() + name.size() + 24);
    key += account;
    key += u'\x1f';
    key += QString::number(date.toJulianDay());
    key += u'\x1f';
    key += QString::number(std::llround(amount * 100));
    key += u'\x1f';
    key += name.toCaseFolded();
    return key;
}

// The groups of one side: each group's ID by its name in letter-case-free form, with the name
// as stored, and the sub-groups of each group the same way.
struct SideGroups {
    struct Group {
        qint64 id = 0; // 0: made by the import
        QString name;
        QHash<QString, QString> subGroups; // folded name -> stored name
    };
    QHash<QString, Group> groups;
};

SideGroups ReadGroups(LedgerTables& data, GroupSide side) {
    SideGroups result;
    TableHandle& groups = GroupTable(data, side);
    QHash<qint64, QString> byId;
    if (groups.isOpen()) {
        const ViewRows rows = groups.viewRows();
        const int id = rows.fieldIndex(fields::GrR::ID);
        const int name = rows.fieldIndex(fields::GrR::Name);
        for (int r = 0; r < rows.size(); ++r) {
            const QString text = rows.text(r, name);
            const QString key = text.toCaseFolded();
            if (!result.groups.contains(key))
                result.groups.insert(key, {rows.toInt(r, id), text, {}});
            byId.insert(rows.toInt(r, id), key);
        }
    }
    // Every sub-group, whichever group the linked handle shows now.
    const TableHandle& linked = SubGroupTable(data, side);
    if (!linked.isOpen())
        return result;
    TableHandle all(QStringLiteral("importSubGroups"));
    all.setPath(linked.path());
    all.open();
    const ViewRows rows = all.viewRows();
    const int owner = rows.fieldIndex(fields::GrR2::IDsecond);
    const int name = rows.fieldIndex(fields::GrR2::Name);
    for (int r = 0; r < rows.size(); ++r) {
        const auto group = byId.constFind(rows.toInt(r, owner));
        if (group == byId.cend())
            continue;
        const QString text = rows.text(r, name);
        QHash<QString, QString>& subGroups = result.groups[*group].subGroups;
        if (!subGroups.contains(text.toCaseFolded()))
            subGroups.insert(text.toCaseFolded(), text);
    }
    return result;
}

QString NoGroupName() {
    return LangText(QStringLiteral("importnogroup"), QStringLiteral("Uncategorised"));
}

} // namespace

QString MatchCurrency(LedgerTables& data, const QString& named) {
    const QList<Currency> currencies = ReadCurrencies(data.tbValuta);
    const Currency* found = FindCurrency(currencies, named);
    return found ? found->Name : QString();
}

ImportPlan PlanImport(LedgerTables& data, const ImportedFile& file, const QString& account) {
    ImportPlan plan;
    plan.unread = file.unread;
    const QList<Currency> currencies = ReadCurrencies(data.tbValuta);
    const QStringList accounts = AccountNames(data);
    SideGroups groups[2] = {ReadGroups(data, GroupSide::Charges),
                            ReadGroups(data, GroupSide::Incomes)};

    // The entries already in the ledger, whatever its filters.
    QSet<QString> seen;
    {
        TableHandle all(QStringLiteral("importLedger"));
        all.setPath(data.tbData.path());
        all.open();
        const ViewRows rows = all.viewRows();
        const int gr1 = rows.fieldIndex(fields::Data::Gr1);
        const int date = rows.fieldIndex(fields::Data::Date);
        const int value = rows.fieldIndex(fields::Data::Value);
        const int valueIn = rows.fieldIndex(fields::Data::ValueDohod);
        const int type = rows.fieldIndex(fields::Data::Type);
        const int name = rows.fieldIndex(fields::Data::Name);
        seen.reserve(rows.size() + file.entries.size());
        for (int r = 0; r < rows.size(); ++r) {
            const bool exchange = rows.text(r, type) == TypeCode(EntryKind::Exchange);
            seen.insert(DuplicateKey(rows.text(r, gr1), rows.toDate(r, date),
                                     rows.toDouble(r, exchange ? valueIn : value),
                                     rows.text(r, name)));
        }
    }

    // An account the import will make unless it exists.
    const auto accountNamed = [&](const QString& text) {
        const QString name = Cut(text, kClassifierWidth);
        if (name.isEmpty() || name == AllAccounts())
            return name;
        for (const QString& existing : accounts) {
            if (existing == name)
                return existing;
        }
        for (const QString& existing : accounts) {
            if (existing.compare(name, Qt::CaseInsensitive) == 0)
                return existing;
        }
        for (const QString& made : std::as_const(plan.newAccounts)) {
            if (made.compare(name, Qt::CaseInsensitive) == 0)
                return made;
        }
        plan.newAccounts << name;
        return name;
    };
    const QString chosen = accountNamed(account.isEmpty() ? AllAccounts() : account);
    plan.entries.reserve(file.entries.size());
    const QString noName = LangText(QStringLiteral("importnoname"), QStringLiteral("(no name)"));

    // A file names few currencies, each on many lines.
    QHash<QString, const Currency*> currencyByText;
    const auto currencyNamed = [&](const QString& text) {
        auto found = currencyByText.constFind(text);
        if (found == currencyByText.cend())
            found = currencyByText.insert(text, FindCurrency(currencies, text));
        return *found;
    };
    const auto unread = [&](const ImportedEntry& e, const QString& reason) {
        plan.unread << UnreadLine{e.line, e.name, reason};
    };

    for (const ImportedEntry& e : file.entries) {
        PlannedEntry p;
        p.line = e.line;
        p.date = e.date;
        p.name = Cut(e.name, kNameWidth);
        if (p.name.isEmpty())
            p.name = noName;
        p.account = e.account.trimmed().isEmpty() ? chosen : accountNamed(e.account);
        if (!e.date.isValid()) {
            unread(e, LangText(QStringLiteral("importnodate"), QStringLiteral("no date")));
            continue;
        }
        if (!WithinAmountLimit(e.amount) || !WithinAmountLimit(e.given)) {
            unread(e, AmountLimitMessage());
            continue;
        }
        const QString currencyText = e.currency.trimmed().isEmpty() ? file.currency : e.currency;
        const Currency* currency = currencyNamed(currencyText);
        if (!currency) {
            unread(e, LangText(QStringLiteral("importnocurrency"),
                               QStringLiteral("the currency \"%1\" is not in the database"))
                          .arg(currencyText.trimmed()));
            continue;
        }
        p.amount = e.amount;
        p.currency = currency->Name;
        p.currencySign = currency->Znak;

        const QString other =
            e.transferAccount.trimmed().isEmpty() ? QString() : accountNamed(e.transferAccount);
        if (e.kind == TypeCode(EntryKind::Exchange)) {
            const Currency* given = currencyNamed(e.givenCurrency);
            if (!given || given->Name == currency->Name || e.given == 0 || e.amount <= 0) {
                unread(e, LangText(QStringLiteral("importbadexchange"),
                                   QStringLiteral("an exchange needs two currencies and both "
                                                  "amounts")));
                continue;
            }
            p.kind = EntryKind::Exchange;
            p.given = -std::fabs(e.given);
            p.givenCurrency = given->Name;
            p.givenSign = given->Znak;
            // The rate the exchange dialog would have been typed with for these amounts.
            p.rate = RateMultiplies(*given, *currency) ? p.amount / -p.given : -p.given / p.amount;
            p.group = QString::fromLatin1(Info(EntryKind::Exchange).marker);
        } else if (!other.isEmpty() && other != p.account) {
            p.kind = e.amount < 0 ? EntryKind::TransferOut : EntryKind::TransferIn;
            p.transferAccount = other;
            p.transferName = Cut(e.transferName, kNameWidth);
            p.group = QString::fromLatin1(Info(p.kind).marker);
        } else {
            p.kind = e.amount > 0 ? EntryKind::Income : EntryKind::Charge;
            SideGroups& side = groups[p.kind == EntryKind::Income ? 1 : 0];
            QString groupName = Cut(e.group, kClassifierWidth);
            if (groupName.isEmpty())
                groupName = NoGroupName();
            auto group = side.groups.find(groupName.toCaseFolded());
            if (group == side.groups.end()) {
                group = side.groups.insert(groupName.toCaseFolded(), {0, groupName, {}});
                ++plan.newGroups;
            }
            p.group = group->name;
            const QString subName = Cut(e.subGroup, kClassifierWidth);
            if (!subName.isEmpty()) {
                auto sub = group->subGroups.find(subName.toCaseFolded());
                if (sub == group->subGroups.end()) {
                    sub = group->subGroups.insert(subName.toCaseFolded(), subName);
                    ++plan.newGroups;
                }
                p.subGroup = *sub;
            }
        }
        const QString key = DuplicateKey(p.account, p.date, p.amount, p.name);
        p.duplicate = seen.contains(key);
        if (p.duplicate)
            ++plan.duplicates;
        else
            seen.insert(key);
        plan.entries.push_back(std::move(p));
    }
    std::stable_sort(plan.unread.begin(), plan.unread.end(),
                     [](const UnreadLine& a, const UnreadLine& b) { return a.line < b.line; });
    return plan;
}

namespace {

// Writes the rows of the plan through a handle of the import's own on the ledger file.
class LedgerWriter {
public:
    explicit LedgerWriter(const QString& path) : m_rows(QStringLiteral("importRows")) {
        m_rows.setPath(path);
        m_rows.open();
    }

    qint64 append(const PlannedEntry& p, EntryKind kind, const QString& name,
                  const QString& account, qint64 partner = 0) {
        m_rows.append();
        if (kind == EntryKind::Exchange) {
            WriteExchangeRow(m_rows, {p.date, p.name, account, p.group, -p.given, p.givenCurrency,
                                      p.givenSign, p.amount, p.currency, p.currencySign, p.rate});
        } else {
            const double amount = std::fabs(p.amount);
            const bool standard = kind == EntryKind::Income || kind == EntryKind::Charge;
            WriteEntryFields(m_rows,
                             {kind, p.date, name, account,
                              standard ? p.group : QString::fromLatin1(Info(kind).marker),
                              EditableAmount(amount), p.currencySign},
                             {amount, p.currency});
            if (!p.subGroup.isEmpty())
                m_rows.field(fields::Data::NameRashod).setText(p.subGroup);
        }
        if (partner != 0)
            m_rows.field(fields::Data::IDsecond).setInt(partner);
        m_rows.post();
        return m_rows.lastInsertedRowid();
    }

    // Links the row before the one just appended (the leaving row of a transfer) to it.
    void linkPrevious(qint64 id, qint64 partner) {
        m_rows.prior();
        if (m_rows.field(fields::Data::ID).toInt() != id && !m_rows.locate(fields::Data::ID, id))
            throw StoreError(QStringLiteral("The imported row %1 disappeared.").arg(id));
        m_rows.edit();
        m_rows.field(fields::Data::IDsecond).setInt(partner);
        m_rows.post();
        m_rows.last();
    }

private:
    TableHandle m_rows;
};

} // namespace

int StoreImport(LedgerTables& data, const ImportPlan& plan) {
    LedgerWriter writer(data.tbData.path());
    int stored = 0;
    Transaction transaction;
    for (const QString& account : plan.newAccounts)
        AddAccount(data, account);
    SideGroups groups[2] = {ReadGroups(data, GroupSide::Charges),
                            ReadGroups(data, GroupSide::Incomes)};
    // The groups and sub-groups the plan names and the tables lack.
    for (const PlannedEntry& p : plan.entries) {
        if (p.duplicate || (p.kind != EntryKind::Income && p.kind != EntryKind::Charge))
            continue;
        const GroupSide sideKind =
            p.kind == EntryKind::Income ? GroupSide::Incomes : GroupSide::Charges;
        SideGroups& side = groups[sideKind == GroupSide::Incomes ? 1 : 0];
        auto group = side.groups.find(p.group.toCaseFolded());
        if (group == side.groups.end()) {
            group = side.groups.insert(p.group.toCaseFolded(),
                                       {AddGroup(data, sideKind, p.group), p.group, {}});
        }
        if (!p.subGroup.isEmpty() && !group->subGroups.contains(p.subGroup.toCaseFolded())) {
            AddSubGroup(data, sideKind, group->id, p.subGroup);
            group->subGroups.insert(p.subGroup.toCaseFolded(), p.subGroup);
        }
    }
    for (const PlannedEntry& p : plan.entries) {
        if (p.duplicate)
            continue;
        if (p.kind == EntryKind::TransferOut || p.kind == EntryKind::TransferIn) {
            // The leaving row first, then the arriving one, each linked to the other.
            const bool out = p.kind == EntryKind::TransferOut;
            const QString otherName = p.transferName.isEmpty() ? p.name : p.transferName;
            const qint64 first = writer.append(p, EntryKind::TransferOut, out ? p.name : otherName,
                                               out ? p.account : p.transferAccount);
            const qint64 second = writer.append(p, EntryKind::TransferIn, out ? otherName : p.name,
                                                out ? p.transferAccount : p.account, first);
            writer.linkPrevious(first, second);
        } else {
            writer.append(p, p.kind, p.name, p.account);
        }
        ++stored;
    }
    transaction.commit();
    RefreshLedgerViews(data);
    return stored;
}

} // namespace zovi
