// Timings of the import of a bank's CSV statement: a generated file of 100 000 lines (or the
// count given), semicolons, decimal commas, a byte-order mark and Russian column names, read and
// stored into a fresh database with two currencies and three accounts each run. Prints the
// median of the reading (format guess, table, entries), the planning (duplicates, groups,
// currencies) and the storing, and of the whole. It checks nothing and is not a test.
//
// Usage: bench_csvimport [lines]   (100000 when omitted)
#include "generator.h"
#include "timing.h"

#include "core/locale.h"
#include "imports/csvimport.h"
#include "imports/importstore.h"
#include "ledger/classifiers.h"
#include "ledger/currency.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;
using zovi::bench::Report;

namespace {

constexpr int kRuns = 5;

// A statement as Russian banks write it: every line a different entry.
QByteArray Statement(int lines) {
    static const char* const kCategories[] = {
        "Продукты;Супермаркеты", "Транспорт;Такси", "Кафе;Кофейни",   "Дом;Коммунальные",
        "Здоровье;Аптеки",       "Одежда;",         "Связь;Интернет", "Развлечения;Кино"};
    QByteArray text = "\xEF\xBB\xBF";
    text += "Дата операции;Описание;Сумма;Валюта;Категория;Подкатегория\r\n";
    const QDate first(2020, 1, 1);
    for (int i = 0; i < lines; ++i) {
        const QDate date = first.addDays(i / 60);
        const bool income = i % 25 == 0;
        const int cents = 100 + (i * 7919) % 900000;
        text += date.toString(u"dd.MM.yyyy"_s).toUtf8();
        text += income ? ";Зарплата " : ";Покупка ";
        text += QByteArray::number(i);
        text += income ? ";" : ";-";
        text += QByteArray::number(cents / 100) + ',' +
                QByteArray::number(cents % 100).rightJustified(2, '0');
        text += i % 10 == 0 ? ";USD;" : ";RUB;";
        text += income ? "Доходы;Зарплата" : kCategories[i % 8];
        text += "\r\n";
    }
    return text;
}

int Run(int lines) {
    const zovi::bench::BenchFolders dirs;
    std::printf("\n== the import of a CSV statement of %d lines ==\n", lines);
    const QByteArray bytes = Statement(lines);
    std::printf("file: %lld bytes\n", static_cast<long long>(bytes.size()));

    std::vector<double> reading, planning, storing, whole;
    for (int i = 0; i < kRuns; ++i) {
        const QString target = dirs.path(u"target%1"_s.arg(i));
        zovi::WriteTemplateFolder(target);
        zovi::LedgerTables data;
        zovi::DebtTables cd;
        zovi::BindDatabase(data, cd, target, dirs.program());
        zovi::OpenDatabase(data, cd);
        zovi::AddCurrency(data, {u"Рубль"_s, u"₽"_s, u"1"_s, u"0"_s, false});
        zovi::AddCurrency(data, {u"Dollar"_s, u"$"_s, u"90"_s, u"0"_s, true});
        for (const QString& account : {u"Card"_s, u"Cash"_s, u"Savings"_s})
            zovi::AddAccount(data, account);

        QElapsedTimer clock;
        clock.start();
        const zovi::CsvFormat format = zovi::GuessCsvFormat(bytes);
        const zovi::CsvTable table = zovi::ReadCsvTable(bytes, format);
        const zovi::ImportedFile file =
            zovi::CsvEntries(table, format, zovi::GuessCsvMapping(table.header, table));
        const qint64 read = clock.nsecsElapsed();
        const zovi::ImportPlan plan = zovi::PlanImport(data, file, u"Card"_s);
        const qint64 planned = clock.nsecsElapsed();
        const int stored = zovi::StoreImport(data, plan);
        const qint64 done = clock.nsecsElapsed();
        reading.push_back(double(read) / 1e6);
        planning.push_back(double(planned - read) / 1e6);
        storing.push_back(double(done - planned) / 1e6);
        whole.push_back(double(done) / 1e6);
        if (i == 0)
            std::printf("stored: %d entries; skipped as already there: %d; unread: %lld\n", stored,
                        plan.duplicates, static_cast<long long>(plan.unread.size()));
        zovi::CloseDatabase(data, cd);
    }
    Report(u"reading the file"_s, reading);
    Report(u"planning the entries"_s, planning);
    Report(u"storing in one transaction"_s, storing);
    Report(u"whole import"_s, whole);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const int lines = zovi::bench::CountArgument(argc, argv, 100000);
    if (lines <= 0) {
        std::fprintf(stderr, "usage: bench_csvimport [lines]\n");
        return 2;
    }
    try {
        return Run(lines);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
