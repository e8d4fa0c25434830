#include "editor/growth_mode.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QTime>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "analysis/device_key.h"
#include "analysis/lookup_table.h"
#include "analysis/single_aliquot_ncf.h"
#include "editor/editor_document.h"
#include "editor/editor_shell.h"
#include "editor/plateau_runner.h"
#include "editor/run_progress.h"
#include "editor/sa_limits_widget.h"
#include "editor/user_prompts.h"
#include "record_store/bin_data_set.h"

namespace {

// The window's Monte Carlo draws are seeded alike: the same points give the same error.
constexpr std::uint64_t kMonteCarloSeed = 1;

// The unit of the doses the growth curve was fitted to: that of the first irradiated record
// of the selection (the unit of its source's dose rate, before the "/").
std::string DoseUnit(const TLookupTable& table) {
    for (const TLookupRecord& record : table) {
        if (record.InSelection && record.Irradiation.Dose > 0) return record.Irradiation.DoseUnit;
    }
    return "Gy";
}

constexpr const char* kNoValidRecords = "No valid records!";
constexpr const char* kNoMethod = "No method was recognized by program!";
constexpr const char* kLineEnd = "\r\n";
constexpr int kGrowthHelpContext = 172;

// The irradiation date as the user's locale writes a short date, with the time of day.
std::string LocaleDateTimeText(double dateTime) {
    if (!std::isfinite(dateTime)) return "?";
    const double day = std::floor(dateTime);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(day));
    const int seconds = std::min(static_cast<int>(std::lround((dateTime - day) * 86400.0)), 86399);
    const QTime time = QTime(0, 0).addSecs(seconds);
    return (QLocale().toString(date, QLocale::ShortFormat) + QLatin1Char(' ') +
            time.toString(QStringLiteral("HH:mm:ss")))
        .toStdString();
}

std::string TimeOfDayNow() {
    return QLocale().toString(QTime::currentTime(), QLocale::LongFormat).toStdString();
}

}  // namespace

TGrowthMode::TGrowthMode(TEditorShell& shell)
    : shell_(shell), messages_(shell.Document().GraphMessages()) {
    using A = TActionId;
    panel_ = new TGrowthPanel;
    connect(panel_, &TGrowthPanel::deviceChanged, this, &TGrowthMode::ChooseDevice);
    connect(panel_, &TGrowthPanel::cellChosen, this, &TGrowthMode::ChooseCell);
    connect(panel_, &TGrowthPanel::irradiationsChanged, this, &TGrowthMode::IrradiationsChanged);
    connect(panel_, &TGrowthPanel::indexModeChosen, this, &TGrowthMode::ChooseIndexMode);
    connect(panel_, &TGrowthPanel::firstValueChanged, this, &TGrowthMode::FirstValueChanged);
    connect(panel_, &TGrowthPanel::secondValueChanged, this, &TGrowthMode::SecondValueChanged);
    connect(panel_->SaLimits(), &TSaLimitsWidget::ncfTemplateRequested, this,
            &TGrowthMode::SetNcfTemplate);
    connect(panel_->SaLimits(), &TSaLimitsWidget::acceptToggleRequested, this,
            &TGrowthMode::ToggleAliquotAcceptance);
    connect(panel_, &TGrowthPanel::acceptKeyPressed, this,
            [this](int ordinal) { ToggleAccept(ordinal, true); });
    connect(panel_, &TGrowthPanel::menuRequested, this, &TGrowthMode::ShowMenu);
    connect(panel_, &TGrowthPanel::helpRequested, this,
            [this] { shell_.ShowHelpContext(kGrowthHelpContext); });

    const std::pair<A, const char*> hints[] = {{A::GrowthCompute, "Compute"},
                                               {A::GrowthRec, "Preview records"},
                                               {A::GrowthPnt, "Preview points"},
                                               {A::GrowthCur, "Preview curves"},
                                               {A::GrowthAcc, "Accept selected"}};
    for (const auto& [id, hint] : hints) {
        shell_.Action(id)->setToolTip(QString::fromLatin1(hint));
        shell_.Action(id)->setStatusTip(QString::fromLatin1(hint));
    }
    for (A id : {A::GrowthRec, A::GrowthPnt, A::GrowthCur}) shell_.Action(id)->setCheckable(true);
    connect(shell_.Action(A::GrowthCompute), &QAction::triggered, this, &TGrowthMode::Compute);
    connect(shell_.Action(A::GrowthRec), &QAction::triggered, this, &TGrowthMode::SetRecordPreview);
    connect(shell_.Action(A::GrowthPnt), &QAction::triggered, this, &TGrowthMode::SetPointPreview);
    connect(shell_.Action(A::GrowthCur), &QAction::triggered, this, &TGrowthMode::SetCurvePreview);
    connect(shell_.Action(A::GrowthAcc), &QAction::triggered, this,
            &TGrowthMode::ToggleAcceptOfLastClick);
    connect(shell_.Action(A::GrowthAll), &QAction::triggered, this, &TGrowthMode::AcceptAll);
    connect(shell_.Action(A::GrowthWriteSol), &QAction::triggered, this,
            &TGrowthMode::WriteSolutions);
    shell_.Action(A::GrowthWriteSol)->setToolTip(QStringLiteral("Write solutions to file"));
    runner_ = new TPlateauRunner(shell_.Window());
    connect(shell_.Action(A::GrowthQuit), &QAction::triggered, this, [this] {
        if (on_) shell_.Action(command_)->trigger();
    });

    // The compute tool bar, shown while the mode is on.
    if (auto* window = qobject_cast<QMainWindow*>(shell_.Window())) {
        window->addToolBarBreak();
        toolBar_ = window->addToolBar(QStringLiteral("Compute"));
        toolBar_->setObjectName(QStringLiteral("ComputeToolBar"));
        toolBar_->setMovable(false);
        for (A id :
             {A::GrowthCompute, A::GrowthPnt, A::GrowthCur, A::GrowthWriteSol, A::GrowthQuit})
            toolBar_->addAction(shell_.Action(id));
        toolBar_->hide();
    }

    // The panel's pop-up menu; its "Toggle accept" acts on the entry under the click.
    menu_ = new QMenu(panel_);
    menu_->setObjectName(QStringLiteral("GrowthPopupMenu"));
    menu_->addAction(shell_.Action(A::GrowthRec));
    menu_->addAction(shell_.Action(A::GrowthPnt));
    menu_->addAction(shell_.Action(A::GrowthCur));
    menu_->addSeparator();
    QAction* toggle = menu_->addAction(QStringLiteral("Toggle accept"));
    toggle->setObjectName(QStringLiteral("PopupToggleAccept"));
    connect(toggle, &QAction::triggered, this, &TGrowthMode::ToggleAcceptOfLastClick);
    menu_->addAction(shell_.Action(A::GrowthAll));
    menu_->addSeparator();
    menu_->addAction(shell_.Action(A::GrowthCompute));

    // "use ROIs" is the window's command (the ROI computations give it its effect).
    QAction* useRois = shell_.Action(A::ToolsUseROIs);
    QCheckBox* box = panel_->UseRoisBox();
    auto follow = [useRois, box] {
        box->setEnabled(useRois->isEnabled());
        box->setChecked(useRois->isChecked());
    };
    follow();
    connect(useRois, &QAction::changed, box, follow);
    connect(box, &QCheckBox::clicked, useRois, [useRois, box](bool on) {
        if (useRois->isCheckable() && useRois->isChecked() != on) useRois->trigger();
        box->setChecked(useRois->isChecked());
    });

    messages_.Register(kMainWindowName, this);
    UpdateCommands();
}

