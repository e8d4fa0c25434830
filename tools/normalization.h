#pragma once
// Normalisation of curves: TL glow curves scaled disk by disk to the mean signal of the
// normalisation runs, or the raw curves of chosen records multiplied by a factor. Both write
// the curves and "Normalization factor" (the reciprocal of what was applied, so that dividing
// by it returns a curve to its earlier scale) and post each record once.
//
// File and editing failures throw TEditorError with the user's message.
#include <cstdint>
#include <string>
#include <vector>

#include "record_store/curve_fields.h"
#include "record_store/float_array.h"

class TBinDataSet;

enum class TNormalizeOperation { TLGlowCurves, RawIntensity };

// TL glow-curve normalisation when the file holds at least two TL normalisation runs ("TL
// run" and "Normalization" set, "Dev#" below 1000); otherwise the raw-intensity change.
TNormalizeOperation ChooseNormalization(const TBinDataSet& view);

// The integration window of the TL normalisation, in degC, moved in steps of 5 between 200
// and 500; the start always stays below the stop.
struct TTLNormWindow {
    int start = 250;
    int stop = 450;
};
inline constexpr int kTLNormLowest = 200;
inline constexpr int kTLNormHighest = 500;
inline constexpr int kTLNormStep = 5;

// Sum of the aligned glow-curve sequence (index k standing for (k + 1) x 5 degC) over the
// indices start / 5 to min(stop / 5 - 1, lastIndex), both ends included; indices beyond the
// sequence count 0.
double TLWindowIntegral(const TFloatArray& sequence, int lastIndex, const TTLNormWindow& window);

struct TTLNormRecord {
    std::int32_t record = 0;  // bookmark of the normalisation run
    std::int32_t disk = 0;
    double integral = 0;  // S_i
    double factor = 1;    // F_i = M / S_i
};

struct TNormalizationReport {
    std::vector<TTLNormRecord> normRecords;  // TL normalisation: in file order
    double mean = 0;                         // TL normalisation: M
    std::vector<std::int32_t> changed;       // bookmarks of the records written
};

// The TL normalisation: for every normalisation run i the integral S_i of its subtracted
// curve over the window, their mean M and F_i = M / S_i; every other TL run ("TL run" set) of
// a disk with normalisation runs has its "Subtracted data" multiplied by the product of its
// disk's factors, and "Normalization factor" set to the reciprocal of that product. A
// normalisation integral of 0 or less is refused before anything changes, naming the record.
// Throws "Curve data not defined.", "'Subtracted data' not found", "Invalid bookmark".
TNormalizationReport NormalizeTLGlowCurves(TBinDataSet& view, const TCurveFieldList& curves,
                                           const TTLNormWindow& window);

// Factors the raw-intensity change accepts: above 0, at most 100.
bool RawIntensityFactorAccepted(double factor);

// The raw-intensity change: the first curve of each selected record (in selection order), or
// of the current record when none is selected, multiplied by `factor`. "Normalization
// factor" keeps its value: the factor lives in the raw curve itself, and a later subtraction
// that preserves normalisation factors divides by the stored one, so recording 1 / factor
// there too would apply the change a second time. Throws "Curve data not defined.", "Invalid
// bookmark list", and a message for a factor outside (0, 100].
TNormalizationReport ChangeRawIntensity(TBinDataSet& view, const TCurveFieldList& curves,
                                        double factor, const std::vector<std::int32_t>& selection);
