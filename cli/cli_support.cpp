#include "cli/cli_support.h"

#include <algorithm>
#include <exception>
#include <iostream>

#include "record_store/bin_data_set.h"
#include "record_store/editor_error.h"
#include "record_store/file_names.h"

const char* UsageText() {
    return "usage: orvane-cli COMMAND [ARGUMENTS]\n"
           "\n"
           "Commands:\n"
           "  info FILE [--schema SCHEMA]\n"
           "      The file's schema, record count and fields, as JSON.\n"
           "  dump FILE [--schema SCHEMA] [--view general|maker] [--curves]\n"
           "      Every record's field values, as JSON. The maker's view is the default for\n"
           "      .DAT, .SAD and .DAS files; --curves adds the raw and subtracted curves.\n"
           "  set FILE [--schema SCHEMA] --record N --field NAME --value TEXT [...]\n"
           "      Writes fields of record N (1-based) and saves the file with backups.\n"
           "      --field/--value pairs may be repeated.\n"
           "  restore FILE [--schema SCHEMA]\n"
           "      Swaps the record file and its curve subfile with their backups (.~DAT,\n"
           "      .~SUB ...), as JSON; restoring again swaps them back.\n"
           "  summary FILE [--schema SCHEMA]\n"
           "      A readable summary of a data file.\n"
           "  subtract FILE [--schema S] --curves tl|osl [--records all|N,M,...]\n"
           "           [--assign SAMPLE=BACKGROUND ...] [--filter none|boxcar3|gauss3|gauss5]\n"
           "           [--background assigned|last|average|given] [--from SECONDS --to SECONDS]\n"
           "           [--value RATE] [--no-normalization] [--no-shift]\n"
           "      Background subtraction as the \"Subtract bgd\" mode does it; saves with "
           "backups.\n"
           "      BACKGROUND 0 is the record's own background (OSL). --filter and --no-shift\n"
           "      are for TL curves, --background, --from, --to and --value for OSL curves.\n"
           "  deglitch FILE [--schema S] --curve raw|subtracted --view tl|osl --from A --to B\n"
           "           [--records N,M,...]\n"
           "      Replaces isolated spikes and drop-outs in the range (degC for tl, channels for\n"
           "      osl) by the mean of their neighbours; saves with backups.\n"
           "  normalize FILE [--schema S] --tl-window T1 T2\n"
           "  normalize FILE [--schema S] --raw-factor X [--records N,M,...]\n"
           "      --tl-window: the TL glow curves of every disk with TL normalization runs\n"
           "      scaled to their mean signal between T1 and T2 degC (200 to 500, steps of 5);\n"
           "      --raw-factor: the raw curves of the records multiplied by X (0 < X <= 100).\n"
           "      Both set \"Normalization factor\"; saves with backups.\n"
           "  export-ascii FILE [--schema S] --fields \"Run#,Disk#,Raw data\" [--records N,M,...]\n"
           "           [--delimiter ,|;|TAB] [--arrange rows|columns] [--roi]\n"
           "           [--roi-set-tl NAME] [--roi-set-osl NAME] [--settings F.conf]\n"
           "      Appends the fields of the records as delimited text to FILE's name with\n"
           "      the extension .ascii.\n"
           "  make-sample DIR\n"
           "      Writes the bundled sample data (S12.DAT and its companions) into DIR.\n"
           "  import FILE.bin|FILE.binx --out DIR [--dose-rate GY_PER_S]\n"
           "      Converts a BIN/BINX data file (versions 03 to 08) into DIR/<stem>.DAT with\n"
           "      its subfile (DIR/<stem>.DAS for single grains), beside the schema and layout\n"
           "      where missing; prints version, records, written, positions and warnings.\n"
           "      Doses: the file's dose rate, else --dose-rate, else seconds of irradiation.\n"
           "  fit ...\n"
           "      One dose estimate from points in a CSV file (orvane-cli fit --help).\n"
           "  dose-rate ...\n"
           "      The environmental dose rate of a sample (orvane-cli dose-rate --help).\n"
           "  age --de GY --de-error E ...\n"
           "      The age from an equivalent dose and the dose rate (orvane-cli age --help).\n"
           "  analyse FILE [--schema S] --list\n"
           "      The devices, irradiations and bleaching treatments of the growth-curve\n"
           "      analysis and the methods possible for each bleaching (of --device N).\n"
           "  analyse FILE [--schema S] [--device N] [--method N] [--bleaching N]\n"
           "           [--irradiations all|I,J,...] [--index X]\n"
           "           [--function linear|quadratic|cubic|exp|explin|poly] [--degree D]\n"
           "           [--error-model equal|calculated|fixed-errors|fixed-variances]\n"
           "           [--percent P] [--reject R,...] [--plot FILE [figure options]]\n"
           "      The equivalent dose at one index (OSL channel, TL temperature in degC) as\n"
           "      \"Compute\" in growth-curve mode gives it; lists are indexed as --list\n"
           "      prints them, --method 0..10, --reject takes record numbers. --plot draws\n"
           "      the points, the fitted curve and the dose into a PNG, SVG or PDF. Figure\n"
           "      options: --plot-size WxH (pixels, 1200x900 at first) or WxHmm (85x70mm,\n"
           "      a journal column), --dpi N (300 at first for mm, 96 for pixels),\n"
           "      --no-legend, --no-id (no identification line under the plot). A result\n"
           "      is \"O.K.\" only when its error is defined and its curve rises\n"
           "      significantly over the measured doses; otherwise it keeps its numbers\n"
           "      with a warning code. \"warnings\" holds the hints\n"
           "      (\"No subtracted curve data: ...\" when the file was not subtracted).\n"
           "      --mc N [--seed S] (here and with --range/--all and the single-aliquot\n"
           "      methods) adds the Monte Carlo error beside the analytic one: the points\n"
           "      drawn N times within their errors (normal, seed S, 1 at first) and refitted;\n"
           "      each solution gets \"mc\": {\"draws\", \"seed\", \"failed\" (draws that\n"
           "      could not be fitted), \"status\" (\"O.K.\" or why there are no numbers),\n"
           "      \"DeError\" (standard deviation of the draws' doses), \"mean\", \"lower68\",\n"
           "      \"upper68\", \"lower95\", \"upper95\" (percentiles 15.87/84.13 and\n"
           "      2.5/97.5), \"warning\"}; more than 5 % failed draws is a warning.\n"
           "  analyse FILE ... --range A B | --all [--roi-set NAME] [--settings F.conf]\n"
           "           [--no-rois] [--log F.lgf] [--plot FILE [figure options]]\n"
           "      The plateau test: the dose at every index from A to B (or of the data),\n"
           "      then over the ROIs of the set (\"Default ROIs\"); \"solutions\" has one\n"
           "      entry per index and ROI, \"plateau\" the paleodose plot; --log appends\n"
           "      the solutions log block. --age-inputs FILE.json (the inputs of\n"
           "      \"Compute age\") adds the age plateau: \"ages\" per index and \"mean_age\",\n"
           "      the weighted mean of the ages (of x from A to B with --age-range A B).\n"
           "      \"warnings\" lists what the computations had to say and every solution\n"
           "      with a warning code; --plot draws the paleodose plot.\n"
           "      With --method 9 or 10 (single aliquot) the solutions are per aliquot (disk,\n"
           "      or grain \"Disk 1 hole 12\", \"aliquot\": {\"disk\", \"hole\"}; --index N\n"
           "      takes aliquot N only, --plot with it draws that aliquot's points and curve;\n"
           "      --range A B or --all run aliquots A to B or all of them as the plateau\n"
           "      test, with \"plateau\" and --log, no ROIs; always arbitrary errors, so no\n"
           "      --error-model), with\n"
           "           [--sa-signal FROM TO] [--sa-background FROM TO] (seconds; 0 1, 59 60)\n"
           "           [--ncf no|osl|tl|ncf] (test-dose normalization, osl at first)\n"
           "           [--depletion linear|1|2|3|4] (SA Additive: the depletion fit, 1 exponent\n"
           "           at first)\n"           "           [--criteria recycling=0.1,recuperation=0.1,testdose=0.1,\n"
           "           palaeodose=0.1,depletion=0.1] (SA Regenerative: the rejection\n"
           "           thresholds, any of them, 0.1 at first) [--accept-aliquots N,M,...]\n"
           "      SA Regenerative solutions carry \"criteria\": {\"recycling_ratio\": [...],\n"
           "      \"recuperation\", \"test_dose_error\", \"palaeodose_error\",\n"
           "      \"ir_depletion_ratio\" (null where not measured), \"exceeds_max_dose\",\n"
           "      \"failed\": [names, \"maxdose\" for a dose beyond the largest regeneration],\n"
           "      \"overridden\", \"accepted\"}; a failing aliquot keeps its dose. The aliquots\n"
           "      of --accept-aliquots are accepted whatever their criteria. --range/--all add\n"
           "      \"accepted\": {\"n\", \"of\"} and \"accepted\" per \"plateau\" element; --log\n"
           "      writes the criteria block after the solution lines. The IR-then-OSL\n"
           "      measurement stays out of the growth curve, the 0 Gy regeneration too.\n"
           "      --dose-model cam|common|mam3|mam4|mean [--sigmab S] (with --range/--all):\n"
           "      \"dose_model\" holds the model over the accepted aliquots' doses, with the\n"
           "      members of dose-model, \"excluded\": {\"rejected\" (by the criteria),\n"
           "      \"failed\" (no defined dose)} and \"summary\"; mam3/mam4 need --sigmab.\n"
           "  fading FILE [--schema S] --faded N,M,... --fresh N,M,...\n"
           "      The fading test as \"Check fading\" computes it: the ratio of the mean\n"
           "      subtracted curves of the faded and the fresh records, with its error, per\n"
           "      glow temperature (from 200 degC) or OSL channel; state 0 where a mean is 0.\n"
           "  plot-curves FILE [--schema S] --records all|N,M,... [--subtracted] [--log-x]\n"
           "           [--log-y] --out FILE [--size WxH|WxHmm] [--dpi N] [--no-legend]\n"
           "           [--no-id]\n"
           "      Draws the raw (or subtracted) curves of the records, the first in red, the\n"
           "      others each in a colour of its own with a legend entry (run, disk), into a\n"
           "      PNG, SVG or PDF file by its extension: TL curves against the glow\n"
           "      temperature, shine-downs against time (count rates when the channels'\n"
           "      widths differ); --size in pixels (1200x900 at first) or millimetres;\n"
           "      --log-x for shine-down curves, --log-y for the signal.\n"
           "  dose-model FILE.csv --model cam|common|mam3|mam4|mean [--sigmab S] [--plot F]\n"
           "      One dose from many (central, common, minimum age model, weighted mean),\n"
           "      with the radial plot (orvane-cli dose-model --help).\n"
           "  g-value FILE.csv [--tc SECONDS] [--mc N --seed S]\n"
           "      The fading rate g from fading measurements (orvane-cli g-value --help).\n"
           "  fading-correction --age A --age-error E --g G --g-error GE --tc SECONDS ...\n"
           "      An age corrected for fading (orvane-cli fading-correction --help).\n"
           "\n"
           "ROI sets: without --settings only \"Default ROIs\" is known. --settings names the\n"
           "editor's settings file (on Linux ~/.config/Halcyon Systems/Orvane Editor.conf):\n"
           "the ROI sets are then the user's, by name, and without a name the set the\n"
           "window has current.\n"
           "Record numbers count from 1 in file order; without --records every record is\n"
           "processed, one number alone acts as the current record.\n"
           "Without --schema the schema is the one the record store derives from the file\n"
           "name. Values of DATE, TIME and TIMESTAMP fields are written YYYY-MM-DD,\n"
           "HH:MM:SS.mmm and YYYY-MM-DDTHH:MM:SS.mmm, BYTES as hexadecimal.\n"
           "\n"
           "Exit status: 0 success, 1 failure, 2 bad usage.\n";
}

