#include "reports/dbaseexport.h"

#include "core/clock.h"
#include "core/keptfile.h"
#include "core/lang.h"
#include "core/textutil.h"
#include "reports/reporttemplate.h"
#include "store/table.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <shapefil.h>
#include <sys/file.h>
#include <unistd.h>

namespace zovi {

namespace {

// ---- shapelib's file operations, watched ----

// shapelib reports a failed write only through the return value of the call that made it, and
// a failed flush or close (a full disk shows there) not at all. Its file hooks carry no context,
// so the failures of the file operations of one export are counted in the watch of the running
// thread.
struct IoWatch {
    int failures = 0;
    QString detail;
    bool writing = false; // the last operation on a file was a write
};
thread_local IoWatch* t_watch = nullptr;

const SAHooks& DefaultHooks() {
    static const SAHooks hooks = [] {
        SAHooks h;
        SASetupDefaultHooks(&h);
        return h;
    }();
    return hooks;
}

void CountFailure(const QString& detail) {
    if (!t_watch)
        return;
    ++t_watch->failures;
    if (t_watch->detail.isEmpty())
        t_watch->detail = detail;
}

SAOffset WatchedRead(void* p, SAOffset size, SAOffset count, SAFile file) {
    if (t_watch)
        t_watch->writing = false;
    return DefaultHooks().FRead(p, size, count, file);
}

SAOffset WatchedWrite(void* p, SAOffset size, SAOffset count, SAFile file) {
    if (t_watch)
        t_watch->writing = true;
    const SAOffset written = DefaultHooks().FWrite(p, size, count, file);
    if (written != count)
        CountFailure(QString::fromLocal8Bit(strerror(errno)));
    return written;
}

int WatchedFlush(SAFile file) {
    const int result = DefaultHooks().FFlush(file);
    if (result != 0)
        CountFailure(QString::fromLocal8Bit(strerror(errno)));
    return result;
}

int WatchedClose(SAFile file) {
    const int result = DefaultHooks().FClose(file);
    if (result != 0)
        CountFailure(QString::fromLocal8Bit(strerror(errno)));
    return result;
}

// shapelib seeks before every record it writes, also to where the file already stands; a seek
// empties the stream's buffer, which made every record a write of its own. Skipping the seeks
// that would not move, between two writes, lets the appended records go out in large writes. A
// seek after a read is always made: a stream must be positioned between a read and a write.
SAOffset WatchedSeek(SAFile file, SAOffset offset, int whence) {
    if (t_watch && t_watch->writing && whence == SEEK_SET && DefaultHooks().FTell(file) == offset)
        return 0;
    return DefaultHooks().FSeek(file, offset, whence);
}

void WatchedError(const char* message) {
    CountFailure(QString::fromLocal8Bit(message));
}

SAHooks* WatchedHooks() {
    static SAHooks hooks = [] {
        SAHooks h = DefaultHooks();
        h.FRead = WatchedRead;
        h.FWrite = WatchedWrite;
        h.FSeek = WatchedSeek;
        h.FFlush = WatchedFlush;
        h.FClose = WatchedClose;
        h.Error = WatchedError;
        return h;
    }();
    return &hooks;
}

// Watches the file operations of shapelib on this thread while it lives.
class WatchScope {
public:
    WatchScope() : m_previous(t_watch) { t_watch = &m_watch; }
    ~WatchScope() { t_watch = m_previous; }
    WatchScope(const WatchScope&) = delete;
    WatchScope& operator=(const WatchScope&) = delete;
    const IoWatch& watch() const { return m_watch; }

private:
    IoWatch m_watch;
    IoWatch* m_previous;
};

// An open dBase table that is closed when it goes out of scope (after a failure); close()
// closes it at the end of a successful write, so that its last writes are watched.
class DbfHandle {
public:
    explicit DbfHandle(DBFHandle dbf) : m_dbf(dbf) {}
    ~DbfHandle() { close(); }
    DbfHandle(const DbfHandle&) = delete;
    DbfHandle& operator=(const DbfHandle&) = delete;
    DBFHandle get() const { return m_dbf; }
    void close() {
        if (m_dbf)
            DBFClose(m_dbf);
        m_dbf = nullptr;
    }

private:
    DBFHandle m_dbf;
};

// ---- working copies ----

// The working copy of an export lies beside its file under this name (the Xs made unique).
const QString kWorkName = QStringLiteral(".zovi-export-XXXXXX.dbf");

// Removes the working copies that interrupted exports left in folder: files named exactly as
// ours, last written over a minute ago (a copy just made is locked a moment after it appears)
// and locked by no export (a running one holds a lock on its copy until it is done; the lock
// goes with a killed process).
void RemoveLeftoverCopies(const QString& folder) {
    static const QRegularExpression ours(QStringLiteral("^\\.zovi-export-[A-Za-z0-9]{6}\\.dbf$"));
    const QDateTime settled = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QString pattern =
        QString(kWorkName).replace(QStringLiteral("XXXXXX"), QStringLiteral("*"));
    for (const QFileInfo& file :
         QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::Hidden | QDir::System)) {
        if (!ours.match(file.fileName()).hasMatch() || file.isSymLink() ||
            file.lastModified() > settled)
            continue;
        const int fd = ::open(QFile::encodeName(file.filePath()).constData(),
                              O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            QFile::remove(file.filePath());
        ::close(fd);
    }
}

// ---- messages ----

[[noreturn]] void NotWritten(const QString& fileName, QString detail) {
    if (detail.isEmpty())
        detail = QString::fromLocal8Bit(strerror(EIO));
    throw ReportError(FileNotWrittenMessage(fileName, detail));
}

// ---- code pages ----

enum class TextCode { Cp1251, Utf8 };

// The code page a file declares, as shapelib names it: the text of a .cpg file beside it, or
// "LDID/n" from its header. Empty (none declared) and LDID/201 mean Windows-1251.
std::optional<TextCode> TextCodeOf(const QString& declared) {
    QString name = declared.trimmed().toUpper();
    name.remove(u'-').remove(u' ').remove(u'_');
    if (name.isEmpty() || name == u"LDID/201" || name == u"1251" || name == u"CP1251" ||
        name == u"WINDOWS1251" || name == u"ANSI1251")
        return TextCode::Cp1251;
    if (name == u"UTF8" || name == u"65001")
        return TextCode::Utf8;
    return std::nullopt;
}

// The .cpg file shapelib reads beside a dBase file: its name with the extension replaced.
QString CodePageFileOf(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".cpg");
}

// The bytes of a text in the file's code page, at most width bytes: Windows-1251 has one byte
// per character (lacking receives the characters it has none for); UTF-8 is cut before the
// character that would not fit whole.
QByteArray FieldBytes(const QString& text, TextCode code, int width, QString* lacking) {
    if (code == TextCode::Cp1251)
        return EncodeCp1251(QStringView(text).left(width), lacking);
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > width) {
        qsizetype cut = width;
        while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    return bytes;
}

// A target field of the file and the ledger column its texts come from.
struct Column {
    int field;
    int width;
    int ledgerColumn;
};

} // namespace

