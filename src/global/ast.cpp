#include "global/ast.h"

#include "database/DB_Dll.h"
#include "global/ModGlobal.h"
#include "global/stuff3.h"
#include "platform/ado/ErrorNumbers.h"
#include "platform/dorvik/ClsUtilidades.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "platform/vb/ErrorAction.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/Strings.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStringMatcher>
#include <QTime>
#include <cmath>
#include <optional>
#include <vector>

namespace ast {
namespace {

constexpr int kPasadas = 20;
const QString CRLF = QStringLiteral("\r\n");
const QString kCodigoAcceso = QStringLiteral("ZEKU@");
const QColor kAzulOscuro(0, 0, 128);

float& ultimoValor()
{
    static float valor = 0;
    return valor;
}

// An object that a later statement of the script may still create: SQL Server's 208, or the same state
// as other servers report it.
bool objetoFaltante(const ado::Error& e)
{
    return e.NativeError() == 208 || e.SQLState() == QLatin1String("42S02") || e.SQLState() == QLatin1String("42P01");
}

// An object that an earlier pass (or an earlier run) already created.
bool objetoExistente(const ado::Error& e)
{
    for (long n : {1779L, 1781L, 1913L, 2714L, 2729L})
        if (e.NativeError() == n)
            return true;
    for (const char* estado : {"42S01", "42S11", "42P07", "42710", "42723"})
        if (e.SQLState() == QLatin1String(estado))
            return true;
    return false;
}

// A statement that cannot reach the server at all fails too, rather than passing for a success.
std::optional<vb::Error> conexionCerrada()
{
    if (ModGlobal::gDB().gCnn->State() == ado::adStateOpen)
        return std::nullopt;
    try {
        ado::raise(ado::RunTimeError::ConnectionUnusable, QStringLiteral("ADODB.Connection"));
    } catch (const vb::Error& e) {
        return e;
    }
}

// The script's lines. A script saved as UTF-8 with its byte-order mark is read as UTF-8, any other as
// Windows-1252; CR LF, CR or LF ends a line.
QStringList lineasScript(const QByteArray& datos)
{
    const bool utf8 = datos.startsWith("\xEF\xBB\xBF");
    const QString texto = utf8 ? QString::fromUtf8(datos.mid(3)) : vb::fromAnsi(datos);
    QStringList lineas;
    qsizetype inicio = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lineas << texto.mid(inicio, i - inicio);
        if (c == QLatin1Char('\r') && i + 1 < texto.size() && texto[i + 1] == QLatin1Char('\n'))
            ++i;
        inicio = i + 1;
    }
    if (inicio < texto.size())
        lineas << texto.mid(inicio);
    return lineas;
}

// A line that starts with a byte-order mark (as Windows-1252 text or as the character itself) loses it.
QString sinMarcaOrden(const QString& linea)
{
    const QString limpia = vb::Trim(linea);
    if (limpia.startsWith(QStringLiteral("\u00EF\u00BB\u00BF")))
        return limpia.mid(3);
    if (limpia.startsWith(QChar(0xFEFF)))
        return limpia.mid(1);
    return linea;
}

// The placeholder texts of one pass. Most statements hold none, so nothing is worked out until one holds
// a "<"; the day's dates and the database name are then made once for the rest of the pass (each is a
// time-zone conversion), while <NOW> still takes the moment of the statement that holds it.
class Marcadores {
public:
    void aplicar(QString& s)
    {
        if (!s.contains(QLatin1Char('<')))
            return;
        if (!m_hechos)
            preparar();
        s.replace(QStringLiteral("<DATE>"), m_hoy);
        if (s.contains(QStringLiteral("<NOW>")))
            s.replace(QStringLiteral("<NOW>"), vb::CStr(vb::Date::Now()));
        s.replace(QStringLiteral("<DATE+YEAR>"), m_masUnAnio);
        s.replace(QStringLiteral("<DATE-YEAR>"), m_menosUnAnio);
        s.replace(QStringLiteral("<DATABASE>"), m_base);
    }

private:
    void preparar()
    {
        const QDate hoy = QDate::currentDate();
        m_hoy = vb::CStr(vb::Date::fromDate(hoy));
        m_masUnAnio = vb::CStr(vb::Date::fromDate(hoy.addYears(1)));
        m_menosUnAnio = vb::CStr(vb::Date::fromDate(hoy.addYears(-1)));
        m_base = ModGlobal::gDB().gDBName.toUpper();
        m_hechos = true;
    }

