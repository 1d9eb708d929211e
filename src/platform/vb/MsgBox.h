// Message and input boxes with the run-time's signatures and button values.
#pragma once

#include "platform/vb/Constants.h"

#include <QString>

namespace vb {

// An empty title shows the program's name, as the run-time does.
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());
QString InputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString());

} // namespace vb
