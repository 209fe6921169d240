#include "core/clock.h"
#include "core/locale.h"
#include "core/textutil.h"
#include "dialogs.h"
#include "ledger/currency.h"
#include "ledger/exchange.h"
#include "ledger/exchangedialog.h"
#include "mainwindowsession.h"
#include "tools/calculatorwindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>

Q_DECLARE_METATYPE(zovi::Currency)

using namespace zovi;
using zovi::test::Child;
using zovi::test::Choose;

namespace {

const QDate kToday(2026, 3, 10);

// Accounts Wallet, " Cash " (blanks around the name) and Bank; the main currency Rouble ("R"),
// the More currencies Dollar ("$", 30), Euro ("€", 40), Franc ("F", 2.5) and Mark ("M", 2), and
// the Less currency Yen ("¥", 100).
void FillClassifiers(LedgerTables& data) {
    for (const char* name : {"Wallet", " Cash ", "Bank"}) {
        data.tbGr1.append();
        data.tbGr1.field(QStringLiteral("Name")).setText(QString::fromLatin1(name));
        data.tbGr1.post();
    }
    struct C {
        const char* name;
        const char* sign;
        double rate;
        bool more;
        bool main;
    };
    for (const C& c : {C{"Rouble", "R", 1, false, true}, C{"Dollar", "$", 30, true, false},
                       C{"Euro", "€", 40, true, false}, C{"Franc", "F", 2.5, true, false},
                       C{"Mark", "M", 2, true, false}, C{"Yen", "¥", 100, false, false}}) {
        TableHandle& v = data.tbValuta;
        v.append();
        v.field(QStringLiteral("Name")).setText(QString::fromLatin1(c.name));
        v.field(QStringLiteral("Znak")).setText(QString::fromUtf8(c.sign));
        v.field(QStringLiteral("Kurs")).setDouble(c.rate);
        v.field(QStringLiteral("More")).setBool(c.more);
        v.field(QStringLiteral("Def")).setBool(c.main);
        v.field(QStringLiteral("OldValue")).setText(QStringLiteral("0"));
        v.post();
    }
}

// An exchange row as an earlier session stored it: 300 Rouble into 10 of the currency named
// received at the rate 30, under the account "[...]".
void AddExchange(LedgerTables& data, const QString& name, const QString& received) {
    TableHandle& d = data.tbData2;
    d.append();
    d.field(QStringLiteral("Date")).setDate(QDate(2026, 3, 1));
    d.field(QStringLiteral("Name")).setText(name);
    d.field(QStringLiteral("Type")).setText(QStringLiteral("O"));
    d.field(QStringLiteral("Kurs")).setDouble(30);
    d.field(QStringLiteral("ValueRashod")).setDouble(-300);
    d.field(QStringLiteral("ValutaRashod")).setText(QStringLiteral("Rouble"));
    d.field(QStringLiteral("ValueDohod")).setDouble(10);
    d.field(QStringLiteral("ValutaDohod")).setText(received);
    d.field(QStringLiteral("Rashod")).setText(QStringLiteral("300 R"));
    d.field(QStringLiteral("Dohod")).setText(QStringLiteral("10 $"));
    d.field(QStringLiteral("Gr1")).setText(QStringLiteral("[...]"));
    d.field(QStringLiteral("Gr2")).setText(QStringLiteral("(EXCHANGE)"));
    d.post();
}

Currency Rate(bool main, bool more, double kurs) {
    Currency c;
    c.Def = main;
    c.More = more;
    c.Kurs = kurs;
    return c;
}

// Fills the dialog as a user does: amount, the two currencies by sign, rate and name.
void Fill(ExchangeDialog* dialog, const QString& amount, const QString& given,
          const QString& received, const QString& rate, const QString& name) {
    Child<QLineEdit>(dialog, "Edit1")->setText(amount);
    Choose(Child<QComboBox>(dialog, "ComboBox1"), given);
    Choose(Child<QComboBox>(dialog, "ComboBox2"), received);
    Child<QLineEdit>(dialog, "Edit3")->setText(rate);
    Child<QLineEdit>(dialog, "Edit2")->setText(name);
}

} // namespace

