#include "views/tests.h"

#include "views/sortorder.h"

#include <QRandomGenerator>
#include <QTest>
#include <map>

using namespace zovi;

namespace {

using Keys = std::vector<qint64>;

// Compares every fast entry point with the double loop for the same keys.
void expectSameAsDirect(const Keys& keys) {
    const auto less = [&keys](int a, int b) {
        return keys[std::size_t(a)] < keys[std::size_t(b)];
    };
    const std::vector<int> expected = ExchangeSortOrderDirect(int(keys.size()), less);
    QCOMPARE(ExchangeSortOrder(keys), expected);
    QCOMPARE(ExchangeSortOrder(int(keys.size()), less), expected);
    QList<QByteArray> texts;
    for (qint64 key : keys) {
        texts.append(QByteArray::number(key + 100)); // same length, so byte order is number order
    }
    QCOMPARE(ExchangeSortOrder(texts), expected);
    // Rows pointing to one stored text, and rows holding equal texts of their own, rank alike.
    std::map<qint64, QString> shared;
    std::vector<QString> own;
    own.reserve(keys.size());
    std::vector<const QString*> rows;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString text = QString::number(keys[i] + 100);
        own.push_back(QString(text.constData(), text.size()));
        rows.push_back(i % 2 ? &own.back() : &shared.try_emplace(keys[i], text).first->second);
    }
    QCOMPARE(ExchangeSortOrder(rows), expected);
}

} // namespace

class TestSortOrder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tiesFollowTheExchanges() {
        QCOMPARE(ExchangeSortOrder(Keys{}), std::vector<int>{});
        QCOMPARE(ExchangeSortOrder(-2, [](int, int) { return false; }), std::vector<int>{});
        QCOMPARE(ExchangeSortOrder(Keys{7}), std::vector<int>{0});
        // Worked by hand through the double loop: equal dates end reversed or kept.
        QCOMPARE(ExchangeSortOrder(Keys{5, 5, 3}), (std::vector<int>{2, 1, 0}));
        QCOMPARE(ExchangeSortOrder(Keys{3, 1, 3, 1, 0}), (std::vector<int>{4, 3, 1, 0, 2}));
        QCOMPARE(ExchangeSortOrder(Keys{2, 2, 2, 1, 1}), (std::vector<int>{3, 4, 2, 0, 1}));
    }

    void textsCompareByteByByte() {
        const QStringList names{QStringLiteral("apple"), QStringLiteral("Zebra")};
        QCOMPARE(ExchangeSortOrder(names), (std::vector<int>{1, 0}));
        // Bytes are unsigned: 0xE9 sorts after "z"; a prefix sorts first.
        const QList<QByteArray> bytes{"\xE9", "z", "apple", "app"};
        QCOMPARE(ExchangeSortOrder(bytes), (std::vector<int>{3, 2, 1, 0}));
        // Stored UTF-8 orders by code point: U+FF21 before U+1F600 (UTF-16 units would not).
        const QStringList wide{QString::fromUtf8("\xF0\x9F\x98\x80"), QString(QChar(0xFF21))};
        QCOMPARE(ExchangeSortOrder(wide), (std::vector<int>{1, 0}));
        const QStringList mixed{QString::fromUtf8("\xF0\x9F\x98\x80"
                                                  "b"),
                                QString(QChar(0xD7FF)),
                                QString::fromUtf8("\xF0\x9F\x98\x80"
                                                  "a"),
                                QString(QChar(0xE000))};
        QCOMPARE(ExchangeSortOrder(mixed), (std::vector<int>{1, 3, 2, 0}));
    }

    void matchesDoubleLoopOnShuffledKeys() {
        QRandomGenerator random(20240611);
        for (int round = 0; round < 3000; ++round) {
            Keys keys(std::size_t(random.bounded(201)));
            const int distinct = 1 + random.bounded(round % 2 == 0 ? 4 : 30);
            for (qint64& key : keys) {
                key = random.bounded(distinct);
            }
            expectSameAsDirect(keys);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }

    void matchesDoubleLoopOnOrderedShapes() {
        QRandomGenerator random(7);
        Keys nearly, reversed, equal(1500, 2459000);
        for (int row = 0; row < 1500; ++row) {
            nearly.push_back(2459000 + row / 4 -
                             (random.bounded(10) == 0 ? random.bounded(20) : 0));
            reversed.push_back(2459000 - row / 3);
        }
        expectSameAsDirect(nearly);
        expectSameAsDirect(reversed);
        expectSameAsDirect(equal);
        // A coarser key through the generic comparison: rows fall into classes of five days.
        const auto byWeekish = [&nearly](int a, int b) {
            return nearly[std::size_t(a)] / 5 < nearly[std::size_t(b)] / 5;
        };
        QCOMPARE(ExchangeSortOrder(1500, byWeekish), ExchangeSortOrderDirect(1500, byWeekish));
    }

    void largeLedgerGivesSortedPermutation() {
        QRandomGenerator random(11);
        Keys dates;
        for (int row = 0; row < 100000; ++row) {
            dates.push_back(2450000 + row / 8 - (random.bounded(20) == 0 ? random.bounded(60) : 0));
        }
        const std::vector<int> order = ExchangeSortOrder(dates);
        QCOMPARE(order.size(), dates.size());
        std::vector<bool> seen(dates.size(), false);
        for (std::size_t k = 0; k < order.size(); ++k) {
            QVERIFY(order[k] >= 0 && std::size_t(order[k]) < dates.size() &&
                    !seen[std::size_t(order[k])]);
            seen[std::size_t(order[k])] = true;
            QVERIFY(k == 0 || dates[std::size_t(order[k - 1])] <= dates[std::size_t(order[k])]);
        }
    }
};

QObject* zovi::test::NewSortOrderTest() {
    return new TestSortOrder;
}

#include "tst_sortorder.moc"
