#pragma once

#include <QChar>
#include <QDate>
#include <QLocale>
#include <QString>

namespace zovi {

// The user's number and date conventions, read once from the system locale.
// Every helper that writes or reads amounts and dates takes them from here; tests set them
// explicitly (comma separator, dd.MM.yyyy).
class AppLocale {
public:
    // The decimal separator of typed and displayed amounts ("," or ".").
    static QChar decimalSeparator();
    // The short date format, always with a four-digit year ("dd.MM.yyyy").
    static QString shortDateFormat();

    // Reads both from QLocale::system(); a two-digit year in the system's format is widened.
    static void loadFromSystem();
    // Sets both explicitly (tests, and a user override).
    static void set(QChar decimalSeparator, const QString& shortDateFormat);

    // A date as the grid and the filters write it, and back; an invalid QDate when the text
    // is not a date in the short format.
    static QString formatDate(const QDate& date);
    static QDate parseDate(const QString& text);

    // Widens a two-digit year ("yy") in a date format to four digits ("yyyy").
    static QString widenYear(const QString& format);
};

// A date as a user types it in a date field, or an invalid QDate when the text is no date. It
// takes the field's shown format (written with the month and day names of names, the language
// of the program) and the locale's long and short forms; the day, month and year as numbers in
// the order of the locale's short format, with any separators ("5.3.2024", "05/03/24"); a year
// first ("2024-03-05"); or the month as a name, full, short or in the genitive of the locale, of
// names or in English ("5 Mar 2024", "5 марта 2024 г.", "March 5, 2024"). A weekday name is
// allowed and skipped. A two-digit year is the one of 2000-2099 nearest to no more than 20 years
// ahead of today, else of 1900-1999.
QDate ReadTypedDate(const QString& text, const QLocale& locale, const QString& shownFormat = {},
                    const QLocale& names = QLocale::c());

// Whether text may still become a date as the user goes on typing: letters, digits, blanks and
// the separators of dates only, no number longer than a year.
bool MayBecomeDate(const QString& text);

} // namespace zovi
