#pragma once

#include "core/textutil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <shapefil.h>

namespace zovi::test {

// A dBase table as a reader sees it: the code page its header declares, its field names and
// widths, and every row's texts without their trailing blanks.
struct DbfContent {
    bool opened = false;
    QString codePage;
    QStringList fields;
    QList<int> widths;
    QList<QStringList> rows;
};

// Reads a dBase file with shapelib, its texts decoded as Windows-1251 or as UTF-8. shapelib
// opens only names ending in ".dbf", so the file is read from a copy of that name.
inline DbfContent ReadDbf(const QString& path, bool utf8 = false) {
    DbfContent content;
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("read.dbf"));
    if (!QFile::copy(path, copy))
        return content;
    DBFHandle dbf = DBFOpen(QFile::encodeName(copy).constData(), "rb");
    if (!dbf)
        return content;
    content.opened = true;
    if (const char* page = DBFGetCodePage(dbf))
        content.codePage = QString::fromLatin1(page);
    for (int f = 0; f < DBFGetFieldCount(dbf); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        DBFGetFieldInfo(dbf, f, name, &width, nullptr);
        content.fields << QString::fromLatin1(name);
        content.widths << width;
    }
    for (int r = 0; r < DBFGetRecordCount(dbf); ++r) {
        QStringList row;
        for (int f = 0; f < content.fields.size(); ++f) {
            const QByteArray bytes(DBFReadStringAttribute(dbf, r, f));
            row << (utf8 ? QString::fromUtf8(bytes) : DecodeCp1251(bytes));
        }
        content.rows << row;
    }
    DBFClose(dbf);
    return content;
}

// A Python that has dbfread, or an empty text: Debian's python3-dbfread lies beside
// /usr/bin/python3, which goes before the one the PATH finds.
inline QString DbfreadPython() {
    for (const QString& python : {QStringLiteral("/usr/bin/python3"),
                                  QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
        if (!python.isEmpty() && QFile::exists(python) &&
            QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import dbfread")}) ==
                0)
            return python;
    }
    return QString();
}

// Reads a dBase file with dbfread, a reader of its own that decodes the texts by the code page
// the header declares (codePage receives its name for it, such as "cp1251").
inline DbfContent ReadDbfWithDbfread(const QString& python, const QString& path) {
    static const char* const script =
        "import dbfread, json, sys\n"
        "t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')\n"
        "print(json.dumps({'encoding': t.encoding,\n"
        "                  'fields': [f.name for f in t.fields],\n"
        "                  'rows': [[r[f.name] for f in t.fields] for r in t]}))\n";
    DbfContent content;
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return content;
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    content.opened = true;
    content.codePage = json.value(QStringLiteral("encoding")).toString();
    for (const QJsonValue& f : json.value(QStringLiteral("fields")).toArray())
        content.fields << f.toString();
    for (const QJsonValue& r : json.value(QStringLiteral("rows")).toArray()) {
        QStringList row;
        for (const QJsonValue& v : r.toArray())
            row << v.toString();
        content.rows << row;
    }
    return content;
}

} // namespace zovi::test
