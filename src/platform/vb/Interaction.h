// Event pumping, waiting and the environment, as the run-time offers them.
#pragma once

#include <QString>

namespace vb {

// Lets pending window events run once.
void DoEvents();
// Blocks the thread for the given milliseconds (the Windows Sleep).
void Sleep(unsigned long milliseconds);
// The value of an environment variable, "" when unset.
QString Environ(const QString& name);

} // namespace vb
