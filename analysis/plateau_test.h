#pragma once
// The plateau test: "Compute" over a range of indices (every channel, temperature step or
// disk), then over the regions of interest of the current ROI set. Each computation is kept
// as a solution; the paleodose result plot (TPlateauArray) and the solutions log are made
// from the solutions.
//
// Typical use (what "Range" / "All" do; the window runs Step() in slices):
//   TPlateauRun run(input);                 // refuses an empty range: run.Error()
//   while (!run.Done()) run.Step();         // one index or one ROI per step
//   TPlateauArray plot = BuildPlateauArray(run.Solutions(), device);
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/growth_compute.h"
#include "analysis/growth_points.h"
#include "analysis/plateau_array.h"
#include "fitting/result_codes.h"
#include "roi/roi_set.h"

// One computed (or not computed) index or ROI.
struct TSolutionRecord {
    std::vector<int32_t> Runs;  // "Run#" of every growth point in level order; -1 without one
    std::string Kind;           // "Temp.", "Chan.", "ROI T.", "ROI Ch.", "Disk" or empty
    std::string From;
    std::string To;
    TFitRecord Fit;  // Description stays empty; ResultCode -21 until computed
    std::optional<TSarCriteria> Criteria;  // SAR: the aliquot's rejection criteria
    TSolutionRecord() { Fit.ResultCode = kSolutionNotAvailable; }
    bool IsRoi() const { return Kind.rfind("ROI", 0) == 0; }
};

// Entries [0, last index - first index] stand for the indices of the data; the ROI solutions
// follow them.
struct TSolutionArray {
    std::vector<TSolutionRecord> Entries;
    int FirstIndex = 0;
    int IndexCount = 0;      // entries standing for indices (the rest are ROIs)
    bool Succeeded = false;  // at least one solution with result code 0
    bool Cancelled = false;  // the run was stopped: entries not reached stay -21

    // The solution of a data index, or nullptr for an index outside the array.
    const TSolutionRecord* AtIndex(int index) const;
    // The solution drawn as element `row` of the paleodose plot (which leaves out the
    // solutions not available), or nullptr.
    const TSolutionRecord* AtPlotRow(int row) const;
};

// First and last index of a "Range" run: [wantFirst, wantLast] clipped to [first, last].
// False (and from > to) when nothing is left to compute.
bool ClipPlateauRange(int first, int last, int wantFirst, int wantLast, int& from, int& to);

// `Kind`, `From` and `To` of a solution at `index` (not a ROI).
void SolutionPlace(const TDeviceKey& device, bool singleAliquot, int index,
                   TSolutionRecord& solution);

// The ROI's window of curve indices [d, e]; false when the ROI cannot be integrated (TL: d
// below 3, e beyond the last index or e < d; OSL devices 20..28 and 40..48: d = 0, e beyond
// the last index or e < d; other devices never).
bool RoiWindow(const TDeviceKey& device, const TROI& roi, int lastIndex, int& d, int& e);
// Whether a ROI of the set takes part at all (TL: first below last; OSL: first channel
// above 0 and not above the last).
bool RoiTakesPart(const TDeviceKey& device, const TROI& roi);
// Every growth point's signal becomes the sum of its measurement's curve over [d, e].
void SumOverRoi(TGrowthPoints& points, const TLookupTable& table, int d, int e);

// The plot of the solutions: one element per solution that is not -21.
TPlateauArray BuildPlateauArray(const TSolutionArray& solutions, const TDeviceKey& device);
// The paleodose plot's x-axis title: "Grain (disk:hole)" for grains of single-grain discs,
// "Disk number" for other single-aliquot results, else "Glow temperature, C" or "OSL channel".
std::string PaleodoseAxisTitle(const TPlateauArray& plateau, bool singleAliquot, bool tl);

// The SAR aliquots of the solutions judged by the criteria, and how many are accepted.
struct TAcceptedCount {
    int Accepted = 0, Of = 0;
};
TAcceptedCount CountAccepted(const TSolutionArray& solutions);
// "n of m aliquots accepted".
std::string AcceptedSummary(const TAcceptedCount& count);

// TPlateauState of a result code.
uint8_t PlateauStateOf(int32_t resultCode, bool roi);

// What a run computes. `Solve` replaces the multi-aliquot computation (single-aliquot
// methods plug in their own); it gets the index, may rebuild the points and returns false to
// skip the index (a disk missing from the aliquot set).
struct TPlateauInput {
    TLookupTable* Table = nullptr;  // InSelection set for the method
    TDeviceKey Device;
    int Method = 0;
    TFitOptions Options;
    int FirstIndex = 0;  // of the data (IndexRange)
    int LastIndex = 0;
    int From = 0;  // the range to compute
    int To = 0;
    bool UseRois = false;  // "use ROIs" enabled and checked
    TROISet Rois{};
    std::function<bool(int index, TGrowthPoints& points, TSolution& solution)> Solve;
};

class TPlateauRun {
public:
    // `points` are the mode's growth points (built for From when empty).
    TPlateauRun(TPlateauInput input, TGrowthPoints& points);

    // Why nothing is computed ("empty range"); empty when the run can start.
    const std::string& Error() const { return error_; }
    bool Done() const { return done_; }
    // Computes the next index or ROI. Returns false when nothing was left.
    bool Step();
    // Stops the run: entries not reached stay "Solution not available".
    void Cancel();

    // The last step's computation (its line is the solution box's line).
    const TSolution& Last() const { return last_; }
    // The index of the last step: a data index, or the ROI number after a ROI step.
    int CurrentIndex() const { return current_; }
    // Whether the last step computed a ROI; ROI mode lasts while ROIs are left.
    bool LastWasRoi() const { return lastRoi_; }
    bool RoiMode() const { return roiMode_; }
    // The entry the last step stored (nullptr when it stored none: a skipped index).
    const TSolutionRecord* LastEntry() const {
        return lastEntry_ >= 0 ? &solutions_.Entries[static_cast<std::size_t>(lastEntry_)]
                               : nullptr;
    }
    int StepsDone() const { return stepsDone_; }
    // Index steps plus the ROIs that may follow (an upper bound while the index steps run).
    int StepsTotal() const;
    const TSolutionArray& Solutions() const { return solutions_; }
    TSolutionArray TakeSolutions() { return std::move(solutions_); }

private:
    bool StepIndex();
    bool StepRoi();
    void Store(TSolutionRecord& entry);
    // The first ROI from `from` on that takes part (kROICount: none).
    int NextRoi(int from) const;

    TPlateauInput input_;
    TGrowthPoints& points_;
    TSolutionArray solutions_;
    TSolution last_;
    std::string error_;
    int next_ = 0;     // next data index
    int nextRoi_ = 0;  // next ROI number
    int current_ = 0;
    int stepsDone_ = 0;
    int lastEntry_ = -1;
    bool lastRoi_ = false;
    bool roiMode_ = false;
    bool done_ = false;
};

// The notes of the paleodose plot, lines ending in CR LF, "Comment: " last without one.
struct TPlateauNotesInput {
    std::string FileName;
    std::string Folder;
    std::string DeviceText;
    int Method = 0;
    std::string BleachingText;  // empty: no bleaching line
    std::string FunctionText;   // of the function list ("Polynomial " gets its degree)
    int Degree = 0;
    std::string PrintedOn;
};
std::string PlateauNotes(const TPlateauNotesInput& input);
