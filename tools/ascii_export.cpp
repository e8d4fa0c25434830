#include "tools/ascii_export.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_elements.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_fields.h"
#include "record_store/presentation_format.h"
#include "tools/record_cursor.h"

const std::vector<std::string>& AsciiDelimiterNames() {
    static const std::vector<std::string> names = {",", ";", "TAB"};
    return names;
}

std::string DelimiterText(const std::string& name) {
    return name == "TAB" ? std::string("\t") : name;
}

namespace {

constexpr int kHeldValues = 100;  // values of a curve held for the ROI sums

bool IsCurveItem(const std::string& name) {
    return name == fields::kRawData || name == fields::kSubtractedData;
}

std::int64_t IntegerOrZero(const TBinDataSet& view, const char* name) {
    const TBinField* f = view.FindField(name);
    return f ? view.AsInteger(f->index) : 0;
}

// The curve-field entry of an item: from the curve list, else from the field's schema line.
TCurveFieldInfo CurveInfoOf(const TBinDataSet& view, const TCurveFieldList& curves,
                            const std::string& name) {
    if (const TCurveFieldInfo* info = FindCurveField(curves, name)) return *info;
    return ReadCurveFieldInfo(view, name);
}

// Points a curve field can hold: padding never goes past it.
std::int64_t Capacity(const TBinDataSet& view, const TCurveFieldInfo& info) {
    const std::size_t size = CurveElementSize(info.elementType);
    const TBinField* f = view.FindField(info.name);
    if (!f || size == 0) return 0;
    return static_cast<std::int64_t>(f->width / size);
}

// One item's cells in a record's row: the field's value, or a curve's point cells (sequence
// index k in cell k) followed by its ROI sums.
struct TItemCells {
    std::vector<std::string> points;
    std::vector<std::string> sums;
};
using TRecordCells = std::vector<TItemCells>;

class TRowBuilder {
public:
    TRowBuilder(TBinDataSet& view, const TCurveFieldList& curves,
                const TAsciiExportSettings& settings)
        : view_(view), curves_(curves), settings_(settings) {
        for (const std::string& item : settings.items) {
            const TBinField& f = view.FieldByName(item);  // throws for an unknown item
            if (IsCurveItem(item)) {
                infos_.push_back(CurveInfoOf(view, curves, f.name));
                capacity_ = std::max(capacity_, Capacity(view, infos_.back()));
            } else {
                infos_.emplace_back();
            }
        }
    }

    // "Max point" of the current record within what the curve fields hold.
    std::int64_t MaxPoint() const {
        return std::clamp<std::int64_t>(IntegerOrZero(view_, fields::kMaxPoint), 0, capacity_);
    }

    // The header over curve blocks of `widths` point cells each (one cell for a field).
    std::vector<std::string> Header(const std::vector<std::size_t>& widths) const {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < settings_.items.size(); ++i) {
            const std::string& item = settings_.items[i];
            if (!IsCurveItem(item)) {
                row.push_back(item);
                continue;
            }
            row.push_back(item + " point 0");
            for (std::size_t k = 1; k < widths[i]; ++k) row.push_back("point " + std::to_string(k));
            if (settings_.integrateROIs) {
                row.push_back("Average");
                for (int r = 1; r < kROICount; ++r) row.push_back("ROI " + std::to_string(r));
            }
        }
        return row;
    }

    TRecordCells Row() const {
        const presentation::TViewRecordValues record(view_, settings_.kind, std::nullopt,
                                                     settings_.locale);
        const bool tl = IntegerOrZero(view_, fields::kDevNo) / 100 < 20;
        TRecordCells row(settings_.items.size());
        for (std::size_t i = 0; i < settings_.items.size(); ++i) {
            const std::string& item = settings_.items[i];
            if (IsCurveItem(item)) {
                CurveCells(item, infos_[i], record, tl, row[i]);
            } else if (item == fields::kShift && !tl) {
                row[i].points.push_back("0");
            } else {
                row[i].points.push_back(record.PlainText(item, "True", "False"));
            }
        }
        return row;
    }

private:
    std::string Number(double v, bool integers) const {
        if (integers) return std::to_string(static_cast<long long>(v));
        return presentation::FormatGeneral(v, settings_.locale.decimalSeparator, 15);
    }

