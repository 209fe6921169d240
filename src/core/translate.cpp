#include "core/translate.h"

#include "core/lang.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace zovi {

void Translate(QWidget* widget, const QString& key) {
    QString text;
    if (!LangString(key, text))
        return;
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        box->setTitle(u' ' + text + u' ');
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else
        widget->setWindowTitle(text);
}

} // namespace zovi
