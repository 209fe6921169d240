#include "views/dateperiods.h"

#include "core/locale.h"

namespace zovi {

namespace {

QString DateText(const QDate& date, DateForm form) {
    return form == DateForm::Iso ? date.toString(Qt::ISODate) : AppLocale::formatDate(date);
}

// A date written whole in the form: for yyyy-MM-dd exactly ten characters, so that "2026-1-5"
// or a date with trailing text is no date.
QDate DateOfText(const QString& text, DateForm form) {
    if (form == DateForm::Short)
        return AppLocale::parseDate(text);
    const QDate date = QDate::fromString(text, Qt::ISODate);
    return date.isValid() && date.toString(Qt::ISODate) == text ? date : QDate();
}

} // namespace

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

QString PeriodText(const DatePeriod& period, DateForm form) {
    return DateText(period.from, form) + QLatin1Char('-') + DateText(period.to, form);
}

std::optional<DatePeriod> ParsePeriodText(const QString& text, DateForm form) {
    if (const QDate day = DateOfText(text, form); day.isValid())
        return DatePeriod{day, day};
    // The dates may hold "-" themselves: try every "-" until both sides are dates.
    for (qsizetype dash = text.indexOf(QLatin1Char('-')); dash >= 0;
         dash = text.indexOf(QLatin1Char('-'), dash + 1)) {
        const QDate from = DateOfText(text.left(dash), form);
        const QDate to = DateOfText(text.mid(dash + 1), form);
        if (from.isValid() && to.isValid())
            return DatePeriod{from, to};
    }
    return std::nullopt;
}

} // namespace zovi
