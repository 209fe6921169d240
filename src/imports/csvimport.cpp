#include "imports/csvimport.h"

#include "core/lang.h"
#include "core/settings.h"

#include <QCryptographicHash>
#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

bool IsLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// The records of text, at most maxRecords of them (all when negative). Unquoted fields are
// trimmed; a field whose first non-blank character is a quote runs to the closing quote, with ""
// standing for one quote; records whose fields are all empty (blank lines) are skipped.
QList<CsvRecord> ParseRecords(QStringView text, QChar delimiter, qsizetype maxRecords) {
    QList<CsvRecord> records;
    const QChar* p = text.data();
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    qsizetype usualFields = 1;
    while (i < n && (maxRecords < 0 || records.size() < maxRecords)) {
        CsvRecord record;
        record.line = line;
        record.fields.reserve(usualFields);
        const qsizetype start = i;
        bool allEmpty = true;
        for (;;) {
            qsizetype j = i;
            while (j < n && (p[j] == u' ' || (p[j] == u'\t' && delimiter != u'\t')))
                ++j;
            QString field;
            if (j < n && p[j] == u'"') {
                qsizetype chunk = ++j;
                bool carriageReturn = false;
                for (;;) {
                    if (j >= n) {
                        field.append(p + chunk, j - chunk);
                        break;
                    }
                    if (p[j] == u'"') {
                        field.append(p + chunk, j - chunk);
                        ++j;
                        if (j < n && p[j] == u'"') {
                            chunk = j++;
                            continue;
                        }
                        break;
                    }
                    if (p[j] == u'\r') {
                        carriageReturn = true;
                        if (j + 1 >= n || p[j + 1] != u'\n')
                            ++line;
                    } else if (p[j] == u'\n') {
                        ++line;
                    }
                    ++j;
                }
                if (carriageReturn)
                    field.replace(u"\r\n"_s, u"\n"_s);
                // Text after the closing quote (a badly quoted field) is kept, not lost.
                qsizetype k = j;
                while (k < n && p[k] != delimiter && !IsLineEnd(p[k]))
                    ++k;
                field += QStringView(p + j, k - j).trimmed();
                j = k;
            } else {
                qsizetype k = j;
                while (k < n && p[k] != delimiter && !IsLineEnd(p[k]))
                    ++k;
                field = QStringView(p + j, k - j).trimmed().toString();
                j = k;
            }
            allEmpty = allEmpty && field.isEmpty();
            record.fields.append(std::move(field));
            i = j;
            if (i < n && p[i] == delimiter) {
                ++i;
                continue;
            }
            break;
        }
        const qsizetype end = i;
        if (i < n && p[i] == u'\r')
            ++i;
        if (i < n && p[i] == u'\n')
            ++i;
        if (end < n)
            ++line;
        if (!allEmpty) {
            usualFields = record.fields.size();
            record.text = QStringView(p + start, end - start).toString();
            records.append(std::move(record));
        }
    }
    return records;
}

// The date of a text that may have a time after it ("2024-03-05 14:22:10", "05.03.2024 14:22",
// "2024-03-05T14:22").
QStringView DatePart(QStringView text) {
    text = text.trimmed();
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return text;
    qsizetype i = colon;
    while (i > 0 && text[i - 1].isDigit())
        --i;
    if (i > 0 && (text[i - 1].isSpace() || text[i - 1] == u'T'))
        return text.first(i - 1).trimmed();
    return text;
}

std::optional<QDate> ReadCsvDate(QStringView text, DateOrder order) {
    return ReadImportDate(DatePart(text), order);
}

bool IsDateText(QStringView text) {
    return ReadCsvDate(text, DateOrder::DayMonthYear) || ReadCsvDate(text, DateOrder::MonthDayYear);
}

// Whether text is written like a number: digits with signs, brackets, separators and blanks.
bool IsNumberText(QStringView text) {
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!(c == u'.' || c == u',' || c == u' ' || c == u'\'' || c == u'-' || c == u'+' ||
                   c == u'(' || c == u')' || c == QChar(0x00A0) || c == QChar(0x202F) ||
                   c == QChar(0x2212)))
            return false;
    }
    return digit;
}

