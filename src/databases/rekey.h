#pragma once

// Rewriting every table file of a database under another key: encryption switched on or off, or
// a new password for an encrypted database. The rewrite is whole or absent: a process killed at
// any moment leaves the database opening either with its old data.un and tables or with its new
// ones, never a mixture.
//
// Every table file that the folder's copy.txt lists, and those of the copies made at close in
// RCopy/ and RCopy/previous/, is written under the new key into a hidden folder of the database
// folder (".zovi-rekey-…"), with the new data.un, and written to the disk. Only then is that
// folder renamed ".zovi-rekeyed": the point of no return. Its files then move into their places,
// each rename replacing the old file, and the folder goes. finishInterrupted() finishes a rewrite
// killed after that point and removes what one killed before it left; every opening of the
// database runs it before it reads data.un.

#include <QString>
#include <memory>

namespace zovi {

class TableKey;

namespace Rekey {

// What a rewrite changes.
struct Change {
    std::shared_ptr<const TableKey> oldKey; // the key the tables are read with (null: plain)
    QString stored;                         // the new text of data.un (see PasswordHash)
    std::shared_ptr<const TableKey> newKey; // the key they are written with (null: plain)
};

// Rewrites the database in folder as change says, holding the folder (see FolderLock) while it
// works, after finishing a rewrite interrupted earlier. The copies in RCopy/ are first made whole
// (BackupCopy::finishInterrupted). Afterwards this process holds no key for the folder: the next
// opening derives the new one from data.un. Throws StoreError when the folder is open elsewhere,
// a table cannot be read with the old key or a file cannot be written; before the point of no
// return the database stays as it was. Tests stop the process after each file step through
// BackupCopy::setCheckpoint.
void apply(const QString& folder, const Change& change);

// Finishes, in folder, a rewrite killed after its point of no return, and removes what a rewrite
// killed before it left. Does nothing while another process (or another hold of this one) has
// the folder. False, with the reason, when a file could not be moved: the rewrite stays
// committed, and the next call goes on with it.
bool finishInterrupted(const QString& folder, QString* reason = nullptr);

} // namespace Rekey

} // namespace zovi
