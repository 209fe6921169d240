#include "core/messages.h"
#include "dialogs.h"
#include "fixtures.h"
#include "ledger/currency.h"
#include "ledger/currencyeditor.h"
#include "ledger/currencywindow.h"
#include "ledger/ledgerdelegate.h"
#include "ledger/ledgergrid.h"
#include "store/datamodules.h"
#include "store/transaction.h"

#include <QAbstractItemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <sqlite3.h>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

class TestLedgerUi : public DatabaseTest {
    Q_OBJECT

    std::unique_ptr<CurrencyWindow> m_window;

    CurrencyEditor* editor() { return m_window->editor(); }
    QTableView* list() { return Child<QTableView>(m_window.get(), "ValutaList"); }

    // The rows of the list as "mark|name|opening balance|rate".
    QStringList listRows() {
        const QAbstractItemModel* model = list()->model();
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 4; ++column)
                cells << model->index(row, column).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }

    // The stored currencies in table order, as "Def Name Znak Kurs More OldValue" (the rate
    // written with a point).
    QStringList stored() {
        QStringList rows;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            rows << u"%1 %2 %3 %4 %5 %6"_s.arg(int(c.Def))
                        .arg(c.Name, c.Znak)
                        .arg(c.Kurs)
                        .arg(int(c.More))
                        .arg(c.OldValue);
        return rows;
    }

    QString currentName() { return m_data->tbValuta.field(u"Name"_s).text(); }

    void clickRow(int row) {
        const QRect cell = list()->visualRect(list()->model()->index(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // Shows the window and runs action in it; the window is closed afterwards.
    void inWindow(const std::function<void()>& action) { Run(m_window.get(), action); }

    // Opens the editor with the button named opener and runs action in it; an editor the
    // action leaves open is cancelled.
    void inEditor(const char* opener, const std::function<void()>& action) {
        WhenShown(editor(), [this, action] {
            action();
            if (editor()->isVisible())
                Click(editor(), "CancelButton");
        });
        Click(m_window.get(), opener);
    }

private Q_SLOTS:
    // The main R, $ worth 30 R, 40 € for 1 R; one entry in $ that the grid's filter hides.
    void init() {
        Messages::setTestMode(true);
        Messages::takeShown();
        initDatabase();
        Transaction t;
        PutCurrencies(m_data->tbValuta, {{true, "RUB", "R", 1, false, "100"},
                                         {false, "USD", "$", 30, true, "10"},
                                         {false, "EUR", "€", 40, false, "0"}});
        TableHandle& d = m_data->tbData;
        Put(d, {{"Name", u"lunch"_s},
                {"Gr1", u"Wallet"_s},
                {"Type", u"R"_s},
                {"Value", -5.0},
                {"Valuta", u"USD"_s},
                {"Rashod", u"5 $"_s}});
        t.commit();
        for (TableHandle* h : {&m_data->tbData2, &m_data->tbData3})
            h->refresh();
        d.setFilter(u"Gr1='Main'"_s);
        d.setFiltered(true);
        m_window = std::make_unique<CurrencyWindow>(*m_data);
    }

    void cleanup() {
        CloseDialogs();
        m_window.reset();
        cleanupDatabase();
    }

    void listShowsCurrencies_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("built-in texts")
            << QByteArray() << u"Rate of exchange"_s
            << QStringList{u"Name"_s, u"Old value"_s, u"Rate"_s}
            << QStringList{u"+|RUB (R)|100 R|MAIN"_s, u"-|USD ($)|10 $|30 R for 1 $"_s,
                           u"-|EUR (€)|0 €|40 € for 1 R"_s};
        QTest::newRow("translated")
            << "caption001=Курсы\ncurrencyfor=за\ncurrencygen=ОСНОВНАЯ\nname=Имя\n"
               "oldvalueshort=Остаток\nrate=Курс\n"_ba
            << u"Курсы"_s << QStringList{u"Имя"_s, u"Остаток"_s, u"Курс"_s}
            << QStringList{u"+|RUB (R)|100 R|ОСНОВНАЯ"_s, u"-|USD ($)|10 $|30 R за 1 $"_s,
                           u"-|EUR (€)|0 €|40 € за 1 R"_s};
    }

    void listShowsCurrencies() {
        QFETCH(QByteArray, lang);
        QFETCH(QString, caption);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, rows);
        if (!lang.isEmpty())
            WriteBytes(m_db->programFolder() + u"/lang.ini"_s, lang);
        m_data->tbValuta.last();
        inWindow([&] {
            QCOMPARE(m_window->windowTitle(), caption);
            QCOMPARE(listRows(), rows);
            const QAbstractItemModel* model = list()->model();
            for (int column = 1; column <= 3; ++column)
                QCOMPARE(model->headerData(column, Qt::Horizontal).toString(),
                         headers.at(column - 1));
            QVERIFY(list()->isColumnHidden(0));
            QCOMPARE(list()->columnWidth(1), 160);
            QCOMPARE(list()->columnWidth(3), 96);
            // Drawn by the ledger's delegate: only the main currency carries the green mark.
            QVERIFY(qobject_cast<LedgerDelegate*>(list()->itemDelegate()));
            QCOMPARE(model->index(0, 2).data(LedgerGridModel::MarkRole).toString(), u"+"_s);
            QCOMPARE(model->index(1, 2).data(LedgerGridModel::MarkRole).toString(), QString());

            // Opening selects the first currency; a click selects another.
            QCOMPARE(list()->currentIndex().row(), 0);
            QCOMPARE(currentName(), u"RUB"_s);
            clickRow(2);
            QCOMPARE(currentName(), u"EUR"_s);
        });
    }

    // The editor shows its choices whole in each shipped language, for a new currency and for
    // the main one.
    void editorTextsWhole_data() { AddShippedLanguageRows(); }
    void editorTextsWhole() {
        QFETCH(QString, language);
        UseShippedLanguage(*m_db, language);
        inWindow([&] {
            for (const char* opener : {"AddButton", "EditButton"}) {
                inEditor(opener, [&] {
                    for (const char* name : {"More", "Less"}) {
                        auto* choice = Child<QRadioButton>(editor(), name);
                        QVERIFY2(ShowsWhole(choice, choice->text()), qPrintable(choice->text()));
                    }
                    auto* main = Child<QLabel>(editor(), "MainLabel");
                    QVERIFY2(main->isHidden() || ShowsWhole(main, main->text()),
                             qPrintable(main->text()));
                });
            }
        });
    }

    void addCurrency() {
        const QStringList before = stored();
        inWindow([&] {
            clickRow(2);
            inEditor("AddButton", [&] {
                QCOMPARE(editor()->windowTitle(), QString());
                QCOMPARE(Child<QLineEdit>(editor(), "Name")->text(), QString());
                QCOMPARE(Child<QLineEdit>(editor(), "Znak")->text(), QString());
                QCOMPARE(Child<QLineEdit>(editor(), "Kurs")->text(), u"1"_s);
                QCOMPARE(Child<QLineEdit>(editor(), "OldValue")->text(), u"0"_s);
                QVERIFY(Child<QRadioButton>(editor(), "Less")->isChecked());
                QVERIFY(Child<QLineEdit>(editor(), "Kurs")->isEnabled());
                QVERIFY(Child<QLabel>(editor(), "MainLabel")->isHidden());
                Type(editor(), "Name", u"Yen"_s);
                Type(editor(), "Znak", u"¥"_s);
                Type(editor(), "Kurs", u"1,5"_s);
                Type(editor(), "OldValue", u"-12,25"_s);
                Click(editor(), "MoreButton");
                QVERIFY(Child<QRadioButton>(editor(), "More")->isChecked());
                Click(editor(), "OkButton");
            });
            QCOMPARE(listRows().last(), u"-|Yen (¥)|-12,25 ¥|1,5 R for 1 ¥"_s);
            QCOMPARE(list()->currentIndex().row(), 0);
            QCOMPARE(currentName(), u"RUB"_s);
        });
        QCOMPARE(stored(), before + QStringList{u"0 Yen ¥ 1.5 1 -12,25"_s});
        QVERIFY(Messages::takeShown().isEmpty());
    }

    void refusedInputKeepsEditor_data() {
        QTest::addColumn<QByteArray>("opener");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("oldValue");
        QTest::addColumn<QString>("message");
        QTest::newRow("add, rate not a number") << "AddButton"_ba << u"abc"_s << u"0"_s
                                                << u"The rate \"abc\" is not a positive number."_s;
        QTest::newRow("add, rate 0")
            << "AddButton"_ba << u"0"_s << u"0"_s << u"The rate \"0\" is not a positive number."_s;
        QTest::newRow("add, opening balance not a number")
            << "AddButton"_ba << u"2"_s << u"1x"_s
            << u"The opening balance \"1x\" is not a number."_s;
        QTest::newRow("edit, negative rate") << "EditButton"_ba << u"-3"_s << u"10"_s
                                             << u"The rate \"-3\" is not a positive number."_s;
    }

    void refusedInputKeepsEditor() {
        QFETCH(QByteArray, opener);
        QFETCH(QString, rate);
        QFETCH(QString, oldValue);
        QFETCH(QString, message);
        const QStringList before = stored();
        inWindow([&] {
            clickRow(1);
            inEditor(opener.constData(), [&] {
                Type(editor(), "Name", u"New"_s);
                Type(editor(), "Kurs", rate);
                Type(editor(), "OldValue", oldValue);
                Click(editor(), "OkButton");
                QCOMPARE(Messages::takeShown(), QStringList{message});
                QVERIFY(editor()->isVisible());
                QCOMPARE(Child<QLineEdit>(editor(), "Kurs")->text(), rate);
            });
        });
        QCOMPARE(stored(), before);
    }

    // The edit stores into the currency chosen in the list, even when something else moved the
    // cursor of Valuta while the editor was open.
    void editStoresIntoTheChosenCurrency() {
        QStringList expected = stored();
        expected[1] = u"0 Dollar $ 30 1 10"_s;
        inWindow([&] {
            clickRow(1);
            inEditor("EditButton", [&] {
                m_data->tbValuta.setRecNo(3);
                Type(editor(), "Name", u"Dollar"_s);
                Click(editor(), "OkButton");
            });
        });
        QCOMPARE(stored(), expected);
    }

    // A double click edits the currency; the rename reaches the entry the grid's filter hides.
    void editRenamesCurrency() {
        inWindow([&] {
            const QRect cell = list()->visualRect(list()->model()->index(1, 1));
            WhenShown(editor(), [&] {
                QCOMPARE(Child<QLineEdit>(editor(), "Name")->text(), u"USD"_s);
                QCOMPARE(Child<QLineEdit>(editor(), "Znak")->text(), u"$"_s);
                QCOMPARE(Child<QLineEdit>(editor(), "Kurs")->text(), u"30"_s);
                QCOMPARE(Child<QLineEdit>(editor(), "OldValue")->text(), u"10"_s);
                QVERIFY(Child<QRadioButton>(editor(), "More")->isChecked());
                QVERIFY(Child<QLabel>(editor(), "MainLabel")->isHidden());
                Type(editor(), "Name", u"Dollar"_s);
                Type(editor(), "Znak", u"D$"_s);
                Click(editor(), "OkButton");
            });
            // Qt Test's double click on a widget is only the second click: the first comes before.
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(listRows().at(1), u"-|Dollar (D$)|10 D$|30 R for 1 D$"_s);
            QCOMPARE(list()->currentIndex().row(), 1);
            QCOMPARE(currentName(), u"Dollar"_s);
        });
        TableHandle& all = m_data->tbData2;
        all.refresh();
        QVERIFY(all.locate(u"Name"_s, u"lunch"_s));
        QCOMPARE(all.field(u"Valuta"_s).text(), u"Dollar"_s);
        QCOMPARE(all.field(u"Rashod"_s).text(), u"5 D$"_s);
    }

    void editorOfMainCurrency() {
        const QStringList before = stored();
        inWindow([&] {
            inEditor("EditButton", [&] {
                QCOMPARE(Child<QLineEdit>(editor(), "Name")->text(), u"RUB"_s);
                QVERIFY(!Child<QLabel>(editor(), "MainLabel")->isHidden());
                QVERIFY(!Child<QLineEdit>(editor(), "Kurs")->isEnabled());
                QVERIFY(!Child<QGroupBox>(editor(), "RatioGroup")->isEnabled());
                for (const char* choice : {"More", "Less", "MoreButton", "LessButton"})
                    QVERIFY2(!Child<QWidget>(editor(), choice)->isEnabled(), choice);
                Type(editor(), "OldValue", u"7"_s);
                Click(editor(), "CancelButton");
            });
            // The next currency's editor has its rate controls back.
            clickRow(2);
            inEditor("EditButton", [&] {
                QVERIFY(Child<QLabel>(editor(), "MainLabel")->isHidden());
                QVERIFY(Child<QLineEdit>(editor(), "Kurs")->isEnabled());
                QVERIFY(Child<QRadioButton>(editor(), "Less")->isEnabled());
                QVERIFY(Child<QRadioButton>(editor(), "Less")->isChecked());
            });
        });
        QCOMPARE(stored(), before);
    }

    void deleteCurrency_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected");
        const QStringList all{u"RUB (R)"_s, u"USD ($)"_s, u"EUR (€)"_s};
        QTest::newRow("main currency") << 0 << true << QStringList{u"error #13"_s} << all << 0;
        QTest::newRow("used by a hidden entry")
            << 1 << true << QStringList{u"error #12"_s} << all << 1;
        QTest::newRow("answered No")
            << 2 << false << QStringList{u"Do you want delete?"_s} << all << 2;
        QTest::newRow("answered Yes") << 2 << true << QStringList{u"Do you want delete?"_s}
                                      << QStringList{u"RUB (R)"_s, u"USD ($)"_s} << 0;
    }

    void deleteCurrency() {
        QFETCH(int, row);
        QFETCH(bool, answer);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        inWindow([&] {
            clickRow(row);
            Messages::queueAnswer(answer);
            Click(m_window.get(), "DeleteButton");
            QCOMPARE(Messages::takeShown(), shown);
            QStringList listed;
            for (const QString& r : listRows())
                listed << r.section(u'|', 1, 1);
            QCOMPARE(listed, names);
            QCOMPARE(list()->currentIndex().row(), selected);
        });
        QCOMPARE(stored().size(), names.size());
    }

    void setMain() {
        inWindow([&] {
            clickRow(2);
            Click(m_window.get(), "MainButton");
            // Every rate is read against the euro now: a rouble is still 40 euros.
            QCOMPARE(listRows(),
                     (QStringList{u"-|RUB (R)|100 R|40 € for 1 R"_s,
                                  u"-|USD ($)|10 $|1200 € for 1 $"_s, u"+|EUR (€)|0 €|MAIN"_s}));
            QCOMPARE(list()->currentIndex().row(), 2);
            QCOMPARE(currentName(), u"EUR"_s);
        });
        QCOMPARE(stored(),
                 (QStringList{u"0 RUB R 40 1 100"_s, u"0 USD $ 1200 1 10"_s, u"1 EUR € 1 0 0"_s}));
    }

    void move_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("selected");
        QTest::newRow("second up") << 1 << true << QStringList{u"USD"_s, u"RUB"_s, u"EUR"_s} << 0;
        QTest::newRow("second down")
            << 1 << false << QStringList{u"RUB"_s, u"EUR"_s, u"USD"_s} << 2;
        QTest::newRow("first up") << 0 << true << QStringList{u"RUB"_s, u"USD"_s, u"EUR"_s} << 0;
        QTest::newRow("last down") << 2 << false << QStringList{u"RUB"_s, u"USD"_s, u"EUR"_s} << 2;
    }

    void move() {
        QFETCH(int, row);
        QFETCH(bool, up);
        QFETCH(QStringList, order);
        QFETCH(int, selected);
        const QString moving = ReadCurrencies(m_data->tbValuta).at(row).Name;
        inWindow([&] {
            clickRow(row);
            Click(m_window.get(), up ? "UpButton" : "DownButton");
            QStringList listed;
            for (const QString& r : listRows())
                listed << r.section(u'|', 1, 1).section(u' ', 0, 0);
            QCOMPARE(listed, order);
            QCOMPARE(list()->currentIndex().row(), selected);
            QCOMPARE(currentName(), moving);
        });
        QStringList names;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            names << c.Name;
        QCOMPARE(names, order);
    }

    // A write the store refuses (another program holds the file) is shown in an error box and
    // changes nothing.
    void storeErrorIsShown() {
        const QStringList before = stored();
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_db->file(u"Valuta.db"_s)).constData(), &other),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        inWindow([&] {
            clickRow(2);
            Click(m_window.get(), "MainButton");
            QCOMPARE(Messages::takeShown().size(), 1);
            QCOMPARE(listRows().at(2), u"-|EUR (€)|0 €|40 € for 1 R"_s);
            QCOMPARE(list()->currentIndex().row(), 2);
        });
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(stored(), before);
    }
};

QTEST_MAIN(TestLedgerUi)
#include "tst_ledger_ui.moc"
