#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "WaylandConnection.h"

namespace tovra {

/// The standard data-control protocol and wlroots' own have one shape: the same requests,
/// events and arguments in the same order under other names. One set of calls serves both.
class WaylandDataControl {
  public:
    struct DeviceListener {
        void (*dataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*selection)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*finished)(void* data, wl_proxy* device);
        void (*primarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
    };
    struct SourceListener {
        void (*send)(void* data, wl_proxy* source, const char* mimeType, std::int32_t fd);
        void (*cancelled)(void* data, wl_proxy* source);
    };
    struct OfferListener {
        void (*offer)(void* data, wl_proxy* offer, const char* mimeType);
    };

    /// `manager` is the bound manager of `flavor`, or null (nothing works).
    WaylandDataControl(wl_proxy* manager, DataControlFlavor flavor);

    [[nodiscard]] bool isAvailable() const { return manager_ != nullptr; }
    /// A source whose events go to `queue` (null: the connection's default queue).
    [[nodiscard]] wl_proxy* createSource(wl_event_queue* queue = nullptr) const;
    [[nodiscard]] wl_proxy* getDevice(wl_seat* seat) const;

    /// A null source empties the selection.
    static void setSelection(wl_proxy* device, wl_proxy* source);
    static void offer(wl_proxy* source, const char* mimeType);
    /// The offering client writes the data into `fd` and closes it; our copy may be closed at once.
    static void receive(wl_proxy* offer, const char* mimeType, int fd);
    /// Devices, sources and offers all end with the same request.
    static void destroy(wl_proxy* object);

  private:
    wl_proxy* manager_;
    const wl_interface* sourceInterface_ = nullptr;
    const wl_interface* deviceInterface_ = nullptr;
};

}  // namespace tovra
