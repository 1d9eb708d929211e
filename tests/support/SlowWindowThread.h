// Slows the window thread while it lives, as a sanitizer build does: each queued call it runs (among them the
// network thread's hand-over of every piece a reply receives) takes a millisecond longer. Should the memory grow
// past `cap` meanwhile, every request of the program's network manager is stopped, so that a bound that fails
// fails its test without taking the machine's memory.
#pragma once

#include "platform/net/Network.h"
#include "support/MemoryGrowth.h"

#include <QCoreApplication>
#include <QEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QThread>

namespace kembtest {

class SlowWindowThread : public QObject {
public:
    explicit SlowWindowThread(qint64 cap) : m_start(residentBytes()), m_cap(cap)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MetaCall)
            return false;
        if (residentBytes() - m_start > m_cap) {
            for (QNetworkReply* reply : net::manager().findChildren<QNetworkReply*>())
                reply->abort();
            return false;
        }
        QThread::usleep(1000);
        return false;
    }

private:
    qint64 m_start;
    qint64 m_cap;
};

} // namespace kembtest
