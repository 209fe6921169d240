#include "store/tablecrypt.h"

#include "store/error.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <sodium.h>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace zovi {

namespace {

void InitSodium() {
    static const int ready = sodium_init();
    if (ready < 0)
        throw StoreError(QStringLiteral("The encryption library cannot be started."));
}

// The page layout of an encrypted file: SQLite's page size is fixed, and the last bytes of each
// page, which SQLite reserves and leaves alone, hold the page's nonce and tag.
using TableCrypt::kPageSize;
constexpr int kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr int kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr int kReserve = kNonceBytes + kTagBytes;
constexpr int kSealed = kPageSize - kReserve;
static_assert(kReserve == TableCrypt::kReservedBytes);
static_assert(crypto_aead_xchacha20poly1305_ietf_KEYBYTES == TableKey::kBytes);

// The associated data of a page: what it is (a table page or a page image in a journal) and
// where it lies, so that a page moved within its file or into another kind of file is refused.
constexpr char kTableLabel[] = "zovi table page";
constexpr char kJournalLabel[] = "zovi journal page";
constexpr int kLabelBytes = 18;
static_assert(sizeof kTableLabel <= kLabelBytes && sizeof kJournalLabel <= kLabelBytes);

struct Associated {
    unsigned char bytes[kLabelBytes + 8] = {};
    Associated(const char* label, sqlite3_int64 offset) {
        std::memcpy(bytes, label, std::strlen(label));
        auto value = static_cast<unsigned long long>(offset);
        for (int i = 0; i < 8; ++i)
            bytes[kLabelBytes + i] = static_cast<unsigned char>(value >> (8 * i));
    }
};

// Seals plain (a whole page) into out, with a fresh nonce and the tag in the reserved bytes.
void SealPage(const unsigned char* plain, unsigned char* out, const TableKey& key,
              const char* label, sqlite3_int64 offset) {
    const Associated ad(label, offset);
    unsigned char* nonce = out + kSealed;
    unsigned char* tag = nonce + kNonceBytes;
    randombytes_buf(nonce, kNonceBytes);
    crypto_aead_xchacha20poly1305_ietf_encrypt_detached(
        out, tag, nullptr, plain, kSealed, ad.bytes, sizeof ad.bytes, nullptr, nonce, key.bytes());
}

// Opens a sealed page in place. On success the reserved bytes read as zeros, as SQLite left
// them; on failure the whole page is wiped, so that no unverified byte is handed out.
bool OpenPage(unsigned char* page, const TableKey& key, const char* label, sqlite3_int64 offset) {
    const Associated ad(label, offset);
    unsigned char nonce[kNonceBytes];
    unsigned char tag[kTagBytes];
    std::memcpy(nonce, page + kSealed, kNonceBytes);
    std::memcpy(tag, page + kSealed + kNonceBytes, kTagBytes);
    const bool ok =
        crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            page, nullptr, page, kSealed, tag, ad.bytes, sizeof ad.bytes, nonce, key.bytes()) == 0;
    std::memset(ok ? page + kSealed : page, 0, ok ? kReserve : kPageSize);
    return ok;
}

// ---- The key ring ---------------------------------------------------------------------------

struct KeyRing {
    std::mutex mutex;
    std::map<QString, std::shared_ptr<const TableKey>> keys; // by cleaned absolute path
};

KeyRing& Ring() {
    static KeyRing ring;
    return ring;
}

// The forms under which a path is remembered: its cleaned absolute path and, where it differs,
// the path with symbolic links resolved, which is the name SQLite opens the file by.
QStringList PathForms(const QString& path) {
    const QFileInfo info(path);
    QStringList forms{QDir::cleanPath(info.absoluteFilePath())};
    QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty()) {
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        if (!folder.isEmpty())
            resolved = folder + QLatin1Char('/') + info.fileName();
    }
    if (!resolved.isEmpty() && resolved != forms.first())
        forms << resolved;
    return forms;
}

