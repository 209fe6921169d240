#pragma once

// The file steps that the copies of a database (BackupCopy) and the rewrite of its tables under
// another key (Rekey) share: each step is whole or not done, and tests may stop the process
// between any two of them.

#include <QString>

namespace zovi::FileSteps {

// Makes the entries of a folder (new names, renames) reach the disk.
void SyncFolder(const QString& folder);

// Renames a file or a folder in one step, replacing a file of the new name; false with the
// reason when it cannot.
bool Rename(const QString& from, const QString& to, QString* reason);

// Copies a file as it is, byte for byte, through a temporary file beside the target that is
// renamed over it once written to the disk; false with the reason when it cannot.
bool CopyBytes(const QString& source, const QString& target, QString* reason);

// Runs the checkpoint a test set with BackupCopy::setCheckpoint (nothing otherwise): after each
// step, where the test may kill the process.
void Checkpoint();

} // namespace zovi::FileSteps
