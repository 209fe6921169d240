#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewSortOrderTest();
QObject* NewFilterBuilderTest();
QObject* NewLedgerGridTest();
QObject* NewRowSourceTest();
inline QList<QObject*> ViewsTests() {
    return {NewSortOrderTest(), NewFilterBuilderTest(), NewLedgerGridTest(), NewRowSourceTest()};
}
} // namespace zovi::test
