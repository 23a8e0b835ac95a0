#pragma once

#include <cstddef>
#include <new>

namespace tovra {

/// Overwrites `size` bytes at `data` in a way the optimiser may not remove.
void secureZero(void* data, std::size_t size) noexcept;

/// The one allocator for captured clipboard bytes. Memory is overwritten before it is given back,
/// so released content does not linger in the heap. Locking against swap and excluding the pages
/// from core dumps belongs here too, so that every captured byte gets it at once.
template <class T>
class SecureAllocator {
  public:
    using value_type = T;

    SecureAllocator() noexcept = default;
    template <class U>
    SecureAllocator(const SecureAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return static_cast<T*>(::operator new(count * sizeof(T))); }

    void deallocate(T* pointer, std::size_t count) noexcept {
        secureZero(pointer, count * sizeof(T));
        ::operator delete(pointer);
    }

    template <class U>
    bool operator==(const SecureAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace tovra
