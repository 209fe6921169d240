#include "fixtures.h"
#include "ledger/entrykinds.h"
#include "ledger/ledgergrid.h"
#include "store/datamodules.h"
#include "store/transaction.h"

#include <QTest>

using namespace zovi;

namespace {

struct Entry {
    const char* date;
    const char* name;
    const char* type;
    const char* group;
    double value;
    const char* dohod;
    const char* rashod;
};

} // namespace

class TestLedgerGrid : public zovi::test::DatabaseTest {
    Q_OBJECT

    // Entries of the Wallet account in dollars.
    void fill(std::initializer_list<Entry> entries) {
        Transaction t;
        for (const Entry& e : entries)
            zovi::test::Put(m_data->tbData2, {{"Date", QString::fromLatin1(e.date)},
                                              {"Name", QString::fromUtf8(e.name)},
                                              {"Type", QString::fromLatin1(e.type)},
                                              {"Gr1", QStringLiteral("Wallet")},
                                              {"Gr2", QString::fromUtf8(e.group)},
                                              {"Value", e.value},
                                              {"Valuta", QStringLiteral("Dollar")},
                                              {"Dohod", QString::fromUtf8(e.dohod)},
                                              {"Rashod", QString::fromUtf8(e.rashod)}});
        t.commit();
        m_data->tbData.refresh();
    }

    LedgerGridOptions options(int sortIndex = 0) {
        LedgerGridOptions o;
        o.sortIndex = sortIndex;
        o.today = QDate(2005, 3, 15);
        o.kindLabel = [](const QString& type) {
            return QStringLiteral("kind ") + type;
        };
        return o;
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void kinds_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("action");
        QTest::newRow("income") << QStringLiteral("D") << QStringLiteral("+")
                                << int(EditAction::Standard);
        QTest::newRow("charge") << QStringLiteral("R") << QStringLiteral("-")
                                << int(EditAction::Standard);
        QTest::newRow("leaving") << QStringLiteral("P1") << QStringLiteral("-")
                                 << int(EditAction::Transfer);
        QTest::newRow("arriving") << QStringLiteral("P2") << QStringLiteral("+")
                                  << int(EditAction::Transfer);
        QTest::newRow("exchange") << QStringLiteral("O") << QStringLiteral(" ")
                                  << int(EditAction::Exchange);
        QTest::newRow("debt") << QStringLiteral("CR") << QStringLiteral(" ")
                              << int(EditAction::Refused);
        QTest::newRow("repayment")
            << QStringLiteral("PD") << QStringLiteral(" ") << int(EditAction::Refused);
        QTest::newRow("codes compare with case")
            << QStringLiteral("d") << QStringLiteral(" ") << int(EditAction::None);
        QTest::newRow("unknown") << QStringLiteral("X") << QStringLiteral(" ")
                                 << int(EditAction::None);
    }

    void kinds() {
        QFETCH(QString, type);
        QFETCH(QString, mark);
        QFETCH(int, action);
        QCOMPARE(QString(SignMark(type)), mark);
        QCOMPARE(int(EditActionFor(type)), action);
    }

    void linksNeedTheirKind() {
        QCOMPARE(LinkedTypes(LinkTarget::Partner),
                 (QStringList{QStringLiteral("P1"), QStringLiteral("P2")}));
        QCOMPARE(LinkedTypes(LinkTarget::Debt),
                 (QStringList{QStringLiteral("CR"), QStringLiteral("DB")}));
        QCOMPARE(LinkedTypes(LinkTarget::Repayment),
                 (QStringList{QStringLiteral("PC"), QStringLiteral("PD")}));
        QCOMPARE(AmountText(QStringLiteral("12,5"), QStringLiteral("$")), QStringLiteral("12,5 $"));
        QCOMPARE(EntryAccount({}, -1), QStringLiteral("[...]"));
        QCOMPARE(EntryAccount({QStringLiteral(" Wallet "), QStringLiteral("[...]")}, 0, true),
                 QStringLiteral("Wallet"));
        QCOMPARE(EntryAccount({QStringLiteral(" Wallet "), QStringLiteral("[...]")}, 0),
                 QStringLiteral(" Wallet "));
    }