    bool m_hechos = false;
    QString m_hoy;
    QString m_masUnAnio;
    QString m_menosUnAnio;
    QString m_base;
};

QString vistaCuentas(bool restringida)
{
    const QString inicio = QStringLiteral("CREATE VIEW dbo.SS_MA_CUENTAS ") + QStringLiteral(" AS ");
    if (!restringida)
        return inicio + QStringLiteral(" SELECT * ") + QStringLiteral(" FROM MA_CUENTAS");
    return inicio + QStringLiteral(" SELECT MA_CUENTAS.* ") + QStringLiteral(" FROM MA_CUENTAS_USUARIOS INNER JOIN ") +
           QStringLiteral(" MA_CUENTAS ON  ") +
           QStringLiteral(" MA_CUENTAS_USUARIOS.Cuenta = MA_CUENTAS.CODIGO INNER  ") +
           QStringLiteral(" Join TA_USUARIOS ON ") +
           QStringLiteral(" MA_CUENTAS_USUARIOS.GrupoUser = TA_USUARIOS.Grupo  ") +
           QStringLiteral(" Where (TA_USUARIOS.Nombre = SYSTEM_USER)");
}

// Whether `texto` holds what `buscador` looks for. The words every line or statement is searched for are
// looked for with matchers made once, which skip along the text instead of hashing all of it each time.
bool tiene(const QStringMatcher& buscador, const QString& texto)
{
    return buscador.indexIn(texto) >= 0;
}

bool lineaDeBorrado(const QString& linea)
{
    static const QStringMatcher dropTable(u"drop table");
    static const QStringMatcher truncateTable(u"truncate table");
    if (!tiene(dropTable, linea) && !tiene(truncateTable, linea))
        return false;
    return !linea.contains(QStringLiteral("TRUNCATE TABLE AC_VentasFormTStock")) &&
           !linea.contains(QStringLiteral("TRUNCATE TABLE MA_CUENTAS_SALDOS")) &&
           !linea.contains(QStringLiteral("DROP TABLE #TTEmp"));
}

// One run of a script: the statement list, the error file and the flags live as long as the run.
class Corrida {
public:
    Corrida(const QString& ruta, QWidget* formulario, const QString& filtro, bool& permitido, bool inmediato)
        : m_ruta(ruta), m_formulario(formulario), m_filtro(filtro), m_permitido(permitido), m_inmediato(inmediato),
          m_rutaDeVistas(ruta.contains(QStringLiteral("VISTAS")) || ruta.contains(QStringLiteral("COMPLETO")))
    {}

    void ejecutar()
    {
        if (!abrirErrores() || !leerScript()) {
            m_errores.close();
            return;
        }
        if (m_inmediato)
            ejecutarUltimaInmediata();
        else
            ejecutarPasadas();
        terminar();
    }

private:
    bool paso(const std::function<void()>& sentencia)
    {
        return vb::RunStatement(sentencia, [](const vb::Error& e) {
                   return ModGlobal::TratamientoErrores(e, std::nullopt, QStringLiteral("Ejecutar"));
               }) == vb::Flow::Next;
    }

    // The status shows on the window's box; without a window there is nothing to show, so the text is not
    // even made (it is made for every line and every statement).
    template <typename Texto>
    void estado(const Texto& texto)
    {
        if (m_formulario)
            stuff3::MostrarEstado(0, texto(), vb::Variant(), m_formulario);
    }

