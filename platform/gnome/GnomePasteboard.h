#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GnomeBridge.h"
#include "Tovra/base/ClipboardRepresentation.h"
#include "platform/EndOfTurnTask.h"
#include "platform/Pasteboard.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

/// The clipboard as GNOME Shell holds it, through the extension: every new owner is told in
/// order with the types it offers, and read type by type within the same budgets as elsewhere.
/// Our writes are set by the extension, which never reports them back; a wipe replaces only
/// what is still ours.
class GnomePasteboard final : public Pasteboard {
  public:
    struct Options {
        /// The most bytes one copy may take in all its types together.
        std::size_t maxBytes = 0;
        /// How long one copy may take to read in all.
        std::chrono::milliseconds readBudget{10000};
    };

    GnomePasteboard(GnomeBridge& bridge, MainQueue& mainQueue, Options options);

    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    std::optional<Bytes> string() override;
    std::optional<Bytes> data(std::string_view type) override;
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
    bool setData(Bytes data, std::string_view type) override;
    void commitPendingWrites() override;
    /// The extension sets the owner as it reads the message, before any key typed after it.
    bool publishWrites() override;
    bool observeChanges(std::function<void(const PasteboardChange&)> onChange) override;

    /// The MIME type our contents are set under: the shell holds one type per owner.
    static std::string_view writtenMime(const std::vector<ClipboardRepresentation>& contents,
                                        std::string_view* type = nullptr);

  private:
    using Contents = std::vector<ClipboardRepresentation>;
    struct Read {
        std::string serial;
        std::vector<std::string> mimes;  // still to ask for, in order
        std::vector<std::string_view> types;
        std::shared_ptr<Contents> contents = std::make_shared<Contents>();
        std::size_t bytes = 0;
        bool failed = false;
        bool asked = false;
    };

    void onSelection(const GnomeBridge::Fields& fields);
    void onData(const GnomeBridge::Fields& fields, bool hasData);
    void askNext();
    void finishHead();
    void commitWrite();

    GnomeBridge& bridge_;
    MainQueue& mainQueue_;
    Options options_;
    std::int64_t changeCount_ = 0;
    std::int64_t writes_ = 0;
    std::shared_ptr<const Contents> snapshot_ = std::make_shared<const Contents>();
    std::function<void(const PasteboardChange&)> onChange_;
    std::deque<Read> reads_;
    TaskHandle readDeadline_;
    std::shared_ptr<Contents> own_;
    bool writePending_ = false;
    /// The write the clipboard holds while it is ours.
    std::int64_t ownWrite_ = 0;
    EndOfTurnTask commit_{mainQueue_, [this] { commitWrite(); }};
};

}  // namespace tovra
