// Our UTF-8 check agrees with ICU's conversion on every byte string, and the X11 Latin-1
// conversions round-trip.
#include <unicode/ustring.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "Tovra/base/Utf8.h"
#include "platform/x11/X11ClipboardTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<UChar> converted(size + 1);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(converted.data(), static_cast<int32_t>(converted.size()), &length, bytes.data(),
                  static_cast<int32_t>(bytes.size()), &status);
    FUZZ_CHECK(tovra::unicode::isValidUtf8(bytes) == static_cast<bool>(U_SUCCESS(status)));

    // Latin-1 (STRING) text as UTF-8 and back is the same bytes.
    const tovra::Bytes asUtf8 = tovra::x11::latin1ToUtf8(bytes);
    FUZZ_CHECK(tovra::unicode::isValidUtf8(asUtf8.view()));
    FUZZ_CHECK(tovra::x11::utf8ToLatin1(asUtf8.view()).view() == bytes);
    if (tovra::unicode::isValidUtf8(bytes)) {
        const tovra::Bytes asLatin1 = tovra::x11::utf8ToLatin1(bytes);
        FUZZ_CHECK(tovra::unicode::isValidUtf8(tovra::x11::latin1ToUtf8(asLatin1.view()).view()));
    }
    return 0;
}
