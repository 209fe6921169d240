// Fills a database with generated entries (see generator.h): the folder is made from the
// program folder's template when it is missing; an existing folder is filled only while its
// ledger, accounts and currencies are empty, and with --if-missing it is left alone. The build
// makes the program folder's example database with it.
//
// Usage: zovi_generate [--program FOLDER] [--seed N] [--first yyyy-MM-dd] [--transfers PERCENT]
//                      [--debts N] [--distinct] [--if-missing] DATABASE_FOLDER ENTRIES [YEARS]
// The program folder defaults to the one of the program (ZOVI_PROGRAM_DIR); the entries end
// today unless --first says where they begin; YEARS defaults to 2; PERCENT of the entries are
// transfers between accounts (kTransfersPercent unless given); N debts are repaid monthly (one for
// every hundred entries unless given); with --distinct every entry's name and amount text are
// its own, as in a ledger kept with free-text notes.
#include "generator.h"

#include "core/clock.h"
#include "core/locale.h"
#include "core/paths.h"
#include "databases/databasefolder.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <clocale>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The share of transfers in the databases the tool makes, the example database among them.
constexpr int kTransfersPercent = 5;

struct Arguments {
    QString program;
    QString folder;
    zovi::GeneratorOptions options;
    std::optional<QDate> first;
    bool ifMissing = false;
    std::optional<int> debts;
};

std::optional<Arguments> Parse(QStringList args) {
    Arguments a;
    a.program = zovi::ProgramFolder::path();
    a.options.transfersPercent = kTransfersPercent;
    QStringList positional;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        const bool hasValue = !args.isEmpty();
        bool ok = true;
        if (arg == u"--if-missing"_s) {
            a.ifMissing = true;
        } else if (arg == u"--distinct"_s) {
            a.options.distinct = true;
        } else if (arg == u"--program"_s && hasValue) {
            a.program = args.takeFirst();
        } else if (arg == u"--seed"_s && hasValue) {
            a.options.seed = args.takeFirst().toUInt(&ok);
        } else if (arg == u"--transfers"_s && hasValue) {
            a.options.transfersPercent = args.takeFirst().toInt(&ok);
            ok = ok && a.options.transfersPercent >= 0 && a.options.transfersPercent <= 100;
        } else if (arg == u"--debts"_s && hasValue) {
            a.debts = args.takeFirst().toInt(&ok);
            ok = ok && *a.debts >= 0;
        } else if (arg == u"--first"_s && hasValue) {
            a.first = QDate::fromString(args.takeFirst(), Qt::ISODate);
            ok = a.first->isValid();
        } else if (arg.startsWith(u"--"_s)) {
            return std::nullopt;
        } else {
            positional << arg;
        }
        if (!ok)
            return std::nullopt;
    }
    if (positional.size() < 2 || positional.size() > 3)
        return std::nullopt;
    bool ok = false;
    a.folder = positional.at(0);
    a.options.entries = positional.at(1).toInt(&ok);
    if (!ok || a.options.entries < 0)
        return std::nullopt;
    if (positional.size() == 3) {
        a.options.years = positional.at(2).toInt(&ok);
        if (!ok || a.options.years < 1)
            return std::nullopt;
    }
    a.options.firstDate =
        a.first.value_or(zovi::Clock::today().addYears(-a.options.years).addDays(1));
    return a;
}

// Opens the database in folder, refuses one that already holds data, generates and closes.
zovi::GeneratedLedger Fill(const Arguments& a, const QString& folder) {
    zovi::LedgerTables data;
    zovi::DebtTables cd;
    zovi::BindDatabase(data, cd, folder, a.program);
    zovi::OpenDatabase(data, cd);
    if (!data.tbData.isEmpty() || !data.tbGr1.isEmpty() || !data.tbValuta.isEmpty()) {
        zovi::CloseDatabase(data, cd);
        throw zovi::StoreError(
            u"The database %1 already holds entries, accounts or currencies; it is left as it is."_s
                .arg(QDir::toNativeSeparators(folder)));
    }
    const zovi::GeneratedLedger made = zovi::GenerateLedger(data, a.options);
    // Debts repaid monthly up to the last day of the ledger.
    zovi::DebtOptions debts;
    debts.debts = a.debts.value_or(a.options.entries / 100);
    debts.firstDate = made.firstDate;
    debts.lastDate = made.lastDate;
    debts.seed = a.options.seed;
    if (debts.debts > 0 && made.firstDate.isValid())
        zovi::GenerateDebts(data, cd, debts);
    zovi::CloseDatabase(data, cd);
    return made;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::loadFromSystem();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto args = Parse(app.arguments().mid(1));
    if (!args) {
        err << "usage: zovi_generate [--program FOLDER] [--seed N] [--first yyyy-MM-dd] "
               "[--transfers PERCENT] [--debts N] [--distinct] [--if-missing] DATABASE_FOLDER "
               "ENTRIES [YEARS]\n";
        return 2;
    }
    try {
        zovi::GeneratedLedger made;
        const auto fill = [&](const QString& folder) {
            made = Fill(*args, folder);
        };
        if (QFileInfo::exists(args->folder)) {
            if (args->ifMissing)
                return 0;
            fill(args->folder);
        } else {
            zovi::DatabaseFolder::createFromTemplate(QDir(args->program).filePath(u"Template"_s),
                                                     args->folder, fill);
        }
        out << "wrote " << made.charges << " charges, " << made.incomes << " incomes, "
            << made.transfers << " transfers and " << made.exchanges << " exchanges from "
            << made.firstDate.toString(Qt::ISODate) << " to " << made.lastDate.toString(Qt::ISODate)
            << " into " << QDir::toNativeSeparators(args->folder) << '\n';
    } catch (const zovi::StoreError& e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
