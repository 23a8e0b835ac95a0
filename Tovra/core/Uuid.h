#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovra {

/// A 128-bit identifier. `random()` makes version-4 identifiers from the kernel's random source.
class Uuid {
  public:
    using Octets = std::array<std::uint8_t, 16>;

    constexpr Uuid() = default;
    constexpr explicit Uuid(const Octets& octets) : octets_(octets) {}

    static Uuid random();
    /// Parses the canonical 8-4-4-4-12 hexadecimal form, either case.
    static std::optional<Uuid> fromString(std::string_view text);

    /// Canonical upper-case form, as identifiers are shown elsewhere on the desktop.
    [[nodiscard]] std::string toString() const;
    [[nodiscard]] const Octets& octets() const noexcept { return octets_; }
    [[nodiscard]] bool isNil() const noexcept { return *this == Uuid(); }

    friend constexpr bool operator==(const Uuid&, const Uuid&) = default;
    friend constexpr auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    Octets octets_{};
};

}  // namespace tovra
