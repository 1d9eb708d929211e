#include "platform/dorvik/ClsControles.h"

#include <QApplication>
#include <QVariant>

namespace {

constexpr int kEnter = 13;
const char* const kTag = "Tag";

} // namespace

bool ClsControles::EvaluarTecla(int KeyCode) const
{
    return KeyCode == kEnter;
}

void ClsControles::ProcesarTecla(int& KeyCode) const
{
    if (KeyCode != kEnter)
        return;
    if (QWidget* actual = QApplication::focusWidget()) {
        QWidget* siguiente = actual->nextInFocusChain();
        while (siguiente != actual && !(siguiente->isVisible() && siguiente->isEnabled() &&
                                        (siguiente->focusPolicy() & Qt::TabFocus) == Qt::TabFocus))
            siguiente = siguiente->nextInFocusChain();
        siguiente->setFocus(Qt::TabFocusReason);
    }
    KeyCode = 0;
}

void ClsControles::setTag(QWidget* control, const QString& tag)
{
    control->setProperty(kTag, tag);
}

QString ClsControles::etiqueta(const QWidget* control)
{
    return control->property(kTag).toString();
}
