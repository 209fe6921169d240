#pragma once

#include <QString>

namespace zovi {

// Whether a name that a file hands the program (a line of a database's copy.txt, the name of a
// preset) names one file directly inside a folder: not empty, neither "." nor "..", no "/" or
// "\", no control character, not an absolute path. Such a name is checked here before it becomes
// part of a path, so that no file can make the program read or write outside its folder.
bool IsPlainFileName(const QString& name);

// The program folder: the folder of the executable, where lang.ini, Template/, Skins/, the
// report templates and the other files shipped with the program lie. Tests point it at a
// temporary folder; the environment variable ZOVI_PROGRAM_DIR does the same for a whole process.
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

// The data folder: where the files the program writes lie, the catalogue bases.ini, the
// databases made in Databases/, the saved filter presets in CFT/ and the print tables in Report/.
// It is the program folder itself while the user may write there (a program folder unpacked or
// built by the user). When the program folder is read-only (installed for every user), it is
// the user's own application data folder (~/.local/share/Zovi on Linux): on its first use the
// program folder's databases (Databases/Default/, Databases/Example/) are copied there, and any
// print table missing there is copied from the program folder's Report/.
class DataFolder {
public:
    // The folder without a trailing separator; made and seeded when needed.
    static QString path();
    // The folder followed by name ("bases.ini", "Databases/").
    static QString file(const QString& name);
    // Whether the program folder is where the program writes.
    static bool isProgramFolder();
    // Whether the user may create files in folder.
    static bool isWritable(const QString& folder);
};

// The user's own folder for backup copies: "Zovi backups" in the user's documents folder (the
// home folder when the system names none). The backup window proposes it, and the copies of each
// database go into a sub-folder of it named after the database. Tests point it at a temporary
// folder.
class BackupsFolder {
public:
    // The folder without a trailing separator; made when it is missing.
    static QString path();
    static void set(const QString& folder);
    // Forgets a folder set by set() and falls back to the user's documents folder.
    static void reset();
};

} // namespace zovi
