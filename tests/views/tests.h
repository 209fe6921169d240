#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewSortOrderTest();
QObject* NewFilterBuilderTest();
QObject* NewLedgerGridTest();
inline QList<QObject*> ViewsTests() {
    return {NewSortOrderTest(), NewFilterBuilderTest(), NewLedgerGridTest()};
}
} // namespace zovi::test
