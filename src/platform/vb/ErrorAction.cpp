#include "platform/vb/ErrorAction.h"

namespace vb {

Error toError(const std::exception& e)
{
    if (const auto* err = dynamic_cast<const Error*>(&e))
        return *err;
    return Error(5, QString::fromLocal8Bit(e.what()));
}

Flow RunStatement(const std::function<void()>& statement, const std::function<int(const Error&)>& answer)
{
    for (;;) {
        try {
            statement();
            return Flow::Next;
        } catch (const std::exception& e) {
            const int reply = answer(toError(e));
            if (reply == kRepeat)
                continue;
            return reply == kContinue ? Flow::Next : Flow::Leave;
        }
    }
}

Flow RunSteps(const std::vector<std::function<bool()>>& steps, const std::function<int(const Error&)>& answer)
{
    for (const auto& step : steps) {
        bool goOn = true;
        if (RunStatement([&] { goOn = step(); }, answer) == Flow::Leave)
            return Flow::Leave;
        if (!goOn)
            return Flow::Next;
    }
    return Flow::Next;
}

bool ResumeNext(const std::function<void()>& statement)
{
    try {
        statement();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vb
