#pragma once

#include <string>
#include <vector>

namespace tovra::test {

/// Types on the X server's own keyboard device ("Xvfb keyboard"), as a person would, not on the
/// XTEST device that xdotool and our injected pastes use: keystrokes from it are told apart.
class PhysicalKeyboard {
  public:
    PhysicalKeyboard();
    ~PhysicalKeyboard();
    PhysicalKeyboard(const PhysicalKeyboard&) = delete;
    PhysicalKeyboard& operator=(const PhysicalKeyboard&) = delete;

    [[nodiscard]] bool isOpen() const { return device_ != nullptr; }
    /// Key names are X keysym names: "v", "Control_L", "Caps_Lock".
    void press(const std::string& key);
    void release(const std::string& key);
    /// A key by its keycode, whatever it produces.
    void pressCode(int keycode, bool down);
    /// Presses the keys in order, then releases them in reverse order.
    void chord(const std::vector<std::string>& keys);
    /// Switches the keyboard to layout group `group` (0 is the first), as a layout switch key
    /// would.
    void lockGroup(int group);

  private:
    void send(const std::string& key, bool down);

    void* display_ = nullptr;  // Display*, kept out of this header
    void* device_ = nullptr;   // XDevice*
};

}  // namespace tovra::test