const QList<ExportField>& ExportFields() {
    static const QList<ExportField> fields = {
        {"Date", fields::Data::Date, 20},     {"Name", fields::Data::Name, 100},
        {"Charge", fields::Data::Rashod, 40}, {"Income", fields::Data::Dohod, 40},
        {"Group", fields::Data::Gr2, 60},     {"Sub_group", fields::Data::NameRashod, 60},
        {"Account", fields::Data::Gr1, 60},
    };
    return fields;
}

QString ExportTemplatePath(const QString& programFolder) {
    return programFolder + QStringLiteral("/ExTemplate/data.dbf_t");
}

void WriteExportTemplate(const QString& programFolder) {
    const QString target = ExportTemplatePath(programFolder);
    auto fail = [&target] {
        throw ReportError(LangText(QStringLiteral("exportTemplateNotWritten"),
                                   QStringLiteral("The export template %1 cannot be written."))
                              .arg(QDir::toNativeSeparators(target)));
    };
    // shapelib gives every file it makes the extension ".dbf", so the table is made under that
    // name in a scratch folder and its bytes are copied to the template's name.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        fail();
    const QString made = scratch.filePath(QStringLiteral("data.dbf"));
    {
        WatchScope scope;
        DbfHandle dbf(DBFCreateLL(QFile::encodeName(made).constData(), "LDID/201", WatchedHooks()));
        if (!dbf.get())
            fail();
        for (const ExportField& f : ExportFields()) {
            if (DBFAddField(dbf.get(), f.name, FTString, f.width, 0) < 0)
                fail();
        }
        const QDate today = Clock::today();
        DBFSetLastModifiedDate(dbf.get(), today.year() - 1900, today.month(), today.day());
        dbf.close();
        if (scope.watch().failures > 0)
            fail();
    }
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        fail();
    if (QFileInfo::exists(target) && !QFile::remove(target))
        fail();
    if (!QFile::copy(made, target))
        fail();
}

QString ExportFileName(const QString& chosen) {
    return ExportFileName(chosen, u".dbf");
}

