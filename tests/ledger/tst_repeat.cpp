#include "fixtures.h"
#include "ledger/deleteentry.h"
#include "ledger/ledgertest.h"
#include "ledger/repeat.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QTest>

using namespace zovi;
using namespace zovi::test;

using Dates = QList<QDate>;

// Repeating entries: the dates of a repetition, the series stored in one transaction and
// deleting an entry of a series with the later ones.
class TestRepeat : public LedgerTest {
    Q_OBJECT

    // Every ledger row of the file in ID order, as
    // "ID Date Type Name Gr1 Gr2 Value Dohod Rashod Valuta IDsecond IDgrA".
    QStringList storedRows() {
        return QueryFile(dataFile(),
                         QStringLiteral(
                             "SELECT group_concat(r, '|') FROM (SELECT ID||' '||Date||' '||Type||"
                             "' '||Name||' '||Gr1||' '||Gr2||' '||Value||' '||coalesce(Dohod,'-')"
                             "||' '||coalesce(Rashod,'-')||' '||Valuta||' '||coalesce(CAST("
                             "IDsecond AS INTEGER),'-')||' '||coalesce(CAST(IDgrA AS INTEGER),'-')"
                             " AS r FROM Data ORDER BY ID)"))
            .split(QLatin1Char('|'), Qt::SkipEmptyParts);
    }

    StandardEntry rent(QDate date) {
        return {false, date, S("rent"), S("700"), S("R"), S("Home"), QString()};
    }
    Transfer saving(QDate date) {
        return {date, S("50"), S("R"), S("Main"), S("Bank"), S("to bank"), S("from main")};
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        fillCurrencies();
    }
    void cleanup() { cleanupDatabase(); }

    void repeatDates_data() {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<int>("every");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDate>("until");
        QTest::addColumn<Dates>("dates"); // none: refused
        const auto W = int(RepeatEvery::Week), M = int(RepeatEvery::Month),
                   Y = int(RepeatEvery::Year);
        QTest::newRow("31 Jan monthly over a leap February")
            << QDate(2024, 1, 31) << M << 4 << QDate()
            << Dates{{2024, 1, 31}, {2024, 2, 29}, {2024, 3, 31}, {2024, 4, 30}};
        QTest::newRow("31 Jan monthly over a short February")
            << QDate(2025, 1, 31) << M << 3 << QDate()
            << Dates{{2025, 1, 31}, {2025, 2, 28}, {2025, 3, 31}};
        QTest::newRow("30 Jan monthly") << QDate(2025, 1, 30) << M << 3 << QDate()
                                        << Dates{{2025, 1, 30}, {2025, 2, 28}, {2025, 3, 30}};
        QTest::newRow("29 Feb yearly")
            << QDate(2024, 2, 29) << Y << 0 << QDate(2028, 3, 1)
            << Dates{{2024, 2, 29}, {2025, 2, 28}, {2026, 2, 28}, {2027, 2, 28}, {2028, 2, 29}};
        QTest::newRow("weekly over a year's end")
            << QDate(2025, 12, 24) << W << 3 << QDate()
            << Dates{{2025, 12, 24}, {2025, 12, 31}, {2026, 1, 7}};
        QTest::newRow("until the last date, inclusive")
            << QDate(2025, 1, 15) << M << 0 << QDate(2025, 3, 15)
            << Dates{{2025, 1, 15}, {2025, 2, 15}, {2025, 3, 15}};
        QTest::newRow("until a day before the last date")
            << QDate(2025, 1, 15) << M << 0 << QDate(2025, 3, 14)
            << Dates{{2025, 1, 15}, {2025, 2, 15}};
        QTest::newRow("until the first date")
            << QDate(2025, 1, 15) << W << 0 << QDate(2025, 1, 15) << Dates{{2025, 1, 15}};
        QTest::newRow("until before the first date")
            << QDate(2025, 1, 15) << M << 0 << QDate(2025, 1, 14) << Dates{};
        QTest::newRow("no count, no end") << QDate(2025, 1, 15) << M << 0 << QDate() << Dates{};
        QTest::newRow("count 1") << QDate(2025, 1, 15) << M << 1 << QDate() << Dates{};
        QTest::newRow("count at the limit") << QDate(2025, 1, 1) << W << kRepeatLimit << QDate()
                                            << Dates{QDate(2025, 1, 1).addDays(7 * 999)};
        QTest::newRow("count over the limit")
            << QDate(2025, 1, 1) << W << kRepeatLimit + 1 << QDate() << Dates{};
        QTest::newRow("end date over the limit")
            << QDate(2025, 1, 1) << W << 0 << QDate(2025, 1, 1).addDays(7 * 1000) << Dates{};
    }

