#pragma once

// Encrypted table files. A database may keep its table files encrypted with a key made from its
// password. The encryption lives in SQLite's file layer: the store installs a file layer of its
// own as SQLite's default, which passes the files of plain databases through untouched and
// encrypts, page by page, every file that lies under a folder (or is a file) whose key this
// process holds. So every connection on such a file, the store's, a backup's or a copy's, reads
// and writes it encrypted without knowing it.
//
// The pages are sealed with libsodium's XChaCha20-Poly1305 (authenticated encryption): each
// page of a table file and each page image in its rollback journal is encrypted with a fresh
// random nonce, and its position in the file is bound in as associated data, so that a page
// changed, moved or cut short is refused, never read as data. The nonce and the tag live in the
// bytes SQLite reserves at the end of every page; an encrypted file therefore holds no plain
// byte of its tables, its first bytes included, and the sqlite3 tool calls it "not a database".
// Temporary files are kept in memory (temp_store=MEMORY on every connection), so that no sort or
// statement journal of an encrypted table reaches the disk in the clear.

#include <QString>
#include <memory>

namespace zovi {

// A 32-byte key in memory of its own that is kept out of swap and wiped when the key goes.
class TableKey {
public:
    static constexpr int kBytes = 32;

    // A key holding bytes (kBytes of them). Throws StoreError when no locked memory can be had.
    static std::shared_ptr<const TableKey> fromBytes(const unsigned char* bytes);
    // A fresh random key.
    static std::shared_ptr<const TableKey> random();

    ~TableKey();
    TableKey(const TableKey&) = delete;
    TableKey& operator=(const TableKey&) = delete;

    const unsigned char* bytes() const { return m_bytes; }

private:
    TableKey();
    unsigned char* m_bytes = nullptr;
};

namespace TableCrypt {

// The page size of an encrypted table file, and the bytes at the end of each page that hold its
// nonce and tag (SQLite's reserved bytes: a file under a key is made with them).
constexpr int kPageSize = 4096;
constexpr int kReservedBytes = 40;

// Installs the file layer as SQLite's default. Runs once per process, from any thread; the
// store calls it before it opens its first file, and so does everything else that opens SQLite
// files of a database.
void install();

// From now on, every SQLite file at path, or under it when path is a folder, is read and
// written encrypted with key, until forget(path). A null key makes the path plain again, even
// under a folder that has a key: the most specific path given counts. Paths are compared as
// absolute, cleaned paths.
void remember(const QString& path, std::shared_ptr<const TableKey> key);
void forget(const QString& path);
// The key a file at path is read and written with: null for a plain file.
std::shared_ptr<const TableKey> keyFor(const QString& path);

// Whether file is an encrypted table file: it exists, does not begin with SQLite's header and
// holds whole pages. It says nothing about which key opens it.
bool looksEncrypted(const QString& file);

// Writes target as a copy of the table file source, with every table, index, row and rowid, and
// the AUTOINCREMENT counters: read with sourceKey (null: plain) and written with targetKey
// (null: plain), whatever the keys remembered for their paths. target must not exist yet; it is
// written to the disk (synced) before the call returns. Throws StoreError when source cannot be
// read with its key (a wrong key included) or target cannot be written; a half-written target
// is removed.
void rewrite(const QString& source, const std::shared_ptr<const TableKey>& sourceKey,
             const QString& target, const std::shared_ptr<const TableKey>& targetKey);

} // namespace TableCrypt

} // namespace zovi
