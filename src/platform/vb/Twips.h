// Window designs are measured in twips: at 96 DPI, 15 twips make one pixel.
#pragma once

#include <QRect>
#include <QSize>

namespace vb {

constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}

constexpr QRect twips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

constexpr QSize twipsSize(int width, int height)
{
    return QSize(twips(width), twips(height));
}

} // namespace vb
