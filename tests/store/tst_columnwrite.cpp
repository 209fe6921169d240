// One field of many rows written in one store call: the rows asked and no other, in the file
// and in every view, taken back whole by a rollback and by the command history.
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/history.h"
#include "store/tests.h"
#include "store/transaction.h"

#include <QSignalSpy>
#include <QTest>

using namespace zovi;
using zovi::test::Put;
using zovi::test::QueryFile;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

class TestColumnWrite : public zovi::test::DatabaseTest {
    Q_OBJECT

    // Six entries, in ID order: a:Main b:Wallet c:Main d:Bank e:Main f:Wallet. The grid's
    // view shows the entries of Main; the report view the charges.
    void fill() {
        Transaction t;
        const char* rows[][3] = {{"a", "Main", "R"}, {"b", "Wallet", "R"}, {"c", "Main", "D"},
                                 {"d", "Bank", "R"}, {"e", "Main", "R"},   {"f", "Wallet", "D"}};
        for (const auto& r : rows)
            Put(m_data->tbData2, {{"Name", S(r[0])}, {"Gr1", S(r[1])}, {"Type", S(r[2])}});
        t.commit();
        refreshLedger();
        m_data->tbData.setFilter(S("Gr1='Main'"));
        m_data->tbData.setFiltered(true);
        m_data->tbData3.setFilter(S("Type='R'"));
        m_data->tbData3.setFiltered(true);
        m_data->tbData.setRecNo(2); // c
    }

    // Name:Gr1 of every row of the file, in ID order.
    QString file() {
        return QueryFile(tableFile("Data.db"),
                         S("SELECT group_concat(Name||':'||coalesce(Gr1,'-'),' ') FROM "
                           "(SELECT * FROM Data ORDER BY ID)"));
    }

    // Name:Gr1 of the rows a view shows, as the image holds them.
    static QString shown(TableHandle& t) {
        QStringList rows;
        const int name = t.fieldIndex(S("Name"));
        const int account = t.fieldIndex(S("Gr1"));
        for (int i = 0; i < t.recordCount(); ++i)
            rows << t.textAt(i, name) + u':' + t.textAt(i, account);
        return rows.join(u' ');
    }

    int gr1() { return m_data->tbData2.fieldIndex(S("Gr1")); }

private Q_SLOTS:
    void init() {
        initDatabase();
        CommandHistory::instance().clear();
    }
    void cleanup() { cleanupDatabase(); }

    // The rows asked get their values, the others keep theirs, in the file and in every view:
    // the filtered grid drops the rows that left Main and takes those that came, its cursor
    // staying on its row, and each view says so once.
    void writesTheRowsAskedOnly_data() {
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("grid");
        QTest::newRow("one value for all") << QList<int>{1, 3} << QStringList{S("Main")}
                                           << S("a:Main b:Main c:Main d:Main e:Main f:Wallet")
                                           << S("a:Main b:Main c:Main d:Main e:Main");
        QTest::newRow("a value each")
            << QList<int>{0, 1, 4} << QStringList{S("Bank"), S("Main"), S("Кошелёк")}
            << S("a:Bank b:Main c:Main d:Bank e:Кошелёк f:Wallet") << S("b:Main c:Main");
    }
    void writesTheRowsAskedOnly() {
        QFETCH(QList<int>, indexes);
        QFETCH(QStringList, values);
        QFETCH(QString, stored);
        QFETCH(QString, grid);
        fill();
        std::vector<Value> typed(values.begin(), values.end());
        QSignalSpy gridChanged(&m_data->tbData, &TableHandle::viewChanged);
        QSignalSpy allChanged(&m_data->tbData2, &TableHandle::viewChanged);
        QCOMPARE(m_data->tbData2.setFieldAt(indexes, gr1(), typed), int(indexes.size()));
        QCOMPARE(file(), stored);
        QCOMPARE(shown(m_data->tbData2), stored);
        QCOMPARE(shown(m_data->tbData), grid);
        QCOMPARE(m_data->tbData.field(S("Name")).text(), S("c"));
        QCOMPARE(gridChanged.count(), 1);
        QCOMPARE(allChanged.count(), 1);
        // A value the rows already hold writes nothing.
        QCOMPARE(m_data->tbData2.setFieldAt(indexes, gr1(), typed), 0);
    }

