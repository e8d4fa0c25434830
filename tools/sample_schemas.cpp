#include "tools/sample_schemas.h"

#include <sstream>

namespace {

TSampleSchemaField Main(const char* name, const char* type, int width) {
    return {name, type, width, false, "", ""};
}

TSampleSchemaField Curve(const char* name, int width, bool sub, const char* element,
                         const char* count) {
    return {name, "BYTES", width, sub, element, count};
}

// The irradiation block of the DAT and DAS schemas: rate, time, unit and source per kind of
// radiation.
void AddIrradiationFields(std::vector<TSampleSchemaField>& fields) {
    for (const char* kind : {"Gamma", "Beta", "Alpha"}) {
        const std::string k = kind;
        fields.push_back({k + " rate", "FLOAT", 8, false, "", ""});
        fields.push_back({k + " time", "FLOAT", 8, false, "", ""});
        fields.push_back({k + " unit", "CHAR", 8, false, "", ""});
        fields.push_back({k + " source", "CHAR", 8, false, "", ""});
    }
}

}  // namespace

const TSampleSchemaLayout::Entry* TSampleSchemaLayout::Find(const std::string& name) const {
    for (const Entry& e : entries) {
        if (e.field.name == name) return &e;
    }
    return nullptr;
}

TSampleSchemaLayout LayoutOf(const std::vector<TSampleSchemaField>& fields) {
    TSampleSchemaLayout layout;
    int position = 0;
    for (const TSampleSchemaField& f : fields) {
        TSampleSchemaLayout::Entry e;
        e.field = f;
        e.position = ++position;
        int& size = f.sub ? layout.subSize : layout.mainSize;
        e.offset = size;
        size += f.width;
        layout.entries.push_back(e);
    }
    return layout;
}

const std::vector<TSampleSchemaField>& DatSampleFields() {
    static const std::vector<TSampleSchemaField> fields = [] {
        std::vector<TSampleSchemaField> f = {
            Main("Run#", "LONGINT", 4),        Main("Position", "WORD", 2),
            Main("Disk#", "NUMERIC", 2),       Main("Dev#", "LONGINT", 4),
            Main("NPT", "NUMERIC", 2),         Main("Subfile flag", "BOOL", 1),
            Main("Nat TL", "BOOL", 1),         Main("TL run", "BOOL", 1),
            Main("Single aliquot", "BOOL", 1), Main("Before irrad", "BOOL", 1),
            Main("Normalization", "BOOL", 1),  Main("Second", "BOOL", 1),
            Main("Sample temp hi", "WORD", 1), Main("Sample temp", "WORD", 1),
            Main("Spacing", "NUMERIC", 2),     Main("Max point", "NUMERIC", 2),
            Main("Time base 10", "WORD", 2),   Main("Time base 100", "WORD", 2),
            Main("Time base 1000", "WORD", 2), Main("Time base 10000", "WORD", 2),
            Main("OSL BGD", "WORD", 2),        Main("Ramp", "FLOAT", 6),
            Main("Bleach time", "FLOAT", 6),   Main("Bleach filter", "CHAR", 8),
        };
        AddIrradiationFields(f);
        f.push_back(Main("Irrad date", "DATE", 2));
        f.push_back(Main("Normalization factor", "FLOAT", 8));
        f.push_back(Main("Shift", "FLOAT", 8));
        f.push_back(Main("Remark", "CHAR", 42));
        f.push_back(Curve("Raw data", 800, true, "DOUBLE", "100"));
        f.push_back(Curve("Subtracted data", 784, true, "DOUBLE", "98"));
        return f;
    }();
    return fields;
}

const std::vector<TSampleSchemaField>& SadSampleFields() {
    static const std::vector<TSampleSchemaField> fields = {
        Main("Run#", "LONGINT", 4),
        Main("Position", "WORD", 2),
        Main("Disk#", "NUMERIC", 2),
        Main("Dev#", "LONGINT", 4),
        Main("NPT", "NUMERIC", 2),
        Main("Subfile flag", "BOOL", 1),
        Main("Nat TL", "BOOL", 1),
        Main("TL run", "BOOL", 1),
        Main("Before irrad", "BOOL", 1),
        Main("Normalization", "BOOL", 1),
        Main("Short shine", "BOOL", 1),
        Main("DeviceNum", "NUMERIC", 2),
        Main("DeviceInfo", "CHAR", 9),
        Main("Power", "WORD", 1),
        Main("Time base 10", "WORD", 2),
        Main("Time base 100", "WORD", 2),
        Main("Time base 1000", "WORD", 2),
        Main("Time base 10000", "WORD", 2),
        Main("Sample temp hi", "WORD", 1),
        Main("Sample temp", "WORD", 1),
        Main("OSL BGD", "WORD", 2),
        Main("Irradiator", "CHAR", 1),
        Main("Source", "CHAR", 8),
        Main("Dose rate", "FLOAT", 8),
        Main("Irradiating time", "FLOAT", 8),
        Main("Dose rate unit", "CHAR", 8),
        Main("Irrad date", "DATE", 2),
        Main("Preheat temperature", "NUMERIC", 2),
        Main("Preheat time", "NUMERIC", 2),
        Main("Spacing", "NUMERIC", 2),
        Main("Max point", "NUMERIC", 2),
        Main("Remark", "CHAR", 42),
        Main("Reserved", "CHAR", 50),
        Curve("Raw data", 40, true, "WORD", "\"NPT\""),
        // One subtracted value per channel, "Max point" of them (equal to "NPT" in every
        // record).
        Curve("Subtracted data", 40, true, "SINGLE", "\"Max point\""),
    };
    return fields;
}