bool IsAmountText(QStringView text) {
    return IsNumberText(text) && !IsDateText(text);
}

// What the cells of one column look like, over the first records of a table.
struct ColumnLook {
    int filled = 0;
    int dates = 0;
    int numbers = 0;
    int fractions = 0; // numbers with a sign or a decimal part
    int codes = 0;     // three capital Latin letters, like currency codes
    qsizetype length = 0;
};

constexpr qsizetype SampleRecords = 1000;

QList<ColumnLook> LookAtColumns(const QList<CsvRecord>& records, qsizetype from, int columns) {
    QList<ColumnLook> looks(columns);
    const qsizetype end = std::min(records.size(), from + SampleRecords);
    for (qsizetype r = from; r < end; ++r) {
        const QStringList& fields = records[r].fields;
        for (int c = 0; c < columns && c < fields.size(); ++c) {
            const QString& cell = fields[c];
            if (cell.isEmpty())
                continue;
            ColumnLook& look = looks[c];
            ++look.filled;
            look.length += cell.size();
            if (IsDateText(cell)) {
                ++look.dates;
            } else if (IsNumberText(cell)) {
                ++look.numbers;
                if (cell.contains(u'-') || cell.contains(u'(') || cell.contains(u'.') ||
                    cell.contains(u','))
                    ++look.fractions;
            } else if (cell.size() == 3 && std::all_of(cell.begin(), cell.end(), [](QChar ch) {
                           return ch >= u'A' && ch <= u'Z';
                       })) {
                ++look.codes;
            }
        }
    }
    return looks;
}

bool Mostly(int part, int whole) {
    return whole > 0 && part * 5 >= whole * 4;
}

void GuessDateOrder(const QList<CsvRecord>& records, qsizetype from, CsvFormat& format) {
    int columns = 0;
    for (qsizetype r = from; r < records.size(); ++r)
        columns = std::max(columns, int(records[r].fields.size()));
    const QList<ColumnLook> looks = LookAtColumns(records, from, columns);
    int yearFirst = 0;
    int other = 0;
    int slashes = 0;
    bool dayMonth = true;
    bool monthDay = true;
    const qsizetype end = std::min(records.size(), from + SampleRecords);
    for (int c = 0; c < columns; ++c) {
        if (looks[c].dates * 2 < looks[c].filled || looks[c].dates == 0)
            continue;
        for (qsizetype r = from; r < end; ++r) {
            if (c >= records[r].fields.size())
                continue;
            const QStringView cell = DatePart(records[r].fields[c]);
            if (cell.isEmpty())
                continue;
            if (cell.size() >= 4 && cell[0].isDigit() && cell[1].isDigit() && cell[2].isDigit() &&
                cell[3].isDigit()) {
                ++yearFirst;
                continue;
            }
            ++other;
            slashes += cell.contains(u'/') ? 1 : 0;
            dayMonth = dayMonth && ReadImportDate(cell, DateOrder::DayMonthYear);
            monthDay = monthDay && ReadImportDate(cell, DateOrder::MonthDayYear);
        }
    }
    if (yearFirst > 0 && yearFirst >= other)
        format.dateOrder = DateOrder::YearMonthDay;
    else if (dayMonth != monthDay)
        format.dateOrder = dayMonth ? DateOrder::DayMonthYear : DateOrder::MonthDayYear;
    else
        format.dateOrder = slashes * 2 > other ? DateOrder::MonthDayYear : DateOrder::DayMonthYear;
}

