// The suite library's file-open dialog: set a title and a filter, show it, read the chosen file back.
#pragma once

#include <QString>

class ClsDialogoArchivos {
public:
    void setTituloDialogo(const QString& titulo) { m_titulo = titulo; }
    // A description and a pattern separated by a vertical bar.
    void setFiltroArchivos(const QString& filtro) { m_filtro = filtro; }
    // Shows the modal open dialog through the operator and returns when it closes.
    void MostrarAbrir();
    QString NombreArchivo() const { return m_nombre; }
    bool Cancelado() const { return m_cancelado; }

private:
    QString m_titulo;
    QString m_filtro;
    QString m_nombre;
    bool m_cancelado = false;
};
