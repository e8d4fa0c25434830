#pragma once
// `orvane-cli analyse` for "SA Additive" and "SA Regenerative": the limits group's options,
// taken out of the command words before the common parsing, and the computation of one
// aliquot (--index) or of every aliquot of the file, as JSON.
#include <optional>
#include <string>
#include <vector>

#include "analysis/growth_compute.h"
#include "analysis/single_aliquot.h"

class TBinDataSet;

struct TSaCliOptions {
    TSaLimits limits;
    int depletionObject = 49;  // 1 linear, 49..52 one to four exponentials, as in the window
};

// --sa-signal FROM TO, --sa-background FROM TO (seconds), --ncf no|osl|tl|ncf, --depletion
// linear|1|2|3|4 (--ncf and --depletion are removed too). Throws TUsageError.
TSaCliOptions TakeSingleAliquotOptions(std::vector<std::string>& args);

// The JSON of the single-aliquot computation. Throws TEditorError when the aliquot is not in
// the file or the depletion fit fails.
std::string SingleAliquotJson(const TBinDataSet& store, const TCurveFieldList& curves,
                              const TLookupTable& table, const TDeviceKey& device,
                              const std::string& deviceText, int method, std::optional<int> aliquot,
                              const TFitOptions& options, TSaCliOptions sa);
