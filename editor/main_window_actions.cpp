// The main window's commands: every action of the menus with its caption, shortcut and help
// context, the menus and the tool bar, and which commands are enabled in which state.
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "editor/bin_data_grid.h"
#include "editor/main_window.h"
#include "editor/mode_switcher.h"
#include "editor/selection_controller.h"
#include "record_store/backup_restore.h"
#include "record_store/bin_data_set.h"

namespace {

// Commands without behaviour yet, which no mode enables: disabled, and their status tip says
// so.
constexpr TActionId kNotAvailable[] = {TActionId::FileMerge, TActionId::ConfigSaveColumns};

}  // namespace

void TMainWindow::CreateActions() {
    using A = TActionId;
    Action(A::FileOpen)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Action(A::FileSave)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Action(A::FileClose)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    Action(A::EditUndo)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Action(A::EditRedo)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    Action(A::FileOpen)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Action(A::FileSave)->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    Action(A::FileClose)->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Action(A::HelpContent)->setShortcut(QKeySequence::HelpContents);

    // "TL curves" and "OSL curves": one of the two is the current choice.
    auto* curves = new QActionGroup(this);
    for (A id : {A::CurvesOSL, A::CurvesTL}) {
        Action(id)->setCheckable(true);
        curves->addAction(Action(id));
    }
    Action(A::CurvesTL)->setChecked(tlCurves_);
    Action(A::CurvesSub)->setCheckable(true);
    Action(A::CurvesSub)->setChecked(subtractedCurves_);
    Action(A::ChangePos)->setCheckable(true);
    Action(A::ToolsSubtract)->setCheckable(true);
    Action(A::ToolsUseROIs)->setCheckable(true);
    Action(A::ToolsUseROIs)->setChecked(true);
    for (A id : kNotAvailable) {
        Action(id)->setEnabled(false);
        Action(id)->setStatusTip(QStringLiteral("Not available in this version."));
    }
    Action(A::FileRestore)->setEnabled(false);
    connect(Action(A::FileRestore), &QAction::triggered, this, [this] { RestoreFromBackup(); });

    connect(Action(A::FileOpen), &QAction::triggered, this, [this] { OnOpen(); });
    connect(Action(A::FileSave), &QAction::triggered, this, [this] { SaveFile(); });
    connect(Action(A::FileSaveAs), &QAction::triggered, this, [this] { OnSaveAs(); });
    connect(Action(A::FileClose), &QAction::triggered, this, [this] { CloseFile(); });
    connect(Action(A::FileExit), &QAction::triggered, this, [this] { OnExit(); });
    connect(Action(A::Halcyon), &QAction::triggered, this, [this] { SwitchMode(); });
    connect(Action(A::CurvesTL), &QAction::triggered, this, [this] {
        tlCurves_ = true;
        UpdateActions();
    });
    connect(Action(A::CurvesOSL), &QAction::triggered, this, [this] {
        tlCurves_ = false;
        UpdateActions();
    });
    connect(Action(A::CurvesSub), &QAction::triggered, this, [this] {
        subtractedCurves_ = !subtractedCurves_;
        UpdateActions();
    });
    connect(Action(A::HelpContent), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("HelpContents")); });
    connect(Action(A::HelpIndex), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("HelpIndex")); });
    connect(Action(A::HelpAbout), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("About")); });

    // Undo and redo name the command they take back or do again.
    QUndoStack& stack = document_->UndoStack();
    connect(Action(A::EditUndo), &QAction::triggered, &stack, &QUndoStack::undo);
    connect(Action(A::EditRedo), &QAction::triggered, &stack, &QUndoStack::redo);
    auto captions = [this] {
        const QUndoStack& st = document_->UndoStack();
        const QString undo = st.undoText(), redo = st.redoText();
        Action(TActionId::EditUndo)
            ->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undo);
        Action(TActionId::EditRedo)
            ->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redo);
        UpdateActions();
    };
    connect(&stack, &QUndoStack::indexChanged, this, captions);
    connect(&stack, &QUndoStack::cleanChanged, this, captions);
    Action(A::EditUndo)->setEnabled(false);
    Action(A::EditRedo)->setEnabled(false);
    // The shortcuts work while the menu is closed or disabled.
    addAction(Action(A::EditUndo));
    addAction(Action(A::EditRedo));
}