TGrowthMode::~TGrowthMode() {
    messages_.Unregister(kMainWindowName);
    // The panel is ours to delete, unless the window's stack took it along as it closed.
    delete panel_.data();
}

QWidget* TGrowthMode::Panel() {
    return panel_;
}

QString TGrowthMode::StatusText() const {
    return QStringLiteral(" - computing paleodose: ") +
           QFileInfo(shell_.Document().FileName()).fileName();
}

void TGrowthMode::SetViewerHooks(std::function<QWidget*(const std::string&)> show,
                                 std::function<void(const std::string&)> close) {
    showViewer_ = std::move(show);
    closeViewer_ = std::move(close);
}

void TGrowthMode::OpenViewer(const char* name) {
    if (!showViewer_) return;
    auto* viewer = qobject_cast<QDialog*>(showViewer_(name));
    if (!viewer) return;
    // One connection per window, which lives on (hidden) after it is closed.
    disconnect(viewer, &QDialog::finished, this, nullptr);
    connect(viewer, &QDialog::finished, this,
            [this, viewerName = std::string(name)] { ViewerClosed(viewerName); });
}

void TGrowthMode::ViewerClosed(const std::string& name) {
    using A = TActionId;
    const A preview = name == kPointViewer   ? A::GrowthPnt
                      : name == kCurveViewer ? A::GrowthCur
                                             : A::Count;
    if (preview == A::Count || !shell_.Action(preview)->isChecked()) return;
    shell_.Action(preview)->setChecked(false);
    if (!shell_.Action(A::GrowthPnt)->isChecked() && !shell_.Action(A::GrowthCur)->isChecked())
        FreePoints();
}

void TGrowthMode::UpdateCommands() {
    using A = TActionId;
    const bool running = RangeRunning();
    for (A id :
         {A::GrowthRec, A::GrowthPnt, A::GrowthCur, A::GrowthAcc, A::GrowthAll, A::GrowthQuit})
        shell_.Action(id)->setEnabled(on_);
    shell_.Action(A::GrowthCompute)->setEnabled(on_ && !running);
    shell_.Action(A::GrowthWriteSol)->setEnabled(on_ && !running && solutions_.Succeeded);
    if (panel_) panel_->setEnabled(!running);
    // "use ROIs": Range or All of a multi-aliquot method on TL or OSL data.
    bool rois = on_ && !running && panel_ && panel_->IndexMode() != TIndexMode::Single &&
                method_ >= 0 && !SingleAliquot() && !devices_.empty();
    if (rois) {
        const int d = Device().Device;
        rois = d == 0 || (d >= 20 && d <= 28) || (d >= 40 && d <= 48);
    }
    shell_.Action(A::ToolsUseROIs)->setEnabled(rois);
}

