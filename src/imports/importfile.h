#pragma once

// What the readers of other programs' and banks' files (CSV, QIF, OFX) hand to the import: the
// entries as the file states them, before they meet the database, and the lines that could not
// be read. The small readers of texts every format needs (amounts, dates, text encodings) live
// here once.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <exception>
#include <optional>

namespace zovi {

// One entry read from a file.
struct ImportedEntry {
    int line = 0; // the line of the file (1-based) the entry starts on, for messages
    QDate date;
    QString name;
    double amount = 0; // signed in the entry's currency: + money received, - money paid out
    QString currency;  // as the file names it (a code such as "USD", a name or a sign); empty:
                       // the file's currency (ImportedFile::currency), else the main currency
    QString group;     // the category; empty when the file gives none
    QString subGroup;
    QString account; // the account the file puts it in; empty: the account chosen for the import
    // Set: the entry is a transfer between its account and this one. A negative amount leaves
    // for transferAccount, a positive one arrives from it.
    QString transferAccount;
    QString transferName; // the name of the transfer's row in transferAccount; empty: name
    QString kind; // the ledger's Type code, when the file states it (the program's own CSV)
    // An exchange (kind "O") read back from the program's own CSV: amount/currency is what
    // arrived, given (negative) in givenCurrency what left.
    double given = 0;
    QString givenCurrency;
};

// A line of the file that gives no entry, and why ("no date", "the amount is no number").
struct UnreadLine {
    int line = 0;
    QString text;
    QString reason;
};

struct ImportedFile {
    QList<ImportedEntry> entries;
    QList<UnreadLine> unread;
    QString currency; // the statement's own currency (OFX CURDEF); empty when the file names none
};

// A file that is not of the chosen kind at all, or cannot be read: a readable message for the
// user's error box. Nothing has been imported when it is thrown.
class ImportError : public std::exception {
public:
    explicit ImportError(QString message);
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The text encodings the import reads.
enum class TextEncoding { Utf8, Utf8Bom, Windows1251 };

// UTF-8 with a byte-order mark when the bytes start with one, UTF-8 when they are valid UTF-8,
// Windows-1251 otherwise.
TextEncoding GuessEncoding(const QByteArray& bytes);
// The text of bytes in an encoding (a leading byte-order mark is dropped).
QString DecodeAs(const QByteArray& bytes, TextEncoding encoding);

// The order of day, month and year in a date text.
enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// A date written with any of the separators ".", "/", "-", "'" or blanks between its three
// numbers ("31.12.2024", "12/31/2024", "2024-12-31", "1/2'24", "1/ 2/98"), in the given order
// (a four-digit first number always reads as a year first). A two-digit year is 2000 + y up to
// 69 and 1900 + y from 70; after "'" it is always 2000 + y. Empty when the text is no real date.
std::optional<QDate> ReadImportDate(QStringView text, DateOrder order);

// An amount written with the given decimal separator and, when thousandsSeparator is not null,
// that thousands separator (blanks, no-break blanks and "'" between digit groups are always
// allowed). A leading or trailing "-", "+" or brackets "(12.50)" give the sign; a currency
// sign or code before or after the number is not allowed. Empty when the text is no number.
std::optional<double> ReadImportAmount(QStringView text, QChar decimalSeparator,
                                       QChar thousandsSeparator = QChar());

} // namespace zovi
