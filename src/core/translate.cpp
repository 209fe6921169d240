#include "core/translate.h"

#include "core/lang.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

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

void TranslateOkCancel(QWidget* ok, QWidget* cancel) {
    Translate(ok, QStringLiteral("ok"));
    Translate(cancel, QStringLiteral("cancel"));
}

void ApplyTranslations(const TranslationKeys& keys) {
    for (const auto& [key, apply] : keys) {
        QString value;
        if (LangString(key, value) && apply)
            apply(value);
    }
}

namespace translation {

TranslationTarget Title(QMenu* menu) {
    return [menu](const QString& t) {
        menu->setTitle(t);
    };
}

TranslationTarget Item(QComboBox* box, int index) {
    return [box, index](const QString& t) {
        if (index < box->count())
            box->setItemText(index, t);
    };
}

TranslationTarget Frame(QGroupBox* box) {
    return [box](const QString& t) {
        box->setTitle(u' ' + t + u' ');
    };
}

TranslationTarget TabText(QTabWidget* tabs, int index) {
    return [tabs, index](const QString& t) {
        tabs->setTabText(index, t);
    };
}

TranslationTarget TabHint(QTabWidget* tabs, int index) {
    return [tabs, index](const QString& t) {
        tabs->setTabToolTip(index, t);
    };
}

TranslationTarget All(std::vector<TranslationTarget> targets) {
    return [targets = std::move(targets)](const QString& t) {
        for (const TranslationTarget& f : targets)
            f(t);
    };
}

void AddNumbered(TranslationKeys& keys, const char* prefix, int digits, int first,
                 const std::vector<TranslationTarget>& targets) {
    for (size_t i = 0; i < targets.size(); ++i) {
        keys.emplace_back(QString::fromLatin1(prefix) + QStringLiteral("%1").arg(first + int(i),
                                                                                 digits, 10,
                                                                                 QLatin1Char('0')),
                          targets[i]);
    }
}

} // namespace translation

} // namespace zovi
