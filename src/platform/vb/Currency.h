// Fixed-point money and size values: a 64-bit count of ten-thousandths.
#pragma once

#include <QString>
#include <compare>
#include <cstdint>

namespace vb {

// Every conversion into Currency and its arithmetic raise run-time error 6 ("Desbordamiento") when the result
// lies outside -922337203685477.5808 .. 922337203685477.5807, as the run-time does, instead of wrapping.
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
    static Currency fromInt(std::int64_t value);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / 10000.0; }
    bool isZero() const { return m_raw == 0; }

    Currency operator+(Currency o) const;
    Currency operator-(Currency o) const;
    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t m_raw = 0;
};

} // namespace vb
