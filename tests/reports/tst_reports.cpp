// Printing: the print tables filled from the ledger, written whole or not at all, the shipped
// templates, and the report read back from the PDF a user saves, from a bare window and from the
// main window; the questions of the dBase export from the main window.
#include "core/clock.h"
#include "dbasefile.h"
#include "dialogs.h"
#include "mainwindowsession.h"
#include "pdftext.h"
#include "reports/dbaseexport.h"
#include "reports/printselect.h"
#include "reports/reportoptions.h"
#include "reports/reportpages.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

namespace {

struct Entry {
    const char* date;
    QString name;
    const char* type;
    const char* income;
    const char* charge;
    QString group;
    QString account;
    QString subGroup;
};

void AddEntries(LedgerTables& data, const QList<Entry>& entries) {
    for (const Entry& e : entries) {
        Put(data.tbData, {{"Date", QDate::fromString(QString::fromLatin1(e.date), Qt::ISODate)},
                          {"Name", e.name},
                          {"Type", QString::fromLatin1(e.type)},
                          {"Dohod", QString::fromUtf8(e.income)},
                          {"Rashod", QString::fromUtf8(e.charge)},
                          {"Gr2", e.group},
                          {"Gr1", e.account},
                          {"NameRashod", e.subGroup}});
    }
}

// A Cyrillic ledger of three days, listed out of date order.
const QList<Entry>& Ledger() {
    static const QList<Entry> entries = {
        {"2026-03-05", QStringLiteral("Хлеб"), "R", "", "-1,5 р.", QStringLiteral("Еда"),
         QStringLiteral("Кошелек"), QStringLiteral("Магазин")},
        {"2026-03-01", QStringLiteral("Зарплата за февраль"), "D", "1 000 р.", "",
         QStringLiteral("Работа"), QStringLiteral("Банк"), QString()},
        {"2026-03-03", QStringLiteral("В кошелек"), "P1", "", "-200 р.", QStringLiteral("Работа"),
         QStringLiteral("Банк"), QString()},
    };
    return entries;
}

// The rows of a print table file, read with SQLite itself: each row its fields joined by "|".
QStringList FileRows(const QString& path, const char* columns) {
    sqlite3* db = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        const QByteArray sql = QByteArray("SELECT ") + columns + " FROM " +
                               QFileInfo(path).completeBaseName().toUtf8() + " ORDER BY rowid";
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            QStringList fields;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                fields << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            rows << fields.join(QLatin1Char('|'));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return rows;
}

// What a window shows: its title, the texts of its buttons, labels and frames and the items of
// its lists.
QStringList ShownTexts(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (auto* button : window->findChildren<QAbstractButton*>())
        texts << button->text();
    for (auto* label : window->findChildren<QLabel*>())
        texts << label->text();
    for (auto* frame : window->findChildren<QGroupBox*>())
        texts << frame->title();
    for (auto* list : window->findChildren<QComboBox*>())
        texts << Items(list);
    return texts;
}

ReportTemplate ShippedTemplate(const char* name) {
    const QString folder = qEnvironmentVariable("ZOVI_PROGRAM_DIR");
    return ReadReportTemplate(folder + QStringLiteral("/Report/") + QString::fromLatin1(name));
}

} // namespace

class TestReports : public MainWindowSession {
    Q_OBJECT

    QString printTable(const char* name) const {
        return m_db->programFolder() + QStringLiteral("/Report/") + QString::fromLatin1(name);
    }

private Q_SLOTS:
    void initTestCase() {
        SetTestLocale();
        Clock::setToday(QDate(2026, 3, 10));
    }
    // The program folder of each test gets the shipped templates.
    void init() {
        sessionInit();
        const QString shipped = qEnvironmentVariable("ZOVI_PROGRAM_DIR") + u"/Report/"_s;
        for (const char* name : {"Data.rav", "Data2.rav", "Data3.rav"}) {
            const QString file = QString::fromLatin1(name);
            QVERIFY(QFile::copy(shipped + file, printTable(name)));
        }
    }
    void cleanup() {
        CloseDialogs();
        sessionCleanup();
    }

