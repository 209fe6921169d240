#pragma once

#include <QStyledItemDelegate>

class QHeaderView;

namespace zovi {

// Draws every cell of the ledger grid: tinted odd rows, colours by the entry's sign, grey for
// planned entries, bold for today's, the selected row with its lines, dates centred.
class LedgerDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The header row: dark blue, a light line along its bottom edge, white bold centred text.
    static void styleHeader(QHeaderView* header);
};

} // namespace zovi
