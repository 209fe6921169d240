// Rows found by their ID: locate, lookup and indexOfKey halve a view instead of reading it, and
// must give the row the obvious scan of the view gives, whatever inserted, deleted, keyed,
// filtered, linked or rolled back the rows before.
#include "fixtures.h"
#include "store/error.h"
#include "store/tests.h"
#include "store/transaction.h"

#include <QRandomGenerator>
#include <QTest>
#include <set>

using namespace zovi;

namespace {

// The obvious scan: the first place of the view whose field holds value.
int Scan(const ViewRows& rows, int column, double value) {
    for (int i = 0; i < rows.size(); ++i) {
        if (!IsNull(rows.value(i, column)) && rows.toDouble(i, column) == value)
            return i;
    }
    return -1;
}

const QStringList kNames{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b"),
                         QStringLiteral("c")};
const QStringList kFilters{QString(), QStringLiteral("Name='a'"), QStringLiteral("Value>5"),
                           QStringLiteral("Name='a' OR Name='c'")};
const QStringList kIdNames{QStringLiteral("ID"), QStringLiteral("id"), QStringLiteral("Id")};

} // namespace

class TestKeySearch : public zovi::test::DatabaseTest {
    Q_OBJECT

    QRandomGenerator m_random{20261210};

    int pick(int bound) { return int(m_random.bounded(bound)); }

    // Every search by ID, and one on a field that is no key, against the scan of the view.
    void expectSameAsScan(TableHandle& h, qint64 greatest) {
        const ViewRows rows = h.viewRows();
        const int id = rows.fieldIndex(QStringLiteral("ID"));
        std::vector<qint64> keys{0, greatest + 1};
        for (int k = 0; k < 4; ++k)
            keys.push_back(1 + pick(int(greatest) + 1));
        if (rows.size() > 0)
            keys.push_back(rows.toInt(pick(rows.size()), id));
        for (const qint64 key : keys) {
            const int expected = Scan(rows, id, double(key));
            QCOMPARE(h.indexOfKey(key), expected);
            QCOMPARE(rows.indexOfKey(key), expected);
            const QVariant asked = pick(3) == 0   ? QVariant(double(key))
                                   : pick(2) == 0 ? QVariant(QString::number(key))
                                                  : QVariant(key);
            const QString field = kIdNames[pick(kIdNames.size())];
            const QVariant name = h.lookup(field, asked, QStringLiteral("Name"));
            QCOMPARE(name.isNull(), expected < 0);
            if (expected >= 0)
                QCOMPARE(name.toString(),
                         rows.text(expected, rows.fieldIndex(QStringLiteral("Name"))));
            const int before = h.recNo();
            QCOMPARE(h.locate(field, asked), expected >= 0);
            QCOMPARE(h.recNo(), expected >= 0 ? expected + 1 : before);
        }
        const double second = pick(6);
        const int expected = Scan(rows, rows.fieldIndex(QStringLiteral("IDsecond")), second);
        QCOMPARE(h.locate(QStringLiteral("IDsecond"), second), expected >= 0);
        if (expected >= 0)
            QCOMPARE(h.recNo(), expected + 1);
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void matchesTheScanOverRandomChanges() {
        const QString path = tableFile("Data.db");
        TableHandle all, a, b, detail;
        for (TableHandle* h : {&all, &a, &b, &detail}) {
            h->setPath(path);
            h->open();
        }
        detail.setMaster(&a, QStringLiteral("Name"), QStringLiteral("Name"));
        const std::vector<TableHandle*> views{&a, &b, &detail};
        qint64 greatest = 0;
        for (int round = 0; round < 30; ++round) {
            const bool keep = pick(3) != 0;
            Transaction transaction;
            for (int step = 1 + pick(100); step > 0; --step) {
                TableHandle& h = *views[size_t(pick(3))];
                const int op = pick(10);
                try {
                    if (op < 4) {
                        h.append();
                        h.field(QStringLiteral("Name")).setText(kNames[pick(kNames.size())]);
                        h.field(QStringLiteral("Value")).setDouble(pick(10));
                        h.field(QStringLiteral("IDsecond")).setDouble(pick(6));
                        if (pick(3) == 0) {
                            // A key no living row holds: mostly one below the greatest.
                            all.refresh();
                            const ViewRows taken = all.viewRows();
                            qint64 key = 1 + pick(int(greatest) + 3);
                            while (Scan(taken, taken.fieldIndex(QStringLiteral("ID")),
                                        double(key)) >= 0)
                                ++key;
                            h.setKey(key);
                        }
                        h.post();
                        greatest = std::max(greatest, h.lastInsertedRowid());
                    } else if (op < 6 && !h.isEmpty()) {
                        h.setRecNo(1 + pick(h.recordCount()));
                        h.remove();
                    } else if (op == 6 && !h.isEmpty()) {
                        h.setRecNo(1 + pick(h.recordCount()));
                        h.edit();
                        h.field(QStringLiteral("Name")).setText(kNames[pick(kNames.size())]);
                        h.post();
                    } else if (op == 7) {
                        h.setFilter(kFilters[pick(kFilters.size())]);
                        h.setFiltered(pick(4) != 0);
                        h.setCaseInsensitive(pick(2) == 0);
                    } else if (op == 8) {
                        if (pick(2) == 0)
                            detail.detachMaster();
                        else
                            detail.attachMaster();
                    } else {
                        h.refresh();
                    }
                } catch (const StoreError&) {
                    // The row was deleted through another handle: nothing was written.
                    h.cancel();
                }
                for (TableHandle* v : views) {
                    expectSameAsScan(*v, greatest);
                    if (QTest::currentTestFailed())
                        return;
                }
            }
            if (keep)
                transaction.commit();
        }
        QVERIFY(greatest > 100);
    }
};

QObject* zovi::test::NewKeySearchTest() {
    return new TestKeySearch;
}

#include "tst_keysearch.moc"
