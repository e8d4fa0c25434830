#pragma once
// What the layout file of the open record file gives other parts of the editor.
#include <string>

#include "record_store/curve_fields.h"

class TEdForm1;

// The open file's curve-field list (empty without a layout file or a curve mark).
const TCurveFieldList& OpenFileCurveFields(const TEdForm1& form);
// The layout file in use; empty when none.
std::string CurrentLayoutFile(const TEdForm1& form);
// The layout gave the boolean field the boolean display texts (else it reads True/False).
bool LayoutGaveBooleanTexts(const TEdForm1& form, const std::string& field);
