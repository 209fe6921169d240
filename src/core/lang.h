#pragma once

#include <QString>

namespace zovi {

// Looks the key up in lang.ini of the program folder. On found, text receives the replacement
// (the last matching line wins) and the call returns true; otherwise text stays as it was.
// Keys compare with the letters a to z folded to upper case and nothing else; a key is
// everything before a line's first "=", not trimmed. An edited file takes effect at the next
// lookup. A file that is not valid UTF-8 is read as Windows-1251.
bool LangString(const QString& key, QString& text);

// The translation of key, or fallback when the key is not found.
QString LangText(const QString& key, const QString& fallback);

} // namespace zovi