    bool abrirErrores()
    {
        // Hour, minute and second each without a leading zero: «Script9510.TXT» at 09:05:10.
        const QTime ahora = QTime::currentTime();
        m_rutaErrores = ModGlobal::CarpetaTemporalLog() + QStringLiteral("Script") +
                        ahora.toString(QStringLiteral("Hms")) + QStringLiteral(".TXT");
        return paso([&] {
            m_errores.setFileName(m_rutaErrores);
            if (!m_errores.open(QIODevice::Append))
                throw vb::Error(75, QStringLiteral("Error de acceso a la ruta o el archivo"));
            // A failed statement is recorded whole, and one that creates a login holds its password: the
            // file is for its owner only, before anything is written into it.
            m_errores.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        });
    }

    // Reads every line into statements; false when the run ends here.
    bool leerScript()
    {
        if (m_ruta.contains(QStringLiteral("VISTAS")))
            m_vistaRestringida = ModGlobal::Cfg(QStringLiteral("SS_Confidencialidad")) == QLatin1String("SI");
        QStringList lineas;
        const bool leido = paso([&] {
            QFile script(m_ruta);
            if (!script.open(QIODevice::ReadOnly))
                throw vb::Error(53, QStringLiteral("No se encontró el archivo"));
            lineas = lineasScript(script.readAll());
        });
        if (!leido)
            return false;
        m_sentencias.assign(1, QString());
        for (int i = 0; i < lineas.size(); ++i)
            if (!analizarLinea(sinMarcaOrden(lineas[i]), i == 0))
                return false;
        return true;
    }

    bool analizarLinea(const QString& linea, bool primera)
    {
        if (vb::Trim(linea).startsWith(QStringLiteral("--")))
            return true;
        estado([&] { return QStringLiteral("Analizando Script ") + QString::number(m_sentencias.size() - 1); });
        if (!m_permitido && lineaDeBorrado(linea) && !pedirCodigo(linea))
            return false;
        if (m_inmediato)
            agregarInmediata(linea, primera);
        else
            agregarLote(linea);
        return true;
    }

    bool pedirCodigo(const QString& linea)
    {
        const QString codigo =
            vb::InputBox(QStringLiteral("Ingresa la Clave para permitir ejecutar este comando..") + CRLF + linea,
                         QStringLiteral("Atencion"), QString());
        if (codigo == kCodigoAcceso) {
            m_permitido = true;
            return true;
        }
        vb::MsgBox(QStringLiteral("SE HA DETECTADO UN COMANDO DE ELIMINACION DE TABLA... NO ESTA PERMITIDO LA "
                                  "EJECUCION DE ESTOS COMANDOS...") +
                       CRLF + QStringLiteral("OPERACION ABORTADA!!!"),
                   vb::vbCritical, QStringLiteral("ATENCION!"));
        return false;
    }

    void agregarLote(const QString& linea)
    {
        const QString limpia = vb::Trim(linea);
        if (limpia == QLatin1String("GO") || limpia == QLatin1String("/"))
            m_sentencias.emplace_back();
        else if (!limpia.isEmpty())
            m_sentencias.back() += linea + CRLF;
        vb::DoEvents();
    }

    void agregarInmediata(const QString& linea, bool primera)
    {
        const QString limpia = vb::Trim(linea);
        if (!limpia.startsWith(QStringLiteral("go"))) {
            if (linea.startsWith(QStringLiteral("IF NOT EXISTS")) && !primera) {
                ejecutarInmediata();
                m_sentencias.back() = linea + CRLF;
            } else if (!limpia.isEmpty()) {
                m_sentencias.back() += linea + CRLF;
            }
        }
        vb::DoEvents();
        estado([&] { return QStringLiteral("Ejecutando... ") + ModGlobal::gFunciones().AcortarTexto(linea, 100); });
    }

