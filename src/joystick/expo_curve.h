#pragma once

namespace crv::joystick {

/// The exponential stick curve for a deflection x (-1 to 1) and an exponent percentage E
/// (0 to 99, 0 linear): odd, through 0, just below 1 at x = 0.99. x is clamped to -0.99 to
/// 0.99 and E to 0 to 99; E = 50 gives the base k = 10.
double ExpoCurve(double x, int exponentPercent);

} // namespace crv::joystick
