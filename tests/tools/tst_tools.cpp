#include "shell/locale.h"
#include "tools/calculator.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace zovi;

namespace {

using Operator = Calculator::Operator;

// Presses the keys named by the characters of keys: digits, ",", "+", "-",
// "*", "/" and "=" as on the pad, "c" for "clr", "<" for "<-" and "~" for "+/-". Returns the
// messages of failed "=" presses.
QStringList Press(Calculator& calc, const QString& keys) {
    QStringList failures;
    for (const QChar k : keys) {
        if (k.isDigit())
            calc.appendDigit(k.digitValue());
        else if (k == u',')
            calc.appendComma();
        else if (k == u'+')
            calc.pressOperator(Operator::Plus);
        else if (k == u'-')
            calc.pressOperator(Operator::Minus);
        else if (k == u'*')
            calc.pressOperator(Operator::Times);
        else if (k == u'/')
            calc.pressOperator(Operator::Divide);
        else if (k == u'c')
            calc.clear();
        else if (k == u'<')
            calc.backspace();
        else if (k == u'~')
            calc.toggleSign();
        else if (k == u'=') {
            const QString failure = calc.equals();
            if (!failure.isEmpty())
                failures << failure;
        }
    }
    return failures;
}

// The state as one text: first operand, second operand, operator caption, active operand.
QString StateText(const Calculator& calc) {
    return u"%1|%2|%3|%4"_s.arg(calc.first(), calc.second(), calc.operatorCaption(),
                                calc.active() == Calculator::Operand::First ? u"A"_s : u"B"_s);
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { AppLocale::set(u',', u"dd.MM.yyyy"_s); }

    void keys_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("state");
        const QChar comma = u',';
        QTest::newRow("fresh") << comma << QString() << u"|| = |A"_s;
        QTest::newRow("sum") << comma << u"12+30="_s << u"42|30| + |A"_s;
        QTest::newRow("= repeats") << comma << u"12+30=="_s << u"72|30| + |A"_s;
        QTest::newRow("difference") << comma << u"5-8=="_s << u"-11|8| - |A"_s;
        QTest::newRow("product") << comma << u"1,5*4="_s << u"6|4| * |A"_s;
        QTest::newRow("quotient") << comma << u"7/2="_s << u"3,5|2| / |A"_s;
        QTest::newRow("point") << QChar(u'.') << u"7/2="_s << u"3.5|2| / |A"_s;
        QTest::newRow("comma key under point") << QChar(u'.') << u"1,5+1="_s << u"2.5|1| + |A"_s;
        QTest::newRow("15 digits") << comma << u"1/3="_s << u"0,333333333333333|3| / |A"_s;
        QTest::newRow("exponent read back")
            << comma << u"99999999*99999999=="_s << u"9,9999997e+23|99999999| * |A"_s;
        QTest::newRow("operator replaced") << comma << u"+*"_s << u"|| * |B"_s;
        QTest::newRow("operator on B") << comma << u"12+3*"_s << u"12|3| * |B"_s;
        QTest::newRow("operator empties B") << comma << u"1+2=*"_s << u"3|| * |B"_s;
        QTest::newRow("typing after =") << comma << u"1+2=4"_s << u"34|2| + |A"_s;
        QTest::newRow("= without operator") << comma << u"12="_s << u"12|| = |A"_s;
        QTest::newRow("clr keeps operator") << comma << u"12+3c"_s << u"|| + |A"_s;
        QTest::newRow("<-") << comma << u"12+34<"_s << u"12|3| + |B"_s;
        QTest::newRow("<- on empty") << comma << u"<"_s << u"|| = |A"_s;
        QTest::newRow("+/- on A") << comma << u"12~"_s << u"-12|| = |A"_s;
        QTest::newRow("+/- twice") << comma << u"12~~"_s << u"12|| = |A"_s;
        QTest::newRow("+/- sign first") << comma << u"~5+2="_s << u"-3|2| + |A"_s;
        QTest::newRow("+/- on B") << comma << u"12+3~="_s << u"9|-3| + |A"_s;
    }
    void keys() {
        QFETCH(QChar, separator);
        QFETCH(QString, keys);
        QFETCH(QString, state);
        AppLocale::set(separator, u"dd.MM.yyyy"_s);
        Calculator calc;
        QCOMPARE(Press(calc, keys), QStringList());
        QCOMPARE(StateText(calc), state);
    }

    // A failed "=" reports why and leaves operands, operator and active operand as they were.
    void failures_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("failure");
        const QString bad = u"\"%1\" is not a valid number."_s;
        QTest::newRow("division by zero") << u"5"_s << u"/"_s << u"0"_s << u"Division by zero."_s;
        QTest::newRow("zero by zero") << u"0"_s << u"/"_s << u"0,0"_s << u"Division by zero."_s;
        QTest::newRow("empty B") << u"5"_s << u"+"_s << QString() << bad.arg(QString());
        QTest::newRow("empty A") << QString() << u"+"_s << u"2"_s << bad.arg(QString());
        QTest::newRow("two commas") << u"1,2,3"_s << u"+"_s << u"2"_s << bad.arg(u"1,2,3"_s);
        QTest::newRow("letters") << u"5"_s << u"*"_s << u"12a"_s << bad.arg(u"12a"_s);
        QTest::newRow("sign alone") << u"5"_s << u"+"_s << u"-"_s << bad.arg(u"-"_s);
        QTest::newRow("inner sign") << u"1-2"_s << u"+"_s << u"2"_s << bad.arg(u"1-2"_s);
        QTest::newRow("bad exponent") << u"1e+"_s << u"+"_s << u"2"_s << bad.arg(u"1e+"_s);
        QTest::newRow("overflow") << u"1e300"_s << u"*"_s << u"1e300"_s
                                  << u"The result is too large."_s;
    }
    void failures() {
        QFETCH(QString, first);
        QFETCH(QString, op);
        QFETCH(QString, second);
        QFETCH(QString, failure);
        Calculator calc;
        calc.setFirst(first);
        Press(calc, op);
        calc.setSecond(second);
        const QString before = StateText(calc);
        QCOMPARE(Press(calc, u"="_s), QStringList{failure});
        QCOMPARE(StateText(calc), before);
    }
};

QTEST_GUILESS_MAIN(TestTools)
#include "tst_tools.moc"
