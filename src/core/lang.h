#pragma once

#include <QString>

namespace zovi {

// The translation file the lookups read, relative to the program folder: the one chosen in the
// settings ("lang/ru.ini"), or "lang.ini" when none is chosen or the setting names no ".ini" file
// directly inside the folder "lang".
QString ChosenLangFile();

// Looks the key up in the chosen translation file of the program folder, or in lang.ini while
// that file is missing or unreadable. On found, text receives the replacement
// (the last matching line wins) and the call returns true; otherwise text stays as it was.
// Keys compare with the letters a to z folded to upper case and nothing else; a key is
// everything before a line's first "=", not trimmed. An edited file takes effect at the next
// lookup. A file that is not valid UTF-8 is read as Windows-1251.
bool LangString(const QString& key, QString& text);
// The same lookup in one given file of the program folder ("lang/de.ini"); readable tells
// whether the file could be read.
bool LangString(const QString& key, QString& text, const QString& file, bool* readable = nullptr);

// The translation of key, or fallback when the key is not found.
QString LangText(const QString& key, const QString& fallback);

} // namespace zovi
