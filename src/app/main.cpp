// Starts the run-time and opens the certificate assistant; the program ends when its window closes.
#include "certificate/FrmCertificado.h"
#include "platform/vb/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    vb::Application app(argc, argv);
    QLocale::setDefault(QLocale::system());
    // The program speaks Spanish whatever the system's language: the standard buttons too.
    QTranslator botones;
    if (botones.load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&botones);
    FrmCertificado ventana;
    ventana.show();
    return QApplication::exec();
}
