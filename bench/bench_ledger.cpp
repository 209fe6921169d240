// Timings of what a user waits for in the ledger editor, on generated ledgers: the start-up to
// the first filled grid, a change of the account tab (the whole filter refresh), the grid
// refilled in another order, a search keystroke, and a new charge saved until grid and
// balances show it; then the same work taken apart into the logic steps it is made of. Runs the
// real main window headless over a database opened without the chooser, and prints medians of
// several runs. It checks nothing and is not a test.
//
// Usage: bench_ledger [--distinct] [entries...]   (10000 and 100000 when omitted; each size runs
// in a process of its own; --distinct generates ledgers whose entries' texts all differ)
//        bench_ledger --from DATABASE_FOLDER     a copy of an existing database
#include "benchapp.h"
#include "generator.h"
#include "timing.h"

#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/lang.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "ledger/entrynames.h"
#include "ledger/ledgergrid.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"
#include "views/filterbuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;
using zovi::bench::MillisecondsOf;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

// About as many rows as a maximised grid shows.
constexpr int kRowsOnScreen = 60;
constexpr int kRuns = 5;

// An opened database with the main window filled over it, as after the chooser.
struct Session {
    std::unique_ptr<zovi::LedgerTables> data = std::make_unique<zovi::LedgerTables>();
    std::unique_ptr<zovi::DebtTables> cd = std::make_unique<zovi::DebtTables>();
    std::unique_ptr<zovi::MainWindow> window;

    ~Session() {
        window.reset();
        zovi::CloseDatabase(*data, *cd);
    }
};

// Start-up without the chooser: the tables read, the window made, fillFromDatabase() run. Returns
// the session of the last run, left open for the other figures.
std::unique_ptr<Session> StartUp(const QString& folder, const QString& program) {
    std::vector<double> open, construct, startup, total;
    std::unique_ptr<Session> session;
    for (int run = 0; run < kRuns; ++run) {
        session.reset();
        session = std::make_unique<Session>();
        Session& s = *session;
        open.push_back(MillisecondsOf([&] {
            zovi::BindDatabase(*s.data, *s.cd, folder, program);
            zovi::OpenDatabase(*s.data, *s.cd);
        }));
        construct.push_back(
            MillisecondsOf([&] { s.window = std::make_unique<zovi::MainWindow>(*s.data, *s.cd); }));
        startup.push_back(MillisecondsOf([&] { s.window->fillFromDatabase(); }));
        total.push_back(open.back() + construct.back() + startup.back());
    }
    Report(u"start-up to the first filled grid"_s, total);
    Report(u"  of which: open the tables (read the files)"_s, open);
    Report(u"  of which: construct MainWindow"_s, construct);
    Report(
        u"  of which: fillFromDatabase() (tabs, applyFilter, revalue, listCurrencies, grid refresh)"_s,
        startup);
    return session;
}

