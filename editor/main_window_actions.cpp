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
#include "record_store/bin_data_set.h"

namespace {

struct TActionDef {
    const char* name;
    const char* caption;
    int helpContext;
};

// In menu order. Commands of later parts of the program are here so that the menus are
// complete; they stay disabled until those parts connect them.
const TActionDef kActions[] = {
    {"ActionFileOpen", "&Open", 101},
    {"ActionFileMerge", "Read/merge file", 102},
    {"ActionFileSave", "&Save", 103},
    {"ActionFileSaveAs", "Save &as...", 103},
    {"ActionFileClose", "&Close", 104},
    {"ActionFileRestore", "Restore from backup", 111},
    {"ActionFileParameters", "System parameters", 112},
    {"ActionFileExit", "E&xit", 119},
    {"ActionRowSelect", "Enable row selection", 120},
    {"ActionSetAll", "Post field to selected", 121},
    {"ActionPasteRec", "Copy to clipboard", 122},
    {"ActionSelectOSL", "Select OSL", 123},
    {"ActionSelectTL", "Select TL", 124},
    {"ActionSelectAll", "Select all", 125},
    {"ActionFlipSelect", "Toggle selection", 126},
    {"ActionUnselectAll", "Unselect all", 127},
    {"ActionToolsDuplicateDosing", "Duplicate dosing", 128},
    {"ActionCurvesOSL", "OSL curves", 141},
    {"ActionCurvesTL", "TL curves", 142},
    {"ActionCurvesSub", "Subtracted curves", 143},
    {"ActionRecToGraph", "Graph current record", 144},
    {"ActionToolsSubtract", "Subtract bgd", 150},
    {"ActionToolsNormalize", "Normalize", 151},
    {"ActionToolsDeglitch", "Deglitch data", 152},
    {"ActionToolsASCII", "ASCII conversion", 153},
    {"ActionToolsROIs", "ROI's", 154},
    {"ActionToolsConvert", "File type conversion", 155},
    {"ActionToolsSysPars", "System parameters", 156},
    {"ActionToolsUseROIs", "use ROIs", 157},
    {"ActionComputePlateau", "Plateau test", 170},
    {"ActionComputeFading", "Fading test", 171},
    {"ActionComputeGrowth", "Growth curve", 172},
    {"ActionGrowthCompute", "Compute", 201},
    {"ActionGrowthWriteSol", "Write solutions to file", 202},
    {"ActionGrowthRec", "Record preview", 203},
    {"ActionGrowthPnt", "Point preview", 204},
    {"ActionGrowthCur", "Curve preview", 205},
    {"ActionGrowthAcc", "Toggle accept", 206},
    {"ActionGrowthAll", "Accept all", 206},
    {"ActionGrowthQuit", "Quit", 173},
    {"ActionAgeCompute", "Compute age", 181},
    {"ActionAgePlateau", "Age plateau", 182},
    {"ActionHalcyon", "General editor", 191},
    {"ActionReadPreferences", "Read preferences", 192},
    {"ActionChangePos", "Change position", 193},
    {"ActionConfigSave", "Save position", 194},
    {"ActionConfigSaveColumns", "Save all columns", 194},
    {"HelpContent", "Help content", 0},
    {"HelpIndex", "Help index", 0},
    {"HelpAbout", "About", 0},
};

// Built by later work: present, captioned and disabled.
const char* const kLaterWork[] = {
    "ActionRecToGraph",    "ActionToolsSubtract", "ActionToolsNormalize", "ActionToolsDeglitch",
    "ActionToolsASCII",    "ActionToolsUseROIs",  "ActionComputePlateau", "ActionComputeFading",
    "ActionComputeGrowth", "ActionGrowthCompute", "ActionGrowthWriteSol", "ActionGrowthRec",
    "ActionGrowthPnt",     "ActionGrowthCur",     "ActionGrowthAcc",      "ActionGrowthAll",
    "ActionGrowthQuit"};

}  // namespace

QAction* TEdForm1::NewAction(const char* name, const QString& caption, int helpContext) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    a->setProperty("helpContext", helpContext);
    if (helpContext > 0) a->setWhatsThis(QStringLiteral("Help context %1").arg(helpContext));
    return a;
}