// The key of the most specific remembered path for a cleaned absolute path: the path itself,
// then each folder above it. The caller holds the ring's lock.
std::shared_ptr<const TableKey> LookUp(const KeyRing& ring, QString path) {
    if (ring.keys.empty())
        return nullptr;
    for (;;) {
        const auto it = ring.keys.find(path);
        if (it != ring.keys.end())
            return it->second;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || path == QLatin1String("/"))
            return nullptr;
        path.truncate(slash == 0 ? 1 : slash);
    }
}

std::shared_ptr<const TableKey> KeyForOpenedName(const char* name) {
    KeyRing& ring = Ring();
    std::lock_guard lock(ring.mutex);
    if (ring.keys.empty())
        return nullptr;
    return LookUp(ring, QDir::cleanPath(QFile::decodeName(name)));
}

// ---- The file layer ---------------------------------------------------------------------------

sqlite3_vfs* g_base = nullptr; // the layer underneath: the default before ours was installed
sqlite3_vfs g_vfs;
sqlite3_io_methods g_tableMethods;
sqlite3_io_methods g_journalMethods;

// An encrypted file as SQLite sees it: this header, followed by the base layer's file object.
// Plain files have no header: the base layer's object takes the whole space and SQLite calls the
// base layer's methods directly.
struct CryptFile {
    sqlite3_file base;
    sqlite3_file* real;
    std::shared_ptr<const TableKey> key;
    unsigned char* page; // a page's worth of room for sealing and opening
};

constexpr int kHeaderSize = int((sizeof(CryptFile) + 7) & ~size_t(7));

CryptFile* Crypt(sqlite3_file* file) {
    return reinterpret_cast<CryptFile*>(file);
}

sqlite3_file* Real(sqlite3_file* file) {
    return Crypt(file)->real;
}

int CryptClose(sqlite3_file* file) {
    CryptFile* f = Crypt(file);
    const int rc = f->real->pMethods ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
    f->real->pMethods = nullptr;
    sodium_memzero(f->page, kPageSize);
    delete[] f->page;
    f->key.~shared_ptr();
    return rc;
}

// Reads page number index (from 0) of the file into page. SQLITE_OK with the page opened; the
// page zeroed with SQLITE_IOERR_SHORT_READ when the file ends before it; SQLITE_IOERR_DATA for a
// page that is cut short or fails its check.
int ReadTablePage(CryptFile* f, sqlite3_int64 index, unsigned char* page) {
    const sqlite3_int64 offset = index * kPageSize;
    int rc = f->real->pMethods->xRead(f->real, page, kPageSize, offset);
    if (rc == SQLITE_IOERR_SHORT_READ) {
        sqlite3_int64 size = 0;
        if (f->real->pMethods->xFileSize(f->real, &size) != SQLITE_OK || size > offset) {
            std::memset(page, 0, kPageSize);
            return SQLITE_IOERR_DATA;
        }
        std::memset(page, 0, kPageSize);
        return rc;
    }
    if (rc != SQLITE_OK)
        return rc;
    return OpenPage(page, *f->key, kTableLabel, offset) ? SQLITE_OK : SQLITE_IOERR_DATA;
}

int TableRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    CryptFile* f = Crypt(file);
    auto* out = static_cast<unsigned char*>(buffer);
    int result = SQLITE_OK;
    while (amount > 0) {
        const sqlite3_int64 index = offset / kPageSize;
        const int within = int(offset % kPageSize);
        const int n = std::min(amount, kPageSize - within);
        // A whole page is opened where SQLite wants it; a part goes through the page room.
        unsigned char* page = n == kPageSize ? out : f->page;
        const int rc = ReadTablePage(f, index, page);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) {
            std::memset(buffer, 0, size_t(out - static_cast<unsigned char*>(buffer)));
            return rc;
        }
        if (page != out)
            std::memcpy(out, page + within, size_t(n));
        if (rc == SQLITE_IOERR_SHORT_READ)
            result = rc;
        out += n;
        offset += n;
        amount -= n;
    }
    return result;
}

int TableWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    CryptFile* f = Crypt(file);
    if (offset % kPageSize != 0 || amount % kPageSize != 0)
        return SQLITE_IOERR_WRITE;
    const auto* in = static_cast<const unsigned char*>(buffer);
    for (; amount > 0; amount -= kPageSize, in += kPageSize, offset += kPageSize) {
        if (offset == 0) {
            // The header must keep the bytes the nonce and tag take free: a file copied into an
            // encrypted folder from a plain one has its data there.
            const int pageSize = (in[16] << 8) | in[17];
            if (pageSize != kPageSize || in[20] < kReserve)
                return SQLITE_IOERR_WRITE;
        }
        SealPage(in, f->page, *f->key, kTableLabel, offset);
        const int rc = f->real->pMethods->xWrite(f->real, f->page, kPageSize, offset);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

// In a rollback journal, a page image is written as its own write of a whole page at 4 bytes
// past an 8-byte boundary (the headers take whole sectors, each record 4 + page + 4 bytes).
// Everything else in a journal, the headers, page numbers and checksums, holds no table data.
bool IsPageImage(int amount, sqlite3_int64 offset) {
    return amount == kPageSize && offset % 8 == 4;
}

int JournalRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    CryptFile* f = Crypt(file);
    const int rc = f->real->pMethods->xRead(f->real, buffer, amount, offset);
    if (rc != SQLITE_OK || !IsPageImage(amount, offset))
        return rc;
    return OpenPage(static_cast<unsigned char*>(buffer), *f->key, kJournalLabel, offset)
               ? SQLITE_OK
               : SQLITE_IOERR_DATA;
}

int JournalWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    CryptFile* f = Crypt(file);
    if (!IsPageImage(amount, offset))
        return f->real->pMethods->xWrite(f->real, buffer, amount, offset);
    SealPage(static_cast<const unsigned char*>(buffer), f->page, *f->key, kJournalLabel, offset);
    return f->real->pMethods->xWrite(f->real, f->page, kPageSize, offset);
}

int CryptTruncate(sqlite3_file* file, sqlite3_int64 size) {
    return Real(file)->pMethods->xTruncate(Real(file), size);
}
int CryptSync(sqlite3_file* file, int flags) {
    return Real(file)->pMethods->xSync(Real(file), flags);
}
int CryptFileSize(sqlite3_file* file, sqlite3_int64* size) {
    return Real(file)->pMethods->xFileSize(Real(file), size);
}
int CryptLock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xLock(Real(file), level);
}
int CryptUnlock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xUnlock(Real(file), level);
}
int CryptCheckReservedLock(sqlite3_file* file, int* result) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), result);
}
int CryptFileControl(sqlite3_file* file, int op, void* arg) {
    return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}
int CryptSectorSize(sqlite3_file* file) {
    return Real(file)->pMethods->xSectorSize(Real(file));
}
int CryptDeviceCharacteristics(sqlite3_file* file) {
    return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

// Version 1 of the methods: no shared memory, so no write-ahead log (whose frames would not be
// encrypted), and no memory-mapped reads past the decryption.
sqlite3_io_methods MakeMethods(int (*read)(sqlite3_file*, void*, int, sqlite3_int64),
                               int (*write)(sqlite3_file*, const void*, int, sqlite3_int64)) {
    sqlite3_io_methods m{};
    m.iVersion = 1;
    m.xClose = CryptClose;
    m.xRead = read;
    m.xWrite = write;
    m.xTruncate = CryptTruncate;
    m.xSync = CryptSync;
    m.xFileSize = CryptFileSize;
    m.xLock = CryptLock;
    m.xUnlock = CryptUnlock;
    m.xCheckReservedLock = CryptCheckReservedLock;
    m.xFileControl = CryptFileControl;
    m.xSectorSize = CryptSectorSize;
    m.xDeviceCharacteristics = CryptDeviceCharacteristics;
    return m;
}

// The key a file SQLite opens is written with: table files and their rollback journals under a
// remembered path; never temporary files (kept in memory anyway) or super-journals, which hold
// only file names.
std::shared_ptr<const TableKey> KeyForOpen(sqlite3_filename name, int flags) {
    if (name == nullptr)
        return nullptr;
    if (flags & SQLITE_OPEN_MAIN_DB)
        return KeyForOpenedName(name);
    if (flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL))
        return KeyForOpenedName(sqlite3_filename_database(name));
    return nullptr;
}

int VfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    std::shared_ptr<const TableKey> key = KeyForOpen(name, flags);
    if (!key)
        return g_base->xOpen(g_base, name, file, flags, outFlags);
    // The write-ahead log would hold the pages in the clear.
    if (flags & SQLITE_OPEN_WAL)
        return SQLITE_CANTOPEN;

    CryptFile* f = Crypt(file);
    f->base.pMethods = nullptr;
    f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kHeaderSize);
    f->real->pMethods = nullptr;
    const int rc = g_base->xOpen(g_base, name, f->real, flags, outFlags);
    if (f->real->pMethods == nullptr)
        return rc == SQLITE_OK ? SQLITE_CANTOPEN : rc;
    if (rc != SQLITE_OK) {
        f->real->pMethods->xClose(f->real);
        return rc;
    }
    new (&f->key) std::shared_ptr<const TableKey>(std::move(key));
    f->page = new (std::nothrow) unsigned char[kPageSize];
    f->base.pMethods = (flags & SQLITE_OPEN_MAIN_DB) ? &g_tableMethods : &g_journalMethods;
    if (f->page == nullptr) {
        CryptClose(file);
        f->base.pMethods = nullptr;
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int VfsDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_base->xDelete(g_base, name, syncDir);
}
int VfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return g_base->xAccess(g_base, name, flags, result);
}
int VfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_base->xFullPathname(g_base, name, size, out);
}
void* VfsDlOpen(sqlite3_vfs*, const char* name) {
    return g_base->xDlOpen(g_base, name);
}
void VfsDlError(sqlite3_vfs*, int size, char* message) {
    g_base->xDlError(g_base, size, message);
}
void (*VfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return g_base->xDlSym(g_base, handle, symbol);
}
void VfsDlClose(sqlite3_vfs*, void* handle) {
    g_base->xDlClose(g_base, handle);
}
int VfsRandomness(sqlite3_vfs*, int size, char* out) {
    return g_base->xRandomness(g_base, size, out);
}
int VfsSleep(sqlite3_vfs*, int microseconds) {
    return g_base->xSleep(g_base, microseconds);
}
int VfsCurrentTime(sqlite3_vfs*, double* now) {
    return g_base->xCurrentTime(g_base, now);
}
int VfsGetLastError(sqlite3_vfs*, int size, char* out) {
    return g_base->xGetLastError ? g_base->xGetLastError(g_base, size, out) : 0;
}
int VfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return g_base->xCurrentTimeInt64(g_base, now);
}

// Every connection of the process keeps its temporary files in memory.
int TempStoreInMemory(sqlite3* db, const char**, const sqlite3_api_routines*) {
    return sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
}