void WindowFigures(Session& s) {
    zovi::MainWindow& window = *s.window;
    auto* tabs = window.findChild<QTabBar*>(u"TabControl1"_s);
    auto* sort = window.findChild<QComboBox*>(u"ComboBox3"_s);
    const int allTab = tabs->count() - 1;
    const QString account = tabs->tabText(0);

    // A click on a tab runs applyFilter: the filters, the balances and the grid.
    std::vector<double> toAccount, toAll;
    for (int run = 0; run < kRuns; ++run) {
        toAll.push_back(MillisecondsOf([&] { tabs->setCurrentIndex(allTab); }));
        toAccount.push_back(MillisecondsOf([&] { tabs->setCurrentIndex(0); }));
    }
    Report(u"applyFilter, account tab \"%1\" (%2 entries shown)"_s.arg(account).arg(
               s.data->tbData.recordCount()),
           toAccount);
    tabs->setCurrentIndex(allTab);
    Report(u"applyFilter, tab \"[...]\" (%1 entries shown)"_s.arg(s.data->tbData.recordCount()),
           toAll);

    // The same with the running balance column shown: the balances are counted once per build.
    {
        zovi::LedgerGridView* grid = window.ledgerPage()->grid();
        const int balance = zovi::LedgerGridModel::kBalanceColumn;
        const int width = grid->shownColumnWidth(balance);
        grid->setShownColumnWidth(balance, 80);
        tabs->setCurrentIndex(0);
        std::vector<double> balancedAccount, balancedAll;
        for (int run = 0; run < kRuns; ++run) {
            balancedAll.push_back(MillisecondsOf([&] { tabs->setCurrentIndex(allTab); }));
            balancedAccount.push_back(MillisecondsOf([&] { tabs->setCurrentIndex(0); }));
        }
        Report(u"applyFilter with the balance column, account tab \"%1\""_s.arg(account),
               balancedAccount);
        Report(u"applyFilter with the balance column, tab \"[...]\""_s, balancedAll);
        grid->setShownColumnWidth(balance, width);
        tabs->setCurrentIndex(allTab);
    }

    for (int index : {0, 1}) {
        {
            const QSignalBlocker block(sort);
            sort->setCurrentIndex(index);
        }
        Report(u"grid refresh on \"[...]\", sorted by %1"_s.arg(index == 0 ? u"date"_s : u"name"_s),
               TimeRuns(kRuns, [&] { window.ledgerPage()->grid()->refresh(); }));
    }
    {
        const QSignalBlocker block(sort);
        sort->setCurrentIndex(0);
    }

    // A new charge on the account tab, stored and shown with the balances.
    tabs->setCurrentIndex(0);
    zovi::StandardEntry entry;
    entry.date = zovi::Clock::today();
    entry.name = u"Bread"_s;
    entry.amount = u"2"_s;
    entry.currencySign = u"$"_s;
    entry.group = u"Food"_s;
    entry.subGroup = u"Bread"_s;
    std::vector<double> append, refresh, total;
    for (int run = 0; run < kRuns; ++run) {
        append.push_back(
            MillisecondsOf([&] { zovi::AppendStandardEntry(*s.data, entry, account); }));
        refresh.push_back(MillisecondsOf([&] { window.ledgerPage()->refreshAfterChange(); }));
        total.push_back(append.back() + refresh.back());
    }
    Report(u"save a new charge until grid and balances are refreshed"_s, total);
    Report(u"  of which: AppendStandardEntry"_s, append);
    Report(u"  of which: refreshAfterChange (revalue, grid refresh, listCurrencies)"_s, refresh);
}

// A keystroke in the search field on "[...]", once its pause is over: the part of a name typed
// so far searched in every entry (the whole filter refresh).
void SearchFigures(Session& s) {
    zovi::MainWindow& window = *s.window;
    auto* tabs = window.findChild<QTabBar*>(u"TabControl1"_s);
    auto* pages = window.findChild<QTabWidget*>(u"PageControl2"_s);
    auto* field = window.findChild<QLineEdit*>(u"EditSearch"_s);
    auto* find = window.findChild<QPushButton*>(u"ButtonSearch1"_s);
    tabs->setCurrentIndex(tabs->count() - 1);
    pages->setCurrentIndex(2);
    const QString typed = u"bReAD"_s;
    std::vector<double> keystroke;
    for (int run = 0; run < kRuns; ++run) {
        field->setText(typed.left(run % typed.size() + 1));
        keystroke.push_back(MillisecondsOf([&] { find->click(); }));
    }
    Report(u"search keystroke on \"[...]\" (\"%1\": %2 entries shown)"_s.arg(field->text())
               .arg(s.data->tbData.recordCount()),
           keystroke);
    field->clear();
    pages->setCurrentIndex(0);
}