QAction* TEdForm1::Action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void TEdForm1::CreateActions() {
    for (const TActionDef& d : kActions)
        NewAction(d.name, QString::fromUtf8(d.caption), d.helpContext);
    Action("ActionFileOpen")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Action("ActionFileSave")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Action("ActionFileClose")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    Action("ActionFileOpen")->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Action("ActionFileSave")->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    Action("ActionFileClose")->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Action("HelpContent")->setShortcut(QKeySequence::HelpContents);

    // "TL curves" and "OSL curves": one of the two is the current choice.
    auto* curves = new QActionGroup(this);
    for (const char* n : {"ActionCurvesOSL", "ActionCurvesTL"}) {
        Action(n)->setCheckable(true);
        curves->addAction(Action(n));
    }
    Action("ActionCurvesTL")->setChecked(tlCurves_);
    Action("ActionCurvesSub")->setCheckable(true);
    Action("ActionCurvesSub")->setChecked(subtractedCurves_);
    Action("ActionChangePos")->setCheckable(true);
    Action("ActionToolsSubtract")->setCheckable(true);
    Action("ActionToolsUseROIs")->setCheckable(true);
    Action("ActionToolsUseROIs")->setChecked(true);
    for (const char* n : kLaterWork) Action(n)->setEnabled(false);
    Action("ActionFileRestore")->setEnabled(false);

    connect(Action("ActionFileOpen"), &QAction::triggered, this, [this] { OnOpen(); });
    connect(Action("ActionFileSave"), &QAction::triggered, this, [this] { OnSave(); });
    connect(Action("ActionFileSaveAs"), &QAction::triggered, this, [this] { OnSaveAs(); });
    connect(Action("ActionFileClose"), &QAction::triggered, this, [this] { OnClose(); });
    connect(Action("ActionFileExit"), &QAction::triggered, this, [this] { OnExit(); });
    connect(Action("ActionHalcyon"), &QAction::triggered, this, [this] { SwitchMode(); });
    connect(Action("ActionCurvesTL"), &QAction::triggered, this, [this] {
        tlCurves_ = true;
        UpdateActions();
    });
    connect(Action("ActionCurvesOSL"), &QAction::triggered, this, [this] {
        tlCurves_ = false;
        UpdateActions();
    });
    connect(Action("ActionCurvesSub"), &QAction::triggered, this, [this] {
        subtractedCurves_ = !subtractedCurves_;
        UpdateActions();
    });
    connect(Action("HelpContent"), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("HelpContents")); });
    connect(Action("HelpIndex"), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("HelpIndex")); });
    connect(Action("HelpAbout"), &QAction::triggered, this,
            [this] { OnHelpTopic(QStringLiteral("About")); });
}

void TEdForm1::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (n == nullptr)
                menu->addSeparator();
            else
                menu->addAction(Action(n));
        }
        menu->installEventFilter(this);  // F1 on a highlighted item opens its help
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    add(file, {"ActionFileOpen", "ActionFileMerge", "ActionFileSave", "ActionFileSaveAs",
               "ActionFileClose", "ActionFileRestore", nullptr, "ActionReadPreferences",
               "ActionFileParameters", nullptr, "ActionFileExit"});
    editMenu_ = bar->addMenu(QStringLiteral("&Edit data"));
    editMenu_->setObjectName(QStringLiteral("EditMenu"));
    add(editMenu_, {"ActionRowSelect", "ActionSetAll", "ActionPasteRec", nullptr, "ActionSelectOSL",
                    "ActionSelectTL", "ActionSelectAll", "ActionFlipSelect", "ActionUnselectAll"});
    curvesMenu_ = bar->addMenu(QStringLiteral("Edit curves"));
    curvesMenu_->setObjectName(QStringLiteral("CurvesMenu"));
    add(curvesMenu_,
        {"ActionCurvesOSL", "ActionCurvesTL", "ActionCurvesSub", nullptr, "ActionRecToGraph"});
    toolsMenu_ = bar->addMenu(QStringLiteral("Tools"));
    toolsMenu_->setObjectName(QStringLiteral("ToolsMenu"));
    add(toolsMenu_, {"ActionToolsSubtract", "ActionToolsNormalize", "ActionToolsDeglitch"});
    utilitiesMenu_ = toolsMenu_->addMenu(QStringLiteral("Utilities"));
    utilitiesMenu_->setObjectName(QStringLiteral("UtilitiesMenu"));
    add(utilitiesMenu_, {"ActionToolsASCII", "ActionToolsROIs", "ActionToolsConvert",
                         "ActionToolsSysPars", "ActionToolsDuplicateDosing"});
    computeMenu_ = bar->addMenu(QStringLiteral("Compute"));
    computeMenu_->setObjectName(QStringLiteral("ComputeMenu"));
    add(computeMenu_,
        {"ActionComputePlateau", "ActionComputeFading", "ActionComputeGrowth", nullptr,
         "ActionGrowthCompute", "ActionGrowthWriteSol", nullptr, "ActionGrowthRec",
         "ActionGrowthPnt", "ActionGrowthCur", nullptr, "ActionGrowthAcc", "ActionGrowthAll"});
    ageMenu_ = bar->addMenu(QStringLiteral("Age computation"));
    ageMenu_->setObjectName(QStringLiteral("AgeMenu"));
    add(ageMenu_, {"ActionAgeCompute", "ActionAgePlateau"});
    QMenu* config = bar->addMenu(QStringLiteral("Configuration"));
    config->setObjectName(QStringLiteral("ConfigurationMenu"));
    add(config, {"ActionHalcyon", "ActionReadPreferences", "ActionChangePos", "ActionConfigSave",
                 "ActionConfigSaveColumns"});
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    add(help, {"HelpContent", "HelpIndex", nullptr, "HelpAbout"});
}

