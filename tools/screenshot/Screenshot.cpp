// Renders the assistant's window offscreen into the PNG file named on the command line (the README's picture).
#include "certificate/FrmCertificado.h"
#include "platform/vb/App.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s archivo.png\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window's files (settings, picture list, pictures) go to a folder of this run only.
    QTemporaryDir carpeta;
    vb::App::setPath(carpeta.path());
    qputenv("TEMP", QDir::toNativeSeparators(carpeta.path()).toLocal8Bit());

    FrmCertificado ventana;
    ventana.show();
    QApplication::processEvents();
    const QString destino = QString::fromLocal8Bit(argv[1]);
    if (!ventana.grab().save(destino)) {
        std::fprintf(stderr, "no se pudo guardar %s\n", argv[1]);
        return 1;
    }
    return 0;
}
