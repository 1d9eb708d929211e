#include "platform/ado/ErrorNumbers.h"

#include "platform/vb/Error.h"

#include <algorithm>
#include <array>

namespace ado {
namespace {

struct RunTimeText {
    RunTimeError error;
    const char* description;
};

constexpr std::array kRunTimeTexts{
    RunTimeText{RunTimeError::NotAllowedInContext, "No se permite realizar esta operación en este contexto."},
    RunTimeText{RunTimeError::ItemNotFound,
                "No se encontró el elemento en la colección que corresponde con el nombre o el ordinal solicitado."},
    RunTimeText{RunTimeError::NoCurrentRecord, "BOF o EOF es True, o el actual registro se eliminó; la operación "
                                               "solicitada requiere un registro actual."},
    RunTimeText{RunTimeError::NotUpdatable, "El conjunto de registros actual no admite actualizaciones."},
    RunTimeText{RunTimeError::ObjectClosed, "No se permite realizar esta operación si el objeto está cerrado."},
    RunTimeText{RunTimeError::ObjectOpen, "No se permite realizar esta operación si el objeto está abierto."},
    RunTimeText{RunTimeError::ConnectionUnusable, "No se puede usar la conexión para realizar esta operación. Está "
                                                  "cerrada o no es válida en este contexto."},
    RunTimeText{RunTimeError::RowNotFound, "No se encuentra la fila para actualizar. Algunos valores pueden haber "
                                           "cambiado desde la última lectura."},
};

// A SQLSTATE prefix and the number ADO reports for it; the longest matching prefix wins, and a state
// of no listed class is a rejected statement.
struct StateNumber {
    const char* prefix;
    long number;
};

constexpr long kGeneralFailure = -2147467259;     // 0x80004005: connection failures; callers reconnect on it
constexpr long kStatementError = -2147217900;     // 0x80040E14: syntax errors and rejected statements
constexpr long kMissingObject = -2147217865;      // 0x80040E37: table or view not found
constexpr long kIntegrityViolation = -2147217873; // 0x80040E2F
constexpr long kTruncation = -2147217833;         // 0x80040E57
constexpr long kConversion = -2147217913;         // 0x80040E07
constexpr long kLoginFailed = -2147217843;        // 0x80040E4D
constexpr long kTimeout = -2147217871;            // 0x80040E31

constexpr std::array kStateNumbers{
    StateNumber{"01", 0},
    StateNumber{"08", kGeneralFailure},
    StateNumber{"57P0", kGeneralFailure}, // PostgreSQL ended the session (shutdown, pg_terminate_backend)
    StateNumber{"HYT00", kTimeout},
    StateNumber{"HYT01", kTimeout},
    StateNumber{"22", kConversion},
    StateNumber{"22001", kTruncation},
    StateNumber{"23", kIntegrityViolation},
    StateNumber{"28", kLoginFailed},
    StateNumber{"37", kStatementError},
    StateNumber{"42", kStatementError},
    StateNumber{"42S02", kMissingObject},
    StateNumber{"42S22", kMissingObject},
    StateNumber{"42P01", kMissingObject},
};

// Native codes that the drivers in use give only for a connection that is gone, whatever state they
// report with it: FreeTDS's failed read, failed write and dead connection, and the network's reset of a
// SQL Server connection.
constexpr std::array kConnectionLostNatives{20004L, 20006L, 20047L, 10053L, 10054L};

} // namespace

void raise(RunTimeError error, const QString& source)
{
    for (const RunTimeText& t : kRunTimeTexts)
        if (t.error == error)
            throw vb::Error(static_cast<long>(error), QString::fromUtf8(t.description), source);
    throw vb::Error(static_cast<long>(error), QString(), source);
}

long numberForSqlState(const QString& sqlState, long nativeError, bool connecting)
{
    long number = kStatementError;
    qsizetype matched = 0;
    for (const StateNumber& s : kStateNumbers) {
        const QLatin1String prefix(s.prefix);
        if (prefix.size() > matched && sqlState.startsWith(prefix, Qt::CaseInsensitive)) {
            number = s.number;
            matched = prefix.size();
        }
    }
    if (number == 0 || number == kLoginFailed)
        return number;
    if (connecting || std::find(kConnectionLostNatives.begin(), kConnectionLostNatives.end(), nativeError) !=
                          kConnectionLostNatives.end())
        return kGeneralFailure;
    return number;
}

} // namespace ado