void TEdForm1::CreateToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Commands"));
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->addAction(Action("ActionFileOpen"));
    toolBar_->addAction(Action("ActionFileSave"));
    toolBar_->addAction(Action("ActionFileClose"));
    toolBar_->addSeparator();
    toolBar_->addAction(Action("ActionHalcyon"));
    toolBar_->addSeparator();
    toolBar_->addAction(Action("ActionRowSelect"));
    toolBar_->addAction(Action("ActionRecToGraph"));
    toolBar_->addAction(Action("ActionToolsSubtract"));
}

void TEdForm1::UpdateModeCaptions() {
    Action("ActionHalcyon")
        ->setText(generalMode_ ? QStringLiteral("Halcyon files")
                               : QStringLiteral("General editor"));
    statusMode_->setText(generalMode_ ? QStringLiteral("General editor")
                                      : QStringLiteral("Halcyon files"));
}

void TEdForm1::UpdateActions() {
    // Close stays usable after an Open whose later steps failed; the other file commands wait
    // for a complete Open.
    const bool fileLoaded = !fileName_.isEmpty();
    const bool fileOpen = FileCommandsEnabled();
    TBinDataSet* view = fileOpen ? ShownView() : nullptr;
    const bool hasView = view != nullptr;
    const bool hasRecords = hasView && !view->IsEmpty();
    Action("ActionFileOpen")->setEnabled(true);
    Action("ActionFileMerge")->setEnabled(fileOpen);
    Action("ActionFileClose")->setEnabled(fileLoaded);
    // Nothing to write without a shown view (a file of another kind in Halcyon mode).
    Action("ActionFileSave")->setEnabled(hasView);
    Action("ActionFileSaveAs")->setEnabled(hasView);
    Action("ActionFileRestore")->setEnabled(false);
    for (const char* n : {"ActionCurvesOSL", "ActionCurvesTL", "ActionCurvesSub"})
        Action(n)->setEnabled(hasRecords);
    Action("ActionCurvesTL")->setChecked(tlCurves_);
    Action("ActionCurvesOSL")->setChecked(!tlCurves_);
    Action("ActionCurvesSub")->setChecked(subtractedCurves_);
    Action("ActionToolsConvert")->setEnabled(fileOpen);
    Action("ActionAgeCompute")->setEnabled(fileOpen);
    Action("ActionAgePlateau")->setEnabled(fileOpen);

    for (QMenu* m : {editMenu_, curvesMenu_, toolsMenu_}) m->menuAction()->setEnabled(fileOpen);
    const bool halcyonWithRecords = fileOpen && !generalMode_ && hasRecords;
    for (QMenu* m : {utilitiesMenu_, computeMenu_, ageMenu_})
        m->menuAction()->setEnabled(halcyonWithRecords);
    // The editing commands of other parts follow their own rules once the file is ready.
    if (!fileOpen)
        for (const char* n : {"ActionRowSelect", "ActionPasteRec", "ActionChangePos"})
            Action(n)->setEnabled(false);
    UpdateModeCaptions();
    UpdateStatus();
}

bool TEdForm1::eventFilter(QObject* watched, QEvent* event) {
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
