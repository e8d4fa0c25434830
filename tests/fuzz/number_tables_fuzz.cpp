// libFuzzer harness: the CSV files of numbers with a fixed header, as `orvane-cli dose-model`
// (De,DeError) and `g-value` (LxTx,LxTxError,TimeSinceIrradiation) read them, and the dose
// models and the g-value fit over what is read. A file read gives one row
// of finite numbers per data line with its line number; the models either refuse the doses
// with a message naming one of them or give a finite dose, the fit a finite g.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "analysis/dose_models.h"
#include "analysis/fading_correction.h"
#include "cli/csv_table.h"

namespace {

[[noreturn]] void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

void CheckTable(const TNumberTable& table, size_t columns) {
    if (table.Rows.size() != table.Lines.size()) PropertyBroken("rows without line numbers");
    int last = 1;
    for (size_t i = 0; i < table.Rows.size(); ++i) {
        if (table.Rows[i].size() != columns) PropertyBroken("a row of the wrong width");
        if (table.Lines[i] <= last) PropertyBroken("line numbers out of order");
        last = table.Lines[i];
        for (double v : table.Rows[i])
            if (!std::isfinite(v)) PropertyBroken("a number that is not finite");
    }
}

void CheckModels(const TNumberTable& table) {
    std::vector<TDoseValue> doses;
    for (const auto& row : table.Rows) doses.push_back({row[0], row[1]});
    for (TDoseModelKind kind : {TDoseModelKind::Central, TDoseModelKind::Common,
                                TDoseModelKind::WeightedMean, TDoseModelKind::Minimum3}) {
        // The minimum age model's search is slow on many doses; a few show its paths.
        if (kind == TDoseModelKind::Minimum3 && doses.size() > 24) continue;
        const TDoseModelResult r = FitDoseModel(doses, {kind, 0.1});
        if (r.Code != TDoseModelCode::Ok) {
            if (DoseModelMessage(r, "line").empty()) PropertyBroken("a refusal without a message");
            if (r.BadIndex >= static_cast<int>(doses.size())) PropertyBroken("no such dose");
            continue;
        }
        if (!std::isfinite(r.De)) PropertyBroken("an accepted model without a finite dose");
    }
}

void CheckGValue(const TNumberTable& table) {
    std::vector<TFadingPoint> points;
    for (const auto& row : table.Rows) points.push_back({row[0], row[1], row[2]});
    TGValueOptions options;
    options.Draws = 20;
    const TGValueResult r = FitGValue(points, options);
    if (r.Code != TFadingFitCode::Ok) {
        if (r.BadIndex >= static_cast<int>(points.size())) PropertyBroken("no such measurement");
        return;
    }
    if (!std::isfinite(r.G) || !(r.Tc > 0.0)) PropertyBroken("an accepted fit without a finite g");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    TNumberTable table;
    std::string message;
    if (ReadNumberTable(in, "fuzz.csv", "De,DeError", table, message)) {
        CheckTable(table, 2);
        CheckModels(table);
        return 0;
    }
    if (message.find("fuzz.csv") == std::string::npos)
        PropertyBroken("a refusal that does not name the file");
    std::istringstream again(text);
    TNumberTable fading;
    if (!ReadNumberTable(again, "fuzz.csv", "LxTx,LxTxError,TimeSinceIrradiation", fading,
                         message))
        return 0;
    CheckTable(fading, 3);
    CheckGValue(fading);
    return 0;
}
