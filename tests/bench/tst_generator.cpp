#include "fixtures.h"
#include "generator.h"

#include "ledger/currency.h"
#include "store/datamodules.h"
#include "store/unfiltered.h"

#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <cmath>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::OpenedDatabase;

namespace {

QStringList Column(TableHandle& t, const QString& field) {
    QStringList values;
    for (t.first(); !t.eof(); t.next())
        values << t.field(field).text();
    return values;
}

// Every ledger row as one text, in ID order.
QStringList Rows(TableHandle& t) {
    QStringList rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList fields;
        for (int c = 0; c < t.fieldCount(); ++c)
            fields << t.field(c).text();
        rows << fields.join(u'|');
    }
    return rows;
}

// The sub-group names of every group of a side, by group name.
QHash<QString, QSet<QString>> SubGroups(TableHandle& groups, TableHandle& subGroups) {
    QHash<QString, QSet<QString>> result;
    subGroups.detachMaster();
    QHash<qint64, QString> names;
    for (groups.first(); !groups.eof(); groups.next())
        names.insert(groups.field(u"ID"_s).toInt(), groups.field(u"Name"_s).text());
    for (subGroups.first(); !subGroups.eof(); subGroups.next()) {
        const qint64 owner = subGroups.field(u"IDsecond"_s).toInt();
        if (names.contains(owner))
            result[names.value(owner)].insert(subGroups.field(u"Name"_s).text());
    }
    for (const QString& group : names)
        result[group]; // a group without sub-groups is listed too
    subGroups.attachMaster();
    return result;
}

GeneratorOptions Options(int entries, quint32 seed) {
    GeneratorOptions options;
    options.entries = entries;
    options.firstDate = QDate(2022, 3, 1);
    options.years = 2;
    options.seed = seed;
    return options;
}

} // namespace

class TestGenerator : public zovi::test::DatabaseTest {
    Q_OBJECT

    // The example database as the build makes it, generated once into a folder of the test's
    // own: the program folder's copy is never made again once it exists.
    QString exampleFolder() {
        if (!m_example) {
            m_example = std::make_unique<QTemporaryDir>();
            QProcess generate;
            generate.setProcessChannelMode(QProcess::MergedChannels);
            generate.start(QStringLiteral(ZOVI_GENERATE),
                           {u"--program"_s, qEnvironmentVariable("ZOVI_PROGRAM_DIR"),
                            m_example->filePath(u"Example"_s),
                            QString::number(ZOVI_EXAMPLE_ENTRIES),
                            QString::number(ZOVI_EXAMPLE_YEARS)});
            if (!generate.waitForFinished(120000) || generate.exitCode() != 0)
                qWarning("zovi_generate: %s", generate.readAll().constData());
        }
        return m_example->filePath(u"Example"_s);
    }
    std::unique_ptr<QTemporaryDir> m_example;

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void entriesReferToExistingClassifiers() {
        const GeneratedLedger made = GenerateLedger(*m_data, Options(600, 7));
        QCOMPARE(made.charges + made.incomes + made.exchanges, 600);
        QVERIFY(made.incomes > 0 && made.charges > made.incomes * 5);
        QVERIFY(made.exchanges > 0 && made.incomes > made.exchanges);
        QCOMPARE(made.lastDate, QDate(2024, 2, 29));

        // Reopened, so that what was read is what the files hold.
        openDatabase();
        const QStringList accounts = Column(m_data->tbGr1, u"Name"_s);
        QCOMPARE(accounts, made.accounts);
        const QStringList currencies = Column(m_data->tbValuta, u"Name"_s);
        QCOMPARE(currencies, made.currencies);
        QCOMPARE(Column(m_data->tbValuta, u"Def"_s).count(u"True"_s), 1);
        QCOMPARE(Column(m_data->tbValuta, u"More"_s).count(u"False"_s), 1); // one "Less" rate
        const auto charges = SubGroups(m_data->tbGrR, m_data->tbGrR2);
        const auto incomes = SubGroups(m_data->tbGrD, m_data->tbGrD2);
        QVERIFY(charges.contains(u"Food"_s) && charges.value(u"Food"_s).contains(u"Bread"_s));
        QVERIFY(incomes.contains(u"Salary"_s));

        TableHandle& d = m_data->tbData;
        QCOMPARE(d.recordCount(), 600);
        QSet<QString> usedCurrencies;
        QDate previous;
        int exchanges = 0;
        for (d.first(); !d.eof(); d.next()) {
            const QString type = d.field(u"Type"_s).text();
            const QDate date = d.field(u"Date"_s).toDate();
            QVERIFY(date >= made.firstDate && date <= made.lastDate);
            QVERIFY(!previous.isValid() || date >= previous); // stored day by day
            previous = date;
            QVERIFY(accounts.contains(d.field(u"Gr1"_s).text()));
            if (type == u"O"_s) {
                ++exchanges;
                continue; // checked on their own below
            }
            QVERIFY2(type == u"R"_s || type == u"D"_s, qPrintable(type));
            const auto& groups = type == u"D"_s ? incomes : charges;
            const QString group = d.field(u"Gr2"_s).text();
            QVERIFY2(groups.contains(group), qPrintable(group));
            QVERIFY(groups.value(group).contains(d.field(u"NameRashod"_s).text()));
            const QString currency = d.field(u"Valuta"_s).text();
            QVERIFY(currencies.contains(currency));
            usedCurrencies.insert(currency);
            const double value = d.field(u"Value"_s).toDouble();
            QVERIFY(type == u"D"_s ? value > 0 : value < 0);
            QVERIFY(!d.field(type == u"D"_s ? u"Dohod"_s : u"Rashod"_s).text().isEmpty());
        }
        QCOMPARE(usedCurrencies.size(), currencies.size());
        QCOMPARE(exchanges, made.exchanges);
    }

