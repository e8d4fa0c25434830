// libFuzzer harness: the command lines of orvane-cli that carry numbers and lists. The input
// is a list of words, one a line; its first byte picks what reads them: the options of fit
// (whole numbers, numbers, the --params1 list), the option parser every other command uses,
// the --value texts of set for a field of every type, or the numbers and record lists of the
// curve-tool commands (--from, --to, --value, --records, --assign SAMPLE=BACKGROUND) against
// the bundled sample, or the option words of analyse (whole numbers, function and error-model
// names, the irradiation list, the plot size). A value set reads back, written as dump writes it,
// as the same value; a record list gives one record of the file per number, in the order given.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <memory>

#include "cli/analyse_options.h"
#include "cli/analyse_plot.h"
#include "cli/cli_support.h"
#include "cli/curve_tool_support.h"
#include "cli/field_text.h"
#include "cli/fit_input.h"
#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "tools/sample_generator.h"

namespace {

[[noreturn]] void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

std::vector<std::string> Words(const uint8_t* data, size_t size) {
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

TBinField MakeField(TFieldType type, int width) {
    TBinField field;
    field.name = "F";
    field.type = type;
    field.width = width;
    field.size = FieldTypeHasSize(type) ? width : 0;
    return field;
}

// The text dump gives for a value, which set reads back.
std::string DumpText(const TFieldValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", *d);
        return text;
    }
    if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    if (const auto* date = std::get_if<TDate>(&value)) return DateText(*date);
    if (const auto* time = std::get_if<TTime>(&value)) return TimeText(time->ms);
    if (const auto* dt = std::get_if<TDateTime>(&value)) return DateTimeText(*dt);
    if (const auto* bytes = std::get_if<TBytes>(&value)) return HexText(*bytes);
    PropertyBroken("set gave no value");
}

bool SameValue(const TFieldValue& a, const TFieldValue& b) {
    const auto* da = std::get_if<double>(&a);
    const auto* db = std::get_if<double>(&b);
    if (da && db) return std::memcmp(da, db, sizeof(double)) == 0;
    return a == b;
}

void FieldTexts(const std::vector<std::string>& words) {
    static const TBinField fields[] = {
        MakeField(TFieldType::String, 8),   MakeField(TFieldType::Integer, 1),
        MakeField(TFieldType::Integer, 2),  MakeField(TFieldType::Integer, 4),
        MakeField(TFieldType::Word, 2),     MakeField(TFieldType::Float, 8),
        MakeField(TFieldType::Float, 6),    MakeField(TFieldType::Boolean, 1),
        MakeField(TFieldType::Date, 4),     MakeField(TFieldType::Time, 4),
        MakeField(TFieldType::DateTime, 8), MakeField(TFieldType::Bytes, 6),
    };
    for (const std::string& word : words) {
        for (const TBinField& field : fields) {
            TFieldValue value;
            try {
                value = ParseFieldText(field, word);
            } catch (const TEditorError& e) {
                if (!*e.what()) PropertyBroken("a refused value without a message");
                continue;
            }
            TFieldValue again;
            try {
                again = ParseFieldText(field, DumpText(value));
            } catch (const TEditorError&) {
                PropertyBroken("a value as dump writes it cannot be set");
            }
            if (!SameValue(value, again)) PropertyBroken("a value reads back as another value");
        }
    }
}

// The sample's record file, opened once as the curve-tool commands open it; its folder is
// removed when the run ends.
std::unique_ptr<TBinDataSet> sampleStore;

struct TSampleFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orvane-cli-args-" + std::to_string(::getpid()));
    ~TSampleFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void OpenSample() {
    static const TSampleFolder folder;
    std::filesystem::create_directories(folder.path);
    MakeSample(folder.path.string());
    sampleStore = std::make_unique<TBinDataSet>();
    OpenToolView(*sampleStore, (folder.path / "S12.DAT").string(), "");
}

void CheckBookmark(std::int32_t id) {
    for (int i = 0; i < sampleStore->RecordCount(); ++i)
        if (sampleStore->RecordAt(i).id == id) return;
    PropertyBroken("a record number gave no record of the file");
}

void CurveToolWords(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        try {
            if (!std::isfinite(ParseNumberOption("--from", word)))
                PropertyBroken("a number option gave a number that is not finite");
        } catch (const TUsageError& e) {
            if (e.message.empty()) PropertyBroken("a usage error without a message");
        }
        try {
            const auto list = ParseRecordList(*sampleStore, word);
            if (list) {
                std::size_t parts = 1;
                for (char c : word) parts += c == ',';
                if (list->size() != parts) PropertyBroken("a record list lost or gained records");
                for (std::int32_t id : *list) CheckBookmark(id);
            }
            const auto eq = word.find('=');
            if (eq != std::string::npos) {
                CheckBookmark(RecordBookmark(*sampleStore, word.substr(0, eq)));
                const std::string background = word.substr(eq + 1);
                if (background != "0") CheckBookmark(RecordBookmark(*sampleStore, background));
            }
        } catch (const TUsageError& e) {
            if (e.message.empty()) PropertyBroken("a usage error without a message");
        } catch (const TEditorError& e) {
            if (!*e.what()) PropertyBroken("a refused record without a message");
        }
    }
}

