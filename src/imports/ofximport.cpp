#include "imports/ofximport.h"

#include "core/lang.h"
#include "core/textutil.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <libofx/libofx.h>

using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
// libofx keeps the container of an aggregate it does not know inside a transaction (CURRENCY,
// ORIGCURRENCY) and never frees it; that leak is the library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libofx.so\n";
}
#endif

namespace zovi {

namespace {

// What the file's own text says of one STMTTRN, for what libofx does not hand over: the calendar
// date as written (libofx turns DTPOSTED into the local time of this computer, which moves the
// date when the file names another time zone), the currency of a foreign amount (libofx drops
// CURSYM), the payee's name (libofx drops PAYEE) and the line.
struct WrittenTransaction {
    int line = 0;
    QByteArray posted;
    QByteArray currency;
    QByteArray payee;
};

// What libofx hands over of one transaction.
struct LibTransaction {
    bool bank = false;       // a STMTTRN, not an investment transaction
    bool investment = false; // in an investment account's statement
    std::optional<QDate> date;
    std::optional<double> amount;
    QString name;
    QString memo;
};

struct ParseResult {
    bool statement = false; // a bank or credit card statement was read
    QString currency;
    QList<LibTransaction> transactions;
};

bool IsInvestment(const OfxAccountData* account) {
    return account != nullptr && account->account_type_valid &&
           account->account_type == OfxAccountData::OFX_INVESTMENT;
}

int OnStatement(const OfxStatementData data, void* result) {
    auto* parsed = static_cast<ParseResult*>(result);
    if (IsInvestment(data.account_ptr))
        return 0;
    parsed->statement = true;
    if (data.currency_valid && parsed->currency.isEmpty())
        parsed->currency = QString::fromUtf8(data.currency).trimmed();
    return 0;
}

int OnTransaction(const OfxTransactionData data, void* result) {
    LibTransaction t;
    t.bank = !data.invtransactiontype_valid;
    t.investment = IsInvestment(data.account_ptr);
    if (data.date_posted_valid)
        t.date = QDateTime::fromSecsSinceEpoch(data.date_posted).date();
    if (data.amount_valid)
        t.amount = data.amount;
    if (data.name_valid)
        t.name = QString::fromUtf8(data.name).trimmed();
    if (data.memo_valid)
        t.memo = QString::fromUtf8(data.memo).trimmed();
    static_cast<ParseResult*>(result)->transactions.append(t);
    return 0;
}

// Whether the bytes start as an OFX file: "OFXHEADER:" (1.x), or an XML declaration followed by
// the OFX processing instruction or the OFX element (2.x).
bool LooksLikeOfx(const QByteArray& bytes) {
    QByteArrayView head(bytes);
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    head = head.trimmed();
    if (head.startsWith("OFXHEADER:"))
        return true;
    if (!head.startsWith("<?xml"))
        return false;
    const QByteArray start = head.first(std::min<qsizetype>(head.size(), 4096)).toByteArray();
    return start.contains("<?OFX") || start.contains("<OFX>");
}

// The value of the data element tag (as "<DTPOSTED>") within [from, to) of upper, the file's
// text in upper case; the value ends at the next tag or line end. Empty when the tag is absent.
QByteArray ElementValue(const QByteArray& bytes, const QByteArray& upper, QByteArrayView tag,
                        qsizetype from, qsizetype to) {
    const qsizetype at = upper.indexOf(tag, from);
    if (at < 0 || at >= to)
        return {};
    qsizetype end = at + tag.size();
    const qsizetype start = end;
    while (end < to && bytes[end] != '<' && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    return bytes.mid(start, end - start).trimmed();
}

QList<WrittenTransaction> ScanTransactions(const QByteArray& bytes) {
    const QByteArray upper = bytes.toUpper(); // tags compare without letter case, as in SGML
    QList<WrittenTransaction> found;
    int line = 1;
    qsizetype counted = 0; // the line of this offset is known
    qsizetype at = upper.indexOf("<STMTTRN>");
    while (at >= 0) {
        line += int(std::count(bytes.begin() + counted, bytes.begin() + at, '\n'));
        counted = at;
        const qsizetype next = upper.indexOf("<STMTTRN>", at + 1);
        qsizetype end = upper.indexOf("</STMTTRN>", at);
        if (end < 0 || (next >= 0 && next < end))
            end = next < 0 ? upper.size() : next;
        WrittenTransaction t;
        t.line = line;
        t.posted = ElementValue(bytes, upper, "<DTPOSTED>", at, end);
        const qsizetype currency = upper.indexOf("<CURRENCY>", at);
        if (currency >= 0 && currency < end)
            t.currency = ElementValue(bytes, upper, "<CURSYM>", currency, end).toUpper();
        const qsizetype payee = upper.indexOf("<PAYEE>", at);
        if (payee >= 0 && payee < end)
            t.payee = ElementValue(bytes, upper, "<NAME>", payee, end);
        found.append(t);
        at = next;
    }
    return found;
}

// The text of a value taken from the file itself, in the file's character set: UTF-8 for XML
// and for ENCODING:UTF-8, CHARSET 1251 and 1252 as named, else UTF-8 when valid, else 1251.
QString DecodeWritten(const QByteArray& value, const QByteArray& fileStart) {
    const QByteArray header = fileStart.toUpper();
    if (header.contains("<?XML") || header.contains("ENCODING:UTF-8"))
        return QString::fromUtf8(value);
    if (header.contains("CHARSET:1252"))
        return QString::fromLatin1(value);
    if (header.contains("CHARSET:1251"))
        return DecodeCp1251(value);
    return DecodeAs(value, GuessEncoding(value));
}

// The calendar date DTPOSTED writes: its first eight digits, YYYYMMDD.
std::optional<QDate> WrittenDate(const QByteArray& posted) {
    if (posted.size() < 8)
        return std::nullopt;
    bool ok = true;
    for (int i = 0; i < 8; ++i)
        ok = ok && posted[i] >= '0' && posted[i] <= '9';
    if (!ok)
        return std::nullopt;
    const QDate date(posted.first(4).toInt(), posted.mid(4, 2).toInt(), posted.mid(6, 2).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

ImportError NotStatement() {
    return ImportError(LangText(u"ofx not statement"_s,
                                u"This file is not an OFX bank or credit card statement."_s));
}

// Runs libofx over the file with its console messages off (it prints them otherwise).
ParseResult ParseWithLibofx(const QString& path) {
    ofx_PARSER_msg = false;
    ofx_DEBUG_msg = false;
    ofx_DEBUG1_msg = false;
    ofx_DEBUG2_msg = false;
    ofx_DEBUG3_msg = false;
    ofx_DEBUG4_msg = false;
    ofx_DEBUG5_msg = false;
    ofx_STATUS_msg = false;
    ofx_INFO_msg = false;
    ofx_WARNING_msg = false;
    ofx_ERROR_msg = false;
    ParseResult result;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_statement_cb(context, OnStatement, &result);
    ofx_set_transaction_cb(context, OnTransaction, &result);
    // The outcome is judged by what arrived: libofx reports an error for files it still reads.
    libofx_proc_file(context, QFile::encodeName(path).constData(), OFX);
    libofx_free_context(context);
    return result;
}

} // namespace

ImportedFile ReadOfx(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(
            LangText(u"ofx unreadable"_s, u"The file cannot be read: %1"_s).arg(path));
    const QByteArray bytes = file.readAll();
    file.close();
    if (!LooksLikeOfx(bytes))
        throw NotStatement();

    const ParseResult parsed = ParseWithLibofx(path);
    if (!parsed.statement)
        throw NotStatement();

    // libofx hands the STMTTRNs over in the file's order; when it gave as many as the file
    // holds, the n-th one is the file's n-th STMTTRN.
    const QList<WrittenTransaction> written = ScanTransactions(bytes);
    qsizetype bankCount = 0;
    for (const LibTransaction& t : parsed.transactions)
        bankCount += t.bank ? 1 : 0;
    const bool paired = bankCount == written.size();
    const QByteArray fileStart = bytes.first(std::min<qsizetype>(bytes.size(), 4096));

    ImportedFile result;
    result.currency = parsed.currency;
    qsizetype bankIndex = 0;
    for (const LibTransaction& t : parsed.transactions) {
        if (!t.bank)
            continue;
        const WrittenTransaction own = paired ? written[bankIndex] : WrittenTransaction();
        ++bankIndex;
        if (t.investment)
            continue;
        ImportedEntry entry;
        entry.line = own.line;
        entry.date = WrittenDate(own.posted).value_or(t.date.value_or(QDate()));
        entry.name = t.name;
        if (entry.name.isEmpty() && !own.payee.isEmpty())
            entry.name = DecodeWritten(own.payee, fileStart).trimmed();
        if (entry.name.isEmpty())
            entry.name = t.memo;
        entry.currency = QString::fromLatin1(own.currency);
        const QString shown = entry.name.isEmpty() ? QString::number(bankIndex) : entry.name;
        if (!entry.date.isValid()) {
            result.unread.append({own.line, shown, LangText(u"ofx no date"_s, u"no date"_s)});
            continue;
        }
        if (!t.amount) {
            result.unread.append({own.line, shown, LangText(u"ofx no amount"_s, u"no amount"_s)});
            continue;
        }
        entry.amount = *t.amount;
        result.entries.append(entry);
    }
    return result;
}

} // namespace zovi
