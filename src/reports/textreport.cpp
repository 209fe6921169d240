#include "reports/textreport.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "store/fields.h"

#include <QFileDevice>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace zovi {

// ---------------------------------------------------------------------------------------------
// Writing to the device

[[noreturn]] void RefuseWrite(const QIODevice& out) {
    const auto* file = qobject_cast<const QFileDevice*>(&out);
    if (file && !file->fileName().isEmpty()) {
        throw ReportError(LangText(QStringLiteral("reportWriteFailed"),
                                   QStringLiteral("The report cannot be written to %1: %2."))
                              .arg(file->fileName(), out.errorString()));
    }
    throw ReportError(LangText(QStringLiteral("reportWriteFailedDevice"),
                               QStringLiteral("The report cannot be written: %1."))
                          .arg(out.errorString()));
}

namespace {

void Put(QIODevice& out, const QByteArray& bytes) {
    if (out.write(bytes) != bytes.size())
        RefuseWrite(out);
}

// A file keeps what it is given in a buffer; a full disk shows only when the buffer goes out.
void Finish(QIODevice& out) {
    if (auto* file = qobject_cast<QFileDevice*>(&out); file && !file->flush())
        RefuseWrite(out);
}

// ---------------------------------------------------------------------------------------------
// Plain text

// The line breaks of a text as "\n" alone, and every other control character (a tab, a form
// feed) as a blank, so that nothing in a text can move the columns or start a page.
QString PlainText(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\r')
            continue;
        plain.append(c == u'\n' || c.unicode() >= 0x20 ? c : QChar(u' '));
    }
    return plain;
}

// Appends the lines of one paragraph (no line breaks) of at most width characters: a line breaks
// at its last blank that fits, and inside a word only when the word alone is wider than a line
// (never between the two halves of a surrogate pair). Blanks at the line breaks are dropped.
void WrapParagraph(QStringView text, qsizetype width, QStringList& lines) {
    while (text.endsWith(u' '))
        text.chop(1);
    qsizetype pos = 0;
    const qsizetype size = text.size();
    bool first = true;
    while (size - pos > width) {
        qsizetype blank = pos + width;
        while (blank > pos && text.at(blank) != u' ')
            --blank;
        qsizetype end = blank;
        qsizetype next = blank + 1;
        if (blank == pos) {
            end = pos + width;
            if (end - pos > 1 && text.at(end - 1).isHighSurrogate())
                --end;
            next = end;
        }
        while (end > pos && text.at(end - 1) == u' ')
            --end;
        // Leading blanks of a paragraph up to a break give no line of their own.
        if (end > pos || !first)
            lines << text.sliced(pos, end - pos).toString();
        first = false;
        pos = next;
        while (pos < size && text.at(pos) == u' ')
            ++pos;
    }
    if (pos < size || first)
        lines << text.sliced(pos).toString();
}

// The lines of a cell in a column of width characters; at least one.
QStringList CellLines(const QString& text, int width) {
    QStringList lines;
    if (text.size() <= width &&
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; })) {
        lines << text;
        return lines;
    }
    const QString plain = PlainText(text);
    for (const QStringView paragraph : QStringView(plain).split(u'\n'))
        WrapParagraph(paragraph, width, lines);
    return lines;
}

