// The texts of a table's image in large shared pieces of memory.
#include "store/textpool.h"

#include <cstring>
#include <limits>
#include <new>

namespace zovi {

namespace {

// Characters of one piece: 256 Ki characters, half a MiB. A text of more than an eighth of it
// gets a string of its own, so that a piece never wastes much at its end.
constexpr qsizetype kPieceChars = qsizetype(1) << 18;
constexpr qsizetype kOwnStringChars = kPieceChars / 8;

} // namespace

TextPool::TextPool()
    // Every text is converted on its own (no state carried from one to the next), a byte order
    // mark at its start kept as a character, as QString::fromUtf8 keeps it.
    : m_decoder(QStringDecoder::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom) {}

TextPool::~TextPool() = default;

char16_t* TextPool::room(qsizetype chars) {
    if (chars >= kOwnStringChars)
        return nullptr;
    if (m_capacity - m_used < chars + 1) {
        auto [header, data] = QTypedArrayData<char16_t>::allocate(kPieceChars);
        if (!header)
            throw std::bad_alloc();
        m_piece = QString(QString::DataPointer(header, data, 0));
        m_used = 0;
        m_capacity = kPieceChars;
    }
    return m_piece.data_ptr().ptr + m_used;
}

quint32 TextPool::take(char16_t* begin, char16_t* end) {
    if (m_texts.size() >= std::numeric_limits<quint32>::max())
        throw std::bad_alloc();
    // The zero after the characters lets the string give them as a terminated array too.
    *end = u'\0';
    m_used = end + 1 - m_piece.data_ptr().ptr;
    QString::DataPointer text(m_piece.data_ptr()); // shares the piece
    text.ptr = begin;
    text.size = end - begin;
    m_texts.emplace_back(std::move(text));
    return quint32(m_texts.size() - 1);
}

quint32 TextPool::add(QStringView text) {
    char16_t* at = room(text.size());
    if (!at) {
        m_texts.emplace_back(text.toString());
        return quint32(m_texts.size() - 1);
    }
    if (!text.isEmpty())
        std::memcpy(at, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    return take(at, at + text.size());
}

quint32 TextPool::addUtf8(const char* utf8, qsizetype size) {
    // UTF-8 never takes fewer bytes than UTF-16 takes characters.
    char16_t* at = room(size);
    if (!at) {
        m_texts.emplace_back(QString::fromUtf8(utf8, size));
        return quint32(m_texts.size() - 1);
    }
    auto* end = reinterpret_cast<char16_t*>(
        m_decoder.appendToBuffer(reinterpret_cast<QChar*>(at), QByteArrayView(utf8, size)));
    return take(at, end);
}

} // namespace zovi