    // Each date counts from the first, so a short month does not shift the ones after it.
    void repeatDates() {
        QFETCH(QDate, first);
        QFETCH(int, every);
        QFETCH(int, count);
        QFETCH(QDate, until);
        QFETCH(Dates, dates);
        const Repeat repeat{RepeatEvery(every), count, until};
        if (dates.isEmpty()) {
            QVERIFY(RepeatRefusal(first, repeat));
            QVERIFY_THROWS_EXCEPTION(StoreError, RepeatDates(first, repeat));
            return;
        }
        QVERIFY(!RepeatRefusal(first, repeat));
        const Dates got = RepeatDates(first, repeat);
        if (count == kRepeatLimit) {
            QCOMPARE(got.size(), kRepeatLimit);
            QCOMPARE(got.last(), dates.last());
        } else {
            QCOMPARE(got, dates);
        }
    }

    // Every repetition is an ordinary row, marked with the first row's ID; a transfer's legs are
    // linked to each other and both carry the series of the first leaving row.
    void storesSeries_data() {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("charges") << false
                                 << QStringList{
                                        S("1 2025-01-31 R rent Main Home -700.0 - 700 R RUB - 1"),
                                        S("2 2025-02-28 R rent Main Home -700.0 - 700 R RUB - 1"),
                                        S("3 2025-03-31 R rent Main Home -700.0 - 700 R RUB - 1")};
        QTest::newRow("transfers")
            << true
            << QStringList{S("1 2025-01-31 P1 to bank Main (TRANSFER->) -50.0 - 50 R RUB 2 1"),
                           S("2 2025-01-31 P2 from main Bank (->TRANSFER) 50.0 50 R - RUB 1 1"),
                           S("3 2025-02-28 P1 to bank Main (TRANSFER->) -50.0 - 50 R RUB 4 1"),
                           S("4 2025-02-28 P2 from main Bank (->TRANSFER) 50.0 50 R - RUB 3 1"),
                           S("5 2025-03-31 P1 to bank Main (TRANSFER->) -50.0 - 50 R RUB 6 1"),
                           S("6 2025-03-31 P2 from main Bank (->TRANSFER) 50.0 50 R - RUB 5 1")};
    }
    void storesSeries() {
        QFETCH(bool, transfer);
        QFETCH(QStringList, rows);
        const QDate first(2025, 1, 31);
        const Repeat repeat{RepeatEvery::Month, 3, {}};
        if (transfer) {
            const TransferRows pair = AppendTransfer(*m_data, saving(first), repeat);
            QCOMPARE(pair.out, 1);
            QCOMPARE(pair.in, 2);
        } else {
            QCOMPARE(AppendStandardEntry(*m_data, rent(first), S("Main"), repeat), 1);
        }
        QCOMPARE(storedRows(), rows);
        // The views show the new rows at once.
        QCOMPARE(m_data->tbData.recordCount(), rows.size());
        // A single entry stays out of any series.
        const qint64 single = transfer ? AppendTransfer(*m_data, saving(first)).out
                                       : AppendStandardEntry(*m_data, rent(first), S("Main"));
        QCOMPARE(SeriesOf(*m_data, single), 0);
        QCOMPARE(SeriesOf(*m_data, 3), 1);
        // Editing and moving a repetition keep its mark.
        refreshLedger();
        if (transfer)
            RewriteTransfer(*m_data, saving(first.addDays(1)), {3, 4});
        else
            RewriteStandardEntry(*m_data, 3, rent(first.addDays(1)), S("Main"));
        MoveEntry(*m_data, 3, S("Wallet"));
        QCOMPARE(SeriesOf(*m_data, 3), 1);
        // Ordered by date: the edited one now comes first after the series' first row.
        QCOMPARE(SeriesFrom(*m_data, 1),
                 (transfer ? QList<qint64>{1, 2, 3, 4, 5, 6} : QList<qint64>{1, 3, 2}));
    }

