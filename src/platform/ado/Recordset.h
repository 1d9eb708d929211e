// ADO's Recordset with a client cursor: the rows are read when it opens; AddNew and field changes are
// written to the base table (the first table after FROM) by Update.
#pragma once

#include "platform/ado/Field.h"
#include "platform/ado/ResultSet.h"
#include "platform/ado/Session.h"

#include <QString>
#include <QStringList>
#include <memory>

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
    void requireCurrent() const;
    // Raises 3704 when closed, 3265 otherwise.
    [[noreturn]] void noSuchField() const;
    void finishEdit();
    // A statement of a change and the values of its markers.
    struct Statement {
        QString sql;
        std::vector<Parameter> parameters;
    };
    Parameter parameter(size_t column, const vb::Variant& value) const;
    Statement insertStatement() const;
    // The positions of the base table's key columns, when the record set holds them all with values.
    std::vector<size_t> keyColumns();
    // What finds the row as it was read: its key when `key` names one, else every value that compares.
    Statement rowCondition(const std::vector<size_t>& key) const;
    void updateRow();

    std::shared_ptr<Connection> m_connection;
    bool m_open = false;
    std::vector<Column> m_columns;
    Rows m_rows;
    long m_position = 0;
    long m_cursorType = adOpenForwardOnly;
    long m_lockType = adLockReadOnly;
    QString m_baseTable;
    long m_editMode = adEditNone;
    Row m_original;
    std::vector<bool> m_changed;
    long m_positionBeforeAdd = 0;
    QString m_keyTable; // the table whose key m_keyNames holds
    QStringList m_keyNames;
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