// The decimal and thousands separators, by votes of the amount-like cells: with both "." and ","
// the last is the decimal one; one of them twice is a thousands separator; once, it is decimal
// unless three digits follow (then it is left undecided).
void GuessSeparators(const QList<CsvRecord>& records, qsizetype from, CsvFormat& format) {
    int decimalPoint = 0;
    int decimalComma = 0;
    int groupPoint = 0;
    int groupComma = 0;
    int groupBlank = 0;
    int groupApostrophe = 0;
    const qsizetype end = std::min(records.size(), from + SampleRecords);
    for (qsizetype r = from; r < end; ++r) {
        for (const QString& cell : records[r].fields) {
            if (cell.isEmpty() || !IsAmountText(cell))
                continue;
            const qsizetype point = cell.lastIndexOf(u'.');
            const qsizetype comma = cell.lastIndexOf(u',');
            for (qsizetype i = 1; i + 1 < cell.size(); ++i) {
                if (!cell[i - 1].isDigit() || !cell[i + 1].isDigit())
                    continue;
                if (cell[i] == u'\'')
                    ++groupApostrophe;
                else if (cell[i].isSpace())
                    ++groupBlank;
            }
            if (point >= 0 && comma >= 0) {
                (point > comma ? decimalPoint : decimalComma)++;
                (point > comma ? groupComma : groupPoint)++;
                continue;
            }
            const qsizetype at = std::max(point, comma);
            if (at < 0)
                continue;
            const QChar separator = cell[at];
            qsizetype digitsAfter = 0;
            while (at + 1 + digitsAfter < cell.size() && cell[at + 1 + digitsAfter].isDigit())
                ++digitsAfter;
            const bool isPoint = separator == u'.';
            if (cell.count(separator) > 1) {
                // Groups of three digits each ("1.234.567"), never a date ("05.03.2024").
                const QStringList parts = cell.split(separator);
                const bool grouped = std::all_of(parts.begin() + 1, parts.end(),
                                                 [](const QString& p) { return p.size() == 3; });
                if (grouped)
                    (isPoint ? groupPoint : groupComma)++;
            } else if (digitsAfter != 3)
                (isPoint ? decimalPoint : decimalComma)++;
        }
    }
    format.decimal = decimalComma > decimalPoint ? u',' : u'.';
    const bool comma = format.decimal == u',';
    if (comma ? groupPoint > 0 : groupComma > 0)
        format.thousands = comma ? u'.' : u',';
    else if (groupBlank > 0)
        format.thousands = u' ';
    else if (groupApostrophe > 0)
        format.thousands = u'\'';
    else
        format.thousands = QChar();
}

const std::array<std::pair<CsvColumn, const char*>, 12> RoleNames{{
    {CsvColumn::None, "none"},
    {CsvColumn::Date, "date"},
    {CsvColumn::Name, "name"},
    {CsvColumn::Amount, "amount"},
    {CsvColumn::Income, "income"},
    {CsvColumn::Charge, "charge"},
    {CsvColumn::Currency, "currency"},
    {CsvColumn::ChargeCurrency, "chargecurrency"},
    {CsvColumn::Group, "group"},
    {CsvColumn::SubGroup, "subgroup"},
    {CsvColumn::Account, "account"},
    {CsvColumn::Kind, "kind"},
}};

// A column name in one form for comparing: lower case, "ё" as "е", without blanks and colons
// around it.
QString PlainHeaderName(const QString& name) {
    QString plain = name.toLower().replace(u'ё', u'е').trimmed();
    while (plain.endsWith(u':') || plain.endsWith(u'*'))
        plain.chop(1);
    return plain.trimmed();
}

