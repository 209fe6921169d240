// The ledger grid's rows made on demand: their order by each key, and texts made only for the
// rows the grid asks for.
#include "fixtures.h"
#include "ledger/ledgergrid.h"
#include "store/datamodules.h"
#include "store/transaction.h"
#include "views/sortorder.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zovi;

class TestRowSource : public zovi::test::DatabaseTest {
    Q_OBJECT

    // count entries of every kind, with texts that differ in case, script and length, and
    // repeat.
    void fill(int count) {
        const QStringList texts = {QStringLiteral("apple"),
                                   QStringLiteral("Apple"),
                                   QStringLiteral("Zebra"),
                                   QStringLiteral("яблоко"),
                                   QStringLiteral("Яблоко"),
                                   QStringLiteral("app"),
                                   QString(),
                                   QStringLiteral("b")};
        const QStringList kinds = {QStringLiteral("R"), QStringLiteral("D"), QStringLiteral("O"),
                                   QStringLiteral("P1"), QStringLiteral("X")};
        QRandomGenerator random(7);
        const auto pick = [&](const QStringList& list) {
            return list.at(random.bounded(int(list.size())));
        };
        Transaction t;
        for (int i = 0; i < count; ++i)
            zovi::test::Put(m_data->tbData2, {{"Date", QDate(2005, 3, 1 + random.bounded(28))},
                                              {"Name", pick(texts)},
                                              {"Type", pick(kinds)},
                                              {"Gr1", pick(texts)},
                                              {"Gr2", pick(texts)},
                                              {"NameRashod", pick(texts)},
                                              {"Value", 1.5 * i},
                                              {"Valuta", QStringLiteral("Dollar")}});
        t.commit();
        m_data->tbData.refresh();
    }

    static LedgerGridOptions Options(int sortIndex) {
        LedgerGridOptions o;
        o.sortIndex = sortIndex;
        o.today = QDate(2005, 3, 15);
        // Labels that sort among the stored texts, one of them equal to one.
        o.kindLabel = [](const QString& type) {
            return type == QLatin1String("O") ? QStringLiteral("apple")
                                              : QStringLiteral("B ") + type;
        };
        return o;
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    // Every shown entry of a filtered view is found at its grid row and a hidden one nowhere,
    // checked against a walk over the grid.
    void indexOfFindsEveryShownEntry_data() {
        QTest::addColumn<int>("sortIndex");
        QTest::newRow("by date") << 0;
        QTest::newRow("by name") << 1;
        QTest::newRow("by group") << 2;
    }

    void indexOfFindsEveryShownEntry() {
        QFETCH(int, sortIndex);
        fill(300);
        m_data->tbData.setFilter(QStringLiteral("Type = 'R'"));
        m_data->tbData.setFiltered(true);
        const LedgerRowSource source(m_data->tbData.viewRows(), Options(sortIndex));
        QHash<qint64, int> walked;
        for (int k = 0; k < source.size(); ++k)
            walked.insert(source.id(k), k);
        QVERIFY(walked.size() > 10 && walked.size() < 300);
        for (qint64 id = -1; id <= 302; ++id)
            QCOMPARE(source.indexOf(id), walked.value(id, -1));
    }

    // Each key orders the rows as the exchange sort orders the texts the column shows.
    void orderFollowsTheShownTexts_data() {
        QTest::addColumn<int>("sortIndex");
        QTest::newRow("name") << 1;
        QTest::newRow("group, kinds by their labels") << 2;
        QTest::newRow("sub-group") << 3;
        QTest::newRow("account") << 4;
    }

    void orderFollowsTheShownTexts() {
        QFETCH(int, sortIndex);
        fill(400);
        const LedgerGridOptions options = Options(sortIndex);
        // The text each entry shows in the column, read in table order from the grid sorted by
        // date, which makes its texts the way every grid does.
        const ViewRows rows = m_data->tbData.viewRows();
        const int fId = rows.fieldIndex(QStringLiteral("ID"));
        const LedgerRowSource byDate(rows, Options(0));
        QList<qint64> ids;
        QStringList keys;
        for (int i = 0; i < rows.size(); ++i) {
            ids << rows.toInt(i, fId);
            const LedgerRow shown = byDate.row(byDate.indexOf(ids.last()));
            keys << (sortIndex == 1   ? shown.name
                     : sortIndex == 2 ? shown.group
                     : sortIndex == 3 ? shown.subGroup
                                      : shown.account);
        }
        QList<qint64> expected;
        for (int i : ExchangeSortOrder(keys))
            expected << ids[i];
        const LedgerRowSource sorted(m_data->tbData.viewRows(), options);
        QList<qint64> got;
        for (int k = 0; k < sorted.size(); ++k)
            got << sorted.id(k);
        QCOMPARE(got, expected);
    }

    // The grid's model makes the texts of a row only when the grid asks for it, and finds an
    // entry by its ID without making any.
    void modelMakesTextsOnDemand() {
        fill(3000);
        int conversions = 0;
        LedgerGridOptions options = Options(1);
        options.first.name = QStringLiteral("Rouble");
        options.first.sign = QStringLiteral("R");
        options.first.convert = [&conversions](double v, const QString&) {
            ++conversions;
            return std::optional<double>(v * 30);
        };
        auto source = std::make_shared<LedgerRowSource>(m_data->tbData.viewRows(), options);
        LedgerGridModel model;
        model.setSource(source);
        QCOMPARE(model.rowCount(), 3000);
        QCOMPARE(conversions, 0);
        const int row = model.rowOfId(source->id(1234));
        QCOMPARE(row, 1234);
        QCOMPARE(conversions, 0);
        for (int column = 0; column < model.columnCount(); ++column)
            model.data(model.index(row, column));
        QVERIFY(conversions <= 1);
        QCOMPARE(model.data(model.index(row, 8)).toString(), QString::number(source->id(1234)));
        QCOMPARE(model.rowAt(row).name, source->row(1234).name);
        QCOMPARE(model.rowOfId(-1), -1);
    }
};

QTEST_GUILESS_MAIN(TestRowSource)

#include "tst_rowsource.moc"
