// The whole key and request generation of the assistant against running the same two openssl commands
// directly. The generation polls each command's exit code once a second; the "razon" counter shows how
// many times longer than the commands themselves the whole generation takes.
#include "certificate/FrmCertificado.h"
#include "platform/vb/Constants.h"
#include "platform/vb/Operator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Leaves on any error dialog, so that a failing run ends instead of waiting for someone at the screen.
class OperadorAusente : public vb::Operator {
public:
    int msgBox(const QString&, int, const QString&) override { return vb::vbAbort; }
    QString inputBox(const QString&, const QString&, const QString&) override { return QString(); }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    QString browseFolder(QWidget*, const QString&) override { return QString(); }
};

bool ejecutar(const QString& carpeta, const QStringList& argumentos)
{
    QProcess proceso;
    proceso.setWorkingDirectory(carpeta);
    proceso.start(QStringLiteral("/usr/bin/openssl"), argumentos);
    return proceso.waitForFinished(60000) && proceso.exitCode() == 0;
}

// The two commands of the command files, run one after the other in `carpeta`.
bool comandosDirectos(const QString& carpeta)
{
    return ejecutar(carpeta, {"genrsa", "-out", "privada.key", "2048"}) &&
           ejecutar(carpeta, {"req", "-new", "-key", "privada.key", "-subj",
                              "/C=AR/O=EMPRESA/CN=FACTURACION/serialNumber=CUIT 20123456786", "-out", "clave.csr"});
}

void BM_GeneracionContraComandos(benchmark::State& state)
{
    QTemporaryDir home;
    QTemporaryDir directo;
    const QByteArray homeAnterior = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const QString lugar = home.path() + QStringLiteral("/OpenSSL/bin");
    QDir().mkpath(lugar);
    QFile::link(QStringLiteral("/usr/bin/openssl"), lugar + QStringLiteral("/openssl"));
    OperadorAusente operador;
    vb::Operator* anterior = vb::setOperator(&operador);
    FrmCertificado ventana;
    ventana.TxtCUIT->setText(QStringLiteral("20-12345678-6"));

    double generacion = 0;
    double comandos = 0;
    for (auto _ : state) {
        QElapsedTimer reloj;
        reloj.start();
        QString mensaje;
        QString rutaKey;
        QString rutaCsr;
        const bool generado = ventana.GenerarClave(mensaje, rutaKey, rutaCsr);
        const double segundos = reloj.nsecsElapsed() / 1e9;
        reloj.restart();
        const bool directos = comandosDirectos(directo.path());
        comandos += reloj.nsecsElapsed() / 1e9;
        generacion += segundos;
        state.SetIterationTime(segundos);
        if (!generado || !directos) {
            state.SkipWithError("openssl did not make the key and the request");
            break;
        }
    }
    if (comandos > 0) {
        state.counters["razon"] = generacion / comandos;
        state.counters["comandos_s"] = comandos / static_cast<double>(state.iterations());
    }
    vb::setOperator(anterior);
    qputenv("HOME", homeAnterior);
}

BENCHMARK(BM_GeneracionContraComandos)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