void TMainWindow::CreateMenus() {
    using A = TActionId;
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, std::initializer_list<A> ids) {
        for (A id : ids) {
            if (id == A::Count)
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
        menu->installEventFilter(this);  // F1 on a highlighted item opens its help
    };
    constexpr A separator = A::Count;
    auto menu = [this](TMenuId id, QMenu* m, const char* name) {
        m->setObjectName(QLatin1String(name));
        menus_[static_cast<std::size_t>(id)] = m;
        return m;
    };
    QMenu* file = menu(TMenuId::File, bar->addMenu(QStringLiteral("&File")), "FileMenu");
    add(file, {A::FileOpen, A::FileMerge, A::FileSave, A::FileSaveAs, A::FileClose, A::FileRestore,
               separator, A::ReadPreferences, A::FileParameters, separator, A::FileExit});
    QMenu* edit = menu(TMenuId::Edit, bar->addMenu(QStringLiteral("&Edit data")), "EditMenu");
    add(edit, {A::EditUndo, A::EditRedo, separator, A::RowSelect, A::SetAll, A::PasteRec, separator,
               A::SelectOSL, A::SelectTL, A::SelectAll, A::FlipSelect, A::UnselectAll});
    QMenu* curves =
        menu(TMenuId::Curves, bar->addMenu(QStringLiteral("Edit curves")), "CurvesMenu");
    add(curves, {A::CurvesOSL, A::CurvesTL, A::CurvesSub, separator, A::RecToGraph});
    QMenu* tools = menu(TMenuId::Tools, bar->addMenu(QStringLiteral("Tools")), "ToolsMenu");
    add(tools, {A::ToolsSubtract, A::ToolsNormalize, A::ToolsDeglitch});
    QMenu* utilities =
        menu(TMenuId::Utilities, tools->addMenu(QStringLiteral("Utilities")), "UtilitiesMenu");
    add(utilities,
        {A::ToolsASCII, A::ToolsROIs, A::ToolsConvert, A::ToolsSysPars, A::ToolsDuplicateDosing});
    QMenu* compute = menu(TMenuId::Compute, bar->addMenu(QStringLiteral("Compute")), "ComputeMenu");
    add(compute, {A::ComputePlateau, A::ComputeFading, A::ComputeGrowth, separator,
                  A::GrowthCompute, A::GrowthWriteSol, separator, A::GrowthRec, A::GrowthPnt,
                  A::GrowthCur, separator, A::GrowthAcc, A::GrowthAll});
    QMenu* age = menu(TMenuId::Age, bar->addMenu(QStringLiteral("Age computation")), "AgeMenu");
    add(age, {A::AgeCompute, A::AgePlateau});
    QMenu* config = menu(TMenuId::Configuration, bar->addMenu(QStringLiteral("Configuration")),
                         "ConfigurationMenu");
    add(config,
        {A::Halcyon, A::ReadPreferences, A::ChangePos, A::ConfigSave, A::ConfigSaveColumns});
    QMenu* help = menu(TMenuId::Help, bar->addMenu(QStringLiteral("Help")), "HelpMenu");
    add(help, {A::HelpContent, A::HelpIndex, separator, A::HelpAbout});
}

void TMainWindow::CreateToolBar() {
    using A = TActionId;
    toolBar_ = addToolBar(QStringLiteral("Commands"));
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->addAction(Action(A::FileOpen));
    toolBar_->addAction(Action(A::FileSave));
    toolBar_->addAction(Action(A::FileClose));
    toolBar_->addSeparator();
    toolBar_->addAction(Action(A::Halcyon));
    toolBar_->addSeparator();
    toolBar_->addAction(Action(A::RowSelect));
    toolBar_->addAction(Action(A::RecToGraph));
    toolBar_->addAction(Action(A::ToolsSubtract));
}

void TMainWindow::UpdateModeCaptions() {
    const bool general = IsGeneralMode();
    Action(TActionId::Halcyon)
        ->setText(general ? QStringLiteral("Halcyon files") : QStringLiteral("General editor"));
    statusMode_->setText(
        (general ? QStringLiteral("General editor") : QStringLiteral("Halcyon files")) +
        modeStatus_);
}

void TMainWindow::UpdateActions() {
    using A = TActionId;
    // Close stays usable after an Open whose later steps failed; the other file commands wait
    // for a complete Open.
    const bool fileLoaded = document_->HasFile();
    const bool fileOpen = FileCommandsEnabled();
    TBinDataSet* view = fileOpen ? ShownView() : nullptr;
    const bool hasView = view != nullptr;
    const bool hasRecords = hasView && !view->IsEmpty();
    Action(A::FileOpen)->setEnabled(true);
    Action(A::FileClose)->setEnabled(fileLoaded);
    // Nothing to write without a shown view (a file of another kind in Halcyon mode).
    Action(A::FileSave)->setEnabled(hasView);
    Action(A::FileSaveAs)->setEnabled(hasView);
    Action(A::FileRestore)
        ->setEnabled(hasView && HasBackup(BackupFilesFor(document_->FileName().toStdString(),
                                                         view->SubSize() > 0)));
    for (A id : {A::CurvesOSL, A::CurvesTL, A::CurvesSub}) Action(id)->setEnabled(hasRecords);
    // The curve tools without a mode of their own work on the current or selected records.
    for (A id : {A::ToolsNormalize, A::ToolsDeglitch, A::ToolsASCII})
        Action(id)->setEnabled(fileOpen && hasRecords);
    Action(A::RecToGraph)->setEnabled(fileOpen && hasRecords);
    Action(A::CurvesTL)->setChecked(tlCurves_);
    Action(A::CurvesOSL)->setChecked(!tlCurves_);
    Action(A::CurvesSub)->setChecked(subtractedCurves_);
    const QUndoStack& stack = document_->UndoStack();
    Action(A::EditUndo)->setEnabled(hasView && stack.canUndo());
    Action(A::EditRedo)->setEnabled(hasView && stack.canRedo());

    for (TMenuId m : {TMenuId::Edit, TMenuId::Curves, TMenuId::Tools, TMenuId::Configuration})
        Menu(m)->menuAction()->setEnabled(m == TMenuId::Configuration || fileOpen);
    const bool halcyonWithRecords = fileOpen && !IsGeneralMode() && hasRecords;
    for (TMenuId m : {TMenuId::Utilities, TMenuId::Compute, TMenuId::Age})
        Menu(m)->menuAction()->setEnabled(halcyonWithRecords);
    // The editing commands of other parts follow their own rules once the file is ready.
    if (!fileOpen)
        for (A id : {A::RowSelect, A::PasteRec, A::ChangePos}) Action(id)->setEnabled(false);
    if (selection_) selection_->UpdateActions();
    // Last: a mode that is on disables what it must.
    if (modes_) modes_->UpdateActions();
    UpdateModeCaptions();
    UpdateStatus();
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            if (QAction* a = menu->activeAction()) {
                const int context = a->property("helpContext").toInt();
                if (context > 0) {
                    menu->close();
                    ShowHelpContext(context);
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
