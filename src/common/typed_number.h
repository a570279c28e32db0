#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace crv {

// Numbers the user types into fields: strict, "." as the decimal point whatever the locale.

/// A typed whole number: optional blanks and sign, then decimal digits only, within 32 bits.
struct IntegerParse {
    std::optional<int32_t> value;
    std::string error; ///< "'12a' is not a valid integer value"
};
IntegerParse parseInteger(const std::string& text);

/// A typed decimal number with "."; the error reads "'x' is not a valid floating point value".
struct NumberParse {
    std::optional<double> value;
    std::string error;
};
NumberParse parseNumber(const std::string& text);

/// value in fixed notation with so many decimals and ".", whatever the locale.
std::string fixedDecimals(double value, int decimals);

} // namespace crv
