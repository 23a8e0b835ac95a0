#include "SecureAllocator.h"

#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

namespace tovra {

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer checks heap bounds only; sanitized builds keep captured bytes on the heap.
constexpr bool ownPages = false;
#else
constexpr bool ownPages = true;
#endif

std::atomic<std::size_t> liveBytes{0};

std::size_t pageRounded(std::size_t bytes) {
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t wanted = bytes == 0 ? 1 : bytes;
    if (wanted > static_cast<std::size_t>(-1) - page) {
        throw std::bad_alloc();
    }
    return (wanted + page - 1) / page * page;
}

}  // namespace

void secureZero(void* data, std::size_t size) noexcept {
    if (data != nullptr && size > 0) {
        explicit_bzero(data, size);
    }
}

std::size_t secureLiveBytes() noexcept {
    return liveBytes.load(std::memory_order_relaxed);
}

void* secureAllocate(std::size_t bytes) {
    if (!ownPages) {
        void* memory = ::operator new(bytes);
        liveBytes.fetch_add(bytes, std::memory_order_relaxed);
        return memory;
    }
    const std::size_t length = pageRounded(bytes);
    void* pages = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Both are best effort: a kernel without the advice or a spent lock limit leaves the pages
    // ordinary, and the process is not dumpable in any case.
    (void)madvise(pages, length, MADV_DONTDUMP);
    (void)mlock(pages, length);
    liveBytes.fetch_add(bytes, std::memory_order_relaxed);
    return pages;
}

void secureRelease(void* data, std::size_t bytes) noexcept {
    if (data == nullptr) {
        return;
    }
    liveBytes.fetch_sub(bytes, std::memory_order_relaxed);
    if (!ownPages) {
        secureZero(data, bytes);
        ::operator delete(data);
        return;
    }
    const std::size_t length = pageRounded(bytes);
    secureZero(data, length);
    (void)munlock(data, length);
    munmap(data, length);
}

}  // namespace tovra
