#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <exception>

namespace zovi {

// A report that cannot be made: a template file that is missing or broken, a print table that
// cannot be read, an output file that cannot be written. The message is meant for the user.
class ReportError : public std::exception {
public:
    explicit ReportError(QString message) : m_message(std::move(message)) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return "report error"; }

private:
    QString m_message;
};

// One column of a report: the fields of the print table it shows (several are joined by " / ",
// leaving out empty ones), its heading, its width in average characters of the report's font
// and whether its texts stand at the right edge (amounts).
struct ReportColumn {
    QStringList fields;
    QString heading;
    int width = 10;
    bool alignRight = false;
};

// A report template, read from one text file of Report/. Heading lines and the footer may name
// the heading row's fields in braces ({AccountTOP}, {DateTOP}, {ValueTOP}) and the page number
// and count ({Page}, {Pages}); every page carries the title, the lines, the column headings and
// the footer. The title, lines, footer and headings may name the program's own report texts by
// their translation key in brackets ([reportTitle], [reportAccountLine], [reportPeriodLine],
// [reportTotalLine], [reportPageLine], [date], [name], [income], [charge], [group],
// [reportGroupSubGroup], [account]), which read in the language of the translation file.
//
//   # a comment
//   title  = [reportTitle]
//   line   = [reportAccountLine]
//   footer = Страница {Page} из {Pages}
//   font   = DejaVu Sans
//   size   = 9
//   column = Date | [date] | 11
//   column = Income | Доход | 13 | right
//   column = Group + SubGroup | [reportGroupSubGroup] | 24
struct ReportTemplate {
    QString title;
    QStringList lines;
    QString footer;
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 9; // points
    QList<ReportColumn> columns;

    // The sum of the column widths, in characters.
    int totalWidth() const;
};

// Reads a template file; a missing file, an unknown key, a bad number or a template without
// columns throws ReportError naming the file and the line.
ReportTemplate ReadReportTemplate(const QString& path);
ReportTemplate ParseReportTemplate(const QString& text, const QString& fileName);

// The heading row of a report (Report/topdata.db).
struct ReportHeading {
    QString accountTop;
    QString dateTop;
    QString valueTop;
};

// A heading line or footer with its {AccountTOP}, {DateTOP}, {ValueTOP}, {Page} and {Pages}
// put in; other braces stay as they are.
QString ExpandReportText(const QString& text, const ReportHeading& heading, int page, int pages);

} // namespace zovi