std::optional<std::string> TCommandLine::Value(const std::string& option) const {
    auto it = options.find(option);
    if (it == options.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

const std::vector<std::string>& TCommandLine::Values(const std::string& option) const {
    static const std::vector<std::string> none;
    auto it = options.find(option);
    return it == options.end() ? none : it->second;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::vector<std::string>& valued,
                              const std::vector<std::string>& flags) {
    TCommandLine line;
    auto contains = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            line.help = true;
        } else if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            if (contains(valued, word)) {
                if (i + 1 >= args.size()) throw TUsageError{"option " + word + " needs a value"};
                line.options[word].push_back(args[++i]);
            } else if (contains(flags, word)) {
                line.options[word].push_back("");
            } else {
                throw TUsageError{"unknown option " + word};
            }
        } else {
            line.positional.push_back(word);
        }
    }
    return line;
}

int RunGuarded(const std::function<int()>& body) {
    try {
        return body();
    } catch (const TUsageError& e) {
        std::cerr << "orvane-cli: " << e.message << "\n" << UsageText();
        return kExitUsage;
    } catch (const TEditorError& e) {
        std::cerr << e.what() << "\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kExitFailure;
    }
}

std::string DerivedSchemaFor(const std::string& recordPath) {
    return ResolveNameCase(DefaultSchemaNameFor(recordPath));
}

std::string InQuotes(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

void OpenRecordFile(TBinDataSet& store, const std::string& path, const std::string& schema) {
    store.SetFileName(path);
    store.SetSchemaFileName(schema.empty() ? DerivedSchemaFor(path) : schema);
    store.Open();
}

int CloseRecordFile(TBinDataSet& store) {
    store.SetModified(false);
    store.Close();
    return static_cast<int>(kExitOk);
}
