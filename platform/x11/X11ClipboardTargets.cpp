#include "X11ClipboardTargets.h"

#include "Tovra/base/Utf8.h"

namespace tovra::x11 {

Bytes latin1ToUtf8(std::string_view latin1) {
    return unicode::latin1ToUtf8(latin1);
}

Bytes utf8ToLatin1(std::string_view utf8) {
    Bytes latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto point = unicode::codePointAt(utf8, i);
        const char c = point.value <= 0xFF ? static_cast<char>(point.value) : '?';
        latin1.append(std::string_view(&c, 1));
        i = point.boundary;
    }
    return latin1;
}

Bytes bytesFromProperty(std::string_view target, std::string_view property) {
    return target == latin1Target ? latin1ToUtf8(property) : Bytes(property);
}

Bytes propertyFromBytes(std::string_view target, std::string_view bytes) {
    return target == latin1Target ? utf8ToLatin1(bytes) : Bytes(bytes);
}

}  // namespace tovra::x11
