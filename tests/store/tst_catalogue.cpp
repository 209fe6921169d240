#include "store/tests.h"

#include <QObject>

QObject* zovi::test::NewCatalogueTest() { return new QObject; }
