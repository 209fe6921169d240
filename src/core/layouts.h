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

// A control with its object name, the name by which the program and the tests find it.
template <class W> W* Named(W* control, const QString& name) {
    control->setObjectName(name);
    return control;
}
template <class W> W* Named(W* control, const char* name) {
    return Named(control, QString::fromLatin1(name));
}

} // namespace zovi
