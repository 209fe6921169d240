#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewStoreTest();
QObject* NewCrashTest();
inline QList<QObject*> StoreTests() {
    return {NewStoreTest(), NewCrashTest()};
}
} // namespace zovi::test
