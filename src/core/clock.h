#pragma once

#include <QDate>

namespace zovi {

// Today's date for the whole program. Nothing else asks the system for the date, so tests can
// fix it: the day flags, the current month, the quick view and the debt valuation follow it.
class Clock {
public:
    static QDate today();
    // Fixes today's date; an invalid date returns to the system's date.
    static void setToday(const QDate& date);
};

} // namespace zovi
