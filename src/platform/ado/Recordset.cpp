#include "platform/ado/Recordset.h"

#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/ErrorNumbers.h"

#include <QRegularExpression>
#include <QStringList>

namespace ado {
namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

QString baseTableOf(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+([^\\s,;()]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = from.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
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
    m_baseTable = baseTableOf(sql);
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
    m_position = m_rows.empty() ? 0 : static_cast<long>(m_rows.size()) - 1;
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
    if (m_lockType == adLockReadOnly || m_baseTable.isEmpty())
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
        const Statement insert = insertStatement();
        m_connection->run(insert.sql, insert.parameters);
    } else if (std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end()) {
        updateRow();
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

Recordset::Statement Recordset::insertStatement() const
{
    const Row& row = m_rows[static_cast<size_t>(m_position)];
    Statement insert;
    QStringList names;
    QStringList markers;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changed[i])
            continue;
        names << m_columns[i].name;
        markers << QStringLiteral("?");
        insert.parameters.push_back(parameter(i, row[i]));
    }
    insert.sql = names.isEmpty()
                     ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_baseTable)
                     : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(m_baseTable, names.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    return insert;
}

std::vector<size_t> Recordset::keyColumns()
{
    if (m_keyTable != m_baseTable) {
        m_keyNames = m_connection->primaryKey(m_baseTable);
        m_keyTable = m_baseTable;
    }
    std::vector<size_t> key;
    for (const QString& name : m_keyNames) {
        const auto found = std::find_if(m_columns.begin(), m_columns.end(), [&](const Column& c) {
            return c.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == m_columns.end() || m_original[static_cast<size_t>(found - m_columns.begin())].isNull())
            return {};
        key.push_back(static_cast<size_t>(found - m_columns.begin()));
    }
    return key;
}

Recordset::Statement Recordset::rowCondition(const std::vector<size_t>& key) const
{
    Statement where;
    QStringList terms;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const bool inKey = std::find(key.begin(), key.end(), i) != key.end();
        if (key.empty() ? !comparable(m_columns[i].type) : !inKey)
            continue;
        if (m_original[i].isNull()) {
            terms << m_columns[i].name + QStringLiteral(" IS NULL");
        } else {
            terms << m_columns[i].name + QStringLiteral(" = ?");
            where.parameters.push_back(parameter(i, m_original[i]));
        }
    }
    where.sql = terms.isEmpty() ? QStringLiteral("1 = 1") : terms.join(QStringLiteral(" AND "));
    return where;
}

// Changes the row that was read and no other. Without a key, rows that hold the same values cannot be told
// apart: the statement then changes the row only while it is the one row with those values. A row not found
// (or not alone) raises and leaves the table as it was.
void Recordset::updateRow()
{
    const std::vector<size_t> key = keyColumns();
    const Statement where = rowCondition(key);
    const Row& row = m_rows[static_cast<size_t>(m_position)];
    Statement update;
    QStringList sets;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_changed[i])
            continue;
        sets << m_columns[i].name + QStringLiteral(" = ?");
        update.parameters.push_back(parameter(i, row[i]));
    }
    QString condition = where.sql;
    update.parameters.insert(update.parameters.end(), where.parameters.begin(), where.parameters.end());
    if (key.empty()) {
        condition += QStringLiteral(" AND (SELECT COUNT(*) FROM %1 WHERE %2) = 1").arg(m_baseTable, where.sql);
        update.parameters.insert(update.parameters.end(), where.parameters.begin(), where.parameters.end());
    }
    update.sql =
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_baseTable, sets.join(QStringLiteral(", ")), condition);
    if (m_connection->run(update.sql, update.parameters).rowsAffected != 1)
        raise(RunTimeError::RowNotFound, kSource);
}

} // namespace ado
