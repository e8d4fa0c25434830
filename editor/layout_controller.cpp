#include "editor/layout_controller.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <filesystem>

#include "editor/bin_data_grid.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/layout_field_edit.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"
#include "record_store/layout_save.h"

namespace {

const char* const kControllerName = "LayoutController";
const char* const kDialogTitle = "Open configuration file";
const char* const kSaveTitle = "Save configuration file";
const char* const kSaveFilter = "Configuration files (*.ini)|*.ini;*.INI";

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The file dialogs here match names case-sensitively: the maker writes OV_DAT.INI.
QString OpenFilter(const std::string& kind) {
    return QString::fromStdString(LayoutOpenFilter(kind) + ";OV_" + kind + "*.INI");
}

}  // namespace

TLayoutController::TLayoutController(TEditorShell& shell)
    : QObject(shell.Window()), shell_(shell), document_(shell.Document()) {
    setObjectName(QString::fromLatin1(kControllerName));
    connect(&document_, &TEditorDocument::opened, this, [this](bool fileOpened) {
        if (!LoadForOpenedView(fileOpened) && fileOpened) shell_.AbandonOpen();
    });
    connect(&document_, &TEditorDocument::closing, this, [this] {
        SetMoving(false);
        RemoveControls();
    });
    connect(&document_, &TEditorDocument::currentRecordChanged, this, [this] { RefreshEdits(); });
    connect(&document_, &TEditorDocument::recordsChanged, this, [this] { RefreshEdits(); });
    connect(shell_.Action(TActionId::ReadPreferences), &QAction::triggered, this,
            [this] { ReadPreferences(); });
    QAction* changePos = shell_.Action(TActionId::ChangePos);
    changePos->setCheckable(true);
    changePos->setEnabled(false);
    connect(changePos, &QAction::toggled, this, [this](bool on) { SetMoving(on); });
    QAction* save = shell_.Action(TActionId::ConfigSave);
    save->setEnabled(false);
    connect(save, &QAction::triggered, this, [this] { SavePosition(); });
}

std::string TLayoutController::RecordDirectory() const {
    if (document_.FileName().isEmpty()) return QCoreApplication::applicationDirPath().toStdString();
    return QFileInfo(document_.FileName()).absolutePath().toStdString();
}

std::string TLayoutController::SchemaDirectory() const {
    const std::string dir = shell_.DataDirectory();
    return dir.empty() ? RecordDirectory() + "/" : dir;
}

bool TLayoutController::LoadForOpenedView(bool lookUp) {
    RemoveControls();
    document_.SetCurveFields({});
    positionsChanged_ = false;
    SetMoving(false);

    std::optional<TLayoutText> text;
    if (lookUp) {
        layoutFile_.clear();
        const std::string path = FindLayoutFile();
        if (FileExists(path)) {
            iniList_.Set(document_.FileKind().toStdString(), path);
            text = ReadLayoutText(path);
            if (text) layoutFile_ = path;
        }
        if (text) ApplyMain(text->lines);
    } else if (!layoutFile_.empty()) {
        // The open file's layout again, for the view of the other mode: no question, and
        // the window stays where the user has put it.
        text = ReadLayoutText(layoutFile_);
        if (!text) layoutFile_.clear();
    }
    const bool built = BuildControls(text ? &text->lines : nullptr);
    UpdateActions();
    return built;
}

std::string TLayoutController::FindLayoutFile() {
    const std::string kind = document_.FileKind().toStdString();
    const auto remembered = iniList_.Get(kind);
    const std::string path =
        ResolveNameCase(remembered ? *remembered : LayoutFileName(SchemaDirectory(), kind));
    if (FileExists(path)) return path;
    return shell_.Prompts()
        .OpenFileName(shell_.Window(), QString::fromLatin1(kDialogTitle),
                      QString::fromStdString(RecordDirectory()), OpenFilter(kind))
        .toStdString();
}

void TLayoutController::ApplyMain(const std::vector<std::string>& lines) {
    const TLayoutMain main = ReadLayoutMain(lines);
    const std::string texts = main.booleanDisplay.value_or(shell_.BooleanDisplay().toStdString());
    shell_.SetBooleanDisplay(QString::fromStdString(WholeBooleanDisplay(texts)));
    QPoint at = shell_.Window()->pos();
    if (main.left && *main.left >= 0) at.setX(*main.left);
    if (main.top && *main.top >= 0) at.setY(*main.top);
    shell_.Window()->move(at);
    QSize size = shell_.Window()->size();
    if (main.width && *main.width > 0) size.setWidth(*main.width);
    if (main.height && *main.height > 0) size.setHeight(*main.height);
    shell_.Window()->resize(size);
}

