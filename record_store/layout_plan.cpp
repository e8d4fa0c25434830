#include "record_store/layout_plan.h"

#include <cctype>
#include <set>

#include "record_store/editor_error.h"

TLayoutFieldKind LayoutFieldKind(TFieldType type) {
    switch (type) {
        case TFieldType::String:
            return TLayoutFieldKind::Text;
        case TFieldType::Integer:
            return TLayoutFieldKind::Integer;
        case TFieldType::Word:
            return TLayoutFieldKind::Word;
        case TFieldType::Boolean:
            return TLayoutFieldKind::Boolean;
        case TFieldType::Float:
            return TLayoutFieldKind::Float;
        case TFieldType::Date:
            return TLayoutFieldKind::Date;
        case TFieldType::Time:
            return TLayoutFieldKind::Time;
        case TFieldType::DateTime:
            return TLayoutFieldKind::DateTime;
        default:
            break;
    }
    return TLayoutFieldKind::Other;
}

std::string ControlNameSuffix(const std::string& caption) {
    std::string suffix;
    for (char c : caption)
        if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 128)
            suffix += c;
    return suffix;
}

namespace {

TCurveFieldInfo CurveInfo(const TBinDataSet& view, const TBinField& field) {
    const std::string& schema = view.OpenedSchemaPath();
    if (!schema.empty()) return ReadCurveFieldInfo(schema, field.position, field.name);
    return ReadCurveFieldInfo(view, field.name);
}

}  // namespace

void BuildLayoutPlan(const TBinDataSet& view, const std::vector<std::string>* lines,
                     const TBooleanWords& words, TLayoutPlan& plan) {
    std::set<std::string> names;
    for (const TBinField& field : view.Fields()) {
        try {
            const auto layout = ReadLayoutField(lines, field.name, words);
            if (!layout) continue;
            if (lines) plan.captions[field.name] = layout->caption;
            if (layout->curve) plan.curves.push_back(CurveInfo(view, field));
            if (!layout->visible) continue;
            TLayoutFieldPlan f;
            f.fieldIndex = field.index;
            f.name = field.name;
            f.layout = *layout;
            f.kind = LayoutFieldKind(field.type);
            f.editCharacters = DefaultEditCharacters(f.kind, field.size, layout->precision);
            const std::string suffix = ControlNameSuffix(layout->caption);
            if (!names.insert(suffix).second) throw TEditorError("duplicate control name");
            f.editName = "dbe" + suffix;
            f.labelName = "lbl" + suffix;
            plan.shown.push_back(std::move(f));
        } catch (const std::exception&) {
            throw TEditorError(FieldErrorMessage(field.name));
        }
    }
}

TCurveFieldList LayoutCurveFields(const TBinDataSet& view, const std::vector<std::string>& lines,
                                  const TBooleanWords& words) {
    TCurveFieldList curves;
    for (const TBinField& field : view.Fields()) {
        const auto layout = ReadLayoutField(&lines, field.name, words);
        if (layout && layout->curve) curves.push_back(CurveInfo(view, field));
    }
    return curves;
}