// --- Entering and leaving -------------------------------------------------------------------

void TGrowthMode::Enter() {
    EnterAs(TActionId::ComputeGrowth, TIndexMode::Single);
}

void TGrowthMode::EnterAs(TActionId command, TIndexMode indexMode) {
    command_ = command;
    entryIndexMode_ = indexMode;
    TEditorDocument& document = shell_.Document();
    TBinDataSet* view = document.ShownView();
    if (!view) return;
    Clear();
    document.TakePickedPlateauRow();  // a pick in another mode's results
    bool cancelled = false;
    {
        TRunProgress progress(shell_.Window(), QStringLiteral("Reading measurements..."),
                              view->RecordCount());
        const TToolProgress step = progress.Callback();
        table_ = BuildLookupTable(*view, document.ShownStoreKind(), LocaleDateTimeText, step,
                                  &cancelled);
    }
    if (cancelled) {
        Clear();
        throw TModeDeclined();
    }
    auto refuse = [this](const char* message) {
        Clear();
        shell_.Prompts().ShowWarning(shell_.Window(), QString::fromLatin1(message));
        throw TModeDeclined();
    };
    if (table_.empty()) refuse(kNoValidRecords);
    devices_ = BuildDeviceList(table_);
    irradiations_ = BuildIrradiationList(table_, LocaleDateTimeText);
    bleachings_ = BuildBleachingList(table_);
    if (devices_.empty()) refuse(kNoMethod);

    panel_->SetCurves(&table_);
    QStringList irradiationTexts;
    for (const TIrradiationEntry& e : irradiations_)
        irradiationTexts << QString::fromStdString(e.Text);
    panel_->SetIrradiations(irradiationTexts);
    // The first device that has a method: a file may begin with measurements (a TL preheat,
    // say) from which no method can be recognised.
    for (device_ = 0; device_ < static_cast<int>(devices_.size()); ++device_) {
        RecomputeSelection();
        RebuildForDevice();
        if (!grid_.Methods.empty()) break;
    }
    if (grid_.Methods.empty()) {
        device_ = 0;
        refuse(kNoMethod);
    }
    RecomputeSelection();
    panel_->ClearSolutions();
    acceptedByUser_.clear();
    solutions_ = {};
    plateau_.clear();

    on_ = true;
    panel_->ShowRecords(shell_.Action(TActionId::GrowthRec)->isChecked());
    if (toolBar_) toolBar_->show();
    UpdateCommands();
    RefreshViewers();
}

void TGrowthMode::Leave() {
    CancelRange();
    if (on_) {
        // The viewers stay open: they let go of what goes with the mode.
        for (const char* name : {kPointViewer, kCurveViewer}) {
            messages_.SendReference(name, gd_Points, nullptr);
            messages_.SendReference(name, gd_ViewCurves, nullptr);
            messages_.SendReference(name, gd_Fit, nullptr);
        }
    }
    on_ = false;
    Clear();
    if (toolBar_) toolBar_->hide();
    UpdateCommands();
}

void TGrowthMode::Clear() {
    if (panel_) panel_->SetCurves(nullptr);
    points_.clear();
    hasPoints_ = false;
    grid_ = {};
    bleachings_.clear();
    irradiations_.clear();
    devices_.clear();
    table_.clear();
    platter_ = {};
    hasPlatter_ = false;
    device_ = 0;
    bleaching_ = method_ = -1;
    fit_ = {};
    lastClick_ = -1;
}

// --- Lists, method grid and index -----------------------------------------------------------

const TDeviceKey& TGrowthMode::Device() const {
    return devices_[static_cast<std::size_t>(device_)].Key;
}

bool TGrowthMode::SingleAliquot() const {
    return method_ == kSaAdditive || method_ == kSaRegenerative;
}

