// Text, value and path services of the suite's utility library, and its standard error-action question.
#pragma once

#include "platform/vb/Currency.h"
#include "platform/vb/Error.h"
#include "platform/vb/Variant.h"

#include <QString>

class QWidget;

class ClsUtilidades {
public:
    // A display form of the text of at most `largo` characters ("..." marks a cut).
    QString AcortarTexto(const QString& texto, int largo) const;
    // The number of the text in the user's locale (or with "." as decimal point); blank gives 0.
    vb::Currency TextoANumero(const QString& texto) const;
    long TextoAEntero(const QString& texto) const;
    // Splits a path: `carpeta` gets the folder part (with its trailing separator), the rest are filled too.
    void SepararRuta(const QString& ruta, QString& unidad, QString& carpeta, QString& archivo, QString& extension) const;
    // A field value never Null: "" for Null text, 0 for Null numbers.
    vb::Variant ValorCampo(const vb::Variant& valor, bool numerico = false) const;
    long ContarPalabras(const QString& texto) const;
    QString QuitarCaracteres(const QString& texto, const QString& c1, const QString& c2,
                             const QString& c3 = QString()) const;
    QString Reemplazar(const QString& texto, const QString& que, const QString& porQue) const;
    void ConfigurarFormulario(QWidget* ventana, bool flag) const;
    QString AlinearDerecha(const QString& texto, int ancho) const;
    // Asks the operator with an Abort/Retry/Ignore box; answers 4 (retry), 5 (continue) or 3 (leave).
    int ManejarError(const vb::Error& error, const QString& rutina = QString(), const QString& extra = QString()) const;
    // Reversible, and free of commas, double quotes and line breaks.
    QString Codificar(const QString& texto) const;
    QString Decodificar(const QString& texto) const;
    // The path ending in exactly one separator.
    QString AgregarBarra(const QString& ruta) const;
    QString ReemplazarTexto(const QString& texto, const QString& que, const QString& porQue) const;
};
