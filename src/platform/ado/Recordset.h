// ADO's Recordset with a client cursor: the rows are read when it opens; AddNew and field changes are
// written by Update as the set's EditPlan says: to the one table the changed fields come from, or not at all.
#pragma once

#include "platform/ado/EditPlan.h"
#include "platform/ado/Field.h"
#include "platform/ado/ResultSet.h"
#include "platform/ado/Session.h"

#include <QString>
#include <memory>
#include <set>

namespace ado {

class Connection;

enum CursorTypeEnum : long {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum : long {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum CommandTypeEnum : long { adCmdUnspecified = -1, adCmdText = 1, adCmdTable = 2, adCmdTableDirect = 512 };
enum EditModeEnum : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };

class Recordset {
public:
    Recordset() = default;
    Recordset(Recordset&&) noexcept = default;
    Recordset& operator=(Recordset&&) noexcept = default;

    // Raises 3705 when already open and 3709 when the connection is missing or closed.
    void Open(const QString& source, const std::shared_ptr<Connection>& activeConnection,
              long cursorType = adOpenUnspecified, long lockType = adLockUnspecified, long options = adCmdUnspecified);
    // Raises 3704 when closed and 3219 while an edit is pending.
    void Close();
    long State() const;

    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    long RecordCount() const;

    int FieldCount() const;
    // Raise 3265 for an index or name that is not a field.
    Field Fields(int index);
    Field Fields(const QString& name);

    void AddNew();
    void Update();
    void CancelUpdate();
    long EditMode() const { return m_editMode; }
    // Kept between opens, as ADO keeps them: an Open that leaves them unspecified uses these.
    // Raise 3705 while open.
    long CursorType() const { return m_cursorType; }
    void setCursorType(long value);
    long LockType() const { return m_lockType; }
    void setLockType(long value);

    // Used by Connection and Field.
    void openOn(std::shared_ptr<Connection> connection, const QString& sql, ResultSet result, long lockType);
    const Column& column(int index) const;
    vb::Variant value(int index) const;
    void setValue(int index, const vb::Variant& value);

private:
    void requireOpen() const;
    void requireRows() const;
    void requireCurrent() const;
    // Raises 3704 when closed, 3265 otherwise.
    [[noreturn]] void noSuchField() const;
    void finishEdit();
    // Puts into the new row what the engine made of it, where the insert read it back.
    void takeReadBack(const ResultSet& readBack);
    void updateRow(const Row& row);
    void rollBackQuietly();

    std::shared_ptr<Connection> m_connection;
    bool m_open = false;
    std::vector<Column> m_columns;
    Rows m_rows;
    long m_position = 0;
    long m_cursorType = adOpenForwardOnly;
    long m_lockType = adLockReadOnly;
    EditPlan m_plan;
    long m_editMode = adEditNone;
    Row m_original;
    std::vector<bool> m_changed;
    long m_positionBeforeAdd = 0;
    std::set<long> m_filledUnknown; // rows added whose values the engine filled in are not known
};

// Fields and values are asked for every field of every row read: inline, with the errors out of line.
inline Field Recordset::Fields(int index)
{
    if (!m_open || index < 0 || index >= static_cast<int>(m_columns.size()))
        noSuchField();
    return Field(*this, index);
}

inline vb::Variant Recordset::value(int index) const
{
    if (!m_open || m_position < 0 || m_position >= static_cast<long>(m_rows.size()))
        requireCurrent();
    return m_rows[static_cast<size_t>(m_position)].at(static_cast<size_t>(index));
}

inline vb::Variant Field::Value() const
{
    return m_recordset->value(m_index);
}

} // namespace ado
