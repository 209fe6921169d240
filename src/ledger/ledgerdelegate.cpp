#include "ledger/ledgerdelegate.h"

#include "ledger/ledgergrid.h"

#include <QHeaderView>
#include <QPainter>

namespace zovi {

void LedgerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const QString mark = index.data(LedgerGridModel::MarkRole).toString();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const LedgerCellStyle style =
        CellStyleFor(mark, index.row(), selected, IsDarkSurface(option.palette));
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, QColor::fromRgb(style.background));
    if (style.lines) {
        painter->setPen(QColor::fromRgb(0x223166));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
    }
    QFont font = option.font;
    font.setBold(style.bold);
    painter->setFont(font);
    painter->setPen(QColor::fromRgb(style.text));
    const bool centred = index.column() == m_centredColumn;
    const Qt::Alignment align =
        centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop;
    const QRect textRect = centred ? r.adjusted(0, 1, 0, 0) : r.adjusted(2, 1, 0, 0);
    painter->drawText(
        textRect, int(align | Qt::TextSingleLine),
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
    painter->restore();
}

bool LedgerDelegate::IsDarkSurface(const QPalette& palette) {
    // A skin's background for the grid becomes the view's base colour.
    return palette.color(QPalette::Base).lightness() < 128;
}

void LedgerDelegate::styleHeader(QHeaderView* header) {
    header->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background: #2B3655; color: white; font-weight: bold; "
        "border: none; border-bottom: 1px solid #888EB9; padding: 2px; }"));
    header->setDefaultAlignment(Qt::AlignCenter);
}

} // namespace zovi
