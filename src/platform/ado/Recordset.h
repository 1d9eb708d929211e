// ADO's Recordset with a client cursor: the rows are read when it opens; AddNew and field changes are
// written by Update to the one table the changed fields come from, as the driver names it.
#pragma once

#include "platform/ado/Field.h"
#include "platform/ado/ResultSet.h"
#include "platform/ado/Session.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

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
    // A statement of a change and the values of its markers.
    struct Statement {
        QString sql;
        std::vector<Parameter> parameters;
    };
    Parameter parameter(size_t column, const vb::Variant& value) const;
    // Where each field comes from, asked of the driver at the first edit. A driver that names no table at
    // all leaves the table after FROM, for a statement that reads that one table alone.
    const std::vector<ColumnOrigin>& origins();
    // The one table the changed fields (for a new row without any, the fields) come from; raises 3251 when
    // they come from more than one, or from none the driver can name.
    ColumnOrigin editedTable();
    bool belongsTo(size_t column, const ColumnOrigin& table);
    // A column's or table's name as a statement writes it.
    QString columnName(size_t column);
    QString tableName(const ColumnOrigin& table);
    Statement insertStatement(const ColumnOrigin& table);
    // The positions of the table's key columns, when the record set holds them all with values.
    std::vector<size_t> keyColumns(const ColumnOrigin& table);
    // The table's columns and their ADO types, as the driver lists them (asked once).
    const std::vector<std::pair<QString, int>>& tableColumns(const ColumnOrigin& table);
    // Raises 3251 when a changed field names no column of the table: a driver that gives a field's label
    // for its base column (SQLite's, for an alias) cannot say where the field is written.
    void requireChangedColumnsOf(const ColumnOrigin& table);
    // Raises 3251 when the table has a column that compares but is not in the record set: without a key,
    // the row would not be told from others that differ only there.
    void requireEveryComparableColumn(const ColumnOrigin& table);
    // What finds the row as it was read: its key when `key` names one, else every value that compares.
    Statement rowCondition(const ColumnOrigin& table, const std::vector<size_t>& key);
    void updateRow(const ColumnOrigin& table);

    std::shared_ptr<Connection> m_connection;
    bool m_open = false;
    std::vector<Column> m_columns;
    Rows m_rows;
    long m_position = 0;
    long m_cursorType = adOpenForwardOnly;
    long m_lockType = adLockReadOnly;
    QString m_sql;
    QString m_tableAfterFrom; // of a statement that reads one table alone
    std::optional<std::vector<ColumnOrigin>> m_origins;
    bool m_namedByDriver = false;
    QString m_quote;
    QString m_tableColumnsOf; // the table whose columns m_tableColumns holds
    std::vector<std::pair<QString, int>> m_tableColumns;
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