    // A store that refuses the writes, or a refused repetition, leaves nothing of the series.
    void failedSeriesStoresNothing_data() {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<bool>("locked");
        QTest::newRow("charges, file locked") << false << true;
        QTest::newRow("transfers, file locked") << true << true;
        QTest::newRow("charges, too many") << false << false;
        QTest::newRow("transfers, too many") << true << false;
    }
    void failedSeriesStoresNothing() {
        QFETCH(bool, transfer);
        QFETCH(bool, locked);
        const Repeat repeat{RepeatEvery::Week, locked ? 5 : kRepeatLimit + 1, {}};
        const QDate first(2025, 1, 31);
        {
            std::unique_ptr<WriteLock> lock;
            if (locked)
                lock = std::make_unique<WriteLock>(dataFile());
            if (transfer)
                QVERIFY_THROWS_EXCEPTION(StoreError,
                                         AppendTransfer(*m_data, saving(first), repeat));
            else
                QVERIFY_THROWS_EXCEPTION(
                    StoreError, AppendStandardEntry(*m_data, rent(first), S("Main"), repeat));
        }
        QCOMPARE(storedRows(), QStringList());
        refreshLedger();
        QCOMPARE(m_data->tbData.recordCount(), 0);
        QVERIFY(!Transaction::active());
    }

    // "This and later": the chosen entry and the later ones of its series go, transfers with
    // both legs; earlier repetitions, other series and single entries stay.
    void deleteSeriesFrom_data() {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("later");
        QTest::addColumn<QList<qint64>>("kept");
        // Rows 1-4 the series (Jan to Apr; transfers: pairs 1/2 to 7/8), then another series of
        // two dated in May, then a single entry dated in June.
        QTest::newRow("charges from the second") << false << 2 << true << QList<qint64>{1, 5, 6, 7};
        QTest::newRow("charges from the first") << false << 1 << true << QList<qint64>{5, 6, 7};
        QTest::newRow("charges, the last only")
            << false << 4 << false << QList<qint64>{1, 2, 3, 5, 6, 7};
        QTest::newRow("transfers from an arriving leg")
            << true << 4 << true << QList<qint64>{1, 2, 9, 10, 11, 12, 13, 14};
        QTest::newRow("transfers, the last pair only")
            << true << 7 << false << QList<qint64>{1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14};
        QTest::newRow("transfers from a leaving leg")
            << true << 5 << true << QList<qint64>{1, 2, 3, 4, 9, 10, 11, 12, 13, 14};
        QTest::newRow("a single entry")
            << true << 13 << false << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    }
    void deleteSeriesFrom() {
        QFETCH(bool, transfer);
        QFETCH(int, from);
        QFETCH(bool, later);
        QFETCH(QList<qint64>, kept);
        const auto store = [&](QDate date, int count) {
            const std::optional<Repeat> repeat =
                count > 1 ? std::optional<Repeat>(Repeat{RepeatEvery::Month, count, {}})
                          : std::nullopt;
            if (transfer)
                AppendTransfer(*m_data, saving(date), repeat);
            else
                AppendStandardEntry(*m_data, rent(date), S("Main"), repeat);
        };
        store({2025, 1, 10}, 4);
        store({2025, 5, 1}, 2);
        store({2025, 6, 1}, 1);
        refreshLedger();
        QCOMPARE(HasLaterRepetitions(*m_data, from), later);
        DeleteSeriesFrom(*m_data, *m_cd, from);
        QList<qint64> ids;
        for (const QString& row : storedRows())
            ids << row.section(QLatin1Char(' '), 0, 0).toLongLong();
        QCOMPARE(ids, kept);
        QCOMPARE(m_data->tbData.recordCount(), kept.size());
    }
};

QTEST_GUILESS_MAIN(TestRepeat)
#include "tst_repeat.moc"
