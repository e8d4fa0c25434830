// orvane-cli subtract: background subtraction of TL or OSL curves as the "Subtract bgd" mode
// does it, saved with backups.
#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/curve_tool_support.h"
#include "cli/json_writer.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "tools/background_subtraction.h"

namespace {

TNumericFilter FilterOf(const std::string& word) {
    if (word == "none") return TNumericFilter::None;
    if (word == "boxcar3") return TNumericFilter::Boxcar3;
    if (word == "gauss3") return TNumericFilter::Gauss3;
    if (word == "gauss5") return TNumericFilter::Gauss5;
    throw TUsageError{"--filter must be none, boxcar3, gauss3 or gauss5"};
}

TOslBackgroundOption BackgroundOf(const std::string& word) {
    if (word == "assigned") return TOslBackgroundOption::Assigned;
    if (word == "last") return TOslBackgroundOption::LastChannels;
    if (word == "average") return TOslBackgroundOption::Average;
    if (word == "given") return TOslBackgroundOption::Given;
    throw TUsageError{"--background must be assigned, last, average or given"};
}

TSubtractionSettings SettingsOf(const TCommandLine& line) {
    TSubtractionSettings s;
    const std::optional<std::string> curves = line.Value("--curves");
    if (!curves || (*curves != "tl" && *curves != "osl"))
        throw TUsageError{"subtract needs --curves tl or --curves osl"};
    s.tlCurves = *curves == "tl";
    auto refuse = [&line](const char* option, const char* kind) {
        if (line.Has(option))
            throw TUsageError{std::string(option) + " is for " + kind + " curves"};
    };
    if (s.tlCurves) {
        for (const char* o : {"--background", "--from", "--to", "--value"}) refuse(o, "OSL");
        s.filter = FilterOf(line.Value("--filter").value_or("none"));
    } else {
        refuse("--filter", "TL");
        refuse("--no-shift", "TL");
        const TOslBackgroundOption option =
            BackgroundOf(line.Value("--background").value_or("assigned"));
        s.oslOption = static_cast<int>(option);
        if (line.Has("--from") != line.Has("--to"))
            throw TUsageError{"--from and --to are given together"};
        if (line.Has("--from")) {
            s.range = TTimeRange{HundredthsOf(ParseNumberOption("--from", *line.Value("--from"))),
                                 HundredthsOf(ParseNumberOption("--to", *line.Value("--to")))};
        }
        if (option == TOslBackgroundOption::Given) {
            if (!line.Has("--value")) throw TUsageError{"--background given needs --value RATE"};
            s.givenRate = ParseNumberOption("--value", *line.Value("--value"));
        } else if (line.Has("--value")) {
            throw TUsageError{"--value is for --background given"};
        }
    }
    s.keepNormalization = !line.Has("--no-normalization");
    s.keepShift = !line.Has("--no-shift");
    return s;
}

// --assign SAMPLE=BACKGROUND, after the default assignment; BACKGROUND 0 is own background.
void ApplyAssignments(const TBinDataSet& store, const std::vector<std::string>& words,
                      TBackgroundAssignment& assignment) {
    const char* kind = assignment.TLCurves() ? "TL" : "OSL";
    for (const std::string& word : words) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos) throw TUsageError{"--assign needs SAMPLE=BACKGROUND"};
        const std::string sampleText = word.substr(0, eq);
        const std::string backgroundText = word.substr(eq + 1);
        const std::int32_t sample = RecordBookmark(store, sampleText);
        if (!assignment.EntryFor(sample)) {
            throw TEditorError("Record " + sampleText + " is not a sample record of the " + kind +
                               " curves");
        }
        int listIndex = -1;
        if (backgroundText != "0") {
            listIndex = assignment.ListIndexOf(RecordBookmark(store, backgroundText));
            if (listIndex < 0) {
                throw TEditorError("Record " + backgroundText + " is not a background run of the " +
                                   kind + " curves");
            }
        } else if (assignment.TLCurves()) {
            throw TEditorError("Record " + sampleText + ": a TL curve has no own background");
        }
        assignment.Assign(sample, listIndex);
    }
}

}  // namespace

int RunSubtractCommand(const std::vector<std::string>& args) {
    return RunGuarded([&] {
        const TCommandLine line =
            ParseCommandLine(args,
                             {"--schema", "--curves", "--records", "--assign", "--filter",
                              "--background", "--from", "--to", "--value"},
                             {"--no-normalization", "--no-shift"});
        if (line.help) {
            std::cout << UsageText();
            return static_cast<int>(kExitOk);
        }
        if (line.positional.size() != 1) throw TUsageError{"subtract needs one FILE"};
        const TSubtractionSettings settings = SettingsOf(line);

        TBinDataSet store;
        OpenToolView(store, line.positional[0], line.Value("--schema").value_or(""));
        const auto list = ParseRecordList(store, line.Value("--records").value_or("all"));
        TBackgroundAssignment assignment = TBackgroundAssignment::Default(store, settings.tlCurves);
        ApplyAssignments(store, line.Values("--assign"), assignment);

        // One number acts as the current record; several as a grid selection.
        std::vector<std::int32_t> records;
        if (!list) {
            records = SubtractionRecords(assignment, TSubtractScope::All, std::nullopt, {});
        } else if (list->size() == 1) {
            records = SubtractionRecords(assignment, TSubtractScope::Current, list->front(), {});
        } else {
            records = SubtractionRecords(assignment, TSubtractScope::Selected, std::nullopt, *list);
        }
        const TSubtractionReport report = SubtractBackgrounds(store, assignment, settings, records);
        const auto number = SaveToolRun(store);
        TJsonWriter json(std::cout);
        json.BeginObject();
        json.Key("assignments");
        json.BeginArray();
        for (const TBGDLookupEntry& e : assignment.Lookup()) {
            json.BeginObject();
            json.Member("record", number(e.record));
            json.Member("background", e.background < 0 ? std::int64_t{0} : number(e.background));
            json.Member("label", e.label);
            json.EndObject();
        }
        json.EndArray();
        json.Key("processed");
        json.BeginArray();
        for (std::int32_t id : report.processed) json.Integer(number(id));
        json.EndArray();
        json.Key("warnings");
        json.BeginArray();
        for (std::int32_t id : report.skipped) {
            json.String("Record " + std::to_string(number(id)) + " is not a sample record of the " +
                        (settings.tlCurves ? "TL" : "OSL") + " curves; skipped.");
        }
        for (const std::string& w : report.warnings) json.String(w);
        json.EndArray();
        json.EndObject();
        json.Finish();
        return CloseRecordFile(store);
    });
}
