#pragma once
// The maker's three views: record stores opened with the fixed field list of their file kind
// (.DAT, .SAD, .DAS). Data fields must exist in the schema with the kind and size listed;
// the calculated fields are filled by the presentation's calculation callback (the DAS view
// declares them but gets no callback).
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"

enum class TViewKind { General, Dat, Sad, Das };

// The fixed field lists, data fields first (in the order of the maker's tables), then the
// calculated fields.
const std::vector<TFieldDesc>& DatViewFields();
const std::vector<TFieldDesc>& SadViewFields();
const std::vector<TFieldDesc>& DasViewFields();
// The list of a kind; empty for the general view (fields made from the schema).
const std::vector<TFieldDesc>& ViewFields(TViewKind kind);

// The view for a record file: exactly .DAT, .SAD and .DAS (without regard to case) have
// their own view; every other extension (.DA1, .SD1 ...) opens in the general view only.
TViewKind ViewKindForFile(const std::string& recordPath);

// Gives `store` the field list of `kind` (the general view: fields from the schema). The
// store must be closed; opening it then binds the list.
void ConfigureView(TBinDataSet& store, TViewKind kind);
