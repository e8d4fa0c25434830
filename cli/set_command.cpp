// orvane-cli set: writes fields of one record through the general view and saves the file
// as the Save command does (backups of the record file and subfile, position words).
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/field_text.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/views.h"

int RunSetCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line =
            ParseCommandLine(args, {"--schema", "--record", "--field", "--value"}, {});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"set needs one FILE"};
        const std::vector<std::string>& names = line.Values("--field");
        const std::vector<std::string>& values = line.Values("--value");
        if (names.empty() || names.size() != values.size()) {
            throw TUsageError{"set needs --field NAME --value TEXT pairs"};
        }
        const std::optional<std::string> recordText = line.Value("--record");
        if (!recordText) throw TUsageError{"set needs --record N"};
        int recordNumber = 0;
        try {
            size_t used = 0;
            recordNumber = std::stoi(*recordText, &used);
            if (used != recordText->size()) throw std::invalid_argument("");
        } catch (const std::exception&) {
            throw TUsageError{"--record needs a record number, not '" + *recordText + "'"};
        }

        TBinDataSet store;
        ConfigureView(store, TViewKind::General);
        OpenRecordFile(store, line.positional[0], line.Value("--schema").value_or(""));
        if (recordNumber < 1 || recordNumber > store.RecordCount()) {
            throw TEditorError("Record " + *recordText + " not found: the file holds " +
                               std::to_string(store.RecordCount()) + " records");
        }
        store.SetRecNo(recordNumber);
        // Every value is checked before anything is written; a failure leaves the file as
        // it was.
        store.Edit();
        try {
            for (size_t i = 0; i < names.size(); ++i) {
                const TBinField& field = store.FieldByName(names[i]);
                if (!store.SetValue(field.index, ParseFieldText(field, values[i]))) {
                    throw TEditorError(InQuotes(values[i]) + " cannot be stored in field " +
                                       InQuotes(field.name));
                }
            }
        } catch (...) {
            store.Cancel();
            throw;
        }
        store.Post();
        store.SaveToFile(store.FileName());
        return CloseRecordFile(store);
    });
}
