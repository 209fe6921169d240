#pragma once

// The reader of QIF files, the exchange format of home finance programs: the entries of their
// bank, cash, credit card and other asset or liability accounts.

#include "imports/importfile.h"

namespace zovi {

// Reads a QIF file (bytes as on disk; the encoding by GuessEncoding). Reads the sections
// "!Type:Bank", "Cash", "CCard", "Oth A" and "Oth L"; skips investments, lists of categories,
// classes and memorized entries. An "!Account" section's name becomes the account of the entries
// of the section after it. The order of day and month and the decimal separator are decided
// once for the whole file. A record whose date or amount cannot be read goes to unread.
// Throws ImportError when the bytes are no QIF file of accounts (empty, binary, or no "!Type:"
// line of a section it reads).
ImportedFile ReadQif(const QByteArray& bytes);

} // namespace zovi
