#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace mox {
class MoxButton;
}

namespace tovra {

/// One command's shortcut in Preferences: a button that shows the chord and, once pressed,
/// takes the next chord typed (Escape or leaving the window cancels), and a button that puts
/// the default back.
class ShortcutRecorder final : public QWidget {
  public:
    struct Handlers {
        /// The chord typed ("Ctrl+Alt+B"), or empty for the default; what the recorder shows
        /// next is set by the caller.
        std::function<void(const QString& chord)> chosen;
        /// Recording started or ended: meanwhile Tovra's own shortcuts must reach us.
        std::function<void(bool recording)> recording;
    };

    ShortcutRecorder(const QString& title, const QString& shortcut, Handlers handlers);
    ~ShortcutRecorder() override;

    void setShortcut(const QString& shortcut);
    [[nodiscard]] bool isRecording() const { return recording_; }
    [[nodiscard]] mox::MoxButton* chordButton() const { return chord_; }

    /// The chord a key event types, as Tovra names shortcuts; empty for a lone modifier and for
    /// keys a shortcut cannot use.
    [[nodiscard]] static QString chordOf(const QKeyEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setRecording(bool recording);
    void showShortcut();

    QString title_;
    QString shortcut_;
    Handlers handlers_;
    mox::MoxButton* chord_;
    bool recording_ = false;
};

}  // namespace tovra
