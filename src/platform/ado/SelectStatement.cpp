#include "platform/ado/SelectStatement.h"

#include <QSet>
#include <algorithm>

namespace ado {
namespace {

struct Token {
    enum class Kind { Word, Quoted, String, Number, Symbol };
    Kind kind;
    QString name; // a word or quoted name without its quotes; the text of anything else
    qsizetype begin;
    qsizetype end;
};

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == u'$';
}

// The end of a quoted text that starts at `at` and doubles its closing character to hold it; -1 when open.
qsizetype closing(const QString& sql, qsizetype at, QChar close, QString& inside, bool backslashEscapes = false)
{
    for (qsizetype i = at + 1; i < sql.size(); ++i) {
        if (backslashEscapes && sql[i] == u'\\' && i + 1 < sql.size()) {
            inside += sql[++i];
        } else if (sql[i] != close) {
            inside += sql[i];
        } else if (i + 1 < sql.size() && sql[i + 1] == close) {
            inside += close;
            ++i;
        } else {
            return i + 1;
        }
    }
    return -1;
}

// The statement's tokens; nothing when a quote or comment is left open.
std::optional<std::vector<Token>> tokensOf(const QString& sql)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && next == u'-') {
            i = sql.indexOf(QLatin1Char('\n'), i);
            if (i < 0)
                i = sql.size();
        } else if (c == u'/' && next == u'*') {
            int depth = 0;
            qsizetype j = i;
            do {
                if (sql.mid(j, 2) == QLatin1String("/*"))
                    ++depth, j += 2;
                else if (sql.mid(j, 2) == QLatin1String("*/"))
                    --depth, j += 2;
                else
                    ++j;
            } while (depth > 0 && j < sql.size());
            if (depth > 0)
                return std::nullopt;
            i = j;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            const bool escapes = c == u'\'' && !tokens.empty() && tokens.back().end == i &&
                                 tokens.back().kind == Token::Kind::Word &&
                                 tokens.back().name.compare(QLatin1String("E"), Qt::CaseInsensitive) == 0;
            QString inside;
            const qsizetype end = closing(sql, i, close, inside, escapes);
            if (end < 0)
                return std::nullopt;
            tokens.push_back({c == u'\'' ? Token::Kind::String : Token::Kind::Quoted, inside, i, end});
            i = end;
        } else if (c == u'$' && (next == u'$' || isWordStart(next))) {
            // A dollar-quoted text ($$…$$, $tag$…$tag$), or a numbered marker.
            qsizetype j = i + 1;
            while (j < sql.size() && isWordPart(sql[j]) && sql[j] != u'$')
                ++j;
            if (j < sql.size() && sql[j] == u'$') {
                const QString tag = sql.mid(i, j - i + 1);
                const qsizetype end = sql.indexOf(tag, j + 1);
                if (end < 0)
                    return std::nullopt;
                tokens.push_back({Token::Kind::String, sql.mid(j + 1, end - j - 1), i, end + tag.size()});
                i = end + tag.size();
            } else {
                tokens.push_back({Token::Kind::Symbol, sql.mid(i, j - i), i, j});
                i = j;
            }
        } else if (isWordStart(c)) {
            qsizetype j = i;
            while (j < sql.size() && isWordPart(sql[j]))
                ++j;
            tokens.push_back({Token::Kind::Word, sql.mid(i, j - i), i, j});
            i = j;
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            qsizetype j = i;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'.' ||
                                      ((sql[j] == u'+' || sql[j] == u'-') && sql[j - 1].toLower() == u'e')))
                ++j;
            tokens.push_back({Token::Kind::Number, sql.mid(i, j - i), i, j});
            i = j;
        } else if (QStringLiteral("(),.;*").contains(c)) {
            tokens.push_back({Token::Kind::Symbol, QString(c), i, i + 1});
            ++i;
        } else {
            // A run of operator characters; at least the one here (a "$" before a digit, for one).
            qsizetype j = i + 1;
            while (j < sql.size() && !sql[j].isSpace() && !sql[j].isLetterOrNumber() &&
                   !QStringLiteral("(),.;*'\"`[$_").contains(sql[j]))
                ++j;
            tokens.push_back({Token::Kind::Symbol, sql.mid(i, j - i), i, j});
            i = j;
        }
    }
    return tokens;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Kind::Word && t.name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& t, const char* symbol)
{
    return t.kind == Token::Kind::Symbol && t.name == QLatin1String(symbol);
}

