#include "fixtures.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/tests.h"
#include "store/transaction.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace zovi;

namespace {

// Counts the rows of a table file with a connection of its own, as another program would; -1
// when the file cannot be read.
int CountRows(const QString& file, const QString& table, const QString& where = QString()) {
    const QString n = zovi::test::QueryFile(
        file, QStringLiteral("SELECT count(*) FROM \"%1\"%2")
                  .arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    return n.isNull() ? -1 : n.toInt();
}

struct Entry {
    const char* date;
    const char* name;
    const char* account;
    const char* group;
    const char* type;
    double value;
};

void AddEntry(TableHandle& t, const Entry& e) {
    zovi::test::Put(t, {{"Date", QString::fromLatin1(e.date)},
                        {"Name", QString::fromUtf8(e.name)},
                        {"Gr1", QString::fromUtf8(e.account)},
                        {"Gr2", QString::fromUtf8(e.group)},
                        {"Type", QString::fromLatin1(e.type)},
                        {"Value", e.value}});
}

// A condition inside depth pairs of brackets.
QString Nested(int depth, const QString& condition) {
    return QString(depth, QLatin1Char('(')) + condition + QString(depth, QLatin1Char(')'));
}

QStringList Names(TableHandle& t) {
    QStringList names;
    for (t.first(); !t.eof(); t.next())
        names << t.field(QStringLiteral("Name")).text();
    return names;
}

// A ledger covering the forms the filters must tell apart: accounts, "[...]", kinds, dates
// around the month ends, Cyrillic and quoted names.
const Entry kLedger[] = {
    {"28.02.2005", "rent", "Main", "Home", "R", -300},
    {"01.03.2005", "salary", "Main", "Work", "D", 1000},
    {"15.03.2005", "bread", "Wallet", "Продукты", "R", -2.5},
    {"31.03.2005", "milk", "Main", "продукты", "R", -1.2},
    {"31.03.2005", "shared", "[...]", "Home", "R", -40},
    {"01.04.2005", "O'Brien", "Wallet", "Gifts", "R", -15},
    {"10.04.2005", "bonus", "Main", "Work", "D", 200},
};

} // namespace

class TestStore : public zovi::test::DatabaseTest {
    Q_OBJECT

