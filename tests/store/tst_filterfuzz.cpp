#include "fixtures.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QTest>
#include <algorithm>
#include <optional>
#include <random>
#include <set>

using namespace zovi;

namespace {

using Ids = std::set<qint64>;

// Picks one element of a list at random.
template <typename T, size_t N> const T& Pick(std::mt19937& rng, const T (&list)[N]) {
    return list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

int Below(std::mt19937& rng, int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(rng);
}

const char* const kNames[] = {"rent", "bread", "O'Brien", "Хлеб", "хлеб", "", "a b", "RENT"};
const char* const kAccounts[] = {"Main", "Wallet", "[...]", "main"};
const char* const kTypes[] = {"R", "D", "r"};
const double kValues[] = {-300, -2.5, 0, 1.2, 1000, -0.5};
const char* const kDates[] = {"28.02.2005", "01.03.2005", "31.03.2005", "01.04.2005"};

// Filter texts made from the language's pieces: conditions on every kind of field (now and then
// with a literal of the wrong kind), brackets, AND and OR in any letter case.
class FilterMaker {
public:
    explicit FilterMaker(std::mt19937& rng) : m_rng(rng) {}

    QString expression(int depth) {
        QString text = term(depth);
        for (int n = Below(m_rng, 3); n > 0; --n) {
            static const char* const joins[] = {" AND ", " OR ", " and ", " Or "};
            text += QString::fromLatin1(Pick(m_rng, joins)) + term(depth);
        }
        return text;
    }

    // Edits that make near-misses: a character dropped, inserted or doubled, the end cut off.
    QString mutate(QString text) {
        static const char* const pieces[] = {"(", ")", "'", "''", "=", "<", ">", " AND ", " OR ",
                                             "0", "-", ".", ",",  "x", "Я", " ", "Name",  "_"};
        for (int n = 1 + Below(m_rng, 3); n > 0; --n) {
            const int at = text.isEmpty() ? 0 : Below(m_rng, int(text.size()) + 1);
            switch (Below(m_rng, 4)) {
            case 0:
                if (at < text.size())
                    text.remove(at, 1 + Below(m_rng, 3));
                break;
            case 1:
                text.insert(at, QString::fromUtf8(Pick(m_rng, pieces)));
                break;
            case 2:
                text.insert(at, text.mid(at, Below(m_rng, 8)));
                break;
            default:
                text.truncate(at);
                break;
            }
        }
        return text;
    }

private:
    QString term(int depth) {
        if (depth > 0 && Below(m_rng, 3) == 0)
            return QLatin1Char('(') + expression(depth - 1) + QLatin1Char(')');
        return condition();
    }

    QString condition() {
        static const char* const ops[] = {"=", "<>", ">=", "<=", ">", "<"};
        const QString op = QString::fromLatin1(Pick(m_rng, ops));
        // One condition in twenty-five is meant to be refused.
        const int kind = Below(m_rng, 25);
        switch (kind < 24 ? kind % 6 : 6) {
        case 0:
            return QStringLiteral("Name") + op + quoted(QString::fromUtf8(Pick(m_rng, kNames)));
        case 1:
            return QStringLiteral("gr1") + op + quoted(QString::fromUtf8(Pick(m_rng, kAccounts)));
        case 2:
            return QStringLiteral("Type") + op + quoted(QString::fromLatin1(Pick(m_rng, kTypes)));
        case 3: {
            const QString v = QLocale::c().toString(Pick(m_rng, kValues));
            return QStringLiteral("Value") + op +
                   (Below(m_rng, 2) ? v : quoted(QString(v).replace(u'.', u',')));
        }
        case 4:
            return QStringLiteral("Date") + op + quoted(QString::fromLatin1(Pick(m_rng, kDates)));
        case 5:
            return QStringLiteral("ID") + op + QString::number(Below(m_rng, 30));
        default: // a literal of the wrong kind or a field the table lacks
            return QString::fromLatin1(Below(m_rng, 2) ? "Value" : "Gr9") + op +
                   quoted(QString::fromUtf8(Pick(m_rng, kNames)));
        }
    }

    static QString quoted(QString text) {
        return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    }

    std::mt19937& m_rng;
};

} // namespace

// Generated and mutated filter texts over a real ledger table: whatever the text, the store
// either refuses it with its error or filters, and the rows of "(A) AND (B)" and "(A) OR (B)"
// are the intersection and the union of the rows of A and of B.
class TestFilterFuzz : public zovi::test::DatabaseTest {
    Q_OBJECT

