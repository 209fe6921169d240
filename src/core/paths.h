#pragma once

#include <QString>

namespace zovi {

// The program folder: the folder of the executable, where lang.ini, bases.ini, Template/,
// Report/ and the other program files lie. Tests point it at a temporary folder; the
// environment variable ZOVI_PROGRAM_DIR does the same for a whole process.
class ProgramFolder {
public:
    // The folder without a trailing separator.
    static QString path();
    // The folder followed by name ("lang.ini", "Template/").
    static QString file(const QString& name);
    static void set(const QString& folder);
    // Forgets a folder set by set() and falls back to the environment or the executable's folder.
    static void reset();
};

} // namespace zovi
