// Writes of one field of many rows at once, and how every handle on the table then shows them.
#include "store/error.h"
#include "store/image.h"
#include "store/store.h"
#include "store/table.h"

namespace zovi {

int TableHandle::writeColumn(std::span<const RowSlot> rows, int column,
                             std::span<const Value> values) {
    requireOpen("write field");
    requireBrowseForMove();
    const FieldType type = fieldType(column);
    std::vector<Value> typed;
    typed.reserve(values.size());
    for (const Value& v : values)
        typed.push_back(ValueForType(v, type, type, columnName(column)));
    const std::vector<RowSlot> written = m_image->setColumn(rows, column, typed);
    if (!written.empty()) {
        for (TableHandle* h : Store::instance().handlesOn(m_image.get()))
            h->showRewritten(written);
    }
    return int(written.size());
}

int TableHandle::setFieldAt(std::span<const int> indexes, int column,
                            std::span<const Value> values) {
    requireOpen("write field");
    std::vector<RowSlot> rows;
    rows.reserve(indexes.size());
    for (const int index : indexes)
        rows.push_back(m_view.at(index));
    return writeColumn(rows, column, values);
}

int TableHandle::rewriteField(int column, const Value& from, const Value& to,
                              const std::function<bool(const ViewRows&, int)>& where) {
    requireOpen("write field");
    const FieldType type = fieldType(column);
    const Value old = ValueForType(from, type, type, columnName(column));
    ViewRows all;
    all.m_image = m_image;
    for (const RowSlot row : m_image->order()) {
        if (m_image->alive(row))
            all.m_rows.push_back(row);
    }
    std::vector<RowSlot> rows;
    for (int i = 0; i < all.size(); ++i) {
        const RowSlot row = all.m_rows[i];
        if (m_image->value(row, column) == old && (!where || where(all, i)))
            rows.push_back(row);
    }
    return writeColumn(rows, column, std::span<const Value>(&to, 1));
}

} // namespace zovi
