#pragma once

#include "core/paths.h"
#include "store/datamodules.h"
#include "store/template.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace zovi::test {

// A fresh program folder (with Report/) and a database folder made from the template, both in
// one temporary folder that disappears with the fixture.
class TempDatabase {
public:
    TempDatabase() {
        QVERIFY2(m_dir.isValid(), "cannot make a temporary folder");
        QDir(m_dir.path()).mkpath(QStringLiteral("program"));
        ProgramFolder::set(programFolder());
        WritePrintTables(programFolder());
        WriteTemplateFolder(folder());
    }
    ~TempDatabase() { ProgramFolder::reset(); }

    QString root() const { return m_dir.path(); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/program"); }
    QString folder() const { return m_dir.path() + QStringLiteral("/db"); }
    QString file(const QString& name) const { return folder() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// Writes and reads whole files of a test folder.
inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fresh data modules with every handle bound to the database and opened.
inline void OpenHandles(const TempDatabase& db, std::unique_ptr<Tdata>& data,
                        std::unique_ptr<TCDdata>& cd) {
    cd.reset();
    data.reset();
    data = std::make_unique<Tdata>();
    cd = std::make_unique<TCDdata>();
    BindDatabase(*data, *cd, db.folder(), db.programFolder());
    OpenDatabase(*data, *cd);
}

} // namespace zovi::test
