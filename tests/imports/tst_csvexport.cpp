// The CSV export of the ledger view: the bytes of the file (byte-order mark, header, quoting,
// dates, amounts), the rows of the filtered view only, in its order, and a file that cannot be
// written.
#include "core/keptfile.h"
#include "fixtures.h"
#include "imports/csvexport.h"
#include "store/transaction.h"

#include <QDir>
#include <QTest>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

class TestCsvExport : public DatabaseTest {
    Q_OBJECT

    QString m_out;

    // An income, a charge whose name needs quoting, a transfer pair and an exchange, in an order
    // of dates the view does not sort by.
    void addLedger() {
        Transaction t;
        Put(m_data->tbData2, {{"Date", QDate(2026, 3, 2)},
                              {"Name", u"Зарплата"_s},
                              {"Type", u"D"_s},
                              {"Value", 1234567.891},
                              {"Valuta", u"руб."_s},
                              {"Gr2", u"Работа"_s},
                              {"Gr1", u"Кошелёк"_s}});
        Put(m_data->tbData2, {{"Date", QDate(2026, 3, 1)},
                              {"Name", u"Bread; \"Borodinsky\"\r\nfresh"_s},
                              {"Type", u"R"_s},
                              {"Value", -(0.1 + 0.2)},
                              {"Valuta", u"$"_s},
                              {"Gr2", u"Food"_s},
                              {"NameRashod", u"Bakery"_s},
                              {"Gr1", u"Кошелёк"_s}});
        Put(m_data->tbData2, {{"Date", QDate(2026, 2, 28)},
                              {"Name", u"To the bank"_s},
                              {"Type", u"P1"_s},
                              {"Value", -50.0},
                              {"Valuta", u"$"_s},
                              {"Gr2", u"(TRANSFER->)"_s},
                              {"Gr1", u"Кошелёк"_s}});
        Put(m_data->tbData2, {{"Date", QDate(2026, 2, 28)},
                              {"Name", u"From the wallet"_s},
                              {"Type", u"P2"_s},
                              {"Value", 50.0},
                              {"Valuta", u"$"_s},
                              {"Gr2", u"(->TRANSFER)"_s},
                              {"Gr1", u"Bank"_s}});
        Put(m_data->tbData2, {{"Date", QDate(2026, 3, 5)},
                              {"Name", u"Change"_s},
                              {"Type", u"O"_s},
                              {"ValueRashod", -100.0},
                              {"ValutaRashod", u"$"_s},
                              {"ValueDohod", 9050.5},
                              {"ValutaDohod", u"руб."_s},
                              {"Gr2", u"(EXCHANGE)"_s},
                              {"Gr1", u"Bank"_s}});
        t.commit();
        refreshLedger();
    }

    static QByteArray Lines(const QStringList& lines) {
        return "\xEF\xBB\xBF" + (lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8();
    }

    static QString EnglishHeader() {
        return u"Date;Name;Income;Charge;Currency;Charge currency;Group;Sub-group;Account;Kind"_s;
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        m_out = m_db->root() + u"/out"_s;
        QVERIFY(QDir().mkpath(m_out));
    }
    void cleanup() { cleanupDatabase(); }

    // Every entry of the view, in its order, with its amounts on the side of their sign, the
    // exchange with both, quoted texts and ISO dates; the file holds exactly these bytes.
    void writesEveryRowOfTheView() {
        addLedger();
        const QString file = m_out + u"/ledger.csv"_s;
        QCOMPARE(ExportLedgerCsv(m_data->tbData, file), 5);
        QCOMPARE(
            ReadBytes(file),
            Lines({EnglishHeader(), u"2026-03-02;Зарплата;1234567.891;;руб.;;Работа;;Кошелёк;D"_s,
                   u"2026-03-01;\"Bread; \"\"Borodinsky\"\"\r\nfresh\";;0.30000000000000004;$;;"
                   "Food;Bakery;Кошелёк;R"_s,
                   u"2026-02-28;To the bank;;50;$;;(TRANSFER->);;Кошелёк;P1"_s,
                   u"2026-02-28;From the wallet;50;;$;;(->TRANSFER);;Bank;P2"_s,
                   u"2026-03-05;Change;9050.5;100;руб.;$;(EXCHANGE);;Bank;O"_s}));
        QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList{u"ledger.csv"_s});
    }

    // Only the rows the ledger's filter admits; an existing file is replaced by them.
    void onlyTheFilteredRows() {
        addLedger();
        const QString file = m_out + u"/ledger.csv"_s;
        WriteBytes(file, QByteArray(1000, 'x'));
        m_data->tbData.setFilter(u"Gr1='Bank'"_s);
        QCOMPARE(ExportLedgerCsv(m_data->tbData, file), 2);
        QCOMPARE(
            ReadBytes(file),
            Lines({EnglishHeader(), u"2026-02-28;From the wallet;50;;$;;(->TRANSFER);;Bank;P2"_s,
                   u"2026-03-05;Change;9050.5;100;руб.;$;(EXCHANGE);;Bank;O"_s}));
    }

    // The header follows the chosen language.
    void russianHeader() {
        UseShippedLanguage(*m_db, u"lang/ru.ini"_s);
        QCOMPARE(LedgerCsv(m_data->tbData),
                 Lines({u"Дата;Наименование;Доход;Расход;Валюта;Валюта расхода;Группа;Подгруппа;"
                        "Счёт;Вид"_s}));
    }

    // The shortest text that reads back as the stored value, with a point and without an
    // exponent or thousands separators.
    void numbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("sum of tenths") << 0.1 + 0.2 << u"0.30000000000000004"_s;
        QTest::newRow("millions") << 1234567.891 << u"1234567.891"_s;
        QTest::newRow("whole") << 1500.0 << u"1500"_s;
        QTest::newRow("large") << 1e20 << u"100000000000000000000"_s;
        QTest::newRow("small") << 1.5e-7 << u"0.00000015"_s;
        QTest::newRow("zero") << 0.0 << u"0"_s;
    }
    void numbers() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(CsvNumber(value), text);
        QCOMPARE(text.toDouble(), value);
    }

    // ".csv" is added to a name without an extension of three letters.
    void fileName() {
        QCOMPARE(ExportFileName(u"ledger"_s, u".csv"), u"ledger.csv"_s);
        QCOMPARE(ExportFileName(u"ledger.csv"_s, u".csv"), u"ledger.csv"_s);
        QCOMPARE(ExportFileName(u"ledger.txt"_s, u".csv"), u"ledger.txt"_s);
    }

    // A file in a folder that does not exist fails with the file's name, and nothing is left.
    void missingFolderLeavesNothing() {
        addLedger();
        const QString file = m_out + u"/missing/ledger.csv"_s;
        try {
            ExportLedgerCsv(m_data->tbData, file);
            QFAIL("the export did not fail");
        } catch (const ExportError& e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(file)), qPrintable(e.message()));
        }
        QVERIFY(!QFileInfo::exists(m_out + u"/missing"_s));
        QCOMPARE(QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
