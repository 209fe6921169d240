#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace zovi {

// A period of calendar days, both ends included.
struct DatePeriod {
    QDate from;
    QDate to;

    bool operator==(const DatePeriod&) const = default;
};

// A month of year from the 1st to its real last day (the 29th of February in leap years).
DatePeriod Month(int year, int month);
// The month of today.
DatePeriod CurrentMonth(const QDate& today);
// 1 January to 31 December of today's year.
DatePeriod CurrentYear(const QDate& today);
// Today to today.
DatePeriod Today(const QDate& today);
// The week around today: back to the nearest Monday, forward to the nearest Sunday (today
// itself when it is one).
DatePeriod Week(const QDate& today);

// How the dates of a period's text are written: in the short date format, as the dates list
// shows them and the filters take them, or as yyyy-MM-dd, which reads the same under every
// locale (the preset files).
enum class DateForm { Short, Iso };

// A period as a line of the dates list: the from-date, "-", the to-date.
QString PeriodText(const DatePeriod& period, DateForm form = DateForm::Short);

// The period of such a line. It is split at the "-" that leaves a date on both sides, since the
// dates may hold "-" themselves ("2026-12-01-2026-12-31"); a line that is one date gives that
// day. Nothing when no split gives two dates.
std::optional<DatePeriod> ParsePeriodText(const QString& text, DateForm form = DateForm::Short);

} // namespace zovi
