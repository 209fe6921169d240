#include "core/textutil.h"

#include "core/lang.h"
#include "core/locale.h"

#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The text with every "." and "," (and the decimal separator) replaced by to.
QString withSeparator(QString text, QChar to) {
    const QChar separator = AppLocale::decimalSeparator();
    for (QChar& c : text) {
        if (c == u'.' || c == u',' || c == separator)
            c = to;
    }
    return text;
}

// Writes integer digits (with a leading minus sign, if any) in groups of three from the right,
// a blank before each further group. The minus sign is counted like a digit, so "-123" becomes
// "- 123": this is how amounts have always been shown.
QString groupThousands(const QString& integer) {
    QString reversed;
    reversed.reserve(integer.size() + integer.size() / 3);
    qsizetype count = 0;
    for (qsizetype i = integer.size() - 1; i >= 0; --i) {
        if (count > 0 && count % 3 == 0)
            reversed.append(u' ');
        reversed.append(integer.at(i));
        ++count;
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

// Windows-1251 for the bytes 0x80 to 0xBF; 0xC0 to 0xFF are the Cyrillic letters U+0410 to
// U+044F in order. 0x98 has no character.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

// The shortest general decimal text of a value with at most 15 significant digits and a "."
// as separator, never with an exponent: 'g' writes one below 10^-4 and from 10^15 on, and the
// same digits are then written out around the point it stands for.
QString PlainNumber(double value) {
    const QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0)
        return text;
    const int exponent = text.sliced(e + 1).toInt();
    QString digits = text.left(e);
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    digits.remove(u'.'); // the point stands after the first digit
    QString plain;
    if (exponent < 0)
        plain = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    else if (digits.size() <= exponent + 1)
        plain = digits + QString(exponent + 1 - digits.size(), u'0');
    else
        plain = digits.left(exponent + 1) + u'.' + digits.sliced(exponent + 1);
    return negative ? u'-' + plain : plain;
}

char16_t cp1251(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return kCp1251High[byte - 0x80];
    return static_cast<char16_t>(0x0410 + (byte - 0xC0));
}

} // namespace

QString StripBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

bool IsBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

bool IsNotNumber(const QString& text) {
    const QString stripped = StripBlanks(text);
    if (stripped.isEmpty())
        return true;
    const QChar separator = AppLocale::decimalSeparator();
    for (const QChar c : stripped) {
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && c != u'.' && c != u',' && c != separator)
            return true;
    }
    return false;
}

void NormalizeDecimal(const QString& text, QString& result) {
    const QString stripped = StripBlanks(text);
    if (stripped.isEmpty())
        return;
    result = withSeparator(stripped, AppLocale::decimalSeparator());
}

double RoundToCents(double amount) {
    if (!std::isfinite(amount))
        return amount;
    // The product may miss a half by the last binary digit (100.49999999999999 for 1.005);
    // its text with 15 significant digits is the half itself, which a double holds exactly.
    const double cents = QString::number(amount * 100.0, 'g', 15).toDouble();
    return std::round(cents) / 100.0; // std::round: halves away from zero
}

QString FormatMoney(double amount) {
    if (!std::isfinite(amount))
        return QString::number(amount);
    double rounded = RoundToCents(amount);
    if (rounded == 0.0)
        rounded = 0.0; // no "-0"
    const QString text = PlainNumber(rounded);
    const qsizetype point = text.indexOf(u'.');
    const QString integer = point < 0 ? text : text.left(point);
    const QString rest =
        point < 0 ? QString() : AppLocale::decimalSeparator() + text.mid(point + 1);
    return groupThousands(integer) + rest;
}

qsizetype DecimalSeparatorAt(const QString& text) {
    const qsizetype comma = text.indexOf(u',');
    return comma >= 0 ? comma : text.indexOf(u'.');
}

QString CutAfterTwoDecimals(const QString& text) {
    const qsizetype separator = DecimalSeparatorAt(text);
    return separator < 0 ? text : text.left(separator + 3);
}

std::optional<double> ToAmount(const QString& text) {
    const QString stripped = StripBlanks(text);
    if (stripped.isEmpty() || IsNotNumber(stripped))
        return std::nullopt;
    QString number = withSeparator(stripped, u'.');
    if (number.count(u'.') > 1 || number.size() == number.count(u'.'))
        return std::nullopt;
    // "5." and ".5" are typed amounts too; give the reader whole digits on both sides.
    if (number.startsWith(u'.'))
        number.prepend(u'0');
    if (number.endsWith(u'.'))
        number.chop(1);
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString NumberText(double value) {
    if (value == 0.0)
        return u"0"_s;
    QString text = QString::number(value, 'g', 15);
    text.replace(u'.', AppLocale::decimalSeparator());
    return text;
}

QString PlainNumberText(double value) {
    if (value == 0.0)
        return u"0"_s;
    QString text = PlainNumber(value);
    text.replace(u'.', AppLocale::decimalSeparator());
    return text;
}

bool WithinAmountLimit(double value) {
    return std::fabs(value) < kAmountLimit; // false for infinities and NaN too
}

QString AmountLimitText() {
    return FormatMoney(kAmountLimit);
}

QString AmountLimitMessage() {
    return LangText(QStringLiteral("amountlimit"),
                    QStringLiteral("Amounts and rates must stay below %1: larger numbers cannot "
                                   "be kept and shown exactly."))
        .arg(AmountLimitText());
}

QString DecodeText(const QByteArray& bytes) {
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    // Stateless: an incomplete sequence at the end counts as an error, not as pending input.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    return DecodeCp1251(data);
}

QByteArray EncodeCp1251(QStringView text, QString* lacking) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            bytes.append(char(u));
        } else if (u >= 0x0410 && u <= 0x044F) {
            bytes.append(char(0xC0 + (u - 0x0410)));
        } else {
            // The other 63 characters of 0x80 to 0xBF; 0x98 has none, so U+FFFD never matches a
            // byte of its own.
            const auto* end = std::end(kCp1251High);
            const auto* found = u == 0xFFFD ? end : std::find(std::begin(kCp1251High), end, u);
            bytes.append(found == end ? '?' : char(0x80 + (found - std::begin(kCp1251High))));
            // A character outside the basic plane is one "?", not one per half.
            const qsizetype length =
                QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()
                    ? 2
                    : 1;
            if (found == end && lacking)
                lacking->append(text.sliced(i, length));
            i += length - 1;
        }
    }
    return bytes;
}

QString DecodeCp1251(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes)
        text.append(QChar(cp1251(static_cast<unsigned char>(byte))));
    return text;
}

} // namespace zovi
