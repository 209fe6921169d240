#include "store/filter.h"

#include "core/lang.h"
#include "core/locale.h"
#include "store/error.h"

#include <algorithm>

#include <cmath>

namespace zovi {

namespace {

struct Token {
    enum class Kind { End, Ident, Text, Number, Op, Open, Close } kind = Kind::End;
    QString text;
    int pos = 0;
};

QString Quote(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

} // namespace

class FilterParser {
public:
    FilterParser(const QString& text, const std::vector<Column>& columns, CompiledFilter& out)
        : m_src(text), m_columns(columns), m_out(out) {}

    void parse() {
        tokenize();
        if (m_tokens.front().kind == Token::Kind::End)
            return;
        m_out.m_root = parseOr();
        if (peek().kind != Token::Kind::End)
            unexpected(peek());
    }

private:
    [[noreturn]] void fail(const QString& what) const {
        throw StoreError(LangText(QStringLiteral("filterrefused"),
                                  QStringLiteral("Cannot apply the filter %1: %2"))
                             .arg(Quote(m_src), what));
    }

    [[noreturn]] void unexpected(const Token& t) const {
        if (t.kind == Token::Kind::End)
            fail(LangText(QStringLiteral("filterends"), QStringLiteral("it ends too early.")));
        // A word or value right after a value is what an unescaped quote inside a text leaves.
        if (m_index >= 2 && (m_tokens[size_t(m_index) - 1].kind == Token::Kind::Text ||
                             m_tokens[size_t(m_index) - 1].kind == Token::Kind::Number))
            fail(LangText(QStringLiteral("filterafteravalue"),
                          QStringLiteral("unexpected %1 at position %2 after a value; a quote "
                                         "inside a value must be written twice."))
                     .arg(Quote(t.text))
                     .arg(t.pos + 1));
        fail(LangText(QStringLiteral("filterunexpected"),
                      QStringLiteral("unexpected %1 at position %2."))
                 .arg(Quote(t.text))
                 .arg(t.pos + 1));
    }

