#pragma once

#include "core/locale.h"
#include "core/settings.h"

#include <QDate>
#include <QFontMetrics>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <vector>

#include <QHBoxLayout>
#include <QWidget>
#include <initializer_list>

namespace zovi {

// The widths of a grid's columns 1..n: the stored width of column c under key(c), -1 hiding the
// column, or without a stored width the computed one.
inline void LoadColumnWidths(QTableView* grid, const std::vector<int>& computed,
                             QString (*key)(int)) {
    for (int c = 1; c <= int(computed.size()); ++c) {
        const int width =
            Settings::contains(key(c)) ? Settings::readInt(key(c), 0) : computed[size_t(c - 1)];
        grid->setColumnHidden(c, width < 0);
        if (width >= 0)
            grid->setColumnWidth(c, width);
    }
}

// The row of a dialog's buttons: pushed to the right edge, in the given order.
inline QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

// A text-only tool button at the end of bar, with its object name, caption and hint.
inline QToolButton* AddToolButton(QToolBar* bar, const char* name, const QString& text,
                                  const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(b);
    return b;
}

// A toolbar as the settings want it: transparent or with its own background, with flat or
// raised buttons.
inline void StyleToolBar(QToolBar* bar, bool transparent, bool flatButtons) {
    bar->setStyleSheet(transparent
                           ? QStringLiteral("QToolBar { background: transparent; border: none; }")
                           : QString());
    bar->setProperty("transparent", transparent);
    for (QToolButton* b : bar->findChildren<QToolButton*>())
        b->setAutoRaise(flatButtons);
}

// The narrowest column that shows every date of the short format whole, in font and in its bold
// form (the grids draw some rows bold): every month with a two-digit day, for formats that name
// the month, plus the cell's margin and a few pixels that keep the text clear of the elision.
inline int MinimumDateWidth(const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics normalMetrics(font);
    const QFontMetrics boldMetrics(bold);
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        const QString text = AppLocale::formatDate(QDate(2000, month, 28));
        widest = std::max(
            {widest, normalMetrics.horizontalAdvance(text), boldMetrics.horizontalAdvance(text)});
    }
    return widest + 8;
}

// A control with its object name, the name by which the program and the tests find it.
template <class W> W* Named(W* control, const QString& name) {
    control->setObjectName(name);
    return control;
}
template <class W> W* Named(W* control, const char* name) {
    return Named(control, QString::fromLatin1(name));
}

} // namespace zovi