void AnalyseWords(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        try {
            const TCommandLine line = ParseCommandLine({"--degree", word}, {"--degree"}, {});
            const int degree = IntegerOption(line, "--degree", -1);
            if (std::to_string(degree) != word && std::stod(word) != degree)
                PropertyBroken("a whole number read as another number");
        } catch (const TUsageError& e) {
            if (e.message.empty()) PropertyBroken("a usage error without a message");
        }
        for (auto* reader : {&FunctionObjectOf, &ErrorModelOf}) {
            try {
                (void)reader(word);
            } catch (const TUsageError& e) {
                if (e.message.empty()) PropertyBroken("a usage error without a message");
            }
        }
        // The plot size: accepted only as digits x digits in pixels (each side 16 to 20000)
        // or with "mm" in millimetres (each side 10 to 2000, 300 dpi), or empty.
        try {
            const TPlotSize size = ParsePlotSize("--plot-size", word);
            const bool mm = word.size() > 2 && word.compare(word.size() - 2, 2, "mm") == 0;
            const std::string sides = mm ? word.substr(0, word.size() - 2) : word;
            const std::size_t x = sides.find('x');
            const auto side = [&](const std::string& part, int pixels) {
                if (part.empty() || part.size() > 5) return false;
                const int v = std::stoi(part);
                return mm ? v >= 10 && v <= 2000 && pixels == std::lround(v / 25.4 * 300)
                          : v >= 16 && v <= 20000 && pixels == v;
            };
            if (!word.empty() && (x == std::string::npos ||
                                  sides.find_first_not_of("0123456789x") != std::string::npos ||
                                  !side(sides.substr(0, x), size.pixelWidth) ||
                                  !side(sides.substr(x + 1), size.pixelHeight)))
                PropertyBroken("a plot size accepted that is not WIDTHxHEIGHT within bounds");
        } catch (const TUsageError& e) {
            if (e.message.find("--plot-size") == std::string::npos)
                PropertyBroken("a refused plot size whose message does not name the option");
        }
        std::vector<TIrradiationEntry> list(3);
        try {
            SelectIrradiations(word, list);
            if (word == "all") continue;
            // Accepted: every comma part is a whole number naming an entry.
            std::vector<bool> named(list.size(), false);
            std::size_t at = 0;
            while (at <= word.size()) {
                const std::size_t comma = std::min(word.find(',', at), word.size());
                named[static_cast<std::size_t>(std::stod(word.substr(at, comma - at)))] = true;
                at = comma + 1;
            }
            for (std::size_t i = 0; i < list.size(); ++i)
                if (list[i].Selected != named[i])
                    PropertyBroken("the irradiations selected are not the ones named");
        } catch (const TUsageError& e) {
            if (e.message.empty()) PropertyBroken("a usage error without a message");
        } catch (const TEditorError& e) {
            if (!*e.what()) PropertyBroken("a refused irradiation without a message");
        }
    }
}

// Drops what is written to it.
class TNullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The parsers report usage errors on the standard streams.
    static TNullBuffer sink;
    std::cout.rdbuf(&sink);
    std::cerr.rdbuf(&sink);
    OpenSample();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the reader; a digit picks by its value.
    const uint8_t first = data[0] >= '0' && data[0] <= '9' ? data[0] - '0' : data[0];
    const uint8_t choice = first % 5;
    const std::vector<std::string> words = Words(data + 1, size - 1);
    if (choice == 0) {
        TFitOptions options;
        if (!ParseFitOptions(words, options)) {
            if (options.StartParamCount < 0 || options.StartParamCount > kMaxParams)
                PropertyBroken("more start parameters than a fit has");
        }
    } else if (choice == 1) {
        try {
            const TCommandLine line = ParseCommandLine(
                words, {"--schema", "--record", "--field", "--value", "--out", "--points"},
                {"--json", "--all"});
            if (line.Has("--field")) (void)line.Values("--field");
            (void)line.Value("--record");
        } catch (const TUsageError& e) {
            if (e.message.empty()) PropertyBroken("a usage error without a message");
        }
    } else if (choice == 2) {
        FieldTexts(words);
    } else if (choice == 3) {
        CurveToolWords(words);
    } else {
        AnalyseWords(words);
    }
    return 0;
}
