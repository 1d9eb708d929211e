// Process start and wait: Shell hands back a process id, OpenProcess a handle for it, and
// GetExitCodeProcess answers 259 (still active) until the process has ended.
#pragma once

#include <QString>
#include <cstdint>

namespace vb {

inline constexpr std::uint32_t STILL_ACTIVE = 259;
inline constexpr std::uint32_t PROCESS_QUERY_INFORMATION = 0x400;

// Starts a program (or a command file, through the command interpreter) and returns its process id.
// The text is a path as written, or a command line: the program (in double quotes when it holds blanks)
// followed by the rest of the line, which the program receives unchanged as one argument, as a program
// on Windows reads its whole command line itself.
// Raises run-time error 53 when it cannot be started.
std::int64_t Shell(const QString& pathName, int windowStyle = 2);
// A handle for a process started by Shell, or 0 when the id is unknown.
std::intptr_t OpenProcess(std::uint32_t access, bool inheritHandle, std::int64_t processId);
// Reads the exit code, STILL_ACTIVE while the process runs; false for an unknown handle.
bool GetExitCodeProcess(std::intptr_t handle, std::uint32_t* exitCode);
bool CloseHandle(std::intptr_t handle);

} // namespace vb
