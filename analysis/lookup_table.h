#pragma once
// Building the measurement table of growth-curve mode from the records of a view.
#include <functional>

#include "analysis/aliquot_texts.h"
#include "analysis/aliquot_types.h"
#include "record_store/views.h"

class TBinDataSet;

// The growth-curve filter of a view: DAT: "TL run" and not "Second" and not "Normalization",
// or "Single aliquot" and not "Second"; DAS: "Single aliquot" and not "Second"; SAD: "Short
// shine" and "TL run". Nothing passes in the general view.
bool PassesGrowthFilter(const TBinDataSet& view, TViewKind kind, int recordIndex);

// One entry per record that passes the growth-curve filter, in file order. The view's
// cursor, filter and records are left as they are (records are read by position). Entries
// whose OSL channel counts do not match "NPT" are kept but not accepted; an OSL record whose
// counts sum to "NPT" + 1 with more than one channel in its longest time base is repaired
// (its last channel repeats the one before). Fields of the view that are missing read as 0.
// `progress` (done, total records) is called every 1024 records and once at the end; when it
// returns false the build stops and sets `*cancelled` (the table is then incomplete).
using TTableProgress = std::function<bool(int done, int total)>;
TLookupTable BuildLookupTable(const TBinDataSet& view, TViewKind kind,
                              const TDateTimeText& dateText = IsoDateTimeText,
                              const TTableProgress& progress = {}, bool* cancelled = nullptr);

// The irradiation class and the method bits of an entry whose other fields are set, as the
// table builder computes them. `second`: the record is a second glow ("Second").
uint8_t IrradiationClass(const TLookupRecord& record, bool beforeIrrad);
uint16_t MethodBits(const TLookupRecord& record, TViewKind kind, bool second, bool shortShine);

// True when the table holds at least two TL normalisation records.
bool HasTLNormRecords(const TLookupTable& table);

// Whether any measurement of the table has curve data other than 0 (the growth methods read
// the subtracted curves, which stay 0 until backgrounds are subtracted). An OSL curve's
// "Shift" (its element 1) is no curve data.
bool HasCurveData(const TLookupTable& table);
inline constexpr const char* kNoSubtractedData =
    "No subtracted curve data: run background subtraction first";