void TGrowthMode::RebuildForDevice() {
    grid_ = PossibleMethods(table_, Device(), irradiations_, bleachings_);
    platter_ = {};
    hasPlatter_ = false;
    for (int m : grid_.Methods)
        if (m == kSaAdditive || m == kSaRegenerative) hasPlatter_ = true;
    if (hasPlatter_) hasPlatter_ = BuildAliquotSet(table_, platter_);
    // The NCF templates of the disks, for "SA Regenerative".
    if (hasPlatter_ && std::count(grid_.Methods.begin(), grid_.Methods.end(), kSaRegenerative))
        RecognizeNcfSchemes(platter_, table_, ncfTolerances_);

    QStringList deviceTexts;
    for (const TDeviceEntry& d : devices_) deviceTexts << QString::fromStdString(d.Text);
    panel_->SetDevices(deviceTexts, device_);

    // The first possible cell, bleaching column by column.
    bleaching_ = method_ = -1;
    for (std::size_t b = 0; b < grid_.Possible.size() && method_ < 0; ++b) {
        for (int m : grid_.Methods) {
            if (grid_.Possible[b][static_cast<std::size_t>(m)][0]) {
                bleaching_ = static_cast<int>(b);
                method_ = m;
                break;
            }
        }
    }
    QStringList bleachingTexts;
    for (const TBleachingEntry& b : bleachings_) bleachingTexts << QString::fromStdString(b.Text);
    panel_->SetMethodGrid(grid_, bleachingTexts, bleaching_, method_);
    panel_->FillFitLists(method_);
    SetUpIndex();
}

void TGrowthMode::SetUpIndex() {
    fields_ = IndexFieldsFor(Device(), method_, hasPlatter_ ? &platter_ : nullptr);
    panel_->SetIndexFields(fields_);
    index_ = fields_.DefaultIndex;
    if (!fields_.Valid()) {
        rangeFirst_ = rangeLast_ = 0;
    } else if (fields_.Unit != TIndexUnit::Temperature) {
        // Channels and disk numbers are their own indices.
        rangeFirst_ = fields_.Minimum;
        rangeLast_ = fields_.Maximum;
    } else {
        const int spacing = std::max(fields_.Spacing, 1);
        rangeFirst_ = 200 / spacing - 1;
        rangeLast_ = fields_.Maximum / spacing - 1;
    }
    hasPoints_ = false;
    ShowIndexMode(fields_.Valid() ? entryIndexMode_ : TIndexMode::Single);
}

void TGrowthMode::ShowSingle() {
    panel_->ShowIndexMode(TIndexMode::Single, fields_.Valid() ? ValueOfIndex(fields_, index_) : 0,
                          0);
    panel_->SetFirstValueValid(true);
}

void TGrowthMode::ShowIndexMode(TIndexMode mode) {
    if (mode == TIndexMode::Single) {
        ShowSingle();
    } else {
        panel_->ShowIndexMode(mode, ValueOfIndex(fields_, rangeFirst_),
                              ValueOfIndex(fields_, rangeLast_));
    }
}

void TGrowthMode::ChooseIndexMode(TIndexMode mode) {
    if (!on_) return;
    ShowIndexMode(mode);
    UpdateCommands();
}

void TGrowthMode::RecomputeSelection() {
    if (devices_.empty()) return;
    if (bleaching_ >= 0 && method_ >= 0) {
        UpdateSelection(table_, Device(), irradiations_,
                        bleachings_[static_cast<std::size_t>(bleaching_)].Bleaching, method_);
    } else {
        UpdateSelection(table_, Device(), irradiations_, TBleaching{}, 0, true);
    }
    panel_->RedrawCurves();
}

// Results of an earlier Range or All belong to the device, method and bleaching they were
// computed with: another choice drops them and their paleodose plot.
void TGrowthMode::DropRangeResults() {
    if (solutions_.Entries.empty() && plateau_.empty()) return;
    solutions_ = {};
    plateau_.clear();
    messages_.SendReference(kGraphEditor, gd_Plateau, nullptr);
    if (closeViewer_) closeViewer_(kGraphEditor);
    UpdateCommands();
}

void TGrowthMode::ChooseDevice(int device) {
    if (!on_ || device < 0 || device >= static_cast<int>(devices_.size()) || device == device_)
        return;
    DropRangeResults();
    device_ = device;
    RecomputeSelection();
    RebuildForDevice();
    RecomputeSelection();
    RefreshViewers();
    UpdateCommands();
}

void TGrowthMode::ChooseCell(int bleaching, int method) {
    if (!on_ || bleaching < 0 || bleaching >= static_cast<int>(bleachings_.size())) return;
    if (bleaching == bleaching_ && method == method_) return;
    DropRangeResults();
    const bool wasSingleAliquot = SingleAliquot();
    const bool wasAdditiveSa = method_ == kSaAdditive;
    bleaching_ = bleaching;
    method_ = method;
    if (wasSingleAliquot != SingleAliquot() || wasAdditiveSa != (method == kSaAdditive))
        panel_->FillFitLists(method_);
    if (wasSingleAliquot != SingleAliquot()) SetUpIndex();
    hasPoints_ = false;  // other levels for another method
    RecomputeSelection();
    if (shell_.Action(TActionId::GrowthPnt)->isChecked()) {
        SendPointPreview();
    } else if (!shell_.Action(TActionId::GrowthCur)->isChecked()) {
        FreePoints();
    }
    if (shell_.Action(TActionId::GrowthCur)->isChecked()) SendCurvePreview();
    UpdateCommands();
    if (SingleAliquot() && !hasPlatter_) shell_.ShowError(QString::fromLatin1(kNoSingleAliquotData));
}