    void fillLedger() {
        Transaction t;
        for (const Entry& e : kLedger)
            AddEntry(m_data->tbData2, e);
        t.commit();
        refreshLedger();
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void templateFolderIsComplete() {
        const QDir dir(m_db->folder());
        QFile copy(dir.filePath(QStringLiteral("copy.txt")));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QStringList listed =
            QString::fromUtf8(copy.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList present = dir.entryList(QDir::Files);
        QCOMPARE(QSet<QString>(listed.begin(), listed.end()),
                 QSet<QString>(present.begin(), present.end()));
        QVERIFY(listed.contains(QStringLiteral("copy.txt")));
        QFile copy2(dir.filePath(QStringLiteral("copy2.txt")));
        QVERIFY(copy2.open(QIODevice::ReadOnly));
        QCOMPARE(
            QString::fromUtf8(copy2.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(),
            listed.size());
        QCOMPARE(CountRows(dir.filePath(QStringLiteral("data.un")), QStringLiteral("un"),
                           QStringLiteral("Password=''")),
                 1);
    }

    void filters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty") << QString()
                               << QStringList{QStringLiteral("rent"),   QStringLiteral("salary"),
                                              QStringLiteral("bread"),  QStringLiteral("milk"),
                                              QStringLiteral("shared"), QStringLiteral("O'Brien"),
                                              QStringLiteral("bonus")};
        QTest::newRow("account tab")
            << QStringLiteral("(Gr1='Main' OR Gr1='[...]')")
            << QStringList{QStringLiteral("rent"), QStringLiteral("salary"), QStringLiteral("milk"),
                           QStringLiteral("shared"), QStringLiteral("bonus")};
        QTest::newRow("typical") << QStringLiteral(
                                        "(Gr1='Main' OR Gr1='[...]') AND Date>='01.03.2005' AND "
                                        "Date<='31.03.2005' AND Type='R'")
                                 << QStringList{QStringLiteral("milk"), QStringLiteral("shared")};
        QTest::newRow("dates compare as dates, not texts")
            << QStringLiteral("Date>='28.02.2005' AND Date<='01.03.2005'")
            << QStringList{QStringLiteral("rent"), QStringLiteral("salary")};
        QTest::newRow("blanks around the operator")
            << QStringLiteral("Date = '31.03.2005'")
            << QStringList{QStringLiteral("milk"), QStringLiteral("shared")};
        QTest::newRow("date list")
            << QStringLiteral("( (Date>='01.03.2005' AND Date<='01.03.2005') OR "
                              "(Date>='10.04.2005' AND Date<='10.04.2005'))")
            << QStringList{QStringLiteral("salary"), QStringLiteral("bonus")};
        QTest::newRow("AND binds tighter than OR")
            << QStringLiteral("Type='D' AND Gr1='Wallet' OR Name='rent'")
            << QStringList{QStringLiteral("rent")};
        QTest::newRow("number unquoted")
            << QStringLiteral("Value<=-40")
            << QStringList{QStringLiteral("rent"), QStringLiteral("shared")};
        QTest::newRow("number quoted, decimal comma")
            << QStringLiteral("Value>='-2,5' AND Value<='0'")
            << QStringList{QStringLiteral("bread"), QStringLiteral("milk")};
        QTest::newRow("ID=0 shows nothing") << QStringLiteral("ID=0") << QStringList();
        QTest::newRow("quote written twice")
            << QStringLiteral("Name='O''Brien'") << QStringList{QStringLiteral("O'Brien")};
        QTest::newRow("whole name only") << QStringLiteral("Name='bre'") << QStringList();
        QTest::newRow("field names ignore case")
            << QStringLiteral("gr1='Wallet' and TYPE='R'")
            << QStringList{QStringLiteral("bread"), QStringLiteral("O'Brien")};
        QTest::newRow("brackets 200 deep")
            << Nested(200, QStringLiteral("Type='D' AND Gr1='Main'"))
            << QStringList{QStringLiteral("salary"), QStringLiteral("bonus")};
    }

    void filters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFilter(filter);
        QCOMPARE(Names(t), names);
        QCOMPARE(t.recordCount(), names.size());
        QCOMPARE(t.isEmpty(), names.isEmpty());
    }

    void badFiltersKeepTheHandle_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown field")
            << QStringLiteral("Gr9='x'") << QStringLiteral("no field \"Gr9\"");
        QTest::newRow("bad date") << QStringLiteral("Date>='32.13.2005'")
                                  << QStringLiteral("not a date");
        QTest::newRow("lone quote")
            << QStringLiteral("Name='O'Brien'") << QStringLiteral("written twice");
        QTest::newRow("lone quote inside a chain")
            << QStringLiteral("Name='O'Brien' AND Type='R'") << QStringLiteral("written twice");
        QTest::newRow("unclosed bracket")
            << QStringLiteral("(Type='R'") << QStringLiteral("not closed");
        QTest::newRow("text unquoted")
            << QStringLiteral("Type=R") << QStringLiteral("single quotes");
        QTest::newRow("not a number")
            << QStringLiteral("Value='abc'") << QStringLiteral("not a number");
        QTest::newRow("dangling AND")
            << QStringLiteral("Type='R' AND") << QStringLiteral("ends too early");
        QTest::newRow("brackets 201 deep")
            << Nested(201, QStringLiteral("Type='R'")) << QStringLiteral("more than 200 deep");
        QTest::newRow("brackets 10 000 deep, unclosed")
            << QString(10000, QLatin1Char('(')) << QStringLiteral("more than 200 deep");
        QTest::newRow("brackets 20 000 deep in a chain")
            << QStringLiteral("Type='R' AND ") + Nested(20000, QStringLiteral("Name='a'"))
            << QStringLiteral("more than 200 deep");
    }

    void badFiltersKeepTheHandle() {
        QFETCH(QString, filter);
        QFETCH(QString, message);
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFilter(QStringLiteral("Type='D'"));
        t.last();
        try {
            t.setFilter(filter);
            QFAIL("the filter was accepted");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(t.filter(), QStringLiteral("Type='D'"));
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("bonus"));
    }

