#include "platform/dorvik/ClsEspera.h"

#include "platform/vb/Interaction.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

ClsEspera::ClsEspera() = default;

ClsEspera::~ClsEspera()
{
    delete m_ventana;
}

void ClsEspera::crear()
{
    m_ventana = new QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_ventana->setObjectName(QStringLiteral("Espera"));
    m_ventana->setFixedSize(320, 110);
    auto* layout = new QVBoxLayout(m_ventana);
    for (auto& linea : m_lineas) {
        linea = new QLabel(m_ventana);
        linea->setAlignment(Qt::AlignCenter);
        layout->addWidget(linea);
    }
}

void ClsEspera::MostrarEspera(const QString& titulo, int)
{
    if (!m_ventana)
        crear();
    m_ventana->setWindowTitle(titulo);
    if (!m_ventana->isVisible()) {
        centrar();
        m_ventana->show();
    }
    // Paint it now: the caller goes on with work that keeps the event loop busy.
    vb::DoEvents();
    m_ventana->repaint();
}

// Over the middle of the window that asked for it, or of the screen when none is active.
void ClsEspera::centrar()
{
    const QWidget* llamador = QApplication::activeWindow();
    QRect zona;
    if (llamador && llamador != m_ventana)
        zona = llamador->frameGeometry();
    else if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        zona = pantalla->availableGeometry();
    QRect marco = m_ventana->frameGeometry();
    marco.moveCenter(zona.center());
    m_ventana->move(marco.topLeft());
}

void ClsEspera::TextosEspera(int, const QString& linea1, const QString& linea2, const QString& linea3)
{
    if (!m_ventana)
        crear();
    m_lineas[0]->setText(linea1);
    m_lineas[1]->setText(linea2);
    m_lineas[2]->setText(linea3);
    vb::DoEvents();
}

void ClsEspera::OcultarEspera()
{
    if (m_ventana)
        m_ventana->hide();
}

bool ClsEspera::visible() const
{
    return m_ventana && m_ventana->isVisible();
}

QString ClsEspera::titulo() const
{
    return m_ventana ? m_ventana->windowTitle() : QString();
}

QStringList ClsEspera::textos() const
{
    if (!m_ventana)
        return {};
    return {m_lineas[0]->text(), m_lineas[1]->text(), m_lineas[2]->text()};
}
