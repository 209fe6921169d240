#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringView>
#include <deque>

namespace zovi {

// The texts of a table's image, each kept under a number for as long as the pool lives. The
// characters of short texts lie one after another in large shared pieces of memory, so that a
// text costs its characters and one string (no allocation, no header of its own): a million
// distinct notes are a few dozen pieces, not a million allocations. A text read from the pool
// is an ordinary string sharing its piece, which lives as long as any string taken from it;
// changing such a copy copies it first, as any shared string does.
class TextPool {
public:
    TextPool();
    ~TextPool();
    TextPool(const TextPool&) = delete;
    TextPool& operator=(const TextPool&) = delete;

    // Adds a copy of the text; its number.
    quint32 add(QStringView text);
    // Adds the text the UTF-8 bytes give, as QString::fromUtf8 reads them; its number.
    quint32 addUtf8(const char* utf8, qsizetype size);

    const QString& operator[](size_t number) const { return m_texts[number]; }
    size_t size() const { return m_texts.size(); }

private:
    // Room for chars characters and the terminating zero at the end of the current piece,
    // starting a new piece when they do not fit; null when the text is better kept on its own.
    char16_t* room(qsizetype chars);
    // Takes the characters written from begin up to end in the current piece as the next text.
    quint32 take(char16_t* begin, char16_t* end);

    std::deque<QString> m_texts; // grows without moving what it holds
    QString m_piece;             // holds the current piece (empty, at the piece's start)
    qsizetype m_used = 0;        // characters of the current piece taken
    qsizetype m_capacity = 0;    // characters the current piece holds
    QStringDecoder m_decoder;
};

} // namespace zovi
