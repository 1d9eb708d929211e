#include "platform/vb/Interaction.h"

#include <QCoreApplication>
#include <QThread>

namespace vb {

void DoEvents()
{
    QCoreApplication::processEvents();
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
