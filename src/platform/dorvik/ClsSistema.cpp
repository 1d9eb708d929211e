#include "platform/dorvik/ClsSistema.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

ClsSistema::Abridor& abridor()
{
    static ClsSistema::Abridor instalado;
    return instalado;
}

QUrl direccion(const QString& archivo)
{
    QString limpio = archivo.trimmed();
    limpio.remove(QLatin1Char('"'));
    const QUrl url(limpio, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(limpio);
}

} // namespace

QString ClsSistema::CarpetaTemporal() const
{
    return QDir::toNativeSeparators(QDir::tempPath());
}

QVariant ClsSistema::AbrirDocumento(long, const QString&, const QString& archivo, const QString&, const QString&,
                                    int) const
{
    if (abridor())
        return abridor()(archivo);
    // The desktop opens the document in a program of its own; nothing here waits for it.
    return QDesktopServices::openUrl(direccion(archivo));
}

void ClsSistema::setAbridor(Abridor nuevo)
{
    abridor() = std::move(nuevo);
}
