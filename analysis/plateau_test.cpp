#include "analysis/plateau_test.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "analysis/device_key.h"
#include "fitting/result_codes.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string RoiLinePrefix(const TDeviceKey& device, const TROI& roi) {
    char buffer[64];
    if (IsTLDevice(device)) {
        std::snprintf(buffer, sizeof buffer, "ROI T %3d-%3d: ", roi.first, roi.last);
    } else {
        std::snprintf(buffer, sizeof buffer, "ROI Ch %2d-%2d: ", roi.first, roi.last);
    }
    return buffer;
}

}  // namespace

const TSolutionRecord* TSolutionArray::AtIndex(int index) const {
    const long long at = static_cast<long long>(index) - FirstIndex;
    if (at < 0 || at >= IndexCount || at >= static_cast<long long>(Entries.size())) return nullptr;
    return &Entries[static_cast<std::size_t>(at)];
}

const TSolutionRecord* TSolutionArray::AtPlotRow(int row) const {
    if (row < 0) return nullptr;
    for (const TSolutionRecord& s : Entries) {
        if (s.Fit.ResultCode == kSolutionNotAvailable) continue;
        if (row-- == 0) return &s;
    }
    return nullptr;
}

bool ClipPlateauRange(int first, int last, int wantFirst, int wantLast, int& from, int& to) {
    from = std::max(first, wantFirst);
    to = std::min(last, wantLast);
    return from <= to;
}

void SolutionPlace(const TDeviceKey& device, bool singleAliquot, int index, TSolutionRecord& s) {
    s.To.clear();
    if (singleAliquot) {
        s.Kind = "Disk";
        s.From = std::to_string(index);
    } else if (IsTLDevice(device)) {
        s.Kind = "Temp.";
        s.From = std::to_string(device.Spacing * index);
        s.To = std::to_string(device.Spacing * (index + 1));
    } else {
        s.Kind = "Chan.";
        s.From = std::to_string(index);
    }
}

bool RoiTakesPart(const TDeviceKey& device, const TROI& roi) {
    if (device.Device < 20) return roi.first < roi.last;
    return roi.first > 0 && roi.first <= roi.last;
}

bool RoiWindow(const TDeviceKey& device, const TROI& roi, int lastIndex, int& d, int& e) {
    if (IsTLDevice(device)) {
        if (device.Spacing <= 0) return false;
        d = roi.first / device.Spacing;
        e = roi.last / device.Spacing - 1;
        return e >= d && d >= 3 && e <= lastIndex;
    }
    if (IsOslDevice(device)) {
        d = roi.first;
        e = roi.last;
        return d > 0 && e >= d && e <= lastIndex;
    }
    return false;
}

void SumOverRoi(TGrowthPoints& points, const TLookupTable& table, int d, int e) {
    for (TDosePoints& level : points) {
        for (TGrowthPoint& p : level.Points) {
            if (p.Ordinal < 0 || static_cast<std::size_t>(p.Ordinal) >= table.size()) continue;
            const TLookupRecord& r = table[static_cast<std::size_t>(p.Ordinal)];
            const int end = std::min(e, static_cast<int>(r.Curve.size()) - 1);
            double sum = 0;
            for (int i = std::max(d, 0); i <= end; ++i) sum += r.Curve[static_cast<std::size_t>(i)];
            p.Signal = sum;
            p.Available = 1;
            p.Accepted = r.Accepted ? 1 : 0;
        }
    }
}

std::string PaleodoseAxisTitle(const TPlateauArray& plateau, bool singleAliquot, bool tl) {
    const bool grains = std::any_of(plateau.begin(), plateau.end(),
                                    [](const TPlateauElement& e) { return e.IsGrain(); });
    if (grains) return "Grain (disk:hole)";
    if (singleAliquot) return "Disk number";
    return tl ? "Glow temperature, C" : "OSL channel";
}

uint8_t PlateauStateOf(int32_t code, bool roi) {
    if (code == 0) return roi ? kPlateauRoi : kPlateauValid;
    if (code == kSolutionNotAvailable) return kPlateauNoResult;
    if (IsWarning(code)) return kPlateauWarning;
    if (IsFatal(code)) return kPlateauFailed;
    return kPlateauNoResult;
}