bool inSet(const Token& t, const QSet<QString>& words)
{
    return t.kind == Token::Kind::Word && words.contains(t.name.toUpper());
}

bool isName(const Token& t)
{
    return t.kind == Token::Kind::Quoted || t.kind == Token::Kind::Word;
}

// Words that end a FROM clause.
const QSet<QString> kClauseWords{"WHERE",   "GROUP", "HAVING",    "WINDOW", "ORDER", "LIMIT", "OFFSET", "FETCH",
                                 "QUALIFY", "UNION", "INTERSECT", "EXCEPT", "MINUS", "FOR",   "OPTION"};
const QSet<QString> kSetOperators{"UNION", "INTERSECT", "EXCEPT", "MINUS"};
// Words that start or continue a join.
const QSet<QString> kJoinWords{"JOIN", "NATURAL", "INNER", "LEFT", "RIGHT", "FULL", "OUTER", "CROSS", "APPLY"};
// Words of a FROM clause that are no alias.
const QSet<QString> kFromWords{"ON",    "USING",   "JOIN",  "INNER", "LEFT",    "RIGHT",       "FULL", "OUTER",
                               "CROSS", "NATURAL", "APPLY", "WITH",  "INDEXED", "TABLESAMPLE", "NOT",  "AS"};
// Words that are values, never names of columns or aliases.
const QSet<QString> kValueWords{
    "NULL",      "TRUE",           "FALSE",        "END",         "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
    "LOCALTIME", "LOCALTIMESTAMP", "CURRENT_USER", "SESSION_USER"};
// Words after which the next word is part of an expression rather than an alias.
const QSet<QString> kOperatorWords{"AND",      "OR",    "NOT",     "IS",        "IN",     "LIKE",   "ILIKE", "GLOB",
                                   "REGEXP",   "MATCH", "SIMILAR", "BETWEEN",   "THEN",   "ELSE",   "WHEN",  "CASE",
                                   "DISTINCT", "ALL",   "COLLATE", "ESCAPE",    "AS",     "SELECT", "OVER",  "ZONE",
                                   "INTERVAL", "DATE",  "TIME",    "TIMESTAMP", "EXISTS", "ANY",    "SOME",  "TO"};
// SQL Server's table hints written without WITH: "FROM t (NOLOCK)".
const QSet<QString> kTableHints{"NOLOCK",  "READUNCOMMITTED", "READCOMMITTED", "REPEATABLEREAD", "SERIALIZABLE",
                                "ROWLOCK", "PAGLOCK",         "TABLOCK",       "TABLOCKX",       "UPDLOCK",
                                "XLOCK",   "HOLDLOCK",        "NOWAIT",        "READPAST"};

// The last token of an operand: what an alias may follow.
bool endsOperand(const Token& t)
{
    return (isName(t) && !inSet(t, kOperatorWords)) || t.kind == Token::Kind::Number || t.kind == Token::Kind::String ||
           isSymbol(t, ")");
}

bool isAlias(const Token& t)
{
    return (isName(t) && !inSet(t, kValueWords) && !inSet(t, kOperatorWords)) || t.kind == Token::Kind::String;
}

} // namespace

// Reads a statement's tokens into scopes: one for the outermost SELECT, one for every derived table and
// every use of a common table expression.
class SelectStatement::Reader {
public:
    Reader(SelectStatement& out, const QString& sql, std::vector<Token> tokens)
        : m_out(out), m_sql(sql), m_tokens(std::move(tokens))
    {}

    void read()
    {
        m_out.m_understood = true;
        m_out.m_scopes.emplace_back();
        query(0, m_tokens.size(), 0);
    }

private:
    // A common table expression: its name, the names it gives its columns and its query's tokens.
    struct CommonTable {
        QString name;
        QStringList columns;
        size_t begin = 0;
        size_t end = 0;
        bool reading = false;
    };

    void fail() { m_out.m_understood = false; }

    const Token& at(size_t i) const { return m_tokens[i]; }

    bool symbolAt(size_t i, size_t end, const char* symbol) const { return i < end && isSymbol(at(i), symbol); }
    bool wordAt(size_t i, size_t end, const char* word) const { return i < end && isWord(at(i), word); }

