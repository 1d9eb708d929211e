#include "global/ModGlobal.h"

#include "platform/dorvik/ClsSistema.h"
#include "platform/vb/Ansi.h"
#include "platform/vb/Constants.h"
#include "support/ScriptedOperator.h"

#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kembtest::ScriptedOperator;

namespace {

QByteArray randomBytes(qint64 n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (qint64 i = 0; i < n; ++i)
        b[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return b;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Points TEMP at a fresh folder for one test and restores it after.
class TempEnv {
public:
    TempEnv() : m_old(qgetenv("TEMP")) { qputenv("TEMP", m_dir.path().toLocal8Bit()); }
    ~TempEnv() { qputenv("TEMP", m_old); }
    QString path() const { return m_dir.path(); }
    QByteArray log() const { return readFile(m_dir.path() + "/MQERR.LOG"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

TEST(ExisteArchivo, OnlyFilesThatCanBeReadCount)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/a b.txt", "x");
    EXPECT_TRUE(ModGlobal::ExisteArchivo(dir.path() + "/a b.txt"));
    EXPECT_TRUE(ModGlobal::ExisteArchivo("\"" + dir.path() + "/a b.txt\""));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(dir.path()));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(dir.path() + "/nada.txt"));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(""));
}

TEST(CopiarArchivo, CopiesEverySizeByteForByte)
{
    QTemporaryDir dir;
    for (qint64 size : {0LL, 1LL, 16384LL, 32768LL, 40000LL, 100000LL}) {
        const QByteArray data = randomBytes(size);
        writeFile(dir.path() + "/origen", data);
        EXPECT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/origen", dir.path() + "/destino")) << size;
        EXPECT_EQ(readFile(dir.path() + "/destino"), data) << size;
    }
}

TEST(CopiarArchivo, ALongerDestinationIsReplacedWhole)
{
    QTemporaryDir dir;
    writeFile(dir.path() + "/origen", "corto");
    writeFile(dir.path() + "/destino", QByteArray(50000, 'x'));
    EXPECT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/origen", dir.path() + "/destino"));
    EXPECT_EQ(readFile(dir.path() + "/destino"), QByteArray("corto"));
}

TEST(CopiarArchivo, AMissingSourceCreatesNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ModGlobal::CopiarArchivo(dir.path() + "/nada", dir.path() + "/destino"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/destino"));
}

TEST(CopiarArchivo, ASourceOfHalfAGibibyteOrMoreIsCopiedWhole)
{
    QTemporaryDir dir;
    const qint64 size = 512LL * 1024 * 1024 + 12345;
    {
        // Sparse: only the two ends hold data, so the fixture costs no disk.
        QFile f(dir.path() + "/grande");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("inicio");
        ASSERT_TRUE(f.resize(size));
        f.seek(size - 3);
        f.write("fin");
    }
    ASSERT_TRUE(ModGlobal::CopiarArchivo(dir.path() + "/grande", dir.path() + "/copia"));
    QFile copia(dir.path() + "/copia");
    ASSERT_TRUE(copia.open(QIODevice::ReadOnly));
    EXPECT_EQ(copia.size(), size);
    EXPECT_EQ(copia.read(6), QByteArray("inicio"));
    copia.seek(size - 3);
    EXPECT_EQ(copia.read(3), QByteArray("fin"));
}

TEST(AbrirArchivo, QuotesAPathWithBlanksOnly)
{
    QStringList abiertos;
    ClsSistema::setAbridor([&](const QString& a) {
        abiertos << a;
        return true;
    });
    ModGlobal::AbrirArchivo("/home/ana/Mis Datos/log.txt", true);
    ModGlobal::AbrirArchivo("/home/ana/log.txt", false);
    ModGlobal::AbrirArchivo("\"/home/ana/Mis Datos/log.txt\"", true);
    ClsSistema::setAbridor({});
    EXPECT_EQ(abiertos, QStringList({"\"/home/ana/Mis Datos/log.txt\"", "/home/ana/log.txt",
                                     "\"/home/ana/Mis Datos/log.txt\""}));
}

TEST(TratamientoErrores, ShowsTheMessageAndLogsTheAnswer)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort);
    const int r = ModGlobal::TratamientoErrores(vb::Error(3704, "  La operación no está permitida  ", "ADODB.Recordset"),
                                                std::nullopt, "Cfg");
    EXPECT_EQ(r, vb::vbAbort);
    ASSERT_EQ(op.msgBoxes().size(), 1u);
    const auto& box = op.msgBoxes()[0];
    EXPECT_EQ(box.prompt, QString::fromUtf8("Ha ocurrido el Siguiente Error (3704) La operación no está permitida"));
    EXPECT_EQ(box.title, "ADODB.Recordset - Cfg Aviso al operador!!! - 2 ");
    EXPECT_EQ(box.buttons, vb::vbAbortRetryIgnore + vb::vbCritical);

    const QByteArray log = QFile(temp.path() + "/MQERR.LOG").exists() ? temp.log() : QByteArray();
    const QString line = vb::fromAnsi(log);
    static const QRegularExpression shape(QStringLiteral(
        "^(\\d\\d)-(\\d\\d)-(\\d{4}) \\d\\d:\\d\\d:\\d\\d Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error "
        "\\(3704\\) La operación no está permitida Respondió : Abortar\r\n$"));
    const auto m = shape.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(m.captured(1).toInt(), today.month());
    EXPECT_EQ(m.captured(3).toInt(), today.year());
    EXPECT_TRUE(log.contains("Respondi\xf3 :")) << "the log is written in the ANSI code page";
}

TEST(TratamientoErrores, WithoutRoutineTheWordsMeetWithTwoBlanks)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbIgnore);
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(-2147217900, "Sintaxis", "Proveedor")), vb::vbIgnore);
    EXPECT_EQ(op.msgBoxes()[0].prompt, "Ha ocurrido el Siguiente Error (-2147217900) Sintaxis");
    EXPECT_EQ(op.msgBoxes()[0].title, "Proveedor Aviso al operador!!! - 2 ");
    EXPECT_TRUE(vb::fromAnsi(temp.log()).contains(" Rutina:  Mensaje Ha ocurrido"));
    EXPECT_TRUE(vb::fromAnsi(temp.log()).endsWith(" Respondió : Ignorar\r\n"));
}

