#include "databases/passwordhash.h"

#include "store/error.h"
#include "store/tablecrypt.h"

#include <QByteArray>
#include <QMutex>
#include <QRegularExpression>
#include <atomic>
#include <sodium.h>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;

namespace zovi::PasswordHash {

namespace {

std::atomic<Cost> g_cost{Cost::Default};

// libsodium must be set up once before its first use; it may be set up again from any thread.
bool Ready() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// A hash of a text with a key of its own, so that two texts are compared in the same time
// whatever their lengths and wherever they differ.
QByteArray Digest(const QByteArray& text, const unsigned char* key) {
    QByteArray digest(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(digest.data()), size_t(digest.size()),
                       reinterpret_cast<const unsigned char*>(text.constData()),
                       size_t(text.size()), key, crypto_generichash_KEYBYTES);
    return digest;
}

bool SameInConstantTime(const QByteArray& a, const QByteArray& b) {
    unsigned char key[crypto_generichash_KEYBYTES];
    randombytes_buf(key, sizeof key);
    const QByteArray da = Digest(a, key);
    const QByteArray db = Digest(b, key);
    return sodium_memcmp(da.constData(), db.constData(), size_t(da.size())) == 0;
}

// The cost of a new hash.
unsigned long long OpsLimit() {
    return g_cost.load() == Cost::Lowest ? crypto_pwhash_OPSLIMIT_MIN
                                         : crypto_pwhash_OPSLIMIT_INTERACTIVE;
}
size_t MemLimit() {
    return g_cost.load() == Cost::Lowest ? crypto_pwhash_MEMLIMIT_MIN
                                         : crypto_pwhash_MEMLIMIT_INTERACTIVE;
}

StoreError NoHash() {
    return StoreError(u"The password cannot be made safe to store: the memory it needs "
                      u"cannot be had."_s);
}

// The keyed form: its prefix, the labels of the two hashes of the secret, and the largest cost
// read from a stored text (a text changed by hand must not make the opening take hours).
const QString kKeyedPrefix = u"$zovi-tables$argon2id$v=19$"_s;
constexpr char kCheckLabel[] = "password check";
constexpr char kKeyLabel[] = "table pages";
constexpr unsigned long long kMaxOps = 64;
constexpr unsigned long long kMaxMemoryKiB = 4ull * 1024 * 1024;
constexpr size_t kSecretBytes = 32;

// A secret of kSecretBytes in memory that is wiped when it goes.
class Secret {
public:
    Secret() { sodium_mlock(m_bytes, sizeof m_bytes); }
    ~Secret() { sodium_munlock(m_bytes, sizeof m_bytes); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    unsigned char* data() { return m_bytes; }
    const unsigned char* data() const { return m_bytes; }

private:
    unsigned char m_bytes[kSecretBytes] = {};
};

// The hash of a label keyed by the secret.
void LabelHash(const Secret& secret, const char* label, unsigned char* out, size_t length) {
    crypto_generichash(out, length, reinterpret_cast<const unsigned char*>(label),
                       std::char_traits<char>::length(label), secret.data(), kSecretBytes);
}

// The slow derivation of the secret from a password and a salt at a cost.
bool Derive(const QString& password, const QByteArray& salt, unsigned long long ops, size_t memory,
            Secret* secret) {
    QByteArray text = password.toUtf8();
    const bool derived = Ready() && salt.size() == crypto_pwhash_SALTBYTES &&
                         crypto_pwhash(secret->data(), kSecretBytes, text.constData(),
                                       static_cast<unsigned long long>(text.size()),
                                       reinterpret_cast<const unsigned char*>(salt.constData()),
                                       ops, memory, crypto_pwhash_ALG_ARGON2ID13) == 0;
    sodium_memzero(text.data(), size_t(text.size()));
    return derived;
}

QString Base64(const QByteArray& bytes) {
    QByteArray text(int(sodium_base64_ENCODED_LEN(size_t(bytes.size()),
                                                  sodium_base64_VARIANT_ORIGINAL_NO_PADDING)),
                    Qt::Uninitialized);
    sodium_bin2base64(text.data(), size_t(text.size()),
                      reinterpret_cast<const unsigned char*>(bytes.constData()),
                      size_t(bytes.size()), sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
    return QString::fromLatin1(text.constData()); // without the closing zero
}

// The bytes of base64 text, when it holds exactly length of them.
bool FromBase64(const QString& text, int length, QByteArray* bytes) {
    const QByteArray latin = text.toLatin1();
    bytes->resize(length);
    size_t written = 0;
    return sodium_base642bin(reinterpret_cast<unsigned char*>(bytes->data()), size_t(length),
                             latin.constData(), size_t(latin.size()), nullptr, &written, nullptr,
                             sodium_base64_VARIANT_ORIGINAL_NO_PADDING) == 0 &&
           written == size_t(length);
}

// The parts of a stored text of the keyed form.
struct Keyed {
    unsigned long long ops = 0;
    size_t memory = 0;
    QByteArray salt;
    QByteArray check;
};

bool ReadKeyed(const QString& stored, Keyed* keyed) {
    static const QRegularExpression form(
        u"^\\$zovi-tables\\$argon2id\\$v=19\\$m=([1-9][0-9]{0,9}),t=([1-9][0-9]{0,9}),p=1"
        u"\\$([A-Za-z0-9+/]{22})\\$([A-Za-z0-9+/]{43})$"_s);
    const QRegularExpressionMatch match = form.match(stored);
    if (!match.hasMatch())
        return false;
    const unsigned long long kib = match.captured(1).toULongLong();
    keyed->ops = match.captured(2).toULongLong();
    if (kib > kMaxMemoryKiB || kib * 1024 < crypto_pwhash_MEMLIMIT_MIN ||
        keyed->ops < crypto_pwhash_OPSLIMIT_MIN || keyed->ops > kMaxOps)
        return false;
    keyed->memory = size_t(kib * 1024);
    return FromBase64(match.captured(3), crypto_pwhash_SALTBYTES, &keyed->salt) &&
           FromBase64(match.captured(4), crypto_generichash_BYTES, &keyed->check);
}

// The key the last check that passed derived, and the stored text it was for.
struct Unlocked {
    QMutex mutex;
    QString stored;
    std::shared_ptr<const TableKey> key;
};

Unlocked& LastUnlocked() {
    static Unlocked last;
    return last;
}

} // namespace

QString make(const QString& password) {
    if (password.isEmpty())
        return QString();
    const QByteArray text = password.toUtf8();
    char stored[crypto_pwhash_STRBYTES];
    if (!Ready() || crypto_pwhash_str(stored, text.constData(), size_t(text.size()), OpsLimit(),
                                      MemLimit()) != 0)
        throw NoHash();
    return QString::fromLatin1(stored);
}

bool isHash(const QString& stored) {
    // The form libsodium writes: the parameters, then the salt and the hash in base64 without
    // padding (16 and 32 bytes at the least).
    static const QRegularExpression form(
        u"^\\$argon2id\\$v=19\\$m=[1-9][0-9]{0,9},t=[1-9][0-9]{0,9},p=[1-9][0-9]{0,2}"
        u"\\$[A-Za-z0-9+/]{22,}\\$[A-Za-z0-9+/]{43,}$"_s);
    return form.match(stored).hasMatch();
}

bool matches(const QString& typed, const QString& stored) {
    if (stored.isEmpty())
        return typed.isEmpty();
    const QByteArray text = typed.toUtf8();
    if (isKeyed(stored)) {
        std::shared_ptr<const TableKey> key = unlock(typed, stored);
        if (!key)
            return false;
        Unlocked& last = LastUnlocked();
        const QMutexLocker lock(&last.mutex);
        last.stored = stored;
        last.key = std::move(key);
        return true;
    }
    if (!isHash(stored))
        return SameInConstantTime(text, stored.toUtf8());
    // libsodium compares the hashes in constant time.
    const QByteArray hash = stored.toLatin1();
    return Ready() &&
           crypto_pwhash_str_verify(hash.constData(), text.constData(), size_t(text.size())) == 0;
}

bool isKeyed(const QString& stored) {
    Keyed keyed;
    return stored.startsWith(kKeyedPrefix) && ReadKeyed(stored, &keyed);
}

QString makeKeyed(const QString& password, std::shared_ptr<const TableKey>* key) {
    if (password.isEmpty())
        throw StoreError(u"The tables cannot be encrypted without a password."_s);
    if (!Ready())
        throw NoHash();
    QByteArray salt(crypto_pwhash_SALTBYTES, Qt::Uninitialized);
    randombytes_buf(salt.data(), size_t(salt.size()));
    const unsigned long long ops = OpsLimit();
    const size_t memory = MemLimit();
    Secret secret;
    if (!Derive(password, salt, ops, memory, &secret))
        throw NoHash();
    QByteArray check(crypto_generichash_BYTES, Qt::Uninitialized);
    LabelHash(secret, kCheckLabel, reinterpret_cast<unsigned char*>(check.data()),
              size_t(check.size()));
    Secret bytes;
    LabelHash(secret, kKeyLabel, bytes.data(), kSecretBytes);
    static_assert(kSecretBytes == size_t(TableKey::kBytes));
    *key = TableKey::fromBytes(bytes.data());
    return kKeyedPrefix + u"m=%1,t=%2,p=1$%3$%4"_s.arg(QString::number(memory / 1024),
                                                       QString::number(ops), Base64(salt),
                                                       Base64(check));
}

std::shared_ptr<const TableKey> unlock(const QString& typed, const QString& stored) {
    Keyed keyed;
    if (!ReadKeyed(stored, &keyed))
        return nullptr;
    Secret secret;
    if (!Derive(typed, keyed.salt, keyed.ops, keyed.memory, &secret))
        return nullptr;
    unsigned char check[crypto_generichash_BYTES];
    LabelHash(secret, kCheckLabel, check, sizeof check);
    if (sodium_memcmp(check, keyed.check.constData(), sizeof check) != 0)
        return nullptr;
    Secret bytes;
    LabelHash(secret, kKeyLabel, bytes.data(), kSecretBytes);
    return TableKey::fromBytes(bytes.data());
}

std::shared_ptr<const TableKey> takeUnlocked(const QString& stored) {
    Unlocked& last = LastUnlocked();
    const QMutexLocker lock(&last.mutex);
    if (last.stored != stored)
        return nullptr;
    last.stored.clear();
    return std::exchange(last.key, nullptr);
}

void setCost(Cost cost) {
    g_cost.store(cost);
}

} // namespace zovi::PasswordHash
