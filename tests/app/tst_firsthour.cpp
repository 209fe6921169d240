// A new user's first hour with the program, driven through the real main window headless: a new
// database with a password made through the chooser and the catalogue editor, its currencies,
// accounts and groups, incomes and charges, a transfer, an exchange, a debt with a repayment,
// the filter, both charts, a printed report, a dBase export, the close with a backup, and the
// next start with the password, where everything is as it was left and the work goes on. The
// test functions are the steps of that one session, each building on the ones before; each can
// also run alone, going through the steps before it first.
#include "charts/chartview.h"
#include "core/clock.h"
#include "core/wait.h"
#include "databases/catalogue.h"
#include "databases/catalogueeditor.h"
#include "databases/databasedialog.h"
#include "databases/databasefolder.h"
#include "databases/passworddialog.h"
#include "databases/passwordhash.h"
#include "dbasefile.h"
#include "debts/debtdialogs.h"
#include "debts/debtspage.h"
#include "ledger/classifierwindows.h"
#include "ledger/currencyeditor.h"
#include "ledger/currencywindow.h"
#include "ledger/entrydialog.h"
#include "ledger/exchangedialog.h"
#include "ledger/transferdialog.h"
#include "mainwindowsession.h"
#include "pdftext.h"
#include "reports/dbaseexport.h"
#include "reports/printselect.h"
#include "reports/reportoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

class TestFirstHour : public MainWindowSession {
    Q_OBJECT

    static QString Password() { return u"Secret 7"_s; }
    // Where the user saves the report, the export and the backup.
    std::unique_ptr<QTemporaryDir> m_files;
    QString m_folder; // the new database's folder
    QStringList m_ledgerAtClose;
    QStringList m_balancesAtClose;
    QStringList m_debtsAtClose;
    int m_passwordAsked = 0;

    template <class T> T* child(const char* name) { return Child<T>(m_window.get(), name); }
    QTableView* grid() { return child<QTableView>("Grid1"); }
    QTableView* debtsGrid() {
        return Child<QTableView>(m_window->findChild<DebtsPage*>(), "GridD");
    }
    QTabBar* accountTabs() { return child<QTabBar>("TabControl1"); }
    QString stored(const char* file, const QString& sql) {
        return QueryFile(m_folder + QString::fromLatin1(file), sql);
    }

