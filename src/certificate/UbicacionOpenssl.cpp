#include "certificate/UbicacionOpenssl.h"

#include "global/ModGlobal.h"
#include "platform/dorvik/ClsUtilidades.h"

#include <QDir>

namespace UbicacionOpenssl {

QString Ejecutable()
{
#ifdef Q_OS_WIN
    return QStringLiteral("openssl.exe");
#else
    return QStringLiteral("openssl");
#endif
}

QString CarpetaPredeterminada()
{
#ifdef Q_OS_WIN
    const QString raiz = QStringLiteral("C:\\");
#else
    const QString raiz = QDir::homePath();
#endif
    return ModGlobal::gFunciones().AgregarBarra(raiz) + QStringLiteral("OpenSSL") + QDir::separator() +
           QStringLiteral("bin");
}

} // namespace UbicacionOpenssl
