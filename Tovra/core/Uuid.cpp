#include "Uuid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstddef>
#include <system_error>

namespace tovra {

namespace {

void fillRandom(std::uint8_t* out, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::getrandom(out + filled, size - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(got);
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isDashPosition(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

}  // namespace

Uuid Uuid::random() {
    Octets octets;
    fillRandom(octets.data(), octets.size());
    octets[6] = static_cast<std::uint8_t>((octets[6] & 0x0F) | 0x40);  // version 4
    octets[8] = static_cast<std::uint8_t>((octets[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(octets);
}

std::optional<Uuid> Uuid::fromString(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    Octets octets{};
    std::size_t octet = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (isDashPosition(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        octets[octet++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return Uuid(octets);
}

std::string Uuid::toString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < octets_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(kDigits[octets_[i] >> 4]);
        text.push_back(kDigits[octets_[i] & 0x0F]);
    }
    return text;
}

}  // namespace tovra
