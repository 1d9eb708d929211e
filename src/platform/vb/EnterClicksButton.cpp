#include "platform/vb/EnterClicksButton.h"

#include <QKeyEvent>
#include <QPushButton>

namespace vb {

namespace {

bool isPlainEnter(const QKeyEvent& key)
{
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    return enter && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

bool EnterClicksButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !button->isEnabled() || !isPlainEnter(*static_cast<QKeyEvent*>(event)))
        return false;
    button->click();
    return true;
}

} // namespace vb
