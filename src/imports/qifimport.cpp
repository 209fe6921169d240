#include "imports/qifimport.h"

#include "core/lang.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// What the lines after a "!" line hold.
enum class Section {
    None,    // nothing read yet
    Account, // the name of the account the next entries belong to
    Entries, // entries of a bank, cash, card or other account
    Skipped, // investments, lists of categories, classes, memorized entries...
};

// One split of a record: its "S" category, "E" memo and "$" amount.
struct QifSplit {
    QString category;
    QString memo;
    QString amount;
};

// One record of an entries section, its fields as the file writes them, up to its "^".
struct QifRecord {
    int line = 0;
    QStringList lines;
    QString account;
    QString date;
    QString amount; // "T", else "U"
    QString payee;
    QString memo;
    QString category;
    bool hasDate = false;
    bool hasAmount = false;
    bool hasT = false;
    QList<QifSplit> splits;
};

Section SectionOf(const QString& header) {
    const QString lower = header.toLower();
    if (lower.startsWith(u"!type:"_s)) {
        static const QStringList read = {u"bank"_s, u"cash"_s, u"ccard"_s, u"oth a"_s, u"oth l"_s};
        return read.contains(lower.mid(6).trimmed()) ? Section::Entries : Section::Skipped;
    }
    return lower == u"!account"_s ? Section::Account : Section::Skipped;
}

// Whether the text holds bytes no text file holds (controls other than line ends, tabs, form
// feeds and the old end-of-file mark).
bool HoldsBinary(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t' && c != u'\f' &&
            c.unicode() != 0x1A)
            return true;
    return false;
}

void AddField(QifRecord& record, const QString& line) {
    const QChar code = line[0];
    const QString value = line.mid(1).trimmed();
    switch (code.unicode()) {
    case u'D':
        record.date = value, record.hasDate = true;
        break;
    case u'T':
        record.amount = value, record.hasAmount = true, record.hasT = true;
        break;
    case u'U': // the same amount as "T", written by newer programs beside it
        if (!record.hasT)
            record.amount = value, record.hasAmount = true;
        break;
    case u'P':
        record.payee = value;
        break;
    case u'M':
        record.memo = value;
        break;
    case u'L':
        record.category = value;
        break;
    case u'S':
        record.splits.append(QifSplit{value, {}, {}});
        break;
    case u'E': // the memo and the amount of the split its "S" line started
        if (record.splits.isEmpty())
            record.splits.append(QifSplit{});
        record.splits.back().memo = value;
        break;
    case u'$':
        if (record.splits.isEmpty())
            record.splits.append(QifSplit{});
        record.splits.back().amount = value;
        break;
    default: // N check number, C cleared, A address, and what else a writer adds
        break;
    }
}

// The records of the entries sections, in the order of the file. Throws when the text has no
// entries section.
QList<QifRecord> ReadRecords(const QString& text) {
    QString normalized = text;
    normalized.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    const QStringList lines = normalized.split(u'\n');

    QList<QifRecord> records;
    QifRecord record;
    auto finish = [&] {
        if (!record.lines.isEmpty())
            records.append(record);
        record = QifRecord{};
    };
    Section section = Section::None;
    bool readsEntries = false;
    QString nextAccount; // named by the last "!Account" section
    QString account;     // of the entries of the current section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line == u"\x1A"_s)
            continue;
        if (line.startsWith(u'!')) {
            finish();
            section = SectionOf(line);
            if (section == Section::Account)
                continue;
            if (section == Section::Entries) {
                readsEntries = true;
                account = nextAccount;
            }
            // An "!Account" section names the account of the section right after it only (the
            // list of all accounts between "!Option:AutoSwitch" and "!Clear:AutoSwitch" none).
            nextAccount.clear();
            continue;
        }
        if (section == Section::Account && line.startsWith(u'N')) {
            nextAccount = line.mid(1).trimmed();
        } else if (section == Section::Entries) {
            if (line.startsWith(u'^')) {
                finish();
                continue;
            }
            if (record.lines.isEmpty()) {
                record.line = int(i + 1);
                record.account = account;
            }
            record.lines.append(line);
            AddField(record, line);
        }
    }
    finish(); // a last record without its "^"
    if (!readsEntries)
        throw ImportError(
            LangText(u"qif no accounts"_s,
                     u"This file is not a QIF file of accounts: it has no line \"!Type:Bank\", "
                     u"\"!Type:Cash\", \"!Type:CCard\", \"!Type:Oth A\" or \"!Type:Oth L\"."_s));
    return records;
}

// The first of a date's numbers, and whether it has four digits (a year).
int FirstNumber(QStringView date, bool* year) {
    date = date.trimmed();
    int value = 0;
    int digits = 0;
    while (digits < date.size() && date[digits].isDigit())
        value = value * 10 + date[digits++].digitValue();
    *year = digits == 4;
    return value;
}

// Writers put the month first, except with "." between the numbers (day.month.year), or when
// some date of the file starts with a number that can only be a day.
DateOrder OrderOfFile(const QList<QifRecord>& records) {
    for (const QifRecord& record : records) {
        bool year = false;
        if (!record.date.contains(u'.') && FirstNumber(record.date, &year) > 12 && !year)
            return DateOrder::DayMonthYear;
    }
    return DateOrder::MonthDayYear;
}