    // A rewrite reaches the rows no view shows, only those holding the old value exactly and
    // admitted by the test given.
    void rewritesTheRowsHoldingTheValue() {
        fill();
        const int type = m_data->tbData.fieldIndex(S("Type"));
        const int written = m_data->tbData.rewriteField(
            gr1(), S("Wallet"), S("Main"), [type](const ViewRows& rows, int index) {
                return rows.text(index, type) == QLatin1String("D");
            });
        QCOMPARE(written, 1);
        QCOMPARE(file(), S("a:Main b:Wallet c:Main d:Bank e:Main f:Main"));
        QCOMPARE(shown(m_data->tbData), S("a:Main c:Main e:Main f:Main"));
        QCOMPARE(m_data->tbData.rewriteField(gr1(), S("main"), S("Bank")), 0);
    }

    // A command that fails after the write, or whose write a lock refuses, leaves the file,
    // the rows and every view as they were.
    void rollbackRestoresEverything_data() {
        QTest::addColumn<bool>("locked");
        QTest::newRow("error after the write") << false;
        QTest::newRow("file locked") << true;
    }
    void rollbackRestoresEverything() {
        QFETCH(bool, locked);
        fill();
        const QString before = file();
        const QString grid = shown(m_data->tbData);
        const QString charges = shown(m_data->tbData3);
        {
            std::unique_ptr<zovi::test::WriteLock> lock;
            if (locked)
                lock = std::make_unique<zovi::test::WriteLock>(tableFile("Data.db"));
            try {
                Transaction t;
                m_data->tbData2.rewriteField(gr1(), S("Main"), S("Bank"));
                const std::vector<Value> names{S("x"), S("y")};
                m_data->tbData2.setFieldAt(QList<int>{1, 3}, m_data->tbData2.fieldIndex(S("Name")),
                                           names);
                throw StoreError(S("the command failed"));
            } catch (const StoreError& e) {
                QCOMPARE(e.message() == S("the command failed"), !locked);
            }
        }
        QCOMPARE(file(), before);
        QCOMPARE(shown(m_data->tbData2), before);
        QCOMPARE(shown(m_data->tbData), grid);
        QCOMPARE(shown(m_data->tbData3), charges);
        QCOMPARE(m_data->tbData.field(S("Name")).text(), S("c"));
        QVERIFY(!Transaction::active());
        // The table is written on as before.
        QCOMPARE(m_data->tbData2.rewriteField(gr1(), S("Main"), S("Bank")), 3);
        QCOMPARE(file(), S("a:Bank b:Wallet c:Bank d:Bank e:Bank f:Wallet"));
    }

    // A command that wrote a field of many rows is taken back and done again whole.
    void historyTakesTheWriteBack() {
        fill();
        const QString before = file();
        {
            CommandHistory::Recording recording(S("rename"));
            Transaction t;
            m_data->tbData2.rewriteField(gr1(), S("Main"), S("Bank"));
            m_data->tbData2.setFieldAt(QList<int>{1}, gr1(), std::vector<Value>{S("Bank")});
            t.commit();
        }
        const QString after = S("a:Bank b:Bank c:Bank d:Bank e:Bank f:Wallet");
        QCOMPARE(file(), after);
        QVERIFY(CommandHistory::instance().canUndo());
        CommandHistory::instance().undo();
        QCOMPARE(file(), before);
        m_data->tbData2.refresh();
        QCOMPARE(shown(m_data->tbData2), before);
        CommandHistory::instance().redo();
        QCOMPARE(file(), after);
    }
};

QObject* zovi::test::NewColumnWriteTest() {
    return new TestColumnWrite;
}

#include "tst_columnwrite.moc"
