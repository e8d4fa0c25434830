#pragma once
// Reading and writing the curves of the current record of a view by the maker's conventions:
// the raw and subtracted DOUBLE curves of the maker's files, and any curve field described by
// a TCurveFieldInfo as a sequence of doubles with the "Subtracted data" header values and the
// TL record's "Spacing". (Plain curve values without those conventions: curve_fields.h.) Every
// operation that writes posts its change at once. Failures throw TEditorError with the user's
// message.
#include <cstdint>
#include <optional>

#include "record_store/curve_fields.h"
#include "record_store/float_array.h"

class TBinDataSet;

// --- The maker's DOUBLE curves -----------------------------------------------------------
// All values of "Raw data" (field size / 8 doubles).
TFloatArray ReadRawCurve(const TBinDataSet& view);
// The subtracted curve aligned with the raw indexes, of the raw curve's length: index 0 is 0;
// index 1 is 0 for a TL record and "Shift" for an OSL record; index i >= 2 is "Subtracted
// data" value i - 2 (0 where that field has no value i - 2).
TFloatArray ReadSubtractedCurve(const TBinDataSet& view);
// Three edits, each posted: "Subtracted data" (values from its start; values beyond those
// given keep what the field held, values beyond the field are dropped), then "Shift", then
// "Normalization factor" (with "OSL BGD" set from `oslBackgroundRate` in the same edit when
// one is given, as OSL background subtraction does).
void WriteSubtractedCurve(TBinDataSet& view, const TFloatArray& subtracted, double shift,
                          double normalizationFactor,
                          std::optional<double> oslBackgroundRate = std::nullopt);

// --- Generic curve fields ------------------------------------------------------------------
enum class TCurveChoice { First, Subtracted };

// A curve of the current record, found by LocateCurve.
struct TLocatedCurve {
    TCurveFieldInfo entry;
    int fieldIndex = -1;     // the view's field holding the curve
    std::int64_t start = 0;  // 0 for BYTES, else the start expression's value
    int count = 0;           // c: elements (count expression, within 0..kMaxCurveElements)
    bool isTL = false;
    int spacing = 1;         // "Spacing" for a TL record, 1 for an OSL record
    int sequenceLength = 0;  // c, or c + 2 for "Subtracted data"
    // "Subtracted data": the sequence carries the two header values in front.
    bool HasHeader() const;
};

// The first curve is entry 0 of the list; the subtracted curve the last entry named
// "Subtracted data" ("'Subtracted data' not found" when none). An empty list gives "Curve
// data not defined."; a name the view lacks "Field '<name>' not found".
TLocatedCurve LocateCurve(const TBinDataSet& view, const TCurveFieldList& curves,
                          TCurveChoice which);

// The curve as a sequence of doubles: for "Subtracted data" index 0 is "Normalization
// factor" and index 1 "Shift" (each 0 when the view has no such field), element k at index
// k + 2; for any other curve element k at index k.
TFloatArray ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve);

// Writes the sequence's c elements back into the field in one posted edit; the header values
// are not written. The field is rebuilt from zero bytes, so bytes after the c elements become
// 0; elements that would lie beyond the field are dropped and elements the sequence lacks are
// 0. A curve of element type None is refused with "Curve data not defined." (nothing changes).
void WriteCurveSequence(TBinDataSet& view, const TLocatedCurve& curve, const TFloatArray& sequence);
