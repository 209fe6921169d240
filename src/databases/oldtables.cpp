#include "databases/oldtables.h"

#include "core/lang.h"
#include "core/paths.h"
#include "core/textutil.h"
#include "store/error.h"
#include "store/tablecrypt.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <optional>

namespace zovi {

namespace {

[[noreturn]] void Refuse(const QString& path, const QString& why) {
    throw StoreError(CannotReadMessage(QDir::toNativeSeparators(path), why));
}

// Turns the bytes of the table's texts into our text. Windows-1251 (the old program's own)
// is decoded here; other code pages through Qt's codecs. A byte that has no character in the
// code page makes the text unreadable rather than silently changed.
class CodePage {
public:
    CodePage(const QString& path, int number) : m_number(number) {
        if (number == 0 || number == 1251)
            return;
        for (const QString& name :
             {QStringLiteral("windows-%1").arg(number), QStringLiteral("IBM%1").arg(number),
              QStringLiteral("CP%1").arg(number)}) {
            m_decoder =
                QStringDecoder(name.toLatin1().constData(), QStringDecoder::Flag::Stateless);
            if (m_decoder.isValid())
                return;
        }
        Refuse(path, LangText(QStringLiteral("oldcodepage"),
                              QStringLiteral("its texts are in the code page %1, which this "
                                             "program cannot read."))
                         .arg(number));
    }

    // The text of bytes; a null QString when a byte does not convert.
    QString decode(QByteArrayView bytes) {
        if (!m_decoder.isValid()) {
            QString text = DecodeCp1251(bytes);
            return text.contains(QChar::ReplacementCharacter) ? QString() : text;
        }
        QString text = m_decoder.decode(bytes);
        const bool failed = m_decoder.hasError();
        m_decoder.resetState();
        return failed || text.contains(QChar::ReplacementCharacter) ? QString() : text;
    }

    int number() const { return m_number == 0 ? 1251 : m_number; }

private:
    int m_number;
    QStringDecoder m_decoder;
};

// Undoes the reader's escapes; false for an escape it never writes.
bool Unescape(QByteArrayView field, QByteArray& out) {
    out.clear();
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return false;
        }
    }
    return true;
}

FieldType TypeOfLetter(char letter, bool* ok) {
    *ok = true;
    switch (letter) {
    case 'T':
        return FieldType::Text;
    case 'F':
        return FieldType::Float;
    case 'I':
        return FieldType::Integer;
    case 'D':
        return FieldType::Date;
    case 'B':
        return FieldType::Boolean;
    default:
        *ok = false;
        return FieldType::Text;
    }
}

// Parses the reader's output line by line as it arrives.
class ReaderOutput {
public:
    ReaderOutput(const QString& path, const ReadProgress& progress)
        : m_path(path), m_progress(progress) {
        m_table.path = path;
    }

    // Takes the complete lines of buffer and leaves the rest in it.
    void take(QByteArray& buffer) {
        qsizetype start = 0;
        for (qsizetype end; (end = buffer.indexOf('\n', start)) >= 0; start = end + 1)
            line(QByteArrayView(buffer).sliced(start, end - start));
        buffer.remove(0, start);
    }

    bool complete() const { return m_state == State::Done; }
    OldTable result() { return std::move(m_table); }

private:
    enum class State { Magic, CodePage, Records, FieldCount, Fields, Rows, Done };

    [[noreturn]] void damaged(const QString& why = QString()) {
        Refuse(m_path, why.isEmpty() ? LangText(QStringLiteral("oldreaderoutput"),
                                                QStringLiteral("the reader's output "
                                                               "is damaged."))
                                     : why);
    }

    qint64 number(QByteArrayView text, const char* key) {
        const QByteArray prefix = QByteArray(key) + ' ';
        if (!text.startsWith(prefix))
            damaged();
        bool ok = false;
        const qint64 n = text.sliced(prefix.size()).toLongLong(&ok);
        if (!ok || n < 0)
            damaged();
        return n;
    }