bool TLayoutController::BuildControls(const std::vector<std::string>* lines) {
    TBinDataSet* view = document_.ShownView();
    if (!view) return true;
    QWidget* area = shell_.GeneralFormArea();
    const std::string whole = WholeBooleanDisplay(shell_.BooleanDisplay().toStdString());
    const TBooleanWords words = BooleanWords(whole);
    const auto booleans = presentation::TBooleanTexts::Parse(whole);
    const TRecordKind kind = document_.ShownRecordKind();
    const presentation::TTextLocale locale = shell_.Grid()->Model()->TextLocale();
    const bool shown = document_.GeneralMode();

    plan_ = TLayoutPlan{};
    std::string error;
    try {
        BuildLayoutPlan(*view, lines, words, plan_);
    } catch (const std::exception& e) {
        error = e.what();
    }
    document_.SetCurveFields(plan_.curves);
    if (shown) {
        // The captions title the grid's columns of the general view.
        shell_.Grid()->Model()->SetColumnTitles(plan_.captions);
        shell_.Grid()->FitColumns();
    }

    int boxWidth = area->width();
    if (area->parentWidget() && area->parentWidget()->width() > boxWidth)
        boxWidth = area->parentWidget()->width();
    if (boxWidth < 100) boxWidth = std::max(100, shell_.Window()->width() - 24);
    TFlowLayout flow(boxWidth);
    for (const TLayoutFieldPlan& f : plan_.shown) {
        auto* edit = new TLayoutFieldEdit(*view, kind, f.name, area);
        edit->SetDocument(&document_);
        edit->setObjectName(QString::fromStdString(f.editName));
        edit->SetPrecision(f.layout.precision);
        edit->SetBooleanTexts(booleans);
        edit->SetTextLocale(locale);
        if (f.kind == TLayoutFieldKind::Boolean) booleanFields_.insert(f.name);
        const QString caption = QString::fromStdString(f.layout.caption);
        auto* label = new QLabel(caption, area);
        label->setObjectName(QString::fromStdString(f.labelName));
        label->setBuddy(edit);
        if (f.layout.labelPosition == TLabelPosition::Left)
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        const QFontMetrics fm = edit->fontMetrics();
        // A few pixels for the edit's frame and margins around the characters.
        const int width = f.layout.width > 0
                              ? f.layout.width
                              : std::max(f.editCharacters * fm.horizontalAdvance(QLatin1Char('0')),
                                         label->fontMetrics().horizontalAdvance(caption)) +
                                    8;
        const int height = f.layout.height > 0 ? f.layout.height : edit->sizeHint().height();
        const QSize labelSize = label->sizeHint();
        const TFlowPlacement p =
            flow.Place(f.layout.left, f.layout.top, width, height, labelSize.width(),
                       labelSize.height(), f.layout.labelPosition);
        edit->setGeometry(p.edit.left, p.edit.top, p.edit.width, p.edit.height);
        label->setGeometry(p.label.left, p.label.top, p.label.width, p.label.height);
        edit->setVisible(shown);
        label->setVisible(shown);
        Watch(edit);
        Watch(label);
        connect(edit, &TLayoutFieldEdit::entryFailed, shell_.Window(),
                [this](const QString& m) { shell_.ShowError(m); });
        connect(edit, &TLayoutFieldEdit::recordEdited, this, [this] {
            TBinDataModel* model = shell_.Grid()->Model();
            const int row = shell_.Grid()->CurrentRow();
            if (row >= 0)
                emit model->dataChanged(model->index(row, 0),
                                        model->index(row, model->columnCount() - 1));
            RefreshEdits();
        });
        edit->Refresh();
        edits_.push_back(edit);
        fieldLabels_.push_back(label);
    }
    if (error.empty() && lines) error = AddFreeLabels(*lines);
    FitArea();
    if (error.empty()) return true;
    shell_.ShowError(QString::fromStdString(error));
    return false;
}

std::string TLayoutController::AddFreeLabels(const std::vector<std::string>& lines) {
    // The labels read before a bad line are made; the error still ends the open.
    const TFreeLabelList list = ReadFreeLabels(lines);
    QWidget* area = shell_.GeneralFormArea();
    for (const TFreeLabel& l : list.labels) {
        auto* label = new QLabel(QString::fromStdString(l.caption), area);
        label->setObjectName(QStringLiteral("FreeLabel"));
        label->move(l.left, l.top);
        label->resize(label->sizeHint());
        label->setVisible(document_.GeneralMode());
        Watch(label);
        freeLabels_.push_back(label);
    }
    return list.error;
}

void TLayoutController::RemoveControls() {
    dragged_ = nullptr;
    for (QWidget* w : edits_) delete w;
    for (QWidget* w : fieldLabels_) delete w;
    for (QWidget* w : freeLabels_) delete w;
    edits_.clear();
    fieldLabels_.clear();
    freeLabels_.clear();
    booleanFields_.clear();
    plan_ = TLayoutPlan{};
}

void TLayoutController::RefreshEdits() {
    for (TLayoutFieldEdit* e : edits_)
        if (!e->hasFocus() || !e->isModified()) e->Refresh();
}

void TLayoutController::Watch(QWidget* control) {
    control->installEventFilter(this);
    control->setCursor(moving_ ? Qt::SizeAllCursor : control->cursor());
}

