#include "platform/ado/EditPlan.h"

#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/ErrorNumbers.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"

#include <algorithm>

namespace ado {
namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

[[noreturn]] void refuse()
{
    raise(RunTimeError::NotUpdatable, kSource);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool sameTable(const ColumnOrigin& a, const ColumnOrigin& b)
{
    return sameName(a.schema, b.schema) && sameName(a.table, b.table);
}

bool comparable(int adoType)
{
    return adoType != adLongVarChar && adoType != adLongVarWChar && adoType != adLongVarBinary &&
           adoType != adVarBinary && adoType != adBinary && adoType != adSingle && adoType != adDouble;
}

std::vector<size_t> indicesOf(const std::vector<bool>& flags)
{
    std::vector<size_t> indices;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            indices.push_back(i);
    return indices;
}

} // namespace

EditPlan::EditPlan(const QString& sql, const std::vector<Column>& columns) : m_sql(sql), m_columns(columns) {}

const std::vector<ColumnOrigin>& EditPlan::origins(Connection& connection)
{
    if (!m_read)
        readFromStatement(connection);
    return m_origins;
}

// The driver names each field's table and column. A driver that never names a table leaves the table of a
// statement that reads one table alone, its columns as the select list names them; a driver that does name
// tables names none for a statement whose every field is computed.
void EditPlan::readFromStatement(Connection& connection)
{
    m_read = true;
    m_origins.assign(m_columns.size(), ColumnOrigin());
    if (m_sql.isEmpty())
        return;
    m_statement = SelectStatement::read(m_sql);
    std::vector<ColumnOrigin> named = connection.columnOrigins(m_sql);
    if (named.size() == m_columns.size()) {
        m_origins = std::move(named);
        m_namedByDriver = true;
        m_quote = connection.identifierQuote();
        return;
    }
    const std::optional<SelectStatement::Table> only = m_statement.onlyTable();
    if (!only || !connection.columnOrigins(QStringLiteral("SELECT * FROM ") + only->text).empty())
        return;
    using Kind = SelectStatement::Field::Kind;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const SelectStatement::Field field = m_statement.field(i, m_columns.size());
        if (field.kind != Kind::Computed)
            m_origins[i] = {QString(), only->text, field.kind == Kind::Column ? field.column : m_columns[i].name};
    }
}

bool EditPlan::addsRows(Connection& connection)
{
    const auto& from = origins(connection);
    return std::any_of(from.begin(), from.end(), [](const ColumnOrigin& o) { return !o.table.isEmpty(); });
}

EditPlan::Target EditPlan::target(Connection& connection, const std::vector<size_t>& fields, bool written)
{
    const auto& from = origins(connection);
    if (fields.empty() || (m_namedByDriver && (!m_statement.understood() || !m_statement.single())))
        refuse();
    Target found;
    for (size_t i : fields) {
        if (from[i].table.isEmpty() || from[i].column.isEmpty() ||
            (i != fields.front() && !sameTable(from[i], found.table)))
            refuse();
        found.table = {from[i].schema, from[i].table, QString()};
    }
    if (m_namedByDriver && !(found.reference = onlyReference(found.table, from)))
        refuse();
    if (written)
        for (size_t i : fields)
            if (!certain(connection, i, found))
                refuse();
    return found;
}

// The statement's one reference to the table. Names without a schema all stand for one table: that of a
// schema the driver names for some field where the statement writes that schema nowhere, if there is one.
std::optional<size_t> EditPlan::onlyReference(const ColumnOrigin& table, const std::vector<ColumnOrigin>& named) const
{
    const auto& tables = m_statement.tables();
    const auto written = [&](const QString& schema) {
        return std::any_of(tables.begin(), tables.end(), [&](const SelectStatement::Table& t) {
            return sameName(t.name(), table.table) && sameName(t.schema(), schema);
        });
    };
    const bool bareIsElsewhere =
        !table.schema.isEmpty() && std::any_of(named.begin(), named.end(), [&](const ColumnOrigin& o) {
            return sameName(o.table, table.table) && !o.schema.isEmpty() && !sameName(o.schema, table.schema) &&
                   !written(o.schema);
        });
    std::optional<size_t> found;
    for (size_t i = 0; i < tables.size(); ++i) {
        const SelectStatement::Table& t = tables[i];
        const bool reads =
            sameName(t.name(), table.table) &&
            (t.schema().isEmpty() ? !bareIsElsewhere : table.schema.isEmpty() || sameName(t.schema(), table.schema));
        if (!reads)
            continue;
        if (found)
            return std::nullopt; // read twice: which reading a field comes from, the driver does not say
        found = i;
    }
    return found;
}

