#include "app/appsetup.h"
#include "app/mainwindow.h"
#include "core/paths.h"
#include "store/datamodules.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstring>

namespace {

// Whether the program is asked only where its data lies ("zovi --data-folder"). That answer
// needs no window, so it is given without the application of windows, which cannot start where
// no display can be reached.
bool AsksDataFolder(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data-folder") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // "zovi --data-folder" tells where the catalogue and the databases lie, and makes the
    // user's own folder when the program folder is read-only.
    if (AsksDataFolder(argc, argv)) {
        QCoreApplication app(argc, argv);
        zovi::SetUpApplication();
        QTextStream(stdout) << QDir::toNativeSeparators(zovi::DataFolder::path()) << '\n';
        return 0;
    }

    zovi::Application app(argc, argv);
    zovi::SetUpApplication();
    // The main window first, then the data modules it works on; all live until the end.
    zovi::LedgerTables ledgerTables;
    zovi::DebtTables debtTables;
    zovi::MainWindow window(ledgerTables, debtTables);
    window.show();
    return app.exec();
}
