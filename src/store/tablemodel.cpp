#include "store/tablemodel.h"

#include "store/table.h"

namespace zovi {

TableModel::TableModel(TableHandle* handle, QObject* parent) : QAbstractTableModel(parent) {
    setHandle(handle);
}

void TableModel::setHandle(TableHandle* handle) {
    beginResetModel();
    if (m_connection)
        disconnect(m_connection);
    m_handle = handle;
    if (handle) {
        m_connection = connect(handle, &TableHandle::viewChanged, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }
    endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_handle || !m_handle->isOpen())
        return 0;
    return m_handle->recordCount();
}

int TableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_handle || !m_handle->isOpen())
        return 0;
    return m_handle->fieldCount();
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !m_handle || !m_handle->isOpen() ||
        index.row() >= m_handle->recordCount() || index.column() >= m_handle->fieldCount())
        return QVariant();
    return m_handle->textAt(index.row(), index.column());
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_handle ||
        !m_handle->isOpen() || section >= m_handle->fieldCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_captions.value(section, m_handle->fieldName(section));
}

bool TableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                               int role) {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    m_captions.insert(section, value.toString());
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

void TableModel::selectRow(int row) {
    if (m_handle && m_handle->isOpen() && row >= 0 && row < m_handle->recordCount())
        m_handle->setRecNo(row + 1);
}

} // namespace zovi
