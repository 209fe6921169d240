#include "store/value.h"

#include "core/locale.h"
#include "core/textutil.h"
#include "store/error.h"

#include <QLocale>
#include <cmath>

namespace zovi {

namespace {

[[noreturn]] void Fail(const QString& field, const QString& what) {
    throw StoreError(QStringLiteral("Field %1: %2").arg(field, what));
}

// A number typed with either separator, and an optional sign.
std::optional<double> ParseNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    t.replace(AppLocale::decimalSeparator(), QLatin1Char('.'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QDate ParseAnyDate(const QString& text) {
    QDate d = AppLocale::parseDate(text);
    if (!d.isValid())
        d = QDate::fromString(text.trimmed(), Qt::ISODate);
    return d;
}

bool IsNumeric(FieldType type) {
    return type == FieldType::Float || type == FieldType::Integer || type == FieldType::AutoInc;
}

} // namespace

QString ValueText(const Value& v, FieldType type) {
    if (const auto* s = std::get_if<QString>(&v))
        return *s;
    if (const auto* d = std::get_if<double>(&v))
        return NumberText(*d);
    if (const auto* i = std::get_if<qint64>(&v)) {
        switch (type) {
        case FieldType::Date:
            return AppLocale::formatDate(QDate::fromJulianDay(*i));
        case FieldType::Boolean:
            return *i ? QStringLiteral("True") : QStringLiteral("False");
        default:
            return QString::number(*i);
        }
    }
    return QString();
}

double ValueDouble(const Value& v, FieldType type, const QString& field) {
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<qint64>(&v)) {
        if (type == FieldType::Date)
            Fail(field, QStringLiteral("a date is not a number"));
        return double(*i);
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        if (s->trimmed().isEmpty())
            return 0;
        if (auto d = ParseNumber(*s))
            return *d;
        Fail(field, QStringLiteral("\"%1\" is not a number").arg(*s));
    }
    return 0;
}

qint64 ValueInteger(const Value& v, FieldType type, const QString& field) {
    if (const auto* i = std::get_if<qint64>(&v)) {
        if (type == FieldType::Date)
            Fail(field, QStringLiteral("a date is not a number"));
        return *i;
    }
    const double d = ValueDouble(v, type, field);
    if (!(std::fabs(d) < 9.2e18))
        Fail(field, QStringLiteral("%1 is too large for an integer").arg(d));
    return qint64(std::llround(d));
}

QDate ValueDate(const Value& v, FieldType type, const QString& field) {
    if (IsNull(v))
        return QDate();
    if (const auto* i = std::get_if<qint64>(&v); i && type == FieldType::Date)
        return QDate::fromJulianDay(*i);
    if (const auto* s = std::get_if<QString>(&v)) {
        if (s->trimmed().isEmpty())
            return QDate();
        const QDate d = ParseAnyDate(*s);
        if (!d.isValid())
            Fail(field, QStringLiteral("\"%1\" is not a date").arg(*s));
        return d;
    }
    Fail(field, QStringLiteral("the value is not a date"));
}

bool ValueBool(const Value& v, FieldType type, const QString& field) {
    if (const auto* i = std::get_if<qint64>(&v))
        return *i != 0;
    if (const auto* d = std::get_if<double>(&v))
        return *d != 0;
    if (const auto* s = std::get_if<QString>(&v)) {
        if (s->trimmed().isEmpty())
            return false;
        if (auto b = ParseBool(*s))
            return *b;
        Fail(field, QStringLiteral("\"%1\" is not a boolean").arg(*s));
    }
    Q_UNUSED(type);
    return false;
}

QVariant ValueVariant(const Value& v, FieldType type) {
    if (const auto* s = std::get_if<QString>(&v))
        return *s;
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* i = std::get_if<qint64>(&v)) {
        if (type == FieldType::Date)
            return QDate::fromJulianDay(*i);
        if (type == FieldType::Boolean)
            return *i != 0;
        return *i;
    }
    return QVariant();
}

Value ValueFromText(const QString& text, FieldType type, const QString& field) {
    switch (type) {
    case FieldType::Text:
        return text;
    case FieldType::Float:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (text.trimmed().isEmpty())
            return Value();
        const auto d = ParseNumber(text);
        if (!d)
            Fail(field, QStringLiteral("\"%1\" is not a number").arg(text));
        return ValueFromDouble(*d, type, field);
    }
    case FieldType::Date: {
        if (text.trimmed().isEmpty())
            return Value();
        const QDate d = ParseAnyDate(text);
        if (!d.isValid())
            Fail(field, QStringLiteral("\"%1\" is not a date").arg(text));
        return d.toJulianDay();
    }
    case FieldType::Boolean: {
        if (text.trimmed().isEmpty())
            return Value();
        const auto b = ParseBool(text);
        if (!b)
            Fail(field, QStringLiteral("\"%1\" is not a boolean").arg(text));
        return qint64(*b);
    }
    }
    return Value();
}