// The logic steps on their own, without any window.
void LogicFigures(Session& s, const QString& account) {
    zovi::LedgerTables& data = *s.data;
    zovi::FilterState accountState;
    accountState.tabText = account;
    accountState.lastTabSelected = false;
    accountState.today = zovi::Clock::today();
    zovi::FilterState allState;
    allState.today = accountState.today;

    zovi::LedgerGridOptions grid;
    grid.today = accountState.today;
    grid.kindLabel = [](const QString& type) {
        return zovi::LangText(u"type"_s + type, {});
    };

    for (const auto& [label, state] :
         {std::pair{account, accountState}, std::pair{u"[...]"_s, allState}}) {
        const zovi::FilterTexts texts = zovi::BuildFilters(state);
        Report(u"  %1: BuildFilters"_s.arg(label),
               TimeRuns(kRuns, [&] { zovi::BuildFilters(state); }));
        Report(u"  %1: ApplyFilters (tbData and tbData2)"_s.arg(label),
               TimeRuns(kRuns, [&] { zovi::ApplyFilters(texts, data.tbData, data.tbData2); }));
        Report(u"  %1: Revalue (%2 entries)"_s.arg(label).arg(data.tbData2.recordCount()),
               TimeRuns(kRuns, [&] { zovi::Revalue(data, true, QString()); }));
        for (int index : {0, 1}) {
            grid.sortIndex = index;
            Report(u"  %1: the grid's rows sorted by %2 (%3 rows, texts made for the rows shown)"_s
                       .arg(label)
                       .arg(index == 0 ? u"date"_s : u"name"_s)
                       .arg(data.tbData.recordCount()),
                   TimeRuns(kRuns, [&] {
                       const zovi::LedgerRowSource source(data.tbData.viewRows(), grid);
                       for (int k = 0; k < std::min(source.size(), kRowsOnScreen); ++k)
                           source.row(k);
                   }));
        }
    }

    // After a change of tab the balances differ, so the pass also stores them: one commit.
    const zovi::FilterTexts accountTexts = zovi::BuildFilters(accountState);
    const zovi::FilterTexts allTexts = zovi::BuildFilters(allState);
    std::vector<double> stored;
    for (int run = 0; run < kRuns; ++run) {
        zovi::ApplyFilters(run % 2 ? accountTexts : allTexts, data.tbData, data.tbData2);
        stored.push_back(MillisecondsOf([&] { zovi::Revalue(data, true, QString()); }));
    }
    Report(u"  Revalue after the other tab, the changed balances stored"_s, stored);

    // A new entry's dialog reads the names it completes once, over the whole ledger.
    Report(u"  EarlierNames: the names a new entry's name completes from"_s,
           TimeRuns(kRuns, [&] { zovi::EarlierNames names(data); }));
}

// A copy of the database in from (its files), where a bench would generate one.
void CopyDatabase(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name));
}

int Run(int entries, bool distinct, const QString& from) {
    const zovi::bench::BenchFolders dirs;

    if (!from.isEmpty()) {
        std::printf("\n== ledger of %s ==\n", qPrintable(QDir::toNativeSeparators(from)));
        CopyDatabase(from, dirs.folder());
    } else {
        std::printf("\n== ledger of %d generated entries%s ==\n", entries,
                    distinct ? " of distinct texts" : "");
        zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries, distinct);
    }
    std::unique_ptr<Session> session = StartUp(dirs.folder(), dirs.program());
    const QString account = session->window->findChild<QTabBar*>(u"TabControl1"_s)->tabText(0);
    WindowFigures(*session);
    SearchFigures(*session);
    std::printf("where the time goes:\n");
    LogicFigures(*session, account);
    return zovi::bench::ExitCodeForShownMessages();
}

} // namespace

int main(int argc, char** argv) {
    zovi::bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    zovi::bench::UseBenchConventions();
    QStringList arguments = app.arguments().mid(1);
    QString from;
    if (arguments.size() == 2 && arguments.first() == u"--from"_s)
        from = arguments.takeLast();
    const auto parsed = zovi::bench::ParseSizes(from.isEmpty() ? arguments : QStringList());
    if (!parsed || (!from.isEmpty() && !QDir(from).exists())) {
        std::fprintf(stderr, "usage: bench_ledger [--distinct] [entries...] | bench_ledger --from "
                             "DATABASE_FOLDER\n");
        return 2;
    }
    QList<int> sizes = parsed->sizes;
    if (!from.isEmpty())
        sizes = {0}; // one run, on the copied ledger
    else if (sizes.isEmpty())
        sizes = {10000, 100000};
    if (sizes.size() > 1)
        return zovi::bench::RunEachInItsOwnProcess(
            sizes, parsed->distinct ? QStringList{u"--distinct"_s} : QStringList());
    try {
        return Run(sizes.first(), parsed->distinct, from);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