    void caseFoldingDependsOnTheHandle() {
        fillLedger();
        const QString filter = QStringLiteral("Gr2='продукты'");
        m_data->tbData.setFilter(filter);
        m_data->tbData3.setFilter(filter);
        QCOMPARE(Names(m_data->tbData),
                 (QStringList{QStringLiteral("bread"), QStringLiteral("milk")}));
        QCOMPARE(Names(m_data->tbData3), QStringList{QStringLiteral("milk")});
        m_data->tbData.setFilter(QStringLiteral("Gr1='main' AND Type='d'"));
        QCOMPARE(m_data->tbData.recordCount(), 2);
    }

    void navigationAndCounts() {
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFilter(QStringLiteral("Gr1='Wallet'"));
        QCOMPARE(t.recordCount(), 2);
        t.first();
        QVERIFY(t.bof());
        QCOMPARE(t.recNo(), 1);
        t.prior();
        QVERIFY(t.bof());
        QCOMPARE(t.recNo(), 1);
        t.next();
        QCOMPARE(t.recNo(), 2);
        QVERIFY(!t.eof());
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("O'Brien"));
        t.setFiltered(false);
        QCOMPARE(t.recordCount(), 7);
        t.last();
        QCOMPARE(t.recNo(), 7);
        QVERIFY(t.eof());

        // A field read back in every form the logic uses.
        t.first();
        QCOMPARE(t.field(QStringLiteral("date")).toDate(), QDate(2005, 2, 28));
        QCOMPARE(t.field(QStringLiteral("DATE")).text(), QStringLiteral("28.02.2005"));
        QCOMPARE(t.field(QStringLiteral("value")).toDouble(), -300.0);
        QCOMPARE(t.field(QStringLiteral("InDol")).isNull(), true);
        QVERIFY_THROWS_EXCEPTION(StoreError, t.field(QStringLiteral("Nope")));
    }

