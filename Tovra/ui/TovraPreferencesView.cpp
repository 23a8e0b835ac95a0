#include "TovraPreferencesView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "MoxUI/MoxToggleSwitch.h"
#include "PasteKeyHints.h"
#include "ShortcutRecorder.h"
#include "Tovra/core/BurstSeparator.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"
#include "Tovra/core/QueueTimeout.h"

namespace tovra {

namespace {

/// A choice the wheel changes only once it has the focus: scrolling the window over it must not
/// change a setting on the way.
class PickerBox final : public QComboBox {
  public:
    PickerBox() { setFocusPolicy(Qt::StrongFocus); }

  protected:
    void wheelEvent(QWheelEvent* event) override {
        if (hasFocus()) {
            QComboBox::wheelEvent(event);
        } else {
            event->ignore();  // the window scrolls instead
        }
    }
};

template <class Enum>
QStringList titles() {
    QStringList result;
    for (const Enum value : allCases<Enum>()) {
        const std::string_view raw = rawValue(value);
        result << QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    }
    return result;
}

QLineEdit* idListField(const std::vector<std::string>& ids) {
    QStringList joined;
    for (const std::string& id : ids) {
        joined << QString::fromStdString(id);
    }
    auto* field = new QLineEdit(joined.join(QStringLiteral(", ")));
    field->setFixedWidth(mox::MoxFonts::scaled(260));
    field->setPlaceholderText(QStringLiteral("org.example.Shell, MyTerm"));
    return field;
}

std::vector<std::string> idsIn(const QString& text) {
    std::vector<std::string> ids;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (const QString id = part.trimmed(); !id.isEmpty()) {
            ids.push_back(id.toStdString());
        }
    }
    return ids;
}

/// The chord, and whether another program holds it.
QString shownShortcut(const ShortcutRow& row) {
    const QString chord = QString::fromStdString(row.shortcut);
    return row.taken ? chord + QStringLiteral(" \u00B7 taken") : chord;
}

}  // namespace

template <class Apply>
void TovraPreferencesView::change(Apply apply) {
    if (const auto commands = state_.commands.lock()) {
        apply(*commands);
    }
}

QWidget* TovraPreferencesView::control(const QString& rowLabel) const {
    const auto found = controls_.find(rowLabel);
    return found == controls_.end() ? nullptr : found->second;
}

