// The plain text and RTF reports written to real files and read back: the text pages as a
// printer gets them, the RTF through a converter a user could have.
#include "core/textutil.h"
#include "reports/textreport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cctype>

using namespace zovi;

namespace {

const char* const kTemplate = R"(# the standard report
title  = Отчёт о движении средств
line   = Счёт: {AccountTOP}
line   = Период: {DateTOP}   Остаток: {ValueTOP}
footer = Страница {Page} из {Pages}
font   = DejaVu Sans
size   = 9
column = Num | № | 5
column = Name + Comment | Наименование | 28
column = Income | Доход | 12 | right
column = Charge | Расход | 12 | right
)";

const char* const kNames[] = {
    "Зарплата",      "Продукты в магазине у дома",
    "Бензин",        "Оплата коммунальных услуг за январь по лицевому счёту 1234567",
    "Кафе «Ёлочка»",
};

// The report's rows: the row number, a name and an income or a charge.
ReportContent Entries(int count) {
    ReportContent content;
    content.heading = {QStringLiteral("Наличные"), QStringLiteral("01.01.2026 – 31.12.2026"),
                       QStringLiteral("12 345,67 р.")};
    for (int i = 0; i < count; ++i) {
        const QString amount =
            QStringLiteral("%1 %2,50 р.").arg(i % 9 + 1).arg(i % 1000, 3, 10, QLatin1Char('0'));
        const QString name = QString::fromUtf8(kNames[i % std::size(kNames)]);
        content.rows << (i % 3 == 0 ? QStringList{QString::number(i + 1), name, amount, QString()}
                                    : QStringList{QString::number(i + 1), name, QString(), amount});
    }
    return content;
}

// A text report as it was read back: its pages' lines, the columns as the rule under the column
// headings shows them, and the rows found in the pages' bodies.
struct TextReport {
    struct Row {
        QStringList lines;
        int page = 0;           // where the row starts
        bool continued = false; // it goes on on a later page
    };
    QList<QStringList> pages;
    QList<int> ruleAt;              // the rule's line on each page
    QList<QPair<int, int>> columns; // start and width
    QList<Row> rows;

    QString slice(const QString& line, int column) const {
        return line.mid(columns[column].first, columns[column].second);
    }

    // A cell's text: the pieces of its lines joined by joiner.
    QString cell(int row, int column, const QString& joiner = QStringLiteral(" ")) const {
        QStringList pieces;
        for (const QString& line : rows[row].lines) {
            const QString piece = slice(line, column).trimmed();
            if (!piece.isEmpty())
                pieces << piece;
        }
        return pieces.join(joiner);
    }
};

TextReport ReadTextReport(const QByteArray& bytes) {
    static const QRegularExpression rule(QStringLiteral("^-+( -+)*$"));
    TextReport report;
    const QString text = QString::fromUtf8(bytes);
    for (QString page : text.split(QLatin1Char('\f'))) {
        if (page.endsWith(QLatin1Char('\n')))
            page.chop(1);
        report.pages << page.split(QLatin1Char('\n'));
    }
    for (qsizetype p = 0; p < report.pages.size(); ++p) {
        const QStringList& lines = report.pages[p];
        const auto at = std::find_if(lines.begin(), lines.end(),
                                     [](const QString& l) { return rule.match(l).hasMatch(); });
        report.ruleAt << int(at == lines.end() ? -1 : at - lines.begin());
        if (at == lines.end())
            continue;
        if (report.columns.isEmpty()) {
            for (const QRegularExpressionMatch& m :
                 QRegularExpression(QStringLiteral("-+")).globalMatch(*at))
                report.columns << qMakePair(int(m.capturedStart()), int(m.capturedLength()));
        }
        // The body: after the rule, before the footer on the last line.
        for (qsizetype l = report.ruleAt.last() + 1; l < lines.size() - 1; ++l) {
            const QString& line = lines[l];
            if (line.isEmpty())
                continue;
            if (!report.slice(line, 0).trimmed().isEmpty()) {
                report.rows << TextReport::Row{{}, int(p), false};
            } else if (report.rows.isEmpty()) {
                continue;
            } else if (report.rows.last().page != p) {
                report.rows.last().continued = true;
            }
            report.rows.last().lines << line;
        }
    }
    return report;
}

