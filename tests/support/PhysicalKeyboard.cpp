#include "PhysicalKeyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>

#include <cstring>

namespace tovra::test {

namespace {
Display* asDisplay(void* display) {
    return static_cast<Display*>(display);
}
XDevice* asDevice(void* device) {
    return static_cast<XDevice*>(device);
}
}  // namespace

PhysicalKeyboard::PhysicalKeyboard() {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        return;
    }
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(asDisplay(display_), &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(devices[i].name, "Xvfb keyboard") == 0) {
            device_ = XOpenDevice(asDisplay(display_), devices[i].id);
        }
    }
    XFreeDeviceList(devices);
}

PhysicalKeyboard::~PhysicalKeyboard() {
    if (device_ != nullptr) {
        XCloseDevice(asDisplay(display_), asDevice(device_));
    }
    if (display_ != nullptr) {
        XCloseDisplay(asDisplay(display_));
    }
}

void PhysicalKeyboard::send(const std::string& key, bool down) {
    if (device_ == nullptr) {
        return;
    }
    const KeyCode code = XKeysymToKeycode(asDisplay(display_), XStringToKeysym(key.c_str()));
    XTestFakeDeviceKeyEvent(asDisplay(display_), asDevice(device_), code, down ? True : False,
                            nullptr, 0, CurrentTime);
    XSync(asDisplay(display_), False);
}

void PhysicalKeyboard::pressCode(int keycode, bool down) {
    if (device_ == nullptr) {
        return;
    }
    XTestFakeDeviceKeyEvent(asDisplay(display_), asDevice(device_), static_cast<unsigned>(keycode),
                            down ? True : False, nullptr, 0, CurrentTime);
    XSync(asDisplay(display_), False);
}

void PhysicalKeyboard::lockGroup(int group) {
    XkbLockGroup(asDisplay(display_), XkbUseCoreKbd, static_cast<unsigned>(group));
    XSync(asDisplay(display_), False);
}

void PhysicalKeyboard::press(const std::string& key) {
    send(key, true);
}
void PhysicalKeyboard::release(const std::string& key) {
    send(key, false);
}

void PhysicalKeyboard::chord(const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
        press(key);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        release(*it);
    }
}

}  // namespace tovra::test
