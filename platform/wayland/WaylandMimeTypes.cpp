#include "WaylandMimeTypes.h"

#include <algorithm>

#include "Tovra/base/Utf8.h"

namespace tovra::wayland {

std::vector<MimeName> mimeTypesToRead(const std::vector<std::string>& offered) {
    std::vector<MimeName> chosen;
    for (const std::string_view type : capturedTypes) {
        for (const MimeName& name : clipboardMimeTypes) {
            if (name.type == type &&
                std::find(offered.begin(), offered.end(), name.mime) != offered.end()) {
                chosen.push_back(name);
                break;
            }
        }
    }
    return chosen;
}

Bytes bytesFromMime(const MimeName& name, Bytes data) {
    if (name.type != pasteboardType::string || unicode::isValidUtf8(data.view())) {
        return data;
    }
    return unicode::latin1ToUtf8(data.view());
}

std::vector<std::string_view> mimeTypesOf(std::string_view type) {
    std::vector<std::string_view> mimes;
    for (const MimeName& name : clipboardMimeTypes) {
        if (name.type == type) {
            mimes.push_back(name.mime);
        }
    }
    return mimes;
}

std::string_view typeOfMime(std::string_view mime) {
    for (const MimeName& name : clipboardMimeTypes) {
        if (name.mime == mime) {
            return name.type;
        }
    }
    return {};
}

}  // namespace tovra::wayland
