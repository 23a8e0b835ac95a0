#pragma once

#include <string>
#include <string_view>

#include "PrivacyMode.h"

namespace tovra {

/// The only form in which a surface shows an item's text. Masking changes only what is shown;
/// what is pasted is untouched. Cost depends on the few characters shown, not the text's length.
std::string maskedText(std::string_view text, PrivacyMode mode);

}  // namespace tovra
