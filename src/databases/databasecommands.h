#pragma once

// What the database windows do once the user has chosen: open a database of the catalogue, add
// a database (made from the template or an existing folder), make a backup copy. The windows
// collect the choice and show the outcome; the doing lives here, so that it runs without any
// window.

#include "databases/catalogue.h"

#include <QString>
#include <functional>
#include <memory>

namespace zovi {

class DebtTables;
class LedgerTables;
class TableKey;

// Asks the user for the stored password of a database; true when the user gave it. It checks
// what the user types with PasswordHash::matches, which for a database whose tables are
// encrypted also yields their key (PasswordHash::takeUnlocked).
using PasswordConfirm = std::function<bool(const QString& stored)>;

// The password step before a database is opened or its catalogue entry changed.
struct PasswordCheck {
    bool passed = false;
    QString password; // the stored password (empty for none)
    QString error;    // why data.un could not be read; empty when it was read
    // The key of the table files that the given password unlocks; null for a plain database.
    std::shared_ptr<const TableKey> key;
};

// Passes when the folder holds no database (there is nothing to protect), the database has no
// password, or confirm accepts the stored one; confirm is asked only for a password that is set.
// A database whose tables are encrypted passes only when the check of the password yielded
// their key. Before data.un is read, a rewrite of the tables under another key that was
// interrupted is finished or undone (Rekey::finishInterrupted), so that data.un and the tables
// agree.
PasswordCheck CheckPassword(const QString& folder, const PasswordConfirm& confirm);

// Whether a catalogue entry may leave the catalogue.
struct EntryRemoval {
    bool allowed = false;
    QString notice; // shown before the removal: why no password could be asked for
};

// An entry leaves the catalogue once the stored password of its database is confirmed, as for
// any change of a protected database's entry. When data.un cannot be read, no password can be
// confirmed, and the user would be left with a line only a hand edit of bases.ini removes: the
// entry may then go, after a notice naming the file. The removal takes only the catalogue line
// and touches no file of the folder, so nothing of the database is reached without its password.
EntryRemoval CheckEntryRemoval(const QString& folder, const PasswordConfirm& confirm);

// The outcome of opening the database of a catalogue entry.
struct OpenOutcome {
    bool opened = false;
    QString folder;    // the opened folder, ending with "/"
    QString refusal;   // why it was not opened; empty when the user declined the password
    bool beep = false; // the folder holds no database: the refusal comes with a beep
    QString notice;    // said once the database is open: it is read-only
};

// Opens the database of folder into the handles of both modules. The folder is checked before
// any handle is touched (no data.un: "err019", a missing table: "err020"), then the stored
// password is confirmed, then every handle is bound and opened; step runs once per handle bound
// and once per handle opened. Refused, no handle is left open. The key of an encrypted database
// is remembered for its folder (data.un stays plain) before any handle opens, and the print
// tables are made fresh under it (see PreparePrintTables). An opened database without its
// RCopy/ folder gets one, so that the automatic copy at close is made, and a password kept as
// typed by an older version is replaced by its hash (a folder the user may only read stays as
// it is).
OpenOutcome OpenChosenDatabase(LedgerTables& data, DebtTables& cd, const QString& folder,
                               const PasswordConfirm& confirm,
                               const std::function<void()>& step = {});

// Makes the print work tables in Report/ of dataFolder fit for the database being opened, whose
// table key is key (null for a plain one). They hold the rows of the last printed report. For an
// encrypted database they are made fresh and encrypted with its key, so that its entries never
// lie in them in the clear and no report printed from another database stays readable; a plain
// database finds them plain: encrypted ones are made fresh and plain. Throws StoreError when
// they cannot be made.
void PreparePrintTables(const QString& dataFolder, const std::shared_ptr<const TableKey>& key);

// A database the user adds to the catalogue, as the entry dialog collected it.
struct NewDatabase {
    QString name;            // the display name, trimmed
    QString password;        // stored into a database made from the template
    bool encrypt = false;    // its tables are encrypted with the password (when there is one)
    bool create = true;      // make the database from the template; otherwise register the folder
    bool inDatabases = true; // the folder is Databases/<name>/ of the program folder
    QString folder;          // the folder typed or chosen otherwise
};

// The outcome of adding a database.
struct NewDatabaseOutcome {
    bool added = false; // the entry may go into the catalogue
    // The catalogue entry; its folder is set once the folder is known to exist, even when the
    // copy of the template then failed.
    CatalogueEntry entry;
    QString message; // the refusal, or a note to show before adding (the database existed)
};

// Adds a database: registers an existing folder as it is, or makes the database from the
// program folder's Template/ with its password. A folder that already holds a database keeps
// every file and is registered under the new name. length receives the number of steps the
// copy will take, step runs once per copied file. A failed copy leaves nothing behind: neither
// the folders it made nor the files it added to a folder that already existed.
NewDatabaseOutcome AddDatabase(const NewDatabase& request,
                               const std::function<void(int length)>& length = {},
                               const std::function<void()>& step = {});

// A change of the password of a database, or of the encryption of its tables, as the entry
// dialog in edit mode collected it.
struct DatabaseChange {
    QString folder;
    QString oldPassword; // the password given at the check before the dialog (empty for none)
    QString newPassword; // the password field
    bool encrypt = false;
};

// Applies a change: nothing when the password and the encryption stay; a plain database that
// stays plain gets the new password's hash in data.un; otherwise every table file is rewritten
// under the new key, or plain (see Rekey::apply). Encryption needs a password. Returns the
// refusal (a wrong old password, a database open elsewhere, a file that cannot be written);
// empty when applied.
QString ChangeDatabase(const DatabaseChange& change);

// The outcome of a backup copy.
struct BackupOutcome {
    bool copied = false; // false: nothing was copied, message says why
    QString message;     // the refusal, or the files that could not be copied; empty when whole
    QString target;      // the folder the copy went into
};

// The folder the backup window proposes when it opens: the folder used last (stored), unless
// none is stored or it is the program folder, which is not the user's own: then the user's
// folder for backups (BackupsFolder).
QString ProposedBackupFolder(const QString& stored);

// The folder a backup of the database in folder, whose name is name, goes into when the user
// chose the folder chosen. In the user's folder for backups each database has a sub-folder named
// after it. A chosen folder that holds a copy of another database (BackupCopy::holder) is never
// written over: the copy goes into its sub-folder named after this database, or, when that one
// too holds another's copy, "name (2)", "name (3)" and so on. Otherwise it is chosen itself.
QString BackupTarget(const QString& folder, const QString& name, const QString& chosen);

// Copies the files listed in the copy.txt of folder into the folder BackupTarget gives for
// chosen, made when missing, and leaves there the note naming the database. step runs once per
// listed file. A backup that was not made whole never looks successful: the message names every
// file that failed, and why. The copy runs on a thread of its own while the caller's thread keeps
// its event loop turning (without user input), so that waiting for a locked file never freezes a
// window; step runs on the caller's thread.
BackupOutcome MakeBackup(const QString& folder, const QString& name, const QString& chosen,
                         const std::function<void()>& step = {});

// The automatic copy at close into the database's RCopy/ folder: silent, a file that cannot be
// copied is skipped. It waits for locked files as MakeBackup does, without freezing a window.
void MakeLocalCopy(const QString& folder);

} // namespace zovi