Value ValueFromDouble(double d, FieldType type, const QString& field) {
    if (!std::isfinite(d))
        Fail(field, QStringLiteral("the value is not a finite number"));
    switch (type) {
    case FieldType::Float:
        return d;
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (!(std::fabs(d) < 9.2e18))
            Fail(field, QStringLiteral("%1 is too large for an integer").arg(d));
        return qint64(std::llround(d));
    case FieldType::Boolean:
        return qint64(d != 0);
    case FieldType::Text:
        return NumberText(d);
    case FieldType::Date:
        break;
    }
    Fail(field, QStringLiteral("a number is not a date"));
}

Value ValueFromInteger(qint64 i, FieldType type, const QString& field) {
    switch (type) {
    case FieldType::Float:
        return double(i);
    case FieldType::Integer:
    case FieldType::AutoInc:
        return i;
    case FieldType::Boolean:
        return qint64(i != 0);
    case FieldType::Text:
        return QString::number(i);
    case FieldType::Date:
        break;
    }
    Fail(field, QStringLiteral("a number is not a date"));
}

Value ValueFromDate(const QDate& date, FieldType type, const QString& field) {
    if (!date.isValid())
        return Value();
    if (type == FieldType::Date)
        return date.toJulianDay();
    if (type == FieldType::Text)
        return AppLocale::formatDate(date);
    Fail(field, QStringLiteral("a date cannot be stored in this field"));
}

Value ValueFromBool(bool b, FieldType type, const QString& field) {
    switch (type) {
    case FieldType::Boolean:
    case FieldType::Integer:
        return qint64(b);
    case FieldType::Float:
        return b ? 1.0 : 0.0;
    case FieldType::Text:
        return b ? QStringLiteral("True") : QStringLiteral("False");
    default:
        break;
    }
    Fail(field, QStringLiteral("a boolean cannot be stored in this field"));
}

Value ValueFromVariant(const QVariant& v, FieldType type, const QString& field) {
    if (!v.isValid() || v.isNull())
        return Value();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return ValueFromBool(v.toBool(), type, field);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return ValueFromInteger(v.toLongLong(), type, field);
    case QMetaType::Double:
    case QMetaType::Float:
        return ValueFromDouble(v.toDouble(), type, field);
    case QMetaType::QDate:
        return ValueFromDate(v.toDate(), type, field);
    default:
        return ValueFromText(v.toString(), type, field);
    }
}

Value ValueForType(const Value& v, FieldType declared, FieldType target, const QString& field) {
    if (IsNull(v))
        return v;
    const bool integral = target != FieldType::Text && target != FieldType::Float;
    FieldType held = declared;
    if (std::holds_alternative<QString>(v))
        held = FieldType::Text;
    else if (std::holds_alternative<double>(v))
        held = FieldType::Float;
    else if (declared == FieldType::Text || declared == FieldType::Float)
        held = FieldType::Integer;
    if (held == target || (integral && held == FieldType::Integer && target != FieldType::Date &&
                           target != FieldType::Boolean))
        return v;
    return ValueFromVariant(ValueVariant(v, held), target, field);
}

bool ValuesEqual(const Value& a, const Value& b, FieldType type) {
    if (IsNull(a) || IsNull(b))
        return IsNull(a) && IsNull(b);
    if (IsNumeric(type) || type == FieldType::Boolean) {
        const double x = std::holds_alternative<double>(a)   ? std::get<double>(a)
                         : std::holds_alternative<qint64>(a) ? double(std::get<qint64>(a))
                                                             : std::nan("");
        const double y = std::holds_alternative<double>(b)   ? std::get<double>(b)
                         : std::holds_alternative<qint64>(b) ? double(std::get<qint64>(b))
                                                             : std::nan("");
        return x == y;
    }
    return a == b;
}

} // namespace zovi
