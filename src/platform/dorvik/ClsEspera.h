// The suite's wait window: non-modal, shown while long work runs on the window thread.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

class ClsEspera {
public:
    ClsEspera();
    ~ClsEspera();

    // Shows the window with the caption and returns at once; when shown, only changes the caption.
    void MostrarEspera(const QString& titulo, int modo = 0);
    void TextosEspera(int modo, const QString& linea1, const QString& linea2, const QString& linea3 = QString());
    void OcultarEspera();

    bool visible() const;
    QString titulo() const;
    QStringList textos() const;

private:
    void crear();
    void centrar();

    QPointer<QWidget> m_ventana;
    QLabel* m_lineas[3] = {nullptr, nullptr, nullptr};
};
