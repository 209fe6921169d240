#pragma once

// How a database's password is kept in its data.un: as a salted, slow hash (Argon2id), never as
// typed. The stored text describes itself ("$argon2id$v=19$m=…,t=…,p=…$salt$hash", base64), so
// the check reads the cost and the salt from it. Older versions kept the password as typed;
// such a text is still read and compared as typed, until the opening of the database replaces
// it with its hash.

#include <QString>
#include <memory>

namespace zovi {
class TableKey;
}

namespace zovi::PasswordHash {

// The text stored for password: empty for none (an empty stored password means the database
// has none), otherwise a new hash with a fresh salt. Throws StoreError when no hash can be made
// (the memory the hash needs cannot be had).
QString make(const QString& password);

// Whether stored is a hash make() wrote, rather than a password kept as typed. Only the whole
// form counts: a password typed to begin like a hash is still a password kept as typed.
bool isHash(const QString& stored);

// Whether typed is the password that stored keeps: a hash is checked by hashing typed with its
// salt and cost, the keyed form below through unlock(), a password kept as typed is compared
// exactly (letter case counts). Either comparison takes the same time wherever the texts differ. An
// empty stored password matches only an empty text.
bool matches(const QString& typed, const QString& stored);

// A database whose tables are encrypted keeps another form ("$zovi-tables$argon2id$v=19$m=…,
// t=…,p=…$salt$check", base64): one slow derivation (Argon2id) of the password with the salt gives
// a secret of 32 bytes, and both the check kept and the key of the table files are keyed hashes
// of that secret over labels of their own. So the one derivation at opening both checks the
// password and yields the key, and data.un holds neither the password nor the key.

// Whether stored is that form.
bool isKeyed(const QString& stored);
// The text stored for password (which must not be empty) in that form, with a fresh salt; key
// receives the key of the table files it opens. Throws StoreError as make() does.
QString makeKeyed(const QString& password, std::shared_ptr<const TableKey>* key);
// The key of the table files when typed is the password that stored (of the keyed form) keeps;
// null otherwise.
std::shared_ptr<const TableKey> unlock(const QString& typed, const QString& stored);
// The key that the last matches() that passed on the keyed form derived for stored, forgotten as
// it is given: the password window checks what the user types with matches(), and the opening
// takes the key that check yielded, without deriving it a second time. Null when the last check
// that passed was not of stored.
std::shared_ptr<const TableKey> takeUnlocked(const QString& stored);

// The cost of the hashes make() and makeKeyed() write from now on. The program keeps the default,
// about a fifth of a second and 64 MiB; tests that only need a hash, not its strength, lower it.
enum class Cost { Default, Lowest };
void setCost(Cost cost);

} // namespace zovi::PasswordHash
