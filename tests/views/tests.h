#pragma once

#include <QList>
#include <QObject>

namespace zovi::test {
QObject* NewSortOrderTest();
QObject* NewFilterBuilderTest();
inline QList<QObject*> ViewsTests() {
    return {NewSortOrderTest(), NewFilterBuilderTest()};
}
} // namespace zovi::test