    // The position after the parenthesis that closes the one at `open`; `end` when it is not closed there.
    size_t after(size_t open, size_t end) const
    {
        int depth = 0;
        for (size_t i = open; i < end; ++i) {
            if (isSymbol(at(i), "("))
                ++depth;
            else if (isSymbol(at(i), ")") && --depth == 0)
                return i + 1;
        }
        return end;
    }

    // The first position in [begin, end) outside parentheses whose token `stop` accepts; `end` when none.
    template <class Stop>
    size_t find(size_t begin, size_t end, Stop stop) const
    {
        for (size_t i = begin; i < end; ++i) {
            if (isSymbol(at(i), "("))
                i = after(i, end) - 1;
            else if (stop(i))
                return i;
        }
        return end;
    }

    bool isQuery(size_t begin, size_t end) const
    {
        if (symbolAt(begin, end, "("))
            return after(begin, end) == end && isQuery(begin + 1, end - 1);
        return wordAt(begin, end, "SELECT") || wordAt(begin, end, "WITH") || wordAt(begin, end, "VALUES");
    }

    // The query in [begin, end), read into m_scopes[scope]. VALUES gives rows that no table holds.
    void query(size_t begin, size_t end, size_t scope)
    {
        while (end > begin && isSymbol(at(end - 1), ";"))
            --end;
        if (find(begin, end, [&](size_t i) { return isSymbol(at(i), ";"); }) != end)
            return fail(); // more than one statement
        const size_t commonTables = m_commonTables.size();
        size_t i = begin;
        if (wordAt(i, end, "WITH"))
            i = withList(i + 1, end);
        if (find(i, end, [&](size_t j) { return inSet(at(j), kSetOperators); }) != end)
            m_out.m_single = false;
        else if (symbolAt(i, end, "(") && after(i, end) == end)
            query(i + 1, end - 1, scope);
        else if (wordAt(i, end, "SELECT"))
            select(i + 1, end, scope);
        else if (!wordAt(i, end, "VALUES"))
            fail();
        m_commonTables.resize(commonTables);
    }

    size_t withList(size_t i, size_t end)
    {
        if (wordAt(i, end, "RECURSIVE"))
            ++i;
        for (;;) {
            if (i >= end || !isName(at(i)))
                return fail(), end;
            CommonTable common{at(i).name, {}};
            ++i;
            if (symbolAt(i, end, "(")) {
                const size_t close = after(i, end);
                common.columns = nameList(i + 1, close - 1);
                i = close;
            }
            if (wordAt(i, end, "AS"))
                ++i;
            while (wordAt(i, end, "NOT") || wordAt(i, end, "MATERIALIZED"))
                ++i;
            if (!symbolAt(i, end, "("))
                return fail(), end;
            const size_t close = after(i, end);
            common.begin = i + 1;
            common.end = close - 1;
            m_commonTables.push_back(common);
            i = close;
            if (!symbolAt(i, end, ","))
                return i;
            ++i;
        }
    }

    QStringList nameList(size_t begin, size_t end)
    {
        QStringList names;
        for (size_t i = begin; i < end; ++i) {
            if (isName(at(i)))
                names << at(i).name;
            else if (!isSymbol(at(i), ","))
                fail();
        }
        return names;
    }

    void select(size_t begin, size_t end, size_t scope)
    {
        const size_t from = find(begin, end, [&](size_t i) { return isWord(at(i), "FROM"); });
        const size_t listEnd =
            from != end ? from : find(begin, end, [&](size_t i) { return inSet(at(i), kClauseWords); });
        selectList(begin, listEnd, scope);
        if (from != end)
            sources(from + 1, find(from + 1, end, [&](size_t i) { return inSet(at(i), kClauseWords); }), scope);
    }

