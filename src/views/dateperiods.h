#pragma once

#include <QDate>

namespace zovi {

// A period of calendar days, both ends included.
struct DatePeriod {
    QDate from;
    QDate to;

    bool operator==(const DatePeriod&) const = default;
};

// A month of year as the quick filter's shortcuts take it: from the 1st to the last day of a
// fixed table of month lengths, in which February always ends on the 28th.
DatePeriod MonthOfTable(int year, int month);
// The month of today, by the same table.
DatePeriod CurrentMonthOfTable(const QDate& today);
// 1 January to 31 December of today's year.
DatePeriod CurrentYear(const QDate& today);
// Today to today.
DatePeriod Today(const QDate& today);
// The week around today: back to the nearest Monday, forward to the nearest Sunday (today
// itself when it is one).
DatePeriod Week(const QDate& today);
// A month of year from the 1st to its real last day (the 29th of February in leap years).
DatePeriod RealMonth(int year, int month);

} // namespace zovi
