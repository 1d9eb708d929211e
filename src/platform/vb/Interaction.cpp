#include "platform/vb/Interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace vb {

namespace {

// How long events from outside the program may wait for the next DoEvents that fetches them.
constexpr qint64 kRondaSistema = 5;

} // namespace

// Events the program posted to itself (repaints, queued calls) run on every call. Fetching the system's
// events (input, timers, sockets) takes a call into the kernel; loops that call DoEvents for every line
// or statement they handle do so tens of thousands of times a second, so that happens at most every
// kRondaSistema milliseconds, which no one at the screen can tell apart.
void DoEvents()
{
    static QElapsedTimer ultimaRonda;
    if (ultimaRonda.isValid() && !ultimaRonda.hasExpired(kRondaSistema)) {
        QCoreApplication::sendPostedEvents();
        return;
    }
    QCoreApplication::processEvents();
    ultimaRonda.start();
}

void Sleep(unsigned long milliseconds)
{
    QThread::msleep(milliseconds);
}

QString Environ(const QString& name)
{
    return qEnvironmentVariable(name.toLocal8Bit().constData());
}

} // namespace vb
