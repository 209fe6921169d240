// Timings of saving a report as plain text and as RTF: 10 000 rows (or the count given) of
// Cyrillic names and amounts, some wider than their columns, written to a temporary file.
// Prints medians of several runs; it checks nothing and is not a test.
//
// Usage: bench_textreport [rows]   (10000 when omitted)

#include "reports/textreport.h"
#include "timing.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;
using zovi::bench::Report;
using zovi::bench::TimeRuns;

namespace {

constexpr int kRuns = 7;

const char16_t* const kTemplate = uR"(title  = Отчёт о движении средств
line   = Счёт: {AccountTOP}
line   = Период: {DateTOP}   Остаток: {ValueTOP}
footer = Страница {Page} из {Pages}
column = Date | Дата | 11
column = Name + Comment | Наименование | 30
column = Group + SubGroup | Группа/Подгруппа | 24
column = Income | Доход | 13 | right
column = Charge | Расход | 13 | right
)";

zovi::ReportContent Content(int rows) {
    zovi::ReportContent content;
    content.heading = {u"Наличные"_s, u"01.01.2026 – 31.12.2026"_s, u"12 345,67 р."_s};
    for (int i = 0; i < rows; ++i) {
        const QString amount = u"%1 234,50 р."_s.arg(i % 97 + 1);
        content.rows << QStringList{
            u"%1.%2.2026"_s.arg(i % 28 + 1, 2, 10, QChar(u'0')).arg(i % 12 + 1, 2, 10, QChar(u'0')),
            i % 4 == 0 ? u"Оплата коммунальных услуг за январь по лицевому счёту 1234567"_s
                       : u"Продукты"_s,
            u"Питание / Магазин у дома"_s, i % 3 == 0 ? amount : QString(),
            i % 3 == 0 ? QString() : amount};
    }
    return content;
}

int Run(int rows) {
    QTemporaryDir dir;
    const zovi::ReportTemplate tmpl =
        zovi::ParseReportTemplate(QString::fromUtf16(kTemplate), u"bench"_s);
    const zovi::ReportContent content = Content(rows);
    const QString path = dir.filePath(u"report"_s);
    const auto write = [&](bool rtf) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw zovi::ReportError(file.errorString());
        if (rtf)
            zovi::WriteRtfReport(file, tmpl, content);
        else
            zovi::WriteTextReport(file, tmpl, content);
    };
    Report(u"%1 rows as plain text"_s.arg(rows), TimeRuns(kRuns, [&] { write(false); }));
    Report(u"%1 rows as RTF"_s.arg(rows), TimeRuns(kRuns, [&] { write(true); }));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = 10000;
    if (argc > 1) {
        bool ok = false;
        rows = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || rows < 0) {
            std::fprintf(stderr, "usage: bench_textreport [rows]\n");
            return 2;
        }
    }
    try {
        return Run(rows);
    } catch (const zovi::ReportError& e) {
        std::fprintf(stderr, "report error: %s\n", qPrintable(e.message()));
        return 1;
    }
}
