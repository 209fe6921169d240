// Reading OFX bank and credit card statements, SGML (1.x) and XML (2.x).
#include "imports/ofximport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>

using namespace zovi;
using namespace Qt::StringLiterals;

namespace {

// An OFX 1.02 bank statement: SGML with unclosed elements, Windows-1252 text, dates with and
// without a time zone, and one amount in another currency than the statement's.
const QByteArray kSgmlBank = "OFXHEADER:100\r\n"
                             "DATA:OFXSGML\r\n"
                             "VERSION:102\r\n"
                             "SECURITY:NONE\r\n"
                             "ENCODING:USASCII\r\n"
                             "CHARSET:1252\r\n"
                             "COMPRESSION:NONE\r\n"
                             "OLDFILEUID:NONE\r\n"
                             "NEWFILEUID:NONE\r\n"
                             "\r\n"
                             "<OFX>\r\n"
                             "<SIGNONMSGSRSV1><SONRS>\r\n"
                             "<STATUS><CODE>0<SEVERITY>INFO</STATUS>\r\n"
                             "<DTSERVER>20240310120000<LANGUAGE>ENG\r\n"
                             "</SONRS></SIGNONMSGSRSV1>\r\n"
                             "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1\r\n"
                             "<STATUS><CODE>0<SEVERITY>INFO</STATUS>\r\n"
                             "<STMTRS><CURDEF>USD\r\n"
                             "<BANKACCTFROM><BANKID>123456789<ACCTID>0001<ACCTTYPE>CHECKING\r\n"
                             "</BANKACCTFROM>\r\n"
                             "<BANKTRANLIST><DTSTART>20240301<DTEND>20240310\r\n"
                             "<STMTTRN>\r\n" // line 22
                             "<TRNTYPE>DEBIT\r\n"
                             "<DTPOSTED>20240305000000[-5:EST]\r\n"
                             "<TRNAMT>-12.50\r\n"
                             "<FITID>1\r\n"
                             "<NAME>Caf\xE9 M\xFCller\r\n"
                             "<MEMO>lunch\r\n"
                             "</STMTTRN>\r\n"
                             "<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20240306<TRNAMT>1000.00\r\n" // 30
                             "<FITID>2<MEMO>Salary</STMTTRN>\r\n"
                             "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20240307235959[-8:PST]\r\n" // 32
                             "<TRNAMT>-3.25<FITID>3<NAME>Shop<MEMO>Shop\r\n"
                             "<CURRENCY><CURRATE>1.1<CURSYM>EUR</CURRENCY>\r\n"
                             "</STMTTRN>\r\n"
                             "</BANKTRANLIST>\r\n"
                             "<LEDGERBAL><BALAMT>984.25<DTASOF>20240310</LEDGERBAL>\r\n"
                             "</STMTRS></STMTTRNRS></BANKMSGSRSV1>\r\n"
                             "</OFX>\r\n";

// An OFX 2.1 credit card statement in XML, its names in UTF-8 Cyrillic, one given as the payee.
const QByteArray kXmlCard =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
    "NEWFILEUID=\"NONE\"?>\n"
    "<OFX><SIGNONMSGSRSV1><SONRS>\n"
    "<STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>\n"
    "<DTSERVER>20240210120000</DTSERVER><LANGUAGE>RUS</LANGUAGE>\n"
    "</SONRS></SIGNONMSGSRSV1>\n"
    "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID>\n"
    "<STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>\n"
    "<CCSTMTRS><CURDEF>EUR</CURDEF><CCACCTFROM><ACCTID>4111</ACCTID></CCACCTFROM>\n"
    "<BANKTRANLIST><DTSTART>20240101</DTSTART><DTEND>20240131</DTEND>\n"
    "<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20240115000000.000[+3:MSK]</DTPOSTED>\n" // 11
    "<TRNAMT>-45.10</TRNAMT><FITID>A1</FITID>\n"
    "<PAYEE><NAME>Кофейня</NAME><ADDR1>Тверская, 1</ADDR1><CITY>Москва</CITY>"
    "<STATE>MOW</STATE><POSTALCODE>125009</POSTALCODE><PHONE>123</PHONE></PAYEE>\n"
    "<MEMO>Карта</MEMO></STMTTRN>\n"
    "<STMTTRN><TRNTYPE>CREDIT</TRNTYPE><DTPOSTED>20240131</DTPOSTED>\n" // 15
    "<TRNAMT>20</TRNAMT><FITID>A2</FITID><MEMO>Возврат</MEMO></STMTTRN>\n"
    "</BANKTRANLIST>\n"
    "<LEDGERBAL><BALAMT>-25.10</BALAMT><DTASOF>20240131</DTASOF></LEDGERBAL>\n"
    "</CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\n";

// A well-formed OFX file that answers only the sign-on: no statement in it.
const QByteArray kSignOnOnly = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\n"
                               "ENCODING:USASCII\nCHARSET:1252\nCOMPRESSION:NONE\n"
                               "OLDFILEUID:NONE\nNEWFILEUID:NONE\n\n"
                               "<OFX><SIGNONMSGSRSV1><SONRS>\n"
                               "<STATUS><CODE>0<SEVERITY>INFO</STATUS>\n"
                               "<DTSERVER>20240310120000<LANGUAGE>ENG\n"
                               "</SONRS></SIGNONMSGSRSV1></OFX>\n";

} // namespace

class TestOfxImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // Far east of every zone the files name: a date shifted into local time moves a day.
        qputenv("TZ", "Pacific/Kiritimati");
        tzset();
    }

    void sgmlBankStatement() {
        const QString path = write(u"bank.ofx"_s, kSgmlBank);
        const ImportedFile read = ReadOfx(path);
        QCOMPARE(read.currency, u"USD"_s);
        QVERIFY(read.unread.isEmpty());
        QCOMPARE(read.entries.size(), 3);
        const ImportedEntry& cafe = read.entries[0];
        QCOMPARE(cafe.date, QDate(2024, 3, 5));
        QCOMPARE(cafe.amount, -12.5);
        QCOMPARE(cafe.name, u"Café Müller"_s); // NAME before a differing MEMO
        QCOMPARE(cafe.currency, QString());
        QCOMPARE(cafe.line, 22);
        const ImportedEntry& salary = read.entries[1];
        QCOMPARE(salary.date, QDate(2024, 3, 6));
        QCOMPARE(salary.amount, 1000.0);
        QCOMPARE(salary.name, u"Salary"_s); // MEMO when there is no NAME
        QCOMPARE(salary.line, 30);
        const ImportedEntry& shop = read.entries[2];
        QCOMPARE(shop.date, QDate(2024, 3, 7));
        QCOMPARE(shop.amount, -3.25);
        QCOMPARE(shop.name, u"Shop"_s);
        QCOMPARE(shop.currency, u"EUR"_s);
        QCOMPARE(shop.line, 32);

        // A second reading in the same process gives the same.
        const ImportedFile again = ReadOfx(path);
        QCOMPARE(again.entries.size(), 3);
        QCOMPARE(again.entries[2].date, shop.date);
        QCOMPARE(again.entries[0].name, cafe.name);
    }

    void xmlCardStatement() {
        const ImportedFile read = ReadOfx(write(u"card.ofx"_s, kXmlCard));
        QCOMPARE(read.currency, u"EUR"_s);
        QCOMPARE(read.entries.size(), 2);
        const ImportedEntry& coffee = read.entries[0];
        QCOMPARE(coffee.date, QDate(2024, 1, 15));
        QCOMPARE(coffee.amount, -45.1);
        QCOMPARE(coffee.name, u"Кофейня"_s); // the payee's name before the memo
        QCOMPARE(coffee.line, 11);
        const ImportedEntry& refund = read.entries[1];
        QCOMPARE(refund.date, QDate(2024, 1, 31));
        QCOMPARE(refund.amount, 20.0);
        QCOMPARE(refund.name, u"Возврат"_s);
        QCOMPARE(refund.line, 15);
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray noise(3000, Qt::Uninitialized);
        quint32 state = 12345;
        for (char& c : noise) {
            state = state * 1103515245u + 12345u;
            c = char(state >> 24);
        }
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("csv") << "Date,Name,Amount\n2024-03-05,Shop,-3.25\n"_ba;
        QTest::newRow("qif") << "!Type:Bank\nD03/05/2024\nT-3.25\nPShop\n^\n"_ba;
        QTest::newRow("random bytes") << noise;
        QTest::newRow("sign-on only") << kSignOnOnly;
        QTest::newRow("header only") << "OFXHEADER:100\nDATA:OFXSGML\n\n"_ba;
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        const QString path = write(u"refused.ofx"_s, bytes);
        try {
            ReadOfx(path);
            QFAIL("the file was read as a statement");
        } catch (const ImportError& error) {
            QVERIFY2(error.message().contains(u"OFX"_s), qPrintable(error.message()));
        }
    }

    void missingFile() {
        const QString path = m_dir.filePath(u"missing.ofx"_s);
        try {
            ReadOfx(path);
            QFAIL("a missing file was read");
        } catch (const ImportError& error) {
            QVERIFY(error.message().contains(path));
        }
    }
};

QTEST_GUILESS_MAIN(TestOfxImport)
#include "tst_ofximport.moc"
