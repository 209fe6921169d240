// Timings of printing over a generated ledger: filling the print tables from the whole ledger
// view, and writing the standard report of the first 10 000 of its rows as PDF, RTF and text.
// Prints medians of several runs and the memory the PDF took; it checks nothing and is not a
// test.
//
// Usage: bench_reports [entries]   (100000 when omitted)
#include "benchapp.h"
#include "generator.h"
#include "timing.h"

#include "core/paths.h"
#include "core/settings.h"
#include "reports/printtables.h"
#include "reports/reportpages.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

constexpr int kRuns = 5;
constexpr int kReportRows = 10000;

// The process's resident memory now and at its peak, in MiB, from /proc/self/status.
double StatusMiB(const char* key) {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

int Run(int entries) {
    const zovi::bench::BenchFolders dirs;

    std::printf("\n== printing over %d generated entries ==\n", entries);
    zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries);
    auto data = std::make_unique<zovi::LedgerTables>();
    auto cd = std::make_unique<zovi::DebtTables>();
    dirs.open(*data, *cd);

    zovi::PrintHeadingState state;
    state.valueFigure = u"1 234,56"_s;
    state.valueCurrency = u"$"_s;
    Report(u"filling the print tables from %1 entries"_s.arg(entries), TimeRuns(kRuns, [&] {
               zovi::FillPrintTables(data->tbReportData, data->tbTopData,
                                     zovi::PrintRows(data->tbData), zovi::PrintHeading(state));
           }));
    Report(u"  of which: reading and sorting the ledger view"_s,
           TimeRuns(kRuns, [&] { zovi::PrintRows(data->tbData); }));

    const zovi::ReportTemplate tmpl =
        zovi::ReadReportTemplate(QStringLiteral(ZOVI_BENCH_RESOURCES "/Report/Data.rav"));
    zovi::ReportContent content =
        zovi::ReadReportContent(data->tbReportData, data->tbTopData, tmpl);
    content.rows.resize(std::min<qsizetype>(content.rows.size(), kReportRows));
    const QString file = dirs.path(u"report"_s);
    int pages = 0;
    // The peak is measured from here on: writing 5 to clear_refs resets it.
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const double before = StatusMiB("VmRSS:");
    Report(u"the standard report of %1 rows as PDF"_s.arg(content.rows.size()),
           TimeRuns(kRuns, [&] {
               zovi::WriteReportFile(zovi::ReportFormat::Pdf, file + u".pdf"_s, tmpl, content,
                                     [&](int page) { pages = page; });
           }));
    std::printf("  %d pages, %.1f MiB; resident memory %.0f MiB before, peak %.0f MiB\n", pages,
                double(QFileInfo(file + u".pdf"_s).size()) / (1024 * 1024), before,
                StatusMiB("VmHWM:"));
    Report(u"the same report as RTF"_s, TimeRuns(kRuns, [&] {
               zovi::WriteReportFile(zovi::ReportFormat::Rtf, file + u".rtf"_s, tmpl, content);
           }));
    Report(u"the same report as text"_s, TimeRuns(kRuns, [&] {
               zovi::WriteReportFile(zovi::ReportFormat::Text, file + u".txt"_s, tmpl, content);
           }));
    return zovi::bench::ExitCodeForShownMessages();
}

} // namespace

int main(int argc, char** argv) {
    zovi::bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    zovi::bench::UseBenchConventions();
    const int entries = zovi::bench::CountArgument(argc, argv, 100000);
    if (entries <= 0) {
        std::fprintf(stderr, "usage: bench_reports [entries]\n");
        return 2;
    }
    try {
        return Run(entries);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    } catch (const zovi::ReportError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
    }
    return 1;
}
