#pragma once

#include <QProcess>
#include <QString>

namespace zovi::test {

// The text of a PDF as a reader extracts it, its layout kept; the failure when it cannot be read.
inline QString PdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace zovi::test
