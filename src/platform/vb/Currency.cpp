#include "platform/vb/Currency.h"

#include "platform/vb/Error.h"

#include <cmath>
#include <limits>

namespace vb {
namespace {

[[noreturn]] void overflow()
{
    throw Error(6, QStringLiteral("Desbordamiento"));
}

using Limits = std::numeric_limits<std::int64_t>;

// 2^63: the first count of ten-thousandths that no longer fits; every double below it converts exactly.
constexpr double kLimite = 9223372036854775808.0;
constexpr std::int64_t kEscala = 10000;

} // namespace

Currency Currency::fromDouble(double value)
{
    const double scaled = std::round(value * static_cast<double>(kEscala));
    // Written so that NaN fails the test as well.
    if (!(scaled >= -kLimite && scaled < kLimite))
        overflow();
    return fromRaw(static_cast<std::int64_t>(scaled));
}

Currency Currency::fromInt(std::int64_t value)
{
    if (value > Limits::max() / kEscala || value < Limits::min() / kEscala)
        overflow();
    return fromRaw(value * kEscala);
}

Currency Currency::operator+(Currency o) const
{
    if ((o.m_raw > 0 && m_raw > Limits::max() - o.m_raw) || (o.m_raw < 0 && m_raw < Limits::min() - o.m_raw))
        overflow();
    return fromRaw(m_raw + o.m_raw);
}

Currency Currency::operator-(Currency o) const
{
    if ((o.m_raw < 0 && m_raw > Limits::max() + o.m_raw) || (o.m_raw > 0 && m_raw < Limits::min() + o.m_raw))
        overflow();
    return fromRaw(m_raw - o.m_raw);
}

} // namespace vb
