#pragma once

#include <QChar>
#include <QDate>
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

} // namespace zovi