CsvColumn ExactHeaderRole(const QString& plain) {
    // The column names of the program's own CSV export, in English and in Russian.
    static const QHash<QString, CsvColumn> names{
        {u"date"_s, CsvColumn::Date},
        {u"name"_s, CsvColumn::Name},
        {u"amount"_s, CsvColumn::Amount},
        {u"income"_s, CsvColumn::Income},
        {u"charge"_s, CsvColumn::Charge},
        {u"currency"_s, CsvColumn::Currency},
        {u"charge currency"_s, CsvColumn::ChargeCurrency},
        {u"group"_s, CsvColumn::Group},
        {u"sub-group"_s, CsvColumn::SubGroup},
        {u"account"_s, CsvColumn::Account},
        {u"kind"_s, CsvColumn::Kind},
        {u"дата"_s, CsvColumn::Date},
        {u"наименование"_s, CsvColumn::Name},
        {u"сумма"_s, CsvColumn::Amount},
        {u"доход"_s, CsvColumn::Income},
        {u"расход"_s, CsvColumn::Charge},
        {u"валюта"_s, CsvColumn::Currency},
        {u"валюта расхода"_s, CsvColumn::ChargeCurrency},
        {u"группа"_s, CsvColumn::Group},
        {u"подгруппа"_s, CsvColumn::SubGroup},
        {u"счет"_s, CsvColumn::Account},
        {u"вид"_s, CsvColumn::Kind},
    };
    return names.value(plain, CsvColumn::None);
}

bool ContainsAny(const QString& plain, std::initializer_list<const char16_t*> words) {
    for (const char16_t* word : words)
        if (plain.contains(QStringView(word)))
            return true;
    return false;
}

// The role a column name suggests by the words it contains; the order settles names that hold
// two words ("Валюта расхода", "Подкатегория", "Сумма в валюте").
CsvColumn HeaderRoleByWords(const QString& plain) {
    const bool currency = ContainsAny(plain, {u"currency", u"валют"});
    const bool charge =
        ContainsAny(plain, {u"charge", u"debit", u"withdrawal", u"expense", u"расход", u"списан"});
    if (currency && charge)
        return CsvColumn::ChargeCurrency;
    if (ContainsAny(plain, {u"subcategor", u"sub-categor", u"sub-group", u"subgroup", u"sub group",
                            u"подкатегор", u"подгрупп"}))
        return CsvColumn::SubGroup;
    if (ContainsAny(plain, {u"date", u"дата"}))
        return CsvColumn::Date;
    if (ContainsAny(plain, {u"amount", u"sum", u"сумма"}))
        return CsvColumn::Amount;
    if (currency)
        return CsvColumn::Currency;
    if (ContainsAny(plain, {u"income", u"credit", u"deposit", u"приход", u"доход", u"поступлен",
                            u"зачислен"}))
        return CsvColumn::Income;
    if (charge)
        return CsvColumn::Charge;
    if (ContainsAny(plain, {u"categor", u"group", u"категор", u"групп"}))
        return CsvColumn::Group;
    if (ContainsAny(plain, {u"description", u"payee", u"name", u"описание", u"назначение",
                            u"наименование", u"получатель", u"контрагент"}))
        return CsvColumn::Name;
    if (ContainsAny(plain, {u"account", u"счет"}))
        return CsvColumn::Account;
    if (ContainsAny(plain, {u"kind", u"type", u"вид", u"тип"}))
        return CsvColumn::Kind;
    return CsvColumn::None;
}

QString MappingKey(const QStringList& header) {
    const QByteArray line = header.join(QChar(0x1F)).toUtf8();
    return u"csvmapping/"_s +
           QString::fromLatin1(QCryptographicHash::hash(line, QCryptographicHash::Sha1).toHex());
}

} // namespace

int CsvTable::columnCount() const {
    qsizetype count = header.size();
    for (const CsvRecord& record : records)
        count = std::max(count, record.fields.size());
    return int(count);
}

