#pragma once
// Every command of the main window as a QAction, reached by its id: the window, the
// controllers and the modes ask for Action(TActionId::FileSave), never for an object name.
// The object name of each action is its command name ("ActionFileSave"), which is what help
// contexts, tests and the laboratory's manuals refer to.
#include <array>
#include <cstddef>

class QAction;
class QObject;

enum class TActionId {
    FileOpen,
    FileMerge,
    FileSave,
    FileSaveAs,
    FileClose,
    FileRestore,
    FileParameters,
    FileExit,
    EditUndo,
    EditRedo,
    RowSelect,
    SetAll,
    PasteRec,
    SelectOSL,
    SelectTL,
    SelectAll,
    FlipSelect,
    UnselectAll,
    ToolsDuplicateDosing,
    CurvesOSL,
    CurvesTL,
    CurvesSub,
    RecToGraph,
    ToolsSubtract,
    ToolsNormalize,
    ToolsDeglitch,
    ToolsASCII,
    ToolsROIs,
    ToolsConvert,
    ToolsSysPars,
    ToolsUseROIs,
    ComputePlateau,
    ComputeFading,
    ComputeGrowth,
    GrowthCompute,
    GrowthWriteSol,
    GrowthRec,
    GrowthPnt,
    GrowthCur,
    GrowthAcc,
    GrowthAll,
    GrowthQuit,
    AgeCompute,
    AgePlateau,
    Halcyon,
    ReadPreferences,
    ChangePos,
    ConfigSave,
    ConfigSaveColumns,
    HelpContent,
    HelpIndex,
    HelpAbout,
    Count
};

constexpr std::size_t kActionCount = static_cast<std::size_t>(TActionId::Count);

// The menus of the main window that modes and file states enable as a whole.
enum class TMenuId {
    File,
    Edit,
    Curves,
    Tools,
    Utilities,
    Compute,
    Age,
    Configuration,
    Help,
    Count
};

constexpr std::size_t kMenuCount = static_cast<std::size_t>(TMenuId::Count);

struct TActionDef {
    TActionId id;
    const char* name;     // object name, e.g. "ActionFileOpen"
    const char* caption;  // menu caption
    int helpContext;      // 0: none
};

// The definition of an action (its row of the table, in menu order).
const TActionDef& ActionDef(TActionId id);

// The actions of one window, made from the table with their captions, names and help
// contexts; owned (as Qt children) by `owner`.
class TEditorActions {
public:
    explicit TEditorActions(QObject* owner);
    QAction* operator[](TActionId id) const { return actions_[static_cast<std::size_t>(id)]; }
    const std::array<QAction*, kActionCount>& All() const { return actions_; }

private:
    std::array<QAction*, kActionCount> actions_{};
};
