// The database's own command-line client (sqlite3, psql), to read back what the layer wrote without
// going through it.
#pragma once

#include "support/TestDatabase.h"

#include <QStringList>

namespace kembtest {

// The rows `sql` gives, each as its values joined by "|"; NULL reads as an empty value. A client that
// fails fails the test.
QStringList clientRows(const TestDatabase& db, const QString& sql);

} // namespace kembtest
