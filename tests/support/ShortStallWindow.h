// Shortens the stall window of every transfer while it lives, so that a test sees a stall within a second or
// two instead of a minute; the byte count of the rule stays as it is.
#pragma once

#include "platform/net/StallWatch.h"

namespace kembtest {

class ShortStallWindow {
public:
    explicit ShortStallWindow(int ms) { net::StallWatch::setWindowOverride(ms); }
    ~ShortStallWindow() { net::StallWatch::setWindowOverride(0); }
    ShortStallWindow(const ShortStallWindow&) = delete;
    ShortStallWindow& operator=(const ShortStallWindow&) = delete;
};

} // namespace kembtest
