// libFuzzer harness: the ROI sets as kept in the per-user settings file (the INI file that
// QSettings writes). The sets read, stored again and read back are the same sets.
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/qt_settings_store.h"
#include "roi/roi_sets.h"

namespace {

[[noreturn]] void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

std::string SettingsPath() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data())) + "/Orvane Editor.conf";
    }();
    return path;
}

bool SameRanges(const TROISet& a, const TROISet& b) {
    for (int r = 0; r < kROICount; ++r)
        if (a[r].first != b[r].first || a[r].last != b[r].last) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = SettingsPath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TROISets sets;
    {
        const TQtSettingsStore file(QString::fromStdString(path));
        sets.Load(file);
    }
    for (TROIKind kind : {TROIKind::TL, TROIKind::OSL}) {
        TROIKindSets& read = sets.Of(kind);
        if (read.List().Count() < 1 || read.CurrentIndex() < 0 ||
            read.CurrentIndex() >= read.List().Count())
            PropertyBroken("no current ROI set after loading");
        if (read.List().names.size() != read.List().sets.size())
            PropertyBroken("ROI set names and sets differ in number");
        TMemorySettingsStore memory;
        if (!read.Store(memory)) PropertyBroken("ROI sets could not be stored");
        TROIKindSets back(kind);
        back.Load(memory);
        if (back.List().Count() != read.List().Count() ||
            back.CurrentIndex() != read.CurrentIndex() || back.List().names != read.List().names)
            PropertyBroken("stored ROI sets read back as another list");
        for (int n = 0; n < read.List().Count(); ++n)
            if (!SameRanges(back.List().sets[n], read.List().sets[n]))
                PropertyBroken("a stored ROI set reads back with other ranges");
    }
    return 0;
}
