// Writes the program folder's files that are tables: the template database (Template/) and the
// print tables (Report/) from the table schemas of the store; with --databases, the empty
// default database (Databases/Default/), made from the template only when it is missing, since
// it holds the user's data. The example database is filled by zovi_generate.
#include "databases/databasefolder.h"
#include "store/error.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <clocale>

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
            zovi::DatabaseFolder::createFromTemplate(
                templateFolder, program.filePath(QStringLiteral("Databases/Default")));
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
