// The reader of QIF files, with files of the kinds home finance programs and banks write.
#include "imports/qifimport.h"

#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;

namespace {

// An entry in one line: "line date name amount group/sub-group @account >transfer".
QString Describe(const ImportedEntry& entry) {
    return u"%1 %2 %3 %4 %5/%6 @%7 >%8"_s.arg(entry.line)
        .arg(entry.date.toString(Qt::ISODate), entry.name, QString::number(entry.amount, 'f', 2),
             entry.group, entry.subGroup, entry.account, entry.transferAccount);
}

QStringList Describe(const ImportedFile& file) {
    QStringList lines;
    for (const ImportedEntry& entry : file.entries)
        lines.append(Describe(entry));
    return lines;
}

} // namespace

class TestQifImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The date and amount forms writers use, each in a file of one record.
    void forms_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QDate>("expectedDate");
        QTest::addColumn<double>("expectedAmount");
        QTest::newRow("apostrophe year")
            << u"1/2'24"_s << u"-1,234.56"_s << QDate(2024, 1, 2) << -1234.56;
        QTest::newRow("apostrophe blank year")
            << u"1/ 2' 4"_s << u"5"_s << QDate(2004, 1, 2) << 5.0;
        QTest::newRow("four-digit year")
            << u"01/02/2024"_s << u"1234.5"_s << QDate(2024, 1, 2) << 1234.5;
        QTest::newRow("padded, 1900s") << u" 1/ 2/98"_s << u"-12"_s << QDate(1998, 1, 2) << -12.0;
        QTest::newRow("two-digit year")
            << u"1/2/24"_s << u"1,234,567.00"_s << QDate(2024, 1, 2) << 1234567.0;
        QTest::newRow("iso") << u"2024-01-02"_s << u"0.99"_s << QDate(2024, 1, 2) << 0.99;
        QTest::newRow("dashes") << u"1-2-24"_s << u"-7.5"_s << QDate(2024, 1, 2) << -7.5;
        QTest::newRow("dots are day first")
            << u"02.01.2024"_s << u"-1.234,56"_s << QDate(2024, 1, 2) << -1234.56;
        QTest::newRow("decimal comma") << u"1/2/24"_s << u"12,50"_s << QDate(2024, 1, 2) << 12.5;
        QTest::newRow("a thousand") << u"1/2/24"_s << u"1,234"_s << QDate(2024, 1, 2) << 1234.0;
    }
    void forms() {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QDate, expectedDate);
        QFETCH(double, expectedAmount);
        const ImportedFile file =
            ReadQif((u"!Type:Bank\nD"_s + date + u"\nT"_s + amount + u"\nPShop\n^\n"_s).toUtf8());
        QCOMPARE(file.unread.size(), 0);
        QCOMPARE(file.entries.size(), 1);
        QCOMPARE(file.entries[0].date, expectedDate);
        QCOMPARE(file.entries[0].amount, expectedAmount);
    }

    void bankFile() {
        const QByteArray qif = "!Type:Bank   \n"       // 1
                               "D1/2'24\n"             // 2
                               "T-1,234.56\n"          // 3
                               "PRent\n"               // 4
                               "LHousing:Rent\n"       // 5
                               "^\n"                   // 6
                               "D12/31/98\n"           // 7
                               "T2,500.00\n"           // 8
                               "N1001\n"               // 9
                               "PEmployer\n"           // 10
                               "CX\n"                  // 11
                               "LSalary/Work\n"        // 12
                               "^\n"                   // 13
                               "D1/ 5/24\n"            // 14
                               "T-500.00\n"            // 15
                               "PTo savings\n"         // 16
                               "L[Savings]/Trip\n"     // 17
                               "^\n"                   // 18
                               "D1/15'24\n"            // 19
                               "T-100.00\n"            // 20
                               "PSupermarket\n"        // 21
                               "MWeekly\n"             // 22
                               "LFood\n"               // 23
                               "SFood:Groceries\n"     // 24
                               "EBread and milk\n"     // 25
                               "$-60.00\n"             // 26
                               "SHousehold\n"          // 27
                               "$-15.00\n"             // 28
                               "S[Savings]\n"          // 29
                               "ETo savings\n"         // 30
                               "$-25.00\n"             // 31
                               "^\n"                   // 32
                               "D1/20'24\n"            // 33
                               "T-50.00\n"             // 34
                               "P\n"                   // 35
                               "MCoffee beans\n"       // 36
                               "LFood:Drinks:Coffee\n" // 37
                               "^\n"                   // 38
                               "D1/21'24\n"            // 39
                               "T-80.00\n"             // 40
                               "PShop\n"               // 41
                               "LMisc\n"               // 42
                               "SFood\n"               // 43
                               "$-30.00\n"             // 44
                               "^\n";                  // 45
        const ImportedFile file = ReadQif(qif);
        QCOMPARE(file.unread.size(), 0);
        const QStringList expected = {
            u"2 2024-01-02 Rent -1234.56 Housing/Rent @ >"_s,
            u"7 1998-12-31 Employer 2500.00 Salary/ @ >"_s,
            u"14 2024-01-05 To savings -500.00 / @ >Savings"_s,
            u"19 2024-01-15 Bread and milk -60.00 Food/Groceries @ >"_s,
            u"19 2024-01-15 Supermarket -15.00 Household/ @ >"_s,
            u"19 2024-01-15 To savings -25.00 / @ >Savings"_s,
            u"33 2024-01-20 Coffee beans -50.00 Food/Drinks:Coffee @ >"_s,
            // The split misses 50 of the total: that part keeps the record's category.
            u"39 2024-01-21 Shop -30.00 Food/ @ >"_s,
            u"39 2024-01-21 Shop -50.00 Misc/ @ >"_s,
        };
        QCOMPARE(Describe(file), expected);
    }

    // Windows-1251 payees, CRLF, blank lines, no final "^"; a date starting with 25 makes the
    // whole file day first.
    void cashFileInWindows1251() {
        const QByteArray qif = "!Type:Cash\r\n"
                               "\r\n"
                               "D02/03/2024\r\n"
                               "T-150.00\r\n"
                               "P\xCF\xF0\xEE\xE4\xF3\xEA\xF2\xFB\r\n" // Продукты
                               "^\r\n"
                               "\r\n"
                               "D25/01/2024\r\n"
                               "T-40.00\r\n"
                               "P\xC0\xEF\xF2\xE5\xEA\xE0\r\n"; // Аптека
        const ImportedFile file = ReadQif(qif);
        QCOMPARE(file.unread.size(), 0);
        QCOMPARE(Describe(file), QStringList({u"3 2024-03-02 Продукты -150.00 / @ >"_s,
                                              u"8 2024-01-25 Аптека -40.00 / @ >"_s}));
    }

    // An "!Account" section names the account of the section after it; investments and lists
    // are skipped; an opening balance naming its own account is no transfer.
    void accountSections() {
        const QByteArray qif = "\xEF\xBB\xBF!Option:AutoSwitch\n" // 1
                               "!Account\n"                       // 2
                               "NChecking\n"                      // 3
                               "TBank\n"                          // 4
                               "^\n"                              // 5
                               "!Clear:AutoSwitch\n"              // 6
                               "!Type:Cat\n"                      // 7
                               "NFood\n"                          // 8
                               "E\n"                              // 9
                               "^\n"                              // 10
                               "!Account\n"                       // 11
                               "NVisa card\n"                     // 12
                               "TCCard\n"                         // 13
                               "^\n"                              // 14
                               "!type:ccard  \n"                  // 15
                               "D01/01/2024\n"                    // 16
                               "T-300.00\n"                       // 17
                               "POpening Balance\n"               // 18
                               "L[Visa card]\n"                   // 19
                               "^\n"                              // 20
                               "D01/10/2024\n"                    // 21
                               "T-20.00\n"                        // 22
                               "PCinema\n"                        // 23
                               "^\n"                              // 24
                               "!Account\n"                       // 25
                               "NBroker\n"                        // 26
                               "^\n"                              // 27
                               "!Type:Invst\n"                    // 28
                               "D01/11/2024\n"                    // 29
                               "NBuy\n"                           // 30
                               "T-1000.00\n"                      // 31
                               "^\n"                              // 32
                               "!Type:Oth L\n"                    // 33
                               "D01/12/2024\n"                    // 34
                               "T10.00\n"                         // 35
                               "PLoan\n"                          // 36
                               "^\n";                             // 37
        const ImportedFile file = ReadQif(qif);
        QCOMPARE(file.unread.size(), 0);
        QCOMPARE(Describe(file),
                 QStringList({u"16 2024-01-01 Opening Balance -300.00 / @Visa card >"_s,
                              u"21 2024-01-10 Cinema -20.00 / @Visa card >"_s,
                              u"34 2024-01-12 Loan 10.00 / @ >"_s}));
    }

    // A day.month.year file with decimal commas: its "1.234" is a thousand, not one.
    void decimalCommaFile() {
        const QByteArray qif = "!Type:Bank\n"
                               "D02.01.2024\n"
                               "T-1.234\n"
                               "PMiete\n"
                               "^\n"
                               "D15.01.2024\n"
                               "T12,50\n"
                               "PZinsen\n"
                               "^\n";
        const ImportedFile file = ReadQif(qif);
        QCOMPARE(file.unread.size(), 0);
        QCOMPARE(Describe(file), QStringList({u"2 2024-01-02 Miete -1234.00 / @ >"_s,
                                              u"6 2024-01-15 Zinsen 12.50 / @ >"_s}));
    }

    void badRecords() {
        const QByteArray qif = "!Type:Bank\n"  // 1
                               "D01/02/2024\n" // 2
                               "T-10.00\n"     // 3
                               "PFirst\n"      // 4
                               "^\n"           // 5
                               "D02/30/2024\n" // 6
                               "T-5.00\n"      // 7
                               "PBroken\n"     // 8
                               "^\n"           // 9
                               "D01/03/2024\n" // 10
                               "Tabc\n"        // 11
                               "^\n"           // 12
                               "PNo date\n"    // 13
                               "T-1.00\n"      // 14
                               "^\n"           // 15
                               "D01/04/2024\n" // 16
                               "T-7.00\n"      // 17
                               "PLast\n"       // 18
                               "^\n";          // 19
        const ImportedFile file = ReadQif(qif);
        QCOMPARE(Describe(file), QStringList({u"2 2024-01-02 First -10.00 / @ >"_s,
                                              u"16 2024-01-04 Last -7.00 / @ >"_s}));
        QCOMPARE(file.unread.size(), 3);
        QCOMPARE(file.unread[0].line, 6);
        QCOMPARE(file.unread[0].text, u"D02/30/2024 | T-5.00 | PBroken"_s);
        QCOMPARE(file.unread[1].line, 10);
        QCOMPARE(file.unread[2].line, 13);
        QVERIFY(!file.unread[1].reason.isEmpty());
        QVERIFY(file.unread[1].reason != file.unread[2].reason);
    }

    void notQif_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("csv") << QByteArray("Date;Name;Amount\n02.01.2024;Rent;-500,00\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n");
        QTest::newRow("binary") << "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\n"_ba;
        QTest::newRow("binary after a header") << "!Type:Bank\nD\x01\x02\n\0\0T\xFF\n^\n"_ba;
        QTest::newRow("investments only")
            << QByteArray("!Type:Invst\nD01/11/2024\nNBuy\nT-1000.00\n^\n");
        QTest::newRow("records without a header") << QByteArray("D01/11/2024\nT-10.00\n^\n");
    }
    void notQif() {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(ImportError, ReadQif(bytes));
    }
};

QTEST_GUILESS_MAIN(TestQifImport)
#include "tst_qifimport.moc"