TAcceptedCount CountAccepted(const TSolutionArray& solutions) {
    TAcceptedCount count;
    for (const TSolutionRecord& s : solutions.Entries) {
        if (!s.Criteria) continue;
        ++count.Of;
        if (s.Criteria->Accepted()) ++count.Accepted;
    }
    return count;
}

std::string AcceptedSummary(const TAcceptedCount& count) {
    return std::to_string(count.Accepted) + " of " + std::to_string(count.Of) +
           " aliquots accepted";
}

TPlateauArray BuildPlateauArray(const TSolutionArray& solutions, const TDeviceKey& device) {
    TPlateauArray plot;
    const bool tl = IsTLDevice(device);
    for (const TSolutionRecord& s : solutions.Entries) {
        if (s.Fit.ResultCode == kSolutionNotAvailable) continue;
        TPlateauElement e;
        e.Index = s.Fit.Channel;
        const bool roi = s.IsRoi();
        if (tl && roi) {
            const double first = std::atof(s.From.c_str());
            const double last = std::atof(s.To.c_str());
            e.X = (first + last) / 2;
            e.XSpread = (last - first) / 2;
        } else if (tl && s.Kind != "Disk") {
            e.X = static_cast<double>(e.Index + 1) * device.Spacing;
        } else {
            e.X = e.Index;
        }
        if (s.Kind == "Disk" && !s.To.empty()) {
            e.GrainDisk = std::atoi(s.From.c_str());
            e.GrainHole = std::atoi(s.To.c_str());
        }
        e.Value = s.Fit.ED;
        e.Error = s.Fit.EDError;
        e.Rejected = s.Criteria && !s.Criteria->Accepted();
        e.State = PlateauStateOf(s.Fit.ResultCode, roi);
        if (roi) {
            e.Roi = true;
            e.RoiFirst = std::atoi(s.From.c_str());
            e.RoiLast = std::atoi(s.To.c_str());
        }
        if (e.State == kPlateauFailed) e.Error = 0;
        plot.push_back(e);
    }
    return plot;
}

// --- The run ------------------------------------------------------------------------------

TPlateauRun::TPlateauRun(TPlateauInput input, TGrowthPoints& points)
    : input_(std::move(input)), points_(points) {
    const long long count = static_cast<long long>(input_.LastIndex) - input_.FirstIndex + 1;
    if (!input_.Table) {
        error_ = "No measurements to compute.";
    } else if (count <= 0) {
        error_ = "The data have no index to compute.";
    } else if (input_.From > input_.To || input_.From < input_.FirstIndex ||
               input_.To > input_.LastIndex) {
        error_ = "The range is empty: nothing was computed.";
    }
    if (!error_.empty()) {
        done_ = true;
        return;
    }
    solutions_.FirstIndex = input_.FirstIndex;
    solutions_.IndexCount = static_cast<int>(count);
    solutions_.Entries.resize(static_cast<std::size_t>(count));
    next_ = input_.From;
    current_ = input_.From;
}

int TPlateauRun::StepsTotal() const {
    int rois = 0;
    if (input_.UseRois) {
        for (const TROI& roi : input_.Rois) rois += RoiTakesPart(input_.Device, roi) ? 1 : 0;
    }
    return (error_.empty() ? input_.To - input_.From + 1 : 0) + rois;
}

void TPlateauRun::Store(TSolutionRecord& entry) {
    entry.Runs.clear();
    for (const TDosePoints& level : points_) {
        for (const TGrowthPoint& p : level.Points) {
            const bool known =
                p.Ordinal >= 0 && static_cast<std::size_t>(p.Ordinal) < input_.Table->size();
            entry.Runs.push_back(known ? (*input_.Table)[static_cast<std::size_t>(p.Ordinal)].Run
                                       : -1);
        }
    }
    entry.Fit = last_.Fit;
    entry.Fit.Description.clear();
    entry.Criteria = last_.Criteria;
    if (last_.Fit.ResultCode == 0) solutions_.Succeeded = true;
}

bool TPlateauRun::Step() {
    if (done_) return false;
    const bool stepped = roiMode_ ? StepRoi() : StepIndex();
    if (stepped) ++stepsDone_;
    return stepped;
}

