#include "SecureAllocator.h"

#include <string.h>

namespace tovra {

void secureZero(void* data, std::size_t size) noexcept {
    if (data != nullptr && size > 0) {
        explicit_bzero(data, size);
    }
}

}  // namespace tovra