void InstallOnce() {
    InitSodium();
    g_base = sqlite3_vfs_find(nullptr);
    if (g_base == nullptr || g_base->iVersion < 2)
        throw StoreError(QStringLiteral("SQLite has no file layer to build on."));
    g_tableMethods = MakeMethods(TableRead, TableWrite);
    g_journalMethods = MakeMethods(JournalRead, JournalWrite);
    g_vfs = sqlite3_vfs{};
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = kHeaderSize + g_base->szOsFile;
    g_vfs.mxPathname = g_base->mxPathname;
    g_vfs.zName = "zovi-crypt";
    g_vfs.xOpen = VfsOpen;
    g_vfs.xDelete = VfsDelete;
    g_vfs.xAccess = VfsAccess;
    g_vfs.xFullPathname = VfsFullPathname;
    g_vfs.xDlOpen = VfsDlOpen;
    g_vfs.xDlError = VfsDlError;
    g_vfs.xDlSym = VfsDlSym;
    g_vfs.xDlClose = VfsDlClose;
    g_vfs.xRandomness = VfsRandomness;
    g_vfs.xSleep = VfsSleep;
    g_vfs.xCurrentTime = VfsCurrentTime;
    g_vfs.xGetLastError = VfsGetLastError;
    g_vfs.xCurrentTimeInt64 = VfsCurrentTimeInt64;
    if (sqlite3_vfs_register(&g_vfs, 1) != SQLITE_OK ||
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(TempStoreInMemory)) != SQLITE_OK)
        throw StoreError(QStringLiteral("The encrypting file layer cannot be installed."));
}

} // namespace

// ---- TableKey ---------------------------------------------------------------------------------

TableKey::TableKey() {
    InitSodium();
    m_bytes = static_cast<unsigned char*>(sodium_malloc(kBytes));
    if (m_bytes == nullptr)
        throw StoreError(QStringLiteral("No protected memory is left for a key."));
}

TableKey::~TableKey() {
    sodium_free(m_bytes);
}

std::shared_ptr<const TableKey> TableKey::fromBytes(const unsigned char* bytes) {
    std::shared_ptr<TableKey> key(new TableKey);
    std::memcpy(key->m_bytes, bytes, kBytes);
    return key;
}

std::shared_ptr<const TableKey> TableKey::random() {
    std::shared_ptr<TableKey> key(new TableKey);
    randombytes_buf(key->m_bytes, kBytes);
    return key;
}

namespace TableCrypt {

void install() {
    static std::once_flag once;
    std::call_once(once, InstallOnce);
}

void remember(const QString& path, std::shared_ptr<const TableKey> key) {
    KeyRing& ring = Ring();
    std::lock_guard lock(ring.mutex);
    for (const QString& form : PathForms(path))
        ring.keys[form] = key;
}

void forget(const QString& path) {
    KeyRing& ring = Ring();
    std::lock_guard lock(ring.mutex);
    for (const QString& form : PathForms(path))
        ring.keys.erase(form);
}

std::shared_ptr<const TableKey> keyFor(const QString& path) {
    KeyRing& ring = Ring();
    std::lock_guard lock(ring.mutex);
    return LookUp(ring, PathForms(path).last());
}

bool looksEncrypted(const QString& file) {
    install();
    // Read through the layer underneath, as SQLite does: it keeps the locks of this process's
    // connections on the file, which opening and closing it any other way would drop.
    const QByteArray name = QFile::encodeName(QFileInfo(file).absoluteFilePath());
    if (!QFileInfo(file).isFile())
        return false;
    std::vector<char> room(size_t(g_base->szOsFile));
    auto* handle = reinterpret_cast<sqlite3_file*>(room.data());
    int outFlags = 0;
    if (g_base->xOpen(g_base, name.constData(), handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB,
                      &outFlags) != SQLITE_OK) {
        if (handle->pMethods)
            handle->pMethods->xClose(handle);
        return false;
    }
    sqlite3_int64 size = 0;
    char header[16] = {};
    const bool read = handle->pMethods->xFileSize(handle, &size) == SQLITE_OK &&
                      handle->pMethods->xRead(handle, header, sizeof header, 0) == SQLITE_OK;
    handle->pMethods->xClose(handle);
    static const char kHeader[] = "SQLite format 3";
    return read && size > 0 && size % kPageSize == 0 &&
           std::memcmp(header, kHeader, sizeof header) != 0;
}

namespace {

// Remembers keys for exact paths for a while, and puts back what the ring held for them before.
class Remembered {
public:
    void set(const QString& path, const std::shared_ptr<const TableKey>& key) {
        KeyRing& ring = Ring();
        std::lock_guard lock(ring.mutex);
        for (const QString& form : PathForms(path)) {
            const auto it = ring.keys.find(form);
            m_before.emplace_back(form,
                                  it == ring.keys.end() ? std::nullopt : std::optional(it->second));
            ring.keys[form] = key;
        }
    }
    ~Remembered() {
        KeyRing& ring = Ring();
        std::lock_guard lock(ring.mutex);
        for (auto it = m_before.rbegin(); it != m_before.rend(); ++it) {
            if (it->second)
                ring.keys[it->first] = *it->second;
            else
                ring.keys.erase(it->first);
        }
    }

private:
    std::vector<std::pair<QString, std::optional<std::shared_ptr<const TableKey>>>> m_before;
};

// Syncs a folder, so that a file made in it stays after a power loss.
bool SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The copy of one table file into a new one, on a connection of its own.
class Rewriter {
public:
    Rewriter(const QString& source, const QString& target) : m_source(source), m_target(target) {}
    ~Rewriter() {
        if (m_db)
            sqlite3_close_v2(m_db);
    }

