// The run-time's application object: delivers every event as the run-time does, so a run-time error that no
// handler caught is shown in the run-time's error box and the program goes on, and Enter clicks the focused
// button in every window.
#pragma once

#include "platform/vb/EnterClicksButton.h"

#include <QApplication>

namespace vb {

class Error;

class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The run-time's box for an error that reached no handler of the program.
    static void ShowUnhandledError(const Error& error);

private:
    EnterClicksButton m_enter;
};

} // namespace vb
