#include "imports/importfile.h"

#include "core/textutil.h"

#include <QStringDecoder>
#include <cmath>

namespace zovi {

ImportError::ImportError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

namespace {

bool StartsWithBom(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF");
}

bool IsDateSeparator(QChar c) {
    return c == u'.' || c == u'/' || c == u'-' || c == u'\'' || c.isSpace();
}

bool IsGroupSeparator(QChar c, QChar thousandsSeparator) {
    return (!thousandsSeparator.isNull() && c == thousandsSeparator) || c == u' ' ||
           c == QChar(0x00A0) || c == QChar(0x202F) || c == u'\'';
}

// Whether exactly three digits start at from, followed by no further digit.
bool StartsGroupOfThree(QStringView text, qsizetype from) {
    if (from + 3 > text.size())
        return false;
    for (qsizetype i = from; i < from + 3; ++i)
        if (!text[i].isDigit())
            return false;
    return from + 3 == text.size() || !text[from + 3].isDigit();
}

} // namespace

TextEncoding GuessEncoding(const QByteArray& bytes) {
    if (StartsWithBom(bytes))
        return TextEncoding::Utf8Bom;
    return QUtf8StringView(bytes).isValidUtf8() ? TextEncoding::Utf8 : TextEncoding::Windows1251;
}

QString DecodeAs(const QByteArray& bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Windows1251)
        return DecodeCp1251(bytes);
    QByteArrayView view(bytes);
    if (StartsWithBom(bytes))
        view = view.sliced(3);
    return QString::fromUtf8(view);
}

std::optional<QDate> ReadImportDate(QStringView text, DateOrder order) {
    text = text.trimmed();
    int numbers[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    bool apostropheYear = false;
    int part = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (part == 3)
            return std::nullopt;
        if (!text[i].isDigit())
            return std::nullopt;
        while (i < text.size() && text[i].isDigit()) {
            if (digits[part] == 4)
                return std::nullopt;
            numbers[part] = numbers[part] * 10 + text[i].digitValue();
            ++digits[part];
            ++i;
        }
        ++part;
        if (i == text.size())
            break;
        bool apostrophe = false;
        const qsizetype start = i;
        while (i < text.size() && IsDateSeparator(text[i])) {
            apostrophe = apostrophe || text[i] == u'\'';
            ++i;
        }
        if (i == start || i == text.size())
            return std::nullopt;
        if (part == 2)
            apostropheYear = apostrophe;
    }
    if (part != 3)
        return std::nullopt;
    int year = 0;
    int month = 0;
    int day = 0;
    int yearDigits = 0;
    if (digits[0] == 4 || order == DateOrder::YearMonthDay) {
        year = numbers[0], yearDigits = digits[0], month = numbers[1], day = numbers[2];
    } else if (order == DateOrder::DayMonthYear) {
        day = numbers[0], month = numbers[1], year = numbers[2], yearDigits = digits[2];
    } else {
        month = numbers[0], day = numbers[1], year = numbers[2], yearDigits = digits[2];
    }
    if (yearDigits == 3)
        return std::nullopt;
    if (yearDigits <= 2)
        year += apostropheYear || year < 70 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<double> ReadImportAmount(QStringView text, QChar decimalSeparator,
                                       QChar thousandsSeparator) {
    text = text.trimmed();
    bool negative = false;
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        negative = true;
        text = text.sliced(1, text.size() - 2).trimmed();
    }
    if (!text.isEmpty() &&
        (text.front() == u'-' || text.front() == u'+' || text.front() == QChar(0x2212))) {
        negative = negative != (text.front() != u'+');
        text = text.sliced(1).trimmed();
    } else if (!text.isEmpty() && (text.back() == u'-' || text.back() == u'+')) {
        negative = negative != (text.back() == u'-');
        text = text.chopped(1).trimmed();
    }
    QString plain;
    plain.reserve(text.size());
    bool seenDecimal = false;
    bool seenDigit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) {
            plain += QChar(u'0' + c.digitValue());
            seenDigit = true;
        } else if (c == decimalSeparator && !seenDecimal) {
            plain += u'.';
            seenDecimal = true;
        } else if (!seenDecimal && seenDigit && IsGroupSeparator(c, thousandsSeparator) &&
                   StartsGroupOfThree(text, i + 1)) {
            continue; // a thousands separator before a group of three digits
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace zovi
