#pragma once

#include "shell/paths.h"
#include "store/template.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace zovi::test
