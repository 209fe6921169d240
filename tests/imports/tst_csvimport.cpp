// Reading CSV files: guessing how they are written, their table, the roles of their columns,
// the entries they give, and the box that shows those choices.
#include "core/settings.h"
#include "core/textutil.h"
#include "imports/csvimport.h"
#include "imports/csvsettingsbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

ImportedFile Entries(const QByteArray& bytes) {
    const CsvFormat format = GuessCsvFormat(bytes);
    const CsvTable table = ReadCsvTable(bytes, format);
    return CsvEntries(table, format, GuessCsvMapping(table.header, table));
}

using C = CsvColumn;

} // namespace

class TestCsvImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settings.isValid());
        Settings::setTestPath(m_settings.path());
    }

    // A file as banks and programs write it: what is guessed of it and its first entry.
    void guessedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("dateOrder");
        QTest::addColumn<QString>("separators"); // decimal, then thousands (if any)
        QTest::addColumn<CsvMapping>("mapping");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("currency");
        QTest::newRow("russian bank")
            << Bom +
                   u"Дата операции;Описание;Сумма;Валюта\r\n05.03.2024;Пятёрочка;-1 234,56;RUB\r\n"
                   "06.03.2024;Зарплата;50 000,00;RUB\r\n"_s.toUtf8()
            << u";"_s << int(TextEncoding::Utf8Bom) << true << int(DateOrder::DayMonthYear)
            << u", "_s << CsvMapping{C::Date, C::Name, C::Amount, C::Currency} << QDate(2024, 3, 5)
            << u"Пятёрочка"_s << -1234.56 << u"RUB"_s;
        QTest::newRow("windows-1251")
            << EncodeCp1251(u"Дата;Назначение платежа;Списание;Зачисление\n"
                            "01.02.2024;Аренда;1.500,00;\n"
                            "02.02.2024;Возврат;;2.000,50\n"_s)
            << u";"_s << int(TextEncoding::Windows1251) << true << int(DateOrder::DayMonthYear)
            << u",."_s << CsvMapping{C::Date, C::Name, C::Charge, C::Income} << QDate(2024, 2, 1)
            << u"Аренда"_s << -1500.0 << QString();
        QTest::newRow("us")
            << "Date,Description,Amount\n03/15/2024,Coffee,-4.50\n03/16/2024,Paycheck,\"1,234.56\"\n"_ba
            << u","_s << int(TextEncoding::Utf8) << true << int(DateOrder::MonthDayYear) << u".,"_s
            << CsvMapping{C::Date, C::Name, C::Amount} << QDate(2024, 3, 15) << u"Coffee"_s << -4.5
            << QString();
        QTest::newRow("tabs, iso dates with times")
            << "Date\tPayee\tDebit\tCredit\n2024-03-05 14:22:10\tShop\t12.50\t\n"
               "2024-03-06T08:00\tRefund\t\t3.00\n"_ba
            << u"\t"_s << int(TextEncoding::Utf8) << true << int(DateOrder::YearMonthDay) << u"."_s
            << CsvMapping{C::Date, C::Name, C::Charge, C::Income} << QDate(2024, 3, 5) << u"Shop"_s
            << -12.5 << QString();
        // Without names the data tells: a number column without decimals is no amount, the
        // longest text is the name, three capitals the currency; a time follows the date.
        QTest::newRow("no header")
            << u"1;05.03.2024 14:22;Магнит у дома;-150,00;RUB\n2;16.03.2024;Кафе;-300,50;RUB\n"_s
                   .toUtf8()
            << u";"_s << int(TextEncoding::Utf8) << false << int(DateOrder::DayMonthYear) << u","_s
            << CsvMapping{C::None, C::Date, C::Name, C::Amount, C::Currency} << QDate(2024, 3, 5)
            << u"Магнит у дома"_s << -150.0 << u"RUB"_s;
    }
    void guessedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, delimiter);
        QFETCH(int, encoding);
        QFETCH(bool, header);
        QFETCH(int, dateOrder);
        QFETCH(QString, separators);
        QFETCH(CsvMapping, mapping);
        const CsvFormat format = GuessCsvFormat(bytes);
        QCOMPARE(format.delimiter, delimiter[0]);
        QCOMPARE(int(format.encoding), encoding);
        QCOMPARE(format.header, header);
        QCOMPARE(int(format.dateOrder), dateOrder);
        QCOMPARE(format.decimal, separators[0]);
        QCOMPARE(format.thousands, separators.size() > 1 ? separators[1] : QChar());
        const CsvTable table = ReadCsvTable(bytes, format);
        QCOMPARE(GuessCsvMapping(table.header, table), mapping);

        const ImportedFile file = CsvEntries(table, format, mapping);
        QVERIFY(file.unread.isEmpty());
        QCOMPARE(file.entries.size(), 2);
        const ImportedEntry& first = file.entries.front();
        QCOMPARE(first.line, header ? 2 : 1);
        QTEST(first.date, "date");
        QTEST(first.name, "name");
        QTEST(first.amount, "amount");
        QTEST(first.currency, "currency");
    }

    // Quoted fields hold delimiters, doubled quotes and line breaks; the lines of later records
    // still count from the file's physical lines; blank lines are skipped.
    void quotedFields_data() {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("LF") << "\n"_ba;
        QTest::newRow("CRLF") << "\r\n"_ba;
    }
    void quotedFields() {
        QFETCH(QByteArray, lineEnd);
        QByteArray bytes = "Date,Description,Amount\n2024-03-01,\"Smith, John \"\"Jr\"\"\",12.50\n"
                           "2024-03-02,\"Two\nlines\",-3.00\n\n 2024-03-03 , Plain ,4\n"_ba;
        bytes.replace("\n", lineEnd);
        const CsvFormat format = GuessCsvFormat(bytes);
        QCOMPARE(format.delimiter, u',');
        const CsvTable table = ReadCsvTable(bytes, format);
        QCOMPARE(table.header, (QStringList{u"Date"_s, u"Description"_s, u"Amount"_s}));
        QCOMPARE(table.records.size(), 3);
        QCOMPARE(table.records[0].fields[1], u"Smith, John \"Jr\""_s);
        QCOMPARE(table.records[1].fields[1], u"Two\nlines"_s);
        QCOMPARE(table.records[2].fields, (QStringList{u"2024-03-03"_s, u"Plain"_s, u"4"_s}));
        QCOMPARE(table.records[0].line, 2);
        QCOMPARE(table.records[1].line, 3);
        QCOMPARE(table.records[2].line, 6);
        QCOMPARE(table.records[2].text, u" 2024-03-03 , Plain ,4"_s);
    }

    // The program's own export, with its header in English or in Russian: every column is
    // known, a transfer's two rows become one entry and an exchange gives both its sides.
    void ownExport_data() {
        QTest::addColumn<QString>("header");
        QTest::newRow("english")
            << u"Date;Name;Income;Charge;Currency;Charge currency;Group;Sub-group;Account;Kind"_s;
        QTest::newRow("russian")
            << u"Дата;Наименование;Доход;Расход;Валюта;Валюта расхода;Группа;Подгруппа;Счёт;Вид"_s;
    }
    void ownExport() {
        QFETCH(QString, header);
        const QByteArray bytes = Bom + (header + u"\r\n"_s +
                                        u"2024-01-05;Transfer out;;100.00;;RUB;;;Cash;P1\r\n"
                                        "2024-01-05;Coffee;;5.00;;RUB;Food;Cafe;Cash;R\r\n"
                                        "2024-01-05;Transfer in;100.00;;RUB;;;;Bank;P2\r\n"
                                        "2024-01-06;Exchange;90.00;100.00;USD;EUR;;;Bank;O\r\n"
                                        "2024-01-08;Early P2;50.00;;RUB;;;;Bank;P2\r\n"
                                        "2024-01-08;Late P1;;50.00;;RUB;;;Cash;P1\r\n"_s)
                                           .toUtf8();
        const CsvFormat format = GuessCsvFormat(bytes);
        const CsvTable table = ReadCsvTable(bytes, format);
        const CsvMapping mapping = GuessCsvMapping(table.header, table);
        QCOMPARE(mapping,
                 (CsvMapping{C::Date, C::Name, C::Income, C::Charge, C::Currency, C::ChargeCurrency,
                             C::Group, C::SubGroup, C::Account, C::Kind}));
        const ImportedFile file = CsvEntries(table, format, mapping);
        QVERIFY(file.unread.isEmpty());
        QCOMPARE(file.entries.size(), 5);

        const ImportedEntry& transfer = file.entries[0];
        QCOMPARE(transfer.line, 2);
        QCOMPARE(transfer.kind, u"P1"_s);
        QCOMPARE(transfer.account, u"Cash"_s);
        QCOMPARE(transfer.amount, -100.0);
        QCOMPARE(transfer.currency, u"RUB"_s);
        QCOMPARE(transfer.transferAccount, u"Bank"_s);
        QCOMPARE(transfer.transferName, u"Transfer in"_s);

        const ImportedEntry& coffee = file.entries[1];
        QCOMPARE(coffee.amount, -5.0);
        QCOMPARE(coffee.group, u"Food"_s);
        QCOMPARE(coffee.subGroup, u"Cafe"_s);
        QCOMPARE(coffee.kind, u"R"_s);
        QVERIFY(coffee.transferAccount.isEmpty());

        const ImportedEntry& exchange = file.entries[2];
        QCOMPARE(exchange.kind, u"O"_s);
        QCOMPARE(exchange.amount, 90.0);
        QCOMPARE(exchange.currency, u"USD"_s);
        QCOMPARE(exchange.given, -100.0);
        QCOMPARE(exchange.givenCurrency, u"EUR"_s);

        // A "P2" before its "P1" pairs with nothing: both stay ordinary entries.
        QCOMPARE(file.entries[3].kind, u"P2"_s);
        QCOMPARE(file.entries[3].amount, 50.0);
        QCOMPARE(file.entries[4].kind, u"P1"_s);
        QCOMPARE(file.entries[4].amount, -50.0);
        QVERIFY(file.entries[4].transferAccount.isEmpty());
    }

    // Lines without a readable date or amount are reported with their line and text.
    void unreadLines() {
        const ImportedFile file =
            Entries("Date;Name;Income;Charge\n01.02.2024;Salary;1000,00;\n31.02.2024;Bad;1,00;\n"
                    "03.02.2024;Word;x;\n;Dateless;1,00;\n04.02.2024;Empty;;\n"
                    "05.02.2024;Refund;;-10,00\n"_ba);
        QCOMPARE(file.entries.size(), 2);
        QCOMPARE(file.entries[0].amount, 1000.0);
        QCOMPARE(file.entries[1].amount, -10.0);
        QCOMPARE(file.entries[1].line, 7);
        QCOMPARE(file.unread.size(), 4);
        const QList<int> lines{3, 4, 5, 6};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(file.unread[i].line, lines[i]);
            QVERIFY(!file.unread[i].reason.isEmpty());
        }
        QCOMPARE(file.unread[0].text, u"31.02.2024;Bad;1,00;"_s);
        // The day that is no date is no amount with thousands separators either.
        QCOMPARE(GuessCsvFormat("Date;Name;Sum\n31.02.2024;Bad;1 000,00\n"_ba).thousands, u' ');
        QVERIFY(file.unread[0].reason.contains(u"31.02.2024"_s));
        QVERIFY(file.unread[1].reason.contains(u"x"_s));
    }

    void missingColumns() {
        const CsvTable table = ReadCsvTable("a;1\n"_ba, CsvFormat{});
        QVERIFY_THROWS_EXCEPTION(ImportError, CsvEntries(table, CsvFormat{}, {C::Name, C::Amount}));
        QVERIFY_THROWS_EXCEPTION(ImportError, CsvEntries(table, CsvFormat{}, {C::Date, C::Name}));
    }

    // The mapping last imported with a header wins over the guess, in the box too; the box
    // re-reads the table when the user picks another delimiter.
    void rememberedMappingAndBox() {
        const QByteArray bytes = "Date;Memo;Sum\n2024-03-01;Tea;-2.00\n"_ba;
        const QStringList header{u"Date"_s, u"Memo"_s, u"Sum"_s};
        QVERIFY(!RememberedCsvMapping(header));
        const CsvMapping chosen{C::Date, C::Group, C::Amount};
        RememberCsvMapping(header, chosen);
        QCOMPARE(RememberedCsvMapping(header), chosen);
        QVERIFY(!RememberedCsvMapping({u"Date"_s, u"Memo"_s}));

        CsvSettingsBox box(nullptr);
        box.setFile(bytes);
        QCOMPARE(box.mapping(), chosen);
        QCOMPARE(box.format().delimiter, u';');
        QCOMPARE(box.findChild<QComboBox*>(u"csvColumnBox2"_s)->currentData().toInt(),
                 int(C::Group));

        QSignalSpy changed(&box, &CsvSettingsBox::changed);
        auto* delimiter = box.findChild<QComboBox*>(u"csvDelimiterBox"_s);
        QVERIFY(delimiter);
        QTest::keyClick(delimiter, Qt::Key_Up); // from semicolon to comma
        QCOMPARE(changed.size(), 1);
        QCOMPARE(box.format().delimiter, u',');
        QCOMPARE(box.table().header, QStringList{u"Date;Memo;Sum"_s});
        QCOMPARE(box.mapping().size(), 1);
        QVERIFY(!box.findChild<QComboBox*>(u"csvColumnBox2"_s));
    }

private:
    QTemporaryDir m_settings;
};

QTEST_MAIN(TestCsvImport)
#include "tst_csvimport.moc"
