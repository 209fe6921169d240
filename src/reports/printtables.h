#pragma once

#include "reports/reporttemplate.h"

#include <QDate>
#include <QList>
#include <QString>

namespace zovi {

class TableHandle;

// One row of the printed ledger (Report/data.db): the entry's texts, each cut to 60 characters,
// with the type label in place of the group for the kinds that have no group of their own.
struct PrintRow {
    QDate date;
    QString Date;
    QString Name;
    QString Income;
    QString Charge;
    QString Group;
    QString Account;
    QString SubGroup;
};

// What the heading row of a report describes: the ledger window's filter controls and its value
// panel at the moment of printing.
struct PrintHeadingState {
    // The left panel's page: 0 "Fast", 1 "Extended", 2 "Search".
    int filterPage = 0;
    // The account tab bar: the selected tab's text, and whether it is the last tab (all
    // accounts).
    QString tabText;
    bool lastTabSelected = true;
    // "Date" with "From" and "To" and their dates.
    bool dateChecked = false;
    bool fromChecked = true;
    QDate fromDate;
    bool toChecked = true;
    QDate toDate;
    // The "Accounts" and "Dates" summaries of the selection lists of the other pages.
    QString accountsSummary;
    QString datesSummary;
    // The value panel: its figure and its currency.
    QString valueFigure;
    QString valueCurrency;
};

// The heading row for the state, in the language of the translation file: which accounts ("Все
// счета" for all), which period ("Весь период", or "с " and "по " with the dates) and the value
// panel's figure and currency.
ReportHeading PrintHeading(const PrintHeadingState& state);

// Every entry the view admits, earliest date first; entries of one day keep the view's order.
// The type labels are the translations of "typeO", "typeP1", ... (empty when missing).
QList<PrintRow> PrintRows(TableHandle& view);

// Replaces the rows of the print tables by these rows and this heading row, in one transaction.
void FillPrintTables(TableHandle& data, TableHandle& top, const QList<PrintRow>& rows,
                     const ReportHeading& heading);

} // namespace zovi
