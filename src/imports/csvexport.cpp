#include "imports/csvexport.h"

#include "core/keptfile.h"
#include "core/lang.h"
#include "ledger/entrykinds.h"
#include "store/fields.h"
#include "store/table.h"

#include <charconv>
#include <cmath>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

constexpr QChar kDelimiter = u';';

// Appends one field, quoted when its text would otherwise end the field or the line.
void AppendField(QString& out, QStringView text) {
    const bool quote = text.contains(kDelimiter) || text.contains(u'"') || text.contains(u'\n') ||
                       text.contains(u'\r');
    if (!quote) {
        out += text;
        return;
    }
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

QString HeaderLine() {
    const QString names[] = {
        LangText(u"date"_s, u"Date"_s),
        LangText(u"name"_s, u"Name"_s),
        LangText(u"income"_s, u"Income"_s),
        LangText(u"charge"_s, u"Charge"_s),
        LangText(u"currency"_s, u"Currency"_s),
        LangText(u"csvchargecurrency"_s, u"Charge currency"_s),
        LangText(u"group"_s, u"Group"_s),
        LangText(u"sub-group"_s, u"Sub-group"_s),
        LangText(u"csvaccount"_s, u"Account"_s),
        LangText(u"csvkind"_s, u"Kind"_s),
    };
    QString line;
    for (const QString& name : names) {
        if (!line.isEmpty())
            line += kDelimiter;
        AppendField(line, name);
    }
    return line + u"\r\n"_s;
}

} // namespace

ExportError::ExportError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

QString CsvNumber(double value) {
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    // The fixed form without a precision is the shortest one that reads back as the same value.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QByteArray LedgerCsv(const TableHandle& view) {
    namespace f = fields::Data;
    const ViewRows rows = view.viewRows();
    const int date = rows.fieldIndex(f::Date);
    const int name = rows.fieldIndex(f::Name);
    const int type = rows.fieldIndex(f::Type);
    const int value = rows.fieldIndex(f::Value);
    const int valueIn = rows.fieldIndex(f::ValueDohod);
    const int valueOut = rows.fieldIndex(f::ValueRashod);
    const int currency = rows.fieldIndex(f::Valuta);
    const int currencyIn = rows.fieldIndex(f::ValutaDohod);
    const int currencyOut = rows.fieldIndex(f::ValutaRashod);
    const int group = rows.fieldIndex(f::Gr2);
    const int subGroup = rows.fieldIndex(f::NameRashod);
    const int account = rows.fieldIndex(f::Gr1);

    QString text = HeaderLine();
    text.reserve(qsizetype(rows.size()) * 96 + text.size());
    const auto textOf = [&rows](int row, int column) -> QStringView {
        const QString* t = rows.textRef(row, column);
        return t ? QStringView(*t) : QStringView();
    };
    const auto field = [&text](QStringView t) {
        AppendField(text, t);
        text += kDelimiter;
    };
    for (int row = 0; row < rows.size(); ++row) {
        const QString kind = rows.text(row, type);
        const std::optional<EntryKind> known = KindOf(kind);
        QString income, charge;
        QStringView received = textOf(row, currency);
        QStringView given;
        if (known == EntryKind::Exchange) {
            income = CsvNumber(rows.toDouble(row, valueIn));
            charge = CsvNumber(std::fabs(rows.toDouble(row, valueOut)));
            received = textOf(row, currencyIn);
            given = textOf(row, currencyOut);
        } else {
            // A zero amount goes to the side of its kind, so that the kind's sign is kept.
            const double v = rows.toDouble(row, value);
            const bool paid = v < 0 || (v == 0 && known && Info(*known).sign < 0);
            (paid ? charge : income) = CsvNumber(std::fabs(v));
        }
        const QDate day = rows.toDate(row, date);
        if (day.isValid())
            text += day.toString(Qt::ISODate);
        text += kDelimiter;
        field(textOf(row, name));
        field(income);
        field(charge);
        field(received);
        field(given);
        field(textOf(row, group));
        field(textOf(row, subGroup));
        field(textOf(row, account));
        AppendField(text, kind);
        text += u"\r\n"_s;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

int ExportLedgerCsv(const TableHandle& view, const QString& fileName) {
    const QByteArray bytes = LedgerCsv(view);
    if (const std::optional<QString> failure = WriteKeptFile(fileName, bytes))
        throw ExportError(*failure);
    return view.recordCount();
}

} // namespace zovi