    // The shown rows of a view, their shown cells joined by "|".
    static QStringList Rows(QTableView* view) {
        QStringList rows;
        const QAbstractItemModel* model = view->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c) {
                if (!view->isColumnHidden(c))
                    cells << model->index(r, c).data().toString();
            }
            rows << cells.join(u'|');
        }
        return rows;
    }
    static QStringList Rows(QTableWidget* table) {
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c)
                cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
            rows << cells.join(u'|');
        }
        return rows;
    }
    // The names the grid shows, in its order.
    QStringList shownNames() {
        QStringList names;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            names << grid()->model()->index(r, 2).data().toString();
        return names;
    }
    QStringList tabs() {
        QStringList texts;
        for (int i = 0; i < accountTabs()->count(); ++i)
            texts << accountTabs()->tabText(i);
        return texts;
    }
    void showAccount(const QString& name) {
        accountTabs()->setCurrentIndex(tabs().indexOf(name));
        QCOMPARE(accountTabs()->tabText(accountTabs()->currentIndex()), name);
    }
    void showPage(int index) { child<QTabWidget>("Page")->setCurrentIndex(index); }
    // The chart's bars as "label value".
    static QStringList Bars(ChartView* chart) {
        QStringList bars;
        for (const ChartPoint& p : chart->points().bars)
            bars << u"%1 %2"_s.arg(p.label).arg(p.value);
        return bars;
    }

    // A name typed into the one-line editor of the classifier windows, then OK.
    void typeName(QPushButton* opener, const QString& name) {
        onDialog<NameEditor>([name](NameEditor* editor) {
            Type(editor, "Edit1", name);
            Click(editor, "Button1");
        });
        QVERIFY(opener->isEnabled());
        opener->click();
    }

    // A currency added in the currency window's editor.
    void addCurrency(CurrencyWindow* window, const QString& name, const QString& sign,
                     const QString& rate) {
        CurrencyEditor* editor = window->editor();
        WhenShown(editor, [=, this] {
            Type(editor, "Name", name);
            Type(editor, "Znak", sign);
            Type(editor, "Kurs", rate);
            Click(editor, "OkButton");
            if (editor->isVisible())
                Click(editor, "CancelButton");
        });
        Click(window, "AddButton");
    }

    // An income or a charge of the shown account, entered in the entry dialog.
    void enterEntry(bool income, QDate date, const QString& name, const QString& amount,
                    const QString& sign, const QString& group, const QString& subGroup = {}) {
        onDialog<StandardEntryDialog>([=](StandardEntryDialog* d) {
            Child<QToolButton>(d, income ? "SpeedButton1" : "SpeedButton2")->click();
            Child<QDateEdit>(d, "DateRecord")->setDate(date);
            Type(d, "NameRecord", name);
            Type(d, "Value", amount);
            Choose(Child<QComboBox>(d, "Currency"), sign);
            Choose(Child<QComboBox>(d, "list1"), group);
            if (!subGroup.isEmpty())
                Choose(Child<QComboBox>(d, "list2"), subGroup);
            Click(d, "Button1");
            QVERIFY2(!d->isVisible(), qPrintable(Messages::takeShown().join(u' ')));
        });
        toolButton("tb1")->click();
        QCOMPARE(Messages::takeShown(), QStringList());
    }

    // The user opens the catalogue from the chooser, adds a new database with a password, and
    // opens it with that password.
    void createDatabase(ChooserWindow* chooser) {
        auto* editor = chooser->parentWidget()->findChild<CatalogueEditor*>();
        auto* dialog = chooser->parentWidget()->findChild<DatabaseDialog*>();
        WhenShown(editor, [=, this] {
            WhenShown(dialog, [=, this] {
                Type(dialog, "Edit1", u"Home"_s);
                Type(dialog, "Edit2", Password());
                QVERIFY(Child<QRadioButton>(dialog, "RadioButton1")->isChecked());
                QVERIFY(Child<QCheckBox>(dialog, "CheckBox1")->isChecked());
                Click(dialog, "Button1");
            });
            Click(editor, "Button1");
            Click(editor, "Button4");
        });
        Q_EMIT Child<QLabel>(chooser, "Label2")->linkActivated(u"editor"_s);
        openHome(chooser, {Password()});
    }

    // Answers the password window with each of typed in turn, as often as it is shown.
    void answerPassword(PasswordDialog* window, const QStringList& typed) {
        WhenShown(window, [=, this] {
            ++m_passwordAsked;
            QCOMPARE(Child<QLineEdit>(window, "Edit1")->text(), QString());
            if (typed.size() > 1)
                answerPassword(window, typed.mid(1));
            Type(window, "Edit1", typed.first());
            Click(window, "Button1");
        });
    }

    // Picks "Home" in the chooser and opens it, giving the password window typed.
    void openHome(ChooserWindow* chooser, const QStringList& typed) {
        m_passwordAsked = 0;
        answerPassword(chooser->parentWidget()->findChild<PasswordDialog*>(), typed);
        Choose(Child<QComboBox>(chooser, "listdata"), u"Home"_s);
        Click(chooser, "Button1");
    }

    // The steps in the order of the session.
    using Step = void (TestFirstHour::*)();
    static QList<Step> Steps() {
        return {&TestFirstHour::createDatabaseWithPasswordStep,
                &TestFirstHour::currenciesAccountsAndGroupsStep,
                &TestFirstHour::incomesAndChargesStep,
                &TestFirstHour::transferAndExchangeStep,
                &TestFirstHour::debtWithRepaymentStep,
                &TestFirstHour::balancesStep,
                &TestFirstHour::filterStep,
                &TestFirstHour::chartsStep,
                &TestFirstHour::printToPdfStep,
                &TestFirstHour::exportToDbaseStep,
                &TestFirstHour::closeWithBackupStep,
                &TestFirstHour::reopenWithPasswordStep};
    }
    int m_done = -1;   // the last step the current session went through
    int m_failed = -1; // the step that failed, when one did

    // A first start: no catalogue yet; the shipped report templates and print tables, the
    // database template and the export table beside the program.
    void freshSession() {
        sessionCleanup();
        sessionInit();
        m_files = std::make_unique<QTemporaryDir>();
        m_folder.clear();
        m_passwordAsked = 0;
        m_done = -1;
        QVERIFY(QFile::remove(Catalogue::path()));
        QVERIFY(CopyFolder(qEnvironmentVariable("ZOVI_PROGRAM_DIR") + u"/Report"_s,
                           ProgramFolder::file(u"Report"_s)));
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        WriteExportTemplate(m_db->programFolder());
    }

    // Runs one step of the session on the state the steps before it leave. Run alone, or after
    // a step that did not finish, it starts a fresh session and goes through the steps before it
    // first; once a step has failed the later ones are skipped instead of failing for its sake.
    void runStep(int step) {
        if (m_failed >= 0 && m_failed < step)
            QSKIP("an earlier step of the session failed");
        const QList<Step> steps = Steps();
        if (!m_db || m_done != step - 1) {
            freshSession();
            for (int k = 0; k < step && !QTest::currentTestFailed(); ++k)
                (this->*steps[k])();
        }
        if (!QTest::currentTestFailed())
            (this->*steps[step])();
        if (QTest::currentTestFailed()) {
            m_failed = step;
            m_done = -1;
        } else {
            m_done = step;
        }
    }

    void createDatabaseWithPasswordStep() {
        start(true, [this](ChooserWindow* chooser) { createDatabase(chooser); });
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(m_passwordAsked, 1);
        m_folder = m_window->chooser()->openedFolder();
        QCOMPARE(m_folder, DataFolder::file(u"Databases/Home/"_s));
        QVERIFY(PasswordHash::matches(Password(), DatabaseFolder::password(m_folder)));
        QVERIFY(ReadBytes(Catalogue::path()).contains((u"Home*"_s + m_folder + u'\n').toUtf8()));
        QTRY_VERIFY(!m_window->waitWindow()->isVisible());
        QCOMPARE(grid()->model()->rowCount(), 0);
    }

    void currenciesAccountsAndGroupsStep() {
        onDialog<CurrencyWindow>([this](CurrencyWindow* window) {
            addCurrency(window, u"Dollar"_s, u"$"_s, u"1"_s);
            addCurrency(window, u"Rouble"_s, u"R"_s, u"30"_s);
        });
        action("Currency")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        // The first currency became the main one; a rouble is a thirtieth of a dollar.
        QCOMPARE(stored("Valuta.db",
                        u"SELECT group_concat(Name||' '||Znak||' '||printf('%g',Kurs)||' '||More"
                        u"||' '||Def, '|') FROM Valuta"_s),
                 u"Dollar $ 1 0 1|Rouble R 30 0 0"_s);

        onDialog<AccountsWindow>([this](AccountsWindow* users) {
            typeName(Child<QPushButton>(users, "Button2"), u"Wallet"_s);
            typeName(Child<QPushButton>(users, "Button2"), u"Bank"_s);
            Click(users, "Button1");
        });
        action("Users")->trigger();
        QCOMPARE(tabs(), (QStringList{u"Wallet"_s, u"Bank"_s, u"[...]"_s}));

        onDialog<ChargeGroupsWindow>([this](ChargeGroupsWindow* groups) {
            typeName(Child<QPushButton>(groups, "Button1"), u"Food"_s);
            typeName(Child<QPushButton>(groups, "Button4"), u"Milk"_s);
            typeName(Child<QPushButton>(groups, "Button1"), u"Car"_s);
            Click(groups, "Button7");
        });
        action("GroupsCharges")->trigger();
        onDialog<IncomeGroupsWindow>([this](IncomeGroupsWindow* groups) {
            typeName(Child<QPushButton>(groups, "Button1"), u"Salary"_s);
            Click(groups, "Button4");
        });
        action("GroupsIncomes")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(stored("GrR.db", u"SELECT group_concat(Name,'|') FROM GrR"_s), u"Food|Car"_s);
        QCOMPARE(stored("GrR2.db", u"SELECT group_concat(Name,'|') FROM GrR2"_s), u"Milk"_s);
        QCOMPARE(stored("GrD.db", u"SELECT group_concat(Name,'|') FROM GrD"_s), u"Salary"_s);
    }

    void incomesAndChargesStep() {
        showAccount(u"Bank"_s);
        enterEntry(true, QDate(2026, 2, 27), u"February salary"_s, u"1000"_s, u"$"_s, u"Salary"_s);
        showAccount(u"Wallet"_s);
        enterEntry(false, QDate(2026, 3, 2), u"Milk for the week"_s, u"2,5"_s, u"$"_s, u"Food"_s,
                   u"Milk"_s);
        enterEntry(false, QDate(2026, 3, 3), u"Petrol"_s, u"300"_s, u"R"_s, u"Car"_s);
        QCOMPARE(shownNames(), (QStringList{u"Milk for the week"_s, u"Petrol"_s}));
        QCOMPARE(
            stored("Data.db",
                   u"SELECT group_concat(Name||':'||Gr1||':'||Gr2||':'||printf('%g',Value)||':'"
                   u"||Valuta, '|') FROM Data"_s),
            u"February salary:Bank:Salary:1000:Dollar|Milk for the week:Wallet:Food:-2.5:"
            u"Dollar|Petrol:Wallet:Car:-300:Rouble"_s);
    }

    void transferAndExchangeStep() {
        onDialog<TransferDialog>([](TransferDialog* d) {
            Type(d, "Value", u"200"_s);
            Choose(Child<QComboBox>(d, "ComboBox3"), u"$"_s);
            Choose(Child<QComboBox>(d, "ComboBox1"), u"Bank"_s);
            Choose(Child<QComboBox>(d, "ComboBox2"), u"Wallet"_s);
            Child<QLineEdit>(d, "Edit1")->setText(u"Cash for March"_s);
            Child<QLineEdit>(d, "Edit2")->setText(u"From the bank"_s);
            Click(d, "Button1");
            QVERIFY(!d->isVisible());
        });
        action("bperevod")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());

        onDialog<ExchangeDialog>([](ExchangeDialog* d) {
            Type(d, "Edit1", u"12"_s);
            Choose(Child<QComboBox>(d, "ComboBox1"), u"$"_s);
            Choose(Child<QComboBox>(d, "ComboBox2"), u"R"_s);
            Type(d, "Edit3", u"30"_s);
            Type(d, "Edit2", u"Roubles for petrol"_s);
            Click(d, "Button1");
            QVERIFY(!d->isVisible());
        });
        action("NewObmen")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(stored("Data.db", u"SELECT Gr1||' '||Rashod||' '||Dohod FROM Data "
                                   u"WHERE Name='Roubles for petrol'"_s),
                 u"Wallet 12 $ 360 R"_s);
        QCOMPARE(stored("Data.db",
                        u"SELECT group_concat(Gr1||' '||Type||' '||printf('%g',Value), '|') FROM "
                        u"Data WHERE Name IN ('Cash for March','From the bank')"_s),
                 u"Bank P1 -200|Wallet P2 200"_s);
    }

    void debtWithRepaymentStep() {
        showPage(1);
        auto* page = m_window->findChild<DebtsPage*>();
        onDialog<DebtDialog>([](DebtDialog* d) {
            Type(d, "Edit1", u"Loan from Ann"_s);
            Type(d, "Value", u"100"_s);
            Type(d, "Procent", u"0"_s);
            Choose(Child<QComboBox>(d, "ComboBox1"), u"Wallet"_s);
            Click(d, "Button1");
        });
        action("NewCredit")->trigger();
        onDialog<RepaymentDialog>([](RepaymentDialog* d) {
            Type(d, "Value", u"40"_s);
            Type(d, "Edit1", u"first part"_s);
            Click(d, "Button1");
        });
        Click(page, "AddOplata");
        QCOMPARE(Messages::takeShown(), QStringList());
        QTableView* debts = debtsGrid();
        QCOMPARE(debts->model()->rowCount(), 1);
        QCOMPARE(debts->model()->index(0, 2).data().toString(), u"Loan from Ann"_s);
        QCOMPARE(debts->model()->index(0, 3).data().toString(), u"100 $"_s);
        QCOMPARE(debts->model()->index(0, 4).data().toString(), u"60 $"_s); // still owed
        QCOMPARE(Child<QTableView>(page, "DBGrid3")->model()->rowCount(), 1);
        showPage(0);
    }

    // Every account's balance in each currency, and the total in dollars.
    void balancesStep() {
        auto* panel = child<QTableWidget>("GridValutaV");
        auto* total = child<QLabel>("LabelV");
        showAccount(u"Wallet"_s);
        // -2,5 + 200 - 12 + 100 - 40 dollars, -300 + 360 roubles: 247,5 dollars in all.
        QCOMPARE(Rows(panel), (QStringList{u"+M|Dollar|245,5 $"_s, u"+ |Rouble|60 R"_s}));
        QCOMPARE(total->text().trimmed(), u"247,5"_s);
        // A currency without money is left out.
        showAccount(u"Bank"_s);
        QCOMPARE(Rows(panel), (QStringList{u"+M|Dollar|800 $"_s, u"||"_s}));
        showAccount(u"[...]"_s);
        QCOMPARE(Rows(panel), (QStringList{u"+M|Dollar|1 045,5 $"_s, u"+ |Rouble|60 R"_s}));
        QCOMPARE(total->text(), u"1 047,5"_s);
        QCOMPARE(Rows(grid()),
                 (QStringList{u"27.02.2026|February salary|1000 $||Salary||Bank"_s,
                              u"02.03.2026|Milk for the week||2,5 $|Food|Milk|Wallet"_s,
                              u"03.03.2026|Petrol||300 R|Car||Wallet"_s,
                              u"10.03.2026|Cash for March||200 $|||Bank"_s,
                              u"10.03.2026|From the bank|200 $||||Wallet"_s,
                              u"10.03.2026|Roubles for petrol|360 R|12 $|||Wallet"_s,
                              u"10.03.2026|Loan from Ann|100 $||||Wallet"_s,
                              u"10.03.2026|first part||40 $|||Wallet"_s}));
    }

    void filterStep() {
        showAccount(u"[...]"_s);
        child<QRadioButton>("rIncomes")->click();
        QCOMPARE(shownNames(), (QStringList{u"February salary"_s}));
        child<QRadioButton>("rCharges")->click();
        QCOMPARE(shownNames(), (QStringList{u"Milk for the week"_s, u"Petrol"_s}));
        child<QRadioButton>("rAll")->click();
        child<QTabWidget>("PageControl2")->setCurrentIndex(2);
        // The search finds the names that hold the text, whatever the letter case.
        child<QLineEdit>("EditSearch")->setText(u"petrol"_s);
        child<QPushButton>("ButtonSearch1")->click();
        QCOMPARE(shownNames(), (QStringList{u"Petrol"_s, u"Roubles for petrol"_s}));
        child<QTabWidget>("PageControl2")->setCurrentIndex(0);
        QCOMPARE(grid()->model()->rowCount(), 8);
        QCOMPARE(Messages::takeShown(), QStringList());
    }

    // The months' incomes and charges, and the charges by group, in dollars, of the entries the
    // ledger shows: every kind counts in the first chart (the transfer on both sides, the debt
    // and its repayment), only charges in the second.
    void chartsStep() {
        showPage(2);
        QCOMPARE(
            Bars(child<ChartView>("Chart1")),
            (QStringList{u"02.2026 1000"_s, u"02.2026 0"_s, u"03.2026 300"_s, u"03.2026 252.5"_s}));
        QCOMPARE(Bars(child<ChartView>("Chart2")), (QStringList{u"Food 2.5"_s, u"Car 10"_s}));
        // Only the bank's entries.
        showPage(0);
        showAccount(u"Bank"_s);
        showPage(2);
        QCOMPARE(Bars(child<ChartView>("Chart1")), (QStringList{u"02.2026 1000"_s, u"02.2026 0"_s,
                                                                u"03.2026 0"_s, u"03.2026 200"_s}));
        QCOMPARE(Bars(child<ChartView>("Chart2")), QStringList());
        showPage(0);
        showAccount(u"[...]"_s);
    }

    void printToPdfStep() {
        showAccount(u"[...]"_s);
        const QString path = m_files->filePath(u"March.pdf"_s);
        onDialog<PrintSelectWindow>([&](PrintSelectWindow* print) {
            Click(print, "RadioButton2");
            WhenShown(print->optionsWindow(), [&, print] {
                ReportOptionsDialog* options = print->optionsWindow();
                Click(options, "RadioFile");
                Type(options, "EditFile", path);
                Click(options, "ButtonOK");
            });
            Click(print, "Button1");
        });
        action("PrintData")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        // Every entry the grid shows is a line of the report with its date, amounts and
        // account; the heading holds the total of the value panel.
        const QStringList lines =
            PdfText(path).normalized(QString::NormalizationForm_KC).split(u'\n');
        for (const QString& row : Rows(grid())) {
            const QStringList cells = row.split(u'|');
            const auto line = std::find_if(lines.cbegin(), lines.cend(), [&](const QString& l) {
                return l.contains(cells.at(1));
            });
            QVERIFY2(line != lines.cend(), qPrintable(row));
            for (const QString& cell : {cells.at(0), cells.at(2), cells.at(3), cells.at(6)})
                QVERIFY2(line->contains(cell), qPrintable(*line + u" lacks "_s + cell));
        }
        QVERIFY(lines.join(u'\n').contains(child<QLabel>("LabelV")->text() + u" $"_s));
    }

    void exportToDbaseStep() {
        showAccount(u"Bank"_s);
        const QString file = m_files->filePath(u"bank.dbf"_s);
        FileChooser::queueChoice(m_files->filePath(u"bank"_s));
        action("ExportDbf")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        const DbfContent read = ReadDbf(file);
        QVERIFY(read.opened);
        // The transfer keeps its stored group, which the grid does not show.
        const QList<QStringList> expected = {{u"27.02.2026"_s, u"February salary"_s, QString(),
                                              u"1000 $"_s, u"Salary"_s, QString(), u"Bank"_s},
                                             {u"10.03.2026"_s, u"Cash for March"_s, u"200 $"_s,
                                              QString(), u"(TRANSFER->)"_s, QString(), u"Bank"_s}};
        QCOMPARE(read.rows, expected);
    }

    // The window closes with a copy into a folder the user picks; the copy holds everything.
    void closeWithBackupStep() {
        showAccount(u"[...]"_s);
        m_ledgerAtClose = Rows(grid());
        m_balancesAtClose = Rows(child<QTableWidget>("GridValutaV"));
        m_debtsAtClose = Rows(debtsGrid());
        const QString backup = m_files->filePath(u"backup"_s);
        QVERIFY(QDir().mkpath(backup));
        BackupWindow* window = m_window->backupWindow();
        bool copied = false;
        WhenShown(window, [&, window] {
            QVERIFY(window->selectFolder(backup));
            Click(window, "Button1");
            copied = true;
        });
        QVERIFY(m_window->close());
        QVERIFY(copied);
        QCOMPARE(Messages::takeShown(), QStringList());
        for (const QString& name : {u"Data.db"_s, u"Credit.db"_s, u"Valuta.db"_s, u"data.un"_s})
            QVERIFY2(QFileInfo::exists(backup + u'/' + name), qPrintable(name));
        QCOMPARE(QueryFile(backup + u"/Data.db"_s, u"SELECT COUNT(*) FROM Data"_s), u"8"_s);
        QCOMPARE(QueryFile(backup + u"/Credit.db"_s, u"SELECT Name FROM Credit"_s),
                 u"Loan from Ann"_s);
        // A restored copy is protected as the database is.
        QVERIFY(PasswordHash::matches(Password(), DatabaseFolder::password(backup + u'/')));
    }

    // The next start asks for the password (a wrong one is refused) and shows what was left.
    void reopenWithPasswordStep() {
        m_window.reset();
        m_cd = std::make_unique<DebtTables>();
        m_data = std::make_unique<LedgerTables>();
        // Letter case counts: the wrong password brings the window back empty.
        start(true, [this](ChooserWindow* chooser) {
            openHome(chooser, {u"secret 7"_s, Password()});
        });
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(m_passwordAsked, 2);
        QCOMPARE(m_window->chooser()->openedFolder(), m_folder);
        QTRY_VERIFY(!m_window->waitWindow()->isVisible());
        QCOMPARE(tabs(), (QStringList{u"Wallet"_s, u"Bank"_s, u"[...]"_s}));
        showAccount(u"[...]"_s);
        QCOMPARE(Rows(grid()), m_ledgerAtClose);
        QCOMPARE(Rows(child<QTableWidget>("GridValutaV")), m_balancesAtClose);
        showPage(1);
        QCOMPARE(Rows(debtsGrid()), m_debtsAtClose);
        showPage(2);
        QCOMPARE(Bars(child<ChartView>("Chart2")), (QStringList{u"Food 2.5"_s, u"Car 10"_s}));
        // The work goes on: a new entry takes a number of its own.
        showPage(0);
        showAccount(u"Wallet"_s);
        enterEntry(false, QDate(2026, 3, 10), u"Bread"_s, u"1"_s, u"$"_s, u"Food"_s);
        QCOMPARE(stored("Data.db", u"SELECT COUNT(DISTINCT ID) || ' ' || COUNT(*) FROM Data"_s),
                 u"9 9"_s);
        QCOMPARE(Rows(child<QTableWidget>("GridValutaV")).first(), u"+M|Dollar|244,5 $"_s);
    }
private Q_SLOTS:
    void initTestCase() {
        SetTestLocale();
        PasswordHash::setCost(PasswordHash::Cost::Lowest); // a hash, not its strength
        Clock::setToday(QDate(2026, 3, 10));
    }
    void cleanupTestCase() {
        sessionCleanup();
        Clock::setToday(QDate());
    }

    void createDatabaseWithPassword() { runStep(0); }
    void currenciesAccountsAndGroups() { runStep(1); }
    void incomesAndCharges() { runStep(2); }
    void transferAndExchange() { runStep(3); }
    void debtWithRepayment() { runStep(4); }
    void balances() { runStep(5); }
    void filter() { runStep(6); }
    void charts() { runStep(7); }
    void printToPdf() { runStep(8); }
    void exportToDbase() { runStep(9); }
    void closeWithBackup() { runStep(10); }
    void reopenWithPassword() { runStep(11); }
};

QTEST_MAIN(TestFirstHour)
#include "tst_firsthour.moc"
