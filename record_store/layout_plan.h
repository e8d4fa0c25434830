#pragma once
// What a layout file makes of an open view: the fields the general record form shows, each
// with its layout, control names and default width, and the view's curve-field list.
#include <map>
#include <string>
#include <vector>

#include "record_store/bin_data_set.h"
#include "record_store/curve_fields.h"
#include "record_store/layout_flow.h"

struct TLayoutFieldPlan {
    int fieldIndex = 0;  // in the view's field list
    std::string name;
    TLayoutField layout;
    TLayoutFieldKind kind = TLayoutFieldKind::Other;
    int editCharacters = 0;  // default width in characters of "0"
    std::string editName;    // "dbe" + the caption's letters and digits
    std::string labelName;   // "lbl" + the same
};

struct TLayoutPlan {
    std::vector<TLayoutFieldPlan> shown;  // visible fields in the view's field order
    TCurveFieldList curves;               // marked curve fields, hidden ones included
    // Caption of every field with a field line, hidden ones included: the grid column titles.
    std::map<std::string, std::string> captions;
};

TLayoutFieldKind LayoutFieldKind(TFieldType type);
// The caption's ASCII letters and digits.
std::string ControlNameSuffix(const std::string& caption);

// Goes through the view's fields in order. `lines` null: no layout file. Stops at the first
// field that cannot be processed (a number item that is not an integer, two captions giving
// the same control name, a curve field whose schema line cannot be read) by throwing
// TEditorError("INI File Error: Error processing field <name> in INI file"); `plan` then
// holds what was built before it.
void BuildLayoutPlan(const TBinDataSet& view, const std::vector<std::string>* lines,
                     const TBooleanWords& words, TLayoutPlan& plan);

// The curve-field list alone (tools that run without the record form).
TCurveFieldList LayoutCurveFields(const TBinDataSet& view, const std::vector<std::string>& lines,
                                  const TBooleanWords& words);