// The text of unrtf's HTML: its text mode leaves out every Unicode escape, the HTML gives each
// one as a numeric entity of one UTF-16 unit.
QString HtmlText(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    static const QRegularExpression entity(QStringLiteral("&#(\\d+);"));
    QString text;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& m : entity.globalMatch(html)) {
        text += html.mid(at, m.capturedStart() - at);
        text += QChar(char16_t(m.captured(1).toInt()));
        at = m.capturedEnd();
    }
    text += html.mid(at);
    // Some characters come as named entities.
    const std::pair<const char*, char16_t> named[] = {
        {"&lt;", u'<'},    {"&gt;", u'>'},     {"&quot;", u'"'},  {"&nbsp;", u' '},
        {"&laquo;", u'«'}, {"&raquo;", u'»'},  {"&mdash;", u'—'}, {"&ndash;", u'–'},
        {"&euro;", u'€'},  {"&ntilde;", u'ñ'}, {"&amp;", u'&'}};
    for (const auto& [name, character] : named)
        text.replace(QLatin1String(name), QString(QChar(character)));
    return text;
}

// The text of the RTF group that starts with opening as a reader that knows Unicode shows it:
// control words left out but \\line and \\par as line breaks, \\uN as its UTF-16 unit without
// the fallback after it, escaped characters as they are. unrtf leaves page headers out.
QString RtfGroupText(const QByteArray& rtf, const char* opening) {
    QString text;
    int depth = 0;
    for (qsizetype i = rtf.indexOf(opening); i >= 0 && i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                break;
        } else if (c == '\\' && i + 1 < rtf.size() && QByteArray("\\{}").contains(rtf[i + 1])) {
            text += QLatin1Char(rtf[++i]);
        } else if (c == '\\' && rtf.mid(i + 1, 1) == "'") {
            text += DecodeText(QByteArray::fromHex(rtf.mid(i + 2, 2)));
            i += 3;
        } else if (c == '\\') {
            qsizetype end = i + 1;
            while (end < rtf.size() && std::isalpha(uchar(rtf[end])))
                ++end;
            const QByteArray word = rtf.mid(i + 1, end - i - 1);
            if (word.isEmpty()) { // a control symbol such as \\*
                ++i;
                continue;
            }
            const qsizetype digits = end;
            while (end < rtf.size() && (std::isdigit(uchar(rtf[end])) || rtf[end] == '-'))
                ++end;
            const int parameter = rtf.mid(digits, end - digits).toInt();
            if (end < rtf.size() && rtf[end] == ' ')
                ++end;
            if (word == "u") {
                text += QChar(char16_t(parameter));
                end += rtf.mid(end, 2) == "\\'" ? 4 : 1;
            } else if (word == "line" || word == "par") {
                text += QLatin1Char('\n');
            }
            i = end - 1;
        } else if (c != '\n' && c != '\r') {
            text += QLatin1Char(c);
        }
    }
    return text;
}

bool BracesBalance(const QByteArray& rtf) {
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\')
            ++i; // an escaped character or the first letter of a control word
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

} // namespace

