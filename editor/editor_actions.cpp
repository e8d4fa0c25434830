#include "editor/editor_actions.h"

#include <QAction>

namespace {

// In menu order, one row per TActionId in the enum's order.
constexpr TActionDef kActions[] = {
    {TActionId::FileOpen, "ActionFileOpen", "&Open", 101},
    {TActionId::FileMerge, "ActionFileMerge", "Read/merge file", 102},
    {TActionId::FileSave, "ActionFileSave", "&Save", 103},
    {TActionId::FileSaveAs, "ActionFileSaveAs", "Save &as...", 103},
    {TActionId::FileClose, "ActionFileClose", "&Close", 104},
    {TActionId::FileRestore, "ActionFileRestore", "Restore from backup", 111},
    {TActionId::FileParameters, "ActionFileParameters", "System parameters", 112},
    {TActionId::FileExit, "ActionFileExit", "E&xit", 119},
    {TActionId::EditUndo, "ActionEditUndo", "Undo", 0},
    {TActionId::EditRedo, "ActionEditRedo", "Redo", 0},
    {TActionId::RowSelect, "ActionRowSelect", "Enable row selection", 120},
    {TActionId::SetAll, "ActionSetAll", "Post field to selected", 121},
    {TActionId::PasteRec, "ActionPasteRec", "Copy to clipboard", 122},
    {TActionId::SelectOSL, "ActionSelectOSL", "Select OSL", 123},
    {TActionId::SelectTL, "ActionSelectTL", "Select TL", 124},
    {TActionId::SelectAll, "ActionSelectAll", "Select all", 125},
    {TActionId::FlipSelect, "ActionFlipSelect", "Toggle selection", 126},
    {TActionId::UnselectAll, "ActionUnselectAll", "Unselect all", 127},
    {TActionId::ToolsDuplicateDosing, "ActionToolsDuplicateDosing", "Duplicate dosing", 128},
    {TActionId::CurvesOSL, "ActionCurvesOSL", "OSL curves", 141},
    {TActionId::CurvesTL, "ActionCurvesTL", "TL curves", 142},
    {TActionId::CurvesSub, "ActionCurvesSub", "Subtracted curves", 143},
    {TActionId::RecToGraph, "ActionRecToGraph", "Graph current record", 144},
    {TActionId::ToolsSubtract, "ActionToolsSubtract", "Subtract bgd", 150},
    {TActionId::ToolsNormalize, "ActionToolsNormalize", "Normalize", 151},
    {TActionId::ToolsDeglitch, "ActionToolsDeglitch", "Deglitch data", 152},
    {TActionId::ToolsASCII, "ActionToolsASCII", "ASCII conversion", 153},
    {TActionId::ToolsROIs, "ActionToolsROIs", "ROI's", 154},
    {TActionId::ToolsConvert, "ActionToolsConvert", "File type conversion", 155},
    {TActionId::ToolsSysPars, "ActionToolsSysPars", "System parameters", 156},
    {TActionId::ToolsUseROIs, "ActionToolsUseROIs", "use ROIs", 157},
    {TActionId::ComputePlateau, "ActionComputePlateau", "Plateau test", 170},
    {TActionId::ComputeFading, "ActionComputeFading", "Fading test", 171},
    {TActionId::ComputeGrowth, "ActionComputeGrowth", "Growth curve", 172},
    {TActionId::GrowthCompute, "ActionGrowthCompute", "Compute", 201},
    {TActionId::GrowthWriteSol, "ActionGrowthWriteSol", "Write solutions to file", 202},
    {TActionId::GrowthRec, "ActionGrowthRec", "Record preview", 203},
    {TActionId::GrowthPnt, "ActionGrowthPnt", "Point preview", 204},
    {TActionId::GrowthCur, "ActionGrowthCur", "Curve preview", 205},
    {TActionId::GrowthAcc, "ActionGrowthAcc", "Toggle accept", 206},
    {TActionId::GrowthAll, "ActionGrowthAll", "Accept all", 206},
    {TActionId::GrowthQuit, "ActionGrowthQuit", "Quit", 173},
    {TActionId::AgeCompute, "ActionAgeCompute", "Compute age", 181},
    {TActionId::AgePlateau, "ActionAgePlateau", "Age plateau", 182},
    {TActionId::Halcyon, "ActionHalcyon", "General editor", 191},
    {TActionId::ReadPreferences, "ActionReadPreferences", "Read preferences", 192},
    {TActionId::ChangePos, "ActionChangePos", "Change position", 193},
    {TActionId::ConfigSave, "ActionConfigSave", "Save position", 194},
    {TActionId::ConfigSaveColumns, "ActionConfigSaveColumns", "Save all columns", 194},
    {TActionId::HelpContent, "HelpContent", "Help content", 0},
    {TActionId::HelpIndex, "HelpIndex", "Help index", 0},
    {TActionId::HelpAbout, "HelpAbout", "About", 0},
};

static_assert(std::size(kActions) == kActionCount, "one row per action id");

constexpr bool RowsInEnumOrder() {
    for (std::size_t i = 0; i < kActionCount; ++i)
        if (static_cast<std::size_t>(kActions[i].id) != i) return false;
    return true;
}
static_assert(RowsInEnumOrder(), "rows in the order of TActionId");

}  // namespace

const TActionDef& ActionDef(TActionId id) {
    return kActions[static_cast<std::size_t>(id)];
}

TEditorActions::TEditorActions(QObject* owner) {
    for (const TActionDef& d : kActions) {
        auto* a = new QAction(QString::fromUtf8(d.caption), owner);
        a->setObjectName(QLatin1String(d.name));
        a->setProperty("helpContext", d.helpContext);
        if (d.helpContext > 0)
            a->setWhatsThis(QStringLiteral("Help context %1").arg(d.helpContext));
        actions_[static_cast<std::size_t>(d.id)] = a;
    }
}