CsvFormat GuessCsvFormat(const QByteArray& bytes) {
    CsvFormat format;
    format.encoding = GuessEncoding(bytes);
    // The first lines tell the format; reading them all would cost time for nothing.
    QByteArray sample = bytes.left(256 * 1024);
    if (sample.size() < bytes.size() && sample.lastIndexOf('\n') > 0)
        sample.truncate(sample.lastIndexOf('\n'));
    const QString text = DecodeAs(sample, format.encoding);

    struct Candidate {
        QChar delimiter;
        int fields = 0;
        double share = 0; // the share of records that have the usual number of fields
    };
    QList<Candidate> candidates;
    double bestShare = 0;
    for (const QChar delimiter : {u';', u',', u'\t'}) {
        const QList<CsvRecord> records = ParseRecords(text, delimiter, SampleRecords);
        QHash<qsizetype, int> counts;
        for (const CsvRecord& record : records)
            ++counts[record.fields.size()];
        Candidate candidate{delimiter};
        int usual = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > usual || (it.value() == usual && it.key() > candidate.fields)) {
                usual = it.value();
                candidate.fields = int(it.key());
            }
        }
        if (candidate.fields < 2)
            continue;
        candidate.share = double(usual) / double(records.size());
        bestShare = std::max(bestShare, candidate.share);
        candidates.append(candidate);
    }
    // Of the delimiters that split the lines about as evenly as the best one, the one that
    // gives the most columns: "1 234,56" splits a semicolon file evenly by commas too.
    format.delimiter = u',';
    int mostFields = 0;
    for (const Candidate& candidate : std::as_const(candidates)) {
        if (candidate.share >= bestShare * 0.8 && candidate.fields > mostFields) {
            mostFields = candidate.fields;
            format.delimiter = candidate.delimiter;
        }
    }

    const QList<CsvRecord> records = ParseRecords(text, format.delimiter, SampleRecords + 1);
    format.header =
        !records.isEmpty() &&
        std::none_of(records.front().fields.begin(), records.front().fields.end(),
                     [](const QString& cell) { return !cell.isEmpty() && IsNumberText(cell); });
    format.header =
        format.header && std::none_of(records.front().fields.begin(), records.front().fields.end(),
                                      [](const QString& cell) { return IsDateText(cell); });
    const qsizetype from = format.header ? 1 : 0;
    GuessDateOrder(records, from, format);
    GuessSeparators(records, from, format);
    return format;
}

CsvTable ReadCsvTable(const QByteArray& bytes, const CsvFormat& format) {
    CsvTable table;
    const QString text = DecodeAs(bytes, format.encoding);
    table.records = ParseRecords(text, format.delimiter, -1);
    if (format.header && !table.records.isEmpty())
        table.header = table.records.takeFirst().fields;
    return table;
}

CsvMapping GuessCsvMapping(const QStringList& header, const CsvTable& table) {
    const int columns = std::max(table.columnCount(), int(header.size()));
    CsvMapping mapping(columns, CsvColumn::None);
    auto used = [&mapping](CsvColumn role) {
        return mapping.contains(role);
    };
    QStringList plain;
    for (const QString& name : header)
        plain.append(PlainHeaderName(name));
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < plain.size(); ++c) {
            if (mapping[c] != CsvColumn::None)
                continue;
            const CsvColumn role =
                pass == 0 ? ExactHeaderRole(plain[c]) : HeaderRoleByWords(plain[c]);
            if (role != CsvColumn::None && !used(role))
                mapping[c] = role;
        }
    }

    // What the names leave open, the data tells.
    const QList<ColumnLook> looks = LookAtColumns(table.records, 0, columns);
    auto open = [&](int c) {
        return mapping[c] == CsvColumn::None && looks[c].filled > 0;
    };
    if (!used(CsvColumn::Date)) {
        for (int c = 0; c < columns; ++c) {
            if (open(c) && Mostly(looks[c].dates, looks[c].filled)) {
                mapping[c] = CsvColumn::Date;
                break;
            }
        }
    }
    if (!used(CsvColumn::Amount) && !used(CsvColumn::Income) && !used(CsvColumn::Charge)) {
        int chosen = -1;
        for (int c = 0; c < columns; ++c) {
            if (!open(c) || !Mostly(looks[c].numbers, looks[c].filled))
                continue;
            if (chosen < 0 || (looks[c].fractions > 0 && looks[chosen].fractions == 0))
                chosen = c;
        }
        if (chosen >= 0)
            mapping[chosen] = CsvColumn::Amount;
    }
    if (!used(CsvColumn::Currency)) {
        for (int c = 0; c < columns; ++c) {
            if (open(c) && looks[c].codes == looks[c].filled) {
                mapping[c] = CsvColumn::Currency;
                break;
            }
        }
    }
    if (!used(CsvColumn::Name)) {
        int chosen = -1;
        double longest = 0;
        for (int c = 0; c < columns; ++c) {
            if (!open(c) || looks[c].dates + looks[c].numbers + looks[c].codes > 0)
                continue;
            const double length = double(looks[c].length) / double(looks[c].filled);
            if (length > longest) {
                longest = length;
                chosen = c;
            }
        }
        if (chosen >= 0)
            mapping[chosen] = CsvColumn::Name;
    }
    return mapping;
}