TEST(TratamientoErrores, NumberZeroShowsNothingAndWritesNoLine)
{
    TempEnv temp;
    ScriptedOperator op;
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(0, "nada"), std::nullopt, "Cfg"), 0);
    EXPECT_TRUE(op.shown().empty());
    EXPECT_TRUE(QFile::exists(temp.path() + "/MQERR.LOG"));
    EXPECT_TRUE(temp.log().isEmpty());
}

TEST(TratamientoErrores, YesNoButtonsLogTheirWords)
{
    TempEnv temp;
    ScriptedOperator op;
    op.answerMsgBox(vb::vbYes).answerMsgBox(vb::vbNo).answerMsgBox(vb::vbRetry).answerMsgBox(vb::vbCancel);
    for (int i = 0; i < 4; ++i)
        ModGlobal::TratamientoErrores(vb::Error(5, "x"), vb::vbYesNo + vb::vbQuestion, "MenuExes");
    EXPECT_EQ(op.msgBoxes()[0].buttons, vb::vbYesNo + vb::vbQuestion);
    const QStringList lines = vb::fromAnsi(temp.log()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("Respondió : Sí"));
    EXPECT_TRUE(lines[1].endsWith("Respondió : No"));
    EXPECT_TRUE(lines[2].endsWith("Respondió : Reintentar"));
    EXPECT_TRUE(lines[3].endsWith("Respondió : Cancelar"));
}

TEST(TratamientoErrores, EmptyTempLogsInTheLibraryTemporaryFolder)
{
    const QByteArray old = qgetenv("TEMP");
    QTemporaryDir fallback;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TEMP", "   ");
    qputenv("TMPDIR", fallback.path().toLocal8Bit());
    ScriptedOperator op;
    op.answerMsgBox(vb::vbAbort);
    ModGlobal::TratamientoErrores(vb::Error(9, "x"), std::nullopt, "Cfg");
    qputenv("TEMP", old);
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(readFile(fallback.path() + "/MQERR.LOG").contains("Rutina: - Cfg"));
}

TEST(TratamientoErrores, AnUnwritableLogLeavesTheAnswerUnchanged)
{
    TempEnv temp;
    qputenv("TEMP", (temp.path() + "/no/existe").toLocal8Bit());
    ScriptedOperator op;
    op.answerMsgBox(vb::vbRetry);
    EXPECT_EQ(ModGlobal::TratamientoErrores(vb::Error(9, "x")), vb::vbRetry);
}
