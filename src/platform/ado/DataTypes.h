// ADO's data-type codes and their translation from ODBC's SQL types.
#pragma once

#include "platform/vb/Variant.h"

namespace ado {

enum DataTypeEnum : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adUnsignedTinyInt = 17,
    adBigInt = 20,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

int adoTypeFromSql(int sqlType);
// The DefinedSize ADO reports: the column size for text and binary, the storage size for the others.
long definedSizeFor(int adoType, long columnSize);
// What a field of this type holds once `value` is assigned to it, as the run-time converts: a number with a
// fraction goes into an integer field rounded half to even, and raises 6 (overflow) beyond the field's range.
// Whole numbers and values of other kinds stay as given: the engine's column may hold more than its type says.
vb::Variant assignedTo(int adoType, const vb::Variant& value);

} // namespace ado
