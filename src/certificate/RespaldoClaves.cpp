#include "certificate/RespaldoClaves.h"

#include "platform/vb/Error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

// A dangling link is a file in the folder too: it is moved and put back like any other.
bool existe(const QString& ruta)
{
    return QFileInfo::exists(ruta) || QFileInfo(ruta).isSymLink();
}

} // namespace

RespaldoClaves::RespaldoClaves(QString carpeta)
{
    m_archivos[0].ruta = carpeta + QStringLiteral("privada.key");
    m_archivos[1].ruta = carpeta + QStringLiteral("clave.csr");
}

RespaldoClaves::~RespaldoClaves()
{
    if (!m_confirmado)
        restaurar();
}

void RespaldoClaves::Respaldar()
{
    const QString sello = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (Archivo& archivo : m_archivos) {
        if (archivo.estado == Estado::Ausente || archivo.estado == Estado::Respaldado)
            continue;
        if (!existe(archivo.ruta)) {
            archivo.estado = Estado::Ausente;
            continue;
        }
        const QString base = archivo.ruta + QLatin1Char('.') + sello;
        QString respaldo = base + QStringLiteral(".bak");
        for (int n = 2; existe(respaldo); ++n)
            respaldo = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".bak");
        // Until it is moved, the file is the user's own and no failure may remove it.
        archivo.estado = Estado::EnSuLugar;
        if (!QFile::rename(archivo.ruta, respaldo))
            throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo: ") + archivo.ruta);
        archivo.estado = Estado::Respaldado;
        archivo.respaldo = respaldo;
    }
}

void RespaldoClaves::restaurar()
{
    for (const Archivo& archivo : m_archivos) {
        if (archivo.estado != Estado::Ausente && archivo.estado != Estado::Respaldado)
            continue;
        if (existe(archivo.ruta) && !QFile::remove(archivo.ruta))
            continue;
        // Should the move back fail, the earlier file stays whole under its dated name.
        if (archivo.estado == Estado::Respaldado)
            QFile::rename(archivo.respaldo, archivo.ruta);
    }
}