// The widths of the columns on a line of lineWidth characters with one blank between columns,
// in proportion to the template's widths; every column gets at least one character, and a
// column gets at least its entry in least (when it has one) as far as the other columns can
// give characters up.
QList<int> ScaleWidths(const QList<ReportColumn>& columns, int lineWidth, const QList<int>& least) {
    const int count = int(columns.size());
    const int room = lineWidth - (count - 1);
    double total = 0;
    for (const ReportColumn& c : columns)
        total += std::max(c.width, 1);
    QList<int> widths(count);
    QList<double> exact(count);
    int used = 0;
    for (int i = 0; i < count; ++i) {
        exact[i] = std::max(columns[i].width, 1) * room / total;
        widths[i] = std::max(1, int(std::floor(exact[i])));
        used += widths[i];
    }
    // The characters left over go to the columns that lost most by rounding down; the ones the
    // minimum of one took come from the widest columns.
    while (used < room) {
        int best = 0;
        for (int i = 1; i < count; ++i) {
            if (exact[i] - widths[i] > exact[best] - widths[best])
                best = i;
        }
        ++widths[best];
        ++used;
    }
    while (used > room) {
        const auto widest = std::max_element(widths.begin(), widths.end());
        --*widest;
        --used;
    }
    // A column short of its least width takes characters one by one from the widest column
    // that can spare one.
    const auto leastOf = [&](int i) {
        return std::max(1, i < least.size() ? least[i] : 0);
    };
    for (int i = 0; i < count; ++i) {
        while (widths[i] < leastOf(i)) {
            int donor = -1;
            for (int j = 0; j < count; ++j) {
                if (j != i && widths[j] > leastOf(j) && (donor < 0 || widths[j] > widths[donor]))
                    donor = j;
            }
            if (donor < 0)
                break;
            --widths[donor];
            ++widths[i];
        }
    }
    return widths;
}

// The least widths of the columns: a column of dates is as wide as its longest date, so that
// no date is broken over lines.
QList<int> LeastWidths(const QList<ReportColumn>& columns, const ReportContent& content) {
    QList<int> least(columns.size(), 0);
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (columns[c].fields != QStringList{QString(fields::ReportData::Date)})
            continue;
        for (const QStringList& row : content.rows) {
            if (c < row.size() && !row[c].contains(u'\n'))
                least[c] = std::max(least[c], int(row[c].size()));
        }
    }
    return least;
}

QString Centred(const QString& line, int width) {
    const qsizetype pad = std::max<qsizetype>(0, (width - line.size()) / 2);
    return QString(pad, u' ') + line;
}

// The pages of a text report planned before a line is written, so that every page can name
// the page count.
class TextLayout {
public:
    TextLayout(const ReportTemplate& tmpl, const ReportContent& content, const TextPage& page)
        : m_tmpl(tmpl), m_content(content), m_page(page) {
        const int count = int(tmpl.columns.size());
        if (count == 0 || page.charsPerLine < 2 * count - 1 || page.linesPerPage < 1)
            refuseSmallPage();
        m_widths = ScaleWidths(tmpl.columns, page.charsPerLine, LeastWidths(tmpl.columns, content));
        for (int i = 0; i < count; ++i)
            m_headings << CellLines(tmpl.columns[i].heading, m_widths[i]);
        m_heights.reserve(content.rows.size());
        for (const QStringList& row : content.rows)
            m_heights << textsHeight(row);
    }

    // Where each page starts: a row and, for a row taller than a page, its line.
    struct Start {
        qsizetype row = 0;
        int line = 0;
    };

    // Plans the pages with page numbers "of pages": a row goes to the next page when it does not
    // fit on this one, and only a row taller than a whole page is split.
    QList<Start> paginate(int pages) const {
        QList<Start> starts;
        Start at;
        do {
            starts << at;
            const int page = int(starts.size());
            const int body = bodyHeight(page, pages);
            int used = 0;
            while (at.row < m_heights.size()) {
                const int rest = m_heights[at.row] - at.line;
                if (used + rest <= body) {
                    used += rest;
                    ++at.row;
                    at.line = 0;
                } else {
                    if (used == 0)
                        at.line += body;
                    break;
                }
            }
        } while (at.row < m_heights.size());
        return starts;
    }

    // The lines above the rows: the title, the heading lines, a blank, the column headings and
    // the rule.
    QStringList top(int page, int pages) const {
        QStringList lines;
        const int width = m_page.charsPerLine;
        if (!m_tmpl.title.isEmpty()) {
            const QString title = ExpandReportText(m_tmpl.title, m_content.heading, page, pages);
            for (const QString& line : CellLines(title, width))
                lines << Centred(line, width);
        }
        for (const QString& text : m_tmpl.lines)
            lines << CellLines(ExpandReportText(text, m_content.heading, page, pages), width);
        if (!lines.isEmpty())
            lines << QString();
        appendRowLines(m_headings, 0, headingHeight(), lines);
        QString rule;
        for (qsizetype i = 0; i < m_widths.size(); ++i) {
            if (i > 0)
                rule += u' ';
            rule += QString(m_widths[i], u'-');
        }
        lines << rule;
        return lines;
    }

