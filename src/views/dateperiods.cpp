#include "views/dateperiods.h"

namespace zovi {

DatePeriod Month(int year, int month) {
    const QDate first(year, month, 1);
    return {first, QDate(year, month, first.daysInMonth())};
}

DatePeriod CurrentMonth(const QDate& today) {
    return Month(today.year(), today.month());
}

DatePeriod CurrentYear(const QDate& today) {
    return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
}

DatePeriod Today(const QDate& today) {
    return {today, today};
}

DatePeriod Week(const QDate& today) {
    // Monday is day 1 of the week, Sunday day 7.
    const int day = today.dayOfWeek();
    return {today.addDays(1 - day), today.addDays(7 - day)};
}

} // namespace zovi
