#include "views/tests.h"

#include "core/locale.h"

#include <QCoreApplication>
#include <QTest>

// Runs every test class of the views; a failure in any makes the program fail.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
    int failures = 0;
    for (QObject* test : zovi::test::ViewsTests()) {
        failures += QTest::qExec(test, argc, argv);
        delete test;
    }
    return failures == 0 ? 0 : 1;
}
