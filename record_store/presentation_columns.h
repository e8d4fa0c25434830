#pragma once
// The fixed grid columns of the maker's views, in order, with the hidden ones marked.
#include <string>
#include <vector>

#include "record_store/presentation_values.h"

namespace presentation {

struct TGridColumn {
    std::string field;
    bool hidden = false;
};

// Empty for the general view (its grid shows every schema field).
const std::vector<TGridColumn>& GridColumns(TRecordKind kind);

}  // namespace presentation
