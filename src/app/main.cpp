#include "app/appsetup.h"
#include "app/mainwindow.h"
#include "core/paths.h"
#include "store/datamodules.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstring>

namespace {

// The options answered on the command line, without a window: they work where no display can be
// reached (a terminal, a package check).
constexpr const char* kCommandLineOptions[] = {"--data-folder", "--version", "-v",
                                               "--help",        "-h",        "--help-all"};

bool AnswersWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : kCommandLineOptions) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

// "zovi --version", "zovi --help" and "zovi --data-folder" (where the catalogue and the
// databases lie; it makes the user's own folder when the program folder is read-only). An
// unknown option is reported with the usage and exit code 1.
int AnswerCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::SetUpApplication();
    QCoreApplication::setApplicationVersion(QStringLiteral(ZOVI_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keeps the money records of a person, a household or a small business."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataFolder(
        QStringLiteral("data-folder"),
        QStringLiteral("Print the folder of the catalogue and the databases, and exit."));
    parser.addOption(dataFolder);
    parser.process(app); // answers --help and --version itself, and refuses unknown options
    if (parser.isSet(dataFolder))
        QTextStream(stdout) << QDir::toNativeSeparators(zovi::DataFolder::path()) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswersWithoutWindow(argc, argv))
        return AnswerCommandLine(argc, argv);

    zovi::Application app(argc, argv);
    zovi::SetUpApplication();
    QCoreApplication::setApplicationVersion(QStringLiteral(ZOVI_VERSION));
    // The main window first, then the data modules it works on; all live until the end.
    zovi::LedgerTables ledgerTables;
    zovi::DebtTables debtTables;
    zovi::MainWindow window(ledgerTables, debtTables);
    window.show();
    return app.exec();
}
