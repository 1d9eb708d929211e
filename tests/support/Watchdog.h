// A time limit for a test that could block in a modal loop: once it runs out the test fails and every window shown
// since the limit was set is hidden, again every tenth of a second. Hiding ends the loop of a box or dialog through
// no close event, which nothing can hold back, so a test that would block reports its failure instead.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace kembtest {

class Watchdog {
public:
    explicit Watchdog(int timeoutMs)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                m_before.append(w);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() { fire(); });
        m_timer.start(timeoutMs);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool fired() const { return m_fired; }

private:
    void fire()
    {
        if (!m_fired)
            ADD_FAILURE() << "the time limit ran out: a loop was left blocked";
        m_fired = true;
        m_timer.setInterval(100);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !m_before.contains(w))
                w->hide();
    }

    QTimer m_timer;
    QList<QPointer<QWidget>> m_before;
    bool m_fired = false;
};

} // namespace kembtest
