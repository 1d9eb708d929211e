#include "platform/vb/SynchronousWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>

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

// The top-level window an event for `receiver` belongs to, when it has one.
QWindow* topLevelWindow(QObject* receiver)
{
    if (receiver->isWidgetType())
        return static_cast<QWidget*>(receiver)->window()->windowHandle();
    if (!receiver->isWindowType())
        return nullptr;
    auto* window = static_cast<QWindow*>(receiver);
    while (window->parent())
        window = window->parent();
    return window;
}

// The waits under way in the program's thread, innermost last: a wait runs inside a handler called from the loop
// of the one before.
QList<SynchronousWait*>& activeWaits()
{
    static QList<SynchronousWait*> waits;
    return waits;
}

// Closes held by a wait, carried out when control is back in the event loop that called the handler that waited.
// That is when Qt carries out a deferred deletion, which the loops of boxes the handler opens do not.
class HeldCloses : public QObject {
public:
    // Owned by the application as well, so that closes never carried out (the program ends first) are freed.
    explicit HeldCloses(QList<QPointer<QWidget>> windows)
        : QObject(QCoreApplication::instance()), m_windows(std::move(windows))
    {
        deleteLater();
    }

protected:
    bool event(QEvent* event) override
    {
        // A window the program has closed meanwhile stays closed; one deleted is gone.
        if (event->type() == QEvent::DeferredDelete)
            for (const QPointer<QWidget>& window : std::as_const(m_windows))
                if (window && window->isVisible())
                    window->close();
        return QObject::event(event);
    }

private:
    QList<QPointer<QWidget>> m_windows;
};

} // namespace

SynchronousWait::SynchronousWait()
{
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible())
            m_waiting.append(window);
    activeWaits().append(this);
    QCoreApplication::instance()->installEventFilter(this);
}

SynchronousWait::~SynchronousWait()
{
    QCoreApplication::instance()->removeEventFilter(this);
    activeWaits().removeOne(this);
    // A wait around this one that was waiting on the window too holds its close in turn, until its own handler
    // has returned.
    QList<QPointer<QWidget>> closes;
    for (const QPointer<QWidget>& window : std::as_const(m_closes)) {
        if (!window)
            continue;
        const auto& waits = activeWaits();
        const auto outer = std::find_if(waits.crbegin(), waits.crend(), [&window](const SynchronousWait* wait) {
            return wait->waitsFor(window->windowHandle());
        });
        if (outer != waits.crend())
            (*outer)->hold(window);
        else
            closes.append(window);
    }
    if (!closes.isEmpty())
        new HeldCloses(std::move(closes));
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

bool SynchronousWait::waitsFor(const QWindow* window) const
{
    return window && std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                                 [window](const QPointer<QWindow>& waiting) { return waiting == window; });
}

void SynchronousWait::hold(QWidget* window)
{
    if (!m_closes.contains(window))
        m_closes.append(window);
}

// Qt closes a widget's window through a close event to its QWindow, which is spontaneous for the program's own
// close(), done(), accept() and reject() as for the user's; the event it then sends on to the widget tells them
// apart, being spontaneous only when the window system asked for the close, that is, the user.
bool SynchronousWait::holdsClose(QObject* watched, QEvent* event)
{
    if (!event->spontaneous() || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || !waitsFor(widget->windowHandle()))
        return false;
    hold(widget);
    event->ignore();
    return true;
}

bool SynchronousWait::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close)
        return holdsClose(watched, event);
    // The shortcut map sends its events itself, for keys that reached the window with the focus.
    const bool shortcut = event->type() == QEvent::Shortcut;
    if (!isUserInput(event->type()) || (!event->spontaneous() && !shortcut))
        return false;
    const QWindow* window = shortcut ? QGuiApplication::focusWindow() : topLevelWindow(watched);
    // Input that belongs to no window cannot come from one opened during the wait.
    return window == nullptr || waitsFor(window);
}

} // namespace vb