    // The footer lines, which end the page.
    QStringList footer(int page, int pages) const {
        QStringList lines;
        if (m_tmpl.footer.isEmpty())
            return lines;
        const int width = m_page.charsPerLine;
        const QString text = ExpandReportText(m_tmpl.footer, m_content.heading, page, pages);
        for (const QString& line : CellLines(text, width))
            lines << Centred(line, width);
        return lines;
    }

    // Appends the lines first to first + count - 1 of a row whose cells are given as lines.
    void appendRowLines(const QList<QStringList>& cells, int first, int count,
                        QStringList& lines) const {
        for (int l = first; l < first + count; ++l) {
            QString line;
            for (qsizetype c = 0; c < cells.size(); ++c) {
                if (c > 0)
                    line += u' ';
                const QString text = l < cells[c].size() ? cells[c][l] : QString();
                const qsizetype pad = std::max<qsizetype>(0, m_widths[c] - text.size());
                if (m_tmpl.columns[c].alignRight)
                    line += QString(pad, u' ') + text;
                else
                    line += text + QString(pad, u' ');
            }
            while (line.endsWith(u' '))
                line.chop(1);
            lines << line;
        }
    }

    QList<QStringList> rowCells(const QStringList& row) const {
        QList<QStringList> cells;
        cells.reserve(m_widths.size());
        for (qsizetype c = 0; c < m_widths.size(); ++c)
            cells << CellLines(c < row.size() ? row[c] : QString(), m_widths[c]);
        return cells;
    }

    int rowHeight(qsizetype row) const { return m_heights[row]; }
    int headingHeight() const { return cellsHeight(m_headings); }
    const TextPage& page() const { return m_page; }

private:
    int textsHeight(const QStringList& row) const {
        qsizetype height = 1;
        for (qsizetype c = 0; c < m_widths.size(); ++c) {
            const QString& text = c < row.size() ? row[c] : QString();
            if (text.size() > m_widths[c] || text.contains(u'\n'))
                height = std::max(height, CellLines(text, m_widths[c]).size());
        }
        return int(height);
    }

    static int cellsHeight(const QList<QStringList>& cells) {
        qsizetype height = 1;
        for (const QStringList& lines : cells)
            height = std::max(height, lines.size());
        return int(height);
    }

    int bodyHeight(int page, int pages) const {
        const int body =
            m_page.linesPerPage - int(top(page, pages).size()) - int(footer(page, pages).size());
        if (body < 1)
            refuseSmallPage();
        return body;
    }

    [[noreturn]] void refuseSmallPage() const {
        throw ReportError(
            LangText(QStringLiteral("reportPageSmall"),
                     QStringLiteral("A page of %1 lines of %2 characters cannot hold the "
                                    "report's headings and %3 columns."))
                .arg(m_page.linesPerPage)
                .arg(m_page.charsPerLine)
                .arg(m_tmpl.columns.size()));
    }

    const ReportTemplate& m_tmpl;
    const ReportContent& m_content;
    TextPage m_page;
    QList<int> m_widths;
    QList<QStringList> m_headings;
    QList<int> m_heights;
};

// ---------------------------------------------------------------------------------------------
// RTF

// Twips (1/1440 inch) of an A4 page and its margins.
constexpr int kPaperWidth = 11906;
constexpr int kPaperHeight = 16838;
constexpr int kMarginLeft = 1134;
constexpr int kMarginRight = 850;
constexpr int kMarginBottom = 1134;
constexpr int kHeaderFromEdge = 567;
constexpr int kTextWidth = kPaperWidth - kMarginLeft - kMarginRight;