    QString text(QByteArrayView escaped, qsizetype row, const QString& field) {
        if (!Unescape(escaped, m_bytes))
            damaged();
        const QString t = m_codePage->decode(m_bytes);
        if (t.isNull()) {
            damaged(row < 0 ? LangText(QStringLiteral("oldfieldname"),
                                       QStringLiteral("a field name cannot be read in the "
                                                      "table's code page %1."))
                                  .arg(m_codePage->number())
                            : LangText(QStringLiteral("oldfieldtext"),
                                       QStringLiteral("the text of the field %1 in row %2 cannot "
                                                      "be read in the table's code page %3."))
                                  .arg(field)
                                  .arg(row + 1)
                                  .arg(m_codePage->number()));
        }
        return t;
    }

    Value value(QByteArrayView raw, size_t column, qsizetype row) {
        if (raw == "\\N")
            return Value();
        const OldTable::Field& field = m_table.fields[column];
        bool ok = true;
        Value v;
        switch (field.type) {
        case FieldType::Text:
            return text(raw, row, field.name);
        case FieldType::Float:
            v = raw.toDouble(&ok);
            break;
        case FieldType::Date: {
            const qint64 day = raw.toLongLong(&ok);
            ok = ok && QDate::fromJulianDay(day).isValid();
            v = day;
            break;
        }
        default:
            v = raw.toLongLong(&ok);
        }
        if (!ok)
            damaged(LangText(QStringLiteral("oldfieldvalue"),
                             QStringLiteral("the field %1 in row %2 holds no readable value."))
                        .arg(field.name)
                        .arg(row + 1));
        return v;
    }

    void line(QByteArrayView text) {
        switch (m_state) {
        case State::Magic:
            if (text != "zovi-paradox 1")
                damaged();
            m_state = State::CodePage;
            break;
        case State::CodePage:
            m_codePage.emplace(m_path, int(number(text, "codepage")));
            m_state = State::Records;
            break;
        case State::Records:
            m_records = number(text, "records");
            m_state = State::FieldCount;
            break;
        case State::FieldCount:
            m_fieldCount = number(text, "fields");
            m_state = m_fieldCount > 0 ? State::Fields : State::Rows;
            break;
        case State::Fields: {
            bool ok = false;
            if (text.size() < 2 || text[1] != '\t')
                damaged();
            const FieldType type = TypeOfLetter(text[0], &ok);
            if (!ok)
                damaged();
            m_table.fields.push_back({this->text(text.sliced(2), -1, QString()), type});
            if (qint64(m_table.fields.size()) == m_fieldCount) {
                m_state = State::Rows;
                // The count comes from the table's header: trusted for the reservation only as
                // far as a sane size goes.
                m_table.rows.reserve(size_t(std::min<qint64>(m_records, 1 << 20)));
            }
            break;
        }
        case State::Rows: {
            if (text == "end") {
                if (qint64(m_table.rows.size()) != m_records)
                    damaged();
                m_state = State::Done;
                break;
            }
            if (qint64(m_table.rows.size()) >= m_records)
                damaged();
            const qsizetype row = qsizetype(m_table.rows.size());
            std::vector<Value> values;
            values.reserve(m_table.fields.size());
            qsizetype from = 0;
            for (size_t column = 0; column < m_table.fields.size(); ++column) {
                qsizetype to = text.indexOf('\t', from);
                const bool last = column + 1 == m_table.fields.size();
                if (last != (to < 0))
                    damaged();
                if (to < 0)
                    to = text.size();
                values.push_back(value(text.sliced(from, to - from), column, row));
                from = to + 1;
            }
            m_table.rows.push_back(std::move(values));
            if (m_progress && m_table.rows.size() % 4096 == 0)
                m_progress(qint64(m_table.rows.size()), m_records);
            break;
        }
        case State::Done:
            damaged();
        }
    }