class TestExchanges : public test::MainWindowSession {
    Q_OBJECT

    void selectTab(int index) {
        m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(index);
    }
    QTableView* grid() { return m_window->findChild<QTableView*>(QStringLiteral("Grid1")); }
    QString stored(const QString& name, const char* field) {
        return StoredRow(*m_data, name).value(QString::fromLatin1(field)).toString();
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(kToday);
    }

    void init() {
        // "err006" is left out: its box shows the built-in text.
        sessionInit("err001=E1\nerr004=E4\nerr005=E5\ncaption006=New exchange\n"
                    "caption009=Edit exchange\nrate=Kurs\n");
    }
    void cleanup() { sessionCleanup(); }

    // The decision between multiplying and dividing by the typed rate, row by row.
    void rateMultiplies_data() {
        QTest::addColumn<Currency>("given");
        QTest::addColumn<Currency>("received");
        QTest::addColumn<bool>("multiplies");
        const Currency main = Rate(true, false, 1);
        QTest::newRow("main to More") << main << Rate(false, true, 30) << false;
        QTest::newRow("More to main") << Rate(false, true, 30) << main << true;
        QTest::newRow("main to Less") << main << Rate(false, false, 30) << true;
        QTest::newRow("Less to main") << Rate(false, false, 30) << main << true;
        QTest::newRow("main marked More to More")
            << Rate(true, true, 1) << Rate(false, true, 30) << false;
        QTest::newRow("More to Less") << Rate(false, true, 1) << Rate(false, false, 90) << false;
        QTest::newRow("Less to More") << Rate(false, false, 90) << Rate(false, true, 1) << true;
        QTest::newRow("received rate higher")
            << Rate(false, true, 30) << Rate(false, true, 40) << false;
        QTest::newRow("received rate lower")
            << Rate(false, true, 40) << Rate(false, true, 30) << true;
        QTest::newRow("Less received higher")
            << Rate(false, false, 30) << Rate(false, false, 40) << false;
        // Rounded halves to even: 2.5 and 2 are equal, 3.5 and 4 too, 2.5 is below 3.
        QTest::newRow("2.5 gives 2") << Rate(false, true, 2) << Rate(false, true, 2.5) << true;
        QTest::newRow("2 and 2.5") << Rate(false, true, 2.5) << Rate(false, true, 2) << true;
        QTest::newRow("3.5 gives 4") << Rate(false, true, 4) << Rate(false, true, 3.5) << true;
        QTest::newRow("2.5 below 3") << Rate(false, true, 2.5) << Rate(false, true, 3) << false;
    }
    void rateMultiplies() {
        QFETCH(Currency, given);
        QFETCH(Currency, received);
        QFETCH(bool, multiplies);
        QCOMPARE(RateMultiplies(given, received), multiplies);
        QCOMPARE(AmountReceived(12, 4, given, received), multiplies ? 48.0 : 3.0);
    }

