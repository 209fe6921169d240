#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

namespace zovi {

class TableHandle;

// A display link: shows a handle's view to a grid, one column per field, and moves the handle's
// cursor when the grid selects a row. It follows the handle's view changes.
class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TableModel(TableHandle* handle = nullptr, QObject* parent = nullptr);

    void setHandle(TableHandle* handle);
    TableHandle* handle() const { return m_handle; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // A column's caption in place of its field name (horizontal display role only).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // Moves the handle to the row a grid selected (0-based).
    void selectRow(int row);

private:
    QPointer<TableHandle> m_handle;
    QMetaObject::Connection m_connection;
    QHash<int, QString> m_captions;
};

} // namespace zovi
