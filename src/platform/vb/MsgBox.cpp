#include "platform/vb/MsgBox.h"

#include "platform/vb/App.h"
#include "platform/vb/Operator.h"

namespace vb {

int MsgBox(const QString& prompt, int buttons, const QString& title)
{
    return currentOperator().msgBox(prompt, buttons, title.isEmpty() ? App::EXEName() : title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return currentOperator().inputBox(prompt, title.isEmpty() ? App::EXEName() : title, defaultText);
}

} // namespace vb
