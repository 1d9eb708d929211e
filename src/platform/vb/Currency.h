// Fixed-point money and size values: a 64-bit count of ten-thousandths.
#pragma once

#include <QString>
#include <compare>
#include <cstdint>

namespace vb {

class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    // Rounds half away from zero to four decimals.
    static Currency fromDouble(double value);
    static constexpr Currency fromInt(std::int64_t value) { return fromRaw(value * 10000); }

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / 10000.0; }
    bool isZero() const { return m_raw == 0; }

    Currency operator+(Currency o) const { return fromRaw(m_raw + o.m_raw); }
    Currency operator-(Currency o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t m_raw = 0;
};

} // namespace vb
