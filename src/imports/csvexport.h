#pragma once

// The CSV export of the ledger: the entries the ledger view shows, written so that the CSV
// import reads them back as they are stored.

#include <QByteArray>
#include <QString>
#include <exception>

namespace zovi {

class TableHandle;

// A CSV file that could not be written: the error box's text, naming the file and the reason.
// The file is left as it was (or absent) when it is thrown.
class ExportError : public std::exception {
public:
    explicit ExportError(QString message);
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The text of an amount as the CSV export writes it: a point before the decimals, no thousands
// separator, no exponent, and as few digits as give the stored value back exactly.
QString CsvNumber(double value);

// The bytes of the CSV file of the rows of view, in the view's order: UTF-8 with a byte-order
// mark, fields separated by ";", lines ended by CR LF, a field quoted (its quotes doubled) when it
// holds ";", a quote or a line break. A header line (translated) names the columns Date, Name,
// Income, Charge, Currency, Charge currency, Group, Sub-group, Account and Kind. Each entry
// gives its date as yyyy-MM-dd; an amount received under Income and an amount paid out, without
// its sign, under Charge, in the currency under Currency; an exchange both, what it gave in the
// currency under Charge currency; its Gr2, NameRashod, Gr1 and Type code as stored.
QByteArray LedgerCsv(const TableHandle& view);

// Writes LedgerCsv(view) to fileName, replacing the file only when the whole text reached the
// disk; returns the number of entries written. Throws ExportError when it cannot be written.
int ExportLedgerCsv(const TableHandle& view, const QString& fileName);

} // namespace zovi
