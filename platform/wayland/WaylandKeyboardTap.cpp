#include "WaylandKeyboardTap.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "WaylandConnection.h"
#include "fake-input-client.h"
#include "virtual-keyboard-unstable-v1-client.h"

namespace tovra {

namespace {

// Linux input key codes (the keymap's codes less 8) and the real modifier masks of the keymap.
constexpr std::uint32_t keyLeftCtrl = 29;
constexpr std::uint32_t keyLeftShift = 42;
constexpr std::uint32_t keyLeftAlt = 56;
constexpr std::uint32_t keyLeftMeta = 125;
constexpr std::uint32_t keyV = 47;
constexpr unsigned shiftMask = 1U << 0;
constexpr unsigned controlMask = 1U << 2;
constexpr unsigned mod1Mask = 1U << 3;
constexpr unsigned mod4Mask = 1U << 6;

constexpr std::uint32_t keyReleased = 0;  // wl_keyboard's key states
constexpr std::uint32_t keyPressed = 1;

/// A modifier as typed: its key and its mask.
struct ModifierKey {
    Modifier modifier;
    std::uint32_t key;
    unsigned mask;
};
// Command is Control here, Option is Alt and Control is Super, as on X11.
constexpr ModifierKey modifierKeys[] = {
    {command, keyLeftCtrl, controlMask},
    {shift, keyLeftShift, shiftMask},
    {option, keyLeftAlt, mod1Mask},
    {control, keyLeftMeta, mod4Mask},
};

std::uint32_t milliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

const char* WaylandKeyboardTap::keymap() {
    return R"(xkb_keymap {
xkb_keycodes "tovra" {
    minimum = 8;
    maximum = 255;
    <LCTL> = 37;
    <LFSH> = 50;
    <LALT> = 64;
    <LWIN> = 133;
    <AB04> = 55;
};
xkb_types "tovra" {
    type "ONE_LEVEL" {
        modifiers = none;
        level_name[Level1] = "Any";
    };
    type "ALPHABETIC" {
        modifiers = Shift+Lock;
        map[Shift] = Level2;
        map[Lock] = Level2;
        level_name[Level1] = "Base";
        level_name[Level2] = "Caps";
    };
};
xkb_compatibility "tovra" {
    interpret Any+AnyOf(all) {
        action = SetMods(modifiers=modMapMods,clearLocks);
    };
};
xkb_symbols "tovra" {
    key <LCTL> { [ Control_L ] };
    key <LFSH> { [ Shift_L ] };
    key <LALT> { [ Alt_L ] };
    key <LWIN> { [ Super_L ] };
    key <AB04> { type = "ALPHABETIC", [ v, V ] };
    modifier_map Control { <LCTL> };
    modifier_map Shift { <LFSH> };
    modifier_map Mod1 { <LALT> };
    modifier_map Mod4 { <LWIN> };
};
};
)";
}

WaylandKeyboardTap::WaylandKeyboardTap(WaylandConnection& connection) : connection_(connection) {
    attachKeyboard();
    seatWatch_ = connection.onSeatChanged([this] { attachKeyboard(); });
}

void WaylandKeyboardTap::attachKeyboard() {
    if (keyboard_ != nullptr && keyboardSeat_ == connection_.seat()) {
        return;
    }
    if (keyboard_ != nullptr) {
        zwp_virtual_keyboard_v1_destroy(keyboard_);
        keyboard_ = nullptr;
    }
    keyboardSeat_ = connection_.seat();
    if (connection_.virtualKeyboardManager() == nullptr || keyboardSeat_ == nullptr) {
        connection_.flush();
        return;
    }
    const char* text = keymap();
    const std::size_t size = std::strlen(text) + 1;  // the compositor reads it as a C string
    const int fd = memfd_create("tovra-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) {
        return;
    }
    if (write(fd, text, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return;
    }
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        connection_.virtualKeyboardManager(), keyboardSeat_);
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(size));
    close(fd);
    connection_.flush();
}

WaylandKeyboardTap::~WaylandKeyboardTap() {
    if (keyboard_ != nullptr) {
        zwp_virtual_keyboard_v1_destroy(keyboard_);
        connection_.flush();
    }
}

bool WaylandKeyboardTap::start(Handler /*handler*/) {
    running_ = true;
    return true;
}

bool WaylandKeyboardTap::canTypeKeys() const {
    return keyboard_ != nullptr || connection_.fakeInput() != nullptr;
}

void WaylandKeyboardTap::postSyntheticPaste(unsigned modifiers) {
    if (keyboard_ == nullptr) {
        typeThroughFakeInput(modifiers);
        return;
    }
    // Our keyboard is a keyboard of its own: keys the user still holds on theirs (the binding
    // that ran us) are not part of its state.
    unsigned mask = 0;
    for (const ModifierKey& modifier : modifierKeys) {
        if ((modifiers & modifier.modifier) != 0) {
            sendKey(modifier.key, true);
            mask |= modifier.mask;
            sendModifiers(mask);
        }
    }
    sendKey(keyV, true);
    sendKey(keyV, false);
    for (const ModifierKey& modifier : modifierKeys) {
        if ((modifiers & modifier.modifier) != 0) {
            sendKey(modifier.key, false);
            mask &= ~modifier.mask;
            sendModifiers(mask);
        }
    }
    connection_.flush();
}

void WaylandKeyboardTap::typeThroughFakeInput(unsigned modifiers) {
    org_kde_kwin_fake_input* input = connection_.fakeInput();
    if (input == nullptr) {
        return;
    }
    if (!fakeInputAuthenticated_) {
        // KWin ignores the events of a client that has not said who it is.
        org_kde_kwin_fake_input_authenticate(input, "Tovra", "Types the paste shortcut");
        fakeInputAuthenticated_ = true;
    }
    for (const ModifierKey& modifier : modifierKeys) {
        if ((modifiers & modifier.modifier) != 0) {
            org_kde_kwin_fake_input_keyboard_key(input, modifier.key, keyPressed);
        }
    }
    org_kde_kwin_fake_input_keyboard_key(input, keyV, keyPressed);
    org_kde_kwin_fake_input_keyboard_key(input, keyV, keyReleased);
    for (const ModifierKey& modifier : modifierKeys) {
        if ((modifiers & modifier.modifier) != 0) {
            org_kde_kwin_fake_input_keyboard_key(input, modifier.key, keyReleased);
        }
    }
    connection_.flush();
}

void WaylandKeyboardTap::sendModifiers(unsigned mask) {
    zwp_virtual_keyboard_v1_modifiers(keyboard_, mask, 0, 0, 0);
}

void WaylandKeyboardTap::sendKey(std::uint32_t key, bool pressed) {
    zwp_virtual_keyboard_v1_key(keyboard_, milliseconds(), key, pressed ? keyPressed : keyReleased);
}

}  // namespace tovra