    void searchComparesExactly() {
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFiltered(false);
        QVERIFY(!t.locate(QStringLiteral("Gr2"), QStringLiteral("ПРОДУКТЫ")));
        QVERIFY(t.locate(QStringLiteral("Gr2"), QStringLiteral("продукты")));
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("milk"));
        QCOMPARE(t.lookup(QStringLiteral("Name"), QStringLiteral("bonus"), QStringLiteral("Value"))
                     .toDouble(),
                 200.0);
        QVERIFY(t.lookup(QStringLiteral("Name"), QStringLiteral("Bonus"), QStringLiteral("Value"))
                    .isNull());
        QCOMPARE(t.field(QStringLiteral("Name")).text(),
                 QStringLiteral("milk")); // lookup did not move
        QVERIFY(t.locate(QStringLiteral("ID"), 2));
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("salary"));
    }

    void autoIncrementNeverReusesAnId() {
        TableHandle& t = m_data->tbData2;
        fillLedger();
        t.last();
        const qint64 lastId = t.field(QStringLiteral("ID")).toInt();
        QCOMPARE(lastId, qint64(std::size(kLedger)));
        t.remove();
        AddEntry(t, kLedger[0]);
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), lastId + 1); // readable at once
        t.first();
        while (!t.isEmpty())
            t.remove();
        QCOMPARE(t.recordCount(), 0);
        AddEntry(t, kLedger[0]);
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), lastId + 2);
        // Iteration follows ascending ID.
        AddEntry(t, kLedger[1]);
        t.first();
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), lastId + 2);
        t.next();
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), lastId + 3);
    }

    // Once the largest ID was given, even to a row deleted since, a new row is refused by a
    // message that says so, not as a full disk, and nothing is written.
    void exhaustedIdsAreNamed() {
        TableHandle& t = m_data->tbData2;
        fillLedger();
        t.append();
        t.setKey(std::numeric_limits<qint64>::max());
        t.field(QStringLiteral("Name")).setText(QStringLiteral("last"));
        t.post();
        t.remove();
        try {
            AddEntry(t, kLedger[0]);
            QFAIL("a row without a free ID was stored");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("used up its record numbers")),
                     qPrintable(e.message()));
        }
        t.cancel();
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")),
                 int(std::size(kLedger)));
    }

    void deleteMovesToTheFollowingRow() {
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFilter(QStringLiteral("Type='R'"));
        t.first();
        t.next(); // bread
        t.remove();
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("milk"));
        t.last();
        t.remove();
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("shared"));
        QCOMPARE(t.recNo(), t.recordCount());
        t.first();
        const int count = t.recordCount();
        for (int i = 0; i < count; ++i)
            t.remove();
        QVERIFY(t.isEmpty());
        QVERIFY(t.eof());
        QCOMPARE(t.recNo(), 0);
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")), 2);
        QVERIFY_THROWS_EXCEPTION(StoreError, t.remove());
    }

    void postedRowLeavesAFilteredView() {
        fillLedger();
        TableHandle& t = m_data->tbData;
        t.setFilter(QStringLiteral("Gr1='Wallet'"));
        t.first();
        t.edit();
        t.field(QStringLiteral("Gr1")).setText(QStringLiteral("Main"));
        t.post();
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("O'Brien"));
        // An appended row outside the filter is stored but not shown.
        AddEntry(t, {"01.05.2005", "elsewhere", "Main", "Home", "R", -1});
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data"),
                           QStringLiteral("Name='elsewhere'")),
                 1);
        // Writing outside edit mode is refused.
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 t.field(QStringLiteral("Name")).setText(QStringLiteral("x")));
    }

    void refreshShowsRowsOfOtherHandles() {
        fillLedger();
        TableHandle& view = m_data->tbData;
        view.setFilter(QStringLiteral("Type='D'"));
        view.last();
        AddEntry(m_data->tbData2, {"11.04.2005", "late", "Main", "Work", "D", 5});
        QCOMPARE(view.recordCount(), 2);
        view.refresh();
        QCOMPARE(view.recordCount(), 3);
        QCOMPARE(view.field(QStringLiteral("Name")).text(), QStringLiteral("bonus")); // same row
        // A row another handle deleted disappears at refresh.
        m_data->tbData2.last();
        m_data->tbData2.remove();
        view.refresh();
        QCOMPARE(view.recordCount(), 2);
    }

    void masterDetail() {
        TableHandle& groups = m_data->tbGrR;
        TableHandle& subs = m_data->tbGrR2;
        QSignalSpy spy(&subs, &TableHandle::viewChanged);
        {
            Transaction t;
            for (const char* g : {"Food", "Car", "Empty"}) {
                groups.append();
                groups.field(QStringLiteral("Name")).setText(QString::fromLatin1(g));
                groups.post();
                if (qstrcmp(g, "Empty") == 0)
                    continue;
                for (int i = 1; i <= 2; ++i) {
                    subs.append(); // the link field comes from the master
                    subs.field(QStringLiteral("Name"))
                        .setText(QString::fromLatin1(g) + QString::number(i));
                    subs.post();
                }
            }
            t.commit();
        }
        groups.first();
        QCOMPARE(subs.recordCount(), 2);
        QCOMPARE(subs.field(QStringLiteral("Name")).text(), QStringLiteral("Food1"));
        QCOMPARE(subs.field(QStringLiteral("IDsecond")).toInt(),
                 groups.field(QStringLiteral("ID")).toInt());
        groups.next();
        QCOMPARE(Names(subs), (QStringList{QStringLiteral("Car1"), QStringLiteral("Car2")}));
        groups.next();
        QVERIFY(subs.isEmpty());
        QVERIFY(spy.count() > 0);

        subs.detachMaster();
        QCOMPARE(subs.recordCount(), 4);
        groups.first(); // a detached detail does not follow
        QCOMPARE(subs.recordCount(), 4);
        subs.attachMaster();
        QCOMPARE(Names(subs), (QStringList{QStringLiteral("Food1"), QStringLiteral("Food2")}));

        // Income groups are a separate pair.
        QVERIFY(m_data->tbGrD2.isEmpty());
    }

    void repaymentsStartEmpty() {
        TableHandle& pay = m_cd->tbOplataCredit;
        {
            Transaction t;
            for (int i = 0; i < 2; ++i) {
                m_cd->tbOplataCredit2.append();
                m_cd->tbOplataCredit2.field(QStringLiteral("IDcredit")).setInt(7);
                m_cd->tbOplataCredit2.post();
            }
            t.commit();
        }
        pay.refresh();
        QCOMPARE(pay.filter(), QStringLiteral("ID=0"));
        QVERIFY(pay.isEmpty());
        pay.setFilter(QStringLiteral("IDcredit='7'"));
        QCOMPARE(pay.recordCount(), 2);
    }

    void rollbackRestoresFilesImagesAndHandles() {
        fillLedger();
        TableHandle& view = m_data->tbData;
        view.setFilter(QStringLiteral("Type='R'"));
        view.first();
        view.next();
        const QString current = view.field(QStringLiteral("Name")).text();
        const int count = view.recordCount();
        m_data->tbGr1.append();
        m_data->tbGr1.field(QStringLiteral("Name")).setText(QStringLiteral("Main"));
        m_data->tbGr1.post();

        try {
            Transaction t;
            view.edit();
            view.field(QStringLiteral("Name")).setText(QStringLiteral("changed"));
            view.post();
            view.first();
            view.remove();
            AddEntry(view, {"02.03.2005", "new", "Main", "Home", "R", -3});
            m_data->tbGr1.first();
            m_data->tbGr1.edit();
            m_data->tbGr1.field(QStringLiteral("Name")).setText(QStringLiteral("Renamed"));
            m_data->tbGr1.post();
            view.setFilter(QStringLiteral("Nope='x'")); // fails half-way through the command
            t.commit();
            QFAIL("the command went through");
        } catch (const StoreError&) {
        }

        QCOMPARE(view.recordCount(), count);
        QCOMPARE(view.field(QStringLiteral("Name")).text(), current);
        QCOMPARE(Names(view), (QStringList{QStringLiteral("rent"), QStringLiteral("bread"),
                                           QStringLiteral("milk"), QStringLiteral("shared"),
                                           QStringLiteral("O'Brien")}));
        QCOMPARE(m_data->tbGr1.field(QStringLiteral("Name")).text(), QStringLiteral("Main"));
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")), 7);
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data"),
                           QStringLiteral("Name='changed' OR Name='new'")),
                 0);
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Gr1.db")), QStringLiteral("Gr1"),
                           QStringLiteral("Name='Main'")),
                 1);

        // The handles work on after the rollback, and the next ID follows the committed ones.
        AddEntry(view, {"03.03.2005", "after", "Main", "Home", "R", -3});
        QCOMPARE(view.field(QStringLiteral("ID")).toInt(), qint64(std::size(kLedger)) + 1);
        m_data->tbData2.refresh();
        QCOMPARE(m_data->tbData2.recordCount(), 8);
    }

    void nestedGuardsCommitOnceAndFailTogether() {
        {
            Transaction outer;
            {
                Transaction inner;
                AddEntry(m_data->tbData2, kLedger[0]);
                inner.commit();
            }
            AddEntry(m_data->tbData2, kLedger[1]);
            outer.commit();
        }
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")), 2);
        {
            Transaction outer;
            AddEntry(m_data->tbData2, kLedger[2]);
            {
                Transaction inner; // rolled back: dooms the whole command
                AddEntry(m_data->tbData2, kLedger[3]);
            }
            QVERIFY_THROWS_EXCEPTION(StoreError, outer.commit());
        }
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")), 2);
        QCOMPARE(m_data->tbData2.recordCount(), 2);
    }

    // SQLite saves atomically only the files of one connection: a command that writes a table
    // of its own connection (Kurs.db) beside the ledger is refused, and neither file changes.
    void oneCommandWritesOneConnection() {
        {
            Transaction t;
            AddEntry(m_data->tbData2, kLedger[0]);
            QVERIFY_THROWS_EXCEPTION(StoreError, zovi::test::Put(m_data->tbKurs, {}));
            QVERIFY_THROWS_EXCEPTION(StoreError, t.commit());
        }
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Data.db")), QStringLiteral("Data")), 0);
        QCOMPARE(CountRows(m_db->file(QStringLiteral("Kurs.db")), QStringLiteral("Kurs")), 0);
        QCOMPARE(m_data->tbData2.recordCount(), 0);
    }

    void reopenKeepsPostedRows() {
        fillLedger();
        CloseDatabase(*m_data, *m_cd);
        QVERIFY(!m_data->tbData.isOpen());
        OpenDatabase(*m_data, *m_cd);
        m_data->tbData.setFiltered(false);
        QCOMPARE(m_data->tbData.recordCount(), int(std::size(kLedger)));
        m_data->tbData.locate(QStringLiteral("Name"), QStringLiteral("bread"));
        QCOMPARE(m_data->tbData.field(QStringLiteral("Gr2")).text(), QStringLiteral("Продукты"));
        QCOMPARE(m_data->tbData.field(QStringLiteral("Value")).toDouble(), -2.5);
    }

    void missingTableFileIsRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("ledger") << QStringLiteral("Data.db");
        QTest::newRow("rates work table") << QStringLiteral("Kurs.db");
        QTest::newRow("report work table") << QStringLiteral("Report.db");
    }

    void missingTableFileIsRefused() {
        QFETCH(QString, file);
        CloseDatabase(*m_data, *m_cd);
        QVERIFY(QFile::remove(m_db->file(file)));
        try {
            OpenDatabase(*m_data, *m_cd);
            QFAIL("the database opened");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
        for (TableHandle* h : OpeningOrder(*m_data, *m_cd))
            QVERIFY2(!h->isOpen(), qPrintable(h->objectName()));
        QVERIFY(!QFileInfo::exists(m_db->file(file))); // nothing was created in its place
    }

    // A float that another program stored in an integer or boolean column, too large for any
    // integer, is refused with the file and the field named instead of read as garbage.
    void hugeFloatInAnIntegerColumnIsRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("field");
        QTest::newRow("boolean, currencies")
            << QStringLiteral("Valuta.db")
            << QStringLiteral("INSERT INTO Valuta(Def, Name) VALUES (1e300, 'x')")
            << QStringLiteral("Def");
        QTest::newRow("integer, negative, debts")
            << QStringLiteral("Credit.db")
            << QStringLiteral("INSERT INTO Credit(Days, Name) VALUES (-1e300, 'x')")
            << QStringLiteral("Days");
        QTest::newRow("integer, infinite")
            << QStringLiteral("Credit.db")
            << QStringLiteral("INSERT INTO Credit(IDdata, Name) VALUES (9e999, 'x')")
            << QStringLiteral("IDdata");
    }

    void hugeFloatInAnIntegerColumnIsRefused() {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        QFETCH(QString, field);
        CloseDatabase(*m_data, *m_cd);
        zovi::test::ExecFile(m_db->file(file), sql);
        QCOMPARE(
            zovi::test::QueryFile(
                m_db->file(file),
                QStringLiteral("SELECT typeof(%1) FROM %2").arg(field, QFileInfo(file).baseName())),
            QStringLiteral("real"));
        try {
            OpenDatabase(*m_data, *m_cd);
            QFAIL("the database opened");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(file) && e.message().contains(field) &&
                         e.message().contains(QStringLiteral("not an integer")),
                     qPrintable(e.message()));
        }
    }

    void filesAreFoundWithoutRegardToCase() {
        CloseDatabase(*m_data, *m_cd);
        const QDir dir(m_db->folder());
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("Data.db")),
                              dir.filePath(QStringLiteral("data.DB"))));
        QVERIFY(QFile::rename(dir.filePath(QStringLiteral("Gr1.db")),
                              dir.filePath(QStringLiteral("GR1.db"))));
        OpenDatabase(*m_data, *m_cd);
        AddEntry(m_data->tbData2, kLedger[0]);
        QCOMPARE(CountRows(dir.filePath(QStringLiteral("data.DB")), QStringLiteral("Data")), 1);
    }

    void modelFollowsTheView() {
        fillLedger();
        TableModel& model = m_data->dsData;
        m_data->tbData.setFilter(QStringLiteral("Type='D'"));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("bonus"));
        model.selectRow(0);
        QCOMPARE(m_data->tbData.field(QStringLiteral("Name")).text(), QStringLiteral("salary"));
    }
};

QObject* zovi::test::NewStoreTest() {
    return new TestStore;
}

#include "tst_store.moc"
