#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
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

// Selects the item whose text is exactly text (letter case counts); none when no item has it.
inline void SelectText(QComboBox* list, const QString& text) {
    list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

// A small button beside a field of a dialog (calculator, name proposal, day back and forward):
// it never takes the focus from the field.
inline QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(text);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A captioned frame of a dialog holding one row of controls; fields stretch, small buttons keep
// their size.
inline QGroupBox* Frame(QWidget* parent, const QString& caption,
                        std::initializer_list<QWidget*> row) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(frame);
    for (QWidget* w : row)
        layout->addWidget(w, qobject_cast<QToolButton*>(w) ? 0 : 1);
    return frame;
}

} // namespace zovi
