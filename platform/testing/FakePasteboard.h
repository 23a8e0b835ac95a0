#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"

namespace tovra::testing {

/// An in-memory clipboard that counts changes as the real one does: once per foreign copy and
/// once per own clear; writes are accepted only while we own it (after our own clear).
class FakePasteboard final : public Pasteboard {
  public:
    FakePasteboard() = default;
    /// A clipboard whose system does not tell of changes: the watcher has to poll it.
    struct WithoutNotifications {};
    explicit FakePasteboard(WithoutNotifications) : notifies_(false) {}

    [[nodiscard]] std::int64_t changeCount() const override;
    std::optional<Bytes> string() override;
    std::optional<Bytes> data(std::string_view type) override;
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
    bool setData(Bytes data, std::string_view type) override;
    bool observeChanges(std::function<void(const PasteboardChange&)> onChange) override;
    /// Tells the outcome of pastes only once it has a clock (`useMainQueue`).
    bool watchPasteDelivery(std::chrono::milliseconds window,
                            std::function<void(PasteDelivery)> report) override;
    void useMainQueue(MainQueue& mainQueue) { mainQueue_ = &mainQueue; }
    /// Writes are visible the moment they are made: a paste may be typed at once.
    bool publishWrites() override {
        ++publishCount_;
        return publishesAtOnce_;
    }
    /// As X11 does (true) or as a system that spreads writes in its own time (false, the default).
    void setPublishesAtOnce(bool atOnce) { publishesAtOnce_ = atOnce; }
    [[nodiscard]] int publishCount() const noexcept { return publishCount_; }
    /// The application a paste went to reads the clipboard (once, or on and on until
    /// `simulateTargetDoneReading`).
    void simulateTargetRequest(bool readsOnce = true);
    void simulateTargetDoneReading();
    [[nodiscard]] bool isObserved() const { return static_cast<bool>(onChange_); }

    /// Another application copies: it becomes the owner of exactly these contents.
    void simulateForeignCopy(std::vector<ClipboardRepresentation> contents);
    void simulateForeignText(std::string_view text);
    /// Writes of this type fail from now on, as a backend may refuse one type.
    void failWritesOf(std::string_view type);

    [[nodiscard]] const std::vector<ClipboardRepresentation>& contents() const { return contents_; }
    [[nodiscard]] bool ownedByUs() const noexcept { return ownedByUs_; }
    /// Types in the order they were written since the last clear, as strings or as data.
    [[nodiscard]] const std::vector<std::string>& stringWrites() const { return stringWrites_; }
    [[nodiscard]] const std::vector<std::string>& dataWrites() const { return dataWrites_; }
    [[nodiscard]] int clearCount() const noexcept { return clearCount_; }
    [[nodiscard]] int changeCountReads() const noexcept { return changeCountReads_; }
    [[nodiscard]] int contentReads() const noexcept { return contentReads_; }

  private:
    bool store(std::string_view type, Bytes bytes);

    std::vector<ClipboardRepresentation> contents_;
    std::set<std::string, std::less<>> failingTypes_;
    std::vector<std::string> stringWrites_;
    std::vector<std::string> dataWrites_;
    std::int64_t changeCount_ = 0;
    bool ownedByUs_ = false;
    bool notifies_ = true;
    bool publishesAtOnce_ = false;
    int publishCount_ = 0;
    std::function<void(const PasteboardChange&)> onChange_;
    MainQueue* mainQueue_ = nullptr;
    std::function<void(PasteDelivery)> deliveryReport_;
    std::function<void(PasteDelivery)> stillReading_;
    bool reportedNotRequested_ = false;
    TaskHandle deliveryDeadline_;
    int clearCount_ = 0;
    mutable int changeCountReads_ = 0;
    int contentReads_ = 0;
};

}  // namespace tovra::testing
