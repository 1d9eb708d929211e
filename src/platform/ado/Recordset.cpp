#include "platform/ado/Recordset.h"

#include "platform/ado/Connection.h"
#include "platform/ado/DataTypes.h"
#include "platform/ado/ErrorNumbers.h"

#include <algorithm>

namespace ado {
namespace {

const QString kSource = QStringLiteral("ADODB.Recordset");

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
    m_plan = EditPlan(sql, m_columns);
    m_filledUnknown.clear();
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
    m_plan = EditPlan();
    m_filledUnknown.clear();
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
    const vb::Variant stored = assignedTo(m_columns.at(static_cast<size_t>(index)).type, value);
    if (m_editMode == adEditNone) {
        m_original = m_rows[static_cast<size_t>(m_position)];
        m_changed.assign(m_columns.size(), false);
        m_editMode = adEditInProgress;
    }
    m_rows.set(static_cast<size_t>(m_position), static_cast<size_t>(index), stored);
    m_changed[static_cast<size_t>(index)] = true;
}

void Recordset::AddNew()
{
    requireOpen();
    if (m_lockType == adLockReadOnly || !m_plan.addsRows(*m_connection))
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
    const Row row = m_rows[static_cast<size_t>(m_position)];
    if (m_editMode == adEditAdd) {
        takeReadBack(m_connection->insertRow(m_plan.insert(*m_connection, m_changed, row)));
    } else if (std::find(m_changed.begin(), m_changed.end(), true) != m_changed.end()) {
        updateRow(row);
    }
    m_editMode = adEditNone;
}

// The row changes only where its condition finds exactly one row. Inside the caller's transaction the
// statement itself counts the rows; otherwise it runs in a transaction of its own, undone when it changed
// another number of rows. That way every engine takes it where it can, the Access engine among them, which
// refuses a counting subquery in an UPDATE.
void Recordset::updateRow(const Row& row)
{
    const bool own = !m_connection->inTransaction();
    const EditPlan::Statement update =
        m_plan.update(*m_connection, m_changed, row, m_original, m_filledUnknown.count(m_position) > 0, !own);
    if (own)
        m_connection->BeginTrans();
    long changed = 0;
    try {
        changed = m_connection->run(update.sql, update.parameters).rowsAffected;
    } catch (...) {
        if (own)
            rollBackQuietly();
        throw;
    }
    if (changed != 1) {
        if (own)
            rollBackQuietly();
        raise(RunTimeError::RowNotFound, kSource);
    }
    if (own)
        m_connection->CommitTrans();
}

// Undoes the set's own transaction on the way out of a failure, which stays the error to report, in the
// connection's Errors too: a connection lost meanwhile has ended the transaction by itself.
void Recordset::rollBackQuietly()
{
    const Errors failure = m_connection->Errors();
    try {
        m_connection->RollbackTrans();
    } catch (...) {
        m_connection->Errors() = failure;
    }
}

void Recordset::takeReadBack(const ResultSet& readBack)
{
    const std::vector<size_t>& fields = m_plan.readBack();
    if (fields.empty() || readBack.rows.size() != 1 || readBack.columns.size() != fields.size()) {
        m_filledUnknown.insert(m_position);
        return;
    }
    for (size_t i = 0; i < fields.size(); ++i)
        m_rows.set(static_cast<size_t>(m_position), fields[i], readBack.rows[0][i]);
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

} // namespace ado