    // The print tables hold the ledger view by date, with type labels in place of groups and
    // every text cut to 60 characters; an empty ledger leaves one heading row; printing again
    // replaces the rows instead of adding to them.
    void printTables() {
        WriteBytes(m_db->programFolder() + u"/lang.ini"_s, "typeP1=(Перевод)\n");
        prepare([](LedgerTables& data) {
            AddEntries(data, Ledger());
            FillPrintTables(data.tbReportData, data.tbTopData, PrintRows(data.tbData),
                            PrintHeading({}));
            FillPrintTables(data.tbReportData, data.tbTopData, PrintRows(data.tbData),
                            PrintHeading({}));
        });
        const QString label = QStringLiteral("(Перевод)");
        QCOMPARE(
            FileRows(printTable("data.db"), "Date, Name, Income, Charge, \"Group\", Account, "
                                            "SubGroup"),
            QStringList({QStringLiteral("01.03.2026|Зарплата за февраль|1 000 р.||Работа|Банк|"),
                         QStringLiteral("03.03.2026|В кошелек||-200 р.|") + label +
                             QStringLiteral("|Банк|"),
                         QStringLiteral("05.03.2026|Хлеб||-1,5 р.|Еда|Кошелек|Магазин")}));

        prepare([](LedgerTables& data) {
            data.tbData.setFilter(QStringLiteral("Name = 'none'"));
            data.tbData.setFiltered(true);
            const QString longName = QString(70, QChar(0x0416));
            FillPrintTables(data.tbReportData, data.tbTopData, PrintRows(data.tbData),
                            PrintHeading({}));
            QCOMPARE(data.tbReportData.recordCount(), 0);
            QCOMPARE(data.tbTopData.recordCount(), 1);
            data.tbData.setFiltered(false);
            AddEntries(data, {{"2026-03-07", longName, "R", "", "-1 р.", QString(), QString(),
                               QString()}});
            data.tbData.setFilter(QStringLiteral("Date = '07.03.2026'"));
            data.tbData.setFiltered(true);
            const QList<PrintRow> rows = PrintRows(data.tbData);
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows[0].Name, QString(60, QChar(0x0416)));
        });
        QCOMPARE(FileRows(printTable("topdata.db"), "AccountTOP, DateTOP, ValueTOP"),
                 QStringList(QStringLiteral("Все счета|Весь период| ")));
    }

    // A reader holding the heading table open keeps the print tables from being written: the
    // user is told, and neither table changes, in its file or in the rows the program reads;
    // once the reader is gone, printing works again.
    void printTablesWholeOrAbsent() {
        prepare([&](LedgerTables& data) {
            AddEntries(data, Ledger());
            data.tbData.setFilter(u"Name = 'Хлеб'"_s);
            FillPrintTables(data.tbReportData, data.tbTopData, PrintRows(data.tbData),
                            PrintHeading({}));
            data.tbData.setFilter(QString());
            const QStringList rows = FileRows(printTable("data.db"), "Name");
            const QStringList heading = FileRows(printTable("topdata.db"), "AccountTOP");
            QCOMPARE(rows, QStringList(u"Хлеб"_s));

            sqlite3* reader = nullptr;
            QCOMPARE(sqlite3_open_v2(QFile::encodeName(printTable("topdata.db")).constData(),
                                     &reader, SQLITE_OPEN_READONLY, nullptr),
                     SQLITE_OK);
            QCOMPARE(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM topdata;", nullptr, nullptr,
                                  nullptr),
                     SQLITE_OK);
            PrintSelectWindow print(data, {});
            print.show();
            Click(&print, "Button1");
            sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(reader);

            const QStringList shown = Messages::takeShown();
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].contains(u"topdata.db") || shown[0].contains(u"locked"),
                     qPrintable(shown[0]));
            QCOMPARE(FileRows(printTable("data.db"), "Name"), rows);
            QCOMPARE(FileRows(printTable("topdata.db"), "AccountTOP"), heading);
            QCOMPARE(data.tbReportData.recordCount(), 1);
            QCOMPARE(data.tbReportData.field(QStringLiteral("Name")).text(), rows[0]);
            QCOMPARE(data.tbTopData.recordCount(), 1);
            QCOMPARE(data.tbTopData.field(QStringLiteral("AccountTOP")).text(), heading[0]);

            FillPrintTables(data.tbReportData, data.tbTopData, PrintRows(data.tbData),
                            PrintHeading({}));
            QCOMPARE(FileRows(printTable("data.db"), "Name").size(), Ledger().size());
        });
    }

    // What the heading row says the report covers, for each state of the filter controls.
    void heading_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("lastTab");
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("from");
        QTest::addColumn<bool>("to");
        QTest::addColumn<QString>("summaries");
        QTest::addColumn<QString>("accountTop");
        QTest::addColumn<QString>("dateTop");
        const QString all = QStringLiteral("Все счета");
        const QString whole = QStringLiteral("Весь период");
        const QString bank = QStringLiteral("Банк");
        QTest::newRow("all accounts, no dates")
            << 0 << true << false << true << true << QString() << all << whole;
        QTest::newRow("one account, from") << 0 << false << true << true << false << QString()
                                           << bank << QStringLiteral("с 01.03.2026");
        QTest::newRow("from and to") << 0 << true << true << true << true << QString() << all
                                     << QStringLiteral("с 01.03.2026 по 31.03.2026");
        QTest::newRow("to") << 0 << true << true << false << true << QString() << all
                            << QStringLiteral("по 31.03.2026");
        QTest::newRow("neither") << 0 << true << true << false << false << QString() << all
                                 << QString();
        QTest::newRow("extended page, lists")
            << 1 << true << true << true << true << QStringLiteral("Касса")
            << QStringLiteral("Касса") << QStringLiteral("Касса");
        QTest::newRow("search page, no lists")
            << 2 << false << true << true << true << QString() << bank << whole;
    }
    void heading() {
        QFETCH(int, page);
        QFETCH(bool, lastTab);
        QFETCH(bool, date);
        QFETCH(bool, from);
        QFETCH(bool, to);
        QFETCH(QString, summaries);
        PrintHeadingState state;
        state.filterPage = page;
        state.tabText = QStringLiteral("Банк");
        state.lastTabSelected = lastTab;
        state.dateChecked = date;
        state.fromChecked = from;
        state.fromDate = QDate(2026, 3, 1);
        state.toChecked = to;
        state.toDate = QDate(2026, 3, 31);
        state.accountsSummary = summaries;
        state.datesSummary = summaries;
        state.valueFigure = QStringLiteral("1 234,5");
        state.valueCurrency = QStringLiteral("р.");
        const ReportHeading heading = PrintHeading(state);
        QTEST(heading.accountTop, "accountTop");
        QTEST(heading.dateTop, "dateTop");
        QCOMPARE(heading.valueTop, QStringLiteral("1 234,5 р."));
    }

    // The heading's dates name their month in the chosen language also where the user's locale
    // writes month names in English.
    void headingDatesInLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("dateTop");
        QTest::addColumn<QString>("rowDate");
        QTest::newRow("English") << QStringLiteral("lang.ini")
                                 << QStringLiteral("from 1 Mar 2026 to 31 Mar 2026")
                                 << QStringLiteral("5 Mar 2026");
        QTest::newRow("Russian") << QStringLiteral("lang/ru.ini")
                                 << QStringLiteral("с 1 мар. 2026 по 31 мар. 2026")
                                 << QStringLiteral("5 мар. 2026");
    }
    // The heading's period and each printed row's date name their months in the chosen language.
    void headingDatesInLanguage() {
        QFETCH(QString, language);
        UseShippedLanguage(*m_db, language);
        AppLocale::set(QLatin1Char('.'), QStringLiteral("d MMM yyyy"));
        const auto restore = qScopeGuard([] { SetTestLocale(); });
        PrintHeadingState state;
        state.dateChecked = state.fromChecked = state.toChecked = true;
        state.fromDate = QDate(2026, 3, 1);
        state.toDate = QDate(2026, 3, 31);
        QTEST(PrintHeading(state).dateTop, "dateTop");
        QString rowDate;
        prepare([&](LedgerTables& data) {
            AddEntries(data, Ledger());
            rowDate = PrintRows(data.tbData).constLast().Date;
        });
        QTEST(rowDate, "rowDate");
    }

    // The shipped templates read; a broken one names its file and line, a missing one its path.
    void templates() {
        QCOMPARE(ShippedTemplate("Data.rav").columns[4].fields,
                 QStringList({QStringLiteral("Group"), QStringLiteral("SubGroup")}));
        QCOMPARE(ShippedTemplate("Data2.rav").columns[4].fields, QStringList(u"Group"_s));
        QVERIFY(ShippedTemplate("Data3.rav").fontSize < ShippedTemplate("Data2.rav").fontSize);
        try {
            ParseReportTemplate(QStringLiteral("title = x\ncolumn = Name | Name | wide\n"),
                                QStringLiteral("Bad.rav"));
            QFAIL("a bad width was accepted");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().contains(u"Bad.rav") && e.message().contains(u"2"),
                     qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(ReportError, ReadReportTemplate(m_db->root() + u"/none.rav"_s));
    }

    // A long report as PDF: every entry once, Cyrillic included, over several pages that each
    // carry the heading and their number; a file that cannot be written is an error and an
    // earlier file stays.
    void pdf() {
        const ReportTemplate tmpl = ShippedTemplate("Data.rav");
        ReportContent content;
        content.heading = {QStringLiteral("Все счета"), QStringLiteral("Весь период"),
                           QStringLiteral("12,5 р.")};
        for (int i = 0; i < 300; ++i) {
            content.rows << QStringList{QStringLiteral("01.03.2026"),
                                        QStringLiteral("Покупка номер %1").arg(i),
                                        QString(),
                                        QStringLiteral("-%1 р.").arg(i),
                                        QStringLiteral("Еда / Магазин"),
                                        QStringLiteral("Кошелек")};
        }
        // One name long enough to wrap inside its column.
        content.rows[150][1] = QStringLiteral("Очень длинное наименование покупки, которое не "
                                              "помещается в одну строку колонки");
        const QString path = m_db->root() + u"/report.pdf"_s;
        QList<int> progress;
        WriteReportFile(ReportFormat::Pdf, path, tmpl, content,
                        [&](int page) { progress << page; });
        const QString text = PdfText(path);
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY2(pages.size() > 3, qPrintable(text.left(200)));
        QCOMPARE(progress.size(), pages.size());
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY(pages[i].contains(u"Счет: Все счета"));
            QVERIFY(pages[i].contains(u"Наименование"));
            QVERIFY(pages[i].contains(
                QStringLiteral("Страница %1 из %2").arg(i + 1).arg(pages.size())));
        }
        for (int i = 0; i < 300; ++i) {
            if (i != 150)
                QCOMPARE(text.count(QStringLiteral("Покупка номер %1 ").arg(i)), 1);
        }
        QVERIFY(text.contains(u"Очень длинное"));
        QVERIFY(text.contains(u"колонки"));

        const QByteArray before = ReadBytes(path);
        QVERIFY_THROWS_EXCEPTION(
            ReportError,
            WriteReportFile(ReportFormat::Pdf, m_db->root() + u"/no/r.pdf"_s, tmpl, content));
        QCOMPARE(ReadBytes(path), before);
    }

    // The options window keeps a file report from a name that cannot be written, and from
    // replacing a file the user did not agree to replace.
    void optionsFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("messages");
        QTest::newRow("new file") << u"new.pdf"_s << false << true << 0;
        QTest::newRow("no name") << QString() << false << false << 1;
        QTest::newRow("no folder") << u"none/new.pdf"_s << false << false << 1;
        QTest::newRow("a folder") << u"."_s << false << false << 1;
        QTest::newRow("existing, kept") << u"old.pdf"_s << false << false << 1;
        QTest::newRow("existing, replaced") << u"old.pdf"_s << true << true << 1;
    }
    void optionsFile() {
        QFETCH(QString, name);
        QFETCH(bool, replace);
        WriteBytes(m_db->root() + u"/old.pdf"_s, "old");
        ReportOptionsDialog options;
        if (name == u"old.pdf")
            Messages::queueAnswer(replace);
        const int result = Run(&options, [&] {
            Click(&options, "RadioFile");
            Type(&options, "EditFile", name.isEmpty() ? name : m_db->root() + u'/' + name);
            Click(&options, "ButtonOK");
        });
        QTEST(result == QDialog::Accepted, "accepted");
        QTEST(int(Messages::takeShown().size()), "messages");
        QCOMPARE(options.output().destination, ReportOutput::Destination::File);
    }

    // Additional > Export > dBase onto an existing file asks whether to append or to replace;
    // entries holding characters that Windows-1251 lacks are written with "?" only when the user
    // agrees. Whatever is cancelled writes nothing.
    void exportAsks_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("button"); // Append, Replace, Cancel
        QTest::addColumn<bool>("goOn");  // past the characters the code page lacks
        QTest::addColumn<int>("messages");
        QTest::addColumn<QStringList>("names"); // of the file's rows after the export
        const QStringList all = {u"Old"_s, u"Bread"_s, u"Tea ?1"_s, u"Rice ?2 ?"_s};
        QTest::newRow("new, go on") << false << -1 << true << 1 << all.mid(1);
        QTest::newRow("new, cancelled") << false << -1 << false << 1 << QStringList();
        QTest::newRow("append") << true << 0 << true << 2 << all;
        QTest::newRow("replace") << true << 1 << true << 2 << all.mid(1);
        QTest::newRow("replace, then cancelled") << true << 1 << false << 2 << all.mid(0, 1);
        QTest::newRow("cancel") << true << 2 << true << 1 << all.mid(0, 1);
    }
    void exportAsks() {
        QFETCH(bool, existing);
        QFETCH(int, button);
        QFETCH(bool, goOn);
        QFETCH(QStringList, names);
        const QString file = m_db->root() + u"/ledger.dbf"_s;
        WriteExportTemplate(m_db->programFolder());
        prepare([&](LedgerTables& data) {
            FillClassifiers(data);
            for (const QString& name : {u"Bread"_s, u"Tea ¥1"_s, u"Rice ¥2 ₴"_s})
                AddEntry(data, name, u"R"_s, -1, u"Food"_s);
            AddEntry(data, u"Old"_s, u"R"_s, -1, u"Food"_s, u"Bank"_s);
            data.tbData.setFilter(u"Gr1='Bank'"_s);
            if (existing)
                ExportLedger(data.tbData, ExportTemplatePath(m_db->programFolder()), file);
        });
        start();
        FileChooser::queueChoice(file);
        if (button >= 0)
            Messages::queueButton(button);
        Messages::queueAnswer(goOn);
        action("ExportDbf")->trigger();

        const QStringList shown = Messages::takeShown();
        QTEST(int(shown.size()), "messages");
        if (existing)
            QVERIFY2(shown[0].contains(u"exists"), qPrintable(shown[0]));
        if (shown.size() > int(existing))
            QCOMPARE(shown.last(), u"Entries holding characters that the code page of the file "
                                   "(Windows-1251) lacks: 2; such characters: 3 (for example "
                                   "\"¥\"). Write the file with \"?\" in their place?"_s);
        QStringList rows;
        for (const QStringList& row : ReadDbf(file).rows)
            rows << row[1];
        QCOMPARE(rows, names);
        const QStringList left =
            QDir(m_db->root()).entryList({u"*.dbf"_s}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, names.isEmpty() ? QStringList() : QStringList(u"ledger.dbf"_s));
    }

    // The heading states the total as the balance panel shows it, rounded to the cent: a
    // Wallet of 1000 - 0.222 - 0.3 + 1727.3 holds 2 726,78, not 2 726,77.
    void headingTotalRounded() {
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
            for (double value : {1000.0, -0.222, -0.3, 1727.3})
                AddEntry(data, u"entry"_s, value < 0 ? u"R"_s : u"D"_s, value, u"Food"_s);
        });
        start();
        QCOMPARE(Child<QLabel>(m_window.get(), "LabelV")->text(), u"2 726,78"_s);
        onDialog<PrintSelectWindow>([&](PrintSelectWindow* print) {
            WhenShown(print->optionsWindow(), [print] { print->optionsWindow()->reject(); });
            Click(print, "Button1");
        });
        action("PrintData")->trigger();
        QCOMPARE(FileRows(printTable("topdata.db"), "ValueTOP"), QStringList(u"2 726,78 $"_s));
    }

    // The preview opens at 100 % from the top of the first page, and its zoom box says so
    // rather than the zoom the preview first fitted the page with; no fit button stays chosen.
    void previewZoom() {
        ReportContent content;
        content.heading = {u"Все счета"_s, u"Весь период"_s, u"0 р."_s};
        content.rows << QStringList{u"01.03.2026"_s, u"Хлеб"_s, QString(),
                                    u"-1 р."_s,      u"Еда"_s,  u"Кошелек"_s};
        QString zoomText;
        qreal zoom = 0;
        bool fitChosen = true;
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [&, poll] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != u"ReportPreview")
                return;
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            auto* box = dialog->findChild<QComboBox*>();
            if (preview && box && preview->zoomMode() == QPrintPreviewWidget::CustomZoom &&
                qFuzzyCompare(preview->zoomFactor(), 1.0)) {
                zoomText = box->currentText();
                zoom = preview->zoomFactor();
                fitChosen = false;
                for (const char* fit : {"fitWidthAction", "fitPageAction"})
                    fitChosen =
                        fitChosen || dialog->findChild<QAction*>(QLatin1String(fit))->isChecked();
                poll->stop();
                dialog->reject();
            }
        });
        poll->start(10);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [] { CloseDialogs(); });
        watchdog.start(10000);
        RunReport(nullptr, ReportOutput{}, ShippedTemplate("Data.rav"), content);
        delete poll;
        QCOMPARE(zoom, 1.0);
        QCOMPARE(zoomText.remove(QRegularExpression(u"[.,]0+(?=%)"_s)), u"100%"_s);
        QVERIFY(!fitChosen);
    }

    // From the main window: Ctrl+Alt+P, the reduced report, saved as PDF through the options
    // window; the print window stays open, and the report holds the ledger and its heading.
    void fromMainWindow() {
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
            AddEntries(data, Ledger());
        });
        start();
        // The last tab: every account.
        auto* tabs = Child<QTabBar>(m_window.get(), "TabControl1");
        tabs->setCurrentIndex(tabs->count() - 1);
        const QString path = m_db->root() + u"/ledger.pdf"_s;
        bool optionsShown = false;
        onDialog<PrintSelectWindow>([&](PrintSelectWindow* print) {
            Click(print, "RadioButton2");
            WhenShown(print->optionsWindow(), [&, print] {
                ReportOptionsDialog* options = print->optionsWindow();
                optionsShown = options->windowTitle() == u"Опции";
                Click(options, "RadioFile");
                Type(options, "EditFile", path);
                Click(options, "ButtonOK");
            });
            Click(print, "Button1");
            QVERIFY(print->isVisible());
        });
        action("PrintData")->trigger();
        QVERIFY(optionsShown);
        QCOMPARE(Messages::takeShown(), QStringList());
        const QString text = PdfText(path);
        for (const Entry& e : Ledger())
            QVERIFY2(text.contains(e.name), qPrintable(text));
        QVERIFY(text.contains(u"Группа"));
        QVERIFY(!text.contains(u"Группа/Подгруппа"));
        QVERIFY(text.contains(u"Счет: Все счета"));
        QCOMPARE(FileRows(printTable("data.db"), "Name").size(), Ledger().size());
    }

    // The print window, the options window and the report they make speak the language of the
    // translation file: under the English one no Cyrillic letter shows outside the user's
    // entries, which are in Latin letters here.
    void printingFollowsLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("windowTexts");
        QTest::addColumn<QStringList>("reportTexts");
        QTest::newRow("English") << u"lang.ini"_s
                                 << QStringList{u"Print"_s, u"Standard report"_s, u"Show"_s,
                                                u"Close"_s, u"Options"_s,         u"&Preview"_s,
                                                u"&File"_s, u"Cancel"_s}
                                 << QStringList{u"Report"_s,
                                                u"Account: All accounts"_s,
                                                u"Period: Whole period"_s,
                                                u"Total: 1 $"_s,
                                                u"Name"_s,
                                                u"Page 1 of 1"_s};
        QTest::newRow("Russian")
            << u"lang/ru.ini"_s
            << QStringList{u"Печать"_s, u"Стандартный отчет"_s, u"Показать"_s, u"Закрыть"_s,
                           u"Опции"_s,  u"&Просмотр"_s,         u"&Файл"_s,    u"Отмена"_s}
            << QStringList{u"Отчет"_s,      u"Счет: Все счета"_s, u"Период: Весь период"_s,
                           u"Итого: 1 $"_s, u"Наименование"_s,    u"Страница 1 из 1"_s};
    }
    void printingFollowsLanguage() {
        QFETCH(QString, language);
        QFETCH(QStringList, windowTexts);
        QFETCH(QStringList, reportTexts);
        UseShippedLanguage(*m_db, language);
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
            AddEntry(data, u"Salary"_s, u"D"_s, 1, u"Work"_s);
        });
        start();
        auto* tabs = Child<QTabBar>(m_window.get(), "TabControl1");
        tabs->setCurrentIndex(tabs->count() - 1);
        const QString path = m_db->root() + u"/language.pdf"_s;
        QStringList shown;
        onDialog<PrintSelectWindow>([&](PrintSelectWindow* print) {
            shown << ShownTexts(print);
            WhenShown(print->optionsWindow(), [&, print] {
                ReportOptionsDialog* options = print->optionsWindow();
                shown << ShownTexts(options);
                Click(options, "RadioFile");
                Type(options, "EditFile", path);
                Click(options, "ButtonOK");
            });
            Click(print, "Button1");
        });
        action("PrintData")->trigger();
        const QString report = PdfText(path);
        for (const QString& text : windowTexts)
            QVERIFY2(shown.contains(text), qPrintable(text + u" in "_s + shown.join(u" | "_s)));
        for (const QString& text : reportTexts)
            QVERIFY2(report.contains(text), qPrintable(text + u" in "_s + report));
        if (language == u"lang.ini") {
            static const QRegularExpression cyrillic(u"\\p{Cyrillic}"_s);
            QVERIFY2(!shown.join(u" | "_s).contains(cyrillic), qPrintable(shown.join(u" | "_s)));
            QVERIFY2(!report.contains(cyrillic), qPrintable(report));
        }
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
