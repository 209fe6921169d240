// Timings of refreshing both charts of the diagrams page over a generated ledger, by month and
// by day: the sums, the points and a painting of each chart; then the sums alone. Runs the real
// diagrams page headless over the whole ledger and prints medians of several runs. It checks
// nothing and is not a test.
//
// Usage: bench_charts [entries]   (100000 when omitted)
#include "benchapp.h"
#include "generator.h"
#include "timing.h"

#include "charts/chartdata.h"
#include "charts/diagramspage.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"

#include <QApplication>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

constexpr int kRuns = 7;

int Run(int entries) {
    const zovi::bench::BenchFolders dirs;

    std::printf("\n== the charts over %d generated entries ==\n", entries);
    zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries);
    auto data = std::make_unique<zovi::LedgerTables>();
    auto cd = std::make_unique<zovi::DebtTables>();
    dirs.open(*data, *cd);

    zovi::DiagramsPage page(*data);
    page.resize(1200, 800);
    page.show();
    QApplication::processEvents();
    std::printf("%d periods by day, %d by month\n",
                int(zovi::IncomeChargeSums(*data, zovi::PeriodLength::Days).size()),
                int(zovi::IncomeChargeSums(*data, zovi::PeriodLength::Months).size()));

    for (const char* length : {"RadioButton3", "RadioButton4"}) {
        page.findChild<QRadioButton*>(QLatin1String(length))->setChecked(true);
        const bool months = length == QByteArrayView("RadioButton3");
        Report(u"both charts refreshed and painted, by %1"_s.arg(months ? u"month"_s : u"day"_s),
               TimeRuns(kRuns, [&] {
                   page.refreshAutoCharts();
                   const QImage first = page.incomeChargeChart()->picture();
                   const QImage second = page.groupChart()->picture();
                   if (first.isNull() || second.isNull())
                       std::fprintf(stderr, "no picture\n");
               }));
        Report(u"  of which: the sums of the incomes and charges chart"_s, TimeRuns(kRuns, [&] {
                   zovi::IncomeChargeSums(*data, months ? zovi::PeriodLength::Months
                                                        : zovi::PeriodLength::Days);
               }));
        Report(u"  of which: painting the incomes and charges chart"_s,
               TimeRuns(kRuns, [&] { page.incomeChargeChart()->picture(); }));
    }
    Report(u"the sums of the groups chart"_s,
           TimeRuns(kRuns, [&] { zovi::GroupChartSums(*data, {}); }));
    zovi::CloseDatabase(*data, *cd);
    return zovi::bench::ExitCodeForShownMessages();
}

} // namespace

int main(int argc, char** argv) {
    zovi::bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    zovi::bench::UseBenchConventions();
    const int entries = zovi::bench::CountArgument(argc, argv, 100000);
    if (entries <= 0) {
        std::fprintf(stderr, "usage: bench_charts [entries]\n");
        return 2;
    }
    try {
        return Run(entries);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
