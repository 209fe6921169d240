#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewStoreTest();
QObject* NewCrashTest();
QObject* NewCatalogueTest();
inline QList<QObject*> StoreTests() {
    return {NewStoreTest(), NewCatalogueTest(), NewCrashTest()};
}
} // namespace zovi::test
