#include "platform/vb/Application.h"

#include "platform/vb/Constants.h"
#include "platform/vb/Error.h"
#include "platform/vb/MsgBox.h"

namespace vb {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    installEventFilter(&m_enter);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // An exception must not leave an event handler into Qt, which cannot unwind through its own frames.
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error& error) {
        ShowUnhandledError(error);
        return true;
    }
}

void Application::ShowUnhandledError(const Error& error)
{
    MsgBox(QStringLiteral("Se ha producido el error '%1' en tiempo de ejecución:\r\n\r\n%2")
               .arg(error.Number())
               .arg(error.Description()),
           vbCritical);
}

} // namespace vb