void TLayoutController::FitArea() {
    QWidget* area = shell_.GeneralFormArea();
    QRect bounds;
    for (QWidget* w : edits_) bounds |= w->geometry();
    for (QWidget* w : fieldLabels_) bounds |= w->geometry();
    for (QWidget* w : freeLabels_) bounds |= w->geometry();
    area->setMinimumSize(bounds.isNull() ? QSize(0, 0)
                                         : QSize(bounds.right() + 8, bounds.bottom() + 8));
}

void TLayoutController::ReadPreferences() {
    const std::string path =
        shell_.Prompts()
            .OpenFileName(shell_.Window(), QString::fromLatin1(kDialogTitle),
                          QString::fromStdString(RecordDirectory()), OpenFilter(""))
            .toStdString();
    if (!FileExists(path)) return;
    if (const auto kind = PreferenceKind(path)) iniList_.Set(*kind, path);
}

void TLayoutController::SetMoving(bool on) {
    moving_ = on;
    if (dragged_) dragged_->move(dragOrigin_);  // a drag that did not end puts it back
    dragged_ = nullptr;
    auto setCursor = [on](QWidget* w) {
        if (on)
            w->setCursor(Qt::SizeAllCursor);
        else
            w->unsetCursor();
    };
    for (QWidget* w : edits_) setCursor(w);
    for (QWidget* w : fieldLabels_) setCursor(w);
    for (QWidget* w : freeLabels_) setCursor(w);
    {
        QAction* a = shell_.Action(TActionId::ChangePos);
        const QSignalBlocker block(a);
        a->setChecked(on);
    }
}

void TLayoutController::DropControl(QWidget* control, QPoint press, QPoint drop) {
    const QRect before = control->geometry();
    const QPoint target = before.contains(drop) ? before.topLeft() + (drop - press) : drop;
    control->move(SnapToGrid(target.x()), SnapToGrid(target.y()));
    positionsChanged_ = true;
    FitArea();
    UpdateActions();
}

bool TLayoutController::eventFilter(QObject* watched, QEvent* event) {
    if (!moving_) return QObject::eventFilter(watched, event);
    auto* control = qobject_cast<QWidget*>(watched);
    QWidget* area = shell_.GeneralFormArea();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) break;
            dragged_ = control;
            dragOrigin_ = control->pos();
            pressPoint_ = control->mapTo(area, e->position().toPoint());
            control->raise();
            return true;
        }
        case QEvent::MouseMove: {
            // The control follows the mouse while it is dragged.
            auto* e = static_cast<QMouseEvent*>(event);
            if (dragged_ == control)
                control->move(dragOrigin_ + control->mapTo(area, e->position().toPoint()) -
                              pressPoint_);
            return true;
        }
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton || dragged_ != control) return true;
            dragged_ = nullptr;
            const QPoint drop = control->mapTo(area, e->position().toPoint());
            // The drop rules take the control where it was when the drag began.
            control->move(dragOrigin_);
            DropControl(control, pressPoint_, drop);
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void TLayoutController::SavePosition() {
    const std::string proposed =
        !layoutFile_.empty()
            ? layoutFile_
            : LayoutFileName(SchemaDirectory(), document_.FileKind().toStdString());
    const QString chosen = shell_.Prompts().SaveFileName(
        shell_.Window(), QString::fromLatin1(kSaveTitle), QString::fromStdString(proposed),
        QString::fromLatin1(kSaveFilter), QStringLiteral("INI"));
    if (chosen.isEmpty()) return;
    layoutFile_ = chosen.toStdString();

    TLayoutPositions positions;
    positions.left = shell_.Window()->x();
    positions.top = shell_.Window()->y();
    positions.width = shell_.Window()->width();
    positions.height = shell_.Window()->height();
    positions.booleanDisplay = shell_.BooleanDisplay().toStdString();
    auto rect = [](const QWidget* w) {
        return TLayoutRect{w->x(), w->y(), w->width(), w->height()};
    };
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        const TLayoutFieldPlan& f = plan_.shown[i];
        TSavedLabel l;
        l.fieldName = f.name;
        l.caption = fieldLabels_[i]->text().toStdString();
        l.isFloat = f.kind == TLayoutFieldKind::Float;
        l.precision = f.layout.precision;
        l.edit = rect(edits_[i]);
        l.label = rect(fieldLabels_[i]);
        positions.labels.push_back(l);
    }
    for (const QLabel* free : freeLabels_) {
        TSavedLabel l;
        l.free = true;
        l.caption = free->text().toStdString();
        l.label = rect(free);
        positions.labels.push_back(l);
    }
    try {
        const std::string texts = SaveLayoutPositions(layoutFile_, positions);
        shell_.SetBooleanDisplay(QString::fromStdString(texts));
    } catch (const std::exception& e) {
        shell_.ShowError(QString::fromStdString(e.what()));
        return;
    }
    positionsChanged_ = false;
    UpdateActions();
}

void TLayoutController::UpdateActions() {
    shell_.Action(TActionId::ConfigSave)->setEnabled(positionsChanged_);
    // Only the controls built from the layout file move; the fixed form of "Halcyon files"
    // mode has nothing to move.
    shell_.Action(TActionId::ChangePos)
        ->setEnabled(shell_.FileCommandsEnabled() && document_.ShownView() != nullptr &&
                     document_.GeneralMode());
}