    void run(bool keyed) {
        const QByteArray name = QFile::encodeName(m_target);
        const int rc = sqlite3_open_v2(name.constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                           SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                                       nullptr);
        if (rc != SQLITE_OK)
            fail(m_target, m_db ? message() : QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_extended_result_codes(m_db, 1);
        // The page layout is settled before the first page is written.
        exec("PRAGMA page_size=4096");
        int reserve = keyed ? kReserve : 0;
        if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve) != SQLITE_OK)
            fail(m_target, message());
        exec("PRAGMA journal_mode=DELETE");
        exec("PRAGMA synchronous=FULL");

        const QByteArray uri = QUrl::fromLocalFile(m_source).toEncoded() + "?mode=ro";
        {
            Statement attach(m_db, QStringLiteral("ATTACH DATABASE ? AS src"));
            sqlite3_bind_text(attach.get(), 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
            step(attach, m_source);
        }
        read(QStringLiteral("SELECT count(*) FROM src.sqlite_schema"));

        exec("BEGIN IMMEDIATE");
        struct Entry {
            QString type, name, sql;
        };
        std::vector<Entry> entries;
        bool sequence = false;
        {
            Statement schema(m_db, QStringLiteral("SELECT type, name, sql FROM src.sqlite_schema "
                                                  "ORDER BY rowid"));
            while (step(schema, m_source)) {
                Entry e{text(schema, 0), text(schema, 1), text(schema, 2)};
                if (e.name.compare(QLatin1String("sqlite_sequence"), Qt::CaseInsensitive) == 0)
                    sequence = true;
                if (!e.sql.isEmpty() &&
                    !e.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                    entries.push_back(e);
            }
        }
        // The tables and their rows first; indexes are built on the full tables, and triggers
        // come last, so that the copying fires none.
        for (const Entry& e : entries) {
            if (e.type == QLatin1String("table")) {
                exec(e.sql.toUtf8());
                copyRows(e.name);
            }
        }
        if (sequence)
            exec("DELETE FROM main.sqlite_sequence; INSERT INTO main.sqlite_sequence(name, seq) "
                 "SELECT name, seq FROM src.sqlite_sequence");
        for (const char* type : {"index", "view", "trigger"}) {
            for (const Entry& e : entries) {
                if (e.type == QLatin1String(type))
                    exec(e.sql.toUtf8());
            }
        }
        for (const char* pragma : {"user_version", "application_id"}) {
            const QString value = read(QStringLiteral("PRAGMA src.%1").arg(QLatin1String(pragma)));
            exec(QStringLiteral("PRAGMA main.%1=%2")
                     .arg(QLatin1String(pragma), QString::number(value.toLongLong()))
                     .toUtf8());
        }
        exec("COMMIT");
        exec("DETACH DATABASE src");
        const int closed = sqlite3_close(m_db);
        if (closed != SQLITE_OK)
            fail(m_target, message());
        m_db = nullptr;
        if (!SyncFolder(QFileInfo(m_target).absolutePath()))
            fail(m_target, QStringLiteral("its folder cannot be synced"));
    }

private:
    [[noreturn]] void fail(const QString& file, const QString& why) const {
        if (file == m_source)
            throw StoreError(CannotReadMessage(file, why));
        throw StoreError(CannotWriteMessage(file, why));
    }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

    // A failure names the file it lies in: the source when it is read, the target otherwise.
    void exec(const QByteArray& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString why = error ? QString::fromUtf8(error) : message();
            sqlite3_free(error);
            fail(m_target, why);
        }
    }
    bool step(Statement& st, const QString& file) {
        try {
            return st.step();
        } catch (const StoreError& e) {
            fail(file, e.message());
        }
    }
    static QString text(Statement& st, int column) {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(st.get(), column)));
    }
    QString read(const QString& sql) {
        Statement st(m_db, sql);
        return step(st, m_source) ? text(st, 0) : QString();
    }

