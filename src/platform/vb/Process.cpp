#include "platform/vb/Process.h"

#include "platform/vb/Ansi.h"
#include "platform/vb/CommandFile.h"
#include "platform/vb/Error.h"

#include <QFile>
#include <QFileInfo>

#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vb {
namespace {

struct Child {
    bool ended = false;
    std::uint32_t exitCode = STILL_ACTIVE;
};

std::map<std::int64_t, Child>& children()
{
    static std::map<std::int64_t, Child> table;
    return table;
}

void poll(std::int64_t pid, Child& child)
{
    if (child.ended)
        return;
    int status = 0;
    const pid_t r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (r == static_cast<pid_t>(pid)) {
        child.ended = true;
        child.exitCode = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status)) : 1u;
    } else if (r < 0) {
        child.ended = true;
        child.exitCode = 1;
    }
}

// Environment of the child: ours, with `firstOnPath` in front of PATH when given.
std::vector<std::string> childEnvironment(const QString& firstOnPath)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        if (!firstOnPath.isEmpty() && entry.rfind("PATH=", 0) == 0)
            entry = "PATH=" + QFile::encodeName(firstOnPath).toStdString() + ":" + entry.substr(5);
        env.push_back(entry);
    }
    return env;
}

std::int64_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return 0;
    return pid;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

struct CommandLine {
    QString program;
    QString rest;
};

// Separates the program from the rest of a command line as Windows does: the program is the text between
// the first pair of double quotes, or else the first word. The rest starts after the blanks that follow
// the program and is not split any further: a module reads its whole command line itself, so quotes,
// blanks and tabs in it are the module's own business.
CommandLine splitProgram(const QString& line)
{
    qsizetype start = 0;
    while (start < line.size() && line[start].isSpace())
        ++start;
    qsizetype end = start;
    CommandLine parts;
    if (line.mid(start).startsWith(QLatin1Char('"'))) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), start + 1);
        end = close < 0 ? line.size() : close + 1;
        parts.program = line.mid(start + 1, (close < 0 ? line.size() : close) - start - 1);
    } else {
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        parts.program = line.mid(start, end - start);
    }
    while (end < line.size() && isBlank(line[end]))
        ++end;
    parts.rest = line.mid(end);
    return parts;
}

} // namespace

std::int64_t Shell(const QString& pathName, int /*windowStyle*/)
{
    for (auto& [pid, child] : children())
        poll(pid, child);

    // A path that names a file as written is the program; otherwise the text is a command line.
    QString program = pathName.trimmed();
    QString rest;
    if (!QFileInfo(program).isFile()) {
        CommandLine parts = splitProgram(pathName);
        program = parts.program;
        rest = parts.rest;
    }

    std::int64_t pid = 0;
    if (isCommandFile(program)) {
        QFile file(program);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(53, QStringLiteral("No se encontró el archivo"));
        const QString script = commandFileScript(fromAnsi(file.readAll()));
        pid = spawn({"/bin/sh", "-c", script.toStdString()}, childEnvironment(QFileInfo(program).absolutePath()));
    } else {
        if (!QFileInfo(program).isExecutable())
            throw Error(53, QStringLiteral("No se encontró el archivo"));
        std::vector<std::string> argv{QFile::encodeName(program).toStdString()};
        if (!rest.isEmpty())
            argv.push_back(rest.toStdString());
        pid = spawn(argv, childEnvironment(QString()));
    }
    if (pid == 0)
        throw Error(53, QStringLiteral("No se encontró el archivo"));
    children()[pid] = Child{};
    return pid;
}

std::intptr_t OpenProcess(std::uint32_t /*access*/, bool /*inheritHandle*/, std::int64_t processId)
{
    return children().count(processId) ? static_cast<std::intptr_t>(processId) : 0;
}

bool GetExitCodeProcess(std::intptr_t handle, std::uint32_t* exitCode)
{
    auto it = children().find(handle);
    if (it == children().end())
        return false;
    poll(it->first, it->second);
    *exitCode = it->second.exitCode;
    return true;
}

bool CloseHandle(std::intptr_t handle)
{
    auto it = children().find(handle);
    if (it == children().end())
        return false;
    poll(it->first, it->second);
    if (it->second.ended)
        children().erase(it);
    return true;
}

} // namespace vb
