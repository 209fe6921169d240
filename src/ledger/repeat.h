#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace zovi {

class LedgerTables;
class DebtTables;

// How often a repeating entry comes back.
enum class RepeatEvery { Week, Month, Year };

// A repeating entry: every week, month or year, either a number of times (count, the first
// entry included, so 3 stores the entry and two repetitions) or up to and including an end date
// (until, used when count is 0).
struct Repeat {
    RepeatEvery every = RepeatEvery::Month;
    int count = 0;
    QDate until;
};

// The most entries one repetition stores.
constexpr int kRepeatLimit = 1000;

// Why a repetition from first cannot be stored: a count below 2, an end date that is no date or
// lies before the first date, or more than kRepeatLimit dates; none when it can.
std::optional<QString> RepeatRefusal(QDate first, const Repeat& repeat);

// The dates of the entries of a repetition, first included. Each is counted from the first date
// (first.addDays(7 * i), addMonths(i), addYears(i)), not from the one before, so a month
// repetition from 31 January falls on the last day of February and then on 31 March, and a year
// repetition from 29 February falls on 28 February in the years between. Throws StoreError with
// RepeatRefusal's message when the repetition is refused.
QList<QDate> RepeatDates(QDate first, const Repeat& repeat);

// The entries of a repetition are marked as one series: their IDgrA, a field no other operation
// of the ledger writes or reads, holds the ID of the series' first row (of a transfer: its
// leaving row, on both legs). A single entry leaves IDgrA empty. Editing and moving an entry keep
// the mark.
//
// The series mark of the entry with this ID: 0 when it belongs to no series or does not exist.
qint64 SeriesOf(LedgerTables& data, qint64 id);

// The entry with this ID and every entry of its series that comes later: dated after it, or on
// its date with a greater ID; in order of date and ID. Only the entry itself when it belongs to
// no series; none when no entry has the ID.
QList<qint64> SeriesFrom(LedgerTables& data, qint64 id);

// Whether deleting the entry with this ID can also delete later entries of its series: whether
// SeriesFrom names any row besides the entry and its transfer partner.
bool HasLaterRepetitions(LedgerTables& data, qint64 id);

// Deletes the entry with this ID and every later entry of its series (SeriesFrom), transfers with
// both rows, as DeleteEntries does: in one Transaction, refreshing the ledger views. Returns the
// number of ledger rows removed; throws StoreError, deleting nothing, when one cannot be deleted.
int DeleteSeriesFrom(LedgerTables& data, DebtTables& cd, qint64 id);

} // namespace zovi