    void CurveCells(const std::string& item, const TCurveFieldInfo& info,
                    const presentation::TViewRecordValues& record, bool tl,
                    TItemCells& cells) const {
        std::vector<std::string>& row = cells.points;
        const bool subtracted = item == fields::kSubtractedData;
        std::vector<double> held(kHeldValues, 0.0);
        std::size_t at = 0;
        if (subtracted) {
            const double shift = tl ? 0.0 : record.Float(fields::kShift);
            if (tl) {
                row.insert(row.end(), {"0", "0"});
            } else {
                row.push_back("");
                row.push_back(record.PlainText(fields::kShift, "True", "False"));
            }
            held[1] = shift;
            at = 2;
        }
        const bool integers = IsIntegerElementType(info.elementType);
        for (double v : ReadCurveValues(view_, info)) {
            row.push_back(Number(v, integers));
            if (at < held.size()) held[at] = v;
            ++at;
        }
        // Points 0 .. "Max point" at least; the block is widened to the table's widest.
        const auto points = static_cast<std::size_t>(MaxPoint()) + 1;
        if (row.size() < points) row.resize(points);
        if (!settings_.integrateROIs) return;
        const TROISet& set = tl ? settings_.tlSet : settings_.oslSet;
        for (double sum : ROISums(held, set, tl, IntegerOrZero(view_, fields::kSpacing)))
            cells.sums.push_back(Number(sum, false));
    }

    TBinDataSet& view_;
    const TCurveFieldList& curves_;
    const TAsciiExportSettings& settings_;
    std::vector<TCurveFieldInfo> infos_;  // per item; empty for ordinary fields
    std::int64_t capacity_ = 0;
};

}  // namespace

std::vector<double> ROISums(const std::vector<double>& held, const TROISet& set, bool tlRecord,
                            std::int64_t spacing) {
    std::vector<double> sums(kROICount, 0.0);
    const auto count = static_cast<std::int64_t>(held.size());
    for (int r = 0; r < kROICount; ++r) {
        std::int64_t f = set[r].first, l = set[r].last;
        if (f * l == 0) continue;
        if (tlRecord) {
            if (spacing <= 0) continue;  // no temperature scale: no indices
            f = f / spacing;
            l = l / spacing - 1;
        }
        for (std::int64_t k = std::max<std::int64_t>(f, 0); k <= std::min(l, count - 1); ++k)
            sums[r] += held[static_cast<std::size_t>(k)];
    }
    return sums;
}

TAsciiTable BuildAsciiTable(TBinDataSet& view, const TCurveFieldList& curves,
                            const TAsciiExportSettings& settings,
                            const std::vector<std::int32_t>& records) {
    const TRowBuilder builder(view, curves, settings);
    std::vector<TRecordCells> rows;
    if (records.empty()) {
        if (view.GetBookmark()) rows.push_back(builder.Row());
    } else {
        const TRecordPositions positions(view);
        TUnfilteredRun unfiltered(view);
        for (std::int32_t id : records) {
            positions.Goto(view, id, "Invalid bookmark list");
            rows.push_back(builder.Row());
        }
    }
    // Each item's block is as wide as its widest record, so that every value stands under
    // its heading whatever kind of record it comes from.
    std::vector<std::size_t> widths(settings.items.size(), 1);
    for (const TRecordCells& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].points.size());
    const std::size_t sums = settings.integrateROIs ? kROICount : 0;
    TAsciiTable table;
    table.push_back(builder.Header(widths));
    for (const TRecordCells& row : rows) {
        std::vector<std::string>& line = table.emplace_back();
        for (std::size_t i = 0; i < row.size(); ++i) {
            line.insert(line.end(), row[i].points.begin(), row[i].points.end());
            line.resize(line.size() + widths[i] - row[i].points.size());
            if (IsCurveItem(settings.items[i])) {
                line.insert(line.end(), row[i].sums.begin(), row[i].sums.end());
                line.resize(line.size() + sums - row[i].sums.size());
            }
        }
    }
    return table;
}

std::string FormatAsciiTable(const TAsciiTable& table, const std::string& delimiter,
                             TArrangeRecords arrange) {
    const std::string sep = DelimiterText(delimiter);
    std::string text;
    auto join = [&](std::size_t count, auto cell) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) text += sep;
            text += cell(i);
        }
        text += '\n';
    };
    if (arrange == TArrangeRecords::Rows) {
        for (const auto& row : table) join(row.size(), [&](std::size_t i) { return row[i]; });
    } else if (!table.empty()) {
        for (std::size_t c = 0; c < table[0].size(); ++c)
            join(table.size(), [&](std::size_t r) { return table[r][c]; });
    }
    return text;
}

std::string AsciiExportPath(const std::string& recordPath) {
    return std::filesystem::path(recordPath).replace_extension(".ascii").string();
}

void AppendAsciiExport(const std::string& path, const std::string& text) {
    auto fail = [&path](int error) {
        throw TEditorError("Error writing file: " + path + "\n" + std::strerror(error));
    };
    // An earlier export that does not end its last line gets its line ended first.
    bool endLine = false;
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (in && in.tellg() > 0) {
            in.seekg(-1, std::ios::end);
            endLine = in.get() != '\n';
        }
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) fail(errno ? errno : EACCES);
    if (endLine) out << '\n';
    out << text;
    out.flush();
    if (!out) fail(errno ? errno : EIO);
}
