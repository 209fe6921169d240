#include "views/filterbuilder.h"

#include "core/locale.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/fields.h"
#include "store/table.h"
#include "views/dateperiods.h"

namespace zovi {

namespace {

// The tab and the ledger account value that stand for all accounts.
const QString& AllAccounts() {
    static const QString text = QStringLiteral("[...]");
    return text;
}

// A condition "Field='value'" (or with another operator).
QString Condition(const QString& field, const QString& op, const QString& value) {
    return field + op + FilterLiteral(value);
}

QString DateCondition(const QString& op, const QDate& date) {
    return Condition(fields::Data::Date, op, AppLocale::formatDate(date));
}

// Appends a condition to a filter text: the condition alone when the text is empty, otherwise
// joined with " AND ". An empty condition changes nothing.
void Append(QString& filter, const QString& condition) {
    if (condition.isEmpty())
        return;
    if (filter.isEmpty())
        filter = condition;
    else
        filter += QStringLiteral(" AND ") + condition;
}

// Adds an alternative to a list condition: the first one opens the bracket, later ones are
// joined with " OR ". The caller closes the bracket when the condition is not empty.
void AddAlternative(QString& condition, const QString& alternative) {
    if (condition.isEmpty())
        condition = QLatin1Char('(') + alternative;
    else
        condition += QStringLiteral(" OR ") + alternative;
}

// The groups and sub-groups ticked on the "Extended" page: Gr2 for groups, NameRashod for
// sub-groups, in the order of the lists.
QString GroupListCondition(const FilterState& s) {
    QString condition;
    const QString gr2 = fields::Data::Gr2;
    const QString nameRashod = fields::Data::NameRashod;
    const QString eq = QStringLiteral("=");
    for (const QStringList* list : {&s.incomeGroups, &s.chargeGroups})
        for (const QString& line : *list)
            AddAlternative(condition, Condition(gr2, eq, line));
    for (const QStringList* list : {&s.incomeSubGroups, &s.chargeSubGroups})
        for (const QString& line : *list)
            AddAlternative(condition, Condition(nameRashod, eq, line));
    return condition;
}

// The accounts ticked on the "Extended" page; with none ticked, the account of the selected
// tab alone (without the entries stored under "[...]"), unless that tab is "[...]".
QString AccountListCondition(const FilterState& s) {
    QString condition;
    const QString gr1 = fields::Data::Gr1;
    const QString eq = QStringLiteral("=");
    for (const QString& line : s.accounts)
        AddAlternative(condition, Condition(gr1, eq, line));
    if (condition.isEmpty() && s.hasTabs && !s.lastTabSelected)
        AddAlternative(condition, Condition(gr1, eq, s.tabText));
    return condition;
}

// The date periods of the dates list: each line is split at the "-" that leaves a date on both
// sides, also when the short date format holds "-" itself; a line that is one date gives that day.
// A line that is no period is split at its first "-" (a line without one serves as both ends)
// and its parts inserted as they stand, so that the store refuses them.
QString PeriodListCondition(const FilterState& s) {
    QString condition;
    for (const QString& line : s.periods) {
        QString from;
        QString to;
        if (const auto period = ParsePeriodText(line)) {
            from = AppLocale::formatDate(period->from);
            to = AppLocale::formatDate(period->to);
        } else {
            const qsizetype dash = line.indexOf(QLatin1Char('-'));
            from = dash < 0 ? line : line.left(dash);
            to = dash < 0 ? line : line.mid(dash + 1);
        }
        const QString period =
            QLatin1Char('(') + Condition(fields::Data::Date, QStringLiteral(">="), from) +
            QStringLiteral(" AND ") + Condition(fields::Data::Date, QStringLiteral("<="), to) +
            QLatin1Char(')');
        // The first period opens with "( " so that the text reads "( (Date>=...".
        if (condition.isEmpty())
            condition = QStringLiteral("( ") + period;
        else
            condition += QStringLiteral(" OR ") + period;
    }
    return condition;
}

// Closes a list condition's bracket, when there is one.
QString Closed(const QString& condition) {
    return condition.isEmpty() ? condition : condition + QLatin1Char(')');
}

// Gives one handle a filter text and the matching switch. Switching off happens before the
// text changes and switching on after it, so the view is recomputed at most once.
void ApplyOne(TableHandle& handle, const QString& text) {
    const bool wasFiltered = handle.filtered();
    const bool nowFiltered = !text.isEmpty();
    const bool textChanged = handle.filter() != text;
    if (nowFiltered) {
        handle.setFilter(text);
        handle.setFiltered(true);
    } else {
        handle.setFiltered(false);
        handle.setFilter(text);
    }
    // When neither step recomputed the view, recompute it here, so that rows posted through
    // other handles since the last run are admitted as well.
    const bool recomputed = wasFiltered != nowFiltered || (textChanged && nowFiltered);
    if (!recomputed && handle.isOpen())
        handle.refresh();
}

} // namespace

QString FilterLiteral(const QString& value) {
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

FilterTexts BuildFilters(const FilterState& s) {
    const bool fastPage = s.filterPage == 0;
    const bool listPage = s.filterPage == 1;
    const bool searchPage = s.filterPage == 2;
    const QString eq = QStringLiteral("=");

    // The account tab, on the "Fast" and "Search" pages: the tab's account together with the
    // entries stored under "[...]". The balances get the same account part.
    FilterTexts t;
    if ((fastPage || searchPage) && s.hasTabs && s.tabText != AllAccounts()) {
        const QString gr1 = fields::Data::Gr1;
        t.data = QLatin1Char('(') + Condition(gr1, eq, s.tabText) + QStringLiteral(" OR ") +
                 Condition(gr1, eq, AllAccounts()) + QLatin1Char(')');
    }
    t.data2 = t.data;

    // The quick view limits the grid to the last 30 days; the balances keep the whole selection.
    if (s.editorPageActive && fastPage && s.fastView)
        Append(t.data, DateCondition(QStringLiteral(">="), s.today.addDays(-30)));

    auto appendBoth = [&t](const QString& condition) {
        Append(t.data, condition);
        Append(t.data2, condition);
    };

    if (fastPage && s.dateChecked) {
        QString range;
        if (s.fromChecked)
            range = DateCondition(QStringLiteral(">="), s.fromDate);
        Append(range, s.toChecked ? DateCondition(QStringLiteral("<="), s.toDate) : QString());
        appendBoth(range);
    }

    if (s.kind == EntryKindFilter::Incomes)
        appendBoth(Condition(fields::Data::Type, QStringLiteral("="), QStringLiteral("D")));
    else if (s.kind == EntryKindFilter::Charges)
        appendBoth(Condition(fields::Data::Type, QStringLiteral("="), QStringLiteral("R")));

    if (!s.showPlan)
        appendBoth(DateCondition(QStringLiteral("<="), s.today));

    // The category chooses only the field: sub-groups are matched on NameRashod, groups (and
    // no chosen category) on Gr2.
    if (fastPage && s.groupsChecked) {
        const bool subGroup = s.groupCategory == 2 || s.groupCategory == 3;
        appendBoth(
            Condition(subGroup ? fields::Data::NameRashod : fields::Data::Gr2, eq, s.groupValue));
    }

    if (listPage) {
        appendBoth(Closed(GroupListCondition(s)));
        appendBoth(Closed(AccountListCondition(s)));
        appendBoth(Closed(PeriodListCondition(s)));
    }

    // The search finds the names that hold the text anywhere, so a whole name still finds its
    // entries; the store compares without regard to letter case. An empty field searches for
    // nothing, so it hides nothing.
    if (searchPage && !s.searchText.isEmpty())
        appendBoth(Condition(fields::Data::Name, QStringLiteral(" CONTAINS "), s.searchText));

    return t;
}

void ApplyFilters(const FilterTexts& texts, TableHandle& data, TableHandle& data2) {
    const QString oldText = data.filter();
    const bool oldFiltered = data.filtered();
    ApplyOne(data, texts.data);
    try {
        ApplyOne(data2, texts.data2);
    } catch (const StoreError&) {
        // Give tbData back its previous filter, which the store accepted before.
        data.setFiltered(false);
        data.setFilter(oldText);
        data.setFiltered(oldFiltered);
        throw;
    }
}

std::optional<QStringList> GroupFilterValues(LedgerTables& data, int category) {
    TableHandle* table = nullptr;
    switch (category) {
    case 0:
        table = &data.tbGrD;
        break;
    case 1:
        table = &data.tbGrR;
        break;
    case 2:
        table = &data.tbGrR2;
        break;
    case 3:
        table = &data.tbGrD2;
        break;
    default:
        return std::nullopt;
    }
    QStringList names;
    if (!table->isOpen())
        return names;

    // A sub-group table shows only the sub-groups of the current group while it is linked;
    // detach it to read all of them, and link it again afterwards, also when reading fails.
    const bool relink = table->masterAttached();
    if (relink)
        table->detachMaster();
    try {
        // Group and sub-group tables alike name their field "Name".
        const int column = table->fieldIndex(fields::GroupTable::Name);
        for (int row = 0; row < table->recordCount(); ++row)
            names << table->textAt(row, column);
    } catch (const StoreError&) {
        if (relink)
            table->attachMaster();
        throw;
    }
    if (relink)
        table->attachMaster();
    return names;
}

} // namespace zovi
