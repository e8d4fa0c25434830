// libFuzzer harness: the CSV points file of `orvane-cli fit`. Points read are finite, at most
// 99 per set, and written out again with all their digits read back unchanged.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "cli/fit_input.h"

namespace {

[[noreturn]] void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

bool SameSet(const TPointSet& a, const TPointSet& b) {
    if (a.Count != b.Count) return false;
    for (int i = 0; i < a.Count; ++i) {
        if (std::memcmp(&a.Dose[i], &b.Dose[i], sizeof(double)) != 0 ||
            std::memcmp(&a.Signal[i], &b.Signal[i], sizeof(double)) != 0 ||
            std::memcmp(&a.Error[i], &b.Error[i], sizeof(double)) != 0)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    TPointSet set1, set2;
    std::string message;
    if (!ReadFitPoints(in, "points.csv", set1, set2, message)) {
        if (message.empty()) PropertyBroken("a refused points file without a message");
        return 0;
    }
    std::string csv = "set,dose,signal,error\n";
    for (int s = 1; s <= 2; ++s) {
        const TPointSet& set = s == 1 ? set1 : set2;
        if (set.Count < 0 || set.Count > kMaxPoints) PropertyBroken("point count out of range");
        for (int i = 0; i < set.Count; ++i) {
            if (!std::isfinite(set.Dose[i]) || !std::isfinite(set.Signal[i]) ||
                !std::isfinite(set.Error[i]))
                PropertyBroken("a point that is not finite");
            csv += std::to_string(s) + "," + Number(set.Dose[i]) + "," + Number(set.Signal[i]) +
                   "," + Number(set.Error[i]) + "\n";
        }
    }
    std::istringstream again(csv);
    TPointSet back1, back2;
    if (!ReadFitPoints(again, "again.csv", back1, back2, message))
        PropertyBroken("points written out cannot be read again");
    if (!SameSet(set1, back1) || !SameSet(set2, back2))
        PropertyBroken("points written out read back other than written");
    return 0;
}
