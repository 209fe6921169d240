#include "core/clock.h"
#include "core/locale.h"
#include "core/skin.h"
#include "debts/debtdialogs.h"
#include "debts/debtrows.h"
#include "debts/debts.h"
#include "debts/debtspage.h"
#include "dialogs.h"
#include "mainwindowsession.h"
#include "store/transaction.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableView>

using namespace zovi;
using namespace zovi::test;

namespace {

QString S(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

// The debts page and its two dialogs, driven through the main window headless.
class TestDebtsPage : public MainWindowSession {
    Q_OBJECT

    DebtsPage* page() { return m_window->findChild<DebtsPage*>(); }
    QTableView* grid() { return Child<QTableView>(page(), "GridD"); }
    QString cell(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    bool bold(int row) {
        return grid()->model()->index(row, 2).data(Qt::FontRole).value<QFont>().bold();
    }
    bool enabled(const char* name) { return Child<QWidget>(page(), name)->isEnabled(); }
    QString stored(const char* sql) { return QueryFile(m_db->file(S("Data.db")), S(sql)); }
    QString storedDebt(const char* sql) { return QueryFile(m_db->file(S("Credit.db")), S(sql)); }

    void showDebts() {
        Child<QTabWidget>(m_window.get(), "Page")->setCurrentIndex(1);
        QCOMPARE(Child<QTabWidget>(m_window.get(), "Page")->currentWidget(), page());
    }

    // The debt dialog filled as a user fills it, then OK.
    void enterDebt(const char* command, const char* name, const char* amount, const char* rate,
                   const char* account) {
        onDialog<DebtDialog>([=](DebtDialog* d) {
            Type(d, "Edit1", S(name));
            Type(d, "Value", S(amount));
            Type(d, "Procent", S(rate));
            if (account)
                Choose(Child<QComboBox>(d, "ComboBox1"), S(account));
            Click(d, "Button1");
        });
        action(command)->trigger();
    }

    void enterRepayment(const char* amount, const char* comment) {
        onDialog<RepaymentDialog>([=](RepaymentDialog* d) {
            Type(d, "Value", S(amount));
            Type(d, "Edit1", S(comment));
            Click(d, "Button1");
        });
        Click(page(), "AddOplata");
    }

private Q_SLOTS:
    void init() {
        sessionInit();
        Clock::setToday(QDate(2024, 1, 15));
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
        });
        start();
        SetTestLocale(); // the grid writes amounts with a decimal comma
        showDebts();
    }
    void cleanup() {
        sessionCleanup();
        Clock::setToday(QDate());
    }

    // The day the debts are valued to shows whole at the window's first size in each shipped
    // language with its dates' language: every weekday in every month.
    void valuationDayWhole_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("locale");
        QTest::newRow("English") << S("lang.ini") << S("en_GB");
        QTest::newRow("Russian") << S("lang/ru.ini") << S("ru_RU");
    }
    void valuationDayWhole() {
        QFETCH(QString, language);
        QFETCH(QString, locale);
        sessionCleanup();
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        sessionInit(ShippedBytes(language));
        prepare([](LedgerTables& data) { addAccounts(data); });
        start();
        showDebts();
        auto* day = Child<QDateEdit>(page(), "DateTimePicker3");
        auto* edit = day->findChild<QLineEdit*>();
        for (int month = 1; month <= 12; ++month) {
            for (int d = 22; d <= 28; ++d) {
                day->setDate(QDate(2026, month, d));
                QVERIFY2(ShowsWhole(day, day->text()), qPrintable(day->text()));
                QVERIFY2(day->fontMetrics().horizontalAdvance(day->text()) < edit->width(),
                         qPrintable(day->text()));
            }
        }
    }

