#pragma once

#include "store/image.h"

#include <QString>
#include <memory>
#include <vector>

namespace zovi {

// A filter text parsed into a tree bound to a table's columns, evaluated on the rows of the
// image. The language: conditions "Field op literal" (op one of = <> >= <= > <) joined by AND and
// OR (AND binds tighter), "Field CONTAINS 'text'" for a text field holding the text anywhere,
// parentheses, text literals in single quotes with a quote inside
// written twice ('O''Brien'), numbers quoted or not, dates quoted in the short date format.
// No filter text ever becomes SQL.
class CompiledFilter {
public:
    // Throws StoreError with a readable message for an unknown field, a bad literal or bad
    // syntax. An empty (or blank) text admits every row.
    static std::shared_ptr<const CompiledFilter> compile(const QString& text,
                                                         const std::vector<Column>& columns);

    bool matches(const TableImage& image, RowSlot row, bool caseInsensitive) const;
    bool admitsAll() const { return m_root < 0; }

    enum class Op { Eq, Ne, Ge, Le, Gt, Lt, Contains };
    struct Node {
        enum class Kind { And, Or, Cond } kind = Kind::Cond;
        std::vector<int> children;
        int column = -1;
        FieldType type = FieldType::Text;
        Op op = Op::Eq;
        double number = 0; // numeric and boolean literals
        qint64 day = 0;    // date literals
        QString text;      // text literals
    };

private:
    friend class FilterParser;
    bool eval(int node, const TableImage& image, RowSlot row, bool caseInsensitive) const;

    std::vector<Node> m_nodes;
    int m_root = -1;
};

} // namespace zovi
