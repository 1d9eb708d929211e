#include "platform/vb/Currency.h"

#include <cmath>

namespace vb {

Currency Currency::fromDouble(double value)
{
    return fromRaw(static_cast<std::int64_t>(std::llround(value * 10000.0)));
}

} // namespace vb
