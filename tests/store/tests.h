#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewStoreTest();
QObject* NewCrashTest();
QObject* NewImageTest();
QObject* NewKeySearchTest();
inline QList<QObject*> StoreTests() {
    return {NewStoreTest(), NewCrashTest(), NewImageTest(), NewKeySearchTest()};
}
} // namespace zovi::test
