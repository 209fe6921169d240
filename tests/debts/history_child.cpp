// A child process for the kill test of the command history: it records one command that adds
// many ledger rows, prints "ready", then takes the command back and does it again without end,
// printing "step" before each, until it is killed.
//
// Arguments: <database folder> <program folder> <rows>

#include "core/locale.h"
#include "core/paths.h"
#include "store/datamodules.h"
#include "store/history.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return 2;
    zovi::ProgramFolder::set(args.at(2));
    zovi::LedgerTables data;
    zovi::DebtTables cd;
    try {
        zovi::BindDatabase(data, cd, args.at(1), args.at(2));
        zovi::OpenDatabase(data, cd);
        zovi::CommandHistory& history = zovi::CommandHistory::instance();
        {
            zovi::CommandHistory::Recording recording(u"rows"_s);
            zovi::Transaction t;
            for (int i = 1; i <= args.at(3).toInt(); ++i) {
                data.tbData2.append();
                data.tbData2.field(u"Name"_s).setText(u"row %1"_s.arg(i));
                data.tbData2.field(u"Value"_s).setDouble(i);
                data.tbData2.post();
            }
            t.commit();
        }
        std::printf("ready\n");
        std::fflush(stdout);
        for (;;) {
            std::printf("step\n");
            std::fflush(stdout);
            if (history.canUndo())
                history.undo();
            else
                history.redo();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
}
