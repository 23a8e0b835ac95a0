#pragma once

#include "RawValueEnum.h"

namespace tovra {

/// How item texts are shown on screen; what is pasted never changes.
enum class PrivacyMode { preview, partialMask, sensitive };

template <>
struct RawValues<PrivacyMode> {
    static constexpr std::array<std::pair<PrivacyMode, std::string_view>, 3> table{{
        {PrivacyMode::preview, "Preview"},
        {PrivacyMode::partialMask, "Partial Mask"},
        {PrivacyMode::sensitive, "Sensitive"},
    }};
};

}  // namespace tovra
