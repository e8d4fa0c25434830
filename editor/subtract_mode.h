#pragma once
// "Subtract bgd" mode: while it is on, the grid shows the sample records of the current curve
// kind with their assigned background, and the subtraction panel with the list of background
// runs replaces the record form. "Subtract" runs the subtraction as one undoable command
// ("Subtract backgrounds (56 records)"); "Default", "Assign" and a background line dropped
// on a grid row change the assignment.
#include <QObject>
#include <QPointer>
#include <optional>

#include "editor/editor_mode.h"
#include "editor/subtract_panel.h"
#include "record_store/bin_data_set.h"
#include "tools/bgd_tables.h"

class TEditorShell;

class TSubtractMode : public QObject, public TEditorMode {
    Q_OBJECT

public:
    explicit TSubtractMode(TEditorShell& shell);
    ~TSubtractMode() override;

    TActionId Command() const override { return TActionId::ToolsSubtract; }
    TModeGroup Group() const override { return TModeGroup::Tool; }
    void Enter() override;
    void Leave() override;
    QWidget* Panel() override;
    std::function<bool(TBinDataSet&)> GridFilter() override;
    QStringList GridColumns() const override;
    std::map<std::string, std::string> GridColumnTitles() const override;
    QString StatusText() const override;
    std::vector<TActionId> DisabledCommands() const override;

    // The commands of the panel (also used by its buttons).
    void Subtract();
    void RestoreDefault();
    void AssignSelected();
    // Gives the record of grid row `row` the background at `listIndex` (a drop on the grid).
    void AssignToRow(int row, int listIndex);

    const TBackgroundAssignment* Assignment() const {
        return assignment_ ? &*assignment_ : nullptr;
    }
    TSubtractPanel* SubtractPanel() const { return panel_.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildDefault();
    void UpdateRange();

    TEditorShell& shell_;
    QPointer<TSubtractPanel> panel_;  // the mode's; the window's stack holds it while shown
    std::optional<TBackgroundAssignment> assignment_;
    TBinDataSet::Callback savedCalculation_;
    bool tlCurves_ = true;
    bool on_ = false;
};
