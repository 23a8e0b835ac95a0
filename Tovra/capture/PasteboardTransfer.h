#pragma once

#include <optional>
#include <vector>

#include "Tovra/core/ClipboardPayload.h"

namespace tovra {

class Pasteboard;

/// Reads the clipboard's current contents: at most the five captured types, in their order,
/// within the byte budget; a type that does not fit is skipped and a later one may still fit.
/// Nothing when no type could be taken.
std::optional<ClipboardPayload> capturePayload(Pasteboard& pasteboard);
/// The same from contents a pasteboard reported.
std::optional<ClipboardPayload> capturePayload(
    const std::vector<ClipboardRepresentation>& contents);

/// Replaces the clipboard's contents with every representation of the payload; plain text that
/// is valid UTF-8 goes as a string. A failed write does not stop the others.
void writeToPasteboard(const ClipboardPayload& payload, Pasteboard& pasteboard);

}  // namespace tovra
