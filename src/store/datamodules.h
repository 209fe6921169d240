#pragma once

#include "store/folderlock.h"
#include "store/table.h"
#include "store/tablemodel.h"

#include <QList>
#include <QString>
#include <functional>

namespace zovi {

// Owner of the handles on the ledger, the classifiers, the currencies, the work tables and the
// print tables, with their display links, for the whole run.
class LedgerTables {
public:
    LedgerTables();
    LedgerTables(const LedgerTables&) = delete;
    LedgerTables& operator=(const LedgerTables&) = delete;

    TableHandle tbData{QStringLiteral("tbData")};   // the filtered ledger view the grid shows
    TableHandle tbData2{QStringLiteral("tbData2")}; // the same selection, for the balances
    TableHandle tbData3{QStringLiteral("tbData3")}; // working cursor for the charts
    TableHandle tbGr1{QStringLiteral("tbGr1")};
    TableHandle tbGrR{QStringLiteral("tbGrR")};
    TableHandle tbGrR2{QStringLiteral("tbGrR2")}; // sub-groups of the current charge group
    TableHandle tbGrD{QStringLiteral("tbGrD")};
    TableHandle tbGrD2{QStringLiteral("tbGrD2")}; // sub-groups of the current income group
    TableHandle tbValuta{QStringLiteral("tbValuta")};
    TableHandle tbKurs{QStringLiteral("tbKurs")};
    TableHandle tbReport{QStringLiteral("tbReport")};
    TableHandle tbDRM{QStringLiteral("tbDRM")};
    TableHandle tbUserChart{QStringLiteral("tbUserChart")};
    TableHandle tbReportData{QStringLiteral("tbReportData")};
    TableHandle tbTopData{QStringLiteral("tbTopData")};

    TableModel dsData{&tbData};
    TableModel dsGr1{&tbGr1};
    TableModel dsGrR{&tbGrR};
    TableModel dsGrR2{&tbGrR2};
    TableModel dsGrD{&tbGrD};
    TableModel dsGrD2{&tbGrD2};
    TableModel dsKurs{&tbKurs};
    TableModel dsDRM{&tbDRM};
    TableModel dsValuta{&tbValuta};
    TableModel dsUserChart{&tbUserChart};
    TableModel dsData3{&tbData3};

    // The hold on the open database's folder, taken when the user opens it and dropped when it
    // is closed, so that a second instance never works on the same files.
    FolderLock folderLock;
};

// Owner of the handles on the debts and their repayments.
class DebtTables {
public:
    DebtTables();
    DebtTables(const DebtTables&) = delete;
    DebtTables& operator=(const DebtTables&) = delete;

    TableHandle tbCredit{QStringLiteral("tbCredit")};
    TableHandle tbCredit2{QStringLiteral("tbCredit2")};
    TableHandle tbOplataCredit{QStringLiteral("tbOplataCredit")}; // repayments of the chosen debt
    TableHandle tbOplataCredit2{QStringLiteral("tbOplataCredit2")};

    TableModel dsCredit{&tbCredit};
    TableModel dsOplataCredit{&tbOplataCredit};
};

// The handles of both modules in the order they are bound to a database folder, and in the
// order they are opened (every master before its detail).
QList<TableHandle*> BindingOrder(LedgerTables& data, DebtTables& cd);
QList<TableHandle*> OpeningOrder(LedgerTables& data, DebtTables& cd);

// Closes every handle, then binds each to its table in folder (the print handles to Report/ of
// programFolder). step runs once per handle, for a progress gauge.
void BindDatabase(LedgerTables& data, DebtTables& cd, const QString& folder,
                  const QString& programFolder, const std::function<void()>& step = {});

// Opens every handle in opening order; step runs once per handle. When one fails, the handles
// opened so far are closed again and the error is thrown.
void OpenDatabase(LedgerTables& data, DebtTables& cd, const std::function<void()>& step = {});

// Closes every handle of both modules.
void CloseDatabase(LedgerTables& data, DebtTables& cd);

// The file of a database folder or of the program folder, found without regard to letter case:
// the existing file whose name matches, or folder/name when none does.
QString FindFile(const QString& folder, const QString& name);

} // namespace zovi
