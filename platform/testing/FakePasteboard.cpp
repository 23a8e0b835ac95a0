#include "FakePasteboard.h"

#include <algorithm>
#include <utility>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/Utf8.h"

namespace tovra::testing {

std::int64_t FakePasteboard::changeCount() const {
    ++changeCountReads_;
    return changeCount_;
}

std::optional<Bytes> FakePasteboard::string() {
    ++contentReads_;
    for (const auto& representation : contents_) {
        if (representation.type == pasteboardType::string) {
            if (!unicode::isValidUtf8(representation.data.view())) {
                return std::nullopt;
            }
            return representation.data;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> FakePasteboard::data(std::string_view type) {
    ++contentReads_;
    for (const auto& representation : contents_) {
        if (representation.type == type) {
            return representation.data;
        }
    }
    return std::nullopt;
}

void FakePasteboard::clearContents() {
    // A newer write ends the watch of the one before: nobody asked for that one.
    deliveryDeadline_.cancel();
    if (auto report = std::exchange(deliveryReport_, nullptr); report && !reportedNotRequested_) {
        report(PasteDelivery::notRequested);
    }
    contents_.clear();
    stringWrites_.clear();
    dataWrites_.clear();
    ownedByUs_ = true;
    ++clearCount_;
    ++changeCount_;
}

bool FakePasteboard::setString(std::string_view text, std::string_view type) {
    if (!store(type, Bytes(text))) {
        return false;
    }
    stringWrites_.emplace_back(type);
    return true;
}

bool FakePasteboard::setData(Bytes data, std::string_view type) {
    if (!store(type, std::move(data))) {
        return false;
    }
    dataWrites_.emplace_back(type);
    return true;
}

bool FakePasteboard::store(std::string_view type, Bytes bytes) {
    if (!ownedByUs_ || failingTypes_.contains(type)) {
        return false;
    }
    const auto existing =
        std::find_if(contents_.begin(), contents_.end(),
                     [type](const ClipboardRepresentation& r) { return r.type == type; });
    if (existing != contents_.end()) {
        existing->data = std::move(bytes);
    } else {
        contents_.push_back({std::string(type), std::move(bytes)});
    }
    return true;
}

void FakePasteboard::simulateForeignCopy(std::vector<ClipboardRepresentation> contents) {
    contents_ = std::move(contents);
    stringWrites_.clear();
    dataWrites_.clear();
    ownedByUs_ = false;
    ++changeCount_;
    if (auto report = std::exchange(deliveryReport_, nullptr)) {
        deliveryDeadline_.cancel();
        if (!reportedNotRequested_) {
            report(PasteDelivery::takenElsewhere);
        }
    }
    if (onChange_) {
        // A copy of the handler: it may stop the observation.
        const auto onChange = onChange_;
        onChange({changeCount_,
                  std::make_shared<const std::vector<ClipboardRepresentation>>(contents_)});
    }
}

bool FakePasteboard::watchPasteDelivery(std::chrono::milliseconds window,
                                        std::function<void(PasteDelivery)> report) {
    if (mainQueue_ == nullptr || !ownedByUs_) {
        return false;
    }
    // Watching the same write again replaces the report and starts the window again.
    deliveryReport_ = std::move(report);
    reportedNotRequested_ = false;
    deliveryDeadline_ = mainQueue_->after(window, [this] {
        if (deliveryReport_) {
            // Still listening: a late request may yet come.
            reportedNotRequested_ = true;
            const auto notify = deliveryReport_;
            notify(PasteDelivery::notRequested);
        }
    });
    return true;
}

void FakePasteboard::simulateTargetRequest(bool readsOnce) {
    if (auto report = std::exchange(deliveryReport_, nullptr); report && ownedByUs_) {
        deliveryDeadline_.cancel();
        report(PasteDelivery::requested);
        if (readsOnce) {
            report(PasteDelivery::doneReading);
        } else {
            stillReading_ = std::move(report);
        }
    }
}

void FakePasteboard::simulateTargetDoneReading() {
    if (auto report = std::exchange(stillReading_, nullptr)) {
        report(PasteDelivery::doneReading);
    }
}

bool FakePasteboard::observeChanges(std::function<void(const PasteboardChange&)> onChange) {
    if (!notifies_) {
        return false;
    }
    onChange_ = std::move(onChange);
    return true;
}

void FakePasteboard::simulateForeignText(std::string_view text) {
    simulateForeignCopy({{std::string(pasteboardType::string), Bytes(text)}});
}

void FakePasteboard::failWritesOf(std::string_view type) {
    failingTypes_.emplace(type);
}

}  // namespace tovra::testing