    void rowsCarryMarksTextsAndLabels() {
        fill({{"14.03.2005", "past", "R", "Food", -5, "", "5 $"},
              {"15.03.2005", "today", "D", "Work", 10, "10 $", ""},
              {"16.03.2005", "planned", "O", "(EXCHANGE)", 0, "10 $", "300 R"}});
        const auto rows = BuildLedgerRows(m_data->tbData, options());
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[0].mark, QStringLiteral("-D"));
        QCOMPARE(rows[0].charge, QStringLiteral("5 $"));
        QCOMPARE(rows[0].group, QStringLiteral("Food"));
        QCOMPARE(rows[1].mark, QStringLiteral("+T"));
        QCOMPARE(rows[1].income, QStringLiteral("10 $"));
        QCOMPARE(rows[2].mark, QStringLiteral(" P"));
        QCOMPARE(rows[2].income, QStringLiteral("10 $"));
        QCOMPARE(rows[2].charge, QStringLiteral("300 R"));
        QCOMPARE(rows[2].group, QStringLiteral("kind O"));
    }

    void displayCurrencies() {
        fill({{"14.03.2005", "salary", "D", "Work", 1234.5, "1234,5 $", ""}});
        LedgerGridOptions o = options();
        o.second.name = QStringLiteral("Rouble");
        o.second.sign = QStringLiteral("R");
        o.second.convert = [](double v, const QString&) {
            return std::optional<double>(v * 30);
        };
        auto rows = BuildLedgerRows(m_data->tbData, o);
        QCOMPARE(rows[0].income, QStringLiteral("1234,5 $ / 37 035 R"));
        o.first = o.second;
        o.second = DisplayCurrency();
        rows = BuildLedgerRows(m_data->tbData, o);
        QCOMPARE(rows[0].income, QStringLiteral("37 035 R"));
    }

    void sortingFollowsTheExchangeSort() {
        fill({{"02.03.2005", "b", "R", "g", -1, "", ""},
              {"01.03.2005", "apple", "R", "g", -1, "", ""},
              {"02.03.2005", "Zebra", "R", "g", -1, "", ""},
              {"01.03.2005", "c", "R", "g", -1, "", ""}});
        QStringList byDate, byName;
        for (const LedgerRow& r : BuildLedgerRows(m_data->tbData, options(0)))
            byDate << r.name;
        for (const LedgerRow& r : BuildLedgerRows(m_data->tbData, options(1)))
            byName << r.name;
        // The exchange sort is not stable: equal dates end in the order it leaves them.
        QCOMPARE(byDate, (QStringList{QStringLiteral("apple"), QStringLiteral("c"),
                                      QStringLiteral("Zebra"), QStringLiteral("b")}));
        QCOMPARE(byName, (QStringList{QStringLiteral("Zebra"), QStringLiteral("apple"),
                                      QStringLiteral("b"), QStringLiteral("c")}));
    }

    // A header click sorts by the column's order of the sort box, a second click reverses the
    // rows exactly; a column that is no order leaves the order as it is.
    void headerClicksSortAndReverse() {
        const LedgerSort byDate{0, false};
        QCOMPARE(SortAfterHeaderClick(byDate, 2), (LedgerSort{1, false}));
        QCOMPARE(SortAfterHeaderClick({1, false}, 2), (LedgerSort{1, true}));
        QCOMPARE(SortAfterHeaderClick({1, true}, 2), (LedgerSort{1, false}));
        QCOMPARE(SortAfterHeaderClick({1, true}, 7), (LedgerSort{4, false}));
        QCOMPARE(SortAfterHeaderClick({-1, false}, 1), (LedgerSort{0, true}));
        QCOMPARE(SortAfterHeaderClick({3, true}, 4), (LedgerSort{3, true}));
        QCOMPARE(ColumnOfSortIndex(2), 5);

        fill({{"02.03.2005", "b", "R", "g", -1, "", ""},
              {"01.03.2005", "Zebra", "R", "g", -1, "", ""},
              {"02.03.2005", "apple", "R", "g", -1, "", ""}});
        LedgerGridOptions reversed = options(1);
        reversed.descending = true;
        QStringList names;
        for (const LedgerRow& r : BuildLedgerRows(m_data->tbData, reversed))
            names << r.name;
        QCOMPARE(names, (QStringList{QStringLiteral("b"), QStringLiteral("apple"),
                                     QStringLiteral("Zebra")}));
    }

    void cellStyles_data() {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("record");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<uint>("background");
        QTest::addColumn<uint>("text");
        QTest::addColumn<bool>("bold");
        QTest::newRow("income, past, first record")
            << QStringLiteral("+D") << 0 << false << 0xEFF0F1u << 0x0B5100u << false;
        QTest::newRow("charge, second record")
            << QStringLiteral("-D") << 1 << false << 0xFFFFFFu << 0x880000u << false;
        QTest::newRow("planned charge is grey")
            << QStringLiteral("-P") << 2 << false << 0xEFF0F1u << 0x808080u << false;
        QTest::newRow("today is bold")
            << QStringLiteral("+T") << 3 << false << 0xFFFFFFu << 0x0B5100u << true;
        QTest::newRow("exchange is black")
            << QStringLiteral(" D") << 0 << false << 0xEFF0F1u << 0x000000u << false;
        QTest::newRow("no mark") << QString() << 0 << false << 0xEFF0F1u << 0x000000u << false;
        QTest::newRow("selected") << QStringLiteral("-D") << 0 << true << 0x3F5BBCu << 0xFFFFFFu
                                  << false;
        QTest::newRow("selected today")
            << QStringLiteral("-T") << 0 << true << 0x3F5BBCu << 0xFFFFFFu << true;
    }

    void cellStyles() {
        QFETCH(QString, mark);
        QFETCH(int, record);
        QFETCH(bool, selected);
        QFETCH(uint, background);
        QFETCH(uint, text);
        QFETCH(bool, bold);
        const LedgerCellStyle style = CellStyleFor(mark, record, selected);
        QCOMPARE(uint(style.background), background);
        QCOMPARE(uint(style.text), text);
        QCOMPARE(style.bold, bold);
        QCOMPARE(style.lines, selected);
    }

    // The date column names the month in the chosen language also where the user's locale
    // writes month names in English.
    void dateColumnInLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("date");
        QTest::newRow("English") << QStringLiteral("lang.ini") << QStringLiteral("14 Mar 2005");
        QTest::newRow("Russian") << QStringLiteral("lang/ru.ini") << QStringLiteral("14 мар. 2005");
    }
    void dateColumnInLanguage() {
        QFETCH(QString, language);
        fill({{"14.03.2005", "past", "R", "Food", -5, "", "5 $"}});
        zovi::test::UseShippedLanguage(*m_db, language);
        AppLocale::set(QLatin1Char('.'), QStringLiteral("d MMM yyyy"));
        const auto restore = qScopeGuard([] { zovi::test::SetTestLocale(); });
        LedgerGridModel model;
        model.setRows(BuildLedgerRows(m_data->tbData, options()));
        QTEST(model.data(model.index(0, 1)).toString(), "date");
    }

    void modelOffersColumnsAndMark() {
        fill({{"14.03.2005", "past", "R", "Food", -5, "", "5 $"}});
        LedgerGridModel model;
        model.setRows(BuildLedgerRows(m_data->tbData, options()));
        model.setHeaders({QStringLiteral("Date"), QStringLiteral("Name")});
        // Columns 0 to 8 as described, then the running balance.
        QCOMPARE(model.columnCount(), 10);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("14.03.2005"));
        QCOMPARE(model.data(model.index(0, 8)).toString(), QStringLiteral("1"));
        QCOMPARE(model.data(model.index(0, 0), LedgerGridModel::MarkRole).toString(),
                 QStringLiteral("-D"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Name"));
    }
};

QTEST_GUILESS_MAIN(TestLedgerGrid)

#include "tst_ledgergrid.moc"
