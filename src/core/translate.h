#pragma once

#include <QString>

class QWidget;

namespace zovi {

// Replaces a control's built-in caption by the translation of key; a missing key keeps the
// caption. Frames (group boxes) get the text with one blank on either side, buttons and labels
// the text itself, and any other widget its window title.
void Translate(QWidget* widget, const QString& key);

} // namespace zovi
