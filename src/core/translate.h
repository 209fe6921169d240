#pragma once

#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QComboBox;
class QGroupBox;
class QMenu;
class QTabWidget;
class QWidget;

namespace zovi {

// Replaces a control's built-in caption by the translation of key; a missing key keeps the
// caption. Frames (group boxes) get the text with one blank on either side, buttons and labels
// the text itself, and any other widget its window title.
void Translate(QWidget* widget, const QString& key);
// The "ok" and "cancel" keys on a dialog's two closing buttons.
void TranslateOkCancel(QWidget* ok, QWidget* cancel);

// What the text of one key of the translation table is applied to.
using TranslationTarget = std::function<void(const QString&)>;
// Keys of the translation table in the order they are applied: when two keys reach the same
// control, the later one wins. A key with an empty target is known but shown nowhere.
using TranslationKeys = std::vector<std::pair<QString, TranslationTarget>>;

// Applies every key that the translation table holds, in order.
void ApplyTranslations(const TranslationKeys& keys);

// The usual targets of a key.
namespace translation {
template <class C> TranslationTarget Text(C* control) {
    return [control](const QString& t) {
        control->setText(t);
    };
}
template <class C> TranslationTarget Hint(C* control) {
    return [control](const QString& t) {
        control->setToolTip(t);
    };
}
TranslationTarget Title(QMenu* menu);
TranslationTarget Item(QComboBox* box, int index);
TranslationTarget Frame(QGroupBox* box);
TranslationTarget TabText(QTabWidget* tabs, int index);
TranslationTarget TabHint(QTabWidget* tabs, int index);
TranslationTarget All(std::vector<TranslationTarget> targets);
// The numbered keys "button01".. and "hint001".. for targets, numbered from first.
void AddNumbered(TranslationKeys& keys, const char* prefix, int digits, int first,
                 const std::vector<TranslationTarget>& targets);
} // namespace translation

} // namespace zovi
