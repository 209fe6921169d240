// Timings of the import of an old database (Additional > Import) whose tables are Paradox
// files: a generated ledger of 100 000 entries (or the count given), with its currencies,
// accounts, groups, debts and repayments, written as Paradox tables in Windows-1251, imported
// into a fresh database each run. Prints the median, and how long the gauge stood still at
// most. It checks nothing and is not a test.
//
// Usage: bench_import [entries]   (100000 when omitted)
#include "generator.h"
#include "paradoxwriter.h"
#include "timing.h"

#include "core/locale.h"
#include "databases/oldimport.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/oldtable.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;
using zovi::bench::Report;

namespace {

constexpr int kRuns = 5;

char ParadoxType(zovi::FieldType type) {
    switch (type) {
    case zovi::FieldType::Text:
        return pxfAlpha;
    case zovi::FieldType::Float:
        return pxfNumber;
    case zovi::FieldType::Integer:
        return pxfLong;
    case zovi::FieldType::Date:
        return pxfDate;
    case zovi::FieldType::Boolean:
        return pxfLogical;
    case zovi::FieldType::AutoInc:
        return pxfAutoInc;
    }
    return pxfAlpha;
}

// Writes a table of the generated database as the old version kept it: a Paradox table of the
// same fields.
void WriteOld(const QString& from, const zovi::TableSchema& schema, const QString& to) {
    const zovi::OldTable table = zovi::ReadSqliteTable(zovi::FindFile(from, schema.fileName));
    std::vector<QByteArray> names;
    std::vector<zovi::test::ParadoxField> fields;
    for (const zovi::FieldDef& f : schema.fields)
        names.push_back(f.name.toLatin1());
    for (size_t i = 0; i < names.size(); ++i) {
        const zovi::FieldDef& f = schema.fields[qsizetype(i)];
        fields.push_back({names[i].constData(), ParadoxType(f.type), f.width > 0 ? f.width : 60});
    }
    std::vector<zovi::test::ParadoxRow> rows;
    rows.reserve(table.rows.size());
    for (size_t r = 0; r < table.rows.size(); ++r) {
        zovi::test::ParadoxRow row;
        for (const zovi::FieldDef& f : schema.fields) {
            const zovi::FieldType type =
                f.type == zovi::FieldType::AutoInc ? zovi::FieldType::Integer : f.type;
            row.push_back(
                zovi::ValueVariant(table.valueFor(r, table.fieldIndex(f.name), type), type));
        }
        rows.push_back(std::move(row));
    }
    if (!zovi::test::WriteParadoxTable(to + u'/' + schema.fileName, fields, rows))
        throw zovi::StoreError(u"pxlib could not write %1"_s.arg(schema.fileName));
}

int Run(int entries) {
    const zovi::bench::BenchFolders dirs;
    std::printf("\n== the import of an old database of %d generated entries ==\n", entries);
    zovi::bench::GenerateTimed(dirs.folder(), dirs.program(), entries);
    {
        zovi::LedgerTables data;
        zovi::DebtTables cd;
        dirs.open(data, cd);
        const zovi::GeneratedDebts debts = zovi::GenerateDebts(data, cd, {});
        std::printf("debts: %d with %d repayments\n", debts.debts, debts.repayments);
        zovi::CloseDatabase(data, cd);
    }

    const QString old = dirs.path(u"old"_s);
    QDir().mkpath(old);
    using namespace zovi::schemas;
    for (const zovi::TableSchema* schema :
         {&Valuta(), &Data(), &Gr1(), &GrD(), &GrR(), &GrD2(), &GrR2(), &Credit(), &OplataCredit()})
        WriteOld(dirs.folder(), *schema, old);
    std::printf("old ledger: %lld bytes of Paradox table\n",
                static_cast<long long>(QFileInfo(old + u"/Data.db"_s).size()));

    zovi::ParadoxReader reader;
    reader.program = QStringLiteral(ZOVI_PXREAD);
    std::vector<double> runs, stills;
    for (int i = 0; i < kRuns; ++i) {
        const QString target = dirs.path(u"target%1"_s.arg(i));
        zovi::WriteTemplateFolder(target);
        zovi::LedgerTables data;
        zovi::DebtTables cd;
        zovi::BindDatabase(data, cd, target, dirs.program());
        zovi::OpenDatabase(data, cd);
        QElapsedTimer clock;
        qint64 last = 0, still = 0;
        zovi::ImportOutcome outcome;
        clock.start();
        outcome = zovi::ImportOldDatabase(data, cd, old, reader, [&](int) {
            still = std::max(still, clock.elapsed() - last);
            last = clock.elapsed();
        });
        runs.push_back(double(clock.nsecsElapsed()) / 1e6);
        stills.push_back(double(std::max(still, clock.elapsed() - last)));
        if (!outcome.imported)
            throw zovi::StoreError(outcome.error.isEmpty() ? outcome.missingFile : outcome.error);
        if (i == 0)
            std::printf("imported: %d entries, %d currencies, %d accounts\n", outcome.entries,
                        outcome.currencies, outcome.accounts);
        zovi::CloseDatabase(data, cd);
    }
    Report(u"import of the old database"_s, runs);
    Report(u"longest time the gauge stood still"_s, stills);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const int entries = zovi::bench::CountArgument(argc, argv, 100000);
    if (entries <= 0) {
        std::fprintf(stderr, "usage: bench_import [entries]\n");
        return 2;
    }
    try {
        return Run(entries);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
