#include "core/clock.h"
#include "core/language.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "dialogs.h"
#include "ledger/balancepanel.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"
#include "mainwindowsession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

using namespace zovi;
using test::AddEntry;
using test::Child;
using test::FillClassifiers;

using namespace Qt::StringLiterals;

// What the ledger page shows beside the grid: the total in the currency whose sign stands
// beside it, the group filter's value list, and the balances after a change of entries.

class TestLedgerPage : public test::MainWindowSession {
    Q_OBJECT

    QLabel* total() { return m_window->findChild<QLabel*>(QStringLiteral("LabelV")); }
    QStringList shownNames() {
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QStringList names;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            names << grid->model()->index(r, 2).data().toString();
        return names;
    }
    QDate picker(const char* name) {
        return m_window->findChild<QDateEdit*>(QString::fromLatin1(name))->date();
    }
    QWidget* filterControl(const char* name) {
        return m_window->findChild<QWidget*>(QString::fromLatin1(name));
    }

    // A ledger of July 2007, 29 February and 5 March 2008, started on Monday 10 March 2008:
    // the quick filter's dates are March 2008.
    void startIn2008() {
        Clock::setToday(QDate(2008, 3, 10));
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            for (const auto& [name, date] :
                 {std::pair{"jul", QDate(2007, 7, 1)}, std::pair{"feb", QDate(2008, 2, 29)},
                  std::pair{"mar", QDate(2008, 3, 5)}}) {
                AddEntry(data, QString::fromLatin1(name), QStringLiteral("R"), -1,
                         QStringLiteral("Food"));
                data.tbData2.edit();
                data.tbData2.field(QStringLiteral("Date")).setDate(date);
                data.tbData2.post();
            }
        });
        start();
    }

