#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

namespace zovi {

// One translation file the user may choose: its file relative to the program folder
// ("lang.ini", "lang/ru.ini") and the language's own name ("English", "Русский").
struct Language {
    QString file;
    QString name;
    bool operator==(const Language&) const = default;
};

// The translation files of the program folder: lang.ini first, then every "*.ini" of its folder
// "lang" in the order of their names. Each is named by its key "language", or, without one, by
// its file name without ".ini"; names that two files share get the file name added.
QList<Language> Languages();

// The language code of the chosen translation file (its key "languagecode": "en", "ru"); without
// the key, the file name of a file in "lang" ("de" for lang/de.ini), else "en".
QString LanguageCode();

// The locale whose month and day names the calendar, the date menu and the typed dates use: that
// of the chosen language. The order and the separators of dates stay those of the user's locale.
QLocale DateNamesLocale();

// A date as a window shows it to the user, never as a stored or parsed text: the user's short
// date form (AppLocale::shortDateFormat()), or the form given, written in DateNamesLocale() so
// that month and day names are those of the chosen language, as the date fields show them.
QString ShownDate(const QDate& date, const QString& format = {});

// The help file of the chosen language, a full path: a translation file's help is the file of the
// same name ending in ".html" (lang/ru.html for lang/ru.ini); lang.ini holding another language
// than English (a translation copied over it) takes lang/<code>.html. Help.html, the English
// help, is the help of lang.ini and of a language without a help of its own.
QString HelpFile();

// Loads Qt's own translations ("qtbase_<code>" from Qt's translations folder) for the chosen
// language, replacing those loaded before, so that Qt's dialogs, standard buttons and context
// menus speak that language; then tells every window that the language changed
// (QEvent::LanguageChange). Returns whether Qt's translations were found.
bool ApplyLanguage();

} // namespace zovi
