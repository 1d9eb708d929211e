#include "platform/ado/DataTypes.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace ado {

int adoTypeFromSql(int sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
        return adChar;
    case SQL_VARCHAR:
        return adVarChar;
    case SQL_LONGVARCHAR:
        return adLongVarChar;
    case SQL_WCHAR:
        return adWChar;
    case SQL_WVARCHAR:
        return adVarWChar;
    case SQL_WLONGVARCHAR:
        return adLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return adNumeric;
    case SQL_SMALLINT:
        return adSmallInt;
    case SQL_INTEGER:
        return adInteger;
    case SQL_BIGINT:
        return adBigInt;
    case SQL_TINYINT:
        return adUnsignedTinyInt;
    case SQL_REAL:
        return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return adDouble;
    case SQL_BIT:
        return adBoolean;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return adDBTimeStamp;
    case SQL_BINARY:
        return adBinary;
    case SQL_VARBINARY:
        return adVarBinary;
    case SQL_LONGVARBINARY:
        return adLongVarBinary;
    case SQL_GUID:
        return adGUID;
    default:
        return adVarWChar;
    }
}

long definedSizeFor(int adoType, long columnSize)
{
    switch (adoType) {
    case adSmallInt:
    case adBoolean:
        return 2;
    case adInteger:
    case adSingle:
        return 4;
    case adBigInt:
    case adDouble:
    case adCurrency:
    case adDate:
        return 8;
    case adUnsignedTinyInt:
        return 1;
    case adNumeric:
        return 19;
    case adDBDate:
        return 6;
    case adDBTimeStamp:
        return 16;
    case adGUID:
        return 16;
    default:
        return columnSize;
    }
}

} // namespace ado
