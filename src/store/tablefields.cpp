// The fields of a handle's current row read and written by type, and the search for a row.
#include "store/error.h"
#include "store/image.h"
#include "store/table.h"

#include <QFileInfo>
#include <cmath>
#include <optional>

namespace zovi {

// ---- FieldRef ----

QString FieldRef::name() const {
    return m_handle->fieldName(m_column);
}
FieldType FieldRef::type() const {
    return m_handle->fieldType(m_column);
}
bool FieldRef::isNull() const {
    return IsNull(m_handle->valueAt(m_column));
}
QString FieldRef::text() const {
    return ValueText(m_handle->valueAt(m_column), type());
}
double FieldRef::toDouble() const {
    return ValueDouble(m_handle->valueAt(m_column), type(), m_handle->columnName(m_column));
}
qint64 FieldRef::toInt() const {
    return ValueInteger(m_handle->valueAt(m_column), type(), m_handle->columnName(m_column));
}
QDate FieldRef::toDate() const {
    return ValueDate(m_handle->valueAt(m_column), type(), m_handle->columnName(m_column));
}
bool FieldRef::toBool() const {
    return ValueBool(m_handle->valueAt(m_column), type(), m_handle->columnName(m_column));
}
QVariant FieldRef::toVariant() const {
    return ValueVariant(m_handle->valueAt(m_column), type());
}

void FieldRef::setText(const QString& text) const {
    m_handle->setValue(m_column, ValueFromText(text, type(), name()));
}
void FieldRef::setDouble(double value) const {
    m_handle->setValue(m_column, ValueFromDouble(value, type(), name()));
}
void FieldRef::setInt(qint64 value) const {
    m_handle->setValue(m_column, ValueFromInteger(value, type(), name()));
}
void FieldRef::setDate(const QDate& date) const {
    m_handle->setValue(m_column, ValueFromDate(date, type(), name()));
}
void FieldRef::setBool(bool value) const {
    m_handle->setValue(m_column, ValueFromBool(value, type(), name()));
}
void FieldRef::setVariant(const QVariant& value) const {
    m_handle->setValue(m_column, ValueFromVariant(value, type(), name()));
}
void FieldRef::setValue(Value value) const {
    m_handle->setValue(m_column, ValueForType(value, type(), type(), name()));
}
void FieldRef::clear() const {
    m_handle->setValue(m_column, Value());
}

// ---- ViewRows ----

ViewRows TableHandle::viewRows() const {
    requireOpen("read rows");
    ViewRows rows;
    rows.m_image = m_image;
    rows.m_rows = m_view;
    return rows;
}

int ViewRows::fieldIndex(const QString& name) const {
    const int column = m_image ? m_image->columnIndex(name) : -1;
    if (column < 0)
        throw StoreError(
            QStringLiteral("The table %1 has no field \"%2\".")
                .arg(m_image ? QFileInfo(m_image->path()).fileName() : QString(), name));
    return column;
}

FieldType ViewRows::fieldType(int column) const {
    return m_image->columns().at(size_t(column)).type;
}

Value ViewRows::value(int index, int column) const {
    return m_image->value(m_rows.at(index), column);
}

QString ViewRows::text(int index, int column) const {
    return ValueText(value(index, column), fieldType(column));
}

double ViewRows::toDouble(int index, int column) const {
    const RowSlot row = m_rows.at(index);
    const auto kind = m_image->kind(row, column);
    if (kind == TableImage::FloatCell ||
        (kind == TableImage::IntegerCell && fieldType(column) != FieldType::Date))
        return m_image->number(row, column);
    return ValueDouble(value(index, column), fieldType(column),
                       m_image->columns()[size_t(column)].name);
}

qint64 ViewRows::toInt(int index, int column) const {
    return ValueInteger(value(index, column), fieldType(column),
                        m_image->columns().at(size_t(column)).name);
}

QDate ViewRows::toDate(int index, int column) const {
    return ValueDate(value(index, column), fieldType(column),
                     m_image->columns().at(size_t(column)).name);
}

const QString* ViewRows::textRef(int index, int column) const {
    const RowSlot row = m_rows.at(index);
    return m_image->kind(row, column) == TableImage::TextCell ? &m_image->text(row, column)
                                                              : nullptr;
}

// ---- search ----

namespace {

// The ID a target names when it is a whole number below 2^53 (beyond, two IDs may compare equal
// as numbers); none otherwise.
std::optional<qint64> WholeKey(const Value& target) {
    constexpr double kExact = 9007199254740992.0; // 2^53
    if (const auto* i = std::get_if<qint64>(&target)) {
        if (std::abs(double(*i)) < kExact)
            return *i;
    } else if (const auto* d = std::get_if<double>(&target)) {
        if (std::abs(*d) < kExact && *d == std::trunc(*d))
            return qint64(*d);
    }
    return std::nullopt;
}

} // namespace

int TableHandle::indexOfKey(qint64 key) const {
    return m_image ? int(m_image->findRowid(m_view, key)) : -1;
}

int ViewRows::indexOfKey(qint64 key) const {
    return m_image ? int(m_image->findRowid(m_rows, key)) : -1;
}

qsizetype TableHandle::findInView(int column, const Value& target) const {
    const FieldType type = fieldType(column);
    const TableImage& image = *m_image;
    // The ID cell of a row holds its rowid, and a view keeps its rows in rowid order: a row is
    // found by its ID without reading the others.
    if (column == image.autoIncColumn()) {
        if (const std::optional<qint64> key = WholeKey(target))
            return image.findRowid(m_view, *key);
    }
    // Other fields are read row by row; a number is compared with the cells that hold numbers
    // without making a value of each.
    const bool numeric = type == FieldType::Float || type == FieldType::Integer ||
                         type == FieldType::AutoInc || type == FieldType::Boolean;
    const auto* integer = std::get_if<qint64>(&target);
    const auto* number = std::get_if<double>(&target);
    if (numeric && (integer || number)) {
        const double wanted = integer ? double(*integer) : *number;
        for (qsizetype i = 0; i < m_view.size(); ++i) {
            const RowSlot row = m_view[i];
            const auto kind = image.kind(row, column);
            if (kind == TableImage::IntegerCell || kind == TableImage::FloatCell) {
                if (image.number(row, column) == wanted)
                    return i;
            } else if (ValuesEqual(image.value(row, column), target, type)) {
                return i;
            }
        }
        return -1;
    }
    for (qsizetype i = 0; i < m_view.size(); ++i) {
        if (ValuesEqual(image.value(m_view[i], column), target, type))
            return i;
    }
    return -1;
}

bool TableHandle::locate(const QString& field, const QVariant& value) {
    requireOpen("locate");
    const int column = fieldIndex(field);
    const qsizetype at = findInView(column, ValueFromVariant(value, fieldType(column), field));
    if (at < 0)
        return false;
    requireBrowseForMove();
    setCurrent(int(at));
    m_eof = m_bof = false;
    return true;
}

QVariant TableHandle::lookup(const QString& keyField, const QVariant& value,
                             const QString& resultField) {
    requireOpen("lookup");
    const int key = fieldIndex(keyField);
    const int result = fieldIndex(resultField);
    const qsizetype at = findInView(key, ValueFromVariant(value, fieldType(key), keyField));
    return at < 0 ? QVariant()
                  : ValueVariant(m_image->value(m_view[at], result), fieldType(result));
}

} // namespace zovi