void TGrowthMode::IrradiationsChanged() {
    if (!on_) return;
    const std::vector<bool> selected = panel_->IrradiationSelection();
    for (std::size_t i = 0; i < irradiations_.size() && i < selected.size(); ++i)
        irradiations_[i].Selected = selected[i];
    RecheckPossibleMethods(grid_, table_, Device(), irradiations_, bleachings_);
    panel_->RedrawMethodGrid(grid_);
    hasPoints_ = false;  // other measurements in the selection
    RecomputeSelection();
}

void TGrowthMode::FirstValueChanged(int value) {
    if (!on_ || !fields_.Valid()) return;
    if (SingleAliquot()) {
        if (panel_->IndexMode() != TIndexMode::Single) {
            // A range may start between aliquot numbers: it starts at the next aliquot.
            rangeFirst_ = std::max(fields_.Minimum, value);
            panel_->SetFirstValueValid(true);
            return;
        }
        const bool known = hasPlatter_ && platter_.Find(value) != nullptr;
        panel_->SetFirstValueValid(known);
        if (!known) return;
    }
    int index = 0;
    std::string message;
    if (!IndexFromValue(fields_, value, index, message)) return;
    if (panel_->IndexMode() != TIndexMode::Single) {
        rangeFirst_ = index;
        return;
    }
    index_ = index;
    EnsurePoints();
    messages_.SendDraw(kPointViewer, TakeStoredSolution() ? kMaskIndexPointsFit : kMaskIndexPoints);
    messages_.SendDraw(kCurveViewer, kMaskIndexViewCurves);
    messages_.SendDraw(kGraphEditor, kMaskIndexPlateau);
}

void TGrowthMode::SecondValueChanged(int value) {
    int index = 0;
    std::string message;
    if (on_ && fields_.Valid() && IndexFromValue(fields_, value, index, message))
        rangeLast_ = index;
}

// --- Growth points ----------------------------------------------------------------------------

bool TGrowthMode::EnsurePoints() {
    if (method_ < 0 || !fields_.Valid()) {
        points_.clear();
        hasPoints_ = false;
        return false;
    }
    if (SingleAliquot()) return BuildAliquotPoints();
    index_ = std::max(index_, 0);
    if (hasPoints_) {
        UpdateGrowthPoints(points_, table_, index_);
    } else {
        points_ = BuildGrowthPoints(table_, method_, index_);
        hasPoints_ = true;
    }
    return true;
}

// The growth points of the aliquot of the index, as its computation builds them, so that the
// previews and picks show that aliquot; made anew each time (a single-aliquot computation
// builds its own).
bool TGrowthMode::BuildAliquotPoints() {
    hasPoints_ = false;
    const TDiskList* disk = hasPlatter_ ? platter_.Find(index_) : nullptr;
    const TBinDataSet* view = shell_.Document().ShownView();
    if (disk == nullptr || (method_ == kSaRegenerative && view == nullptr)) {
        points_.clear();
        return false;
    }
    if (method_ == kSaRegenerative) {
        const TSaRawCurves raw(*view, shell_.Document().CurveFields());
        TSaLimits limits = panel_->SaLimits()->Limits();
        points_ = BuildSarGrowthPoints(
                      table_, *disk, Device(),
                      [&](const TLookupRecord& e) { return raw.Curve(e); }, limits)
                      .points;
    } else {
        points_ = BuildSaaGrowthPoints(table_, *disk, Device());
    }
    return true;
}

void TGrowthMode::RebuildPoints() {
    hasPoints_ = false;
    EnsurePoints();
}

void TGrowthMode::FreePoints() {
    points_.clear();
    hasPoints_ = false;
}

// --- Compute ---------------------------------------------------------------------------------

void TGrowthMode::Compute() {
    if (!on_ || method_ < 0 || RangeRunning()) return;
    if (!fields_.Valid()) {
        shell_.ShowError(QString::fromStdString(fields_.Error));
        return;
    }
    if (panel_->IndexMode() != TIndexMode::Single) {
        ComputeRange();
        return;
    }
    if (SingleAliquot() && !hasPlatter_) {
        shell_.ShowError(QString::fromLatin1(kNoSingleAliquotData));
        return;
    }
    if (SingleAliquot() && !platter_.Find(index_)) return;
    if (SingleAliquot()) {
        ComputeSingleAliquot();
        return;
    }
    EnsurePoints();
    PrepareResultViewer();
    const TSolution s = ComputeSolution(points_, Device(), method_, index_, panel_->FitOptions());
    fit_ = s.Fit;
    panel_->AppendSolution(QString::fromStdString(s.Line));
    AppendMonteCarlo(s, true);
    SendResult(true);
    if (fit_.ResultCode == 0) {
        shell_.Document().SetLastEquivalentDose(fit_.ED, fit_.EDError, DoseUnit(table_));
    }
}