    QString m_path;
    ReadProgress m_progress;
    OldTable m_table;
    State m_state = State::Magic;
    std::optional<CodePage> m_codePage;
    qint64 m_records = 0;
    qint64 m_fieldCount = 0;
    QByteArray m_bytes;
};

// A reason the reader gives in its own fixed words, in the user's language; a reason of the
// Paradox library itself stays as it said it.
QString ReaderReason(const QString& said) {
    if (said == u"the table's header is damaged")
        return LangText(QStringLiteral("pxheaderdamaged"), said);
    if (said == u"not a Paradox table")
        return LangText(QStringLiteral("pxnotatable"), said);
    if (said == u"the Paradox library could not start")
        return LangText(QStringLiteral("pxlibrary"), said);
    return said;
}

} // namespace

QString ParadoxReader::DefaultProgram() {
    const QString name = QStringLiteral("zovi_pxread");
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    return QFileInfo::exists(beside) ? beside : ProgramFolder::file(name);
}

OldTable ReadParadoxTable(const QString& path, const ParadoxReader& reader,
                          const ReadProgress& progress) {
    QProcess process;
    process.setProgram(reader.program);
    process.setArguments({path});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted())
        Refuse(path, LangText(QStringLiteral("pxreadernotstarted"),
                              QStringLiteral("the reader of Paradox tables %1 cannot be started "
                                             "(%2)."))
                         .arg(QDir::toNativeSeparators(reader.program), process.errorString()));

    ReaderOutput output(path, progress);
    QByteArray buffer, errors;
    auto stop = [&process] {
        process.kill();
        process.waitForFinished();
    };
    try {
        // Silence is measured from the last output: a large table may take long, but a reader
        // that stops answering is stopped.
        while (process.state() != QProcess::NotRunning) {
            if (!process.waitForReadyRead(reader.silenceLimitMs) &&
                process.state() != QProcess::NotRunning && process.bytesAvailable() == 0) {
                stop();
                Refuse(path, LangText(QStringLiteral("pxreadersilent"),
                                      QStringLiteral("the reader of Paradox tables stopped "
                                                     "answering; the table may be damaged.")));
            }
            buffer += process.readAllStandardOutput();
            errors += process.readAllStandardError();
            output.take(buffer);
        }
        buffer += process.readAllStandardOutput();
        errors += process.readAllStandardError();
        output.take(buffer);
    } catch (...) {
        if (process.state() != QProcess::NotRunning)
            stop();
        throw;
    }

    if (process.exitStatus() != QProcess::NormalExit)
        Refuse(path, LangText(QStringLiteral("pxreadercrashed"),
                              QStringLiteral("the reader of Paradox tables broke down on it; the "
                                             "table may be damaged.")));
    if (process.exitCode() != 0 || !output.complete()) {
        errors += process.readAllStandardError();
        QString said = QString::fromLocal8Bit(errors).trimmed().section(QLatin1Char('\n'), -1);
        while (said.endsWith(QLatin1Char('.')))
            said.chop(1);
        Refuse(path, said.isEmpty() ? LangText(QStringLiteral("pxdamaged"),
                                               QStringLiteral("it is damaged or not a Paradox "
                                                              "table."))
                                    : LangText(QStringLiteral("pxdamagedbecause"),
                                               QStringLiteral("it is damaged or not a Paradox "
                                                              "table (%1)."))
                                          .arg(ReaderReason(said)));
    }
    OldTable table = output.result();
    if (progress)
        progress(qint64(table.rows.size()), qint64(table.rows.size()));
    return table;
}

OldTable ReadOldTable(const QString& path, const ParadoxReader& reader,
                      const ReadProgress& progress) {
    // An encrypted table is one of ours too, read with the key this process holds for it.
    if (IsSqliteFile(path) || (TableCrypt::keyFor(path) && TableCrypt::looksEncrypted(path)))
        return ReadSqliteTable(path, progress);
    return ReadParadoxTable(path, reader, progress);
}

} // namespace zovi
