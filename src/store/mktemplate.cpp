// Writes the program folder's files that are tables: the template database (Template/) and the
// print tables (Report/) from the table schemas of the store; with --databases, the default
// and example databases (Databases/Default/, Databases/Example/), made from the template only
// when they are missing, since they hold the user's data.
#include "store/error.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <clocale>

namespace {

void MakeDatabase(const QString& templateFolder, const QString& folder) {
    if (QFileInfo::exists(folder))
        return;
    const QString staging = folder + QStringLiteral(".new");
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging + QStringLiteral("/RCopy")))
        throw zovi::StoreError(QStringLiteral("Cannot create the folder %1.").arg(staging));
    QFile list(QDir(templateFolder).filePath(QStringLiteral("copy.txt")));
    if (!list.open(QIODevice::ReadOnly))
        throw zovi::StoreError(QStringLiteral("Cannot read %1.").arg(list.fileName()));
    for (const QByteArray& raw : list.readAll().split('\n')) {
        const QString name = QString::fromUtf8(raw).trimmed();
        if (name.isEmpty())
            continue;
        if (!QFile::copy(QDir(templateFolder).filePath(name), QDir(staging).filePath(name)))
            throw zovi::StoreError(QStringLiteral("Cannot copy %1 into %2.").arg(name, staging));
    }
    if (!QDir().rename(staging, folder))
        throw zovi::StoreError(QStringLiteral("Cannot create the folder %1.").arg(folder));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    const bool databases = args.removeAll(QStringLiteral("--databases")) > 0;
    if (args.size() != 1) {
        err << "usage: zovi_mktemplate [--databases] PROGRAM_FOLDER\n";
        return 2;
    }
    const QDir program(args.first());
    try {
        if (databases) {
            const QString templateFolder = program.filePath(QStringLiteral("Template"));
            MakeDatabase(templateFolder, program.filePath(QStringLiteral("Databases/Default")));
            MakeDatabase(templateFolder, program.filePath(QStringLiteral("Databases/Example")));
        } else {
            zovi::WriteTemplateFolder(program.filePath(QStringLiteral("Template")));
            zovi::WritePrintTables(program.path());
        }
    } catch (const zovi::StoreError& e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