// Appends text as RTF: "\", "{" and "}" escaped, a line break as \line, every character outside
// ASCII as \uN (N a signed 16-bit number, a surrogate pair as two) followed by its
// Windows-1251 byte as \'xx for readers that do not know Unicode ("?" when it has none).
void AppendRtf(QByteArray& out, const QString& text) {
    const QByteArray fallback = EncodeCp1251(text);
    qsizetype byte = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++byte) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n') {
            out += "\\line ";
        } else if (c == u'\r') {
            continue;
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            out += ' ';
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c < 0x80) {
            out += char(c);
        } else {
            const bool pair =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const int units = pair ? 2 : 1;
            for (int u = 0; u < units; ++u) {
                out += "\\u";
                out += QByteArray::number(qint16(text.at(i + u).unicode()));
                // Even "?" as \'3f: some readers take a bare "?" and the letters after it
                // for one word and drop them all.
                const char f = u == 0 ? fallback.at(byte) : '?';
                out += "\\'";
                out += QByteArray::number(uchar(f), 16).rightJustified(2, '0');
            }
            i += units - 1;
        }
    }
}

// Appends a heading line or footer with {Page} and {Pages} as the word processor's page number
// and page count fields, the other names put in.
void AppendRtfWithFields(QByteArray& out, const QString& text, const ReportHeading& heading) {
    static const QRegularExpression field(QStringLiteral("\\{(Pages?)\\}"));
    qsizetype at = 0;
    for (const QRegularExpressionMatch& m : field.globalMatch(text)) {
        AppendRtf(out, ExpandReportText(text.mid(at, m.capturedStart() - at), heading, 1, 1));
        out += m.captured(1).size() == 4 ? "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}"
                                         : "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}";
        at = m.capturedEnd();
    }
    AppendRtf(out, ExpandReportText(text.mid(at), heading, 1, 1));
}

// The row definition: the cells' right edges in proportion to the column widths over the width
// of the text, the row kept on one page; the heading row repeats on every page and has a rule.
QByteArray RtfRowDefinition(const ReportTemplate& tmpl, bool heading) {
    QByteArray row = "\\trowd\\trgaph57\\trleft0\\trkeep";
    if (heading)
        row += "\\trhdr";
    const double total = std::max(tmpl.totalWidth(), 1);
    int sum = 0;
    for (const ReportColumn& c : tmpl.columns) {
        sum += c.width;
        if (heading)
            row += "\\clbrdrb\\brdrs\\brdrw10";
        row += "\\cellx";
        row += QByteArray::number(qRound(sum * kTextWidth / total));
    }
    row += '\n';
    return row;
}

} // namespace

void WriteTextReport(QIODevice& out, const ReportTemplate& tmpl, const ReportContent& content,
                     const TextPage& page, const PageProgress& progress) {
    const TextLayout layout(tmpl, content, page);
    // Every page may name the page count; plan with a count until the plan gives that count
    // (a heading that names the count may take another line once the count has more digits).
    // Should the plans never agree, the pages say the count of the last plan but one.
    int pages = 1;
    QList<TextLayout::Start> starts = layout.paginate(pages);
    for (int attempt = 0; attempt < 8 && starts.size() != pages; ++attempt) {
        pages = int(starts.size());
        starts = layout.paginate(pages);
    }

    const qsizetype rowCount = content.rows.size();
    QStringList lines;
    for (qsizetype p = 0; p < starts.size(); ++p) {
        const int number = int(p) + 1;
        if (progress)
            progress(number);
        lines = layout.top(number, pages);
        const TextLayout::Start end =
            p + 1 < starts.size() ? starts[p + 1] : TextLayout::Start{rowCount, 0};
        for (TextLayout::Start at = starts[p]; at.row < end.row || at.line < end.line;) {
            const int last = at.row == end.row ? end.line : layout.rowHeight(at.row);
            layout.appendRowLines(layout.rowCells(content.rows[at.row]), at.line, last - at.line,
                                  lines);
            if (at.row == end.row) {
                at.line = last;
            } else {
                ++at.row;
                at.line = 0;
            }
        }
        const QStringList footer = layout.footer(number, pages);
        if (!footer.isEmpty()) {
            while (lines.size() < layout.page().linesPerPage - footer.size())
                lines << QString();
            lines << footer;
        }
        QString text = p > 0 ? QStringLiteral("\f") : QString();
        text += lines.join(u'\n');
        text += u'\n';
        Put(out, text.toUtf8());
    }
    Finish(out);
}

