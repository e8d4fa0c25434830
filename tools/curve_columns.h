#pragma once
// The curves of the curve editor: one column per record, one row per point, loaded from the
// raw or subtracted curve by the rules of the maker's files, drawn against temperature or
// channel with the column's shift and scale, and written back into the record. The editor
// window, the plot export and `orvane-cli plot-curves` all read curves through this.
//
// Rows are numbered from 1 as the user sees them; row r lives at rows[r - 1].
// Failures of loading and writing throw TEditorError with the user's message.
#include <cstdint>
#include <string>
#include <vector>

#include "record_store/curve_access.h"
#include "record_store/float_array.h"
#include "tools/background_subtraction.h"

class TBinDataSet;

// How a column's rows map onto the elements of its curve.
enum class TColumnLayout {
    SubtractedTL,      // rows 1 and 2 hold 0, element k at row k + 3
    SubtractedOSL,     // row 1 holds "Shift", element k at row k + 2
    RawFromZero,       // element k at row k + 1 (TL, or OSL "Short shine" without "Single aliquot")
    RawFromOne,        // element 0 not shown, element k at row k (OSL without either flag)
    RawSingleAliquot,  // as RawFromOne, one point fewer
};

struct TCurveColumn {
    std::int32_t bookmark = 0;
    std::string title;   // the table's column title
    std::string legend;  // the name in the chart's legend: run, disk and the title
    TColumnLayout layout = TColumnLayout::RawFromZero;
    TLocatedCurve curve;
    bool isTL = false;
    TFloatArray rows;             // the table column; rows.size() rows
    int firstDataRow = 1;         // the first row that holds an element of the curve
    int firstElement = 0;         // the element at firstDataRow
    int spacing = 1;              // x distance between rows (the record's "Spacing" or 1)
    bool spacingWasZero = false;  // a subtracted TL curve with "Spacing" 0: drawn by row number
    double storedShift = 0;
    int currentShift = 0;
    double storedFactor = 1.0;  // a stored 0 is taken as -1
    double currentFactor = 1.0;
    bool changed = false;

    bool Subtracted() const {
        return layout == TColumnLayout::SubtractedTL || layout == TColumnLayout::SubtractedOSL;
    }
    // Rows in use: the last row whose value is not 0 (0 when none).
    int PointCount() const;
    // Where row j (1-based) is drawn.
    double X(int row) const;
    double Y(int row) const;
    double ScaleOfDrawing() const;
};

struct TCurveLoadOptions {
    bool subtractedView = false;  // the main window shows subtracted curves
    bool halcyonTitles = true;    // titles from "ShortInfo", else "Rec " + bookmark
};

struct TCurveLoadResult {
    std::vector<TCurveColumn> columns;
    bool cancelled = false;
    int zeroSpacing = 0;  // columns drawn against the point number for "Spacing" 0
};

// Loads the records `ids` (in that order) of the view, or its current record when `ids` is
// empty. In the subtracted view a record whose "TL run" flag is false gets no column. The
// view's cursor is back on the record it was on afterwards. "Curve data not defined." when
// `curves` is empty, "'Subtracted data' not found" when a subtracted curve is needed and the
// list has none.
TCurveLoadResult LoadCurveColumns(TBinDataSet& view, const TCurveFieldList& curves,
                                  const TCurveLoadOptions& options,
                                  const std::vector<std::int32_t>& ids,
                                  const TToolProgress& progress = {});

// The sequence the column's rows go back to, element by element, following the shift (whole
// steps move elements, the rest interpolates between neighbouring rows) and the factor.
// Elements that no row maps onto keep the value in `previous`; elements a row maps onto but
// a shift leaves behind become 0.
TFloatArray ColumnSequence(const TCurveColumn& column, const TFloatArray& previous);

// Writes a changed column back into its record (its curve field, and for subtracted curves
// "Shift" and "Normalization factor" where they changed), changing only the bytes of the
// elements and fields whose values differ. Clears the column's changed mark.
void WriteBackColumn(TBinDataSet& view, TCurveColumn& column);

// Data ranges of what is drawn.
struct TPlotRanges {
    double xMin = 0, xMax = 10, yMin = 0, yMax = 100;
};
TPlotRanges ColumnRanges(const std::vector<TCurveColumn>& columns);
// The ranges shown after rescaling: x from the minimum (0 when it lies in (0, 0.25 max)) to
// the maximum rounded up to the next multiple of 100 (of 10 below 100); y from 1.05 x the minimum (0 when it is
// above 0) to 1.05 x the maximum (0.95 x a negative maximum).
TPlotRanges RescaledRanges(const TPlotRanges& data);
