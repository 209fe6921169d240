#include "databases/passwordhash.h"

#include "store/error.h"

#include <QByteArray>
#include <QRegularExpression>
#include <atomic>
#include <sodium.h>

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

} // namespace

QString make(const QString& password) {
    if (password.isEmpty())
        return QString();
    const bool lowest = g_cost.load() == Cost::Lowest;
    const unsigned long long ops =
        lowest ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const size_t memory = lowest ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    const QByteArray text = password.toUtf8();
    char stored[crypto_pwhash_STRBYTES];
    if (!Ready() ||
        crypto_pwhash_str(stored, text.constData(), size_t(text.size()), ops, memory) != 0)
        throw StoreError(u"The password cannot be made safe to store: the memory it needs "
                         u"cannot be had."_s);
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
    if (!isHash(stored))
        return SameInConstantTime(text, stored.toUtf8());
    // libsodium compares the hashes in constant time.
    const QByteArray hash = stored.toLatin1();
    return Ready() &&
           crypto_pwhash_str_verify(hash.constData(), text.constData(), size_t(text.size())) == 0;
}

void setCost(Cost cost) {
    g_cost.store(cost);
}

} // namespace zovi::PasswordHash