const std::vector<TSampleSchemaField>& DasSampleFields() {
    static const std::vector<TSampleSchemaField> fields = [] {
        std::vector<TSampleSchemaField> f = {
            Main("Run#", "LONGINT", 4),        Main("Hole#", "NUMERIC", 2),
            Main("Disk#", "NUMERIC", 2),       Main("Dev#", "LONGINT", 4),
            Main("NPT", "NUMERIC", 2),         Main("Nat TL", "BOOL", 1),
            Main("TL run", "BOOL", 1),         Main("Single aliquot", "BOOL", 1),
            Main("Before irrad", "BOOL", 1),   Main("Normalization", "BOOL", 1),
            Main("Second", "BOOL", 1),         Main("Ramp", "FLOAT", 6),
            Main("Time base 10", "WORD", 2),   Main("Time base 100", "WORD", 2),
            Main("Time base 1000", "WORD", 2), Main("Time base 10000", "WORD", 2),
            Main("Sample temp hi", "WORD", 1), Main("Sample temp", "WORD", 1),
            Main("OSL BGD", "WORD", 2),        Main("Bleach time", "FLOAT", 6),
            Main("Bleach filter", "CHAR", 8),
        };
        AddIrradiationFields(f);
        f.push_back(Main("Irrad date", "DATE", 2));
        f.push_back(Main("Spacing", "NUMERIC", 2));
        f.push_back(Main("Max point", "NUMERIC", 2));
        f.push_back(Main("Remark", "CHAR", 42));
        f.push_back(Curve("Raw data", 800, false, "DOUBLE", "100"));
        return f;
    }();
    return fields;
}

std::string SchemaTextOf(const std::vector<TSampleSchemaField>& fields,
                         const std::string& description) {
    const TSampleSchemaLayout layout = LayoutOf(fields);
    std::ostringstream out;
    out << "; " << description << "\n";
    out << "; Items of a field line: name, type, width, offset from the start of its part;\n";
    out << "; curve fields add the element type and the element count.\n";
    out << "FILETYPE = FIXED BINARY\n";
    out << "CHARSET = ANSI\n";
    bool inSub = false;
    for (const TSampleSchemaLayout::Entry& e : layout.entries) {
        if (e.field.sub && !inSub) {
            out << "[SUB]\n";
            inSub = true;
        }
        // No blank before "=": the curve-field lookup compares the key with blanks counting.
        out << "FIELD" << e.position << "=" << e.field.name << ", " << e.field.type << ", "
            << e.field.width << ", " << e.offset;
        if (!e.field.elementType.empty()) {
            out << ", " << e.field.elementType << ", " << e.field.countExpr;
        }
        out << "\n";
    }
    return out.str();
}

namespace {

struct TFormItem {
    const char* field;
    const char* caption;  // empty: the field name
    int left, top, width;
    int precision;  // float fields
};

// Section captions in a left column; the edits of a section sit on its row.
struct TFormSection {
    const char* caption;
    int top;
};

constexpr int kColumn = 104;  // first edit column, right of the section captions

}  // namespace

