#pragma once

#include <QList>
#include <QString>

namespace zovi {

// A catalogue entry: the display name and the database folder, the folder ending with "/".
struct TDataBaseName {
    QString name;
    QString folder;
};

// The catalogue of databases, "bases.ini" in the program folder: one line per database, the
// display name, "*", the folder ending with "/". Lines keep the order they were written in.
class Catalogue {
public:
    static QString path(); // bases.ini in the program folder

    // Creates bases.ini with the two default lines when it is missing: the user's name for
    // Databases/Default/ and "Пример" for Databases/Example/ of the program folder.
    static void ensureExists();

    // The entries as the start-up chooser reads them: blank lines skipped, each line split at
    // its first "*", the folder without the line's last character (its trailing separator).
    // Any number of entries. A missing or unreadable file gives no entry.
    static QList<TDataBaseName> readForChooser();

    // The entries as the catalogue editor reads them: empty lines skipped, the folder keeps its
    // trailing separator, a line without "*" gives the whole line as name and folder.
    static QList<TDataBaseName> readForEditor();

    // Rewrites bases.ini: one line per entry, name, "*", folder. Written whole or not at all;
    // throws StoreError with a readable message when it cannot be written.
    static void write(const QList<TDataBaseName>& entries);

    // The name of the current user account, for the first default line.
    static QString userName();
};

} // namespace zovi