    void selectList(size_t i, size_t end, size_t scope)
    {
        // DISTINCT [ON (…)], ALL, TOP n [PERCENT] [WITH TIES] and TOP (n).
        for (bool more = true; more;) {
            more = true;
            if (wordAt(i, end, "DISTINCT") || wordAt(i, end, "ALL")) {
                ++i;
                if (wordAt(i, end, "ON") && symbolAt(i + 1, end, "("))
                    i = after(i + 1, end);
            } else if (wordAt(i, end, "TOP") && i + 1 < end) {
                i = symbolAt(i + 1, end, "(") ? after(i + 1, end) : i + 2;
                if (wordAt(i, end, "PERCENT"))
                    ++i;
                if (wordAt(i, end, "WITH") && wordAt(i + 1, end, "TIES"))
                    i += 2;
            } else {
                more = false;
            }
        }
        while (i < end) {
            const size_t comma = find(i, end, [&](size_t j) { return isSymbol(at(j), ","); });
            m_out.m_scopes[scope].items.push_back(item(i, comma));
            i = comma + 1;
        }
    }

    // An entry of a select list: its alias (after AS or alone) and whether the rest is a column's name in
    // parts or a star; anything else is an expression.
    Item item(size_t begin, size_t end)
    {
        Item entry;
        if (begin >= end) {
            fail();
            return entry;
        }
        if (end - begin >= 3 && isWord(at(end - 2), "AS") &&
            (isName(at(end - 1)) || at(end - 1).kind == Token::Kind::String)) {
            entry.alias = at(end - 1).name;
            end -= 2;
        } else if (end - begin >= 2 && endsOperand(at(end - 2)) && isAlias(at(end - 1))) {
            entry.alias = at(end - 1).name;
            end -= 1;
        }
        QStringList parts;
        for (size_t i = begin;; i += 2) {
            if (isSymbol(at(i), "*") && i + 1 == end) {
                entry.kind = entry.alias ? Field::Kind::Computed : Field::Kind::Star;
                entry.qualifier = parts;
                return entry;
            }
            if (!isName(at(i)) || inSet(at(i), kValueWords))
                return entry;
            parts << at(i).name;
            if (i + 1 == end)
                break;
            if (!isSymbol(at(i + 1), ".") || i + 2 >= end)
                return entry;
        }
        entry.kind = Field::Kind::Column;
        entry.column = parts.takeLast();
        entry.qualifier = parts;
        return entry;
    }

    size_t skipCondition(size_t i, size_t end) const
    {
        // LEFT and RIGHT are functions too: a join word is one when no parenthesis follows it.
        return find(i, end, [&](size_t j) {
            return isSymbol(at(j), ",") || (inSet(at(j), kJoinWords) && !symbolAt(j + 1, end, "("));
        });
    }

    // The FROM clause in [begin, end): tables, derived tables and functions, with or without joins.
    void sources(size_t begin, size_t end, size_t scope)
    {
        bool expectSource = true;
        size_t i = begin;
        while (i < end) {
            const Token& t = at(i);
            if (expectSource && (isWord(t, "LATERAL") || isWord(t, "ONLY"))) {
                ++i;
            } else if (expectSource) {
                i = source(i, end, scope);
                expectSource = false;
            } else if (isSymbol(t, ",") || isWord(t, "JOIN") || isWord(t, "APPLY")) {
                expectSource = true;
                ++i;
            } else if (inSet(t, kJoinWords)) {
                ++i;
            } else if (isWord(t, "ON")) {
                i = skipCondition(i + 1, end);
            } else if (isWord(t, "USING") && symbolAt(i + 1, end, "(")) {
                i = after(i + 1, end);
            } else {
                return fail();
            }
        }
        if (expectSource)
            fail();
    }

