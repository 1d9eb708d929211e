// What the text of a SELECT tells about where its rows come from, without asking the database: whether it is
// one SELECT (no UNION, INTERSECT or EXCEPT on the way), every table its rows are read from (after FROM and
// JOIN, through derived tables and common table expressions; not the tables of subqueries in its conditions)
// and whether a field carries a table's column unchanged (no alias or expression renames it on the way).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace ado {

class SelectStatement {
public:
    // A table named after FROM or JOIN: its name in parts (catalog, schema, table) without quotes, and the
    // name as the statement writes it.
    struct Table {
        QStringList parts;
        QString text;
        QString name() const { return parts.last(); }
        QString schema() const { return parts.size() > 1 ? parts[parts.size() - 2] : QString(); }
    };
    // What a field of the result is, as the select list writes it.
    struct Field {
        enum class Kind { Unknown, Computed, Column, Star };
        Kind kind = Kind::Unknown;
        QString column; // a column's name without quotes
    };

    static SelectStatement read(const QString& sql);

    // Read to its end as one SELECT, perhaps after WITH, whose sources are all told apart.
    bool understood() const { return m_understood; }
    // No set operation (UNION, INTERSECT, EXCEPT) where its rows come from.
    bool single() const { return m_single; }
    // One entry for every time a table is read: a common table expression used twice gives its tables twice.
    const std::vector<Table>& tables() const { return m_tables; }
    // The table of a statement that reads that one table alone at its top (its conditions may hold subqueries).
    std::optional<Table> onlyTable() const;
    // Field `index` of a result of `count` fields, as the outermost select list writes it.
    Field field(size_t index, size_t count) const;
    // Whether field `index` of `count` is the column `column` of the table read as tables()[table], carried to
    // the result under that same name by plain column references and stars only.
    bool carries(size_t index, size_t count, const QString& column, size_t table) const;

private:
    class Reader;
    // An entry of a select list: a star (perhaps qualified), a column reference or any other expression.
    struct Item {
        Field::Kind kind = Field::Kind::Computed;
        QStringList qualifier; // of a column or a star, without quotes
        QString column;
        std::optional<QString> alias;
        QString name() const { return alias ? *alias : kind == Field::Kind::Column ? column : QString(); }
    };
    // What a FROM clause reads: a table, a derived table (or common table expression) or anything else.
    struct Source {
        enum class Kind { Table, Derived, Other };
        Kind kind = Kind::Other;
        QStringList names;   // what a qualifier calls it: its alias, else the table's name in parts
        size_t table = 0;    // of a table: its entry in m_tables
        size_t scope = 0;    // of a derived table: its entry in m_scopes
        QStringList columns; // the names its alias gives its columns, if any
    };
    struct Scope {
        std::vector<Item> items;
        std::vector<Source> sources;
    };

    const Item* itemOf(const Scope& scope, size_t index, size_t count) const;
    bool itemCarries(const Scope& scope, const Item& item, const QString& column, size_t table) const;
    bool nameCarries(const Scope& scope, const QString& column, size_t table) const;
    bool sourceCarries(const Source& source, const QString& column, size_t table) const;
    const Source* resolve(const Scope& scope, const QStringList& qualifier, size_t table) const;
    bool contains(const Source& source, size_t table) const;

    bool m_understood = false;
    bool m_single = true;
    std::vector<Table> m_tables;
    std::vector<Scope> m_scopes; // the outermost first
};

} // namespace ado
