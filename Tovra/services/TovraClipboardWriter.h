#pragma once

#include <functional>
#include <string>

#include "frame/MoxAppOpeningURLs.h"

namespace tovra {

/// The frame's clipboard writes (the diagnostic text) go through the controller, which puts
/// them on the clipboard the queue uses and queues them as one item; they never wait on the
/// toolkit's own clipboard.
class TovraClipboardWriter final : public mox::MoxClipboardWriting {
  public:
    explicit TovraClipboardWriter(std::function<void(const std::string&)> copy)
        : copy_(std::move(copy)) {}
    void write(const QString& text) override { copy_(text.toStdString()); }

  private:
    std::function<void(const std::string&)> copy_;
};

}  // namespace tovra
