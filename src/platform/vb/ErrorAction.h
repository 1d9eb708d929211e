// The error-action convention in one place: a failing statement is repeated on 4, passed over on 5,
// and any other answer leaves the procedure.
#pragma once

#include "platform/vb/Error.h"

#include <functional>

namespace vb {

enum class Flow { Next, Leave };

inline constexpr int kRepeat = 4;
inline constexpr int kContinue = 5;

// Turns any exception escaping a statement into a run-time error, so handlers see one kind.
Error toError(const std::exception& e);

// Runs the statement; on a run-time error asks `answer` and acts on the reply.
Flow RunStatement(const std::function<void()>& statement, const std::function<int(const Error&)>& answer);

// "On Error Resume Next" for one statement: any run-time error is skipped. Returns false when one was.
bool ResumeNext(const std::function<void()>& statement);

} // namespace vb
