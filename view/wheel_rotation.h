// Whole notches of the mouse wheel out of rotations of any size: a precision touchpad reports
// fractions of a notch, which add up.
#pragma once

#include <cstdint>

class WheelRotation {
public:
    // One notch of rotation (WHEEL_DELTA).
    static constexpr int notch = 120;

    // Adds a rotation of `delta` (positive away from the user) and returns the whole notches
    // it completes; what is left of a notch is kept for the next rotation.
    int add(int delta) {
        rest_ += delta;
        const auto notches = static_cast<int>(rest_ / notch);
        rest_ -= std::int64_t{notches} * notch;
        return notches;
    }

    // Forgets what is left of a notch, where the rotation could not take effect.
    void clear() { rest_ = 0; }

private:
    std::int64_t rest_ = 0;
};
