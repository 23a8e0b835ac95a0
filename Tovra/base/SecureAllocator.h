#pragma once

#include <cstddef>
#include <new>

namespace tovra {

/// Overwrites `size` bytes at `data` in a way the optimiser may not remove.
void secureZero(void* data, std::size_t size) noexcept;

/// Memory of its own pages for captured bytes: left out of core dumps and locked against swap
/// where the system allows (the lock limit is small, so locking is best effort). Throws
/// std::bad_alloc when no memory is left.
void* secureAllocate(std::size_t bytes);
/// Overwrites and returns what `secureAllocate` gave.
void secureRelease(void* data, std::size_t bytes) noexcept;
/// How many bytes `secureAllocate` gave that are not yet released: what the process holds of
/// captured content, including every copy of it.
std::size_t secureLiveBytes() noexcept;

/// The one allocator for captured clipboard bytes. Memory is overwritten before it is given back,
/// so released content does not linger, and it never reaches swap or a core dump where the
/// system can prevent it.
template <class T>
class SecureAllocator {
  public:
    using value_type = T;

    SecureAllocator() noexcept = default;
    template <class U>
    SecureAllocator(const SecureAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(secureAllocate(count * sizeof(T)));
    }

    void deallocate(T* pointer, std::size_t count) noexcept {
        secureRelease(pointer, count * sizeof(T));
    }

    template <class U>
    bool operator==(const SecureAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace tovra
