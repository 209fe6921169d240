#include "app/appsetup.h"
#include "app/mainwindow.h"
#include "core/paths.h"
#include "store/datamodules.h"

#include <QDir>
#include <QTextStream>

int main(int argc, char** argv) {
    zovi::Application app(argc, argv);
    zovi::SetUpApplication();
    // "zovi --data-folder" tells where the catalogue and the databases lie, and makes the
    // user's own folder when the program folder is read-only.
    if (QCoreApplication::arguments().contains(QStringLiteral("--data-folder"))) {
        QTextStream(stdout) << QDir::toNativeSeparators(zovi::DataFolder::path()) << '\n';
        return 0;
    }

    // The main window first, then the data modules it works on; all live until the end.
    zovi::LedgerTables ledgerTables;
    zovi::DebtTables debtTables;
    zovi::MainWindow window(ledgerTables, debtTables);
    window.show();
    return app.exec();
}
