#pragma once

// Reading OFX bank and credit card statements.

#include "imports/importfile.h"

namespace zovi {

// Reads an OFX statement, version 1.x (SGML) or 2.x (XML): each transaction of its bank and
// credit card statements becomes an entry, dated as the file writes DTPOSTED (the calendar date,
// whatever time zone follows it), with TRNAMT as its amount and NAME (or the payee's name), else
// MEMO, as its name; an entry's line is the line its STMTTRN opens on. The file's currency is
// CURDEF; an entry whose amount the file gives in another currency (CURRENCY) names it.
// Throws ImportError when the file is not an OFX statement or cannot be read.
ImportedFile ReadOfx(const QString& path);

} // namespace zovi
