// Writes the template database (Template/) and the print tables (Report/) of a program folder
// from the table schemas of the store.
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
    if (app.arguments().size() != 2) {
        err << "usage: zovi_mktemplate PROGRAM_FOLDER\n";
        return 2;
    }
    const QString program = app.arguments().at(1);
    try {
        zovi::WriteTemplateFolder(QDir(program).filePath(QStringLiteral("Template")));
        zovi::WritePrintTables(program);
    } catch (const zovi::StoreError& e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
