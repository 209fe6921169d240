#pragma once

#include <QDate>

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

} // namespace zovi
