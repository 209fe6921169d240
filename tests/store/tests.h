#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewStoreTest();
QObject* NewCrashTest();
QObject* NewImageTest();
QObject* NewKeySearchTest();
QObject* NewColumnWriteTest();
inline QList<QObject*> StoreTests() {
    return {NewStoreTest(), NewCrashTest(), NewImageTest(), NewKeySearchTest(),
            NewColumnWriteTest()};
}
} // namespace zovi::test