// "SA Regenerative" and "SA Additive" at the aliquot of the index: its own points, the
// solution line; a test-dose measurement missing is said once in the status bar, a failing
// depletion fit in a message.
void TGrowthMode::ComputeSingleAliquot() {
    saLimits_ = panel_->SaLimits()->Limits();
    std::string error;
    const TSolution s = SolveSingleAliquot(index_, error);
    if (method_ == kSaRegenerative) panel_->SaLimits()->ShowLimits(saLimits_);
    if (!error.empty()) shell_.ShowError(QString::fromStdString(error));
    PrepareResultViewer();
    fit_ = s.Fit;
    panel_->AppendSolution(QString::fromStdString(s.Line));
    AppendCriteria(s);
    AppendMonteCarlo(s, true);
    SendResult(true);
    if (fit_.ResultCode == 0) {
        shell_.Document().SetLastEquivalentDose(fit_.ED, fit_.EDError, DoseUnit(table_));
    }
}

void TGrowthMode::AppendMonteCarlo(const TSolution& s, bool withProgress) {
    const int draws = panel_->MonteCarloDraws();
    if (draws <= 0) return;
    TMonteCarloDoseOptions options;
    options.Draws = draws;
    options.Seed = kMonteCarloSeed;
    TMonteCarloDose mc;
    if (withProgress) {
        TRunProgress progress(shell_.Window(), QStringLiteral("Monte Carlo draws..."), draws);
        options.Progress = progress.Callback();
        mc = SolutionMonteCarlo(s, options);
    } else {
        mc = SolutionMonteCarlo(s, options);
    }
    // The line carries the failed draws and their warning.
    panel_->AppendSolution(QStringLiteral("    ") + QString::fromStdString(MonteCarloDoseText(mc)));
}

// The rejection criteria of a SAR solution, on the line after it.
void TGrowthMode::AppendCriteria(const TSolution& s) {
    if (!s.Criteria) return;
    const char point = QLocale().decimalPoint().at(0).toLatin1();
    panel_->AppendSolution(QStringLiteral("    Criteria: ") +
                           QString::fromStdString(SarCriteriaText(*s.Criteria, point ? point : '.')));
}

void TGrowthMode::ToggleAliquotAcceptance() {
    if (!on_ || method_ != kSaRegenerative || RangeRunning()) return;
    const TDiskList* disk = hasPlatter_ ? platter_.Find(index_) : nullptr;
    if (disk == nullptr) return;
    const bool accepted = acceptedByUser_.insert(index_).second;
    if (!accepted) acceptedByUser_.erase(index_);
    panel_->AppendSolution(QString::fromStdString(AliquotLinePrefix(*disk)) +
                           (accepted ? QStringLiteral("accepted by the user")
                                     : QStringLiteral("acceptance by the user withdrawn")));
    // A result of Range or All follows at once: its mark, the plot and the count.
    const int entry = index_ - solutions_.FirstIndex;
    if (entry < 0 || entry >= solutions_.IndexCount) return;
    TSolutionRecord& stored = solutions_.Entries[static_cast<std::size_t>(entry)];
    if (!stored.Criteria) return;
    stored.Criteria->Overridden = accepted;
    panel_->AppendSolution(QString::fromStdString(AcceptedSummary(CountAccepted(solutions_))));
    SendPlateau();
}

TSolution TGrowthMode::SolveSingleAliquot(int aliquot, std::string& error) {
    const TDiskList& disk = *platter_.Find(aliquot);
    TSolution s;
    hasPoints_ = false;  // the next index builds its own
    if (method_ == kSaRegenerative) {
        const TBinDataSet* view = shell_.Document().ShownView();
        if (view == nullptr) {
            points_.clear();
            return s;
        }
        const TSaRawCurves raw(*view, shell_.Document().CurveFields());
        TSaPointsReport report = BuildSarGrowthPoints(
            table_, disk, Device(), [&](const TLookupRecord& e) { return raw.Curve(e); },
            saLimits_);
        points_ = std::move(report.points);
        // Warnings go into the solution box, where they stay beside the line they concern.
        for (const std::string& w : report.warnings)
            panel_->AppendSolution(QStringLiteral("Warning: ") + QString::fromStdString(w));
        if (!report.warnings.empty())
            shell_.SetModeStatus(QString::fromStdString(report.warnings.front()));
        s = ComputeSarSolution(points_, disk, panel_->FitOptions(), report.ncf, report.notes);
        AttachSarCriteria(s, report, saLimits_.criteria, acceptedByUser_.count(aliquot) > 0);
    } else {
        points_ = BuildSaaGrowthPoints(table_, disk, Device());
        s = ComputeSaaSolution(points_, platter_, disk, table_, panel_->DepletionObject(),
                               panel_->FitOptions(), error);
    }
    s.Fit.Channel = aliquot;  // the index: a grain's number among the grains
    return s;
}