    // Copies the rows of a table with their rowids.
    void copyRows(const QString& table) {
        const QString q = QuoteIdent(table);
        QStringList columns;
        bool rowidAlias = false;
        {
            Statement info(m_db, QStringLiteral("PRAGMA src.table_xinfo(%1)").arg(q));
            int keys = 0;
            bool integerKey = false;
            while (step(info, m_source)) {
                // Generated columns (hidden 2 and 3) are computed, never written.
                const int hidden = sqlite3_column_int(info.get(), 6);
                if (hidden != 0 && hidden != 1)
                    continue;
                columns << QuoteIdent(text(info, 1));
                if (sqlite3_column_int(info.get(), 5) > 0) {
                    ++keys;
                    integerKey =
                        text(info, 2).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
                }
            }
            rowidAlias = keys == 1 && integerKey;
        }
        const bool withoutRowid =
            read(QStringLiteral("SELECT count(*) FROM src.sqlite_schema WHERE "
                                "type = 'table' AND name = %1 AND sql LIKE "
                                "'%WITHOUT%ROWID%'")
                     .arg(QuoteLiteral(table)))
                .toInt() > 0;
        if (columns.isEmpty())
            fail(m_source, QStringLiteral("the table %1 has no columns").arg(table));
        QString target = columns.join(QLatin1String(", "));
        QString select = target;
        if (!rowidAlias && !withoutRowid) {
            target.prepend(QLatin1String("rowid, "));
            select.prepend(QLatin1String("rowid, "));
        }
        exec(QStringLiteral("INSERT INTO main.%1(%2) SELECT %3 FROM src.%1")
                 .arg(q, target, select)
                 .toUtf8());
    }
    static QString QuoteLiteral(const QString& text) {
        QString quoted = text;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }

    QString m_source;
    QString m_target;
    sqlite3* m_db = nullptr;
};

} // namespace

void rewrite(const QString& source, const std::shared_ptr<const TableKey>& sourceKey,
             const QString& target, const std::shared_ptr<const TableKey>& targetKey) {
    install();
    if (!QFileInfo(source).isFile())
        throw StoreError(CannotReadMessage(source, QStringLiteral("the file does not exist")));
    if (QFileInfo::exists(target))
        throw StoreError(CannotWriteMessage(target, QStringLiteral("the file exists already")));
    Remembered keys;
    keys.set(source, sourceKey);
    keys.set(target, targetKey);
    try {
        Rewriter(source, target).run(targetKey != nullptr);
    } catch (...) {
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        throw;
    }
}

} // namespace TableCrypt

} // namespace zovi
