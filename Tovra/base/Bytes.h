#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SecureAllocator.h"

namespace tovra {

/// Bytes of captured clipboard content. Every buffer it ever held is overwritten when released
/// (growth, copy-over, destruction), because it may hold passwords the user copied.
class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::string_view content) : storage_(content.begin(), content.end()) {}

    [[nodiscard]] std::size_t size() const noexcept { return storage_.size(); }
    [[nodiscard]] bool empty() const noexcept { return storage_.empty(); }
    [[nodiscard]] const char* data() const noexcept { return storage_.data(); }
    [[nodiscard]] std::string_view view() const noexcept {
        return {storage_.data(), storage_.size()};
    }

    void reserve(std::size_t capacity) { storage_.reserve(capacity); }
    void append(std::string_view more) {
        storage_.insert(storage_.end(), more.begin(), more.end());
    }
    void clear() noexcept { storage_.clear(); }

    friend bool operator==(const Bytes& lhs, const Bytes& rhs) noexcept {
        return lhs.view() == rhs.view();
    }

  private:
    std::vector<char, SecureAllocator<char>> storage_;
};

}  // namespace tovra
