#include "MoxSatelliteWindowPresenter.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

#include "MoxColors.h"
#include "MoxFonts.h"

namespace mox {

namespace {

/// Forgets the window's identifier when the window closes.
class CloseWatcher final : public QObject {
  public:
    CloseWatcher(std::map<QString, QPointer<QWidget>>& controllers, QString identifier,
                 QObject* parent)
        : QObject(parent), controllers_(controllers), identifier_(std::move(identifier)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            const auto found = controllers_.find(identifier_);
            if (found != controllers_.end() && found->second == watched) {
                controllers_.erase(found);
            }
            static_cast<QWidget*>(watched)->deleteLater();
        }
        return false;
    }

  private:
    std::map<QString, QPointer<QWidget>>& controllers_;
    QString identifier_;
};

}  // namespace

MoxSatelliteWindowPresenter& MoxSatelliteWindowPresenter::shared() {
    static MoxSatelliteWindowPresenter presenter;
    return presenter;
}

QWidget* MoxSatelliteWindowPresenter::present(const QString& identifier, const QString& title,
                                              int width, int height, bool resizable,
                                              QWidget* content) {
    if (QWidget* open = window(identifier)) {
        delete content;
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(title);
    // The kit's colours for the standard widgets too (menu bars, tabs, check boxes).
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, MoxColors::background());
    palette.setColor(QPalette::WindowText, MoxColors::textPrimary());
    palette.setColor(QPalette::Base, MoxColors::panel());
    palette.setColor(QPalette::AlternateBase, MoxColors::panel2());
    palette.setColor(QPalette::Text, MoxColors::textPrimary());
    palette.setColor(QPalette::Button, MoxColors::panel2());
    palette.setColor(QPalette::ButtonText, MoxColors::textPrimary());
    palette.setColor(QPalette::Highlight, MoxColors::accent());
    palette.setColor(QPalette::HighlightedText, MoxColors::background());
    palette.setColor(QPalette::PlaceholderText, MoxColors::textTertiary());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, MoxColors::textTertiary());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, MoxColors::textTertiary());
    palette.setColor(QPalette::Disabled, QPalette::Text, MoxColors::textTertiary());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    // The content scrolls where the screen is smaller than it (a small screen, a large scale).
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // Tab goes through the content only
    scroll->setBackgroundRole(QPalette::Window);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    // On the screen the user works on (the pointer's), within its free area and leaving room
    // for the title bar: a window taller than the screen would open with its title bar out of
    // reach.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    // Sized for the design's text; a larger desktop font needs the room it takes.
    width = MoxFonts::scaled(width);
    height = MoxFonts::scaled(height);
    QSize size(width, height);
    if (screen != nullptr) {
        size = size.boundedTo(screen->availableGeometry().size() -
                              QSize(borderAllowance, titleBarAllowance));
    }
    window->setMinimumSize(size.boundedTo(QSize(width, height) / 2).expandedTo(QSize(200, 150)));
    if (resizable) {
        window->resize(size);
    } else {
        window->setFixedSize(size);
    }
    if (screen != nullptr) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
    // Escape and Ctrl+W close it, as they close a dialog; an open pop-up or a field recording
    // a key takes them first.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* close = new QShortcut(key, window);
        close->setContext(Qt::WindowShortcut);
        QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
    }
    window->installEventFilter(new CloseWatcher(controllers_, identifier, window));
    controllers_[identifier] = window;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QWidget* MoxSatelliteWindowPresenter::window(const QString& identifier) const {
    const auto found = controllers_.find(identifier);
    return found != controllers_.end() ? found->second.data() : nullptr;
}

void MoxSatelliteWindowPresenter::closeAll() {
    const auto open = controllers_;
    for (const auto& [identifier, window] : open) {
        if (window) {
            window->close();
        }
    }
}

}  // namespace mox