// The point viewer shows the results.
void TGrowthMode::PrepareResultViewer() {
    OpenViewer(kPointViewer);
    const bool osl = !IsTLDevice(Device());
    messages_.SendValue(kPointViewer, gd_Plot, plResults);
    messages_.SendText(kPointViewer, gd_Title, "Orvane - View results");
    messages_.SendText(kPointViewer, gd_Caption, "Growth data");
    messages_.SendText(kPointViewer, gd_XLabel, "Dose, Gy");
    messages_.SendText(kPointViewer, gd_YLabel, "Intensity");
    messages_.SendValue(kPointViewer, gd_Kind, osl ? gkChannel : gkTemperature);
    messages_.SendValue(kPointViewer, gd_Spacing, Device().Spacing);
    messages_.SendReference(kPointViewer, gd_Points, &points_);
    messages_.SendReference(kPointViewer, gd_Index, &index_);
    messages_.SendDraw(kPointViewer, kMaskIndexPoints);
}

// The fit record and, with `withNotes`, the result summary go to the point viewer.
void TGrowthMode::SendResult(bool withNotes) {
    messages_.SendReference(kPointViewer, gd_Fit, &fit_);
    messages_.SendDraw(kPointViewer, kMaskIndexPointsFit);
    if (!withNotes) return;
    const QFileInfo file(shell_.Document().FileName());
    TSummaryInput summary;
    summary.FileName = file.fileName().toStdString();
    summary.Folder = file.absolutePath().toStdString();
    summary.DeviceText = devices_[static_cast<std::size_t>(device_)].Text;
    summary.Method = method_;
    const TBleachingEntry& bleach = bleachings_[static_cast<std::size_t>(bleaching_)];
    if (bleach.Bleaching.BleachTime > 0) summary.BleachingText = bleach.Text;
    summary.Osl = !IsTLDevice(Device());
    summary.IndexValue = ValueOfIndex(fields_, index_);
    summary.PrintedOn = TimeOfDayNow();
    messages_.SendText(kPointViewer, gd_Notes, ResultSummaryText(summary, fit_));
}

// --- Previews --------------------------------------------------------------------------------

std::string TGrowthMode::Notes(bool withIndex) const {
    const QFileInfo file(shell_.Document().FileName());
    std::string notes = "File name: " + file.fileName().toStdString() + kLineEnd;
    notes += "Full path: " + file.absolutePath().toStdString() + kLineEnd;
    notes += "Type of data: " + devices_[static_cast<std::size_t>(device_)].Text + kLineEnd;
    notes += "Method: " + MethodLongName(method_) + kLineEnd;
    if (bleaching_ > 0)
        notes += "Bleaching: " + bleachings_[static_cast<std::size_t>(bleaching_)].Text + kLineEnd;
    if (withIndex) {
        const std::string value = std::to_string(panel_->FirstValue());
        notes += IsTLDevice(Device()) ? "Temperature(s): " + value + "C" : "Channel(s): " + value;
        notes += kLineEnd;
    }
    notes += "Printed on: " + TimeOfDayNow() + kLineEnd;
    notes += "Comment: ";
    return notes;
}

void TGrowthMode::SendPointPreview() {
    RebuildPoints();
    OpenViewer(kPointViewer);
    const bool osl = !IsTLDevice(Device());
    messages_.SendValue(kPointViewer, gd_Plot, plPoints);
    messages_.SendText(kPointViewer, gd_Title, "Orvane - View points");
    messages_.SendValue(kPointViewer, gd_Kind, osl ? gkChannel : gkTemperature);
    messages_.SendText(kPointViewer, gd_Caption, "Growth data");
    messages_.SendText(kPointViewer, gd_XLabel, "Dose, Gy");
    messages_.SendText(kPointViewer, gd_YLabel, "Intensity");
    messages_.SendText(kPointViewer, gd_Notes, Notes(true));
    messages_.SendValue(kPointViewer, gd_Spacing, Device().Spacing);
    messages_.SendReference(kPointViewer, gd_Points, &points_);
    messages_.SendReference(kPointViewer, gd_Index, &index_);
    messages_.SendDraw(kPointViewer, kMaskIndexPoints);
}

void TGrowthMode::SendCurvePreview() {
    RebuildPoints();
    OpenViewer(kCurveViewer);
    const bool osl = !IsTLDevice(Device());
    messages_.SendValue(kCurveViewer, gd_Plot, plViewCurves);
    messages_.SendText(kCurveViewer, gd_Title, "Orvane - View curves");
    messages_.SendValue(kCurveViewer, gd_Kind, osl ? gkChannel : gkTemperature);
    messages_.SendText(kCurveViewer, gd_Caption, osl ? "OSL shine down curves" : "TL glow curves");
    messages_.SendText(kCurveViewer, gd_XLabel, osl ? "OSL channel" : "Glow temperature, C");
    messages_.SendText(kCurveViewer, gd_YLabel, "Intensity");
    messages_.SendText(kCurveViewer, gd_Notes, Notes(false));
    messages_.SendValue(kCurveViewer, gd_Spacing, Device().Spacing);
    messages_.SendReference(kCurveViewer, gd_Points, &points_);
    messages_.SendReference(kCurveViewer, gd_ViewCurves, &table_);
    messages_.SendReference(kCurveViewer, gd_Index, &index_);
    messages_.SendDraw(kCurveViewer, kMaskIndexViewCurves);
}