// What an amount tells of the decimal separator: 1 a comma, -1 a point, 0 nothing ("1,234" is
// a thousand with either separator, or one with three decimals).
int DecimalCommaHint(QStringView amount) {
    const qsizetype dot = amount.lastIndexOf(u'.');
    const qsizetype comma = amount.lastIndexOf(u',');
    if (dot < 0 && comma < 0)
        return 0;
    if (dot >= 0 && comma >= 0)
        return comma > dot ? 1 : -1;
    const QChar separator = dot >= 0 ? u'.' : u',';
    const int sign = separator == u',' ? 1 : -1;
    if (amount.count(separator) > 1)
        return -sign; // repeated: it separates thousands
    qsizetype digits = 0;
    for (qsizetype i = std::max(dot, comma) + 1; i < amount.size() && amount[i].isDigit(); ++i)
        ++digits;
    return digits == 3 ? 0 : sign;
}

QChar DecimalOfFile(const QList<QifRecord>& records) {
    int commas = 0;
    int points = 0;
    auto count = [&](const QString& amount) {
        const int hint = DecimalCommaHint(amount);
        commas += hint > 0;
        points += hint < 0;
    };
    for (const QifRecord& record : records) {
        count(record.amount);
        for (const QifSplit& split : record.splits)
            count(split.amount);
    }
    return commas > points ? u',' : u'.';
}

// A category "Group:Sub-group/Class" or a transfer "[Account]/Class".
void SetCategory(ImportedEntry& entry, QStringView category) {
    category = category.trimmed();
    if (category.startsWith(u'[')) {
        const qsizetype close = category.indexOf(u']');
        const QString account =
            (close < 0 ? category.sliced(1) : category.sliced(1, close - 1)).trimmed().toString();
        // An account's opening balance names the account itself: no transfer.
        if (account.compare(entry.account, Qt::CaseInsensitive) != 0)
            entry.transferAccount = account;
        return;
    }
    const qsizetype slash = category.indexOf(u'/');
    if (slash >= 0)
        category = category.first(slash);
    const qsizetype colon = category.indexOf(u':');
    entry.group = category.first(colon < 0 ? category.size() : colon).trimmed().toString();
    if (colon >= 0)
        entry.subGroup = category.sliced(colon + 1).trimmed().toString();
}

class RecordReader {
public:
    RecordReader(const QList<QifRecord>& records, ImportedFile& file)
        : m_file(file), m_order(OrderOfFile(records)), m_decimal(DecimalOfFile(records)),
          m_thousands(m_decimal == u',' ? u'.' : u',') {}

    void read(const QifRecord& record) {
        if (!record.hasDate)
            return unread(record, LangText(u"qif no date"_s, u"No date"_s));
        const std::optional<QDate> date = ReadImportDate(
            record.date, record.date.contains(u'.') ? DateOrder::DayMonthYear : m_order);
        if (!date)
            return unread(record, LangText(u"qif bad date"_s, u"The date cannot be read"_s));
        if (!record.hasAmount && record.splits.isEmpty())
            return unread(record, LangText(u"qif no amount"_s, u"No amount"_s));
        const QString badAmount = LangText(u"qif bad amount"_s, u"The amount cannot be read"_s);
        std::optional<double> total;
        if (record.hasAmount) {
            total = amount(record.amount);
            if (!total)
                return unread(record, badAmount);
        }
        QList<double> splits;
        for (const QifSplit& split : record.splits) {
            const std::optional<double> value = amount(split.amount);
            if (!value)
                return unread(record, badAmount);
            splits.append(*value);
        }

        ImportedEntry entry;
        entry.line = record.line;
        entry.date = *date;
        entry.account = record.account;
        entry.name = record.payee.isEmpty() ? record.memo : record.payee;
        double rest = total.value_or(0);
        for (qsizetype i = 0; i < record.splits.size(); ++i) {
            ImportedEntry part = entry;
            const QifSplit& split = record.splits[i];
            if (!split.memo.isEmpty())
                part.name = split.memo;
            part.amount = splits[i];
            SetCategory(part, split.category);
            m_file.entries.append(part);
            rest -= splits[i];
        }
        // Without splits the whole amount is the rest; with splits that miss part of the total,
        // that part keeps the record's own category, so the account's sum stays as written.
        rest = std::round(rest * 1e6) / 1e6;
        if (record.splits.isEmpty() || (total && rest != 0)) {
            entry.amount = rest;
            SetCategory(entry, record.category);
            m_file.entries.append(entry);
        }
    }

private:
    std::optional<double> amount(const QString& text) const {
        return ReadImportAmount(text, m_decimal, m_thousands);
    }
    void unread(const QifRecord& record, const QString& reason) {
        m_file.unread.append(UnreadLine{record.line, record.lines.join(u" | "_s), reason});
    }

    ImportedFile& m_file;
    const DateOrder m_order;
    const QChar m_decimal;
    const QChar m_thousands;
};

} // namespace

ImportedFile ReadQif(const QByteArray& bytes) {
    const QString text = DecodeAs(bytes, GuessEncoding(bytes));
    if (text.trimmed().isEmpty() || HoldsBinary(text))
        throw ImportError(LangText(
            u"qif not text"_s, u"This file is not a QIF file: it is empty or holds no text."_s));
    const QList<QifRecord> records = ReadRecords(text);
    ImportedFile file;
    RecordReader reader(records, file);
    for (const QifRecord& record : records)
        reader.read(record);
    return file;
}

} // namespace zovi