    // Exchanges change the main currency into another one or back, inside one account, at a
    // rate near the stored one: both sides are worth about the same in the main currency.
    void exchangesKeepTheirWorth() {
        const GeneratedLedger made = GenerateLedger(*m_data, Options(1500, 3));
        QVERIFY(made.exchanges >= 10);
        QHash<QString, Currency> byName;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            byName.insert(c.Name, c);
        const QString main = made.currencies.first();

        TableHandle& d = m_data->tbData;
        QSet<QString> directions;
        for (d.first(); !d.eof(); d.next()) {
            if (d.field(u"Type"_s).text() != u"O"_s)
                continue;
            const QString given = d.field(u"ValutaRashod"_s).text();
            const QString received = d.field(u"ValutaDohod"_s).text();
            QVERIFY(byName.contains(given) && byName.contains(received) && given != received);
            QVERIFY(given == main || received == main);
            directions.insert(given + u'>' + received);
            const double out = d.field(u"ValueRashod"_s).toDouble();
            const double in = d.field(u"ValueDohod"_s).toDouble();
            QVERIFY(out < 0 && in > 0);
            const double worthOut = *ToMainCurrency(-out, byName.value(given));
            const double worthIn = *ToMainCurrency(in, byName.value(received));
            QVERIFY2(std::fabs(worthIn / worthOut - 1) < 0.05,
                     qPrintable(d.field(u"Name"_s).text()));
            QCOMPARE(d.field(u"Gr2"_s).text(), u"(EXCHANGE)"_s);
            QVERIFY(d.field(u"Value"_s).text().isEmpty() && d.field(u"Valuta"_s).text().isEmpty());
            QVERIFY(d.field(u"Dohod"_s).text().endsWith(byName.value(received).Znak));
            QVERIFY(d.field(u"Rashod"_s).text().endsWith(byName.value(given).Znak));
        }
        // Both other currencies, bought and sold.
        QCOMPARE(directions.size(), 4);
    }