class TestTextReport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ReportTemplate m_tmpl;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QByteArray writeText(const ReportContent& content, const TextPage& page,
                         QList<int>* progress = nullptr) {
        QFile file(path("report.txt"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        WriteTextReport(file, m_tmpl, content, page, [progress](int p) {
            if (progress)
                *progress << p;
        });
        file.close();
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_tmpl = ParseReportTemplate(QString::fromUtf8(kTemplate), QStringLiteral("standard"));
    }

    // Every page fits the paper and carries the headings and its footer; every entry is there
    // once, in order, whole, amounts at their column's right edge; no row is split and no page
    // ends early.
    void textPages_data() {
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("count");
        QTest::newRow("tiny page") << 50 << 14 << 1000;
        QTest::newRow("normal page") << 78 << 64 << 1000;
        QTest::newRow("empty report") << 78 << 64 << 0;
    }
    void textPages() {
        QFETCH(int, chars);
        QFETCH(int, lines);
        QFETCH(int, count);
        const ReportContent content = Entries(count);
        QList<int> progress;
        const TextReport report = ReadTextReport(writeText(content, {chars, lines}, &progress));
        const int pages = int(report.pages.size());
        QVERIFY(pages >= 1);
        QCOMPARE(report.columns.size(), m_tmpl.columns.size());

        QList<int> expectedProgress;
        for (int p = 1; p <= pages; ++p) {
            const QStringList& page = report.pages[p - 1];
            expectedProgress << p;
            QVERIFY2(page.size() <= lines, qPrintable(QString::number(p)));
            for (const QString& line : page)
                QVERIFY2(line.size() <= chars, qPrintable(line));
            QVERIFY2(report.ruleAt[p - 1] > 0, qPrintable(QString::number(p)));
            QCOMPARE(page.first().trimmed(), QStringLiteral("Отчёт о движении средств"));
            QVERIFY(page.contains(QStringLiteral("Счёт: Наличные")));
            const QString headings = page[report.ruleAt[p - 1] - 1];
            QCOMPARE(report.slice(headings, 1).trimmed(), QStringLiteral("Наименование"));
            QCOMPARE(report.slice(headings, 3).trimmed(), QStringLiteral("Расход"));
            QCOMPARE(page.size(), lines); // the footer stands on the last line
            QCOMPARE(page.last().trimmed(), QStringLiteral("Страница %1 из %2").arg(p).arg(pages));
        }
        QCOMPARE(progress, expectedProgress);

        QCOMPARE(report.rows.size(), content.rows.size());
        for (int r = 0; r < count; ++r) {
            const TextReport::Row& row = report.rows[r];
            QVERIFY2(!row.continued, qPrintable(QString::number(r)));
            for (int c = 0; c < 4; ++c)
                QCOMPARE(report.cell(r, c), content.rows[r][c]);
            for (const QString& line : row.lines) {
                for (int c : {2, 3}) {
                    const QString piece = report.slice(line, c);
                    if (!piece.trimmed().isEmpty())
                        QVERIFY2(piece.size() == report.columns[c].second &&
                                     !piece.endsWith(QLatin1Char(' ')),
                                 qPrintable(line));
                }
            }
            // The row starting the next page did not fit into the lines this page had left.
            if (r > 0 && row.page != report.rows[r - 1].page) {
                const QStringList& before = report.pages[report.rows[r - 1].page];
                const int free = int(before.size()) - 1 -
                                 int(before.lastIndexOf(report.rows[r - 1].lines.last())) - 1;
                QVERIFY2(row.lines.size() > free, qPrintable(QString::number(r)));
            }
        }
    }

    // A text wider than its column goes on in the column's next lines and nothing of it is lost,
    // even when the row has to go on over several pages.
    void textWrapsInsideColumn_data() {
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("joiner");
        QString words;
        for (int i = 0; i < 60; ++i)
            words += QStringLiteral("слово%1 ").arg(i);
        QTest::newRow("long name wraps at blanks")
            << 78 << 64
            << QStringLiteral("Перевод на карту сберегательного банка по договору № 17 от "
                              "12.03.2025 с комиссией за обслуживание и уведомлением")
            << QStringLiteral(" ");
        QTest::newRow("word wider than its column breaks")
            << 78 << 64 << QString(100, QChar(0x0416)) << QString();
        QTest::newRow("row taller than a page goes on")
            << 50 << 14 << words.trimmed() << QStringLiteral(" ");
    }
    void textWrapsInsideColumn() {
        QFETCH(int, chars);
        QFETCH(int, lines);
        QFETCH(QString, name);
        QFETCH(QString, joiner);
        ReportContent content = Entries(6);
        content.rows[3][1] = name;
        const TextReport report = ReadTextReport(writeText(content, {chars, lines}));
        QCOMPARE(report.rows.size(), 6);
        QVERIFY(report.rows[3].lines.size() > 1);
        QCOMPARE(report.cell(3, 1, joiner), name);
        QCOMPARE(report.cell(4, 1), content.rows[4][1]);
        for (const QStringList& page : report.pages) {
            QVERIFY(page.size() <= lines);
            for (const QString& line : page)
                QVERIFY2(line.size() <= chars, qPrintable(line));
        }
    }

    // A date stays on one line of its column at the template's widths for a normal page,
    // however the short format writes it.
    void datesStayWhole_data() {
        QTest::addColumn<QString>("date");
        QTest::newRow("digits") << QStringLiteral("30.12.2026");
        QTest::newRow("month named") << QStringLiteral("30 December 2026");
        QTest::newRow("month named in Russian") << QStringLiteral("30 сентября 2026");
    }
    void datesStayWhole() {
        QFETCH(QString, date);
        ReportTemplate tmpl = ParseReportTemplate(
            QStringLiteral("footer = Страница {Page}\ncolumn = Date | Дата | 15\n"
                           "column = Name | Наименование | 26\n"
                           "column = Income | Доход | 14 | right\n"
                           "column = Charge | Расход | 14 | right\n"
                           "column = Group + SubGroup | Группа/Подгруппа | 28\n"
                           "column = Account | Счет | 16\n"),
            QStringLiteral("standard"));
        ReportContent content;
        for (int i = 1; i <= 3; ++i) {
            content.rows << QStringList{
                QString(date).replace(QStringLiteral("30"), QString::number(i * 10)),
                QStringLiteral("Зарплата"),
                QStringLiteral("1 000,00"),
                QString(),
                QStringLiteral("Работа"),
                QStringLiteral("Наличные")};
        }
        std::swap(m_tmpl, tmpl);
        const TextReport report = ReadTextReport(writeText(content, {78, 64}));
        std::swap(m_tmpl, tmpl);
        QCOMPARE(report.rows.size(), 3);
        QVERIFY(report.columns[0].second >= date.size());
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(report.rows[r].lines.size(), 1);
            QCOMPARE(report.cell(r, 0), content.rows[r][0]);
            QCOMPARE(report.cell(r, 5), QStringLiteral("Наличные"));
        }
    }

    // A word processor shows the title, the heading lines, the column headings and every text
    // of every entry, Cyrillic and characters Windows-1251 lacks included; the braces balance and
    // every Windows-1251 fallback is the same character as its Unicode escape.
    void rtfReadsBack_data() {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("Cyrillic entries") << QStringList{
            QStringLiteral("Продукты"), QStringLiteral("Кафе «Ёлочка» — ужин"),
            QStringLiteral("Оплата коммунальных услуг за январь по лицевому счёту 1234567")};
        QTest::newRow("braces, backslashes, line breaks and other scripts") << QStringList{
            QStringLiteral("Счёт {основной}"), QStringLiteral("C:\\Документы\\выписка"),
            QStringLiteral("Mañana € 5 № 7"), QStringLiteral("Подарок 🎁 внуку"),
            QStringLiteral("Обед\nс коллегами")};
    }
    void rtfReadsBack() {
        QFETCH(QStringList, names);
        const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
        if (unrtf.isEmpty())
            QSKIP("unrtf is not installed");
        ReportContent content = Entries(int(names.size()));
        for (qsizetype i = 0; i < names.size(); ++i)
            content.rows[i][1] = names[i];

        QFile file(path("report.rtf"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QList<int> progress;
        WriteRtfReport(file, m_tmpl, content, [&progress](int p) { progress << p; });
        file.close();
        QCOMPARE(progress, QList<int>{1});
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        file.close();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
        QVERIFY(BracesBalance(rtf));
        QCOMPARE(rtf.count("\\trhdr"), 1);

        // Every Unicode escape has its Windows-1251 fallback as \\'xx; "?" (3f) only for a
        // character Windows-1251 lacks.
        static const QRegularExpression escape(QStringLiteral(R"(\\u(-?\d+)(\\'([0-9a-f]{2}))?)"));
        for (const QRegularExpressionMatch& m : escape.globalMatch(QString::fromLatin1(rtf))) {
            const QChar character(char16_t(m.captured(1).toInt()));
            QVERIFY2(m.hasCaptured(3), qPrintable(m.captured()));
            const char byte = char(m.captured(3).toInt(nullptr, 16));
            if (byte == '?') {
                for (int other = 0x80; other < 0x100; ++other)
                    QVERIFY2(DecodeText(QByteArray(1, char(other))) != character,
                             qPrintable(m.captured()));
            } else {
                QCOMPARE(DecodeText(QByteArray(1, byte)), QString(character));
            }
        }

        QProcess process;
        process.start(unrtf, {QStringLiteral("--html"), file.fileName()});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QString text = HtmlText(QString::fromUtf8(process.readAllStandardOutput()));
        const QString header = RtfGroupText(rtf, "{\\header");
        for (const char* expected : {"Отчёт о движении средств\n", "Счёт: Наличные\n",
                                     "Период: 01.01.2026 – 31.12.2026   Остаток: 12 345,67 р.\n"})
            QVERIFY2(header.contains(QString::fromUtf8(expected)), qPrintable(header));
        const QString footer = RtfGroupText(rtf, "{\\footer");
        QVERIFY2(QRegularExpression(QStringLiteral("^Страница PAGE.* из NUMPAGES"))
                     .match(footer)
                     .hasMatch(),
                 qPrintable(footer));
        for (const ReportColumn& column : m_tmpl.columns)
            QVERIFY2(text.contains(column.heading), qPrintable(text));
        for (const QStringList& row : content.rows) {
            for (const QString& cell : row)
                QVERIFY2(text.contains(cell), qPrintable(cell + QStringLiteral("\n") + text));
        }
    }

    // A full disk fails the report with the file's name instead of leaving half a file that
    // looks saved.
    void diskFull_data() {
        QTest::addColumn<bool>("rtf");
        QTest::newRow("text") << false;
        QTest::newRow("rtf") << true;
    }
    void diskFull() {
        QFETCH(bool, rtf);
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly))
            QSKIP("/dev/full cannot be opened");
        const ReportContent content = Entries(10);
        try {
            if (rtf)
                WriteRtfReport(full, m_tmpl, content);
            else
                WriteTextReport(full, m_tmpl, content);
            QFAIL("the report was written to a full disk");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("/dev/full")), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextReport)
#include "tst_textreport.moc"
