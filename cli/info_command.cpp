// orvane-cli info: the schema and size of a record file as JSON.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "record_store/views.h"

namespace {

const char* PartName(TFieldPart part) {
    switch (part) {
        case TFieldPart::Main:
            return "main";
        case TFieldPart::Sub:
            return "sub";
        case TFieldPart::Calculated:
            return "calculated";
    }
    return "main";
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line = ParseCommandLine(args, {"--schema"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"info needs one FILE"};
        TBinDataSet store;
        ConfigureView(store, TViewKind::General);
        OpenRecordFile(store, line.positional[0], line.Value("--schema").value_or(""));

        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Member("file", store.FileName());
        json.Member("subfile", store.SubFileName());
        json.Member("schema", store.SchemaFileName());
        json.Member("record_count", store.RecordCount());
        json.Member("main_size", store.MainSize());
        json.Member("sub_size", store.SubSize());
        json.Key("fields");
        json.BeginArray();
        for (const TSchemaField& f : store.Schema().fields) {
            json.BeginObject();
            json.Member("name", f.name);
            json.Member("type", f.typeKeyword);
            json.Member("size", f.size);
            json.Member("part", PartName(f.part));
            json.Member("offset", static_cast<std::int64_t>(f.offset));
            json.Member("width", static_cast<int>(f.width));
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
