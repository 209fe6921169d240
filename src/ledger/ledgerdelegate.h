#pragma once

#include <QStyledItemDelegate>

class QHeaderView;

namespace zovi {

// Draws every cell of the ledger grid: tinted odd rows, colours by the entry's sign, grey for
// planned entries, bold for today's, the selected row with its lines, dates centred. Other lists
// drawn like the ledger (the currency list) offer a mark under LedgerGridModel::MarkRole too.
class LedgerDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Whether the skin gives the grid a dark surface: the rows are then drawn dark too.
    static bool IsDarkSurface(const QPalette& palette);

    // The header row: dark blue, a light line along its bottom edge, white bold centred text.
    static void styleHeader(QHeaderView* header);

    // The column whose text is centred (the ledger's date column); -1 for none.
    void setCentredColumn(int column) { m_centredColumn = column; }

private:
    int m_centredColumn = 1;
};

} // namespace zovi