bool EditPlan::certain(Connection& connection, size_t field, const Target& target)
{
    if (!m_namedByDriver)
        return true;
    const QString& column = m_origins[field].column;
    if (!sameName(column, m_columns[field].name))
        return true; // a name the label does not give is the driver's own
    return m_statement.carries(field, m_columns.size(), column, *target.reference) ||
           namesBaseColumns(connection, target, column);
}

// Asked once, of a statement that gives a column another label.
bool EditPlan::namesBaseColumns(Connection& connection, const Target& target, const QString& column)
{
    if (!m_namesBaseColumns) {
        const std::vector<ColumnOrigin> probe = connection.columnOrigins(
            QStringLiteral("SELECT %1 AS %2 FROM %3")
                .arg(quoted(column), quoted(column + QStringLiteral("_etiqueta")), tableName(target)));
        m_namesBaseColumns = probe.size() == 1 && sameName(probe.front().column, column);
    }
    return *m_namesBaseColumns;
}

bool EditPlan::writes(Connection& connection, size_t field, const Target& target)
{
    const ColumnOrigin& origin = m_origins[field];
    return !origin.column.isEmpty() && sameTable(origin, target.table) && certain(connection, field, target);
}

// A driver that gives a field's label for its base column may name a column the table does not have.
void EditPlan::requireColumnsOf(Connection& connection, const Target& target, const std::vector<size_t>& fields)
{
    if (!m_namedByDriver)
        return;
    const auto& all = tableColumns(connection, target);
    if (all.empty())
        return;
    for (size_t i : fields)
        if (std::none_of(all.begin(), all.end(), [&](const auto& c) { return sameName(c.first, m_origins[i].column); }))
            refuse();
}

// Without a key, a row is told from others that differ only in a column the set does not hold by nothing.
void EditPlan::requireEveryComparableColumn(Connection& connection, const Target& target)
{
    if (!m_namedByDriver)
        return;
    for (const auto& [name, type] : tableColumns(connection, target)) {
        if (!comparable(type))
            continue;
        bool held = false;
        for (size_t i = 0; i < m_columns.size() && !held; ++i)
            held = writes(connection, i, target) && sameName(m_origins[i].column, name);
        if (!held)
            refuse();
    }
}

// The fields of the table's key columns, when the set holds them all with values.
std::vector<size_t> EditPlan::keyFields(Connection& connection, const Target& target, const Row& original)
{
    std::vector<size_t> fields;
    for (const QString& name : key(connection, target)) {
        size_t found = 0;
        while (found < m_columns.size() &&
               !(writes(connection, found, target) && sameName(m_origins[found].column, name)))
            ++found;
        if (found == m_columns.size() || original[found].isNull())
            return {};
        fields.push_back(found);
    }
    return fields;
}

EditPlan::Statement EditPlan::rowCondition(Connection& connection, const Target& target, const std::vector<size_t>& key,
                                           const Row& original)
{
    Statement where;
    QStringList terms;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const bool inKey = std::find(key.begin(), key.end(), i) != key.end();
        if ((key.empty() ? !comparable(m_columns[i].type) : !inKey) || !writes(connection, i, target))
            continue;
        if (original[i].isNull()) {
            terms << columnName(i) + QStringLiteral(" IS NULL");
        } else {
            terms << columnName(i) + QStringLiteral(" = ?");
            where.parameters.push_back(parameter(i, original[i]));
        }
    }
    where.sql = terms.isEmpty() ? QStringLiteral("1 = 1") : terms.join(QStringLiteral(" AND "));
    return where;
}

RowInsert EditPlan::insert(Connection& connection, const std::vector<bool>& changed, const Row& row)
{
    std::vector<size_t> fields = indicesOf(changed);
    const bool any = !fields.empty();
    if (!any)
        for (size_t i = 0; i < m_columns.size(); ++i)
            if (!origins(connection)[i].table.isEmpty())
                fields.push_back(i);
    const Target table = target(connection, fields, any);
    if (any)
        requireColumnsOf(connection, table, fields);
    RowInsert insert;
    QStringList names;
    QStringList markers;
    for (size_t i : indicesOf(changed)) {
        names << columnName(i);
        markers << QStringLiteral("?");
        insert.parameters.push_back(parameter(i, row[i]));
    }
    insert.table = tableName(table);
    insert.sql = names.isEmpty()
                     ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(insert.table)
                     : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(insert.table, names.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    m_readBack.clear();
    if (isBaseTable(connection, table)) {
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (writes(connection, i, table)) {
                m_readBack.push_back(i);
                insert.readBack << columnName(i);
            }
        }
        for (const auto& column : tableColumns(connection, table))
            insert.tableColumns << column.first;
    }
    return insert;
}

