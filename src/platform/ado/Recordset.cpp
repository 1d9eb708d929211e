#include "platform/ado/Recordset.h"

#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/ErrorNumbers.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace ado {
namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

// The table after FROM of a statement that reads that table alone: no join, no list of tables and no
// subquery; empty for any other statement.
QString singleTableOf(const QString& sql)
{
    static const QRegularExpression select(QStringLiteral("\\bSELECT\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression join(QStringLiteral("\\bJOIN\\b"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression from(
        QStringLiteral("\\bFROM\\s+(.*?)\\s*(?:\\bWHERE\\b|\\bGROUP\\b|\\bORDER\\b|\\bHAVING\\b|;|$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (sql.count(select) > 1 || sql.contains(join))
        return QString();
    const auto m = from.match(sql);
    if (!m.hasMatch() || m.captured(1).contains(QLatin1Char(',')))
        return QString();
    return m.captured(1).section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
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

} // namespace

void Recordset::Open(const QString& source, const std::shared_ptr<Connection>& activeConnection, long cursorType,
                     long lockType, long options)
{
    if (m_open)
        raise(RunTimeError::ObjectOpen, kSource);
    if (!activeConnection || activeConnection->State() != adStateOpen)
        raise(RunTimeError::ConnectionUnusable, kSource);
    const bool table = options == adCmdTable || options == adCmdTableDirect;
    const QString sql = table ? QStringLiteral("SELECT * FROM ") + source : source;
    ResultSet result = activeConnection->run(sql);
    if (cursorType != adOpenUnspecified)
        m_cursorType = cursorType;
    openOn(activeConnection, sql, std::move(result), lockType == adLockUnspecified ? m_lockType : lockType);
}

void Recordset::setCursorType(long value)
{
    if (m_open)
        raise(RunTimeError::ObjectOpen, kSource);
    m_cursorType = value;
}

void Recordset::setLockType(long value)
{
    if (m_open)
        raise(RunTimeError::ObjectOpen, kSource);
    m_lockType = value;
}

void Recordset::openOn(std::shared_ptr<Connection> connection, const QString& sql, ResultSet result, long lockType)
{
    m_connection = std::move(connection);
    m_columns = std::move(result.columns);
    m_rows = std::move(result.rows);
    m_position = 0;
    m_lockType = lockType;
    m_sql = sql;
    m_tableAfterFrom = singleTableOf(sql);
    m_origins.reset();
    m_editMode = adEditNone;
    m_open = true;
}

void Recordset::Close()
{
    requireOpen();
    if (m_editMode != adEditNone)
        raise(RunTimeError::NotAllowedInContext, kSource);
    m_open = false;
    m_columns.clear();
    m_rows.clear();
    m_connection.reset();
}

long Recordset::State() const
{
    return m_open ? 1 : 0;
}

void Recordset::requireOpen() const
{
    if (!m_open)
        raise(RunTimeError::ObjectClosed, kSource);
}

void Recordset::requireCurrent() const
{
    requireOpen();
    if (m_position < 0 || m_position >= static_cast<long>(m_rows.size()))
        raise(RunTimeError::NoCurrentRecord, kSource);
}

bool Recordset::Bof() const
{
    requireOpen();
    return m_position < 0 || m_rows.empty();
}

bool Recordset::Eof() const
{
    requireOpen();
    return m_position >= static_cast<long>(m_rows.size());
}

void Recordset::MoveFirst()
{
    requireOpen();
    finishEdit();
    requireRows();
    m_position = 0;
}

void Recordset::MoveNext()
{
    requireOpen();
    if (Eof())
        raise(RunTimeError::NoCurrentRecord, kSource);
    finishEdit();
    ++m_position;
}

void Recordset::MoveLast()
{
    requireOpen();
    finishEdit();
    requireRows();
    m_position = static_cast<long>(m_rows.size()) - 1;
}

// An empty set has no first or last row to move to.
void Recordset::requireRows() const
{
    if (m_rows.empty())
        raise(RunTimeError::NoCurrentRecord, kSource);
}

long Recordset::RecordCount() const
{
    requireOpen();
    return static_cast<long>(m_rows.size());
}

int Recordset::FieldCount() const
{
    requireOpen();
    return static_cast<int>(m_columns.size());
}

void Recordset::noSuchField() const
{
    requireOpen();
    raise(RunTimeError::ItemNotFound, kSource);
}

Field Recordset::Fields(const QString& name)
{
    requireOpen();
    const QString wanted = name.trimmed();
    for (int i = 0; i < FieldCount(); ++i)
        if (m_columns[static_cast<size_t>(i)].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return Field(*this, i);
    raise(RunTimeError::ItemNotFound, kSource);
}

const Column& Recordset::column(int index) const
{
    requireOpen();
    return m_columns.at(static_cast<size_t>(index));
}

void Recordset::setValue(int index, const vb::Variant& value)
{
    requireCurrent();
    if (m_lockType == adLockReadOnly)
        raise(RunTimeError::NotUpdatable, kSource);
    if (m_editMode == adEditNone) {
        m_original = m_rows[static_cast<size_t>(m_position)];
        m_changed.assign(m_columns.size(), false);
        m_editMode = adEditInProgress;
    }
    m_rows.set(static_cast<size_t>(m_position), static_cast<size_t>(index), value);
    m_changed[static_cast<size_t>(index)] = true;
}

void Recordset::AddNew()
{
    requireOpen();
    if (m_lockType == adLockReadOnly ||
        std::none_of(origins().begin(), origins().end(), [](const ColumnOrigin& o) { return !o.table.isEmpty(); }))
        raise(RunTimeError::NotUpdatable, kSource);
    finishEdit();
    m_positionBeforeAdd = m_position;
    m_rows.push_back(Row(m_columns.size(), vb::Variant::Null()));
    m_position = static_cast<long>(m_rows.size()) - 1;
    m_original.clear();
    m_changed.assign(m_columns.size(), false);
    m_editMode = adEditAdd;
}

void Recordset::finishEdit()
{
    if (m_editMode != adEditNone)
        Update();
}

void Recordset::Update()
{
    requireOpen();
    if (m_editMode == adEditNone)
        return;
    if (m_editMode == adEditAdd) {
        const ColumnOrigin table = editedTable();
        requireChangedColumnsOf(table);
        const Statement insert = insertStatement(table);
        m_connection->run(insert.sql, insert.parameters);
    } else if (std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end()) {
        const ColumnOrigin table = editedTable();
        requireChangedColumnsOf(table);
        updateRow(table);
    }
    m_editMode = adEditNone;
}

void Recordset::CancelUpdate()
{
    requireOpen();
    if (m_editMode == adEditAdd) {
        m_rows.pop_back();
        m_position = m_positionBeforeAdd;
    } else if (m_editMode == adEditInProgress) {
        for (size_t i = 0; i < m_original.size(); ++i)
            m_rows.set(static_cast<size_t>(m_position), i, m_original[i]);
    }
    m_editMode = adEditNone;
}

Parameter Recordset::parameter(size_t column, const vb::Variant& value) const
{
    return {value, m_columns[column].type, m_columns[column].definedSize};
}

const std::vector<ColumnOrigin>& Recordset::origins()
{
    if (m_origins)
        return *m_origins;
    m_origins = m_sql.isEmpty() ? std::vector<ColumnOrigin>() : m_connection->columnOrigins(m_sql);
    m_namedByDriver = m_origins->size() == m_columns.size();
    if (!m_namedByDriver) {
        m_origins->clear();
        for (const Column& c : m_columns)
            m_origins->push_back({QString(), m_tableAfterFrom, m_tableAfterFrom.isEmpty() ? QString() : c.name});
    }
    m_quote = m_namedByDriver ? m_connection->identifierQuote() : QString();
    return *m_origins;
}

ColumnOrigin Recordset::editedTable()
{
    const std::vector<ColumnOrigin>& from = origins();
    const bool anyChanged = std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end();
    std::optional<ColumnOrigin> table;
    for (size_t i = 0; i < from.size(); ++i) {
        if (anyChanged ? !m_changed[i] : from[i].table.isEmpty())
            continue;
        if (from[i].table.isEmpty() || from[i].column.isEmpty() || (table && !sameTable(*table, from[i])))
            raise(RunTimeError::NotUpdatable, kSource);
        table = from[i];
    }
    if (!table)
        raise(RunTimeError::NotUpdatable, kSource);
    return *table;
}

bool Recordset::belongsTo(size_t column, const ColumnOrigin& table)
{
    const ColumnOrigin& origin = origins()[column];
    return !origin.column.isEmpty() && sameTable(origin, table);
}

QString Recordset::columnName(size_t column)
{
    const QString& name = origins()[column].column;
    return m_quote.isEmpty() ? name : m_quote + QString(name).replace(m_quote, m_quote + m_quote) + m_quote;
}

QString Recordset::tableName(const ColumnOrigin& table)
{
    auto quoted = [&](const QString& name) {
        return m_quote.isEmpty() ? name : m_quote + QString(name).replace(m_quote, m_quote + m_quote) + m_quote;
    };
    return table.schema.isEmpty() ? quoted(table.table) : quoted(table.schema) + QLatin1Char('.') + quoted(table.table);
}

Recordset::Statement Recordset::insertStatement(const ColumnOrigin& table)
{
    const Row& row = m_rows[static_cast<size_t>(m_position)];
    Statement insert;
    QStringList names;
    QStringList markers;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changed[i])
            continue;
        names << columnName(i);
        markers << QStringLiteral("?");
        insert.parameters.push_back(parameter(i, row[i]));
    }
    insert.sql = names.isEmpty()
                     ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableName(table))
                     : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(tableName(table), names.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    return insert;
}

std::vector<size_t> Recordset::keyColumns(const ColumnOrigin& table)
{
    const QString name = table.schema.isEmpty() ? table.table : table.schema + QLatin1Char('.') + table.table;
    if (m_keyTable != name) {
        m_keyNames = m_connection->primaryKey(name);
        m_keyTable = name;
    }
    std::vector<size_t> key;
    for (const QString& keyName : m_keyNames) {
        size_t found = 0;
        while (found < m_columns.size() && !(belongsTo(found, table) && sameName(origins()[found].column, keyName)))
            ++found;
        if (found == m_columns.size() || m_original[found].isNull())
            return {};
        key.push_back(found);
    }
    return key;
}

const std::vector<std::pair<QString, int>>& Recordset::tableColumns(const ColumnOrigin& table)
{
    const QString name = table.schema + QLatin1Char('.') + table.table;
    if (m_tableColumnsOf != name) {
        m_tableColumns.clear();
        Recordset columns = m_connection->OpenSchema(
            adSchemaColumns,
            {vb::Variant(), table.schema.isEmpty() ? vb::Variant() : vb::Variant(table.schema), table.table});
        for (; !columns.Eof(); columns.MoveNext())
            m_tableColumns.emplace_back(
                columns.Fields(QStringLiteral("COLUMN_NAME")).Value().toString(),
                static_cast<int>(columns.Fields(QStringLiteral("DATA_TYPE")).Value().toLongLong()));
        m_tableColumnsOf = name;
    }
    return m_tableColumns;
}

void Recordset::requireChangedColumnsOf(const ColumnOrigin& table)
{
    if (!m_namedByDriver || tableColumns(table).empty())
        return;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changed[i])
            continue;
        const auto& all = tableColumns(table);
        if (std::none_of(all.begin(), all.end(), [&](const auto& c) { return sameName(c.first, origins()[i].column); }))
            raise(RunTimeError::NotUpdatable, kSource);
    }
}

