// The close a user asks for through the window manager (the title bar's button, Alt+F4). Qt gets it from the window
// system and hands it to the widget's QWindow as a spontaneous close event, unlike the program's own close(),
// which goes through QWindow::close; this sends that event the same way QTest sends its key events.
#pragma once

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

namespace kembtest {

inline void closeAsTheUser(QWidget& window)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(window.windowHandle(), &close);
}

} // namespace kembtest
