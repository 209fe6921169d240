#include "reports/printtables.h"

#include "core/lang.h"
#include "core/language.h"
#include "core/locale.h"
#include "ledger/entrykinds.h"
#include "store/table.h"
#include "store/transaction.h"

#include <QHash>
#include <algorithm>

namespace zovi {

namespace {

// Every text of the print table holds at most this many characters.
constexpr qsizetype kPrintTextLength = 60;

QString Cut(const QString& text) {
    if (text.size() <= kPrintTextLength)
        return text;
    // A character written as a surrogate pair is kept whole or left out, never halved.
    const qsizetype n =
        text.at(kPrintTextLength - 1).isHighSurrogate() ? kPrintTextLength - 1 : kPrintTextLength;
    return text.left(n);
}

} // namespace

ReportHeading PrintHeading(const PrintHeadingState& state) {
    ReportHeading heading;
    const QString allAccounts =
        LangText(QStringLiteral("reportAllAccounts"), QStringLiteral("Все счета"));
    const QString wholePeriod =
        LangText(QStringLiteral("reportWholePeriod"), QStringLiteral("Весь период"));
    const QString tabAccounts = state.lastTabSelected ? allAccounts : state.tabText;
    if (state.filterPage == 0) {
        heading.accountTop = tabAccounts;
        if (state.dateChecked) {
            if (state.fromChecked)
                heading.dateTop = LangText(QStringLiteral("reportFrom"), QStringLiteral("с")) +
                                  QLatin1Char(' ') + ShownDate(state.fromDate);
            if (state.toChecked) {
                if (!heading.dateTop.isEmpty())
                    heading.dateTop += QLatin1Char(' ');
                heading.dateTop += LangText(QStringLiteral("reportTo"), QStringLiteral("по")) +
                                   QLatin1Char(' ') + ShownDate(state.toDate);
            }
        } else {
            heading.dateTop = wholePeriod;
        }
    } else {
        heading.accountTop = state.accountsSummary.isEmpty() ? tabAccounts : state.accountsSummary;
        heading.dateTop = state.datesSummary.isEmpty() ? wholePeriod : state.datesSummary;
    }
    heading.valueTop = state.valueFigure + QLatin1Char(' ') + state.valueCurrency;
    return heading;
}

QList<PrintRow> PrintRows(TableHandle& view) {
    QHash<QString, QString> labels;
    for (const char* type : {"O", "P1", "P2", "CR", "DB", "PC", "PD"}) {
        const QString code = QString::fromLatin1(type);
        labels.insert(code, KindLabel(code));
    }
    const int date = view.fieldIndex(fields::Data::Date);
    const int name = view.fieldIndex(fields::Data::Name);
    const int income = view.fieldIndex(fields::Data::Dohod);
    const int charge = view.fieldIndex(fields::Data::Rashod);
    const int group = view.fieldIndex(fields::Data::Gr2);
    const int type = view.fieldIndex(fields::Data::Type);
    const int account = view.fieldIndex(fields::Data::Gr1);
    const int subGroup = view.fieldIndex(fields::Data::NameRashod);

    QList<PrintRow> rows;
    const int count = view.recordCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        PrintRow row;
        row.date = view.dateAt(i, date);
        row.Date = Cut(ShownDate(row.date));
        row.Name = Cut(view.textAt(i, name));
        row.Income = Cut(view.textAt(i, income));
        row.Charge = Cut(view.textAt(i, charge));
        const auto label = labels.constFind(view.textAt(i, type));
        row.Group = Cut(label != labels.constEnd() ? *label : view.textAt(i, group));
        row.Account = Cut(view.textAt(i, account));
        row.SubGroup = Cut(view.textAt(i, subGroup));
        rows.append(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PrintRow& a, const PrintRow& b) { return a.date < b.date; });
    return rows;
}

void FillPrintTables(TableHandle& data, TableHandle& top, const QList<PrintRow>& rows,
                     const ReportHeading& heading) {
    Transaction transaction;
    // From the last row, so that each delete leaves the cursor on the new last row.
    data.last();
    while (!data.isEmpty())
        data.remove();
    const int date = data.fieldIndex(fields::ReportData::Date);
    const int name = data.fieldIndex(fields::ReportData::Name);
    const int income = data.fieldIndex(fields::ReportData::Income);
    const int charge = data.fieldIndex(fields::ReportData::Charge);
    const int group = data.fieldIndex(fields::ReportData::Group);
    const int account = data.fieldIndex(fields::ReportData::Account);
    const int subGroup = data.fieldIndex(fields::ReportData::SubGroup);
    for (const PrintRow& row : rows) {
        data.append();
        data.field(date).setText(row.Date);
        data.field(name).setText(row.Name);
        data.field(income).setText(row.Income);
        data.field(charge).setText(row.Charge);
        data.field(group).setText(row.Group);
        data.field(account).setText(row.Account);
        data.field(subGroup).setText(row.SubGroup);
        data.post();
    }
    top.last();
    while (!top.isEmpty())
        top.remove();
    top.append();
    top.field(fields::TopData::AccountTOP).setText(heading.accountTop);
    top.field(fields::TopData::DateTOP).setText(heading.dateTop);
    top.field(fields::TopData::ValueTOP).setText(heading.valueTop);
    top.post();
    transaction.commit();
}

} // namespace zovi