    void transfersAreConsecutiveLinkedPairs() {
        GeneratorOptions options = Options(400, 11);
        options.transfersPercent = 20;
        const GeneratedLedger made = GenerateLedger(*m_data, options);
        QCOMPARE(made.charges + made.incomes + made.exchanges + made.transfers, 400);
        QVERIFY(made.transfers > 40 && made.transfers < 120);

        openDatabase();
        const QStringList accounts = Column(m_data->tbGr1, u"Name"_s);
        TableHandle& d = m_data->tbData;
        QCOMPARE(d.recordCount(), 400 + made.transfers);
        int pairs = 0;
        QDate previous;
        for (d.first(); !d.eof(); d.next()) {
            const QDate date = d.field(u"Date"_s).toDate();
            QVERIFY(!previous.isValid() || date >= previous); // still day by day
            previous = date;
            const QString type = d.field(u"Type"_s).text();
            QVERIFY2(type != u"P2"_s, "an arriving row without its leaving row before it");
            if (type != u"P1"_s)
                continue;
            const qint64 out = d.field(u"ID"_s).toInt();
            const QString from = d.field(u"Gr1"_s).text();
            const QString currency = d.field(u"Valuta"_s).text();
            const double value = d.field(u"Value"_s).toDouble();
            const QString text = d.field(u"Rashod"_s).text();
            QCOMPARE(d.field(u"Gr2"_s).text(), u"(TRANSFER->)"_s);
            QCOMPARE(d.field(u"IDsecond"_s).toInt(), out + 1);
            QVERIFY(value < 0 && !text.isEmpty() && d.field(u"Dohod"_s).text().isEmpty());

            d.next();
            QVERIFY(!d.eof());
            QCOMPARE(d.field(u"ID"_s).toInt(), out + 1);
            QCOMPARE(d.field(u"Type"_s).text(), u"P2"_s);
            QCOMPARE(d.field(u"Gr2"_s).text(), u"(->TRANSFER)"_s);
            QCOMPARE(d.field(u"IDsecond"_s).toInt(), out);
            QCOMPARE(d.field(u"Date"_s).toDate(), date);
            QCOMPARE(d.field(u"Valuta"_s).text(), currency);
            QCOMPARE(d.field(u"Value"_s).toDouble(), -value);
            QCOMPARE(d.field(u"Dohod"_s).text(), text);
            const QString to = d.field(u"Gr1"_s).text();
            QVERIFY(accounts.contains(from) && accounts.contains(to) && from != to);
            ++pairs;
        }
        QCOMPARE(pairs, made.transfers);
    }

    void theSeedDecidesTheRows() {
        OpenedDatabase second;
        GenerateLedger(*m_data, Options(200, 42));
        GenerateLedger(*second.data, Options(200, 42));
        QCOMPARE(Rows(m_data->tbData), Rows(second.data->tbData));
        QCOMPARE(Rows(m_data->tbValuta), Rows(second.data->tbValuta));

        OpenedDatabase other;
        GenerateLedger(*other.data, Options(200, 43));
        QVERIFY(Rows(m_data->tbData) != Rows(other.data->tbData));
    }

