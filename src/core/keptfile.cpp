#include "core/keptfile.h"

#include "core/lang.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace zovi {

KeptFile::KeptFile(const QString& path) : m_path(path), m_file(std::make_unique<QSaveFile>(path)) {}

KeptFile::~KeptFile() {
    if (m_file->isOpen())
        m_file->cancelWriting();
}

bool KeptFile::fail(const QString& reason) {
    if (m_reason.isEmpty())
        m_reason = reason.isEmpty() ? qt_error_string(EIO) : reason;
    if (m_file->isOpen())
        m_file->cancelWriting();
    return false;
}

bool KeptFile::open() {
    return m_file->open(QIODevice::WriteOnly) || fail(m_file->errorString());
}

QIODevice* KeptFile::device() {
    return m_file.get();
}

bool KeptFile::write(QByteArrayView bytes) {
    if (!m_reason.isEmpty())
        return false;
    return m_file->write(bytes.data(), bytes.size()) == bytes.size() || fail(m_file->errorString());
}

bool KeptFile::commit() {
    if (!m_reason.isEmpty() || !m_file->isOpen())
        return fail(m_file->errorString());
    // The buffered bytes go out here, where their failure is still seen.
    if (!m_file->flush() || m_file->error() != QFileDevice::NoError)
        return fail(m_file->errorString());
    return m_file->commit() || fail(m_file->errorString());
}

QString KeptFile::message() const {
    return FileNotWrittenMessage(m_path, m_reason);
}

std::optional<QString> WriteKeptFile(const QString& path, QByteArrayView bytes) {
    KeptFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return std::nullopt;
    return file.message();
}

QString ExportFileName(const QString& chosen, QStringView extension) {
    if (chosen.size() < 4 || chosen.at(chosen.size() - 4) != u'.')
        return chosen + extension.toString();
    return chosen;
}

QString FileNotWrittenMessage(const QString& path, const QString& reason) {
    // The key was first the dBase export's; every file written for keeps shares its text.
    return LangText(u"exportNotWritten"_s,
                    u"The file %1 cannot be written (%2); it is left as it was."_s)
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace zovi
