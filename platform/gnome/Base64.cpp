#include "Base64.h"

#include <array>
#include <cstdint>

namespace tovra::gnome {

namespace {

constexpr std::string_view alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> decodingTable() {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

}  // namespace

std::string base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16U |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8U |
                                    static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) {
            text.push_back(alphabet[(group >> static_cast<unsigned>(shift)) & 63U]);
        }
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16U;
        if (rest == 2) {
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8U;
        }
        text.push_back(alphabet[(group >> 18U) & 63U]);
        text.push_back(alphabet[(group >> 12U) & 63U]);
        text.push_back(rest == 2 ? alphabet[(group >> 6U) & 63U] : '=');
        text.push_back('=');
    }
    return text;
}

std::optional<Bytes> base64Decode(std::string_view text) {
    static constexpr auto table = decodingTable();
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    Bytes bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const char c = text[i + j];
            const std::int8_t value = table[static_cast<unsigned char>(c)];
            const bool padded = static_cast<int>(j) >= 4 - padding;
            if (padded ? c != '=' : value < 0) {
                return std::nullopt;
            }
            group = group << 6U | (padded ? 0U : static_cast<std::uint32_t>(value));
        }
        const char decoded[3] = {static_cast<char>(group >> 16U), static_cast<char>(group >> 8U),
                                 static_cast<char>(group)};
        bytes.append(std::string_view(decoded, static_cast<std::size_t>(3 - padding)));
    }
    return bytes;
}

}  // namespace tovra::gnome
