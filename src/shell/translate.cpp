#include "shell/translate.h"

#include "shell/lang.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace zovi {

void Translate(QWidget* control, const QString& key) {
    QString text;
    if (!LangString(key, text))
        return;
    if (auto* box = qobject_cast<QGroupBox*>(control))
        box->setTitle(QLatin1Char(' ') + text + QLatin1Char(' '));
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
}

} // namespace zovi
