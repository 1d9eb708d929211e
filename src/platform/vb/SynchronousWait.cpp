#include "platform/vb/SynchronousWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace vb {
namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    default:
        return false;
    }
}

} // namespace

SynchronousWait::SynchronousWait()
{
    QCoreApplication::instance()->installEventFilter(this);
}

SynchronousWait::~SynchronousWait()
{
    QCoreApplication::instance()->removeEventFilter(this);
    // Queued, so the window closes after the call that waited has returned, not in the middle of it.
    for (const QPointer<QWindow>& window : std::as_const(m_closes))
        if (window)
            QMetaObject::invokeMethod(
                window, [window]() { window->close(); }, Qt::QueuedConnection);
}

void SynchronousWait::exec()
{
    // Input already queued by the system is taken, and dropped, inside the loop like the rest.
    if (!m_quit)
        m_loop.exec();
}

void SynchronousWait::quit()
{
    m_quit = true;
    m_loop.quit();
}

bool SynchronousWait::eventFilter(QObject* watched, QEvent* event)
{
    if (!event->spontaneous() && event->type() != QEvent::Shortcut)
        return false;
    if (event->type() == QEvent::Close && watched->isWindowType()) {
        auto* window = static_cast<QWindow*>(watched);
        if (!m_closes.contains(window))
            m_closes.append(window);
        event->ignore();
        return true;
    }
    return isUserInput(event->type());
}

} // namespace vb
