// The pieces the lookup windows' F5 filters add to a statement: the LIKE comparison of the typed text and
// the head whose own condition the new one must narrow as a whole.
#pragma once

#include <QString>

namespace CondicionConsulta {

// The head with the condition after its WHERE (the one outside parentheses and quoted text) put in
// parentheses, so that a condition joined with " and " narrows all of it, an OR included. A head without
// such a WHERE comes back unchanged.
QString EncerrarCondicion(const QString& cabeza);

// " like '" + the pattern + "' ", quotes doubled. % and _ stay wildcards; a backslash is matched as
// itself on every engine (PostgreSQL takes it as the escape character unless told otherwise), so a
// pattern that holds one gets its backslashes doubled and an explicit ESCAPE clause.
QString Like(const QString& patron);

} // namespace CondicionConsulta
