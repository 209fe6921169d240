#pragma once

// Reading CSV files of banks and other programs (and the program's own CSV export): how the
// file is written (delimiter, encoding, header line, dates, decimals), its table of fields, what
// each column means, and the entries its lines give.

#include "imports/importfile.h"

#include <QChar>
#include <QList>
#include <QStringList>
#include <optional>

namespace zovi {

// What one column of a CSV file holds.
enum class CsvColumn {
    None, // not imported
    Date,
    Name,
    Amount, // signed: + money received, - money paid out
    Income,
    Charge, // money paid out, whether written positive or negative
    Currency,
    ChargeCurrency,
    Group,
    SubGroup,
    Account,
    Kind
};

// How a CSV file is written.
struct CsvFormat {
    QChar delimiter = u';';
    TextEncoding encoding = TextEncoding::Utf8;
    bool header = true; // the first line holds the column names
    DateOrder dateOrder = DateOrder::DayMonthYear;
    QChar decimal = u'.';
    QChar thousands; // null: none (blanks and "'" between digit groups are always read)
};

// One line of the table (a quoted field may span several physical lines).
struct CsvRecord {
    int line = 0; // the 1-based physical line the record starts on
    QStringList fields;
    QString text; // the record's raw text, for messages
};

struct CsvTable {
    QStringList header; // the column names, when the format has a header line
    QList<CsvRecord> records;
    // The number of columns: the most fields of the header or any record.
    int columnCount() const;
};

// One role per column of the table.
using CsvMapping = QList<CsvColumn>;

// The format the bytes look written in: the delimiter among ",", ";" and tab, the text encoding,
// whether the first line names the columns, the order of the dates, and the decimal and
// thousands separators of the amounts.
CsvFormat GuessCsvFormat(const QByteArray& bytes);

// The table of the bytes: quoted fields may hold delimiters, doubled quotes and line breaks;
// lines end with CRLF or LF; blank lines are skipped; the first line goes to header when the
// format has one.
CsvTable ReadCsvTable(const QByteArray& bytes, const CsvFormat& format);

// The roles of the columns, from the header names (English and Russian) and, for what they leave
// open or when there are none, from the data: a column of dates, a column of numbers, the
// longest text as the name, three-letter codes as the currency.
CsvMapping GuessCsvMapping(const QStringList& header, const CsvTable& table);

// The mapping a file with exactly this header line was last imported with (kept in the
// settings); empty when there is none or it does not fit the header.
std::optional<CsvMapping> RememberedCsvMapping(const QStringList& header);
void RememberCsvMapping(const QStringList& header, const CsvMapping& mapping);

// The entries of the table's records. A record whose date or amount cannot be read goes into
// unread with a reason. In the program's own CSV a transfer's two rows ("P1", then a later "P2"
// of the same date and amount) become one entry, and an exchange ("O") gives what arrived as
// the amount and what left as given. Throws ImportError when no column holds the date or none
// the amount.
ImportedFile CsvEntries(const CsvTable& table, const CsvFormat& format, const CsvMapping& mapping);

} // namespace zovi
