// The readers of dates, amounts and text encodings that every imported format shares.
#include "imports/importfile.h"

#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;

class TestImportText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order");
        QTest::addColumn<QDate>("expected");
        const int dmy = int(DateOrder::DayMonthYear);
        const int mdy = int(DateOrder::MonthDayYear);
        const int ymd = int(DateOrder::YearMonthDay);
        QTest::newRow("dotted") << u"31.12.2024"_s << dmy << QDate(2024, 12, 31);
        QTest::newRow("us") << u"12/31/2024"_s << mdy << QDate(2024, 12, 31);
        QTest::newRow("iso in any order") << u"2024-02-03"_s << mdy << QDate(2024, 2, 3);
        QTest::newRow("iso order, short year") << u"24-02-03"_s << ymd << QDate(2024, 2, 3);
        QTest::newRow("apostrophe year") << u"1/2'24"_s << mdy << QDate(2024, 1, 2);
        QTest::newRow("apostrophe year 70") << u"1/2'70"_s << mdy << QDate(2070, 1, 2);
        QTest::newRow("padded") << u" 1/ 2/98"_s << mdy << QDate(1998, 1, 2);
        QTest::newRow("two-digit 2000s") << u"05.03.07"_s << dmy << QDate(2007, 3, 5);
        QTest::newRow("no 31 February") << u"31.02.2024"_s << dmy << QDate();
        QTest::newRow("month 13") << u"13/01/2024"_s << mdy << QDate();
        QTest::newRow("two numbers") << u"12.2024"_s << dmy << QDate();
        QTest::newRow("four numbers") << u"1.2.3.4"_s << dmy << QDate();
        QTest::newRow("words") << u"Jan 5 2024"_s << mdy << QDate();
        QTest::newRow("three-digit year") << u"1.2.202"_s << dmy << QDate();
        QTest::newRow("trailing separator") << u"1.2.2024."_s << dmy << QDate();
    }
    void dates() {
        QFETCH(QString, text);
        QFETCH(int, order);
        QFETCH(QDate, expected);
        QCOMPARE(ReadImportDate(text, DateOrder(order)).value_or(QDate()), expected);
    }

    void amounts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separators"); // decimal, then thousands (if any)
        QTest::addColumn<bool>("readable");
        QTest::addColumn<double>("expected");
        QTest::newRow("point") << u"-12.50"_s << u"."_s << true << -12.5;
        QTest::newRow("comma and dot groups") << u"1.234.567,89"_s << u",."_s << true << 1234567.89;
        QTest::newRow("us groups") << u"1,234.56"_s << u".,"_s << true << 1234.56;
        QTest::newRow("blank groups") << u"12 345,6"_s << u","_s << true << 12345.6;
        QTest::newRow("no-break groups") << u"12\u00A0345"_s << u","_s << true << 12345.0;
        QTest::newRow("brackets") << u"(42.00)"_s << u"."_s << true << -42.0;
        QTest::newRow("trailing minus") << u"42-"_s << u"."_s << true << -42.0;
        QTest::newRow("plus") << u"+7"_s << u"."_s << true << 7.0;
        QTest::newRow("leading decimal") << u",5"_s << u","_s << true << 0.5;
        // A group separator that is not before three digits is a mistyped decimal, not a group.
        QTest::newRow("short group") << u"1,5"_s << u".,"_s << false << 0.0;
        QTest::newRow("two decimals") << u"1.2.3"_s << u"."_s << false << 0.0;
        QTest::newRow("currency sign") << u"$12"_s << u"."_s << false << 0.0;
        QTest::newRow("only sign") << u"-"_s << u"."_s << false << 0.0;
        QTest::newRow("empty") << QString() << u"."_s << false << 0.0;
        QTest::newRow("exponent") << u"1e5"_s << u"."_s << false << 0.0;
    }
    void amounts() {
        QFETCH(QString, text);
        QFETCH(QString, separators);
        QFETCH(bool, readable);
        QFETCH(double, expected);
        const std::optional<double> read =
            ReadImportAmount(text, separators[0], separators.size() > 1 ? separators[1] : QChar());
        QCOMPARE(read.has_value(), readable);
        if (readable)
            QCOMPARE(*read, expected);
    }

    void encodings() {
        const QString text = u"Продукты;12,50"_s;
        const QByteArray utf8 = text.toUtf8();
        const QByteArray bom = "\xEF\xBB\xBF" + utf8;
        const QByteArray cp1251 = QByteArray("\xCF\xF0\xEE\xE4\xF3\xEA\xF2\xFB;12,50");
        QCOMPARE(GuessEncoding(utf8), TextEncoding::Utf8);
        QCOMPARE(GuessEncoding(bom), TextEncoding::Utf8Bom);
        QCOMPARE(GuessEncoding(cp1251), TextEncoding::Windows1251);
        QCOMPARE(DecodeAs(bom, TextEncoding::Utf8Bom), text);
        QCOMPARE(DecodeAs(cp1251, TextEncoding::Windows1251), text);
    }
};

QTEST_GUILESS_MAIN(TestImportText)
#include "tst_importtext.moc"