void WriteRtfReport(QIODevice& out, const ReportTemplate& tmpl, const ReportContent& content,
                    const PageProgress& progress) {
    if (progress)
        progress(1);
    const int halfPoints = std::max(2, int(std::lround(tmpl.fontSize * 2)));
    const QByteArray font = "\\plain\\f0\\fs" + QByteArray::number(halfPoints);
    // The header grows down from its edge distance; the text starts below its lines.
    const int headerLines = int(tmpl.lines.size()) + (tmpl.title.isEmpty() ? 0 : 1) + 1;
    const int lineHeight = int(std::ceil(tmpl.fontSize * 20 * 1.25));
    const int marginTop = std::max(1134, kHeaderFromEdge + headerLines * lineHeight + lineHeight);

    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil\\fcharset204 ";
    AppendRtf(rtf, tmpl.fontFamily);
    rtf += ";}}\n";
    const QByteArray page =
        "\\paperw" + QByteArray::number(kPaperWidth) + "\\paperh" +
        QByteArray::number(kPaperHeight) + "\\margl" + QByteArray::number(kMarginLeft) + "\\margr" +
        QByteArray::number(kMarginRight) + "\\margt" + QByteArray::number(marginTop) + "\\margb" +
        QByteArray::number(kMarginBottom);
    rtf += page + "\n\\sectd\\headery" + QByteArray::number(kHeaderFromEdge) + "\\footery" +
           QByteArray::number(kHeaderFromEdge) + "\n";

    rtf += "{\\header";
    if (!tmpl.title.isEmpty()) {
        rtf += "\\pard" + font + "\\qc\\b ";
        AppendRtfWithFields(rtf, tmpl.title, content.heading);
        rtf += "\\b0\\par";
    }
    for (const QString& line : tmpl.lines) {
        rtf += "\\pard" + font + ' ';
        AppendRtfWithFields(rtf, line, content.heading);
        rtf += "\\par";
    }
    rtf += "\\pard" + font + "\\par}\n";
    if (!tmpl.footer.isEmpty()) {
        rtf += "{\\footer\\pard" + font + "\\qc ";
        AppendRtfWithFields(rtf, tmpl.footer, content.heading);
        rtf += "\\par}\n";
    }

    rtf += "\\pard" + font + '\n';
    rtf += RtfRowDefinition(tmpl, true);
    for (const ReportColumn& c : tmpl.columns) {
        rtf += c.alignRight ? "\\pard\\intbl\\qr{\\b " : "\\pard\\intbl\\ql{\\b ";
        AppendRtf(rtf, c.heading);
        rtf += "}\\cell\n";
    }
    rtf += "\\row\n";

    const QByteArray definition = RtfRowDefinition(tmpl, false);
    const qsizetype columns = tmpl.columns.size();
    for (const QStringList& row : content.rows) {
        rtf += definition;
        for (qsizetype c = 0; c < columns; ++c) {
            rtf += tmpl.columns[c].alignRight ? "\\pard\\intbl\\qr " : "\\pard\\intbl\\ql ";
            if (c < row.size())
                AppendRtf(rtf, row[c]);
            rtf += "\\cell\n";
        }
        rtf += "\\row\n";
        if (rtf.size() > 64 * 1024) {
            Put(out, rtf);
            rtf.clear();
        }
    }
    rtf += "\\pard" + font + "\\par\n}\n";
    Put(out, rtf);
    Finish(out);
}

} // namespace zovi
