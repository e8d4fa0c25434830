#include "editor/mode_switcher.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "editor/bin_data_grid.h"
#include "editor/editor_document.h"
#include "editor/editor_mode.h"
#include "editor/editor_shell.h"
#include "record_store/bin_data_set.h"

TModeSwitcher::TModeSwitcher(TEditorShell& shell, TEditorDocument& document, QObject* parent)
    : QObject(parent), shell_(shell), document_(document) {
    connect(&document_, &TEditorDocument::closing, this, [this] { OnClosing(); });
    connect(&document_, &TEditorDocument::opened, this, [this](bool) { OnOpened(); });
}

TModeSwitcher::~TModeSwitcher() = default;

void TModeSwitcher::Add(std::unique_ptr<TEditorMode> added) {
    TEditorMode& mode = *added;
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i]->Command() != mode.Command()) continue;
        if (active_ == modes_[i].get()) Leave();
        disconnect(commands_[i]);
        modes_.erase(modes_.begin() + static_cast<std::ptrdiff_t>(i));
        commands_.erase(commands_.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    modes_.push_back(std::move(added));
    QAction* command = shell_.Action(mode.Command());
    command->setCheckable(true);
    command->setChecked(false);
    commands_.push_back(
        connect(command, &QAction::triggered, this, [this, &mode] { Toggle(mode); }));
    UpdateActions();
}

bool TModeSwitcher::CanEnter(const TEditorMode& mode) const {
    const TBinDataSet* view = shell_.FileCommandsEnabled() ? document_.ShownView() : nullptr;
    if (!view || view->IsEmpty()) return false;
    return !active_ || active_ == &mode || active_->Group() == mode.Group();
}

bool TModeSwitcher::Toggle(TEditorMode& mode) {
    if (active_ == &mode) {
        Leave();
        return false;
    }
    return Enter(mode);
}

bool TModeSwitcher::Enter(TEditorMode& mode) {
    if (active_ == &mode) return true;
    if (!CanEnter(mode)) {
        UpdateActions();
        return false;
    }
    if (active_) Leave();  // a mode of the same group gives way
    active_ = &mode;
    if (!Start(mode)) {
        active_ = nullptr;
        UpdateActions();
        emit modeChanged();
        return false;
    }
    shell_.UpdateActions();
    emit modeChanged();
    return true;
}

void TModeSwitcher::Leave() {
    if (!active_) return;
    Stop();
    active_ = nullptr;
    shell_.UpdateActions();
    emit modeChanged();
}

bool TModeSwitcher::Start(TEditorMode& mode) {
    TBinDataSet* view = document_.ShownView();
    if (!view) return false;
    if (QWidget* panel = mode.Panel()) shell_.ShowPanel(panel);
    if (auto filter = mode.GridFilter()) {
        view->SetFilter(std::move(filter));
        view->SetFiltered(true);
    }
    TBinDataGrid* grid = shell_.Grid();
    const QStringList columns = mode.GridColumns();
    columnsChanged_ = !columns.isEmpty();
    if (columnsChanged_) {
        savedTitles_ = grid->Model()->ColumnTitles();
        grid->ShowColumns(columns, mode.GridColumnTitles());
    }
    running_ = true;
    UpdateStatus();
    try {
        mode.Enter();
    } catch (const TModeDeclined&) {
        Stop(false);
        return false;
    } catch (const std::exception& e) {
        Stop(false);  // the mode did not start: nothing for it to leave
        shell_.ShowError(QString::fromStdString(e.what()));
        return false;
    }
    shell_.RefreshView();
    return true;
}

void TModeSwitcher::Stop(bool leaveMode) {
    if (!running_ || !active_) return;
    running_ = false;
    if (leaveMode) active_->Leave();
    TBinDataSet* view = document_.ShownView();
    if (view) {
        view->SetFiltered(false);
        view->SetFilter({});
    }
    if (columnsChanged_) {
        TBinDataGrid* grid = shell_.Grid();
        grid->ShowView(view, document_.ShownRecordKind());
        grid->Model()->SetColumnTitles(savedTitles_);
        columnsChanged_ = false;
    }
    shell_.ShowPanel(nullptr);
    UpdateStatus();
    if (view) shell_.RefreshView();
}

void TModeSwitcher::OnClosing() {
    // The mode stays on; its panel and view state go with the view.
    Stop();
}

void TModeSwitcher::OnOpened() {
    // A mode that was on is entered again for the newly opened view.
    if (!active_ || running_) return;
    TEditorMode& mode = *active_;
    if (!CanEnter(mode) || !Start(mode)) {
        active_ = nullptr;
        emit modeChanged();
    }
    UpdateActions();
}

void TModeSwitcher::UpdateStatus() {
    shell_.SetModeStatus(running_ && active_ ? active_->StatusText() : QString());
}

bool TModeSwitcher::CommandBlocked(TActionId id) const {
    if (!active_) return false;
    const auto blocked = active_->DisabledCommands();
    return std::find(blocked.begin(), blocked.end(), id) != blocked.end() &&
           id != active_->Command();
}

bool TModeSwitcher::MenuBlocked(TMenuId id) const {
    if (!active_) return false;
    const auto blocked = active_->DisabledMenus();
    return std::find(blocked.begin(), blocked.end(), id) != blocked.end();
}

void TModeSwitcher::UpdateActions() {
    for (const auto& mode : modes_) {
        QAction* command = shell_.Action(mode->Command());
        command->setChecked(active_ == mode.get());
        command->setEnabled(active_ == mode.get() || CanEnter(*mode));
    }
    if (!active_) return;
    for (TActionId id : active_->DisabledCommands())
        if (id != active_->Command()) shell_.Action(id)->setEnabled(false);
    for (TMenuId id : active_->DisabledMenus())
        if (QMenu* menu = shell_.Menu(id)) menu->menuAction()->setEnabled(false);
}
