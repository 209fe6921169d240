#include "app/mainwindow.h"
#include "core/locale.h"
#include "store/datamodules.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Zovi"));
    app.setApplicationDisplayName(QStringLiteral("Zovi"));
    // Libraries written in C must always read and write numbers with a point.
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::loadFromSystem();

    // The main window first, then the data modules it works on; all live until the end.
    zovi::Tdata data;
    zovi::TCDdata cd;
    zovi::Tstart_form window(data, cd);
    window.show();
    return app.exec();
}
