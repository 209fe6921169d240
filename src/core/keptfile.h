#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>
#include <optional>

class QIODevice;
class QSaveFile;

namespace zovi {

// A file the program writes for keeps (the catalogue, presets, backup lists, reports, chart
// pictures): the bytes go into a temporary file beside it, which replaces the file only when
// every write reached it. Every write is checked, and the buffered rest is flushed and checked
// before the replacement, since a buffered write that failed (a full disk) would otherwise still
// be committed as an empty or cut file. On any failure the old file stays as it was (or absent)
// and message() names the file and the reason. Not committing leaves the old file too.
class KeptFile {
public:
    explicit KeptFile(const QString& path);
    ~KeptFile();
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    bool open();
    // The device to write to, for writers that take one (PDF, pictures); open() first.
    QIODevice* device();
    bool write(QByteArrayView bytes);
    // Replaces the file by what was written; false when any write failed or the file cannot be
    // replaced.
    bool commit();

    QString path() const { return m_path; }
    // The reason of the first failure.
    QString errorString() const { return m_reason; }
    // The text of an error box: "The file ... cannot be written (reason); it is left as it was."
    QString message() const;

private:
    bool fail(const QString& reason);

    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    QString m_reason;
};

// Writes bytes to path whole or not at all; the error box's text when it cannot.
std::optional<QString> WriteKeptFile(const QString& path, QByteArrayView bytes);

// The name of the file an export writes for a name chosen in the save dialog: extension (".csv",
// ".dbf") is added unless the fourth character from the end is a dot ("report" gives
// "report.csv"; "report.csv" and "report.txt" stay).
QString ExportFileName(const QString& chosen, QStringView extension);

// The error box's text for a file that cannot be written.
QString FileNotWrittenMessage(const QString& path, const QString& reason);

} // namespace zovi
