#pragma once
// Reading and writing the curves of the current record of a view by the maker's conventions:
// the raw and subtracted DOUBLE curves of the maker's files, and any curve field described by
// a TCurveFieldInfo as a sequence of doubles with the "Subtracted data" header values and the
// TL record's "Spacing". (Plain curve values without those conventions: curve_fields.h.) Every
// operation that writes posts its change at once. Failures throw TEditorError with the user's
// message.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "record_store/curve_fields.h"
#include "record_store/float_array.h"

class TBinDataSet;

// --- The maker's DOUBLE curves -----------------------------------------------------------
// All values of "Raw data" (field size / 8 doubles); `rawField` is that field's index, for
// callers that walk many records.
TFloatArray ReadRawCurve(const TBinDataSet& view);
TFloatArray ReadRawCurve(const TBinDataSet& view, int rawField);
// The same into `values`, whose storage a run over many records reuses.
void ReadRawCurve(const TBinDataSet& view, int rawField, TFloatArray& values);
// The subtracted curve aligned with the raw indexes, of the raw curve's length: index 0 is 0;
// index 1 is 0 for a TL record and "Shift" for an OSL record; index i >= 2 is "Subtracted
// data" value i - 2 (0 where that field has no value i - 2).
TFloatArray ReadSubtractedCurve(const TBinDataSet& view);

// The fields WriteSubtractedCurve writes, found once (a missing one throws before any edit).
struct TSubtractedCurveFields {
    int data = -1, shift = -1, factor = -1, oslBgd = -1;
    TSubtractedCurveFields(const TBinDataSet& view, bool withOslBackground);
};
// One edit, posted: "Subtracted data" (values from its start; values beyond those given keep
// what the field held, values beyond the field are dropped), "Shift" and "Normalization
// factor", with "OSL BGD" set from `oslBackgroundRate` when one is given, as OSL background
// subtraction does.
void WriteSubtractedCurve(TBinDataSet& view, std::span<const double> subtracted, double shift,
                          double normalizationFactor,
                          std::optional<double> oslBackgroundRate = std::nullopt);
void WriteSubtractedCurve(TBinDataSet& view, const TSubtractedCurveFields& fields,
                          std::span<const double> subtracted, double shift,
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

// LocateCurve for a run over many records of one view: the list entry, the field indexes
// and the parsed expressions are found once; Locate gives what LocateCurve gives for the
// current record, with the same errors (a field the view lacks is reported when a record is
// located, as LocateCurve does).
class TCurveLocator {
public:
    TCurveLocator(const TBinDataSet& view, const TCurveFieldList& curves, TCurveChoice which);
    TLocatedCurve Locate(const TBinDataSet& view) const;
    // True when every field involved is a stored one, so that a record can be located and
    // read as stored, by its 0-based index, without making it current.
    bool ReadsStoredRecords() const { return storedOnly_; }
    TLocatedCurve Locate(const TBinDataSet& view, int storedIndex) const;

private:
    // A field of the view by index, or the name it lacks.
    struct TFieldRef {
        int index = -1;
        std::string name;
    };
    struct TExpression {
        TFieldRef field;  // no name: the constant alone
        int constant = 0;
    };
    TFieldRef Find(const TBinDataSet& view, std::string name);
    // Of the current record, or with `storedIndex` >= 0 of that stored record.
    static std::int64_t Integer(const TBinDataSet& view, const TFieldRef& field, int storedIndex);
    static std::int64_t Evaluate(const TBinDataSet& view, const TExpression& expression,
                                 int storedIndex);

    TLocatedCurve located_;
    TFieldRef curveField_;
    TExpression start_, count_;
    TFieldRef device_, spacing_;
    bool storedOnly_ = true;
};

// The curve as a sequence of doubles: for "Subtracted data" index 0 is "Normalization
// factor" and index 1 "Shift" (each 0 when the view has no such field), element k at index
// k + 2; for any other curve element k at index k.
TFloatArray ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve);
// The same into `sequence`, of the current record or, with `storedIndex` >= 0, of that stored
// record (for a curve located by TCurveLocator::Locate(view, storedIndex)).
void ReadCurveSequence(const TBinDataSet& view, const TLocatedCurve& curve, TFloatArray& sequence,
                       int storedIndex = -1);

// Writes the sequence's c elements back into the field in one posted edit; the header values
// are not written. The field is rebuilt from zero bytes, so bytes after the c elements become
// 0; elements that would lie beyond the field are dropped and elements the sequence lacks are
// 0. A curve of element type None is refused with "Curve data not defined." (nothing changes).
void WriteCurveSequence(TBinDataSet& view, const TLocatedCurve& curve, const TFloatArray& sequence);
