#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Tovra/base/Bytes.h"

namespace tovra::gnome {

/// Standard base64 with padding, as GLib writes and reads it.
std::string base64Encode(std::string_view bytes);
/// Nothing when `text` is not base64. The result may be a copied password: it lands in `Bytes`.
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace tovra::gnome