bool TPlateauRun::StepIndex() {
    if (next_ > input_.To) {
        // The index steps are over: the ROIs follow when a solution succeeded.
        if (solutions_.Succeeded && input_.UseRois) {
            roiMode_ = true;
            return StepRoi();
        }
        done_ = true;
        return false;
    }
    const int a = next_++;
    current_ = a;
    last_ = {};
    lastRoi_ = false;
    lastEntry_ = -1;
    bool computed = false;
    if (input_.Solve) {
        computed = input_.Solve(a, points_, last_);
    } else {
        if (points_.empty()) {
            points_ = BuildGrowthPoints(*input_.Table, input_.Method, a);
        } else {
            UpdateGrowthPoints(points_, *input_.Table, a);
        }
        last_ = ComputeSolution(points_, input_.Device, input_.Method, a, input_.Options);
        computed = true;
    }
    if (computed) {
        TSolutionRecord& entry =
            solutions_.Entries[static_cast<std::size_t>(a - input_.FirstIndex)];
        const bool singleAliquot = input_.Method == kSaAdditive || input_.Method == kSaRegenerative;
        SolutionPlace(input_.Device, singleAliquot, a, entry);
        if (singleAliquot && last_.Aliquot.Hole >= 0) {
            // A grain is written by its disk and hole, not by its number among the grains.
            entry.From = std::to_string(last_.Aliquot.Disk);
            entry.To = std::to_string(last_.Aliquot.Hole);
        }
        Store(entry);
        lastEntry_ = a - input_.FirstIndex;
    }
    if (next_ > input_.To && !(solutions_.Succeeded && input_.UseRois && NextRoi(0) < kROICount))
        done_ = true;
    return true;
}

int TPlateauRun::NextRoi(int from) const {
    while (from < kROICount &&
           !RoiTakesPart(input_.Device, input_.Rois[static_cast<std::size_t>(from)]))
        ++from;
    return from;
}

bool TPlateauRun::StepRoi() {
    nextRoi_ = NextRoi(nextRoi_);
    if (nextRoi_ >= kROICount) {
        done_ = true;
        roiMode_ = false;
        return false;
    }
    const int i = nextRoi_++;
    const TROI& roi = input_.Rois[static_cast<std::size_t>(i)];
    current_ = i;
    lastRoi_ = true;
    lastEntry_ = static_cast<int>(solutions_.Entries.size());
    solutions_.Entries.emplace_back();
    TSolutionRecord& entry = solutions_.Entries.back();
    const bool tl = IsTLDevice(input_.Device);
    entry.Kind = tl ? "ROI T." : "ROI Ch.";
    entry.From = std::to_string(roi.first);
    entry.To = std::to_string(roi.last);
    last_ = {};
    int d = 0, e = 0;
    const std::string prefix = RoiLinePrefix(input_.Device, roi);
    if (RoiWindow(input_.Device, roi, input_.LastIndex, d, e)) {
        SumOverRoi(points_, *input_.Table, d, e);
        last_ = ComputeSolution(points_, input_.Device, input_.Method, i, input_.Options);
        last_.Line = prefix + SolutionLineResult(last_.Fit, last_.Note);
    } else {
        last_.Fit.Channel = i;
        last_.Fit.ResultCode = kRoiIntegrationWarning;
        last_.Line = prefix + SolutionLineResult(last_.Fit, last_.Note);
    }
    Store(entry);
    // Whether a further ROI takes part decides whether the run is over.
    const int more = NextRoi(nextRoi_);
    if (more >= kROICount) {
        done_ = true;
        roiMode_ = false;
    }
    return true;
}

void TPlateauRun::Cancel() {
    if (done_) return;
    solutions_.Cancelled = true;
    done_ = true;
    roiMode_ = false;
}

std::string PlateauNotes(const TPlateauNotesInput& in) {
    std::string notes = "File name: " + in.FileName + kLineEnd;
    notes += "Full path: " + in.Folder + kLineEnd;
    notes += "Type of data: " + in.DeviceText + kLineEnd;
    notes += "Method: " + MethodLongName(in.Method) + kLineEnd;
    if (!in.BleachingText.empty()) notes += "Bleaching: " + in.BleachingText + kLineEnd;
    notes += "Fitted function: " + in.FunctionText;
    if (in.FunctionText == "Polynomial ") notes += "(degree - " + std::to_string(in.Degree) + ")";
    notes += kLineEnd;
    notes += "Printed on: " + in.PrintedOn + kLineEnd;
    notes += "Comment: ";
    return notes;
}
