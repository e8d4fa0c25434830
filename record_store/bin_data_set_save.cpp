// Saving a record store: the Save/Save As commands and the save when the store closes.
#include "record_store/bin_data_set.h"

void TBinDataSet::SaveToFile(const std::string& target) {
    RequireActive();
    CheckBrowseMode();
    storage_.WriteTo(target);
    // With a sub part the position words were renumbered in memory as well.
    if (cursor_ >= 0 && cursor_ < static_cast<int>(records().size())) Fetch(cursor_);
}

void TBinDataSet::SaveOnClose() {
    RequireActive();
    CheckBrowseMode();
    storage_.WriteOnClose();
}