std::string DatLayoutText() {
    const TFormSection sections[] = {
        {"Record", 28}, {"Measurement", 76}, {"Counting", 124}, {"OSL", 172},
        {"Beta", 220},  {"Gamma", 268},      {"Alpha", 316},    {"Bleach", 364},
    };
    const TFormItem items[] = {
        {"Run#", "Run", kColumn, 24, 56, 0},
        {"Disk#", "Disk", kColumn + 64, 24, 56, 0},
        {"Dev#", "", kColumn + 128, 24, 56, 0},
        {"Second", "Bad", kColumn + 192, 24, 56, 0},
        {"Remark", "", kColumn + 256, 24, 304, 0},
        {"Nat TL", "Natural", kColumn, 72, 56, 0},
        {"TL run", "Sample run", kColumn + 64, 72, 72, 0},
        {"Normalization", "Norm run", kColumn + 144, 72, 64, 0},
        {"Single aliquot", "Single aliquot", kColumn + 216, 72, 88, 0},
        {"Before irrad", "Bleach first", kColumn + 312, 72, 80, 0},
        {"NPT", "Points", kColumn, 120, 56, 0},
        {"Spacing", "", kColumn + 64, 120, 56, 0},
        {"Ramp", "", kColumn + 128, 120, 56, 3},
        {"Max point", "", kColumn + 192, 120, 64, 0},
        {"Shift", "", kColumn + 264, 120, 88, 5},
        {"Normalization factor", "Norm factor", kColumn + 360, 120, 88, 4},
        {"Time base 10", "0.01 s ch", kColumn, 168, 56, 0},
        {"Time base 100", "0.1 s ch", kColumn + 64, 168, 56, 0},
        {"Time base 1000", "1 s ch", kColumn + 128, 168, 56, 0},
        {"Time base 10000", "10 s ch", kColumn + 192, 168, 56, 0},
        {"Sample temp hi", "Temp hi", kColumn + 256, 168, 56, 0},
        {"Sample temp", "Temp", kColumn + 320, 168, 56, 0},
        {"OSL BGD", "", kColumn + 384, 168, 64, 0},
        {"Beta rate", "", kColumn, 216, 80, 6},
        {"Beta time", "", kColumn + 88, 216, 80, 6},
        {"Beta unit", "", kColumn + 176, 216, 80, 0},
        {"Beta source", "", kColumn + 264, 216, 88, 0},
        {"Irrad date", "Irradiated on", kColumn + 360, 216, 88, 0},
        {"Gamma rate", "", kColumn, 264, 80, 6},
        {"Gamma time", "", kColumn + 88, 264, 80, 6},
        {"Gamma unit", "", kColumn + 176, 264, 80, 0},
        {"Gamma source", "", kColumn + 264, 264, 88, 0},
        {"Alpha rate", "", kColumn, 312, 80, 6},
        {"Alpha time", "", kColumn + 88, 312, 80, 6},
        {"Alpha unit", "", kColumn + 176, 312, 80, 0},
        {"Alpha source", "", kColumn + 264, 312, 88, 0},
        {"Bleach time", "Minutes", kColumn, 360, 64, 4},
        {"Bleach filter", "Filter", kColumn + 72, 360, 72, 0},
    };
    std::ostringstream out;
    out << "[MAIN]\n";
    out << "Left=40\nTop=30\nWidth=1024\nHeight=720\n";
    out << "BooleanDisplay=Yes;No\n";
    out << "[FIELDS]\n";
    for (const TFormItem& item : items) {
        out << item.field << "=Yes, " << item.precision << ", " << item.left << ", " << item.top
            << ", " << item.width << "\n";
        out << "L_" << item.field << "=" << (*item.caption ? item.caption : item.field)
            << ", TOP\n";
    }
    // Kept in the records but not edited in the form: the reader's bookkeeping and the curves.
    out << "Position=No, 0\nL_Position=Position, TOP\n";
    out << "Subfile flag=No, 0\nL_Subfile flag=Subfile flag, TOP\n";
    out << "Raw data=No, 0\nL_Raw data=CURVE Raw data, TOP\n";
    out << "Subtracted data=No, 0\nL_Subtracted data=CURVE Subtracted data, TOP\n";
    out << " \n[LABELS]\n";
    for (const TFormSection& s : sections) {
        out << "L_" << s.caption << "=" << s.caption << ", 8, " << s.top << "\n";
    }
    return out.str();
}

std::string FlowLayoutText(const std::vector<TSampleSchemaField>& fields) {
    std::ostringstream out;
    out << "[MAIN]\nLeft=40\nTop=30\nWidth=1024\nHeight=720\nBooleanDisplay=Yes;No\n";
    out << "[FIELDS]\n";
    for (const TSampleSchemaField& f : fields) {
        const bool curve = !f.elementType.empty();
        const bool hidden = curve || f.name == "Position" || f.name == "Subfile flag";
        out << f.name << "=" << (hidden ? "No" : "Yes") << ", " << (f.type == "FLOAT" ? 6 : 0)
            << "\n";
        out << "L_" << f.name << "=" << (curve ? "CURVE " : "") << f.name << ", TOP\n";
    }
    out << " \n[LABELS]\n";
    return out.str();
}
