// Drives a modal window while its exec() runs: a timer waits for the window to show, then acts on it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace kembtest {

// Calls `action` with the first visible top-level window of type T once it is shown (within `timeoutMs`).
// Queue this before the call that shows the window.
template <class T>
void whenShown(std::function<void(T*)> action, int timeoutMs = 10000)
{
    auto timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, action, timeoutMs]() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(t);
                return;
            }
        }
        *waited += 10;
        if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

} // namespace kembtest
