#include "platform/vb/CommandFile.h"
#include "platform/vb/Process.h"
#include "platform/vb/Interaction.h"
#include "platform/vb/Error.h"

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
    const QString script = vb::commandFileScript("c: /home/ana/Open SSL/bin\r\ncd /home/ana/Open SSL/bin\r\nopenssl version\r\n");
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

TEST(Process, ACommandLineStartsTheProgramWithItsArguments)
{
    QTemporaryDir dir;
    const auto pid = vb::Shell("/bin/sh -c \"touch '" + dir.path() + "/hecho'; exit 3\"", 6);
    EXPECT_EQ(waitFor(pid), 3u);
    EXPECT_TRUE(QFile::exists(dir.path() + "/hecho"));
    EXPECT_THROW(vb::Shell("/no/existe -x"), vb::Error);
}
