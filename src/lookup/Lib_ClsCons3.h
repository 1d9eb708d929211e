// The entry point of the lookup windows: turns a table name or a statement into a capped SELECT, shows it
// in the list or the tree lookup window and copies the chosen values back; also small pickers over a
// list of texts or a text file.
#pragma once

#include "lookup/Coleccion.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Variant.h"

#include <QString>
#include <QStringList>

class Lib_FrmCons3;

class Lib_ClsCons3 {
public:
    // Reads the stock colours, the stock switch and the LIKE-search flag from the configuration.
    Lib_ClsCons3();
    ~Lib_ClsCons3();
    Lib_ClsCons3(const Lib_ClsCons3&) = delete;
    Lib_ClsCons3& operator=(const Lib_ClsCons3&) = delete;

    vb::Variant StkNivel1;
    vb::Variant StkNivel2;
    vb::Variant StkNivel3;
    vb::Variant StkNivel4;
    QString MuestraStock;
    // Created empty; the lookup uses the collection passed to ConsultaSearch instead.
    Coleccion CmpsDevueltos;
    Coleccion Valores;
    Coleccion Cantidades;
    // Check-box mode; back to False after every lookup.
    bool Checks = false;
    vb::Variant ValorDevuelto;
    // Filled from the main connection when empty at lookup time.
    QString gConnString;
    // The query-layout file and whether bare table names are looked up in it.
    QString gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;
    // The field whose value the window returns; back to empty after every lookup.
    QString CampoDevuelto;

    // Shows the options with check boxes (an option starting with "1" ticked) and leaves the ticked ones in
    // Valores; returns "".
    QString CheckOpciones(const QString& Titulo, const Coleccion& CmpsDevueltos, const QStringList& Opc);
    // Shows the options and returns the one chosen ("" when none).
    QString MenuOpciones(const QString& Titulo, const QStringList& Opc);
    // Shows `SQL` (a statement, or a table or view name) in a lookup window and copies the results back.
    // CampoBusqueda and Where are in/out; the caller's CmpsDevueltos is emptied and set to Nothing.
    void ConsultaSearch(QString SQL, Coleccion* CmpsDevueltos = nullptr, const QString& Clave = QString(),
                        QString* CampoBusqueda = nullptr, QString* Where = nullptr,
                        const QString& SentenciaOpcional = QString(), bool TreeView = false,
                        const QString& ValoresDefault = QString());
    // Shows the lines of a text file and returns the one chosen ("" when none or without the file).
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo,
                                 const QString& Separador = QString());

private:
    struct Mascara {
        QString tabla;
        QString columnas;
        QString filtro;
    };
    long topeFilas() const;
    bool buscarMascara(const QString& nombre, Mascara& mascara);
    // Builds the statement from the query-layout record; false when the lookup must end here.
    bool sentenciaDeMascara(const Mascara& mascara, long tope, QString& SQL, QString& CampoBusqueda,
                            const QString& Where);
    void sentenciaAutomatica(long tope, QString& SQL, QString& CampoBusqueda, const QString& Where,
                             const QString& SentenciaOpcional);
    void mostrarLista(const QString& SQL, Coleccion* CmpsDevueltos, const QString& Clave, const QString& CampoBusqueda,
                      const QString& ValoresDefault);
    void mostrarArbol(const QString& SQL);
    // The list window over texts, with one column titled `Titulo`.
    Lib_FrmCons3* ventanaDeOpciones(const QString& Titulo, bool casillas);
    void mostrarOpciones(Lib_FrmCons3& ventana, int medida);
    // Shows the texts in one column and returns the one chosen.
    QString elegirTexto(const QString& Titulo, const QStringList& textos);

    bool m_consultaLike = false;
    ClsUtilidades m_utilidades;
};
