#pragma once

// How a database's password is kept in its data.un: as a salted, slow hash (Argon2id), never as
// typed. The stored text describes itself ("$argon2id$v=19$m=…,t=…,p=…$salt$hash", base64), so
// the check reads the cost and the salt from it. Older versions kept the password as typed;
// such a text is still read and compared as typed, until the opening of the database replaces
// it with its hash.

#include <QString>

namespace zovi::PasswordHash {

// The text stored for password: empty for none (an empty stored password means the database
// has none), otherwise a new hash with a fresh salt. Throws StoreError when no hash can be made
// (the memory the hash needs cannot be had).
QString make(const QString& password);

// Whether stored is a hash make() wrote, rather than a password kept as typed. Only the whole
// form counts: a password typed to begin like a hash is still a password kept as typed.
bool isHash(const QString& stored);

// Whether typed is the password that stored keeps: a hash is checked by hashing typed with its
// salt and cost, a password kept as typed is compared exactly (letter case counts). Either
// comparison takes the same time wherever the texts differ. An empty stored password matches
// only an empty text.
bool matches(const QString& typed, const QString& stored);

// The cost of the hashes make() writes from now on. The program keeps the default, about a
// fifth of a second and 64 MiB; tests that only need a hash, not its strength, lower it.
enum class Cost { Default, Lowest };
void setCost(Cost cost);

} // namespace zovi::PasswordHash
