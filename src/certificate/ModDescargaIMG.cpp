#include "certificate/ModDescargaIMG.h"

#include "certificate/ClsBorraCache.h"
#include "global/ModGlobal.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/net/Site.h"
#include "platform/net/UrlCache.h"
#include "platform/net/UrlDownload.h"
#include "platform/vb/App.h"
#include "platform/vb/Strings.h"
#include "platform/vb/TextLines.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <memory>

namespace ModDescargaIMG {
namespace {

std::unique_ptr<ClsBorraCache> BorraCache;
net::UrlCacheEntryHead EntradaCache;
quint32 TamanoEntrada = 0;

constexpr int kReiniciosMaximos = 3;

QString direccionSitio(const QString& carpetaSitio)
{
    return net::Site::baseUrl() + QStringLiteral("/imgpublicidad/") + carpetaSitio + QLatin1Char('/');
}

// Copies the head of the entry in the block and deletes the entry when its address is the site's.
void tratarEntrada()
{
    BorraCache->LeerDe(std::as_writable_bytes(std::span(&EntradaCache, 1)), sizeof(EntradaCache));
    if (EntradaCache.lpszSourceUrlName == 0)
        return;
    const QString direccion = BorraCache->ExtraerUrlCache(BorraCache->Handle() + EntradaCache.lpszSourceUrlName,
                                                          static_cast<qint32>(TamanoEntrada));
    if (vb::InStr(direccion, net::Site::baseUrl(), vb::Compare::Text) > 0)
        net::DeleteUrlCacheEntry(direccion);
}

bool esImagen(const QString& nombre)
{
    const QString tres = vb::Right(nombre, 3).toUpper();
    return tres == QLatin1String("PNG") || tres == QLatin1String("JPG") || tres == QLatin1String("GIF") ||
           vb::Right(nombre, 4).toUpper() == QLatin1String("JPEG");
}

// The list arrives over plain http: a line that is not a bare file name ("..", or one holding a path
// separator or a drive colon) would delete and write files outside the picture folder, so it is passed over.
bool esNombreSimple(const QString& nombre)
{
    static const QRegularExpression separadores(QStringLiteral("[/\\\\:]"));
    return nombre != QLatin1String(".") && nombre != QLatin1String("..") && !nombre.contains(separadores);
}

// The folder's ordinary files in name order, as the Windows file system lists a folder, so the rotation
// runs in the same order everywhere.
QStringList archivos(const QString& carpeta)
{
    return QDir(carpeta).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace

void DescargarImagenes(const QString& CarpetaImagenes, bool& Fallo, const QString& CarpetaSitio)
{
    ClsUtilidades& funciones = ModGlobal::gFunciones();
    const QString sitio = direccionSitio(CarpetaSitio.isEmpty() ? vb::App::EXEName() : CarpetaSitio);
    const QString archivoLista = funciones.AgregarBarra(vb::App::Path()) + QStringLiteral("listaimagenes_web.txt");

    BorraCache = std::make_unique<ClsBorraCache>();
    BorrarCacheWeb();
    if (ModGlobal::ExisteArchivo(archivoLista))
        QFile::remove(archivoLista);
    if (net::URLDownloadToFile(sitio + QStringLiteral("lista.txt"), archivoLista) != net::kS_OK) {
        Fallo = true;
        return;
    }
    for (const QString& linea : vb::ReadTextLines(archivoLista)) {
        if (linea.isEmpty() || !esNombreSimple(linea))
            continue;
        const QString imagen = funciones.AgregarBarra(CarpetaImagenes) + linea;
        if (ModGlobal::ExisteArchivo(imagen))
            QFile::remove(imagen);
        net::URLDownloadToFile(sitio + linea, imagen);
    }
}

void BorrarCacheWeb()
{
    if (!BorraCache)
        BorraCache = std::make_unique<ClsBorraCache>();
    TamanoEntrada = 0;
    net::FindFirstUrlCacheEntry({}, TamanoEntrada);
    if (TamanoEntrada == 0)
        return;
    BorraCache->Allocate(static_cast<qint32>(TamanoEntrada));
    const net::UrlCacheHandle enumeracion = net::FindFirstUrlCacheEntry(BorraCache->Bloque(), TamanoEntrada);
    tratarEntrada();
    while (enumeracion != 0) {
        TamanoEntrada = 0;
        net::FindNextUrlCacheEntry(enumeracion, {}, TamanoEntrada);
        if (TamanoEntrada < 1)
            break;
        BorraCache->Allocate(static_cast<qint32>(TamanoEntrada));
        net::FindNextUrlCacheEntry(enumeracion, BorraCache->Bloque(), TamanoEntrada);
        tratarEntrada();
    }
    net::FindCloseUrlCache(enumeracion);
}

void MostrarImagenSiguiente(QLabel* Imagen, const QString& CarpetaImagenes)
{
    const QString carpeta = ModGlobal::gFunciones().AgregarBarra(CarpetaImagenes);
    for (int reinicios = 0; reinicios <= kReiniciosMaximos; ++reinicios) {
        if (IndiceImagen.isEmpty())
            IndiceImagen = QStringLiteral("1");
        const double buscado = ModGlobal::gFunciones().TextoANumero(IndiceImagen).toDouble();
        int j = 0;
        for (const QString& nombre : archivos(carpeta)) {
            if (!esImagen(nombre) || ++j != buscado)
                continue;
            const QPixmap imagen(carpeta + nombre);
            if (!imagen.isNull())
                Imagen->setPixmap(imagen);
            IndiceImagen = QString::number(j + 1);
            return;
        }
        IndiceImagen = QStringLiteral("1");
    }
}

} // namespace ModDescargaIMG
