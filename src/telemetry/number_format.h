#pragma once

#include <string>

namespace crv::telemetry {

/// A scaled value as the displays show it: general format, at most 7 significant digits, no
/// trailing zeros, "." as decimal separator whatever the locale (11.5, 12, 55.02286).
std::string formatScaled(double value);

} // namespace crv::telemetry