    // Runs the collected statement as one line and gives back why it failed, if it did. Line breaks become
    // blanks, so the words on both sides of a break stay apart.
    std::optional<QString> correrUnaLinea()
    {
        QString sentencia = m_sentencias.back();
        sentencia.replace(CRLF, QStringLiteral(" "));
        if (vb::Trim(sentencia).isEmpty())
            return std::nullopt;
        if (const auto cerrada = conexionCerrada())
            return cerrada->Description();
        long afectados = 0;
        vb::ResumeNext([&] { ModGlobal::gDB().EjecutaConsultaSQL(sentencia, afectados); });
        ado::Errors& errores = ModGlobal::gDB().gCnn->Errors();
        if (errores.Count() == 0)
            return std::nullopt;
        const QString descripcion = errores(0).Description();
        errores.Clear();
        return descripcion;
    }

    void ejecutarInmediata()
    {
        const auto fallo = correrUnaLinea();
        if (!fallo)
            return;
        if (m_mostrarErrores)
            m_mostrarErrores =
                vb::MsgBox(QStringLiteral("Ocurrio el siguiente error ") + *fallo + CRLF +
                               QStringLiteral("- De continuar los errores, desea seguir visualizandolos?"),
                           vb::vbYesNo, QStringLiteral("Atencion")) == vb::vbYes;
        estado([] { return QStringLiteral("Ejecutando... ERROR"); });
    }

    void ejecutarUltimaInmediata()
    {
        if (const auto fallo = correrUnaLinea())
            vb::MsgBox(*fallo);
    }

    void ejecutarPasadas()
    {
        QString sinCuenta = QStringLiteral("SET NOCOUNT ON");
        long afectados = 0;
        vb::ResumeNext([&] { ModGlobal::gDB().EjecutaConsultaSQL(sinCuenta, afectados); });
        ado::Errors& errores = ModGlobal::gDB().gCnn->Errors();
        if (errores.Count() > 0) {
            vb::MsgBox(errores(0).Description());
            errores.Clear();
        }
        for (int numero = 1; numero <= kPasadas; ++numero)
            if (!pasada(numero))
                break;
    }

    // One pass over every statement; true when a statement asked for another pass.
    bool pasada(int numero)
    {
        bool otra = false;
        Marcadores marcadores;
        const int ultimo = static_cast<int>(m_sentencias.size()) - 1;
        for (int i = 0; i <= ultimo; ++i) {
            otra = tratarEnPasada(m_sentencias[static_cast<size_t>(i)], i, numero, marcadores) || otra;
            // Pending window events run once for each statement, whether it ran or was passed over.
            vb::DoEvents();
        }
        return otra;
    }

    // Prepares one statement of a pass and runs it unless it is passed over; true when it asks for another
    // pass.
    bool tratarEnPasada(QString& sentencia, int indice, int numero, Marcadores& marcadores)
    {
        marcadores.aplicar(sentencia);
        if (!m_filtro.isEmpty() && !sentencia.contains(m_filtro))
            return false;
        if (m_rutaDeVistas && sentencia.contains(QStringLiteral("CREATE VIEW dbo.SS_MA_CUENTAS")))
            sentencia = vistaCuentas(m_vistaRestringida);
        const int ultimo = static_cast<int>(m_sentencias.size()) - 1;
        estado([&] { return QStringLiteral("Ciclo: %1(%2 de %3)").arg(numero).arg(indice).arg(ultimo); });
        static const QStringMatcher estadistica(u"FMT_ESTADISTICAFH");
        static const QStringMatcher drop(u"drop ");
        if (numero == 1 && tiene(estadistica, sentencia))
            return false;
        if (numero > 1 && tiene(drop, sentencia))
            return false;
        return correrEnPasada(sentencia, numero);
    }

    // Runs one statement of a pass and judges its first error; true when it asks for another pass.
    bool correrEnPasada(const QString& sentencia, int numero)
    {
        if (vb::Trim(sentencia).isEmpty())
            return false;
        if (const auto cerrada = conexionCerrada()) {
            registrarError(cerrada->Number(), cerrada->Description(), sentencia);
            return false;
        }
        QString corrida = sentencia;
        long afectados = 0;
        vb::ResumeNext([&] { ModGlobal::gDB().EjecutaConsultaSQL(corrida, afectados); });
        ado::Errors& errores = ModGlobal::gDB().gCnn->Errors();
        bool otra = false;
        if (errores.Count() > 0) {
            const ado::Error& primero = errores(0);
            // A missing object is only worth a record when no further pass can create it.
            const bool faltante = objetoFaltante(primero);
            if (!objetoExistente(primero) && (!faltante || numero == kPasadas))
                registrarError(primero.NativeError(), primero.Description(), sentencia);
            otra = faltante;
        }
        errores.Clear();
        return otra;
    }