    void tokenize() {
        const int n = int(m_src.size());
        int i = 0;
        while (true) {
            while (i < n && m_src[i].isSpace())
                ++i;
            Token t;
            t.pos = i;
            if (i >= n) {
                m_tokens.push_back(t);
                return;
            }
            const QChar c = m_src[i];
            if (c == QLatin1Char('\'')) {
                t.kind = Token::Kind::Text;
                ++i;
                bool closed = false;
                while (i < n) {
                    if (m_src[i] == QLatin1Char('\'')) {
                        if (i + 1 < n && m_src[i + 1] == QLatin1Char('\'')) {
                            t.text += QLatin1Char('\'');
                            i += 2;
                            continue;
                        }
                        closed = true;
                        ++i;
                        break;
                    }
                    t.text += m_src[i++];
                }
                if (!closed)
                    fail(LangText(QStringLiteral("filternoclosingquote"),
                                  QStringLiteral("the value starting at position %1 has no "
                                                 "closing quote; a quote inside a value must "
                                                 "be written twice."))
                             .arg(t.pos + 1));
            } else if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
                t.kind = c == QLatin1Char('(') ? Token::Kind::Open : Token::Kind::Close;
                t.text = c;
                ++i;
            } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
                t.kind = Token::Kind::Op;
                t.text = c;
                ++i;
                if (i < n && (m_src[i] == QLatin1Char('=') ||
                              (c == QLatin1Char('<') && m_src[i] == QLatin1Char('>')))) {
                    t.text += m_src[i++];
                }
            } else if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('.')) &&
                                       i + 1 < n && m_src[i + 1].isDigit())) {
                t.kind = Token::Kind::Number;
                t.text += m_src[i++];
                while (i < n && (m_src[i].isDigit() || m_src[i] == QLatin1Char('.')))
                    t.text += m_src[i++];
            } else if (c.isLetter() || c == QLatin1Char('_')) {
                t.kind = Token::Kind::Ident;
                while (i < n && (m_src[i].isLetterOrNumber() || m_src[i] == QLatin1Char('_')))
                    t.text += m_src[i++];
            } else {
                fail(LangText(QStringLiteral("filtercharacter"),
                              QStringLiteral("unexpected character %1 at position %2."))
                         .arg(Quote(QString(c)))
                         .arg(i + 1));
            }
            m_tokens.push_back(t);
        }
    }

    const Token& peek() const { return m_tokens[size_t(m_index)]; }
    const Token& take() { return m_tokens[size_t(m_index++)]; }

    bool isWord(const Token& t, const char* word) const {
        return t.kind == Token::Kind::Ident &&
               t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    int add(CompiledFilter::Node node) {
        m_out.m_nodes.push_back(std::move(node));
        return int(m_out.m_nodes.size()) - 1;
    }

    int parseChain(CompiledFilter::Node::Kind kind, const char* word, int (FilterParser::*sub)()) {
        const int first = (this->*sub)();
        if (!isWord(peek(), word))
            return first;
        CompiledFilter::Node node;
        node.kind = kind;
        node.children.push_back(first);
        while (isWord(peek(), word)) {
            take();
            node.children.push_back((this->*sub)());
        }
        return add(std::move(node));
    }

    int parseOr() {
        return parseChain(CompiledFilter::Node::Kind::Or, "OR", &FilterParser::parseAnd);
    }
    int parseAnd() {
        return parseChain(CompiledFilter::Node::Kind::And, "AND", &FilterParser::parseTerm);
    }

    int parseTerm() {
        const Token& t = peek();
        if (t.kind == Token::Kind::Open) {
            // Each bracket costs a level of the parser's (and the evaluation's) stack; a text
            // nested deeper than any filter a person writes is refused before it can exhaust it.
            if (++m_depth > kMaxDepth)
                fail(LangText(QStringLiteral("filterdepth"),
                              QStringLiteral("brackets are nested more than %1 deep."))
                         .arg(kMaxDepth));
            take();
            const int inner = parseOr();
            --m_depth;
            if (peek().kind != Token::Kind::Close) {
                if (peek().kind == Token::Kind::End)
                    fail(LangText(QStringLiteral("filterbracket"),
                                  QStringLiteral("a bracket is not closed.")));
                unexpected(peek());
            }
            take();
            return inner;
        }
        if (t.kind != Token::Kind::Ident || isWord(t, "AND") || isWord(t, "OR"))
            unexpected(t);
        return parseCondition();
    }

    int parseCondition() {
        const Token field = take();
        auto it = std::find_if(m_columns.begin(), m_columns.end(), [&](const Column& c) {
            return c.name.compare(field.text, Qt::CaseInsensitive) == 0;
        });
        if (it == m_columns.end())
            fail(LangText(QStringLiteral("filternofield"),
                          QStringLiteral("the table has no field %1."))
                     .arg(Quote(field.text)));
        const Token op = take();
        const bool contains = isWord(op, "CONTAINS");
        if (contains && it->type != FieldType::Text)
            fail(LangText(QStringLiteral("filtercontainstext"),
                          QStringLiteral("CONTAINS needs a text field, and %1 is none."))
                     .arg(Quote(it->name)));
        if (op.kind != Token::Kind::Op && !contains) {
            --m_index;
            unexpected(op);
        }
        const Token literal = take();
        if (literal.kind != Token::Kind::Text && literal.kind != Token::Kind::Number &&
            literal.kind != Token::Kind::Ident) {
            --m_index;
            unexpected(literal);
        }

        CompiledFilter::Node node;
        node.column = int(it - m_columns.begin());
        node.type = it->type;
        node.op = contains                         ? CompiledFilter::Op::Contains
                  : op.text == QLatin1String("=")  ? CompiledFilter::Op::Eq
                  : op.text == QLatin1String("<>") ? CompiledFilter::Op::Ne
                  : op.text == QLatin1String(">=") ? CompiledFilter::Op::Ge
                  : op.text == QLatin1String("<=") ? CompiledFilter::Op::Le
                  : op.text == QLatin1String(">")  ? CompiledFilter::Op::Gt
                  : op.text == QLatin1String("<")
                      ? CompiledFilter::Op::Lt
                      : (fail(LangText(QStringLiteral("filteroperator"),
                                       QStringLiteral("unknown operator %1."))
                                  .arg(Quote(op.text))),
                         CompiledFilter::Op::Eq);
        bindLiteral(node, literal, it->name);
        return add(std::move(node));
    }

    void bindLiteral(CompiledFilter::Node& node, const Token& literal, const QString& field) {
        const QString& v = literal.text;
        if (literal.kind == Token::Kind::Ident && node.type != FieldType::Boolean)
            fail(LangText(QStringLiteral("filtertextquotes"),
                          QStringLiteral("the value %1 for field %2 must stand in single quotes."))
                     .arg(Quote(v), field));
        switch (node.type) {
        case FieldType::Text:
            node.text = v;
            return;
        case FieldType::Float:
        case FieldType::Integer:
        case FieldType::AutoInc: {
            QString t = v.trimmed();
            t.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            node.number = t.toDouble(&ok);
            if (!ok || !std::isfinite(node.number))
                fail(LangText(QStringLiteral("filternotanumber"),
                              QStringLiteral("%1 is not a number for field %2."))
                         .arg(Quote(v), field));
            return;
        }
        case FieldType::Date: {
            if (literal.kind != Token::Kind::Text)
                fail(LangText(
                         QStringLiteral("filterdatequotes"),
                         QStringLiteral("the date %1 for field %2 must stand in single quotes."))
                         .arg(Quote(v), field));
            QDate d = AppDateFromText(v);
            if (!d.isValid())
                fail(LangText(QStringLiteral("filternotadate"),
                              QStringLiteral("%1 is not a date for field %2."))
                         .arg(Quote(v), field));
            node.day = d.toJulianDay();
            return;
        }
        case FieldType::Boolean: {
            const QString t = v.trimmed();
            if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                t == QLatin1String("1"))
                node.number = 1;
            else if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
                     t == QLatin1String("0"))
                node.number = 0;
            else
                fail(LangText(QStringLiteral("filternotaboolean"),
                              QStringLiteral("%1 is not a boolean for field %2."))
                         .arg(Quote(v), field));
            return;
        }
        }
    }

    static QDate AppDateFromText(const QString& text);

    static constexpr int kMaxDepth = 200;

    const QString& m_src;
    const std::vector<Column>& m_columns;
    CompiledFilter& m_out;
    std::vector<Token> m_tokens;
    int m_index = 0;
    int m_depth = 0;
};

