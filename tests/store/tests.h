#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewStoreTest();
QObject* NewCrashTest();
QObject* NewImageTest();
inline QList<QObject*> StoreTests() {
    return {NewStoreTest(), NewCrashTest(), NewImageTest()};
}
} // namespace zovi::test
