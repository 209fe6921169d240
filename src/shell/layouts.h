#pragma once

#include <QHBoxLayout>
#include <QWidget>
#include <initializer_list>

namespace zovi {

// The row of a dialog's buttons: pushed to the right edge, in the given order.
inline QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace zovi