// Only while the condition finds exactly one row: a key the driver reports may not tell rows apart (a
// partial unique index, a child table holding its parent's key), and without a key rows that hold the same
// values cannot be told apart at all.
EditPlan::Statement EditPlan::update(Connection& connection, const std::vector<bool>& changed, const Row& row,
                                     const Row& original, bool filledUnknown, bool counted)
{
    const std::vector<size_t> fields = indicesOf(changed);
    const Target table = target(connection, fields, true);
    requireColumnsOf(connection, table, fields);
    const std::vector<size_t> key = keyFields(connection, table, original);
    if (key.empty()) {
        if (filledUnknown)
            refuse();
        requireEveryComparableColumn(connection, table);
    }
    const Statement where = rowCondition(connection, table, key, original);
    Statement update;
    QStringList sets;
    for (size_t i : fields) {
        sets << columnName(i) + QStringLiteral(" = ?");
        update.parameters.push_back(parameter(i, row[i]));
    }
    for (int times = counted ? 2 : 1; times > 0; --times)
        update.parameters.insert(update.parameters.end(), where.parameters.begin(), where.parameters.end());
    update.sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(tableName(table), sets.join(QStringLiteral(", ")), where.sql);
    if (counted)
        update.sql += QStringLiteral(" AND (SELECT COUNT(*) FROM %1 WHERE %2) = 1").arg(tableName(table), where.sql);
    return update;
}

EditPlan::TableFacts& EditPlan::facts(const Target& target)
{
    return m_facts[tableName(target)];
}

const QStringList& EditPlan::key(Connection& connection, const Target& target)
{
    TableFacts& known = facts(target);
    if (!known.key)
        known.key = connection.primaryKey(nameParts(target).join(QLatin1Char('.')));
    return *known.key;
}

const std::vector<std::pair<QString, int>>& EditPlan::tableColumns(Connection& connection, const Target& target)
{
    TableFacts& known = facts(target);
    if (!known.columns) {
        known.columns.emplace();
        const QStringList parts = nameParts(target);
        Recordset columns = connection.OpenSchema(
            adSchemaColumns,
            {vb::Variant(), parts.size() > 1 ? vb::Variant(parts[parts.size() - 2]) : vb::Variant(), parts.last()});
        for (; !columns.Eof(); columns.MoveNext())
            known.columns->emplace_back(
                columns.Fields(QStringLiteral("COLUMN_NAME")).Value().toString(),
                static_cast<int>(columns.Fields(QStringLiteral("DATA_TYPE")).Value().toLongLong()));
    }
    return *known.columns;
}

// A view may not hand back the row it was given. A driver that cannot list tables has the new row go in
// without it.
bool EditPlan::isBaseTable(Connection& connection, const Target& target)
{
    TableFacts& known = facts(target);
    if (!known.base) {
        known.base = false;
        const QStringList parts = nameParts(target);
        try {
            Recordset tables = connection.OpenSchema(
                adSchemaTables,
                {vb::Variant(), parts.size() > 1 ? vb::Variant(parts[parts.size() - 2]) : vb::Variant(), parts.last()});
            for (; !tables.Eof(); tables.MoveNext())
                if (sameName(tables.Fields(QStringLiteral("TABLE_TYPE")).Value().toString(), QStringLiteral("TABLE")))
                    known.base = true;
        } catch (const vb::Error&) {
            known.base = false;
        }
    }
    return *known.base;
}

// A driver that names no schema leaves the one the statement writes (SQLite's attached databases).
QStringList EditPlan::nameParts(const Target& target) const
{
    if (target.table.schema.isEmpty() && target.reference) {
        const SelectStatement::Table& read = m_statement.tables()[*target.reference];
        if (read.parts.size() > 1)
            return read.parts.mid(read.parts.size() - 2);
    }
    return target.table.schema.isEmpty() ? QStringList{target.table.table}
                                         : QStringList{target.table.schema, target.table.table};
}

QString EditPlan::quoted(const QString& name) const
{
    return m_quote.isEmpty() ? name : m_quote + QString(name).replace(m_quote, m_quote + m_quote) + m_quote;
}

QString EditPlan::tableName(const Target& target) const
{
    QStringList parts = nameParts(target);
    for (QString& part : parts)
        part = quoted(part);
    return parts.join(QLatin1Char('.'));
}

QString EditPlan::columnName(size_t field) const
{
    return quoted(m_origins[field].column);
}

Parameter EditPlan::parameter(size_t field, const vb::Variant& value) const
{
    return {value, m_columns[field].type, m_columns[field].definedSize};
}

} // namespace ado