DbaseExport::DbaseExport(const TableHandle& view, const QString& templatePath,
                         const QString& fileName, ExportMode mode)
    : m_fileName(fileName) {
    const QFileInfo target(fileName);
    const bool exists = target.exists();
    const bool append = exists && mode == ExportMode::Append;
    const QString source = append ? fileName : templatePath;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (!append) {
            throw ReportError(
                LangText(QStringLiteral("exportTemplateMissing"),
                         QStringLiteral("The export template %1 is missing, so %2 was not made."))
                    .arg(QDir::toNativeSeparators(QFileInfo(templatePath).absoluteFilePath()),
                         QDir::toNativeSeparators(fileName)));
        }
        NotWritten(fileName, in.errorString());
    }

    // The rows are written into a copy beside the file (named ".dbf", which shapelib insists
    // on, whatever the file's own extension), which replaces the file only when it is whole.
    // The copy stays open and locked until the export is done, so that another export into the
    // folder never takes it for a leftover.
    RemoveLeftoverCopies(target.absolutePath());
    m_work = std::make_unique<QTemporaryFile>(target.absolutePath() + u'/' + kWorkName);
    QTemporaryFile& work = *m_work;
    if (!work.open())
        NotWritten(fileName, work.errorString());
    ::flock(work.handle(), LOCK_EX | LOCK_NB);
    const QByteArray original = in.readAll();
    if (work.write(original) != original.size() || !work.flush())
        NotWritten(fileName, work.errorString());
    // A replaced file keeps its permissions.
    work.setPermissions((exists ? QFile::permissions(fileName) : in.permissions()) |
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    in.close();

    WatchScope scope;
    DbfHandle dbf(DBFOpenLL(QFile::encodeName(work.fileName()).constData(), "rb+", WatchedHooks()));
    if (!dbf.get()) {
        throw ReportError(LangText(QStringLiteral("exportNotDbase"),
                                   QStringLiteral("The file %1 is not a dBase table."))
                              .arg(QDir::toNativeSeparators(source)));
    }

    // A .cpg file beside an existing file names its code page before the header does; it stays
    // beside a replaced file, whose texts are then written as readers will read them.
    QString declared;
    QFile cpg(CodePageFileOf(fileName));
    if (exists && cpg.open(QIODevice::ReadOnly))
        declared = QString::fromLatin1(cpg.readLine());
    else if (const char* header = DBFGetCodePage(dbf.get()))
        declared = QString::fromLatin1(header);
    const std::optional<TextCode> code = TextCodeOf(declared);
    if (!code) {
        throw ReportError(LangText(QStringLiteral("exportCodePage"),
                                   QStringLiteral("The file %1 declares the code page %2; the "
                                                  "export writes Windows-1251 or UTF-8 only."))
                              .arg(QDir::toNativeSeparators(fileName), declared.trimmed()));
    }

    QList<Column> columns;
    for (const ExportField& f : ExportFields()) {
        const int field = DBFGetFieldIndex(dbf.get(), f.name);
        if (field < 0)
            continue;
        int width = 0;
        DBFGetFieldInfo(dbf.get(), field, nullptr, &width, nullptr);
        columns.append({field, width, view.fieldIndex(f.ledgerField)});
    }
    if (columns.isEmpty()) {
        throw ReportError(LangText(QStringLiteral("exportNoFields"),
                                   QStringLiteral("The dBase table %1 has none of the fields Date, "
                                                  "Name, Charge, Income, Group, Sub_group and "
                                                  "Account."))
                              .arg(QDir::toNativeSeparators(source)));
    }

    // shapelib writes the end-of-file mark after every appended record, which moves the file
    // back by one byte before the next; it is written once, after the last record, at the close.
    DBFSetWriteEndOfFileChar(dbf.get(), false);
    int record = DBFGetRecordCount(dbf.get());
    m_rows = view.recordCount();
    QString lacking;
    for (int row = 0; row < m_rows; ++row, ++record) {
        const qsizetype lackingBefore = lacking.size();
        for (const Column& c : columns) {
            const QByteArray bytes =
                FieldBytes(view.textAt(row, c.ledgerColumn), *code, c.width, &lacking);
            if (!DBFWriteStringAttribute(dbf.get(), record, c.field, bytes.constData()))
                NotWritten(fileName, scope.watch().detail);
        }
        if (lacking.size() > lackingBefore)
            ++m_losses.entries;
    }
    if (!lacking.isEmpty()) {
        m_losses.characters = int(lacking.toUcs4().size());
        m_losses.example = lacking.left(lacking.front().isHighSurrogate() ? 2 : 1);
    }
    const QDate today = Clock::today();
    DBFSetLastModifiedDate(dbf.get(), today.year() - 1900, today.month(), today.day());
    DBFSetWriteEndOfFileChar(dbf.get(), true);
    dbf.close();
    if (scope.watch().failures > 0)
        NotWritten(fileName, scope.watch().detail);
}

DbaseExport::~DbaseExport() = default;

void DbaseExport::save() {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(m_work->fileName()).constData(),
                            QFile::encodeName(QFileInfo(m_fileName).absoluteFilePath()).constData(),
                            error);
    if (error)
        NotWritten(m_fileName, QString::fromLocal8Bit(error.message()));
    m_work->setAutoRemove(false);
}

int ExportLedger(const TableHandle& view, const QString& templatePath, const QString& fileName,
                 ExportMode mode) {
    DbaseExport job(view, templatePath, fileName, mode);
    job.save();
    return job.rows();
}

} // namespace zovi