    void cutAfterTwoDecimals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cut");
        for (const char* row : {"33,3333|33,33", "12,5|12,5", "7|7", "0,019|0,01", "-1.999|-1.99",
                                "1,5.25|1,5.", "1e-05|1e-05"}) {
            const QStringList parts = QString::fromLatin1(row).split(u'|');
            QTest::newRow(row) << parts[0] << parts[1];
        }
    }
    void cutAfterTwoDecimals() {
        QFETCH(QString, text);
        QFETCH(QString, cut);
        QCOMPARE(CutAfterTwoDecimals(text), cut);
    }

    void newExchangeIsCheckedAndStored() {
        prepare(FillClassifiers);
        start();
        onDialog<ExchangeDialog>([](ExchangeDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("New exchange"));
            QCOMPARE(qobject_cast<QGroupBox*>(Child<QLineEdit>(dialog, "Edit3")->parentWidget())
                         ->title(),
                     QStringLiteral(" Kurs "));
            QCOMPARE(Child<QDateEdit>(dialog, "DateTimePicker1")->date(), kToday);
            auto* amount = Child<QLineEdit>(dialog, "Edit1");
            auto* name = Child<QLineEdit>(dialog, "Edit2");
            auto* rate = Child<QLineEdit>(dialog, "Edit3");
            auto* given = Child<QComboBox>(dialog, "ComboBox1");
            auto* received = Child<QComboBox>(dialog, "ComboBox2");
            QVERIFY(amount->text().isEmpty() && name->text().isEmpty() && rate->text().isEmpty());
            // A fresh dialog shows the first currency twice.
            QCOMPARE(given->currentText(), QStringLiteral("R"));
            QCOMPARE(received->currentText(), QStringLiteral("R"));
            QCOMPARE(given->count(), 6);

            struct Step {
                const char* amount;
                const char* name;
                const char* rate;
                const char* message;
            };
            auto* ok = Child<QPushButton>(dialog, "Button1");
            for (const Step& s : {Step{"", "", "", "E4"}, Step{"-5", "x", "30", "E4"},
                                  Step{"1.2.3", "x", "30", "E4"}, Step{"300", " ", "30", "E1"},
                                  Step{"300", "x", "", "E5"}, Step{"300", "x", "0", "E5"},
                                  Step{"300", "x", "0,0", "E5"}, Step{"300", "x", "1.2.3", "E5"},
                                  Step{"300", "x", " 30 ", "Error #006"}}) {
                amount->setText(QString::fromLatin1(s.amount));
                name->setText(QString::fromLatin1(s.name));
                rate->setText(QString::fromLatin1(s.rate));
                ok->click();
                QCOMPARE(Messages::takeShown(), QStringList{QString::fromLatin1(s.message)});
                QVERIFY(dialog->isVisible());
            }
            // Refused checks leave the texts as typed.
            QCOMPARE(rate->text(), QStringLiteral(" 30 "));
            Choose(received, QStringLiteral("$"));
            amount->setText(QStringLiteral("300.0"));
            Child<QToolButton>(dialog, "SpeedButton2")->click();
            QCOMPARE(name->text(), QStringLiteral("Conversion 300.0 R to $"));
            Child<QToolButton>(dialog, "SpeedButton3")->click();
            Child<QToolButton>(dialog, "SpeedButton4")->click();
            Child<QToolButton>(dialog, "SpeedButton3")->click();
            ok->click();
            QVERIFY(!dialog->isVisible());
            // OK normalised both numbers.
            QCOMPARE(amount->text(), QStringLiteral("300,0"));
            QCOMPARE(rate->text(), QStringLiteral("30"));
        });
        toolButton("tb5")->click();
        QVERIFY(Messages::takeShown().isEmpty());

        const QVariantMap row = StoredRow(*m_data, QStringLiteral("Conversion 300.0 R to $"));
        const QVariantMap expected{{QStringLiteral("Type"), QStringLiteral("O")},
                                   {QStringLiteral("Date"), QStringLiteral("09.03.2026")},
                                   {QStringLiteral("Kurs"), QStringLiteral("30")},
                                   {QStringLiteral("ValueRashod"), QStringLiteral("-300")},
                                   {QStringLiteral("ValutaRashod"), QStringLiteral("Rouble")},
                                   {QStringLiteral("ValueDohod"), QStringLiteral("10")},
                                   {QStringLiteral("ValutaDohod"), QStringLiteral("Dollar")},
                                   {QStringLiteral("Rashod"), QStringLiteral("300 R")},
                                   {QStringLiteral("Dohod"), QStringLiteral("10 $")},
                                   {QStringLiteral("Gr1"), QStringLiteral("Wallet")},
                                   {QStringLiteral("Gr2"), QStringLiteral("(EXCHANGE)")},
                                   {QStringLiteral("Value"), QString()},
                                   {QStringLiteral("Valuta"), QString()},
                                   {QStringLiteral("NameRashod"), QString()},
                                   {QStringLiteral("InDol"), QString()},
                                   {QStringLiteral("IDsecond"), QString()}};
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(row.value(it.key()).toString() + u'=' + it.key(),
                     it.value().toString() + u'=' + it.key());

        // The grid selects the new row; the balances move money between the two currencies.
        QCOMPARE(grid()->model()->rowCount(), 1);
        QCOMPARE(grid()->currentIndex().row(), 0);
        auto* balances = m_window->findChild<QTableWidget*>(QStringLiteral("GridValutaV"));
        QCOMPARE(balances->item(0, 2)->text(),
                 QStringLiteral("- 300 R")); // FormatMoney groups the sign too
        QCOMPARE(balances->item(1, 2)->text(), QStringLiteral("10 $"));
    }

    // The amount received through the dialog: the main currency and the directions decide,
    // then the stored rates rounded to whole numbers; Dohod is cut after two decimals.
    void amountReceived_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("valueDohod");
        QTest::addColumn<QString>("dohod");
        QTest::addColumn<QString>("rashod");
        auto row = [](const char* tag, const char* given, const char* received, const char* amount,
                      const char* rate, const char* value, const char* dohod, const char* rashod) {
            QTest::newRow(tag) << QString::fromUtf8(given) << QString::fromUtf8(received)
                               << QString::fromLatin1(amount) << QString::fromLatin1(rate)
                               << QString::fromLatin1(value) << QString::fromUtf8(dohod)
                               << QString::fromUtf8(rashod);
        };
        row("300 R at 30 for $", "R", "$", "300", "30", "10", "10 $", "300 R");
        row("10 $ at 30 for R", "$", "R", "10", "30", "300", "300 R", "10 $");
        row("$ 30 into € 40 divides", "$", "€", "100", "3", "33,3333333333333", "33,33 €", "100 $");
        row("€ 40 into $ 30 multiplies", "€", "$", "100", "3", "300", "300 $", "100 €");
        row("F 2.5 into M 2 equal", "F", "M", "10", "2.5", "25", "25 M", "10 F");
        row("M 2 into F 2.5 equal", "M", "F", "10", "2.5", "25", "25 F", "10 M");
        row("More into Less divides", "$", "¥", "10", "4", "2,5", "2,5 ¥", "10 $");
        row("Less into More multiplies", "¥", "$", "10,555", "4", "42,22", "42,22 $", "10,55 ¥");
    }
    void amountReceived() {
        QFETCH(QString, given);
        QFETCH(QString, received);
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        prepare(FillClassifiers);
        start();
        onDialog<ExchangeDialog>([&](ExchangeDialog* dialog) {
            Fill(dialog, amount, given, received, rate, QStringLiteral("swap"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        action("NewObmen")->trigger();
        QVERIFY(Messages::takeShown().isEmpty());
        QTEST(stored(QStringLiteral("swap"), "ValueDohod"), "valueDohod");
        QTEST(stored(QStringLiteral("swap"), "Dohod"), "dohod");
        QTEST(stored(QStringLiteral("swap"), "Rashod"), "rashod");
    }

    // Editing from the ledger: the dialog shows the stored values, saving writes "(ОБМЕН)" and
    // moves the row to the selected tab, its blanks trimmed.
    void editRewritesMarkerAndAccount() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddExchange(data, QStringLiteral("old"), QStringLiteral("Dollar"));
        });
        start();
        selectTab(1); // " Cash "
        QCOMPARE(grid()->model()->rowCount(), 1);
        grid()->selectRow(0);
        onDialog<ExchangeDialog>([](ExchangeDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit exchange"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("300"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit2")->text(), QStringLiteral("old"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit3")->text(), QStringLiteral("30"));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("R"));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox2")->currentText(), QStringLiteral("$"));
            QCOMPARE(Child<QDateEdit>(dialog, "DateTimePicker1")->date(), QDate(2026, 3, 1));
            Child<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("1000"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        toolButton("tb3")->click();
        QVERIFY(Messages::takeShown().isEmpty());
        QCOMPARE(stored(QStringLiteral("old"), "Gr2"), QStringLiteral("(ОБМЕН)"));
        QCOMPARE(stored(QStringLiteral("old"), "Gr1"), QStringLiteral("Cash"));
        QCOMPARE(stored(QStringLiteral("old"), "ValueDohod"), QStringLiteral("33,3333333333333"));
        QCOMPARE(stored(QStringLiteral("old"), "Dohod"), QStringLiteral("33,33 $"));
        QCOMPARE(stored(QStringLiteral("old"), "Rashod"), QStringLiteral("1000 R"));
        QCOMPARE(m_data->tbData3.recordCount(), 1);
    }

    // An exchange whose currency is gone opens with that list unselected; OK asks for a
    // currency until one is chosen.
    void editWithVanishedCurrency() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddExchange(data, QStringLiteral("old"), QStringLiteral("Gone"));
        });
        start();
        grid()->selectRow(0);
        onDialog<ExchangeDialog>([](ExchangeDialog* dialog) {
            auto* received = Child<QComboBox>(dialog, "ComboBox2");
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("R"));
            QCOMPARE(received->currentIndex(), -1);
            Child<QPushButton>(dialog, "Button1")->click();
            const QStringList shown = Messages::takeShown();
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown.first().contains(QStringLiteral("currency")));
            QVERIFY(dialog->isVisible());
            Choose(received, QStringLiteral("€"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        action("EditRec")->trigger();
        QCOMPARE(stored(QStringLiteral("old"), "ValutaDohod"), QStringLiteral("Euro"));
        QCOMPARE(stored(QStringLiteral("old"), "Dohod"), QStringLiteral("10 €"));
    }

    // A currency deleted while the dialog is open: nothing is stored, the dialog opens again
    // with what was typed and the gone currency unselected.
    void vanishedCurrencyAtSave() {
        prepare(FillClassifiers);
        start();
        int openings = 0;
        std::function<void(ExchangeDialog*)> script = [&](ExchangeDialog* dialog) {
            if (++openings > 1) {
                QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("300"));
                QCOMPARE(Child<QComboBox>(dialog, "ComboBox1")->currentText(), QStringLiteral("R"));
                QCOMPARE(Child<QComboBox>(dialog, "ComboBox2")->currentIndex(), -1);
                return; // the user gives up
            }
            Fill(dialog, QStringLiteral("300"), QStringLiteral("R"), QStringLiteral("$"),
                 QStringLiteral("30"), QStringLiteral("swap"));
            QVERIFY(m_data->tbValuta.locate(QStringLiteral("Name"), QStringLiteral("Dollar")));
            m_data->tbValuta.remove();
            onDialog(script);
            Child<QPushButton>(dialog, "Button1")->click();
        };
        onDialog(script);
        toolButton("tb5")->click();
        QCOMPARE(openings, 2);
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains(QStringLiteral("$")));
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }

    // The calculator buttons open the main window's calculator on the amount and on the rate.
    void calculatorButtons() {
        prepare(FillClassifiers);
        start();
        bool done = false;
        onDialog<ExchangeDialog>([&](ExchangeDialog* dialog) {
            auto* amount = Child<QLineEdit>(dialog, "Edit1");
            auto* rate = Child<QLineEdit>(dialog, "Edit3");
            amount->setText(QStringLiteral("12.5"));
            onDialog<CalculatorWindow>([](CalculatorWindow* calculator) {
                QCOMPARE(Child<QLineEdit>(calculator, "Edit1")->text(), QStringLiteral("12,5"));
                for (const char* key : {"SpeedButton14", "SpeedButton2", "SpeedButton17"})
                    Child<QToolButton>(calculator, key)->click();
                Child<QPushButton>(calculator, "Button1")->click();
            });
            Child<QToolButton>(dialog, "SpeedButton1")->click();
            QCOMPARE(amount->text(), QStringLiteral("25"));
            // Not a number: the calculator starts empty; Cancel keeps the text.
            rate->setText(QStringLiteral("abc"));
            onDialog<CalculatorWindow>([](CalculatorWindow* calculator) {
                QCOMPARE(Child<QLineEdit>(calculator, "Edit1")->text(), QString());
                Child<QToolButton>(calculator, "SpeedButton3")->click();
                Child<QPushButton>(calculator, "Button2")->click();
            });
            Child<QToolButton>(dialog, "SpeedButton5")->click();
            QCOMPARE(rate->text(), QStringLiteral("abc"));
            done = true;
        });
        toolButton("tb5")->click();
        QVERIFY(done);
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }
};

QTEST_MAIN(TestExchanges)
#include "tst_exchanges.moc"