QDate FilterParser::AppDateFromText(const QString& text) {
    QDate d = AppLocale::parseDate(text);
    if (!d.isValid())
        d = QDate::fromString(text.trimmed(), Qt::ISODate);
    return d;
}

std::shared_ptr<const CompiledFilter> CompiledFilter::compile(const QString& text,
                                                              const std::vector<Column>& columns) {
    auto filter = std::make_shared<CompiledFilter>();
    FilterParser parser(text, columns, *filter);
    parser.parse();
    return filter;
}

namespace {

template <typename T> bool Compare(const T& a, const T& b, CompiledFilter::Op op) {
    switch (op) {
    case CompiledFilter::Op::Eq:
        return a == b;
    case CompiledFilter::Op::Ne:
        return !(a == b);
    case CompiledFilter::Op::Ge:
        return a >= b;
    case CompiledFilter::Op::Le:
        return a <= b;
    case CompiledFilter::Op::Gt:
        return a > b;
    case CompiledFilter::Op::Lt:
        return a < b;
    case CompiledFilter::Op::Contains:
        break;
    }
    return false;
}

bool CompareText(const QString& value, const QString& literal, CompiledFilter::Op op,
                 bool caseInsensitive) {
    // Case-insensitive matching folds every letter, Cyrillic included, not only ASCII.
    if (op == CompiledFilter::Op::Contains)
        return value.contains(literal, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (op == CompiledFilter::Op::Eq || op == CompiledFilter::Op::Ne) {
        // Simple case folding keeps the length, so texts of different lengths never match.
        const bool equal =
            value.size() == literal.size() &&
            value.compare(literal, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        return op == CompiledFilter::Op::Eq ? equal : !equal;
    }
    const int c = value.compare(literal, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return Compare(c, 0, op);
}

} // namespace

bool CompiledFilter::eval(int index, const TableImage& image, RowSlot row,
                          bool caseInsensitive) const {
    const Node& node = m_nodes[size_t(index)];
    switch (node.kind) {
    case Node::Kind::And:
        for (int child : node.children) {
            if (!eval(child, image, row, caseInsensitive))
                return false;
        }
        return true;
    case Node::Kind::Or:
        for (int child : node.children) {
            if (eval(child, image, row, caseInsensitive))
                return true;
        }
        return false;
    case Node::Kind::Cond:
        break;
    }
    const TableImage::CellKind kind = image.kind(row, node.column);
    switch (node.type) {
    case FieldType::Text:
        if (kind == TableImage::TextCell)
            return CompareText(image.text(row, node.column), node.text, node.op, caseInsensitive);
        if (kind == TableImage::NullCell)
            return CompareText(QString(), node.text, node.op, caseInsensitive);
        return false;
    case FieldType::Date:
        if (kind == TableImage::IntegerCell)
            return Compare(image.integer(row, node.column), node.day, node.op);
        return false;
    case FieldType::Float:
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Boolean:
        if (kind == TableImage::FloatCell || kind == TableImage::IntegerCell)
            return Compare(image.number(row, node.column), node.number, node.op);
        return false;
    }
    return false;
}

bool CompiledFilter::matches(const TableImage& image, RowSlot row, bool caseInsensitive) const {
    return m_root < 0 || eval(m_root, image, row, caseInsensitive);
}

} // namespace zovi