private Q_SLOTS:
    void initTestCase() { AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy")); }
    void init() {
        Clock::setToday(QDate(2026, 3, 10));
        sessionInit();
    }
    void cleanup() { sessionCleanup(); }

    void totalBeforeTheFirstRevaluation() {
        start(false);
        QCOMPARE(total()->text(), QStringLiteral("000 000 000"));
    }

    // The first currency of the list is not the main one: start-up computes the total in it,
    // the currency whose sign the panel shows.
    void startUpTotalIsInTheShownCurrency() {
        prepare([](LedgerTables& data) {
            MainWindowSession::addAccounts(data);
            TableHandle& v = data.tbValuta;
            for (const auto& [name, sign, rate, main] :
                 {std::tuple{"Rouble", "R", 30.0, false}, std::tuple{"Dollar", "$", 1.0, true}}) {
                v.append();
                v.field(QStringLiteral("Name")).setText(QString::fromLatin1(name));
                v.field(QStringLiteral("Znak")).setText(QString::fromLatin1(sign));
                v.field(QStringLiteral("Kurs")).setDouble(rate);
                v.field(QStringLiteral("More")).setBool(false);
                v.field(QStringLiteral("Def")).setBool(main);
                v.field(QStringLiteral("OldValue")).setText(QStringLiteral("0"));
                v.post();
            }
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 2, QString());
        });
        start();
        QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("ComboBoxV"))->currentText(),
                 QStringLiteral("R"));
        // Two dollars at 30 roubles each.
        QCOMPARE(total()->text(), QStringLiteral("60"));
    }

    // The value list of the group filter is refilled before the filter runs, so the grid
    // always shows the entries of the value the list shows.
    void groupFilterUsesTheShownValue() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("milk"), QStringLiteral("R"), -1, QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fuel"), QStringLiteral("R"), -9, QStringLiteral("car"));
        });
        start();
        m_window->findChild<QCheckBox*>(QStringLiteral("CheckBox3"))->click();
        auto* category = m_window->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
        auto* value = m_window->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        category->setCurrentIndex(1); // groups of charges, listed ignoring letter case
        QCOMPARE(value->currentText(), QStringLiteral("car"));
        QCOMPARE(shownNames(), QStringList{QStringLiteral("fuel")});
        value->setCurrentIndex(value->findText(QStringLiteral("Food")));
        QCOMPARE(shownNames(), QStringList{QStringLiteral("milk")});
    }

    // With two display currencies an income or a charge cell holds two amounts; its column at
    // the window's first size shows the widest of them whole, in bold as some rows are drawn.
    void amountsInTwoCurrenciesWhole() {
        prepare([](LedgerTables& data) {
            addAccounts(data);
            addCurrencies(data);
            FillClassifiers(data);
            AddEntry(data, u"rent"_s, u"R"_s, -123456.78, u"Food"_s);
            AddEntry(data, u"salary"_s, u"D"_s, 234567.89, QString());
        });
        settings::displayCurrency1.write(u"Dollar"_s);
        settings::displayCurrency2.write(u"Rouble"_s);
        start();
        auto* grid = m_window->findChild<QTableView*>(u"Grid1"_s);
        QFont bold = grid->font();
        bold.setBold(true);
        for (int column : {3, 4}) {
            QString widest;
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                const QString text = grid->model()->index(r, column).data().toString();
                if (text.size() > widest.size())
                    widest = text;
            }
            QVERIFY2(widest.contains(u" / "_s), qPrintable(widest));
            QVERIFY2(QFontMetrics(bold).horizontalAdvance(widest) + 2 <= grid->columnWidth(column),
                     qPrintable(widest));
        }
    }

    // The preset buttons of the extended filter page show their texts whole, in English and
    // in Russian.
    void presetButtonsWhole_data() { test::AddShippedLanguageRows(); }
    void presetButtonsWhole() {
        QFETCH(QString, language);
        sessionCleanup();
        sessionInit(test::ShippedBytes(language));
        start();
        m_window->ledgerPage()->setBottomPanelExtended(true);
        m_window->findChild<QTabWidget*>(u"PageControl2"_s)->setCurrentIndex(1);
        auto* page = Child<QWidget>(m_window.get(), "TabSheetExtended");
        for (const char* name : {"Button1", "Button7", "Button9"}) {
            auto* button = Child<QPushButton>(page, name);
            QTRY_VERIFY(button->isVisible());
            QTRY_VERIFY2(test::ShowsWhole(button, button->text()), qPrintable(button->text()));
            // No window or panel around it cuts off an edge.
            for (QWidget* around = button->parentWidget(); around;
                 around = around->parentWidget()) {
                const QRect inside(button->mapTo(around, QPoint()), button->size());
                QVERIFY2(around->rect().contains(inside),
                         qPrintable(button->text() + u" in "_s + around->objectName()));
            }
        }
    }

    // At first start the bottom panel is compact and shows a button to the filters, with its
    // text whole and a name for the keyboard and screen readers. Pressing it by keyboard opens
    // the filters where they can be seen, the mouse folds them back, and a new window on the
    // same settings shows the panel as it was left.
    void filtersButtonOpensTheFilters() {
        start();
        auto* panel = Child<QWidget>(m_window.get(), "Panel6");
        auto* pages = Child<QTabWidget>(m_window.get(), "PageControl2");
        auto* button = Child<QToolButton>(m_window.get(), "FiltersButton");
        QTRY_VERIFY(button->isVisible());
        QCOMPARE(panel->height(), BalancePanel::kCompactHeight);
        QVERIFY(!pages->isVisible());
        QCOMPARE(button->text(), u"Show filters"_s);
        QVERIFY2(test::ShowsWhole(button, button->text()), qPrintable(button->text()));
        QCOMPARE(button->accessibleName(), button->text());
        QVERIFY(button->focusPolicy() & Qt::TabFocus);
        QCOMPARE(button->nextInFocusChain(), Child<QWidget>(m_window.get(), "ComboBoxV"));

        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QTRY_COMPARE(panel->height(), BalancePanel::kExtendedHeight);
        QVERIFY(pages->isVisible());
        auto* date = Child<QWidget>(pages, "Filter");
        QTRY_VERIFY(date->isVisible());
        QVERIFY(panel->rect().contains(QRect(date->mapTo(panel, QPoint()), date->size())));
        QCOMPARE(button->text(), u"Hide filters"_s);

        restart();
        pages = Child<QTabWidget>(m_window.get(), "PageControl2");
        QTRY_VERIFY(pages->isVisible());
        button = Child<QToolButton>(m_window.get(), "FiltersButton");
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!pages->isVisible());
        restart();
        QTRY_VERIFY(Child<QToolButton>(m_window.get(), "FiltersButton")->isVisible());
        QCOMPARE(Child<QWidget>(m_window.get(), "Panel6")->height(), BalancePanel::kCompactHeight);
        QVERIFY(!Child<QTabWidget>(m_window.get(), "PageControl2")->isVisible());
    }

    // The search page with an empty field hides nothing; Enter in the field searches.
    void searchPage() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("milk"), QStringLiteral("R"), -1, QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fuel"), QStringLiteral("R"), -9, QStringLiteral("car"));
        });
        start();
        const QStringList both{QStringLiteral("milk"), QStringLiteral("fuel")};
        QCOMPARE(shownNames(), both);
        m_window->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(2);
        QCOMPARE(shownNames(), both);
        auto* field = m_window->findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        QTest::keyClicks(field, QStringLiteral("FUEL"));
        QCOMPARE(shownNames(), both);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(shownNames(), QStringList{QStringLiteral("fuel")});
        field->clear();
        QTest::keyClick(field, Qt::Key_Enter);
        QCOMPARE(shownNames(), both);
    }

    // Typing searches after a pause, for part of a name in any letter case, Cyrillic too;
    // emptying the field shows every entry again.
    void searchAsYouType() {
        const QStringList all{QStringLiteral("Хлеб белый"), QStringLiteral("Bread roll"),
                              QStringLiteral("milk")};
        prepare([&all](LedgerTables& data) {
            FillClassifiers(data);
            for (const QString& name : all)
                AddEntry(data, name, QStringLiteral("R"), -1, QStringLiteral("Food"));
        });
        start();
        m_window->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(2);
        auto* field = m_window->findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        // Key events that carry the Cyrillic letters as their text, as a keyboard sends them.
        for (const QChar letter : QStringLiteral("хлеб"))
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(letter),
                                Qt::NoModifier);
        QTRY_COMPARE(shownNames(), QStringList{all.at(0)});
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("READ"));
        QTRY_COMPARE(shownNames(), QStringList{all.at(1)});
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTRY_COMPARE(shownNames(), all);
    }

    // A click on the name header sorts by name as the sort box does, a second click reverses;
    // the box follows.
    void headerClickSorts() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            for (const char* name : {"b", "Zebra", "apple"})
                AddEntry(data, QString::fromLatin1(name), QStringLiteral("R"), -1,
                         QStringLiteral("Food"));
        });
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        auto* box = m_window->findChild<QComboBox*>(QStringLiteral("ComboBox3"));
        QHeaderView* header = grid->horizontalHeader();
        const auto clickName = [header] {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(2) + 5, 5));
        };
        clickName();
        const QStringList byName{QStringLiteral("Zebra"), QStringLiteral("apple"),
                                 QStringLiteral("b")};
        QCOMPARE(shownNames(), byName);
        QCOMPARE(box->currentIndex(), 1);
        clickName();
        QCOMPARE(shownNames(), (QStringList{byName.at(2), byName.at(1), byName.at(0)}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(box->currentIndex(), 1);
    }

    // The running balance of each shown entry, by name, sorted by name: the balances are those
    // of the date order whatever the order shown. Opening balances: 100 $ and 300 R (10 $),
    // counted on the first tab (Wallet) and on "[...]", not on Bank. Wallet: a +50 (10 Jan),
    // c -20 (5 Feb), b -60 R = -2 $ (1 Mar); Bank: d +1000 (1 Feb).
    void runningBalance_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("dateFilter");
        QTest::addColumn<QStringList>("balances");
        QTest::addColumn<QString>("sums");
        const double open = 100 + 300.0 / 30;
        const auto money = [](double v) {
            return FormatMoney(v) + u" $"_s;
        };
        QTest::newRow("Wallet") << 0 << false
                                << QStringList{u"a"_s + money(open + 50),
                                               u"b"_s + money(open + 50 - 20 - 2),
                                               u"c"_s + money(open + 50 - 20)}
                                << u"3 entries · incomes 50 · charges 22 · difference 28"_s;
        // The entries before the first shown date count too.
        QTest::newRow("Wallet from February")
            << 0 << true
            << QStringList{u"b"_s + money(open + 50 - 20 - 2), u"c"_s + money(open + 50 - 20)}
            << u"2 entries · incomes 0 · charges 22 · difference -22"_s;
        QTest::newRow("Bank") << 1 << false << QStringList{u"d"_s + money(1000)}
                              << u"1 entry · incomes 1 000 · charges 0 · difference 1 000"_s;
        QTest::newRow("[...]") << 2 << false
                               << QStringList{u"a"_s + money(open + 50),
                                              u"b"_s + money(open + 50 + 1000 - 20 - 2),
                                              u"c"_s + money(open + 50 + 1000 - 20),
                                              u"d"_s + money(open + 50 + 1000)}
                               << u"4 entries · incomes 1 050 · charges 22 · difference 1 028"_s;
    }
    void runningBalance() {
        QFETCH(int, tab);
        QFETCH(bool, dateFilter);
        QFETCH(QStringList, balances);
        QFETCH(QString, sums);
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            TableHandle& v = data.tbValuta;
            v.first();
            for (const char* old : {"100", "300"}) {
                v.edit();
                v.field(u"OldValue"_s).setText(QString::fromLatin1(old));
                v.post();
                v.next();
            }
            for (const auto& [name, type, value, account, date] :
                 {std::tuple{"a", "D", 50.0, "Wallet", QDate(2026, 1, 10)},
                  std::tuple{"d", "D", 1000.0, "Bank", QDate(2026, 2, 1)},
                  std::tuple{"c", "R", -20.0, "Wallet", QDate(2026, 2, 5)},
                  std::tuple{"b", "R", -60.0, "Wallet", QDate(2026, 3, 1)}}) {
                AddEntry(data, QString::fromLatin1(name), QString::fromLatin1(type), value,
                         QStringLiteral("Food"), QString::fromLatin1(account));
                data.tbData2.edit();
                data.tbData2.field(u"Date"_s).setDate(date);
                if (qstrcmp(name, "b") == 0)
                    data.tbData2.field(u"Valuta"_s).setText(u"Rouble"_s);
                data.tbData2.post();
            }
        });
        start();
        auto* grid = Child<LedgerGridView>(m_window.get(), "Grid1");
        grid->setShownColumnWidth(9, 80);
        Child<QComboBox>(m_window.get(), "ComboBox3")->setCurrentIndex(1);
        Child<QTabBar>(m_window.get(), "TabControl1")->setCurrentIndex(tab);
        if (dateFilter) {
            Child<QDateEdit>(m_window.get(), "DateTimePicker1")->setDate(QDate(2026, 2, 1));
            Child<QDateEdit>(m_window.get(), "DateTimePicker2")->setDate(QDate(2026, 3, 31));
            Child<QCheckBox>(m_window.get(), "Filter")->click();
        }
        QStringList shown;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            shown << grid->model()->index(r, 2).data().toString() +
                         grid->model()->index(r, 9).data().toString();
        QCOMPARE(shown, balances);
        QCOMPARE(Child<QLabel>(m_window.get(), "LabelSums")->text(), sums);
        // Without a date filter, the last entry by date ends at the total.
        if (!dateFilter) {
            const QString last = tab == 1 ? u"d"_s : u"b"_s;
            QVERIFY(QString(shown.join(u'|'))
                        .remove(u' ')
                        .contains(last + QString(total()->text()).remove(u' ') + u"$"_s));
        }
    }

    // A balance column shown by the saved settings shows its balances from the start.
    void balanceColumnShownAtStartUp() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, u"salary"_s, u"D"_s, 50, u"Salary"_s);
        });
        Settings::writeInt(settings::LedgerColumnKey(9), 80);
        start();
        auto* grid = Child<LedgerGridView>(m_window.get(), "Grid1");
        QTRY_VERIFY(!grid->isColumnHidden(9));
        QCOMPARE(grid->model()->index(0, 9).data().toString(), u"50 $"_s);
    }

    // Moving an entry to another account changes the balances of the shown account at once.
    void moveRecomputesTheBalances() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 50,
                     QStringLiteral("Salary"));
        });
        start();
        QCOMPARE(total()->text(), QStringLiteral("50"));
        test::WhenShown(m_window->findChild<QDialog*>(QStringLiteral("TfMove")), [this] {
            auto* dialog = m_window->findChild<QDialog*>(QStringLiteral("TfMove"));
            auto* list = Child<QComboBox>(dialog, "ComboBox1");
            list->setCurrentIndex(list->findText(QStringLiteral("Bank")));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        action("MoveRec")->trigger();
        QCOMPARE(StoredRow(*m_data, QStringLiteral("salary")).value(QStringLiteral("Gr1")),
                 QVariant(QStringLiteral("Bank")));
        QCOMPARE(total()->text(), QStringLiteral("0"));
    }

    // The items of the date menu set both pickers and refilter only while "Date" and "Auto
    // refresh" are both ticked; "Сегодня" never refilters. February of a leap year ends on the
    // 29th, the day of the entry "feb".
    void dateMenuItems_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("date");
        QTest::addColumn<bool>("autoRefresh");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("shown");
        const QStringList march{QStringLiteral("mar")};
        const QDate feb1(2008, 2, 1);
        const QDate feb29(2008, 2, 29);
        QTest::newRow("Февраль refilters")
            << "NM2" << true << true << feb1 << feb29 << QStringList{QStringLiteral("feb")};
        QTest::newRow("Февраль without auto refresh")
            << "NM2" << true << false << feb1 << feb29 << march;
        QTest::newRow("Февраль while Date is unticked")
            << "NM2" << false << true << feb1 << feb29
            << QStringList{QStringLiteral("jul"), QStringLiteral("feb"), QStringLiteral("mar")};
        QTest::newRow("Текущий год")
            << "N14" << true << true << QDate(2008, 1, 1) << QDate(2008, 12, 31)
            << QStringList{QStringLiteral("feb"), QStringLiteral("mar")};
        QTest::newRow("Сегодня does not refilter")
            << "Ct1" << true << true << QDate(2008, 3, 10) << QDate(2008, 3, 10) << march;
    }
    void dateMenuItems() {
        QFETCH(QString, item);
        QFETCH(bool, date);
        QFETCH(bool, autoRefresh);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, shown);
        startIn2008();
        if (date) {
            m_window->findChild<QCheckBox*>(QStringLiteral("Filter"))->click();
            QCOMPARE(shownNames(), QStringList{QStringLiteral("mar")});
        }
        if (!autoRefresh)
            m_window->findChild<QCheckBox*>(QStringLiteral("CheckBox7"))->click();
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("PopupDate"));
        QAction* a = m_window->findChild<QAction*>(item);
        QVERIFY(menu->actions().contains(a));
        a->trigger();
        QCOMPARE(picker("DateTimePicker1"), from);
        QCOMPARE(picker("DateTimePicker2"), to);
        QCOMPARE(shownNames(), shown);
    }

    // The menu opens on the date check boxes and the pickers, in this order of items (here in
    // Russian).
    void dateMenuOpensOnTheDateControls() {
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               zovi::test::ShippedBytes(QStringLiteral("lang/ru.ini")));
        startIn2008();
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("PopupDate"));
        QStringList captions;
        for (QAction* a : menu->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QStringList expected;
        for (const char* caption :
             {"Январь", "Февраль", "Март", "Апрель", "Май", "Июнь", "Июль", "Август", "Сентябрь",
              "Октябрь", "Ноябрь", "Декабрь", "-", "Текущий год", "Текущий месяц", "Сегодня"})
            expected << QString::fromUtf8(caption);
        QCOMPARE(captions, expected);
        for (const char* name :
             {"Filter", "CheckBox4", "CheckBox5", "DateTimePicker1", "DateTimePicker2"}) {
            QWidget* control = filterControl(name);
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2),
                                    control->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(control, &click);
            QTRY_VERIFY2(menu->isVisible(), name);
            menu->hide();
        }
    }

    // The months of the date menu and the names of the date fields are those of the language,
    // also of one chosen while the program runs; the fields keep the user's order of dates.
    void dateNamesFollowLanguage() {
        const QLocale user;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        const auto restoreLocale = qScopeGuard([&] { QLocale::setDefault(user); });
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               zovi::test::ShippedBytes(QStringLiteral("lang.ini")));
        QDir(m_db->programFolder()).mkpath(QStringLiteral("lang"));
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang/ru.ini"),
                               zovi::test::ShippedBytes(QStringLiteral("lang/ru.ini")));
        startIn2008();
        const auto month = [this](int n) {
            return m_window->findChild<QAction*>(QStringLiteral("NM%1").arg(n))->text();
        };
        auto* from = qobject_cast<QDateEdit*>(filterControl("DateTimePicker1"));
        QCOMPARE(month(1), QStringLiteral("January"));
        QCOMPARE(from->locale().language(), QLocale::English);

        settings::language.write(QStringLiteral("lang/ru.ini"));
        const auto restore = qScopeGuard([] {
            settings::language.write(QStringLiteral("lang.ini"));
            ApplyLanguage();
        });
        ApplyLanguage();
        QTRY_COMPARE(month(12), QString::fromUtf8("Декабрь"));
        QTRY_COMPARE(from->locale().language(), QLocale::Russian);
        // Typed in the user's order (day first in Britain) and in either language.
        for (const QString& typed : {QStringLiteral("5.3.2008"), QString::fromUtf8("5 марта 2008"),
                                     QStringLiteral("5 March 2008")}) {
            from->setDate(QDate(2008, 1, 1));
            from->findChild<QLineEdit*>()->setText(typed);
            from->interpretText();
            QCOMPARE(from->date(), QDate(2008, 3, 5));
        }
    }

    // The keys of the date menu reach it wherever the focus is in the main window, also while
    // another page is shown.
    void dateKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("page");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        const int ctrlAlt = int(Qt::ControlModifier | Qt::AltModifier);
        QTest::newRow("Shift+F2") << int(Qt::Key_F2) << int(Qt::ShiftModifier) << 0
                                  << QDate(2008, 2, 1) << QDate(2008, 2, 29);
        QTest::newRow("Shift+F12 on the debts page")
            << int(Qt::Key_F12) << int(Qt::ShiftModifier) << 1 << QDate(2008, 12, 1)
            << QDate(2008, 12, 31);
        QTest::newRow("Ctrl+Alt+Y")
            << int(Qt::Key_Y) << ctrlAlt << 0 << QDate(2008, 1, 1) << QDate(2008, 12, 31);
        QTest::newRow("Ctrl+Alt+M")
            << int(Qt::Key_M) << ctrlAlt << 0 << QDate(2008, 3, 1) << QDate(2008, 3, 31);
        QTest::newRow("Ctrl+Alt+T")
            << int(Qt::Key_T) << ctrlAlt << 0 << QDate(2008, 3, 10) << QDate(2008, 3, 10);
    }
    void dateKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, page);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        startIn2008();
        m_window->findChild<QTabWidget*>(QStringLiteral("Page"))->setCurrentIndex(page);
        // Away from the current month first, so that every key has something to change.
        m_window->findChild<QAction*>(QStringLiteral("NM7"))->trigger();
        // The wait window of the start-up and the page change may have been the active one.
        m_window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
        QTest::keyClick(m_window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(picker("DateTimePicker1"), from);
        QCOMPARE(picker("DateTimePicker2"), to);
    }
};

QTEST_MAIN(TestLedgerPage)
#include "tst_ledgerpage.moc"
