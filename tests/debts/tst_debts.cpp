#include "debtstest.h"

#include "debts/debtrows.h"
#include "debts/valuation.h"
#include "ledger/deleteentry.h"
#include "store/error.h"

#include <QRandomGenerator>

using namespace zovi;
using namespace zovi::test;

namespace {

// The valuation as its rule states it, one QDate after another: the reference the faster walk
// must match to the last bit.
double DayByDay(const DebtTerms& d, const std::vector<Payment>& payments, QDate end) {
    double value = d.valueBegin;
    const bool monthly = d.type == u"Y" || d.type == u"M";
    const bool period = d.type == u"O" && d.days > 0;
    const double rate = d.type == u"Y" ? d.procent / 12 : d.procent;
    int month = d.start.month();
    double increment = monthly  ? rate / 100 * value / d.start.daysInMonth()
                       : period ? rate / 100 * value / double(d.days)
                                : 0.0;
    qint64 counter = 0;
    for (QDate day = d.start; day <= end; day = day.addDays(1)) {
        if (monthly && day.month() != month) {
            month = day.month();
            increment = rate / 100 * value / day.daysInMonth();
        }
        if (period && counter == d.days) {
            counter = 0;
            increment = rate / 100 * value / double(d.days);
        }
        value += increment;
        for (const Payment& p : payments)
            if (p.day == day.toJulianDay())
                value -= p.value;
        ++counter;
    }
    return value;
}

} // namespace

