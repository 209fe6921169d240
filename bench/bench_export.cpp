// Timings of the dBase and CSV exports of the ledger (Additional > Export) over a generated
// ledger of 100 000 entries (or the count given): writing a new dBase file from the template,
// appending to a file that already holds as many rows, and writing a new CSV file. Prints
// medians of several runs; it checks nothing and is not a test.
//
// Usage: bench_export [entries]   (100000 when omitted)
#include "generator.h"
#include "timing.h"

#include "core/locale.h"
#include "core/paths.h"
#include "imports/csvexport.h"
#include "reports/dbaseexport.h"
#include "reports/reporttemplate.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

constexpr int kRuns = 7;

int Run(int entries) {
    const zovi::bench::BenchFolders dirs;

    std::printf("\n== the dBase export of %d generated entries ==\n", entries);
    zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries);
    zovi::WriteExportTemplate(dirs.program());
    zovi::LedgerTables data;
    zovi::DebtTables cd;
    dirs.open(data, cd);
    data.tbData.setFiltered(false);
    const QString templatePath = zovi::ExportTemplatePath(dirs.program());

    int run = 0;
    Report(u"export into a new file, %1 rows"_s.arg(data.tbData.recordCount()),
           TimeRuns(kRuns, [&] {
               const QString file = dirs.path(u"new%1.dbf"_s.arg(++run));
               zovi::ExportLedger(data.tbData, templatePath, file);
           }));
    const QString first = dirs.path(u"new1.dbf"_s);
    std::printf("file size: %lld bytes\n", static_cast<long long>(QFileInfo(first).size()));

    // Each run appends to a fresh copy of a file that holds one export already.
    std::vector<double> appends;
    for (int i = 0; i < kRuns; ++i) {
        const QString file = dirs.path(u"append%1.dbf"_s.arg(i));
        QFile::copy(first, file);
        appends.push_back(zovi::bench::MillisecondsOf(
            [&] { zovi::ExportLedger(data.tbData, templatePath, file); }));
    }
    Report(u"export appended to a file of as many rows"_s, appends);

    run = 0;
    Report(u"CSV export into a new file, %1 rows"_s.arg(data.tbData.recordCount()),
           TimeRuns(kRuns, [&] {
               zovi::ExportLedgerCsv(data.tbData, dirs.path(u"new%1.csv"_s.arg(++run)));
           }));
    std::printf("file size: %lld bytes\n",
                static_cast<long long>(QFileInfo(dirs.path(u"new1.csv"_s)).size()));
    zovi::CloseDatabase(data, cd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const int entries = zovi::bench::CountArgument(argc, argv, 100000);
    if (entries <= 0) {
        std::fprintf(stderr, "usage: bench_export [entries]\n");
        return 2;
    }
    try {
        return Run(entries);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    } catch (const zovi::ReportError& e) {
        std::fprintf(stderr, "export error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
