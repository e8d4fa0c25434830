#pragma once
// The texts of the user's locale for the record presentation: decimal separator, the short
// date shown in grid and form, and reading a date typed back in that form.
#include "record_store/presentation_record.h"

presentation::TTextLocale SystemTextLocale();
