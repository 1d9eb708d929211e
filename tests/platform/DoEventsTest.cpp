#include "platform/vb/Interaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// What the program posts to itself (repaints, queued calls) runs on every call, also on calls made close
// together.
TEST(DoEvents, PostedEventsRunOnEveryCall)
{
    vb::DoEvents();
    int runs = 0;
    for (int i = 1; i <= 3; ++i) {
        QMetaObject::invokeMethod(qApp, [&] { ++runs; }, Qt::QueuedConnection);
        vb::DoEvents();
        EXPECT_EQ(runs, i);
    }
}

// A timer is one of the system's events: a call made after a pause lets a due timer fire at once.
TEST(DoEvents, ACallAfterAPauseFiresADueTimer)
{
    vb::DoEvents();
    bool fired = false;
    QTimer::singleShot(1, qApp, [&] { fired = true; });
    QThread::msleep(30);
    vb::DoEvents();
    EXPECT_TRUE(fired);
}

// A loop that does nothing but call DoEvents still lets the system's events through.
TEST(DoEvents, ATightLoopOfCallsLetsATimerThrough)
{
    bool fired = false;
    QTimer::singleShot(10, qApp, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    while (!fired && !clock.hasExpired(10000))
        vb::DoEvents();
    EXPECT_TRUE(fired);
}

} // namespace