TovraPreferencesView::TovraPreferencesView(TovraPreferencesState state) : state_(std::move(state)) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, mox::MoxColors::background());
    setPalette(palette);
    setAutoFillBackground(true);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(24);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    QVBoxLayout* rows = nullptr;
    auto section = [&](const QString& title) {
        auto* box = new QVBoxLayout;
        box->setSpacing(8);
        box->addWidget(
            mox::styledLabel(title, mox::MoxFonts::display12(), mox::MoxColors::textSecondary()));
        rows = new QVBoxLayout;
        rows->setSpacing(6);
        box->addLayout(rows);
        column->addLayout(box);
    };
    // The label on the left, its control on the right.
    auto row = [&](const QString& label, QWidget* control) {
        auto* line = new QHBoxLayout;
        line->addWidget(
            mox::styledLabel(label, mox::MoxFonts::body14(), mox::MoxColors::textPrimary()));
        line->addStretch();
        line->addWidget(control);
        rows->addLayout(line);
        controls_[label] = control;
    };
    auto picker = [&](const QString& label, const QStringList& choices, const QString& current,
                      auto onChoose) {
        auto* box = new PickerBox;
        box->setAccessibleName(label);
        box->setFixedWidth(mox::MoxFonts::scaled(160));
        box->addItems(choices);
        box->setCurrentText(current);
        connect(box, &QComboBox::activated, this,
                [this, box, onChoose](int index) { onChoose(box->itemText(index), index); });
        row(label, box);
    };
    auto toggle = [&](const QString& label, bool current, auto onSet) {
        auto* box = new mox::MoxToggleSwitch(QString());
        box->setAccessibleName(label);
        box->setChecked(current);
        connect(box, &QAbstractButton::toggled, this, onSet);
        row(label, box);
    };
    auto button = [&](const QString& label, const QString& title, auto onPress) {
        auto* press =
            new mox::MoxButton(title, mox::MoxButtonVariant::secondary, mox::MoxButtonSize::sm);
        press->setAccessibleName(label + QStringLiteral(": ") + title);
        connect(press, &QPushButton::clicked, this, onPress);
        row(label, press);
    };
    const PreferencesValues& v = state_.values;

    section(QStringLiteral("Behavior"));
    picker(QStringLiteral("Mode"), titles<QueueMode>(), QString::fromStdString(v.mode),
           [this](const QString& text, int) {
               state_.values.mode = text.toStdString();
               change([&](PreferencesCommands& commands) {
                   commands.selectQueueMode(state_.values.mode);
               });
           });
    picker(QStringLiteral("Auto clear"), titles<QueueTimeout>(),
           QString::fromStdString(v.queueTimeout), [this](const QString& text, int) {
               state_.values.queueTimeout = text.toStdString();
               change([&](PreferencesCommands& commands) {
                   commands.selectQueueTimeout(state_.values.queueTimeout);
               });
           });
    picker(QStringLiteral("Burst separator"), titles<BurstSeparator>(),
           QString::fromStdString(v.burstSeparator), [this](const QString& text, int) {
               state_.values.burstSeparator = text.toStdString();
               change([&](PreferencesCommands& commands) {
                   commands.selectBurstSeparator(state_.values.burstSeparator);
               });
           });
    section(QStringLiteral("Privacy"));
    picker(QStringLiteral("Privacy mode"), titles<PrivacyMode>(),
           QString::fromStdString(v.privacyMode), [this](const QString& text, int) {
               state_.values.privacyMode = text.toStdString();
               change([&](PreferencesCommands& commands) {
                   commands.selectPrivacyMode(state_.values.privacyMode);
               });
           });
    section(QStringLiteral("Stacks"));
    QStringList stacks;
    for (int i = 0; i < v.availableStackCount; ++i) {
        stacks << QStringLiteral("Stack %1").arg(i + 1);
    }
    picker(QStringLiteral("Active stack"), stacks,
           QStringLiteral("Stack %1").arg(v.activeStackIndex + 1),
           [this](const QString&, int index) {
               state_.values.activeStackIndex = index;
               change([&](PreferencesCommands& commands) { commands.selectStackFromMenu(index); });
           });
    section(QStringLiteral("Interaction"));
    toggle(QStringLiteral("HUD interaction"), v.hudInteractionEnabled, [this](bool on) {
        state_.values.hudInteractionEnabled = on;
        change([&](PreferencesCommands& commands) { commands.setHUDInteractionEnabled(on); });
    });
    toggle(QStringLiteral("Animations"), v.animationsEnabled, [this](bool on) {
        state_.values.animationsEnabled = on;
        change([&](PreferencesCommands& commands) { commands.setAnimationsEnabled(on); });
    });
    section(QStringLiteral("Editing"));
    button(QStringLiteral("Pin next"), QStringLiteral("Pin / Unpin"),
           [this] { change([](PreferencesCommands& commands) { commands.pinNextFromMenu(); }); });
    button(QStringLiteral("Swap ends"), QStringLiteral("Swap"),
           [this] { change([](PreferencesCommands& commands) { commands.swapEndsFromMenu(); }); });
    section(QStringLiteral("Maintenance"));
    button(QStringLiteral("Smart learning"), QStringLiteral("Clear"), [this] {
        change([](PreferencesCommands& commands) { commands.clearSmartLearning(); });
    });
    button(QStringLiteral("Keyboard access"), QStringLiteral("Check status"), [this] {
        change([](PreferencesCommands& commands) { commands.checkPermissionFromMenu(); });
    });
    if (v.automaticUpdateChecks) {
        // The one thing Tovra asks the network on its own: the user may say no.
        toggle(
            QStringLiteral("Check for updates daily"), *v.automaticUpdateChecks, [this](bool on) {
                state_.values.automaticUpdateChecks = on;
                change(
                    [&](PreferencesCommands& commands) { commands.setAutomaticUpdateChecks(on); });
            });
    }

    section(QStringLiteral("Shortcuts"));
    if (!v.shortcutsEditable) {
        rows->addWidget(mox::styledLabel(
            QStringLiteral("Your desktop's own key bindings run Tovra's commands here (tovra "
                           "paste-next, tovra paste-all, tovra toggle): set them in its settings."),
            mox::MoxFonts::body14(), mox::MoxColors::textPrimary(), true));
    } else {
        addShortcutRows(rows);
    }

    // Terminals paste with Ctrl+Shift+V and read Ctrl+V as a literal-next key; known ones are
    // recognised, and these lists settle the rest.
    section(QStringLiteral("Terminals"));
    auto* terminals = idListField(v.terminalApplications);
    auto* nonTerminals = idListField(v.nonTerminalApplications);
    const auto applyLists = [this, terminals, nonTerminals] {
        change([&](PreferencesCommands& commands) {
            commands.setTerminalApplications(idsIn(terminals->text()), idsIn(nonTerminals->text()));
        });
    };
    connect(terminals, &QLineEdit::editingFinished, this, applyLists);
    connect(nonTerminals, &QLineEdit::editingFinished, this, applyLists);
    row(QStringLiteral("Also terminals"), terminals);
    row(QStringLiteral("Never terminals"), nonTerminals);
    rows->addWidget(mox::styledLabel(
        QStringLiteral("Application ids or window classes, separated by commas. In a terminal, "
                       "Ctrl+Shift+V pastes the next item and %1 the whole stack.")
            .arg(QString::fromStdString(v.terminalBurstShortcut)),
        mox::MoxFonts::body12(), mox::MoxColors::textSecondary(), true));
    column->addStretch();
}

