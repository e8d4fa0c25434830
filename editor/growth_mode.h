#pragma once
// "Growth curve" mode: the growth panel replaces the record form; the mode reads the shown
// view into the measurement table, lists its devices, irradiations and bleaching treatments,
// offers the method grid, builds the growth points of the chosen device, method and index,
// and "Compute" writes one solution line per computation. The point and curve viewers get
// their items through the graph messages of the document ("PointViewer", "CurveViewer");
// the mode is the main window's receiver ("EdForm1") for what they report back.
// "Plateau test" is the same workflow opened with "All" as index mode (TPlateauMode,
// plateau_mode.h, enters and leaves this mode for its own command).
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis/aliquot_lists.h"
#include "analysis/aliquot_set.h"
#include "analysis/graph_messages.h"
#include "analysis/growth_compute.h"
#include "analysis/growth_points.h"
#include "analysis/method_recognition.h"
#include "analysis/plateau_test.h"
#include "analysis/single_aliquot.h"
#include "analysis/single_aliquot_ncf.h"
#include "editor/editor_mode.h"
#include "editor/growth_panel.h"
#include "fitting/fit_record.h"

class QMenu;
class QToolBar;
class TEditorShell;
class TPlateauRunner;

class TGrowthMode : public QObject, public TEditorMode, public TGraphReceiver {
    Q_OBJECT

public:
    explicit TGrowthMode(TEditorShell& shell);
    ~TGrowthMode() override;

    TActionId Command() const override { return TActionId::ComputeGrowth; }
    TModeGroup Group() const override { return TModeGroup::Compute; }
    // Entered as "Growth curve": "Single" index mode.
    void Enter() override;
    // Entered for `command` with `indexMode` chosen ("Plateau test": "All"); "Quit" then
    // switches that command off, and a device or method change shows that index mode again.
    void EnterAs(TActionId command, TIndexMode indexMode);
    void Leave() override;
    QWidget* Panel() override;
    QString StatusText() const override;

    void HandleGraphMessage(TGraphMessage& message) override;

    // The graph windows are made elsewhere: `show` makes or shows the viewer of a name
    // ("PointViewer", "CurveViewer") so that it is registered with the document's graph
    // messages, `close` closes it. Without them the mode sends to the viewers that exist.
    // `show` returns the window it made or showed (nullptr when none): the mode hears when
    // the user closes it and unchecks its preview.
    void SetViewerHooks(std::function<QWidget*(const std::string&)> show,
                        std::function<void(const std::string&)> close);
    // The viewer of `name` was closed (by the user, or by the mode): its preview command is
    // unchecked, so the next index change does not open it again.
    void ViewerClosed(const std::string& name);

    // --- Commands (also reached through the panel, its pop-up menu and the tool bar) ----
    void Compute();
    void SetRecordPreview(bool on);
    void SetPointPreview(bool on);
    void SetCurvePreview(bool on);
    // "Toggle accept": the measurement under the last right-click in the curves list.
    void ToggleAcceptOfLastClick();
    void AcceptAll();
    void ChooseDevice(int device);
    void ChooseCell(int bleaching, int method);
    void ChooseIndexMode(TIndexMode mode);
    void IrradiationsChanged();
    // "Write solutions to file": appends the solutions of the last Range or All run to a log.
    void WriteSolutions();
    // Stops a Range or All run after the step in hand.
    void CancelRange();
    // "Set NCF template": the template of the disk in the first index field in "Select
    // normalization scheme"; the TL pair chosen there for that disk or for all
    // (growth_mode_ncf.cpp).
    void SetNcfTemplate();

