// Timings of renaming an account that half of a generated ledger is booked to, until the
// account tabs, the grid and the balances show the new name, as the accounts window and the
// refresh after it do; then the rename alone. Runs the real main window headless over a
// database opened without the chooser and prints medians of several runs. It checks nothing
// and is not a test.
//
// Usage: bench_rename [entries]   (100000 when omitted; half of them are booked to the account
// renamed)
#include "benchapp.h"
#include "generator.h"
#include "timing.h"

#include "app/mainwindow.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "ledger/classifiers.h"
#include "ledger/ledgerpage.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <QApplication>
#include <QTabBar>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using zovi::bench::MillisecondsOf;
using zovi::bench::Report;

namespace {

constexpr int kRuns = 5;

// Every second entry is booked to account, the others to other accounts: account has half of
// the ledger.
void BookHalfTo(zovi::LedgerTables& data, const QString& account, const QString& other) {
    zovi::Transaction t;
    {
        zovi::UnfilteredView all(data.tbData2);
        zovi::TableHandle& d = data.tbData2;
        const int column = d.fieldIndex(zovi::fields::Data::Gr1);
        for (int row = 0; row < d.recordCount(); ++row) {
            const QString now = d.textAt(row, column);
            const QString wanted = row % 2 == 0 ? account : (now == account ? other : now);
            if (now == wanted)
                continue;
            d.setRecNo(row + 1);
            d.edit();
            d.field(column).setText(wanted);
            d.post();
        }
    }
    t.commit();
}

int Run(int entries) {
    const zovi::bench::BenchFolders dirs;

    std::printf("\n== renaming an account of %d generated entries ==\n", entries);
    zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries);
    auto data = std::make_unique<zovi::LedgerTables>();
    auto cd = std::make_unique<zovi::DebtTables>();
    dirs.open(*data, *cd);
    const QStringList accounts = zovi::AccountNames(*data);
    if (accounts.size() < 2) {
        std::fprintf(stderr, "the generated ledger has fewer than two accounts\n");
        return 1;
    }
    BookHalfTo(*data, accounts.at(0), accounts.at(1));
    auto window = std::make_unique<zovi::MainWindow>(*data, *cd);
    window->fillFromDatabase();
    zovi::LedgerPage& page = *window->ledgerPage();

    std::vector<double> rename, refresh, total;
    for (int run = 0; run < kRuns; ++run) {
        const QString next = run % 2 == 0 ? u"Renamed"_s : accounts.at(0);
        rename.push_back(MillisecondsOf([&] { zovi::RenameAccount(*data, *cd, 0, next); }));
        refresh.push_back(MillisecondsOf([&] {
            page.showAccounts();
            page.applyFilter();
        }));
        total.push_back(rename.back() + refresh.back());
    }
    Report(u"rename an account of %1 entries until tabs, grid and balances are refreshed"_s.arg(
               entries / 2),
           total);
    Report(u"  of which: RenameAccount (ledger, debts and account row, one transaction)"_s, rename);
    Report(u"  of which: showAccounts and applyFilter"_s, refresh);
    window.reset();
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
        std::fprintf(stderr, "usage: bench_rename [entries]\n");
        return 2;
    }
    try {
        return Run(entries);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