std::optional<CsvMapping> RememberedCsvMapping(const QStringList& header) {
    if (header.isEmpty())
        return std::nullopt;
    const QString stored = Settings::readString(MappingKey(header));
    if (stored.isEmpty())
        return std::nullopt;
    CsvMapping mapping;
    for (const QString& name : stored.split(u',')) {
        const auto found = std::find_if(RoleNames.begin(), RoleNames.end(), [&](const auto& role) {
            return name == QLatin1StringView(role.second);
        });
        if (found == RoleNames.end())
            return std::nullopt;
        mapping.append(found->first);
    }
    return mapping;
}

void RememberCsvMapping(const QStringList& header, const CsvMapping& mapping) {
    if (header.isEmpty())
        return;
    QStringList names;
    for (const CsvColumn role : mapping) {
        for (const auto& [known, name] : RoleNames)
            if (known == role)
                names.append(QLatin1StringView(name));
    }
    Settings::writeString(MappingKey(header), names.join(u','));
}

ImportedFile CsvEntries(const CsvTable& table, const CsvFormat& format, const CsvMapping& mapping) {
    auto column = [&mapping](CsvColumn role) {
        return int(mapping.indexOf(role));
    };
    const int dateColumn = column(CsvColumn::Date);
    const int amountColumn = column(CsvColumn::Amount);
    const int incomeColumn = column(CsvColumn::Income);
    const int chargeColumn = column(CsvColumn::Charge);
    if (dateColumn < 0)
        throw ImportError(
            LangText(u"csvnodate"_s, u"Choose the column of the file that holds the dates."_s));
    if (amountColumn < 0 && incomeColumn < 0 && chargeColumn < 0)
        throw ImportError(LangText(
            u"csvnoamount"_s,
            u"Choose the column of the file that holds the amounts, or its income and charge columns."_s));
    const int nameColumn = column(CsvColumn::Name);
    const int currencyColumn = column(CsvColumn::Currency);
    const int chargeCurrencyColumn = column(CsvColumn::ChargeCurrency);
    const int groupColumn = column(CsvColumn::Group);
    const int subGroupColumn = column(CsvColumn::SubGroup);
    const int accountColumn = column(CsvColumn::Account);
    const int kindColumn = column(CsvColumn::Kind);

    const QString noDate = LangText(u"csvdatemissing"_s, u"no date"_s);
    const QString badDate = LangText(u"csvdatebad"_s, u"the date \"%1\" cannot be read"_s);
    const QString noAmount = LangText(u"csvamountmissing"_s, u"no amount"_s);
    const QString badAmount = LangText(u"csvamountbad"_s, u"the amount \"%1\" is no number"_s);

    ImportedFile file;
    file.entries.reserve(table.records.size());
    const QString none;
    for (const CsvRecord& record : table.records) {
        auto field = [&](int c) -> const QString& {
            return c >= 0 && c < record.fields.size() ? record.fields[c] : none;
        };
        auto unread = [&](const QString& reason) {
            file.unread.append(UnreadLine{record.line, record.text, reason});
        };
        const QString& dateText = field(dateColumn);
        if (dateText.isEmpty()) {
            unread(noDate);
            continue;
        }
        const std::optional<QDate> date = ReadCsvDate(dateText, format.dateOrder);
        if (!date) {
            unread(badDate.arg(dateText));
            continue;
        }
        // Each amount cell: empty counts as none, anything else must be a number.
        QString unreadable;
        auto amountOf = [&](int c) -> std::optional<double> {
            const QString& text = field(c);
            if (text.isEmpty())
                return std::nullopt;
            const std::optional<double> value =
                ReadImportAmount(text, format.decimal, format.thousands);
            if (!value && unreadable.isEmpty())
                unreadable = text;
            return value;
        };
        const std::optional<double> signedAmount = amountOf(amountColumn);
        const std::optional<double> income = amountOf(incomeColumn);
        const std::optional<double> charge = amountOf(chargeColumn);
        if (!unreadable.isEmpty()) {
            unread(badAmount.arg(unreadable));
            continue;
        }
        if (!signedAmount && !income && !charge) {
            unread(noAmount);
            continue;
        }
        ImportedEntry entry;
        entry.line = record.line;
        entry.date = *date;
        entry.name = field(nameColumn);
        entry.group = field(groupColumn);
        entry.subGroup = field(subGroupColumn);
        entry.account = field(accountColumn);
        entry.kind = field(kindColumn);
        const QString& currency = field(currencyColumn);
        const QString& chargeCurrency = field(chargeCurrencyColumn);
        if (entry.kind == u"O" && income && charge) {
            entry.amount = std::fabs(*income);
            entry.currency = currency;
            entry.given = -std::fabs(*charge);
            entry.givenCurrency = chargeCurrency;
        } else {
            entry.amount =
                signedAmount.value_or(0) + income.value_or(0) - std::fabs(charge.value_or(0));
            const bool paidOut = charge && !income && !signedAmount;
            entry.currency = paidOut && !chargeCurrency.isEmpty() ? chargeCurrency : currency;
            if (entry.currency.isEmpty())
                entry.currency = chargeCurrency;
        }
        file.entries.append(std::move(entry));
    }

    // A transfer of the program's own CSV: its "P1" row (what left) and the first later "P2" row
    // of the same date and amount (what arrived) become one entry.
    if (kindColumn < 0)
        return file;
    struct Arrivals {
        QList<qsizetype> rows; // in file order
        qsizetype next = 0;
    };
    QHash<std::pair<qint64, qint64>, Arrivals> arrivals;
    auto key = [](const ImportedEntry& entry) {
        return std::pair<qint64, qint64>(entry.date.toJulianDay(),
                                         std::llround(std::fabs(entry.amount) * 100));
    };
    for (qsizetype i = 0; i < file.entries.size(); ++i)
        if (file.entries[i].kind == u"P2")
            arrivals[key(file.entries[i])].rows.append(i);
    if (arrivals.isEmpty())
        return file;
    QList<bool> paired(file.entries.size(), false);
    for (qsizetype i = 0; i < file.entries.size(); ++i) {
        ImportedEntry& entry = file.entries[i];
        if (entry.kind != u"P1")
            continue;
        const auto found = arrivals.find(key(entry));
        if (found == arrivals.end())
            continue;
        Arrivals& rows = found.value();
        // Arrivals before this row can pair with no later "P1" either.
        while (rows.next < rows.rows.size() && rows.rows[rows.next] < i)
            ++rows.next;
        if (rows.next == rows.rows.size())
            continue;
        const qsizetype other = rows.rows[rows.next++];
        const ImportedEntry& arrival = file.entries[other];
        entry.amount = -std::fabs(entry.amount);
        entry.transferAccount = arrival.account;
        if (arrival.name != entry.name)
            entry.transferName = arrival.name;
        paired[other] = true;
    }
    QList<ImportedEntry> entries;
    entries.reserve(file.entries.size());
    for (qsizetype i = 0; i < file.entries.size(); ++i)
        if (!paired[i])
            entries.append(std::move(file.entries[i]));
    file.entries = std::move(entries);
    return file;
}

} // namespace zovi
