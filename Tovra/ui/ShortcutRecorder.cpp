#include "ShortcutRecorder.h"

#include <QHBoxLayout>
#include <QKeyEvent>

#include "MoxUI/MoxButton.h"

namespace tovra {

ShortcutRecorder::ShortcutRecorder(const QString& title, const QString& shortcut, Handlers handlers)
    : title_(title),
      shortcut_(shortcut),
      handlers_(std::move(handlers)),
      chord_(
          new mox::MoxButton(QString(), mox::MoxButtonVariant::secondary, mox::MoxButtonSize::sm)) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    chord_->setMinimumWidth(150);
    chord_->setAccessibleDescription(QStringLiteral("Press, then type the new shortcut"));
    chord_->installEventFilter(this);
    line->addWidget(chord_);
    auto* reset = new mox::MoxButton(QStringLiteral("Default"), mox::MoxButtonVariant::ghost,
                                     mox::MoxButtonSize::sm);
    reset->setAccessibleName(title + QStringLiteral(": default shortcut"));
    line->addWidget(reset);
    connect(chord_, &QPushButton::clicked, this, [this] { setRecording(!recording_); });
    connect(reset, &QPushButton::clicked, this, [this] {
        setRecording(false);
        if (handlers_.chosen) {
            handlers_.chosen(QString());
        }
    });
    showShortcut();
}

ShortcutRecorder::~ShortcutRecorder() {
    if (recording_ && handlers_.recording) {
        handlers_.recording(false);  // never leave Tovra's shortcuts switched off
    }
}

void ShortcutRecorder::setShortcut(const QString& shortcut) {
    shortcut_ = shortcut;
    showShortcut();
}

void ShortcutRecorder::showShortcut() {
    const QString shown = recording_            ? QStringLiteral("Type a shortcut\u2026")
                          : shortcut_.isEmpty() ? QStringLiteral("None")
                                                : shortcut_;
    chord_->setText(shown);
    chord_->setAccessibleName(title_ + QStringLiteral(": ") + shown);
}

void ShortcutRecorder::setRecording(bool recording) {
    if (recording == recording_) {
        return;
    }
    recording_ = recording;
    if (recording) {
        chord_->setFocus(Qt::OtherFocusReason);
    }
    showShortcut();
    if (handlers_.recording) {
        handlers_.recording(recording);
    }
}

bool ShortcutRecorder::eventFilter(QObject* watched, QEvent* event) {
    if (watched != chord_ || !recording_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept();  // every key is the chord's while recording, Escape and Ctrl+W too
            return true;
        case QEvent::KeyPress: {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier) {
                setRecording(false);
                return true;
            }
            const QString chord = chordOf(key);
            if (chord.isEmpty()) {
                return true;  // a modifier on its own: the chord is still to come
            }
            setRecording(false);
            if (handlers_.chosen) {
                handlers_.chosen(chord);
            }
            return true;
        }
        case QEvent::FocusOut:
            setRecording(false);
            return false;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

QString ShortcutRecorder::chordOf(const QKeyEvent& event) {
    const int key = event.key();
    QString name;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        name = QChar(static_cast<char16_t>(u'A' + (key - Qt::Key_A)));
    } else if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        name = QChar(static_cast<char16_t>(u'0' + (key - Qt::Key_0)));
    } else if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        name = QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    } else {
        switch (key) {
            case Qt::Key_Escape:
                name = QStringLiteral("Escape");
                break;
            case Qt::Key_Up:
                name = QStringLiteral("Up");
                break;
            case Qt::Key_Down:
                name = QStringLiteral("Down");
                break;
            case Qt::Key_Left:
                name = QStringLiteral("Left");
                break;
            case Qt::Key_Right:
                name = QStringLiteral("Right");
                break;
            default:
                // A key no shortcut can use says so once a modifier is down with it.
                return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt ||
                               key == Qt::Key_Meta || key == Qt::Key_Super_L ||
                               key == Qt::Key_Super_R || key == Qt::Key_AltGr
                           ? QString()
                           : QStringLiteral("?");
        }
    }
    QString chord;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ControlModifier) {
        chord += QStringLiteral("Ctrl+");
    }
    if (modifiers & Qt::MetaModifier) {
        chord += QStringLiteral("Super+");
    }
    if (modifiers & Qt::AltModifier) {
        chord += QStringLiteral("Alt+");
    }
    if (modifiers & Qt::ShiftModifier) {
        chord += QStringLiteral("Shift+");
    }
    return chord + name;
}

}  // namespace tovra
