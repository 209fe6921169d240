#include "store/datamodules.h"

#include "store/history.h"

#include <QDir>
#include <QFileInfo>

namespace zovi {

LedgerTables::LedgerTables() {
    tbData.setFiltered(true);
    tbData.setCaseInsensitive(true);
    tbData2.setCaseInsensitive(true);
    tbData3.setFiltered(true);
    tbGrR2.setMaster(&tbGrR, fields::GrR2::IDsecond, fields::GrR::ID);
    tbGrD2.setMaster(&tbGrD, fields::GrD2::IDsecond, fields::GrD::ID);
}

DebtTables::DebtTables() {
    // The repayments of the chosen debt: nothing until a debt is chosen.
    tbOplataCredit.setFilter(QStringLiteral("%1=0").arg(fields::OplataCredit::ID));
    tbOplataCredit.setFiltered(true);
    tbOplataCredit2.setFiltered(true);
}

QList<TableHandle*> BindingOrder(LedgerTables& d, DebtTables& cd) {
    return {&d.tbData,    &d.tbData2,    &d.tbData3,         &d.tbGr1,           &d.tbGrR,
            &d.tbGrR2,    &d.tbGrD2,     &d.tbGrD,           &d.tbReport,        &d.tbKurs,
            &d.tbDRM,     &d.tbValuta,   &d.tbUserChart,     &d.tbReportData,    &d.tbTopData,
            &cd.tbCredit, &cd.tbCredit2, &cd.tbOplataCredit, &cd.tbOplataCredit2};
}

QList<TableHandle*> OpeningOrder(LedgerTables& d, DebtTables& cd) {
    return {&d.tbData,    &d.tbData2,    &d.tbData3,         &d.tbGr1,           &d.tbGrR,
            &d.tbGrR2,    &d.tbGrD,      &d.tbGrD2,          &d.tbReport,        &d.tbKurs,
            &d.tbDRM,     &d.tbValuta,   &d.tbUserChart,     &d.tbReportData,    &d.tbTopData,
            &cd.tbCredit, &cd.tbCredit2, &cd.tbOplataCredit, &cd.tbOplataCredit2};
}

QString FindFile(const QString& folder, const QString& name) {
    const QString exact = QDir(folder).filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QFileInfo info(exact);
    const QDir dir(info.absolutePath());
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return exact;
}

void BindDatabase(LedgerTables& d, DebtTables& cd, const QString& folder,
                  const QString& programFolder, const std::function<void()>& step) {
    CloseDatabase(d, cd);
    const QString report = QDir(programFolder).filePath(QStringLiteral("Report"));
    auto bind = [&](TableHandle& h, const QString& dir, const TableSchema& s) {
        h.setPath(QDir(dir).filePath(s.fileName));
        if (step)
            step();
    };
    using namespace schemas;
    const QList<std::pair<TableHandle*, const TableSchema*>> order = {
        {&d.tbData, &Data()},
        {&d.tbData2, &Data()},
        {&d.tbData3, &Data()},
        {&d.tbGr1, &Gr1()},
        {&d.tbGrR, &GrR()},
        {&d.tbGrR2, &GrR2()},
        {&d.tbGrD2, &GrD2()},
        {&d.tbGrD, &GrD()},
        {&d.tbReport, &Report()},
        {&d.tbKurs, &Kurs()},
        {&d.tbDRM, &DRM()},
        {&d.tbValuta, &Valuta()},
        {&d.tbUserChart, &UserChart()}};
    for (const auto& [handle, schema] : order)
        bind(*handle, folder, *schema);
    bind(d.tbReportData, report, ReportData());
    bind(d.tbTopData, report, TopData());
    bind(cd.tbCredit, folder, Credit());
    bind(cd.tbCredit2, folder, Credit());
    bind(cd.tbOplataCredit, folder, OplataCredit());
    bind(cd.tbOplataCredit2, folder, OplataCredit());
}

void OpenDatabase(LedgerTables& d, DebtTables& cd, const std::function<void()>& step) {
    // The steps of the history belong to the rows of the database open before.
    CommandHistory::instance().clear();
    try {
        for (TableHandle* h : OpeningOrder(d, cd)) {
            h->open();
            if (step)
                step();
        }
    } catch (...) {
        CloseDatabase(d, cd);
        throw;
    }
}

void CloseDatabase(LedgerTables& d, DebtTables& cd) {
    const QList<TableHandle*> handles = OpeningOrder(d, cd);
    for (auto it = handles.rbegin(); it != handles.rend(); ++it)
        (*it)->close();
    d.folderLock.release();
}

} // namespace zovi
