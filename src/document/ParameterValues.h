#pragma once
// Named command parameters that are not whole numbers: colours written RRGGBB
// (an optional leading #) and real numbers.
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/DibTypes.h"
#include "document/CommandRegistry.h"

namespace quillory {

inline bool ParseHexColour(const std::string& text, RGBQUAD& colour) {
    const std::string hex = text.rfind('#', 0) == 0 ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long v = std::stoul(hex, nullptr, 16);
    colour = RGBQUAD{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0};
    return true;
}

// The value of a parameter as a real number; fallback when absent (a value that is
// no number is refused, see CommandParameters::Real).
inline double RealParameter(const CommandParameters& p, const std::string& key, double fallback) {
    return p.Real(key, fallback);
}

}  // namespace quillory
