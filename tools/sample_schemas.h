#pragma once
// The schemas and the editor layout of the bundled sample data. Each schema is kept as a
// table of fields whose offsets follow from the widths (the parts are tiled in order), so
// the text written to the .sch file, the generator and the tests share one description.
#include <string>
#include <vector>

struct TSampleSchemaField {
    std::string name;
    std::string type;  // schema keyword
    int width = 0;
    bool sub = false;  // field of the sub (curve) part
    // Curve-field extension (items 5 and 6); empty for ordinary fields.
    std::string elementType;
    std::string countExpr;
};

// The fields of a sample schema with their offsets (from the start of their part) and
// 1-based positions, and the sizes of the two parts.
struct TSampleSchemaLayout {
    struct Entry {
        TSampleSchemaField field;
        int offset = 0;
        int position = 0;
    };
    std::vector<Entry> entries;
    int mainSize = 0;
    int subSize = 0;
    const Entry* Find(const std::string& name) const;
};

TSampleSchemaLayout LayoutOf(const std::vector<TSampleSchemaField>& fields);

// Fields of the three sample schemas. DAT and SAD files keep the sub-part flag ("Subfile flag")
// at offset 14 and the position word ("Position") at offset 4 of the main part.
const std::vector<TSampleSchemaField>& DatSampleFields();
const std::vector<TSampleSchemaField>& SadSampleFields();
const std::vector<TSampleSchemaField>& DasSampleFields();

// The text of a .sch file: FILETYPE, CHARSET, one "FIELDn=" line per field ("[SUB]" before
// the first sub field), with the curve-field extension where the field has one.
std::string SchemaTextOf(const std::vector<TSampleSchemaField>& fields,
                         const std::string& description);

// The editor layout file OV_DAT.INI for the DAT schema: window placement, boolean texts,
// a form of labelled fields grouped by topic, and "Raw data" and "Subtracted data" marked
// as curves.
std::string DatLayoutText();

// A plain layout file for the other sample schemas: every field shown in field order and
// placed by the editor's flow rule, the curve fields (those with an element type) hidden and
// marked as curves, the position word and the sub-part flag hidden.
std::string FlowLayoutText(const std::vector<TSampleSchemaField>& fields);