    // The source at `i` with its alias and hints; returns the position after them.
    size_t source(size_t i, size_t end, size_t scope)
    {
        Source read;
        if (isSymbol(at(i), "(")) {
            const size_t close = after(i, end);
            if (!isQuery(i + 1, close - 1)) {
                sources(i + 1, close - 1, scope); // joins in parentheses
                return close;
            }
            read.kind = Source::Kind::Derived;
            read.scope = newScope();
            query(i + 1, close - 1, read.scope);
            i = close;
        } else if (isName(at(i))) {
            QStringList parts{at(i).name};
            const qsizetype textBegin = at(i).begin;
            qsizetype textEnd = at(i).end;
            for (++i; symbolAt(i, end, ".") && i + 1 < end && isName(at(i + 1)); i += 2) {
                parts << at(i + 1).name;
                textEnd = at(i + 1).end;
            }
            const std::optional<size_t> common = parts.size() == 1 ? commonTable(parts.front()) : std::nullopt;
            if (symbolAt(i, end, "(") && !hintsOnly(i + 1, after(i, end) - 1)) {
                i = after(i, end); // a function that gives rows
            } else if (common) {
                read = commonTableSource(*common);
            } else {
                read.kind = Source::Kind::Table;
                read.table = m_out.m_tables.size();
                m_out.m_tables.push_back({parts, m_sql.mid(textBegin, textEnd - textBegin)});
            }
            read.names = parts;
        } else {
            fail();
            return end;
        }
        i = hints(i, end);
        if (wordAt(i, end, "AS"))
            ++i;
        if (i < end && isName(at(i)) && !inSet(at(i), kFromWords) && !inSet(at(i), kClauseWords)) {
            read.names = QStringList{at(i).name};
            ++i;
            if (symbolAt(i, end, "(")) {
                const size_t close = after(i, end);
                read.columns = nameList(i + 1, close - 1);
                i = close;
            }
        }
        m_out.m_scopes[scope].sources.push_back(read);
        return hints(i, end);
    }

    bool hintsOnly(size_t begin, size_t end) const
    {
        for (size_t i = begin; i < end; ++i)
            if (!inSet(at(i), kTableHints) && !isSymbol(at(i), ","))
                return false;
        return begin < end;
    }

    // Skips SQL Server's WITH (…) and (NOLOCK), SQLite's INDEXED BY name and NOT INDEXED, PostgreSQL's
    // TABLESAMPLE.
    size_t hints(size_t i, size_t end) const
    {
        for (;;) {
            if (wordAt(i, end, "WITH") && symbolAt(i + 1, end, "(")) {
                i = after(i + 1, end);
            } else if (symbolAt(i, end, "(") && hintsOnly(i + 1, after(i, end) - 1)) {
                i = after(i, end);
            } else if (wordAt(i, end, "INDEXED") && wordAt(i + 1, end, "BY")) {
                i += 3;
            } else if (wordAt(i, end, "NOT") && wordAt(i + 1, end, "INDEXED")) {
                i += 2;
            } else if (wordAt(i, end, "TABLESAMPLE") && symbolAt(i + 2, end, "(")) {
                i = after(i + 2, end);
                if (wordAt(i, end, "REPEATABLE") && symbolAt(i + 1, end, "("))
                    i = after(i + 1, end);
            } else {
                return std::min(i, end);
            }
        }
    }