    // The IDs of the rows a filter admits, or nothing when the store refuses the text.
    static std::optional<Ids> Matched(TableHandle& t, const QString& filter) {
        try {
            t.setFilter(filter);
        } catch (const StoreError&) {
            return std::nullopt;
        }
        Ids ids;
        for (t.first(); !t.eof(); t.next())
            ids.insert(t.field(QStringLiteral("ID")).toInt());
        return ids;
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    void compositionsAgree() {
        std::mt19937 rng(20050331);
        {
            Transaction tr;
            for (int i = 0; i < 40; ++i) {
                zovi::test::Put(
                    m_data->tbData2,
                    {{"Date", QString::fromLatin1(Pick(rng, kDates))},
                     {"Name", i % 9 == 0 ? QVariant() : QString::fromUtf8(Pick(rng, kNames))},
                     {"Gr1", QString::fromUtf8(Pick(rng, kAccounts))},
                     {"Type", QString::fromLatin1(Pick(rng, kTypes))},
                     {"Value", i % 11 == 0 ? QVariant() : QVariant(Pick(rng, kValues))}});
            }
            tr.commit();
        }
        TableHandle t(QStringLiteral("fuzz"));
        t.setPath(tableFile("Data.db"));
        t.open();
        t.setFiltered(true);
        QCOMPARE(t.recordCount(), 40);

        FilterMaker maker(rng);
        int pairs = 0;
        int refused = 0;
        for (int i = 0; i < 20000; ++i) {
            t.setCaseInsensitive(Below(rng, 2) == 0);
            QString texts[2];
            for (QString& text : texts) {
                text = maker.expression(3);
                if (Below(rng, 3) == 0) {
                    // A blank text admits every row but cannot stand in brackets.
                    const QString mutated = maker.mutate(text);
                    if (!mutated.trimmed().isEmpty())
                        text = mutated;
                }
            }
            // Deep brackets: up to 150 pairs must work, more than 200 are always refused.
            if (Below(rng, 8) == 0) {
                const int deep = Below(rng, 2) ? 1 + Below(rng, 150) : 201 + Below(rng, 3000);
                texts[0] = QString(deep, u'(') + texts[0] + QString(deep, u')');
                if (deep > 200) {
                    QVERIFY2(!Matched(t, texts[0]), qPrintable(texts[0]));
                    continue;
                }
            }
            const auto a = Matched(t, texts[0]);
            const auto b = Matched(t, texts[1]);
            if (!a || !b) {
                ++refused;
                continue;
            }
            ++pairs;
            const QString both = QLatin1Char('(') + texts[0] + QStringLiteral(") AND (") +
                                 texts[1] + QLatin1Char(')');
            const QString either = QLatin1Char('(') + texts[0] + QStringLiteral(") OR (") +
                                   texts[1] + QLatin1Char(')');
            Ids intersection, united;
            std::set_intersection(a->begin(), a->end(), b->begin(), b->end(),
                                  std::inserter(intersection, intersection.end()));
            std::set_union(a->begin(), a->end(), b->begin(), b->end(),
                           std::inserter(united, united.end()));
            const auto andRows = Matched(t, both);
            QVERIFY2(andRows, qPrintable(both));
            QVERIFY2(*andRows == intersection, qPrintable(both));
            const auto orRows = Matched(t, either);
            QVERIFY2(orRows, qPrintable(either));
            QVERIFY2(*orRows == united, qPrintable(either));
        }
        // The run must have exercised both sides: filters that work and texts that are refused.
        qInfo("%d pairs compared, %d refused", pairs, refused);
        QVERIFY2(pairs > 5000, qPrintable(QString::number(pairs)));
        QVERIFY2(refused > 5000, qPrintable(QString::number(refused)));
    }
};

QTEST_GUILESS_MAIN(TestFilterFuzz)
#include "tst_filterfuzz.moc"