void TovraPreferencesView::addShortcutRows(QVBoxLayout* rows) {
    const PreferencesValues& v = state_.values;
    rows->addWidget(mox::styledLabel(
        QStringLiteral("The next item pastes with the application's own paste key: Ctrl+V, "
                       "or Ctrl+Shift+V in a terminal."),
        mox::MoxFonts::body12(), mox::MoxColors::textSecondary(), true));
    if (!v.unavailableShortcuts.empty()) {
        rows->addWidget(mox::styledLabel(unavailableShortcutsText(v.unavailableShortcuts),
                                         mox::MoxFonts::body14(), mox::MoxColors::textPrimary(),
                                         true));
    }
    shortcutProblem_ =
        mox::styledLabel(QString(), mox::MoxFonts::body14(), mox::MoxColors::textPrimary(), true);
    shortcutProblem_->setAccessibleName(QStringLiteral("Shortcut not changed"));
    shortcutProblem_->hide();
    rows->addWidget(shortcutProblem_);
    for (const ShortcutRow& shortcut : v.shortcuts) {
        const QString title = QString::fromStdString(shortcut.title);
        auto* recorder =
            new ShortcutRecorder(title, shownShortcut(shortcut),
                                 {[this, action = shortcut.action](const QString& chord) {
                                      chooseShortcut(action, chord);
                                  },
                                  // Not through this view: a recorder closed while recording
                                  // says so from the view's own destruction.
                                  [commands = state_.commands](bool recording) {
                                      if (const auto alive = commands.lock()) {
                                          alive->setRecordingShortcut(recording);
                                      }
                                  }});
        recorders_[shortcut.action] = recorder;
        auto* line = new QHBoxLayout;
        line->addWidget(
            mox::styledLabel(title, mox::MoxFonts::body14(), mox::MoxColors::textPrimary()));
        line->addStretch();
        line->addWidget(recorder);
        rows->addLayout(line);
        controls_[title] = recorder;
    }
}

void TovraPreferencesView::chooseShortcut(const std::string& action, const QString& chord) {
    std::optional<std::string> refused;
    std::vector<ShortcutRow> now;
    change([&](PreferencesCommands& commands) {
        refused = commands.setShortcut(action, chord.toStdString());
        now = commands.shortcutRows();
    });
    for (const ShortcutRow& row : now) {
        if (const auto found = recorders_.find(row.action); found != recorders_.end()) {
            found->second->setShortcut(shownShortcut(row));
        }
    }
    state_.values.shortcuts = now;
    shortcutProblem_->setText(refused ? QString::fromStdString(*refused) : QString());
    shortcutProblem_->setVisible(refused.has_value());
}

void TovraPreferencesPresenter::present(const PreferencesValues& values) {
    mox::MoxSatelliteWindowPresenter::shared().present(
        QStringLiteral("tovra.preferences"), QStringLiteral("Tovra Preferences"), 560, 620, true,
        new TovraPreferencesView({values, commands_}));
}

}  // namespace tovra
