#pragma once

#include "store/schema.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <variant>
#include <vector>

namespace zovi {

// A stored value: null, an integer (also dates as Julian days and booleans as 0/1), a float or
// a text. The column's FieldType says how an integer is meant.
using Value = std::variant<std::monostate, qint64, double, QString>;

inline bool IsNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Conversions between a column's value and the forms the logic reads and writes. Text forms use
// the program's decimal separator and short date format. Conversions that cannot succeed throw
// StoreError naming the field.
QString ValueText(const Value& v, FieldType type);
double ValueDouble(const Value& v, FieldType type, const QString& field);
qint64 ValueInteger(const Value& v, FieldType type, const QString& field);
QDate ValueDate(const Value& v, FieldType type, const QString& field);
bool ValueBool(const Value& v, FieldType type, const QString& field);
QVariant ValueVariant(const Value& v, FieldType type);

Value ValueFromText(const QString& text, FieldType type, const QString& field);
Value ValueFromDouble(double d, FieldType type, const QString& field);
Value ValueFromInteger(qint64 i, FieldType type, const QString& field);
Value ValueFromDate(const QDate& date, FieldType type, const QString& field);
Value ValueFromBool(bool b, FieldType type, const QString& field);
Value ValueFromVariant(const QVariant& v, FieldType type, const QString& field);

// The value in the form a field of type target holds, converted as the typed setters would
// when it is held in another form (a text in a float column of a foreign file, say). declared
// is the type of the column it came from, which tells what an integer means there.
Value ValueForType(const Value& v, FieldType declared, FieldType target, const QString& field);

// A row of a table's image, by the place it was given when it was read or inserted; the place
// never changes while the image lives, so views and the undo log keep rows by it.
using RowSlot = quint32;

// Exact comparison used by locate and lookup: letter case counts, numbers compare as numbers.
bool ValuesEqual(const Value& a, const Value& b, FieldType type);

} // namespace zovi
