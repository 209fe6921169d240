#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zovi {

// A catalogue entry: the display name and the database folder, the folder ending with "/".
struct CatalogueEntry {
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
    // Any number of entries. A missing file gives no entry; a file that exists but cannot be
    // read throws StoreError with a readable message. Each line is decoded on its own: UTF-8
    // when it is valid UTF-8, Windows-1251 otherwise.
    static QList<CatalogueEntry> readForChooser();

    // The entries as the catalogue editor reads them: empty lines skipped, the folder keeps its
    // trailing separator, a line without "*" gives the whole line as name and folder. Missing
    // and unreadable files as for readForChooser.
    static QList<CatalogueEntry> readForEditor();

    // Rewrites bases.ini: one line per entry, name, "*", folder. Written whole or not at all;
    // throws StoreError with a readable message when it cannot be written.
    static void write(const QList<CatalogueEntry>& entries);

    // The name of the current user account, for the first default line.
    static QString userName();

    // Whether a display name keeps its line whole when written: the catalogue holds one entry
    // per line and splits it at the first "*", so a name holds neither "*" nor a line break.
    static bool canHoldName(const QString& name);
    // A folder as a catalogue line stores it, ending with "/".
    static QString withSeparator(const QString& folder);
};

// The catalogue as its editor changes it: the entries in memory, written whole when the editor
// closes. It always keeps one entry, as an empty catalogue shows one empty line: that entry is
// the one the first added database fills, and written back it gives the line "*".
class CatalogueDraft {
public:
    // The catalogue as the editor reads it (see Catalogue::readForEditor).
    static CatalogueDraft read();
    explicit CatalogueDraft(QList<CatalogueEntry> entries = {});

    const QList<CatalogueEntry>& entries() const { return m_entries; }
    // True when the first entry names a database folder (the empty entry does not).
    bool hasDatabase() const;

    // Fills the empty entry, or appends after the last one; returns the entry's row.
    int add(const CatalogueEntry& entry);
    // Removes the entry of row; returns the row to select next.
    int remove(int row);
    void rename(int row, const QString& name);

    // Rewrites bases.ini from the entries (see Catalogue::write), empty lines left out. An
    // entry still as it was read keeps the bytes of its line; only added and renamed entries
    // are written anew, in UTF-8.
    void write() const;

private:
    // The line an entry was read from and the entry as read; a null line for an entry that was
    // not read from bases.ini.
    struct ReadLine {
        QByteArray bytes;
        CatalogueEntry entry;
    };

    QList<CatalogueEntry> m_entries;
    QList<ReadLine> m_lines; // one for each entry
};

} // namespace zovi