void TGrowthMode::RefreshViewers() {
    if (!on_) return;
    if (shell_.Action(TActionId::GrowthPnt)->isChecked()) SendPointPreview();
    if (shell_.Action(TActionId::GrowthCur)->isChecked()) SendCurvePreview();
}

void TGrowthMode::SetRecordPreview(bool on) {
    shell_.Action(TActionId::GrowthRec)->setChecked(on);
    panel_->ShowRecords(on);
}

void TGrowthMode::SetPointPreview(bool on) {
    shell_.Action(TActionId::GrowthPnt)->setChecked(on);
    if (!on_) return;
    if (on) {
        SendPointPreview();
        return;
    }
    if (!shell_.Action(TActionId::GrowthCur)->isChecked()) FreePoints();
    if (closeViewer_) closeViewer_(kPointViewer);
}

void TGrowthMode::SetCurvePreview(bool on) {
    shell_.Action(TActionId::GrowthCur)->setChecked(on);
    if (!on_) return;
    if (on) {
        SendCurvePreview();
        return;
    }
    if (closeViewer_) closeViewer_(kCurveViewer);
    if (!shell_.Action(TActionId::GrowthPnt)->isChecked()) FreePoints();
}

// --- Accepting measurements ---------------------------------------------------------------

void TGrowthMode::AfterAcceptChange() {
    RecheckPossibleMethods(grid_, table_, Device(), irradiations_, bleachings_);
    panel_->RedrawMethodGrid(grid_);
    panel_->RedrawCurves();
}

void TGrowthMode::ToggleAccept(int ordinal, bool fromKey) {
    if (!on_ || ordinal < 0 || ordinal >= static_cast<int>(table_.size())) return;
    ToggleAccepted(table_, ordinal, points_);
    AfterAcceptChange();
    if (fromKey) {
        messages_.SendDraw(kPointViewer, kMaskPoints);
    } else {
        messages_.SendDraw(kPointViewer, kMaskViewCurvesPoints);
        messages_.SendDraw(kCurveViewer, kMaskViewCurvesPoints);
    }
}

void TGrowthMode::ToggleAcceptOfLastClick() {
    ToggleAccept(lastClick_, false);
}

void TGrowthMode::AcceptAll() {
    if (!on_) return;
    for (TLookupRecord& e : table_) e.Accepted = true;
    AfterAcceptChange();
}

void TGrowthMode::ShowMenu(const QPoint& globalPos, bool onCurves, int ordinal) {
    if (!on_) return;
    lastClick_ = onCurves ? ordinal : -1;
    QAction* toggle = menu_->findChild<QAction*>(QStringLiteral("PopupToggleAccept"));
    toggle->setVisible(onCurves);
    toggle->setEnabled(onCurves);
    menu_->popup(globalPos);
}

// --- Messages from the graph windows --------------------------------------------------------

void TGrowthMode::HandleGraphMessage(TGraphMessage& message) {
    // While Range or All runs, the run owns the index and the points.
    if (!on_ || RangeRunning()) return;
    if (message.Msg == WM_UpdatedPoints) {
        // The viewer has written the new index into index_.
        ShowSingle();
        EnsurePoints();
        messages_.SendDraw(kPointViewer, kMaskIndexViewCurvesPoints);
        messages_.SendDraw(kCurveViewer, kMaskIndexViewCurvesPoints);
        return;
    }
    if (message.Msg != WM_UpdatedData) return;  // WM_ComputedFit, WM_ComputedLine: nothing
    TakeOverAcceptedFlags(points_, table_);
    for (const TDosePoints& level : points_) {
        for (const TGrowthPoint& p : level.Points) {
            if (p.Ordinal < 0 || p.Ordinal >= static_cast<int>(table_.size())) continue;
            panel_->SelectCurve(p.Ordinal, level.Selected != 0);
            if (p.Focus) panel_->FocusCurve(p.Ordinal);
        }
    }
    AfterAcceptChange();
    TGraphicDataMask mask = 0;
    if (message.Kind() == gd_Mask && message.WParam != 0)
        mask = *reinterpret_cast<const TGraphicDataMask*>(message.WParam);
    if (mask & MaskOf({gd_Index})) {
        const std::optional<int> row = shell_.Document().TakePickedPlateauRow();
        const TSolutionRecord* picked = row ? solutions_.AtPlotRow(*row) : nullptr;
        if (picked && picked->IsRoi()) {
            RevisitRoi(*picked);
            return;
        }
        EnsurePoints();
        if (TakeStoredSolution()) messages_.SendDraw(kPointViewer, kMaskIndexPointsFit);
        ShowSingle();
        messages_.SendDraw(kGraphEditor, kMaskIndexPlateau);
    }
    messages_.SendDraw(kCurveViewer, kMaskViewCurvesPoints);
    messages_.SendDraw(kPointViewer, kMaskViewCurvesPoints);
}