    void registrarError(long numero, const QString& descripcion, const QString& sentencia)
    {
        m_hayErrores = true;
        const QString asteriscos(112, QLatin1Char('*'));
        const QLocale regional;
        const QString registro = asteriscos + CRLF + regional.toString(QDate::currentDate(), QLocale::ShortFormat) +
                                 QStringLiteral(" - ") + regional.toString(QTime::currentTime(), QLocale::ShortFormat) +
                                 CRLF + QStringLiteral("  Error ") + QString::number(numero) + QStringLiteral(" ") +
                                 descripcion + CRLF + asteriscos + CRLF + sentencia + CRLF + asteriscos + CRLF;
        m_errores.write(vb::toAnsi(registro));
    }

    void terminar()
    {
        m_errores.close();
        if (!m_hayErrores)
            return;
        vb::MsgBox(QStringLiteral("Se detectaron errores, consulte el archivo ") + m_rutaErrores);
        ModGlobal::AbrirArchivo(m_rutaErrores, true);
    }

    const QString m_ruta;
    QWidget* const m_formulario;
    const QString m_filtro;
    bool& m_permitido;
    const bool m_inmediato;
    // A script of views, whose restricted accounts view is written by the program.
    const bool m_rutaDeVistas;
    QString m_rutaErrores;
    QFile m_errores;
    std::vector<QString> m_sentencias;
    bool m_vistaRestringida = false;
    bool m_mostrarErrores = true;
    bool m_hayErrores = false;
};

} // namespace

void Ejecutar(const QString& Ruta, QWidget* Formulario, const QString& Filtro, bool& Permitido, bool Inmediato)
{
    if (Ruta.isEmpty())
        return;
    Corrida(Ruta, Formulario, Filtro, Permitido, Inmediato).ejecutar();
}

void PintarProgreso(QLabel& Caja, float Valor, float Total, bool Terminado, const QString& Texto)
{
    if (Total == 0)
        throw vb::Error(11, QStringLiteral("División por cero"));
    if (Valor != -1)
        ultimoValor() = Valor;
    const float parte = ultimoValor() / Total;
    int porciento = static_cast<int>(std::floor(parte * 100 + 0.5f));
    if (!Terminado && porciento == 0)
        porciento = 1;
    else if (!Terminado && porciento == 100)
        porciento = 99;
    const QString titulo = Texto + QStringLiteral(" ") + QString::number(porciento) + QStringLiteral("%");
    if (Caja.width() < 1 || Caja.height() < 1)
        return;

    QImage lienzo(Caja.size(), QImage::Format_RGB32);
    lienzo.fill(Qt::white);
    QPainter pintor(&lienzo);
    pintor.setFont(Caja.font());
    const QSize medida = pintor.fontMetrics().size(Qt::TextSingleLine, titulo);
    const QRect rotulo(QPoint(Caja.width() / 2 - medida.width() / 2, Caja.height() / 2 - medida.height() / 2), medida);
    pintor.fillRect(rotulo, Qt::white);
    pintor.setPen(kAzulOscuro);
    pintor.drawText(rotulo, Qt::AlignLeft | Qt::AlignTop, titulo);
    // The bar inverts what it covers, so the caption stays readable over it.
    pintor.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    if (parte > 0)
        pintor.fillRect(QRect(0, 0, static_cast<int>(Caja.width() * parte), Caja.height()), kAzulOscuro);
    else
        pintor.fillRect(lienzo.rect(), Qt::white);
    pintor.end();
    Caja.setPixmap(QPixmap::fromImage(lienzo));
    Caja.repaint();
}

} // namespace ast