class TestDebts : public DebtsTest {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        initDatabase();
        fillCurrencies();
        fillAccounts();
    }
    void cleanup() { cleanupDatabase(); }

    void valuation_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("procent");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<double>("repaid"); // on 31 January 2024, 0 for none
        QTest::addColumn<double>("expected");
        const QDate jan15(2024, 1, 15);
        QTest::newRow("to month end")
            << "M" << 3.0 << jan15 << QDate(2024, 1, 31) << 0.0 << 1016.4516;
        QTest::newRow("into February")
            << "M" << 3.0 << jan15 << QDate(2024, 2, 10) << 0.0 << 1026.9666;
        QTest::newRow("first day") << "M" << 3.0 << jan15 << jan15 << 0.0 << 1000.9677;
        QTest::newRow("before start") << "M" << 3.0 << jan15 << QDate(2024, 1, 14) << 0.0 << 1000.0;
        QTest::newRow("repaid 500")
            << "M" << 3.0 << jan15 << QDate(2024, 2, 10) << 500.0 << 521.7942;
        QTest::newRow("a year at 12 %")
            << "Y" << 12.0 << QDate(2024, 1, 1) << QDate(2024, 12, 31) << 0.0 << 1126.8250;
        QTest::newRow("period of 10 days")
            << "O" << 1.0 << jan15 << QDate(2024, 2, 3) << 0.0 << 1020.1;
        QTest::newRow("period without days")
            << "O" << 1.0 << jan15 << QDate(2024, 2, 3) << 500.0 << 500.0;
        QTest::newRow("unknown type")
            << "X" << 5.0 << jan15 << QDate(2024, 2, 10) << 500.0 << 500.0;
    }

    // The figures of the rule, computed through the stored tables: a debt and its repayment
    // are written by the commands, valued by ValueDebts, and read back from the file.
    void valuation() {
        QFETCH(QString, type);
        QFETCH(double, procent);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(double, repaid);
        QFETCH(double, expected);
        Debt debt = MakeDebt(true, "bank", "1000", "$", "0", "M", start);
        debt.rate = QString::number(procent);
        const qint64 id = AppendDebt(*m_data, *m_cd, debt);
        {
            // Types and periods the dialog does not write.
            Transaction t;
            TableHandle& c = m_cd->tbCredit2;
            QVERIFY(c.locate(QStringLiteral("ID"), id));
            c.edit();
            c.field(QStringLiteral("Type")).setText(type);
            if (QTest::currentDataTag() == QByteArray("period of 10 days"))
                c.field(QStringLiteral("Days")).setInt(10);
            c.post();
            t.commit();
        }
        if (repaid > 0)
            AppendRepayment(*m_data, *m_cd, id,
                            {QDate(2024, 1, 31), QString::number(repaid), S("back")});
        // Repayments outside the walked days never count.
        AppendRepayment(*m_data, *m_cd, id, {start.addDays(-1), S("77"), S("before")});
        AppendRepayment(*m_data, *m_cd, id, {end.addDays(1), S("88"), S("after")});
        QCOMPARE(ValueDebts(*m_data, *m_cd, end), 1);
        const double value = column("Credit.db", "Credit", "Value", id).toDouble();
        QCOMPARE(qRound64(value * 10000) / 10000.0, expected);
    }

    // A debt whose value runs beyond the amount limit, or past any number, stops nothing: the
    // others are valued, it keeps no stale value, and the grid and the caller are told.
    void absurdDebtsAreMarkedAndTheOthersValued_data() {
        QTest::addColumn<QString>("procent"); // a month, written past the dialog's check
        QTest::addColumn<QDate>("start");
        QTest::newRow("a million per cent, overflowing") << S("1000000") << QDate(2010, 1, 1);
        QTest::newRow("beyond the limit, finite") << S("100") << QDate(1990, 1, 1);
    }
    void absurdDebtsAreMarkedAndTheOthersValued() {
        QFETCH(QString, procent);
        QFETCH(QDate, start);
        const qint64 before = AppendDebt(*m_data, *m_cd, MakeDebt(true, "before", "1000", "$"));
        const qint64 absurd =
            AppendDebt(*m_data, *m_cd, MakeDebt(true, "absurd", "1000", "$", "3", "M", start));
        const qint64 after = AppendDebt(*m_data, *m_cd, MakeDebt(false, "after", "1000", "$"));
        const QDate end(2024, 1, 31);
        QCOMPARE(ValueDebts(*m_data, *m_cd, end), 3); // every debt holds a value now
        {
            Transaction t;
            TableHandle& c = m_cd->tbCredit2;
            QVERIFY(c.locate(QStringLiteral("ID"), absurd));
            c.edit();
            c.field(QStringLiteral("Procent")).setText(procent);
            c.post();
            t.commit();
        }
        std::vector<UnvaluedDebt> unvalued;
        QCOMPARE(ValueDebts(*m_data, *m_cd, end, &unvalued), 2);
        QCOMPARE(unvalued.size(), size_t(1));
        QCOMPARE(unvalued[0].id, absurd);
        QCOMPARE(unvalued[0].name, S("absurd"));
        for (const qint64 id : {before, after})
            QCOMPARE(column("Credit.db", "Credit", "Value", id).toDouble(), 1016.4516129032259);
        QCOMPARE(column("Credit.db", "Credit", "Value", absurd), QString());
        QCOMPARE(column("Credit.db", "Credit", "ValueSTR", absurd), QString());
        for (const DebtRow& row : ReadDebtRows(*m_data, *m_cd)) {
            const QStringList cells = DebtCells(row);
            QCOMPARE(row.valued, row.id != absurd);
            if (row.id == absurd) {
                QCOMPARE(cells.at(DebtCurrent), S("cannot be valued"));
                QVERIFY(DrawnBold(cells));
            }
        }
    }

    // The month walk gives exactly the value of the day-by-day rule, bit for bit, for random
    // debts over several years with repayments on the same and on different days.
    void walkMatchesTheDayByDayRule() {
        QRandomGenerator random(13);
        const char* types[] = {"Y", "M", "O", "O", "Z"};
        for (int i = 0; i < 200; ++i) {
            DebtTerms d;
            d.start = QDate(2019, 1, 1).addDays(random.bounded(1500));
            d.valueBegin = random.bounded(1, 100000) / 7.0;
            d.procent = random.bounded(1, 400) / 13.0;
            d.type = QString::fromLatin1(types[random.bounded(5)]);
            d.days = random.bounded(-1, 40);
            std::vector<Payment> payments;
            qint64 day = d.start.toJulianDay() - 30;
            for (int p = random.bounded(15); p > 0; --p) {
                day += random.bounded(0, 90);
                payments.push_back({day, random.bounded(1, 5000) / 3.0});
            }
            const QDate end = d.start.addDays(random.bounded(-5, 1400));
            QCOMPARE(DebtValue(d, payments, end), DayByDay(d, payments, end));
        }
    }

    // A debit of 100 $ and a repayment of 30 as the ledger and the debt tables keep them.
    void storedRowsAndLinks() {
        const qint64 debt = AppendDebt(*m_data, *m_cd, MakeDebt(false, "Ivan", "100", "$"));
        const QString row = column("Credit.db", "Credit", "IDdata", debt);
        QCOMPARE(column("Credit.db", "Credit", "ValueBegin", debt), S("100.0"));
        QCOMPARE(column("Credit.db", "Credit", "CD", debt), S("D"));
        QCOMPARE(column("Credit.db", "Credit", "Valuta", debt), S("USD"));
        QCOMPARE(column("Data.db", "Data", "Value", row.toLongLong()), S("-100.0"));
        QCOMPARE(column("Data.db", "Data", "Type", row.toLongLong()), S("DB"));
        QCOMPARE(column("Data.db", "Data", "Gr2", row.toLongLong()), S("(DEBT FROM YOU)"));
        QCOMPARE(column("Data.db", "Data", "Rashod", row.toLongLong()), S("100 $"));
        QCOMPARE(column("Data.db", "Data", "Dohod", row.toLongLong()), QString());
        QCOMPARE(column("Data.db", "Data", "IDsecond", row.toLongLong()).toDouble(), double(debt));

        const qint64 paid =
            AppendRepayment(*m_data, *m_cd, debt, {QDate(2024, 2, 1), S("30"), S("part")});
        const qint64 paidRow =
            column("OplataCredit.db", "OplataCredit", "IDdata", paid).toLongLong();
        QCOMPARE(column("OplataCredit.db", "OplataCredit", "ValueSTR", paid), S("30 $"));
        QCOMPARE(column("OplataCredit.db", "OplataCredit", "IDcredit", paid).toLongLong(), debt);
        QCOMPARE(column("Data.db", "Data", "Value", paidRow), S("30.0"));
        QCOMPARE(column("Data.db", "Data", "Type", paidRow), S("PD"));
        QCOMPARE(column("Data.db", "Data", "Gr2", paidRow), S("(DEBT REPAYMENT TO YOU)"));
        QCOMPARE(column("Data.db", "Data", "Dohod", paidRow), S("30 $"));
        QCOMPARE(column("Data.db", "Data", "Name", paidRow), S("part"));
        QCOMPARE(column("Data.db", "Data", "Gr1", paidRow), S("Main"));
        QCOMPARE(column("Data.db", "Data", "IDsecond", paidRow).toDouble(), double(paid));

        // The ledger window's delete of the repayment row takes the repayment with it.
        QCOMPARE(DeleteEntry(*m_data, *m_cd, paidRow), 1);
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("0"));
    }

    // Edit rewrites the same ledger row; the kind stays whatever the dialog says.
    void editRewritesTheRowInPlace() {
        const qint64 debt = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        const qint64 row = column("Credit.db", "Credit", "IDdata", debt).toLongLong();
        RewriteDebt(*m_data, *m_cd, debt,
                    MakeDebt(false, "bank2", "250,5", "€", "12", "Y", QDate(2024, 3, 1), "Wallet"));
        QCOMPARE(column("Credit.db", "Credit", "IDdata", debt).toLongLong(), row);
        QCOMPARE(count("Data.db", "Data"), S("1"));
        QCOMPARE(column("Credit.db", "Credit", "CD", debt), S("C"));
        QCOMPARE(column("Credit.db", "Credit", "Type", debt), S("Y"));
        QCOMPARE(column("Data.db", "Data", "Type", row), S("CR"));
        QCOMPARE(column("Data.db", "Data", "Dohod", row), S("250,5 €"));
        QCOMPARE(column("Data.db", "Data", "Valuta", row), S("EUR"));
        QCOMPARE(column("Data.db", "Data", "Gr1", row), S("Wallet"));
        QCOMPARE(column("Data.db", "Data", "Date", row), S("2024-03-01"));
        QCOMPARE(ReadDebt(*m_data, *m_cd, debt).amount, S("250,5"));
    }

    // A debt with three repayments goes with all of them and their four ledger rows.
    void deleteRemovesEightRows() {
        const qint64 other = AppendDebt(*m_data, *m_cd, MakeDebt(true, "other", "5", "R"));
        AppendRepayment(*m_data, *m_cd, other, {QDate(2024, 2, 1), S("1"), S("kept")});
        const qint64 debt = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        for (int i = 1; i <= 3; ++i)
            AppendRepayment(*m_data, *m_cd, debt, {QDate(2024, 2, i), S("10"), S("p")});
        QCOMPARE(DeleteDebt(*m_data, *m_cd, debt), 8);
        QCOMPARE(count("Credit.db", "Credit"), S("1"));
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("1"));
        QCOMPARE(count("Data.db", "Data"), S("2"));
        QVERIFY_THROWS_EXCEPTION(StoreError, DeleteDebt(*m_data, *m_cd, debt));
    }

    // Refused debts and repayments store nothing in any table.
    void refusalsStoreNothing_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("blank name") << "name"
                                    << " "
                                    << "err001";
        QTest::newRow("rate no number") << "rate"
                                        << "3a"
                                        << "err008";
        QTest::newRow("rate twice a separator") << "rate"
                                                << "1.2.3"
                                                << "err008";
        QTest::newRow("empty amount") << "amount"
                                      << ""
                                      << "err004";
        QTest::newRow("amount no number") << "amount"
                                          << "x"
                                          << "err004";
        QTest::newRow("no account") << "account"
                                    << ""
                                    << "err009";
        QTest::newRow("no currency") << "sign"
                                     << ""
                                     << "debtcurrency";
    }
    void refusalsStoreNothing() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, key);
        Debt debt = MakeDebt(true, "bank", "100", "$");
        (field == u"name"      ? debt.name
         : field == u"rate"    ? debt.rate
         : field == u"amount"  ? debt.amount
         : field == u"account" ? debt.account
                               : debt.currencySign) = text;
        QCOMPARE(CheckDebt(debt).refusal->key, key);
        QVERIFY_THROWS_EXCEPTION(StoreError, AppendDebt(*m_data, *m_cd, debt));
        QCOMPARE(count("Credit.db", "Credit"), S("0"));
        QCOMPARE(count("Data.db", "Data"), S("0"));
        const qint64 id = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        QVERIFY_THROWS_EXCEPTION(
            StoreError, AppendRepayment(*m_data, *m_cd, id, {QDate(2024, 2, 1), text, S("p")}));
        QVERIFY_THROWS_EXCEPTION(StoreError, AppendRepayment(*m_data, *m_cd, id + 1,
                                                             {QDate(2024, 2, 1), S("5"), S("p")}));
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("0"));
        QCOMPARE(count("Data.db", "Data"), S("1"));
    }

    // Rates above 1000 % a year, 100 % a month or period and amounts from the amount limit on
    // are refused with a message naming the limit, and nothing is stored; the limits pass.
    void limitsOfRateAndAmount_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString limit = AmountLimitMessage();
        QTest::newRow("a year at the limit") << S("Y") << S("1000") << S("100") << QString();
        QTest::newRow("a year above") << S("Y") << S("1000,5") << S("100")
                                      << S("The interest rate must not be above 1000 % a year.");
        QTest::newRow("a month at the limit") << S("M") << S("100") << S("100") << QString();
        QTest::newRow("a million a month") << S("M") << S("1000000") << S("100")
                                           << S("The interest rate must not be above 100 % a "
                                                "month.");
        QTest::newRow("a period above") << S("O") << S("101") << S("100")
                                        << S("The interest rate must not be above 100 % a "
                                             "period.");
        QTest::newRow("amount below the limit")
            << S("M") << S("3") << S("9999999999999.99") << QString();
        QTest::newRow("amount at the limit") << S("M") << S("3") << S("10000000000000") << limit;
    }
    void limitsOfRateAndAmount() {
        QFETCH(QString, type);
        QFETCH(QString, rate);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        Debt debt = MakeDebt(true, "bank", "1", "$");
        debt.type = type;
        debt.rate = rate;
        debt.amount = amount;
        const auto check = CheckDebt(debt);
        QCOMPARE(check.refusal ? check.refusal->message() : QString(), message);
        if (message.isEmpty()) {
            AppendDebt(*m_data, *m_cd, debt);
            QCOMPARE(count("Credit.db", "Credit"), S("1"));
            return;
        }
        QVERIFY_THROWS_EXCEPTION(StoreError, AppendDebt(*m_data, *m_cd, debt));
        QCOMPARE(count("Credit.db", "Credit"), S("0"));
        QCOMPARE(count("Data.db", "Data"), S("0"));
    }

    // A repayment from the amount limit on is refused with the limit's message.
    void repaymentBeyondTheLimitRefused() {
        const qint64 id = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        const Repayment huge{QDate(2024, 2, 1), S("99999999999999999999"), S("p")};
        const auto refusal = CheckRepayment(huge).refusal;
        QVERIFY(refusal);
        QCOMPARE(refusal->message(), AmountLimitMessage());
        QVERIFY_THROWS_EXCEPTION(StoreError, AppendRepayment(*m_data, *m_cd, id, huge));
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("0"));
    }

    // A repayment of 0 repays nothing: refused, whichever way the 0 is typed.
    void zeroRepaymentRefused_data() {
        QTest::addColumn<QString>("amount");
        QTest::newRow("0") << S("0");
        QTest::newRow("0,00") << S("0,00");
        QTest::newRow(".0 with blanks") << S(" .0 ");
    }
    void zeroRepaymentRefused() {
        QFETCH(QString, amount);
        const qint64 id = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        const auto refusal = CheckRepayment({QDate(2024, 2, 1), amount, S("p")}).refusal;
        QVERIFY(refusal);
        QCOMPARE(refusal->key, S("repaymentzero"));
        QVERIFY_THROWS_EXCEPTION(
            StoreError, AppendRepayment(*m_data, *m_cd, id, {QDate(2024, 2, 1), amount, S("p")}));
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("0"));
        QCOMPARE(count("Data.db", "Data"), S("1"));
    }

    // A ledger write that fails undoes the whole command: the debt tables keep what they had.
    void commandsAreWholeOrAbsent_data() {
        QTest::addColumn<QString>("trigger"); // makes the ledger refuse one write
        QTest::addColumn<int>("command");     // 0 new debt, 1 repayment, 2 delete, 3 edit
        QTest::newRow("new debt") << S("BEFORE INSERT ON Data WHEN NEW.Type='CR'") << 0;
        QTest::newRow("repayment") << S("BEFORE INSERT ON Data WHEN NEW.Type='PC'") << 1;
        QTest::newRow("delete") << S("BEFORE DELETE ON Data WHEN OLD.Type='CR'") << 2;
        QTest::newRow("edit") << S("BEFORE UPDATE ON Data") << 3;
    }
    void commandsAreWholeOrAbsent() {
        QFETCH(QString, trigger);
        QFETCH(int, command);
        const qint64 debt = AppendDebt(*m_data, *m_cd, MakeDebt(true, "bank", "100", "$"));
        AppendRepayment(*m_data, *m_cd, debt, {QDate(2024, 2, 1), S("10"), S("p")});
        // Another program adds the trigger; the handles open again so that the store sees it.
        m_cd.reset();
        m_data.reset();
        ExecFile(
            tableFile("Data.db"),
            S("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(trigger));
        openDatabase();
        const auto act = [&] {
            switch (command) {
            case 0:
                AppendDebt(*m_data, *m_cd, MakeDebt(true, "second", "5", "$"));
                break;
            case 1:
                AppendRepayment(*m_data, *m_cd, debt, {QDate(2024, 3, 1), S("20"), S("q")});
                break;
            case 2:
                DeleteDebt(*m_data, *m_cd, debt);
                break;
            default:
                RewriteDebt(*m_data, *m_cd, debt, MakeDebt(true, "renamed", "7", "$"));
            }
        };
        QVERIFY_THROWS_EXCEPTION(StoreError, act());
        QCOMPARE(count("Credit.db", "Credit"), S("1"));
        QCOMPARE(count("OplataCredit.db", "OplataCredit"), S("1"));
        QCOMPARE(count("Data.db", "Data"), S("2"));
        QCOMPARE(column("Credit.db", "Credit", "Name", debt), S("bank"));
        QCOMPARE(m_cd->tbCredit.recordCount(), 1);
        QCOMPARE(m_cd->tbCredit2.field(S("Name")).text(), S("bank"));
    }

    // The grid's rows follow the exchange sort over table order: debts of one date may change
    // places with each other.
    void gridRowsFollowTheExchangeSort_data() {
        QTest::addColumn<QList<int>>("days"); // of January 2024, in table order
        QTest::addColumn<QString>("order");   // the names (table positions) as the grid lists them
        QTest::newRow("equal dates swapped") << QList<int>{2, 2, 1} << S("2 1 0");
        QTest::newRow("equal dates kept") << QList<int>{3, 1, 2, 1} << S("1 3 2 0");
        QTest::newRow("none") << QList<int>{} << QString();
    }
    void gridRowsFollowTheExchangeSort() {
        QFETCH(QList<int>, days);
        QFETCH(QString, order);
        for (int i = 0; i < days.size(); ++i) {
            Debt debt = MakeDebt(true, "", "100", "$", "0", "M", QDate(2024, 1, days.at(i)));
            debt.name = QString::number(i);
            AppendDebt(*m_data, *m_cd, debt);
        }
        QStringList names;
        for (const DebtRow& row : ReadDebtRows(*m_data, *m_cd))
            names << row.name;
        QCOMPARE(names.join(u' '), order);
    }

    // The display texts: the whole part cut toward zero and the sign.
    void displayTexts() {
        QCOMPARE(DebtValueText(1234.99, S("$")), S("1234 $"));
        QCOMPARE(DebtValueText(-0.5, S("$")), S("0 $"));
        QCOMPARE(DebtValueText(-12.7, QString()), S("-12 "));
    }
};

QTEST_GUILESS_MAIN(TestDebts)
#include "tst_debts.moc"
