#pragma once

// Reading the tables of an old database folder: Paradox tables through the reader program
// zovi_pxread in a child process, tables in our own SQLite layout through the store. Either
// way the result is the store's OldTable, with every text converted from the table's code page.

#include "store/oldtable.h"

#include <QString>

namespace zovi {

// The child process that reads Paradox tables, and how long it may stay silent before it is
// taken for hung and stopped.
struct ParadoxReader {
    QString program = DefaultProgram();
    int silenceLimitMs = 20000;

    // zovi_pxread beside the running program, else in the program folder.
    static QString DefaultProgram();
};

// Reads a Paradox table. A reader that fails, crashes or stays silent too long, a damaged
// table, a code page this program cannot read and a text that does not convert from the
// table's code page each throw StoreError naming the file; the program itself is never at risk.
OldTable ReadParadoxTable(const QString& path, const ParadoxReader& reader,
                          const ReadProgress& progress = {});

// Reads an old table file of either kind, told apart by the file's first bytes.
OldTable ReadOldTable(const QString& path, const ParadoxReader& reader,
                      const ReadProgress& progress = {});

} // namespace zovi
