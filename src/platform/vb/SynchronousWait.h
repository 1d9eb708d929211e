// The wait of a synchronous call (a request, a command) as the run-time makes it: windows keep painting and
// timers and sockets run, but no user input reaches any window, and none is kept to be acted on later. A close
// of a window asked for meanwhile is not lost: it is carried out once control is back in the event loop.
#pragma once

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QPointer>

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
    QEventLoop m_loop;
    bool m_quit = false;
    QList<QPointer<QWindow>> m_closes;
};

} // namespace vb
