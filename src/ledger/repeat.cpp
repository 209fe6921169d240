#include "ledger/repeat.h"

#include "core/lang.h"
#include "ledger/deleteentry.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <algorithm>

namespace zovi {

namespace {

QDate RepetitionDate(QDate first, RepeatEvery every, int i) {
    switch (every) {
    case RepeatEvery::Week:
        return first.addDays(7 * qint64(i));
    case RepeatEvery::Month:
        return first.addMonths(i);
    case RepeatEvery::Year:
        return first.addYears(i);
    }
    return {};
}

QString LimitRefusal() {
    return LangText(QStringLiteral("repeat limit"),
                    QStringLiteral("An entry can be repeated at most %1 times."))
        .arg(kRepeatLimit);
}

// A row of a series as SeriesFrom orders it.
struct SeriesRow {
    QDate date;
    qint64 id;
};

} // namespace

std::optional<QString> RepeatRefusal(QDate first, const Repeat& repeat) {
    if (repeat.count > 0) {
        if (repeat.count < 2)
            return LangText(QStringLiteral("repeat count"),
                            QStringLiteral("A repeated entry is stored at least twice."));
        if (repeat.count > kRepeatLimit)
            return LimitRefusal();
        return std::nullopt;
    }
    if (!repeat.until.isValid() || !first.isValid() || repeat.until < first)
        return LangText(QStringLiteral("repeat until"),
                        QStringLiteral("The end date of the repetition is before the date of "
                                       "the entry."));
    // The last date within the limit must lie beyond the end date.
    if (RepetitionDate(first, repeat.every, kRepeatLimit) <= repeat.until)
        return LimitRefusal();
    return std::nullopt;
}

QList<QDate> RepeatDates(QDate first, const Repeat& repeat) {
    if (const auto refusal = RepeatRefusal(first, repeat))
        throw StoreError(*refusal);
    QList<QDate> dates;
    for (int i = 0; i < kRepeatLimit; ++i) {
        const QDate date = RepetitionDate(first, repeat.every, i);
        if (repeat.count > 0 ? i >= repeat.count : date > repeat.until)
            break;
        dates << date;
    }
    return dates;
}

qint64 SeriesOf(LedgerTables& data, qint64 id) {
    EntryById entry(data, id);
    return entry.found() ? entry.row().field(fields::Data::IDgrA).toInt() : 0;
}

QList<qint64> SeriesFrom(LedgerTables& data, qint64 id) {
    EntryById entry(data, id);
    if (!entry.found())
        return {};
    TableHandle& all = entry.row();
    const qint64 series = all.field(fields::Data::IDgrA).toInt();
    if (series == 0)
        return {id};
    const SeriesRow from{all.field(fields::Data::Date).toDate(), id};
    const auto before = [](const SeriesRow& a, const SeriesRow& b) {
        return a.date != b.date ? a.date < b.date : a.id < b.id;
    };
    QList<SeriesRow> rows;
    const int seriesColumn = all.fieldIndex(fields::Data::IDgrA);
    const int dateColumn = all.fieldIndex(fields::Data::Date);
    const int idColumn = all.fieldIndex(fields::Data::ID);
    for (int row = 0; row < all.recordCount(); ++row) {
        if (all.textAt(row, seriesColumn).toDouble() != double(series))
            continue;
        const SeriesRow candidate{all.dateAt(row, dateColumn),
                                  qint64(all.textAt(row, idColumn).toDouble())};
        if (!before(candidate, from))
            rows << candidate;
    }
    std::sort(rows.begin(), rows.end(), before);
    QList<qint64> ids;
    for (const SeriesRow& row : rows)
        ids << row.id;
    return ids;
}

bool HasLaterRepetitions(LedgerTables& data, qint64 id) {
    QList<qint64> own{id};
    if (DeleteActionFor(EntryType(data, id)) == DeleteAction::Transfer)
        own = TransferRowsToDelete(data, id);
    const QList<qint64> from = SeriesFrom(data, id);
    return std::any_of(from.begin(), from.end(), [&own](qint64 row) { return !own.contains(row); });
}

int DeleteSeriesFrom(LedgerTables& data, DebtTables& cd, qint64 id) {
    const QList<qint64> ids = SeriesFrom(data, id);
    if (ids.isEmpty())
        EntryById(data, id).require(id);
    return DeleteEntries(data, cd, ids);
}

} // namespace zovi
