#include "platform/vb/CommandFile.h"
#include "platform/vb/Error.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/Process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& bytes, bool executable = false)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner);
}

std::uint32_t waitFor(std::int64_t pid)
{
    const auto h = vb::OpenProcess(vb::PROCESS_QUERY_INFORMATION, false, pid);
    EXPECT_NE(h, 0);
    std::uint32_t code = vb::STILL_ACTIVE;
    for (int i = 0; i < 500 && code == vb::STILL_ACTIVE; ++i) {
        EXPECT_TRUE(vb::GetExitCodeProcess(h, &code));
        if (code == vb::STILL_ACTIVE)
            vb::Sleep(10);
    }
    vb::CloseHandle(h);
    return code;
}

} // namespace

TEST(CommandFile, ScriptDropsDriveLinesAndQuotesTheFolderOfCd)
{
    const QString script =
        vb::commandFileScript("c: /home/ana/Open SSL/bin\r\ncd /home/ana/Open SSL/bin\r\nopenssl version\r\n");
    EXPECT_EQ(script, "set -e\ncd -- '/home/ana/Open SSL/bin'\nopenssl version\n");
}

TEST(CommandFile, ACommandFileRunsWithItsFolderFirstOnPath)
{
    QTemporaryDir dir(QDir::tempPath() + "/kemb cmd XXXXXX");
    const QString folder = dir.path();
    // A program beside the command file wins over any other of the same name.
    write(folder + "/openssl", "#!/bin/sh\necho \"$1\" > salida.txt\nexit 3\n", true);
    write(folder + "/Prueba.cmd", ("c: " + folder + "\r\ncd " + folder + "\r\nopenssl hola\r\n").toUtf8());
    const auto pid = vb::Shell(folder + "/Prueba.cmd", 4);
    EXPECT_EQ(waitFor(pid), 3u);
    QFile out(folder + "/salida.txt");
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "hola\n");
}

TEST(Process, ExitCodeIsStillActiveWhileRunningAndUnknownIdsHaveNoHandle)
{
    QTemporaryDir dir;
    write(dir.path() + "/lento.cmd", "sleep 0.3\r\n");
    const auto pid = vb::Shell(dir.path() + "/lento.cmd", 4);
    const auto h = vb::OpenProcess(vb::PROCESS_QUERY_INFORMATION, false, pid);
    std::uint32_t code = 0;
    ASSERT_TRUE(vb::GetExitCodeProcess(h, &code));
    EXPECT_EQ(code, vb::STILL_ACTIVE);
    EXPECT_EQ(waitFor(pid), 0u);
    EXPECT_EQ(vb::OpenProcess(vb::PROCESS_QUERY_INFORMATION, false, 999999999), 0);
    EXPECT_THROW(vb::Shell(dir.path() + "/no-existe.cmd"), vb::Error);
}

// The program is separated from the rest of the line once; the rest reaches it whole, as one argument.
TEST(Process, ACommandLineStartsTheProgramWithTheRestOfTheLineUnchanged)
{
    QTemporaryDir dir(QDir::tempPath() + "/kemb prog XXXXXX");
    const QString programa = dir.path() + "/eco";
    const QString salida = dir.path() + "/salida.txt";
    write(programa, ("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + salida + "'\nexit 3\n").toUtf8(), true);
    struct Caso {
        QString linea;
        QByteArray recibido;
    };
    const Caso casos[] = {
        {"\"" + programa + "\" Server=srv01;DB=ventas;", "1|Server=srv01;DB=ventas;"},
        {"\"" + programa + "\"  \t a \"b c\"  d\te ", "1|a \"b c\"  d\te "},
        {"\"" + programa + "\"", "0|"},
        {programa, "0|"},
    };
    for (const Caso& c : casos) {
        QFile::remove(salida);
        EXPECT_EQ(waitFor(vb::Shell(c.linea, 6)), 3u) << c.linea.toStdString();
        QFile out(salida);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << c.linea.toStdString();
        EXPECT_EQ(out.readAll(), c.recibido) << c.linea.toStdString();
    }
    // A program without blanks in its path needs no quotes.
    QTemporaryDir sinBlancos;
    QFile::copy(programa, sinBlancos.path() + "/eco");
    QFile::remove(salida);
    EXPECT_EQ(waitFor(vb::Shell(sinBlancos.path() + "/eco x  y", 6)), 3u);
    QFile out(salida);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "1|x  y");
    EXPECT_THROW(vb::Shell("/no/existe -x"), vb::Error);
}