    // A debt and a repayment entered through the dialogs: what the grid shows, which commands
    // are open at each step, and the rows stored.
    void debtAndRepaymentThroughThePage() {
        QCOMPARE(grid()->model()->rowCount(), 0);
        for (const char* name : {"EditCredit_bt", "DeleteCredit_bt", "AddOplata", "DeleteOplata"})
            QVERIFY2(!enabled(name), name);

        enterDebt("NewCredit", "bank", "1000", "3", "Bank");
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(grid()->model()->rowCount(), 1);
        QCOMPARE(cell(0, 1), AppLocale::formatDate(QDate(2024, 1, 15)));
        QCOMPARE(cell(0, 3), S("1 000 $"));
        QCOMPARE(cell(0, 4), S("1 000,97 $"));
        QCOMPARE(cell(0, 5), S("3"));
        QCOMPARE(cell(0, 6), S("Bank"));
        QCOMPARE(cell(0, 7), S("-"));
        QVERIFY(bold(0));
        QVERIFY(enabled("EditCredit_bt") && enabled("AddOplata"));
        QVERIFY(action("EditCredit")->isEnabled() && action("DeleteCredit")->isEnabled());
        QVERIFY(!enabled("DeleteOplata"));
        QCOMPARE(stored("SELECT Dohod FROM Data WHERE Type='CR'"), S("1000 $"));

        // Valued to a chosen day, then to today again.
        Clock::setToday(QDate(2024, 1, 31));
        Click(page(), "RadioButton2");
        Child<QDateEdit>(page(), "DateTimePicker3")->setDate(QDate(2024, 2, 10));
        QCOMPARE(cell(0, 4), S("1 026,97 $"));
        Click(page(), "RadioButton1");
        QCOMPARE(cell(0, 4), S("1 016,45 $"));

        enterRepayment("500", "half");
        QCOMPARE(Messages::takeShown(), QStringList());
        QVERIFY(enabled("DeleteOplata"));
        QCOMPARE(Child<QTableView>(page(), "DBGrid3")->model()->rowCount(), 1);
        QCOMPARE(Child<QLabel>(page(), "DBText1")->text(), S("half"));
        QAbstractItemModel* repayments = Child<QTableView>(page(), "DBGrid3")->model();
        QStringList shown;
        for (int c = 0; c < repayments->columnCount(); ++c) {
            if (!Child<QTableView>(page(), "DBGrid3")->isColumnHidden(c))
                shown << repayments->headerData(c, Qt::Horizontal).toString() + S(" ") +
                             repayments->index(0, c).data().toString();
        }
        QCOMPARE(shown, (QStringList{S("Date %1").arg(AppLocale::formatDate(QDate(2024, 1, 31))),
                                     S("Amount 500 $")}));
        QCOMPARE(cell(0, 4), S("516,45 $"));
        QCOMPARE(stored("SELECT Rashod || ' ' || Gr1 FROM Data WHERE Type='PC'"), S("500 $ Bank"));

        // Deleting the repayment takes its ledger row along.
        Messages::queueAnswer(true);
        Click(page(), "DeleteOplata");
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("1"));
        QCOMPARE(Child<QTableView>(page(), "DBGrid3")->model()->rowCount(), 0);
        QVERIFY(!enabled("DeleteOplata"));
        QCOMPARE(cell(0, 4), S("1 016,45 $"));
    }

    // Each debt shows its kind, in the debt dialog's words, in a column right after the name
    // that shows both kinds whole, in English and in Russian.
    void debtsShowTheirKind_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("borrowed");
        QTest::addColumn<QString>("lent");
        QTest::newRow("English") << S("lang.ini") << S("I borrowed") << S("I lent");
        QTest::newRow("Russian") << S("lang/ru.ini") << S("Я взял в долг") << S("Я дал в долг");
    }
    void debtsShowTheirKind() {
        QFETCH(QString, language);
        QFETCH(QString, borrowed);
        QFETCH(QString, lent);
        sessionCleanup();
        sessionInit(ShippedBytes(language));
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
        });
        start();
        showDebts();
        enterDebt("NewCredit", "bank", "100", "0", "Bank");
        onDialog<DebtDialog>([](DebtDialog* d) {
            Click(d, "vamdolzny");
            Type(d, "Edit1", S("friend"));
            Type(d, "Value", S("40"));
            Type(d, "Procent", S("0"));
            Choose(Child<QComboBox>(d, "ComboBox1"), S("Bank"));
            Click(d, "Button1");
        });
        action("NewCredit")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(grid()->model()->rowCount(), 2);
        QStringList kinds;
        for (int row = 0; row < 2; ++row)
            kinds << cell(row, DebtName) + S(": ") + cell(row, DebtKind);
        QCOMPARE(kinds, (QStringList{S("bank: ") + borrowed, S("friend: ") + lent}));

        QHeaderView* header = grid()->horizontalHeader();
        QVERIFY(!grid()->isColumnHidden(DebtKind));
        QCOMPARE(header->visualIndex(DebtKind), header->visualIndex(DebtName) + 1);
        QFont bold = grid()->font();
        bold.setBold(true);
        for (const QString& text :
             {borrowed, lent, grid()->model()->headerData(DebtKind, Qt::Horizontal).toString()})
            QVERIFY2(QFontMetrics(bold).horizontalAdvance(text) + 4 <=
                         grid()->columnWidth(DebtKind),
                     qPrintable(text));
    }

    // A debt repaid to exactly 0 is marked "+" and drawn in normal type.
    void paidOffDebtIsNotBold() {
        enterDebt("NewCredit", "friend", "100", "0", "Wallet");
        enterRepayment("100", "all back");
        QCOMPARE(cell(0, 4), S("0 $"));
        QCOMPARE(cell(0, 7), S("+"));
        QVERIFY(!bold(0));
    }

    // The dialogs refuse what is no number and what misses, and store nothing.
    void dialogsRefuse_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<bool>("account");
        QTest::addColumn<QString>("message"); // the built-in text: no lang.ini here
        QTest::newRow("amount no number") << S("12x") << S("3") << true << S("Error #4");
        QTest::newRow("empty amount") << S("") << S("3") << true << S("Error #4");
        QTest::newRow("rate no number") << S("100") << S("3%") << true << S("Error #8");
        QTest::newRow("no account") << S("100") << S("3") << false << S("Error #9");
        QTest::newRow("a million per cent a month")
            << S("100") << S("1000000") << true
            << S("The interest rate must not be above 100 % a month.");
    }
    void dialogsRefuse() {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(bool, account);
        QFETCH(QString, message);
        bool keptOpen = false;
        onDialog<DebtDialog>([&](DebtDialog* d) {
            Type(d, "Edit1", S("bank"));
            Type(d, "Value", amount);
            Type(d, "Procent", rate);
            if (account)
                Choose(Child<QComboBox>(d, "ComboBox1"), S("Bank"));
            Click(d, "Button1");
            keptOpen = d->isVisible();
        });
        action("NewCredit")->trigger();
        QVERIFY(keptOpen);
        QCOMPARE(Messages::takeShown(), QStringList{message});
        QCOMPARE(storedDebt("SELECT COUNT(*) FROM Credit"), S("0"));
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("0"));

        enterDebt("NewCredit", "bank", "100", "3", "Bank");
        keptOpen = false;
        onDialog<RepaymentDialog>([&](RepaymentDialog* d) {
            Type(d, "Value", amount == u"100" ? S("") : amount);
            Click(d, "Button1");
            keptOpen = d->isVisible();
        });
        Click(page(), "AddOplata");
        QVERIFY(keptOpen);
        QCOMPARE(Messages::takeShown(), QStringList{S("Error #4")});
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("1"));
    }

    // The repayment dialog refuses a repayment of 0 and stays open; nothing is stored.
    void zeroRepaymentRefused() {
        enterDebt("NewCredit", "bank", "100", "3", "Bank");
        bool keptOpen = false;
        onDialog<RepaymentDialog>([&](RepaymentDialog* d) {
            Type(d, "Value", S("0"));
            Click(d, "Button1");
            keptOpen = d->isVisible();
        });
        Click(page(), "AddOplata");
        QVERIFY(keptOpen);
        QCOMPARE(Messages::takeShown(),
                 QStringList{S("A repayment of 0 repays nothing: enter the amount paid back.")});
        QCOMPARE(
            QueryFile(m_db->file(S("OplataCredit.db")), S("SELECT COUNT(*) FROM OplataCredit")),
            S("0"));
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("1"));
    }

    // A keyboard user reaches every control in reading order and enters a lent debt.
    void keyboardEntersALentDebt() {
        onDialog<DebtDialog>([](DebtDialog* d) {
            QCOMPARE(
                TabWalk(d),
                QString::fromLatin1(
                    "DateTimePicker1 SpeedButton4 Edit1 Value SpeedButton6 ComboBox6 Procent "
                    "SpeedButton1 RadioButton2 Button1 Button2 vidolzny ComboBox1 SpeedButton3")
                    .split(QLatin1Char(' ')));
            Child<QWidget>(d, "vidolzny")->setFocus();
            QTest::keyClick(d->focusWidget(), Qt::Key_Right);
            QCOMPARE(d->focusWidget()->objectName(), S("vamdolzny"));
            QVERIFY(Child<QAbstractButton>(d, "vamdolzny")->isChecked());
            Type(d, "Edit1", S("friend"));
            Type(d, "Value", S("40"));
            Type(d, "Procent", S("0"));
            Choose(Child<QComboBox>(d, "ComboBox1"), S("Bank"));
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        });
        action("NewCredit")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(storedDebt("SELECT CD FROM Credit"), S("D"));
        QCOMPARE(stored("SELECT Rashod || Type FROM Data"), S("40 $DB"));
    }

    // The chosen kind is drawn unlike the other in every shipped skin, also when it is locked.
    void chosenKindStandsOut_data() {
        QTest::addColumn<QString>("skin");
        for (const char* skin : {"Longhorn.sui", "Dark.sui", "Plain.sui"})
            QTest::newRow(skin) << S(skin);
    }
    void chosenKindStandsOut() {
        QFETCH(QString, skin);
        QVERIFY(SkinEngine::load(qEnvironmentVariable("ZOVI_PROGRAM_DIR") + S("/Skins/") + skin));
        // The colour inside the button's border, clear of its text.
        auto fill = [](DebtDialog* d, const char* name) {
            auto* button = Child<QWidget>(d, name);
            return button->grab().toImage().pixel(4, button->height() / 2);
        };
        onDialog<DebtDialog>([&](DebtDialog* d) {
            QVERIFY(fill(d, "vidolzny") != fill(d, "vamdolzny"));
            Click(d, "vamdolzny");
            QVERIFY(fill(d, "vidolzny") != fill(d, "vamdolzny"));
            Child<QGroupBox>(d, "GroupBox2")->setEnabled(false);
            QVERIFY(fill(d, "vidolzny") != fill(d, "vamdolzny"));
        });
        action("NewCredit")->trigger();
        SkinEngine::reset();
    }

    // Edit keeps the ledger row and its kind; delete takes the debt, its repayments and all
    // their ledger rows.
    void editAndDelete() {
        enterDebt("NewCredit", "bank", "100", "3", "Bank");
        const QString row = storedDebt("SELECT IDdata FROM Credit");
        enterDebt("EditCredit", "bank2", "250", "12", "Wallet");
        QCOMPARE(storedDebt("SELECT IDdata FROM Credit"), row);
        QCOMPARE(stored("SELECT ID || Dohod || Gr1 || Type FROM Data"), row + S("250 $WalletCR"));
        QCOMPARE(cell(0, 3), S("250 $"));
        for (const char* amount : {"10", "20", "30"})
            enterRepayment(amount, "part");
        QVERIFY(page()->findChild<QAction*>(S("PopupDeleteCredit"))->isEnabled());
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("4"));
        Messages::queueAnswer(false);
        action("DeleteCredit")->trigger();
        QCOMPARE(storedDebt("SELECT COUNT(*) FROM Credit"), S("1"));
        Messages::queueAnswer(true);
        page()->findChild<QAction*>(S("PopupDeleteCredit"))->trigger();
        QCOMPARE(storedDebt("SELECT COUNT(*) FROM Credit"), S("0"));
        QCOMPARE(stored("SELECT COUNT(*) FROM Data"), S("0"));
        QCOMPARE(grid()->model()->rowCount(), 0);
        QVERIFY(!enabled("AddOplata") && !enabled("EditCredit_bt"));
        QVERIFY(!action("EditCredit")->isEnabled() && !action("DeleteCredit")->isEnabled());
        QVERIFY(!page()->findChild<QAction*>(S("PopupEditCredit"))->isEnabled());
        QVERIFY(action("NewCredit")->isEnabled());
    }

    // Showing the page sets the picker to today and values the debts to that same day.
    // A debt that cannot be valued is named once and marked in the grid; the other is valued.
    void unvaluedDebtIsNamedOnceAndMarked() {
        enterDebt("NewCredit", "bank", "1000", "3", "Bank");
        enterDebt("NewCredit", "runaway", "1000", "3", "Bank");
        {
            // A rate the dialog refuses, as an older database may hold it.
            Transaction t;
            TableHandle& c = m_cd->tbCredit2;
            QVERIFY(c.locate(S("Name"), S("runaway")));
            c.edit();
            c.field(S("Procent")).setDouble(1e6);
            c.field(S("Date")).setDate(QDate(2010, 1, 1));
            c.post();
            t.commit();
        }
        Messages::takeShown();
        Click(page(), "RadioButton2");
        Child<QDateEdit>(page(), "DateTimePicker3")->setDate(QDate(2024, 1, 31));
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].endsWith(S(":\nrunaway")), qPrintable(shown[0]));
        QCOMPARE(cell(0, 2), S("runaway"));
        QCOMPARE(cell(0, 4), S("cannot be valued"));
        QVERIFY(!grid()->model()->index(0, 4).data(Qt::ToolTipRole).toString().isEmpty());
        QCOMPARE(cell(1, 4), S("1 016,45 $"));
        Child<QDateEdit>(page(), "DateTimePicker3")->setDate(QDate(2024, 1, 30));
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(cell(0, 4), S("cannot be valued"));
    }

    void showingValuesToTheShownDay() {
        enterDebt("NewCredit", "bank", "1000", "3", "Bank");
        Click(page(), "RadioButton2");
        Child<QDateEdit>(page(), "DateTimePicker3")->setDate(QDate(2024, 1, 31));
        QCOMPARE(cell(0, 4), S("1 016,45 $"));
        Child<QTabWidget>(m_window.get(), "Page")->setCurrentIndex(0);
        Clock::setToday(QDate(2024, 2, 10));
        showDebts();
        QCOMPARE(Child<QDateEdit>(page(), "DateTimePicker3")->date(), QDate(2024, 2, 10));
        QCOMPARE(cell(0, 4), S("1 026,97 $"));
        QCOMPARE(Child<QRadioButton>(page(), "RadioButton1")->text(),
                 S("Today (%1)").arg(AppLocale::formatDate(QDate(2024, 2, 10))));
    }

    // The caption of today, the debts and their repayments name the month in the chosen language
    // also where the user's locale writes month names in English.
    void datesInLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("date");
        QTest::newRow("English") << S("lang.ini") << S("Today") << S("10 Feb 2024");
        QTest::newRow("Russian") << S("lang/ru.ini") << S("Сегодня") << S("10 февр. 2024");
    }
    void datesInLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, today);
        QFETCH(QString, date);
        UseShippedLanguage(*m_db, language);
        AppLocale::set(QLatin1Char('.'), S("d MMM yyyy"));
        Child<QTabWidget>(m_window.get(), "Page")->setCurrentIndex(0);
        Clock::setToday(QDate(2024, 2, 10));
        showDebts();
        QCOMPARE(Child<QRadioButton>(page(), "RadioButton1")->text(),
                 S("%1 (%2)").arg(today, date));
        enterDebt("NewCredit", "bank", "1000", "3", "Bank");
        enterRepayment("500", "half");
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(cell(0, 1), date);
        const QTableView* repayments = Child<QTableView>(page(), "DBGrid3");
        int column = 0;
        while (repayments->isColumnHidden(column))
            ++column;
        QCOMPARE(repayments->model()->index(0, column).data().toString(), date);
    }
};

QTEST_MAIN(TestDebtsPage)
#include "tst_debts_ui.moc"
