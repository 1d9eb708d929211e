// What an edit of a record set writes: the table, its columns and the condition that finds the row as it
// was read, or the refusal (3251) where the statement, the driver's column origins and the table's key do
// not say it for certain. Made afresh for every set opened; what it needs from the driver it asks at the
// first edit, and it keeps nothing beyond the set.
#pragma once

#include "platform/ado/ResultSet.h"
#include "platform/ado/SelectStatement.h"
#include "platform/ado/Session.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

namespace ado {

class Connection;

class EditPlan {
public:
    // A set read by no statement (a schema's rows) has nothing to write.
    EditPlan() = default;
    EditPlan(const QString& sql, const std::vector<Column>& columns);

    // A statement of a change and the values of its markers.
    struct Statement {
        QString sql;
        std::vector<Parameter> parameters;
    };

    // Whether a new row could go anywhere: some field is read from a table.
    bool addsRows(Connection& connection);
    // The INSERT of a new row holding the changed fields (with none changed, the fields of the one table the
    // set reads). It asks the engine for the table's columns as it stored them where the driver can say which
    // row it wrote; readBack() names the fields they go to. Raises 3251 when no one table holds the fields.
    RowInsert insert(Connection& connection, const std::vector<bool>& changed, const Row& row);
    // The fields of the last insert's columns read back, in their order.
    const std::vector<size_t>& readBack() const { return m_readBack; }
    // The UPDATE of the row read as `original` with the changed fields of `row`. `counted`: it changes nothing
    // unless its condition finds exactly one row; otherwise the caller undoes a count other than one.
    // `filledUnknown`: the engine filled in values of a row added here that the set does not hold; such a row
    // is found by its key alone. Raises 3251 when the row cannot be told from the others, or no one table
    // holds the changed fields.
    Statement update(Connection& connection, const std::vector<bool>& changed, const Row& row, const Row& original,
                     bool filledUnknown, bool counted);

private:
    // A table the driver names, with where the statement reads it.
    struct Target {
        ColumnOrigin table;
        std::optional<size_t> reference; // in m_statement.tables(); none where the driver names nothing
    };
    struct TableFacts {
        std::optional<QStringList> key;
        std::optional<std::vector<std::pair<QString, int>>> columns;
        std::optional<bool> base;
    };

    const std::vector<ColumnOrigin>& origins(Connection& connection);
    void readFromStatement(Connection& connection);
    // The one table that holds `fields`, read once by the statement, with each field certainly its column where
    // the fields are `written`; raises 3251 otherwise.
    Target target(Connection& connection, const std::vector<size_t>& fields, bool written);
    std::optional<size_t> onlyReference(const ColumnOrigin& table, const std::vector<ColumnOrigin>& named) const;
    // Whether a field is certainly the column its origin names: a driver that gives a field's label for its
    // base column leaves it certain only where no alias or view renames the column on the way.
    bool certain(Connection& connection, size_t field, const Target& target);
    bool namesBaseColumns(Connection& connection, const Target& target, const QString& column);
    bool writes(Connection& connection, size_t field, const Target& target);
    void requireColumnsOf(Connection& connection, const Target& target, const std::vector<size_t>& fields);
    void requireEveryComparableColumn(Connection& connection, const Target& target);
    std::vector<size_t> keyFields(Connection& connection, const Target& target, const Row& original);
    Statement rowCondition(Connection& connection, const Target& target, const std::vector<size_t>& key,
                           const Row& original);

    TableFacts& facts(const Target& target);
    const QStringList& key(Connection& connection, const Target& target);
    const std::vector<std::pair<QString, int>>& tableColumns(Connection& connection, const Target& target);
    bool isBaseTable(Connection& connection, const Target& target);

    QStringList nameParts(const Target& target) const;
    QString quoted(const QString& name) const;
    QString tableName(const Target& target) const;
    QString columnName(size_t field) const;
    Parameter parameter(size_t field, const vb::Variant& value) const;

    QString m_sql;
    std::vector<Column> m_columns;
    bool m_read = false;
    SelectStatement m_statement;
    std::vector<ColumnOrigin> m_origins;
    bool m_namedByDriver = false;
    QString m_quote;
    std::optional<bool> m_namesBaseColumns;
    std::map<QString, TableFacts> m_facts;
    std::vector<size_t> m_readBack;
};

} // namespace ado
