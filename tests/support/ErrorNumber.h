// The number of the run-time error a statement raises, 0 when it raises none.
#pragma once

#include "platform/vb/Error.h"

#include <functional>

namespace kembtest {

inline long errorNumber(const std::function<void()>& statement)
{
    try {
        statement();
    } catch (const vb::Error& e) {
        return e.Number();
    }
    return 0;
}

} // namespace kembtest
