// orvane-cli dump: every record's field values (and optionally curves) as JSON.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/field_text.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/curve_fields.h"
#include "record_store/views.h"

namespace {

TViewKind ChooseView(const std::string& path, const std::optional<std::string>& option) {
    const TViewKind maker = ViewKindForFile(path);
    if (!option) return maker;
    if (*option == "general") return TViewKind::General;
    if (*option == "maker") {
        if (maker == TViewKind::General) {
            throw TUsageError{"the maker's view exists only for .DAT, .SAD and .DAS files"};
        }
        return maker;
    }
    throw TUsageError{"--view must be general or maker"};
}

// A curve of a view without the maker's DOUBLE layout, decoded as its schema line says.
void WriteSchemaCurve(TJsonWriter& json, const TBinDataSet& store, const char* field,
                      const char* key) {
    if (store.FindField(field) == nullptr) return;
    json.Key(key);
    json.DoubleArray(ReadCurveValues(store, ReadCurveFieldInfo(store, field)));
}

void WriteCurves(TJsonWriter& json, const TBinDataSet& store, TViewKind view) {
    if (view == TViewKind::Dat || view == TViewKind::Das) {
        json.Key("raw_curve");
        json.DoubleArray(ReadRawCurve(store));
        // The DAS view has no subtracted curve.
        if (store.FindField("Subtracted data") != nullptr) {
            json.Key("subtracted_curve");
            json.DoubleArray(ReadSubtractedCurve(store));
        }
        return;
    }
    WriteSchemaCurve(json, store, "Raw data", "raw_curve");
    WriteSchemaCurve(json, store, "Subtracted data", "subtracted_curve");
}

}  // namespace

int RunDumpCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--schema", "--view"}, {"--curves"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"dump needs one FILE"};
        const std::string& path = line.positional[0];
        const TViewKind view = ChooseView(path, line.Value("--view"));
        const bool curves = line.Has("--curves");

        TBinDataSet store;
        ConfigureView(store, view);
        OpenRecordFile(store, path, line.Value("--schema").value_or(""));

        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Key("records");
        json.BeginArray();
        for (bool more = store.First(); more; more = store.Next()) {
            json.BeginObject();
            json.Member("id", static_cast<std::int64_t>(store.GetBookmark().value_or(0)));
            json.Key("fields");
            json.BeginObject();
            for (const TBinField& field : store.Fields()) {
                if (field.calculated) continue;
                json.Key(field.name);
                WriteFieldValue(json, store.GetValue(field.index));
            }
            json.EndObject();
            if (curves) WriteCurves(json, store, view);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
