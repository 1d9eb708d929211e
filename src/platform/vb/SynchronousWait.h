// The wait of a synchronous call (a request, a command) as the run-time makes it: windows keep painting and
// timers and sockets run, but no user input reaches the windows that were shown when the wait began, and none is
// kept to be acted on later. A window or box opened meanwhile (by a timer, or the run-time's error box) takes input
// as usual, and the program's own closes take effect at once. A user's close of a window that was waiting is not
// lost: it is carried out once the handler that waited has returned to its event loop.
#pragma once

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace vb {

class SynchronousWait : public QObject {
public:
    SynchronousWait();
    ~SynchronousWait() override;
    SynchronousWait(const SynchronousWait&) = delete;
    SynchronousWait& operator=(const SynchronousWait&) = delete;

    // Runs events until quit() is called; returns at once when it already was.
    void exec();
    void quit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool waitsFor(const QWindow* window) const;
    bool holdsClose(QObject* watched, QEvent* event);
    void hold(QWidget* window);

    QEventLoop m_loop;
    bool m_quit = false;
    QList<QPointer<QWindow>> m_waiting;
    QList<QPointer<QWidget>> m_closes;
};

} // namespace vb