    std::optional<size_t> commonTable(const QString& name) const
    {
        for (size_t i = m_commonTables.size(); i-- > 0;)
            if (m_commonTables[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return std::nullopt;
    }

    // Every use of a common table expression reads its tables again. Its query sees the expressions written
    // before it and itself: one that reads itself is no single SELECT (it needs a UNION to end).
    Source commonTableSource(size_t index)
    {
        Source read;
        read.kind = Source::Kind::Derived;
        read.columns = m_commonTables[index].columns;
        read.scope = newScope();
        if (m_commonTables[index].reading) {
            m_out.m_single = false;
            return read;
        }
        const CommonTable common = m_commonTables[index];
        const std::vector<CommonTable> later(m_commonTables.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                                             m_commonTables.end());
        m_commonTables.resize(index + 1);
        m_commonTables[index].reading = true;
        query(common.begin, common.end, read.scope);
        m_commonTables[index].reading = false;
        m_commonTables.insert(m_commonTables.end(), later.begin(), later.end());
        return read;
    }

    size_t newScope()
    {
        m_out.m_scopes.emplace_back();
        return m_out.m_scopes.size() - 1;
    }

    SelectStatement& m_out;
    const QString& m_sql;
    std::vector<Token> m_tokens;
    std::vector<CommonTable> m_commonTables;
};

SelectStatement SelectStatement::read(const QString& sql)
{
    SelectStatement statement;
    auto tokens = tokensOf(sql);
    if (tokens && !tokens->empty())
        Reader(statement, sql, std::move(*tokens)).read();
    return statement;
}

std::optional<SelectStatement::Table> SelectStatement::onlyTable() const
{
    if (!m_understood || !m_single || m_scopes.front().sources.size() != 1)
        return std::nullopt;
    const Source& only = m_scopes.front().sources.front();
    if (only.kind != Source::Kind::Table)
        return std::nullopt;
    return m_tables[only.table];
}

// Fields before the first star and after the last are the entries in their places; the fields between
// belong to a star when it is the only one.
const SelectStatement::Item* SelectStatement::itemOf(const Scope& scope, size_t index, size_t count) const
{
    const auto& items = scope.items;
    const auto star = [](const Item& i) { return i.kind == Field::Kind::Star; };
    const auto first = std::find_if(items.begin(), items.end(), star);
    if (first == items.end())
        return items.size() == count && index < count ? &items[index] : nullptr;
    const size_t before = static_cast<size_t>(first - items.begin());
    const size_t afterLast = static_cast<size_t>(std::find_if(items.rbegin(), items.rend(), star) - items.rbegin());
    if (before + afterLast >= items.size() || before + afterLast > count || index >= count)
        return nullptr;
    if (index < before)
        return &items[index];
    if (index >= count - afterLast)
        return &items[items.size() - (count - index)];
    return std::count_if(items.begin(), items.end(), star) == 1 ? &*first : nullptr;
}

SelectStatement::Field SelectStatement::field(size_t index, size_t count) const
{
    if (!m_understood || !m_single)
        return {};
    const Item* item = itemOf(m_scopes.front(), index, count);
    if (!item)
        return {};
    return {item->kind, item->column};
}

bool SelectStatement::carries(size_t index, size_t count, const QString& column, size_t table) const
{
    if (!m_understood || !m_single || table >= m_tables.size())
        return false;
    const Item* item = itemOf(m_scopes.front(), index, count);
    return item && itemCarries(m_scopes.front(), *item, column, table);
}

bool SelectStatement::itemCarries(const Scope& scope, const Item& item, const QString& column, size_t table) const
{
    const auto same = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    if (item.kind == Field::Kind::Computed || item.kind == Field::Kind::Unknown)
        return false;
    if (item.kind == Field::Kind::Column && (!same(item.column, column) || (item.alias && !same(*item.alias, column))))
        return false;
    const Source* source = resolve(scope, item.qualifier, table);
    return source && sourceCarries(*source, column, table);
}

// A name in a scope: the one entry of its select list that gives it, else its only star.
bool SelectStatement::nameCarries(const Scope& scope, const QString& column, size_t table) const
{
    const Item* found = nullptr;
    const Item* star = nullptr;
    int named = 0;
    int stars = 0;
    for (const Item& item : scope.items) {
        if (item.name().compare(column, Qt::CaseInsensitive) == 0)
            found = &item, ++named;
        if (item.kind == Field::Kind::Star)
            star = &item, ++stars;
    }
    if (named > 1 || (named == 0 && stars != 1))
        return false;
    return itemCarries(scope, found ? *found : *star, column, table);
}

bool SelectStatement::sourceCarries(const Source& source, const QString& column, size_t table) const
{
    if (source.kind == Source::Kind::Table)
        return source.table == table && source.columns.isEmpty();
    if (source.kind != Source::Kind::Derived)
        return false;
    if (!source.columns.isEmpty())
        return false; // the names the alias gives stand for the derived table's own, whatever they were
    return nameCarries(m_scopes[source.scope], column, table);
}

// The source a qualifier names; without one, the source that reads the table (a name or a star alone can
// only come from it when the table is read once).
const SelectStatement::Source* SelectStatement::resolve(const Scope& scope, const QStringList& qualifier,
                                                        size_t table) const
{
    const Source* found = nullptr;
    for (const Source& source : scope.sources) {
        const bool named =
            qualifier.isEmpty() ||
            (source.names.size() >= qualifier.size() &&
             std::equal(qualifier.begin(), qualifier.end(), source.names.end() - qualifier.size(),
                        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }));
        if (!named || (qualifier.isEmpty() && !contains(source, table)))
            continue;
        if (found)
            return nullptr;
        found = &source;
    }
    return found && contains(*found, table) ? found : nullptr;
}

bool SelectStatement::contains(const Source& source, size_t table) const
{
    if (source.kind == Source::Kind::Table)
        return source.table == table;
    if (source.kind != Source::Kind::Derived)
        return false;
    const auto& inner = m_scopes[source.scope].sources;
    return std::any_of(inner.begin(), inner.end(), [&](const Source& s) { return contains(s, table); });
}

} // namespace ado
