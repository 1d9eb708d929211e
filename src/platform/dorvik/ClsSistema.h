// System services of the suite's utility library: the temporary folder and opening documents.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class ClsSistema {
public:
    QString CarpetaTemporal() const;
    // Opens a file or web address with its associated program and returns at once.
    QVariant AbrirDocumento(long hwnd, const QString& operacion, const QString& archivo, const QString& parametros,
                            const QString& carpeta, int mostrar) const;

    // Tests see what would be opened instead of starting a program.
    using Abridor = std::function<bool(const QString&)>;
    static void setAbridor(Abridor abridor);
};
