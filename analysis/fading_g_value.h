#pragma once
// The g-value from the records of the fading test (the window's "Fading test" mode): one
// measurement per listed record, faded or fresh.
//  - Lx/Tx: the record's signal, the sum of its subtracted curve, divided by the mean signal
//    of the fresh records (a scale that leaves g unchanged: the fit's c absorbs it); its
//    error from counting statistics, sqrt(|sum|) on the same scale.
//  - Time since irradiation: the records of one test are measured in one session. A record
//    irradiated on the latest "Irrad date" (date and, for a time stamp field, time) of the
//    listed records was measured `delay` seconds after its irradiation; one irradiated d
//    days earlier waited d days longer.
// FitGValue (analysis/fading_correction.h) fits Lx/Tx = c (1 - kappa log10(t / tc)).
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/fading_correction.h"

class TBinDataSet;

struct TGValueRecords {
    std::vector<TFadingPoint> Points;  // faded records first, then fresh, in list order
    std::vector<int> RecordIndex;      // 0-based position in the view of each point
    std::string Problem;               // why no points could be made; empty when they could
};

// The points of the records named by id (ids not in the view are skipped). A problem: a list
// is empty, a record without subtracted data or without an irradiation date, the fresh records'
// mean signal not above 0, a delay not above 0.
TGValueRecords FadingGValuePoints(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                                  const std::vector<int32_t>& freshIds, double delaySeconds);
