// Slows the window thread while it lives, as a sanitizer build does: each queued call it runs (among them the
// network thread's hand-over of every piece a reply receives) takes a millisecond longer.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

namespace kembtest {

class SlowWindowThread : public QObject {
public:
    SlowWindowThread() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            QThread::usleep(1000);
        return false;
    }
};

} // namespace kembtest
