// Timings of valuing debts as the debts page does each time it is shown: 1000 debts (or the
// count given), each begun ten years ago and repaid every month since, valued to a day. The
// rows are written straight into the debt tables (the valuation reads nothing else), so that
// making 120 000 repayments takes seconds. Prints medians of several runs; it checks nothing
// and is not a test.
//
// Usage: bench_debts [debts]   (1000 when omitted)

#include "core/clock.h"
#include "core/locale.h"
#include "core/paths.h"
#include "debts/debtrows.h"
#include "debts/valuation.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"
#include "store/transaction.h"
#include "timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

using namespace Qt::StringLiterals;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

constexpr int kRuns = 9;

void Fill(zovi::LedgerTables& data, zovi::DebtTables& cd, int debts, const QDate& today) {
    std::mt19937 random(13);
    zovi::Transaction t;
    zovi::TableHandle& v = data.tbValuta;
    v.append();
    v.field(zovi::fields::Valuta::Name).setText(u"Dollar"_s);
    v.field(zovi::fields::Valuta::Znak).setText(u"$"_s);
    v.field(zovi::fields::Valuta::Kurs).setDouble(1);
    v.field(zovi::fields::Valuta::Def).setBool(true);
    v.post();
    zovi::TableHandle& c = cd.tbCredit2;
    zovi::TableHandle& r = cd.tbOplataCredit2;
    r.setFiltered(false);
    for (int i = 0; i < debts; ++i) {
        const QDate start = today.addYears(-10).addDays(-int(random() % 28));
        const bool yearly = i % 2 == 0;
        const double amount = 1000 + random() % 50000;
        c.append();
        c.field(zovi::fields::Credit::Date).setDate(start);
        c.field(zovi::fields::Credit::Name).setText(u"Debt %1"_s.arg(i));
        c.field(zovi::fields::Credit::User).setText(u"Bank"_s);
        c.field(zovi::fields::Credit::Valuta).setText(u"Dollar"_s);
        c.field(zovi::fields::Credit::CD).setText(i % 3 == 0 ? u"D"_s : u"C"_s);
        c.field(zovi::fields::Credit::Type).setText(yearly ? u"Y"_s : u"M"_s);
        c.field(zovi::fields::Credit::Procent).setDouble(yearly ? 12 : 1);
        c.field(zovi::fields::Credit::ValueBegin).setDouble(amount);
        c.post();
        const qint64 id = c.lastInsertedRowid();
        for (QDate day = start.addMonths(1); day <= today; day = day.addMonths(1)) {
            r.append();
            r.field(zovi::fields::OplataCredit::IDcredit).setInt(id);
            r.field(zovi::fields::OplataCredit::Date).setDate(day);
            r.field(zovi::fields::OplataCredit::Value).setDouble(amount / 150);
            r.field(zovi::fields::OplataCredit::Comment).setText(u"Monthly payment"_s);
            r.post();
        }
    }
    t.commit();
    r.setFiltered(true);
    for (zovi::TableHandle* h : {&cd.tbCredit, &cd.tbCredit2, &cd.tbOplataCredit})
        h->refresh();
}

int Run(int debts) {
    QTemporaryDir dir;
    const QString program = dir.filePath(u"program"_s);
    const QString folder = dir.filePath(u"db"_s);
    QDir().mkpath(program);
    zovi::ProgramFolder::set(program);
    zovi::WritePrintTables(program);
    zovi::WriteTemplateFolder(folder);
    zovi::LedgerTables data;
    zovi::DebtTables cd;
    zovi::BindDatabase(data, cd, folder, program);
    zovi::OpenDatabase(data, cd);
    const QDate today = zovi::Clock::today();
    Fill(data, cd, debts, today);
    std::printf("%d debts with %d repayments, each debt begun ten years ago\n",
                cd.tbCredit.recordCount(), cd.tbOplataCredit2.recordCount());

    // Every run values to another day, so every debt's value and texts are written again.
    int shift = 0;
    Report(u"valuation of every debt to a new day (values and texts written)"_s,
           TimeRuns(kRuns, [&] { zovi::ValueDebts(data, cd, today.addDays(-(++shift % 2))); }));
    zovi::ValueDebts(data, cd, today);
    Report(u"valuation to the same day again (nothing to write)"_s,
           TimeRuns(kRuns, [&] { zovi::ValueDebts(data, cd, today); }));
    Report(u"rows of the debts grid, read and sorted by date"_s,
           TimeRuns(kRuns, [&] { zovi::ReadDebtRows(data, cd); }));
    zovi::CloseDatabase(data, cd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const int debts = zovi::bench::CountArgument(argc, argv, 1000);
    if (debts <= 0) {
        std::fprintf(stderr, "usage: bench_debts [debts]\n");
        return 2;
    }
    try {
        return Run(debts);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", e.what());
        return 1;
    }
}
