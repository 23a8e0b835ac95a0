#pragma once

#include <QLabel>
#include <optional>

#include "MoxCard.h"

namespace mox {

/// The maker's note: a title, a paragraph and a roots line in the script face.
class MoxLocalNoteCard final : public MoxCard {
  public:
    MoxLocalNoteCard(const QString& body, std::optional<QString> title = std::nullopt,
                     std::optional<QString> roots = std::nullopt, bool heritage = false,
                     QWidget* parent = nullptr);
    [[nodiscard]] QLabel* rootsLine() const { return rootsLine_; }

  private:
    QLabel* rootsLine_;
};

}  // namespace mox
