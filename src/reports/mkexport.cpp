// Writes the export template of the program folder (ExTemplate/data.dbf_t) from the field list
// of the dBase export.
#include "reports/dbaseexport.h"
#include "reports/reporttemplate.h"

#include <QCoreApplication>
#include <QTextStream>
#include <clocale>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) {
        err << "usage: zovi_mkexport PROGRAM_FOLDER\n";
        return 2;
    }
    try {
        zovi::WriteExportTemplate(args.first());
    } catch (const zovi::ReportError& e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
