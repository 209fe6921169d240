#pragma once

#include "reports/reportcontent.h"

#include <QIODevice>
#include <functional>

namespace zovi {

// Throws the ReportError of a device that refused what was written to it, naming its file.
[[noreturn]] void RefuseWrite(const QIODevice& out);

// Called with each page number as the page is made, so that a status window can follow.
using PageProgress = std::function<void(int page)>;

// The page of a plain text report: characters per line and lines per page. The default is an A4
// page at 10 characters and 6 lines per inch inside margins of about half an inch.
struct TextPage {
    int charsPerLine = 78;
    int linesPerPage = 64;
};

// Writes the report as plain UTF-8 text: on every page the title, the heading lines, the column
// headings and a rule, then the rows (a text wider than its column wraps at blanks inside it, a
// word wider than its column breaks, a row never splits across pages unless it is taller than a
// page), and the footer on the page's last line. Lines end with "\n" and a form feed starts every
// page after the first. Column widths are scaled to the line with one blank between columns.
// Progress is called with every page number before the page is written. Throws ReportError when
// the device refuses the text, and when the page cannot hold the columns or the headings.
void WriteTextReport(QIODevice& out, const ReportTemplate& tmpl, const ReportContent& content,
                     const TextPage& page = {}, const PageProgress& progress = {});

// Writes the report as an RTF document (A4, the template's font and size): the title and heading
// lines in the page header, the column headings as a table heading row repeated on every page,
// one table row per report row, and the footer with the page number and count fields. Every
// character outside ASCII is written as a Unicode escape with a Windows-1251 fallback, so that
// word processors read the Cyrillic text right. Progress is called once, with page 1: the word
// processor decides where the pages break. Throws ReportError when the device refuses it.
void WriteRtfReport(QIODevice& out, const ReportTemplate& tmpl, const ReportContent& content,
                    const PageProgress& progress = {});

} // namespace zovi
