#include "editor/selection_edits.h"

#include <optional>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_elements.h"
#include "record_store/editor_error.h"
#include "record_store/presentation_entry.h"
#include "record_store/presentation_format.h"

namespace {

// Leaves the current record where it was when the command ends.
class TKeepCurrent {
public:
    explicit TKeepCurrent(TBinDataSet& view) : view_(view), id_(view.GetBookmark()) {}
    ~TKeepCurrent() {
        if (id_ && view_.BookmarkValid(*id_)) view_.GotoBookmark(*id_);
    }

private:
    TBinDataSet& view_;
    std::optional<int32_t> id_;
};

}  // namespace

int PostFieldToSelected(TBinDataSet& view, TRecordKind kind, const std::string& field,
                        const std::string& text, const std::vector<int32_t>& selection,
                        const presentation::TBooleanTexts& booleans,
                        const presentation::TTextLocale& locale) {
    const char decimalSeparator = locale.decimalSeparator;
    const TBinField& f = view.FieldByName(field);
    if (f.calculated || f.type == TFieldType::Bytes || selection.empty()) return 0;
    {
        const presentation::TViewRecordValues record(view, kind, std::nullopt);
        const presentation::TEntry entry =
            presentation::ConvertEntry(kind, field, text, record, decimalSeparator);
        if (entry.kind == presentation::TEntry::TKind::Ordinary)
            presentation::ParseEntry(f, text, booleans, locale);  // throws
    }
    TKeepCurrent keep(view);
    int changed = 0;
    for (int32_t id : selection) {
        if (!view.BookmarkValid(id)) continue;
        view.GotoBookmark(id);
        if (presentation::ApplyEntry(view, kind, field, text, booleans, locale) ==
            presentation::TEntryOutcome::Stored)
            ++changed;
    }
    return changed;
}

namespace {

std::string CurveCells(const TBinDataSet& view, const std::string& field,
                       const TClipboardOptions& options) {
    const TCurveFieldInfo* info = FindCurveField(options.curves, field);
    if (!info) return "[Bytes]\t";
    std::string cells;
    const bool integers = IsIntegerElementType(info->elementType);
    for (double v : ReadCurveValues(view, *info)) {
        cells += integers ? std::to_string(static_cast<long long>(v))
                          : presentation::FormatGeneral(v, options.locale.decimalSeparator, 15);
        cells += '\t';
    }
    return cells;
}

int64_t IntegerOf(const TBinDataSet& view, const char* field) {
    const TBinField* f = view.FindField(field);
    return f ? view.AsInteger(f->index) : 0;
}

std::string DataLine(const TBinDataSet& view, const std::vector<const TBinField*>& fields,
                     const TClipboardOptions& options) {
    const presentation::TViewRecordValues record(view, options.kind, std::nullopt, options.locale);
    std::string line;
    for (const TBinField* f : fields) {
        if (f->type != TFieldType::Bytes) {
            if (f->type == TFieldType::Boolean) {
                const bool layout = options.hasLayoutBooleans && options.hasLayoutBooleans(f->name);
                const bool value = view.AsBoolean(f->index);
                line += layout ? options.layoutBooleans.For(value) : (value ? "True" : "False");
            } else {
                line += record.PlainText(f->name, "True", "False");
            }
            line += '\t';
            continue;
        }
        if (!options.halcyonMode) {
            line += CurveCells(view, f->name, options);
            continue;
        }
        if (f->name == "Subtracted data") {
            if (IntegerOf(view, "Dev#") / 100 < 20) {
                line += "0\t0\t";
            } else {
                line += '\t';
                line += record.PlainText("Shift", "True", "False");
                line += '\t';
            }
        }
        line += CurveCells(view, f->name, options);
        const int64_t maxPoint = IntegerOf(view, "Max point");
        const int64_t npt = IntegerOf(view, "NPT");
        if (maxPoint >= npt + 1) line.append(static_cast<std::size_t>(maxPoint - npt), '\t');
    }
    if (!line.empty() && line.back() == '\t') line.pop_back();
    return line + "\r\n";
}

}  // namespace

std::string RecordsClipboardText(TBinDataSet& view, const std::vector<std::string>& columns,
                                 const std::vector<int32_t>& selection,
                                 const TClipboardOptions& options) {
    std::vector<const TBinField*> fields;
    for (const std::string& c : columns) {
        const TBinField* f = view.FindField(c);
        if (f && !f->calculated) fields.push_back(f);
    }
    if (selection.empty()) return view.RecNo() > 0 ? DataLine(view, fields, options) : "";

    std::string header;
    for (const TBinField* f : fields) {
        header += f->name + '\t';
        if (options.halcyonMode && (f->name == "Raw data" || f->name == "Subtracted data")) {
            const int64_t maxPoint = IntegerOf(view, "Max point");
            if (maxPoint > 0) header.append(static_cast<std::size_t>(maxPoint), '\t');
        }
    }
    if (!header.empty() && header.back() == '\t') header.pop_back();
    std::string text = header + "\r\n";
    TKeepCurrent keep(view);
    for (int32_t id : selection) {
        if (!view.BookmarkValid(id)) continue;
        view.GotoBookmark(id);
        text += DataLine(view, fields, options);
    }
    return text;
}

int DuplicateDosing(TBinDataSet& view) {
    struct TPending {
        int64_t disk = 0, run = 0;
        bool beforeIrrad = false;
        double bleachTime = 0, betaTime = 0;
    };
    TPending pending;
    bool havePending = false;
    int changed = 0;
    for (bool more = view.FindFirst(); more; more = view.FindNext()) {
        const int64_t device = view.AsInteger("Dev#") / 100;
        if (device == 20) {
            if (view.AsBoolean("Normalization")) {
                view.Edit();
                view.SetAsFloat("Bleach time", 0.0);
                view.Post();
                ++changed;
            }
            if (havePending && view.AsInteger("Disk#") == pending.disk &&
                view.AsInteger("Run#") == pending.run + 1) {
                view.Edit();
                view.SetAsFloat("Beta time", pending.betaTime);
                view.SetAsFloat("Bleach time", pending.bleachTime);
                view.SetAsBoolean("Before irrad", pending.beforeIrrad);
                view.Post();
                ++changed;
                havePending = false;
            }
        } else if (device == 28) {
            havePending = true;
            pending = TPending{view.AsInteger("Disk#"), view.AsInteger("Run#"),
                               view.AsBoolean("Before irrad"), view.AsFloat("Bleach time"),
                               view.AsFloat("Beta time")};
        }
    }
    view.First();
    return changed;
}