    // A ledger of distinct texts: no two rows share a name, most amount texts differ and the same
    // seed makes the same rows; without it names repeat.
    void distinctTextsDifferPerEntry() {
        GeneratorOptions options = Options(600, 8);
        options.transfersPercent = 10;
        options.distinct = true;
        const GeneratedLedger made = GenerateLedger(*m_data, options);
        TableHandle& data = m_data->tbData;
        QCOMPARE(data.recordCount(),
                 made.charges + made.incomes + made.exchanges + 2 * made.transfers);
        const QStringList names = Column(data, u"Name"_s);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), data.recordCount());
        QStringList amounts = Column(data, u"Rashod"_s) + Column(data, u"Dohod"_s);
        amounts.removeAll(QString());
        QVERIFY2(QSet<QString>(amounts.begin(), amounts.end()).size() * 2 > amounts.size(),
                 "most amount texts repeat");

        OpenedDatabase same;
        GenerateLedger(*same.data, options);
        QCOMPARE(Rows(same.data->tbData), Rows(data));
        OpenedDatabase plain;
        options.distinct = false;
        GenerateLedger(*plain.data, options);
        const QStringList plainNames = Column(plain.data->tbData, u"Name"_s);
        QVERIFY(QSet<QString>(plainNames.begin(), plainNames.end()).size() * 4 < plainNames.size());
    }

    // Debts come with a repayment every month after they began, and every debt and repayment
    // is linked to a ledger row of its kind that links back.
    void debtsAreRepaidMonthlyWithTheirLedgerRows() {
        const GeneratedLedger made = GenerateLedger(*m_data, Options(300, 5));
        DebtOptions options;
        options.debts = 3;
        options.firstDate = made.firstDate;
        options.lastDate = made.lastDate;
        const GeneratedDebts debts = GenerateDebts(*m_data, *m_cd, options);
        QCOMPARE(debts.debts, 3);
        TableHandle& c = m_cd->tbCredit2;
        TableHandle& r = m_cd->tbOplataCredit2;
        r.setFiltered(false);
        QCOMPARE(c.recordCount(), 3);
        QCOMPARE(r.recordCount(), debts.repayments);
        int expected = 0;
        for (c.first(); !c.eof(); c.next()) {
            const QDate start = c.field(u"Date"_s).toDate();
            for (QDate d = start.addMonths(1); d <= made.lastDate; d = d.addMonths(1))
                ++expected;
        }
        QCOMPARE(debts.repayments, expected);
        TableHandle& d = m_data->tbData2;
        UnfilteredView all(d);
        const auto linked = [&](TableHandle& t, const QStringList& kinds) {
            for (t.first(); !t.eof(); t.next()) {
                QVERIFY(d.locate(u"ID"_s, t.field(u"IDdata"_s).toInt()));
                QVERIFY(kinds.contains(d.field(u"Type"_s).text()));
                QCOMPARE(d.field(u"IDsecond"_s).toInt(), t.field(u"ID"_s).toInt());
            }
        };
        linked(c, {u"CR"_s, u"DB"_s});
        linked(r, {u"PC"_s, u"PD"_s});
        // Taken and given in turn.
        QCOMPARE(Column(c, u"CD"_s), (QStringList{u"C"_s, u"D"_s, u"C"_s}));
    }

    // The example database the build puts into the program folder holds every kind of entry,
    // so that each page and chart has something to show on a first start.
    void exampleDatabaseHoldsEveryKind_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("atLeast");
        const auto row = [](const char* name, const char* file, const char* query, int atLeast) {
            QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(query)
                                << atLeast;
        };
        row("accounts", "Gr1.db", "SELECT count(*) FROM Gr1", 3);
        row("currencies", "Valuta.db", "SELECT count(*) FROM Valuta", 3);
        row("groups of charges", "GrR.db", "SELECT count(*) FROM GrR", 5);
        row("sub-groups of charges", "GrR2.db", "SELECT count(DISTINCT IDsecond) FROM GrR2", 5);
        row("groups of incomes", "GrD.db", "SELECT count(*) FROM GrD", 2);
        row("sub-groups of incomes", "GrD2.db", "SELECT count(DISTINCT IDsecond) FROM GrD2", 2);
        row("charges", "Data.db", "SELECT count(*) FROM Data WHERE Type = 'R'", 100);
        row("incomes", "Data.db", "SELECT count(*) FROM Data WHERE Type = 'D'", 10);
        row("charges in sub-groups", "Data.db",
            "SELECT count(DISTINCT NameRashod) FROM Data WHERE Type = 'R'", 10);
        row("charges in other currencies", "Data.db",
            "SELECT count(DISTINCT Valuta) FROM Data WHERE Type = 'R'", 2);
        row("transfers out", "Data.db", "SELECT count(*) FROM Data WHERE Type = 'P1'", 2);
        row("transfers in", "Data.db", "SELECT count(*) FROM Data WHERE Type = 'P2'", 2);
        row("exchanges", "Data.db", "SELECT count(*) FROM Data WHERE Type = 'O'", 2);
        row("days spanned", "Data.db",
            "SELECT julianday(max(Date)) - julianday(min(Date)) FROM Data", 700);
        row("months with charges", "Data.db",
            "SELECT count(DISTINCT substr(Date, 1, 7)) FROM Data WHERE Type = 'R'", 24);
        row("debts taken", "Credit.db", "SELECT count(*) FROM Credit WHERE CD = 'C'", 1);
        row("debts given", "Credit.db", "SELECT count(*) FROM Credit WHERE CD = 'D'", 1);
        row("repayments", "OplataCredit.db", "SELECT count(*) FROM OplataCredit", 4);
        row("debt rows in the ledger", "Data.db",
            "SELECT count(*) FROM Data WHERE Type IN ('CR', 'DB')", 2);
        row("repayment rows in the ledger", "Data.db",
            "SELECT count(*) FROM Data WHERE Type IN ('PC', 'PD')", 4);
    }
    void exampleDatabaseHoldsEveryKind() {
        QFETCH(QString, file);
        QFETCH(QString, query);
        QFETCH(int, atLeast);
        const QString path = exampleFolder() + u'/' + file;
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        const QString found = zovi::test::QueryFile(path, query);
        QVERIFY2(!found.isNull(), qPrintable(query));
        QVERIFY2(found.toDouble() >= atLeast, qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
