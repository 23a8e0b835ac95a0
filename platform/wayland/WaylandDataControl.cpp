#include "WaylandDataControl.h"

#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

namespace tovra {

namespace {
// Request numbers, shared by both protocols.
constexpr std::uint32_t createDataSourceRequest = 0;
constexpr std::uint32_t getDataDeviceRequest = 1;
constexpr std::uint32_t setSelectionRequest = 0;
constexpr std::uint32_t offerRequest = 0;
constexpr std::uint32_t receiveRequest = 0;
constexpr std::uint32_t destroyRequest = 1;  // device, source and offer

static_assert(ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE == createDataSourceRequest &&
              EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE == createDataSourceRequest);
static_assert(ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == getDataDeviceRequest &&
              EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == getDataDeviceRequest);
static_assert(ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION == setSelectionRequest &&
              EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION == setSelectionRequest);
static_assert(ZWLR_DATA_CONTROL_SOURCE_V1_OFFER == offerRequest &&
              EXT_DATA_CONTROL_SOURCE_V1_OFFER == offerRequest);
static_assert(ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE == receiveRequest &&
              EXT_DATA_CONTROL_OFFER_V1_RECEIVE == receiveRequest);
static_assert(ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY == destroyRequest &&
              ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY == destroyRequest &&
              ZWLR_DATA_CONTROL_OFFER_V1_DESTROY == destroyRequest &&
              EXT_DATA_CONTROL_DEVICE_V1_DESTROY == destroyRequest &&
              EXT_DATA_CONTROL_SOURCE_V1_DESTROY == destroyRequest &&
              EXT_DATA_CONTROL_OFFER_V1_DESTROY == destroyRequest);
}  // namespace

WaylandDataControl::WaylandDataControl(wl_proxy* manager, DataControlFlavor flavor)
    : manager_(flavor == DataControlFlavor::none ? nullptr : manager) {
    if (flavor == DataControlFlavor::ext) {
        sourceInterface_ = &ext_data_control_source_v1_interface;
        deviceInterface_ = &ext_data_control_device_v1_interface;
    } else if (flavor == DataControlFlavor::wlr) {
        sourceInterface_ = &zwlr_data_control_source_v1_interface;
        deviceInterface_ = &zwlr_data_control_device_v1_interface;
    }
}

wl_proxy* WaylandDataControl::createSource(wl_event_queue* queue) const {
    if (queue == nullptr) {
        return wl_proxy_marshal_flags(manager_, createDataSourceRequest, sourceInterface_,
                                      wl_proxy_get_version(manager_), 0, nullptr);
    }
    // Made through a wrapper on that queue: its first event cannot reach another.
    auto* wrapper = static_cast<wl_proxy*>(wl_proxy_create_wrapper(manager_));
    wl_proxy_set_queue(wrapper, queue);
    wl_proxy* source = wl_proxy_marshal_flags(wrapper, createDataSourceRequest, sourceInterface_,
                                              wl_proxy_get_version(manager_), 0, nullptr);
    wl_proxy_wrapper_destroy(wrapper);
    return source;
}

wl_proxy* WaylandDataControl::getDevice(wl_seat* seat) const {
    return wl_proxy_marshal_flags(manager_, getDataDeviceRequest, deviceInterface_,
                                  wl_proxy_get_version(manager_), 0, nullptr, seat);
}

void WaylandDataControl::setSelection(wl_proxy* device, wl_proxy* source) {
    wl_proxy_marshal_flags(device, setSelectionRequest, nullptr, wl_proxy_get_version(device), 0,
                           source);
}

void WaylandDataControl::offer(wl_proxy* source, const char* mimeType) {
    wl_proxy_marshal_flags(source, offerRequest, nullptr, wl_proxy_get_version(source), 0,
                           mimeType);
}

void WaylandDataControl::receive(wl_proxy* offer, const char* mimeType, int fd) {
    wl_proxy_marshal_flags(offer, receiveRequest, nullptr, wl_proxy_get_version(offer), 0, mimeType,
                           fd);
}

void WaylandDataControl::destroy(wl_proxy* object) {
    wl_proxy_marshal_flags(object, destroyRequest, nullptr, wl_proxy_get_version(object),
                           WL_MARSHAL_FLAG_DESTROY);
}

}  // namespace tovra
