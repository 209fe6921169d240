#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <functional>

namespace zovi {

// Checks, reads and makes database folders: the checks the chooser runs before it touches any
// handle, the password table, and the copy of the template folder into a new database.
class DatabaseFolder {
public:
    enum class Check {
        Ok,
        NoPassword,   // the folder is empty, missing, or holds no data.un ("err019")
        MissingTable, // one of the thirteen table files is missing ("err020")
    };
    // Files are found without regard to letter case.
    static Check check(const QString& folder, QString* missingFile = nullptr);

    // The stored password of the database (empty for none): its hash, or the password as typed
    // where an older version kept it so (see PasswordHash). Throws StoreError when data.un
    // cannot be read.
    static QString password(const QString& folder);
    // Stores the hash of password (nothing for an empty one) into data.un, editing its row or
    // adding one to an empty table. Throws StoreError when it cannot be stored.
    static void setPassword(const QString& folder, const QString& password);
    // Stores a text PasswordHash made (a hash, the keyed form, or empty for none) as it is.
    static void setStoredPassword(const QString& folder, const QString& stored);
    // Whether the database's tables are encrypted: its data.un keeps the keyed form of its
    // password (PasswordHash::isKeyed). False when data.un cannot be read.
    static bool isEncrypted(const QString& folder);
    // The path of the folder's data.un (found without regard to letter case).
    static QString passwordFile(const QString& folder);

    // True when the folder holds data.un.
    static bool exists(const QString& folder);

    // Copies the files that Template/copy.txt lists from templateFolder into folder (which must
    // exist), replacing files of the same name; listed files missing from the template are
    // skipped. step runs once per line of copy.txt. Returns the number of lines of copy2.txt
    // (the gauge's length). Throws StoreError when a file cannot be written, and before writing
    // anything when a line of copy.txt is no file inside the template folder (listedFiles).
    static void copyTemplate(const QString& templateFolder, const QString& folder,
                             const std::function<void()>& step = {});
    static int templateLength(const QString& templateFolder);

    // Makes folder (with its RCopy/ sub-folder) as a copy of the template when it does not
    // exist yet; returns false and touches nothing when it does, since it holds a user's data.
    // fill, when given, writes into the new folder while it still lies beside its final place
    // under another name, and must close what it opened there; the folder is renamed into place
    // only afterwards, so a reader never sees half a database. Throws StoreError when the folder
    // cannot be made or fill throws (the half-made folder is removed).
    static bool createFromTemplate(const QString& templateFolder, const QString& folder,
                                   const std::function<void(const QString& staging)>& fill = {});

    // Removes the super-journals (files named "…-mj…") that no journal in the folder names any
    // more: SQLite leaves them behind when a process is killed during a commit across files,
    // after it has rolled back what needed it. Called once the tables were read, with the folder
    // held. Returns the number removed.
    static int removeStaleJournals(const QString& folder);

    // The names listed in the folder's copy.txt, in order (empty when it is missing). Only file
    // names directly inside the folder count (IsPlainFileName), and none of the names a folder
    // of copies uses for itself ("previous", names beginning with ".zovi-"): refused, when
    // given, receives every other line, which names no file of the database.
    static QStringList listedFiles(const QString& folder, QStringList* refused = nullptr);

    // The database's own folder of copies, RCopy/ inside it, where the copy at close goes.
    static QString copiesFolder(const QString& folder);
};

// Copies of a database's files for the backup window and the copy into RCopy/ at close. Table
// files are copied through SQLite's backup API, so a copy is consistent even while this process
// holds a connection on the file; other files are copied plainly.
//
// A folder of copies holds one whole copy at a time, its files directly inside it, and in
// previous/ the copy before. A new copy is made whole in a hidden folder of its own inside the
// target (".zovi-copy-…"); only once every file is there, and written to the disk, is that folder
// renamed ".zovi-swap", holding besides the files the list of the names it replaces. That rename
// is the point of no return: from then on the files of the older copy are moved into a fresh
// ".zovi-previous", the new ones into the target, and ".zovi-previous" becomes previous/. A copy
// killed before that point leaves the older copy untouched; one killed after it is finished by
// finishInterrupted, which every copy runs first. Either way the target comes to hold the files of
// one session only, never some of each.
class BackupCopy {
public:
    // How long a copy waits in all for table files that another program keeps locked; a file
    // still locked then is not copied. The wait blocks the calling thread: callers with windows
    // run the copy on a thread of its own (see MakeBackup).
    static constexpr int kLockWaitMs = 5000;

    // Copies every file listed in folder's copy.txt into target (which must exist), as a new
    // whole copy: the copy already in target moves into target's previous/ folder, replacing the
    // one kept there, so one generation back survives a copy of damaged data. step runs once per
    // listed file. Returns the names that were not copied; reasons, when given, receives a line
    // per such name: the name and why. A line of copy.txt that names no file of the database
    // (listedFiles) and a listed file the database folder does not hold are skipped, and the copy
    // holds the other files. A file that exists and cannot be copied (a missing target folder,
    // the database's own folder as target, no access, a full disk, a file locked by another
    // program for longer than kLockWaitMs) leaves the older copy as it was: then every listed
    // name is returned, and the reasons say that the older copy was kept.
    static QStringList copyListed(const QString& folder, const QString& target,
                                  const std::function<void()>& step = {},
                                  QStringList* reasons = nullptr);

    // Finishes in target a copy that was killed after its point of no return, and removes what
    // copies killed earlier left there (their hidden folders, and the temporary files that older
    // versions wrote beside the listed files). False, with the reason, when a file could not be
    // moved: the copy stays unfinished, and the next call goes on with it.
    static bool finishInterrupted(const QString& target, QString* reason = nullptr);

    // For tests: runs after each file a copy makes and after each step of the swap, where a test
    // may kill the process. Empty by default.
    static void setCheckpoint(std::function<void()> checkpoint);

    // Copies one file, waiting for a lock until lockWait expires; false (with a reason) when it
    // could not.
    static bool copyFile(const QString& source, const QString& target, QString* reason = nullptr,
                         QDeadlineTimer lockWait = QDeadlineTimer(kLockWaitMs));

    // Whose copy a folder holds. The note a backup leaves in the folder names the database
    // folder it was copied from. A folder without a note that holds a database (a copy made by
    // an older version, or a database itself) is this database's copy when its oldest ledger
    // entries are this database's oldest ones; otherwise it counts as another database's, since
    // moving a copy aside that is not this database's would lose it at the next copy.
    enum class Holder { Nobody, ThisDatabase, AnotherDatabase };
    static Holder holder(const QString& target, const QString& folder);

    // The note's file name in a folder of copies.
    static QString noteFileName();
    // Writes the note into target: the text for people, then the database's name and folder on
    // lines of their own ("database=", "folder="). False when it cannot be written.
    static bool writeNote(const QString& target, const QString& folder, const QString& name,
                          const QString& text);

    // A database's name made fit to be one folder's name on every system: characters that
    // systems refuse in names become "_", blanks and dots at the ends go. A name left empty
    // gives the name of the database's folder, or "Database".
    static QString folderName(const QString& name, const QString& folder);
};

} // namespace zovi
