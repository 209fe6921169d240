#include "shell/locale.h"

#include <QApplication>
#include <QMessageBox>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Libraries written in C must always read and write numbers with a point.
    setlocale(LC_NUMERIC, "C");
    zovi::AppLocale::loadFromSystem();
    QMessageBox::information(nullptr, QStringLiteral("Zovi"),
                             QStringLiteral("Zovi has no windows yet: the table store is built, "
                                            "the main window comes next."));
    return 0;
}
