// The run-time's 96-bit decimal: an unsigned 96-bit whole number, a sign and a scale of 0 to 28 decimals.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace vb {

class Decimal {
public:
    Decimal() = default;
    static Decimal fromInt(long long value);
    // Reads "[+|-]digits[.digits][(e|E)[+|-]digits]" with "." as the decimal point, whatever the locale:
    // other text raises 13 (type mismatch), a value beyond 96 bits raises 6 (overflow). Decimals past the
    // 28th, or past what 96 bits hold, are rounded half to even.
    static Decimal parse(QStringView text);
    static Decimal parse(const QString& text) { return parse(QStringView(text)); }

    double toDouble() const;
    // Without trailing zeros; `point` separates the decimals.
    QString toString(QChar point) const;

    // Equal values compare equal whatever their scales (1.50 == 1.5).
    bool operator==(const Decimal& other) const;

private:
    using Magnitude = unsigned __int128;

    static bool fits(Magnitude m);
    void roundOffOneDecimal();

    Magnitude m_magnitude = 0;
    int m_scale = 0;
    bool m_negative = false;
};

} // namespace vb