    // --- State, for the panel's owner and tests ------------------------------------------
    bool IsOn() const { return on_; }
    // The command the mode was entered for ("Growth curve" or "Plateau test").
    TActionId EnteredCommand() const { return command_; }
    const TLookupTable& Table() const { return table_; }
    const TMethodGrid& MethodGrid() const { return grid_; }
    const std::vector<TDeviceEntry>& Devices() const { return devices_; }
    const std::vector<TBleachingEntry>& Bleachings() const { return bleachings_; }
    int CurrentDevice() const { return device_; }
    int CurrentBleaching() const { return bleaching_; }
    int CurrentMethod() const { return method_; }
    // The index variable the viewers hold the address of.
    const int32_t& CurrentIndex() const { return index_; }
    const TGrowthPoints& Points() const { return points_; }
    const TFitRecord& Fit() const { return fit_; }
    TGrowthPanel* GrowthPanel() const { return panel_.data(); }
    QToolBar* ComputeToolBar() const { return toolBar_; }
    QMenu* PopupMenu() const { return menu_; }
    // The last Range or All run: its solutions, the paleodose plot, whether one is running.
    const TSolutionArray& Solutions() const { return solutions_; }
    const TPlateauArray& Plateau() const { return plateau_; }
    bool RangeRunning() const;
    TPlateauRunner* RangeRunner() const { return runner_; }

private:
    void Clear();
    // After the lists are built and after each device change: method grid, fitting options,
    // index fields.
    void RebuildForDevice();
    void SetUpIndex();
    void RecomputeSelection();
    bool SingleAliquot() const;
    // Builds the growth points for the current index, or updates them when they exist.
    bool EnsurePoints();
    bool BuildAliquotPoints();
    void DropRangeResults();
    void RebuildPoints();
    void FreePoints();
    void FirstValueChanged(int value);
    void SecondValueChanged(int value);
    void ShowSingle();
    // Shows `mode` in the panel with the index or the range of the current data.
    void ShowIndexMode(TIndexMode mode);
    void OpenViewer(const char* name);
    void AfterAcceptChange();
    void ToggleAccept(int ordinal, bool fromKey);
    void ShowMenu(const QPoint& globalPos, bool onCurves, int ordinal);
    void SendPointPreview();
    void SendCurvePreview();
    void RefreshViewers();
    bool Exists(const char* name) const;
    void Draw(const char* name, TGraphicDataMask mask);
    std::string Notes(bool withIndex) const;
    const TDeviceKey& Device() const;
    void UpdateCommands();
    // Range and All (growth_mode_plateau.cpp).
    void ComputeRange();
    void AppendCriteria(const TSolution& solution);
    // With "Monte Carlo error" checked: the solution's Monte Carlo error on the line after
    // it (`withProgress`: a cancellable progress dialog while the draws run).
    void AppendMonteCarlo(const TSolution& solution, bool withProgress);
    // "Toggle accept": the aliquot of the index accepted by the user, or no longer.
    void ToggleAliquotAcceptance();
    void RangeStep(TPlateauRun& run);
    void RangeFinished(TPlateauRun& run);
    void SendPlateau();
    void ComputeSingleAliquot();
    // The points and solution of one aliquot with the limits in saLimits_ (which the SAR
    // points rewrite); `error` says why a SAA computation stopped.
    TSolution SolveSingleAliquot(int aliquot, std::string& error);
    void PrepareResultViewer();
    void SendResult(bool withNotes);
    // Copies the stored solution of the current index into the fit record when there is one.
    bool TakeStoredSolution();
    // A ROI result picked in the paleodose plot: its growth points summed over the ROI and
    // its stored solution go to the point viewer.
    void RevisitRoi(const TSolutionRecord& solution);

    TEditorShell& shell_;
    TGraphDispatcher& messages_;
    QPointer<TGrowthPanel> panel_;  // the mode's; the window's stack holds it while shown
    QToolBar* toolBar_ = nullptr;
    QMenu* menu_ = nullptr;
    std::function<QWidget*(const std::string&)> showViewer_;
    std::function<void(const std::string&)> closeViewer_;
    bool on_ = false;
    TActionId command_ = TActionId::ComputeGrowth;
    TIndexMode entryIndexMode_ = TIndexMode::Single;

    // The panel state. The viewers read the table, the points, the fit record and the
    // index through their addresses: these members stay where they are while the mode lives.
    TLookupTable table_;
    std::vector<TDeviceEntry> devices_;
    std::vector<TIrradiationEntry> irradiations_;
    std::vector<TBleachingEntry> bleachings_;
    TMethodGrid grid_;
    TPlatter platter_;
    bool hasPlatter_ = false;
    std::set<int> acceptedByUser_;  // SAR aliquots accepted whatever their criteria
    TSaLimits saLimits_;            // the single-aliquot limits; the SAR points rewrite them
    TNcfTolerances ncfTolerances_;  // of recognising the NCF templates
    int device_ = 0;
    int bleaching_ = -1;
    int method_ = -1;
    TIndexFields fields_;
    int32_t index_ = 0;
    int rangeFirst_ = 0;
    int rangeLast_ = 0;
    TGrowthPoints points_;
    bool hasPoints_ = false;
    TFitRecord fit_;
    int lastClick_ = -1;  // curves list entry under the last right-click
    TSolutionArray solutions_;
    TPlateauArray plateau_;  // the results viewer reads it through its address
    TPlateauRunner* runner_ = nullptr;
    std::string rangeError_;  // the first computation of a Range or All run that stopped
};
