#pragma once

#include <memory>

namespace tovra {

/// Calls a C library's release function for a handle it gave out.
template <auto Release>
struct CRelease {
    template <class T>
    void operator()(T* handle) const noexcept {
        Release(handle);
    }
};

/// A C handle owned like any other resource: released by its own function when the owner goes.
template <class T, auto Release>
using CHandle = std::unique_ptr<T, CRelease<Release>>;

}  // namespace tovra
