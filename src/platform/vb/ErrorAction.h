// The error-action convention in one place: a failing statement is repeated on 4, passed over on 5,
// and any other answer leaves the procedure.
#pragma once

#include "platform/vb/Error.h"

#include <functional>
#include <vector>

namespace vb {

enum class Flow { Next, Leave };

inline constexpr int kRepeat = 4;
inline constexpr int kContinue = 5;

// Turns any exception escaping a statement into a run-time error, so handlers see one kind.
Error toError(const std::exception& e);

// Runs the statement; on a run-time error asks `answer` and acts on the reply.
Flow RunStatement(const std::function<void()>& statement, const std::function<int(const Error&)>& answer);

// A procedure's numbered steps under one error handler: a step returns false to end the procedure early;
// a failing step is repeated, passed over or ends the procedure as `answer` says (4, 5, other).
// Returns Flow::Leave when the handler ended the procedure.
Flow RunSteps(const std::vector<std::function<bool()>>& steps, const std::function<int(const Error&)>& answer);

// "On Error Resume Next" for one statement: any run-time error is skipped. Returns false when one was.
bool ResumeNext(const std::function<void()>& statement);

} // namespace vb