void Recordset::requireEveryComparableColumn(const ColumnOrigin& table)
{
    if (!m_namedByDriver)
        return;
    for (const auto& [name, type] : tableColumns(table)) {
        if (!comparable(type))
            continue;
        bool held = false;
        for (size_t i = 0; i < m_columns.size() && !held; ++i)
            held = belongsTo(i, table) && sameName(origins()[i].column, name);
        if (!held)
            raise(RunTimeError::NotUpdatable, kSource);
    }
}

Recordset::Statement Recordset::rowCondition(const ColumnOrigin& table, const std::vector<size_t>& key)
{
    Statement where;
    QStringList terms;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const bool inKey = std::find(key.begin(), key.end(), i) != key.end();
        if (!belongsTo(i, table) || (key.empty() ? !comparable(m_columns[i].type) : !inKey))
            continue;
        if (m_original[i].isNull()) {
            terms << columnName(i) + QStringLiteral(" IS NULL");
        } else {
            terms << columnName(i) + QStringLiteral(" = ?");
            where.parameters.push_back(parameter(i, m_original[i]));
        }
    }
    where.sql = terms.isEmpty() ? QStringLiteral("1 = 1") : terms.join(QStringLiteral(" AND "));
    return where;
}

// Changes the row that was read and no other. Without a key, rows that hold the same values cannot be told
// apart: the statement then changes the row only while it is the one row with those values. A row not found
// (or not alone) raises and leaves the table as it was.
void Recordset::updateRow(const ColumnOrigin& table)
{
    const std::vector<size_t> key = keyColumns(table);
    if (key.empty())
        requireEveryComparableColumn(table);
    const Statement where = rowCondition(table, key);
    const Row& row = m_rows[static_cast<size_t>(m_position)];
    Statement update;
    QStringList sets;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changed[i])
            continue;
        sets << columnName(i) + QStringLiteral(" = ?");
        update.parameters.push_back(parameter(i, row[i]));
    }
    QString condition = where.sql;
    update.parameters.insert(update.parameters.end(), where.parameters.begin(), where.parameters.end());
    if (key.empty()) {
        condition += QStringLiteral(" AND (SELECT COUNT(*) FROM %1 WHERE %2) = 1").arg(tableName(table), where.sql);
        update.parameters.insert(update.parameters.end(), where.parameters.begin(), where.parameters.end());
    }
    update.sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(tableName(table), sets.join(QStringLiteral(", ")), condition);
    if (m_connection->run(update.sql, update.parameters).rowsAffected != 1)
        raise(RunTimeError::RowNotFound, kSource);
}

} // namespace ado
