#pragma once

#include <QString>

class QWidget;

namespace zovi {

// Replaces a control's built-in caption by the translation of key, when the key is found: the
// text of a label or button, the title of a group box (with a blank on either side, as box
// titles are written). A missing key leaves the caption as it was.
void Translate(QWidget* control, const QString& key);

} // namespace zovi
