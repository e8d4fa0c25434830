#include "record_store/views.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "curve_test_files.h"

using namespace curve_test;

namespace {

struct TViewCase {
    TViewKind kind;
    const char* schema;
    std::size_t mainSize;
    std::size_t subSize;  // 0: no curve subfile
    const char* recordFile;
    int dataFields;
    int calculatedFields;
};

// The hand-written schemas of the three file kinds hold every field of their view plus the
// position word and the sub-part flag, which the views do not name.
const TViewCase kViews[] = {
    {TViewKind::Dat, "DAT.sch", 175, 1584, "S1.DAT", 40, 9},
    {TViewKind::Sad, "SAD.sch", 167, 80, "S1.SAD", 33, 7},
    {TViewKind::Das, "DAS.sch", 964, 0, "S1.DAS", 38, 9},
};

TEST(Views, EachViewOpensOnItsSchema) {
    for (const TViewCase& c : kViews) {
        SCOPED_TRACE(c.schema);
        TTempFolder folder;
        CopyDataFile(c.schema, folder.File(c.schema));
        TBytes main(c.mainSize, 0);
        main[14] = c.subSize > 0 ? 1 : 0;
        WriteFile(folder.File(c.recordFile), main);
        TBinDataSet view;
        ConfigureView(view, c.kind);
        view.SetFileName(folder.File(c.recordFile));
        view.SetSchemaFileName(folder.File(c.schema));
        ASSERT_NO_THROW(view.Open());
        int data = 0, calculated = 0;
        for (const TBinField& f : view.Fields()) (f.calculated ? calculated : data)++;
        EXPECT_EQ(data, c.dataFields);
        EXPECT_EQ(calculated, c.calculatedFields);
        EXPECT_EQ(view.SubSize(), static_cast<int>(c.subSize));
        EXPECT_EQ(view.FindField("Position"), nullptr);
    }
}

TEST(Views, FieldKindsAndSizes) {
    const struct {
        TViewKind kind;
        const char* name;
        TFieldType type;
        int size;
        bool calculated;
    } cases[] = {
        {TViewKind::Dat, "Raw data", TFieldType::Bytes, 800, false},
        {TViewKind::Dat, "Subtracted data", TFieldType::Bytes, 784, false},
        {TViewKind::Dat, "OSL BGD", TFieldType::Word, 0, false},
        {TViewKind::Dat, "Remark", TFieldType::String, 42, false},
        {TViewKind::Dat, "Irrad date", TFieldType::Date, 0, false},
        {TViewKind::Dat, "Device", TFieldType::String, 8, true},
        {TViewKind::Dat, "OSL time", TFieldType::Float, 0, true},
        {TViewKind::Dat, "MaxTemp", TFieldType::Integer, 0, true},
        {TViewKind::Sad, "Raw data", TFieldType::Bytes, 40, false},
        {TViewKind::Sad, "Subtracted data", TFieldType::Bytes, 40, false},
        {TViewKind::Sad, "DeviceInfo", TFieldType::String, 9, false},
        {TViewKind::Sad, "Irradiator", TFieldType::String, 1, false},
        {TViewKind::Sad, "Power", TFieldType::Word, 0, false},
        {TViewKind::Sad, "ShortInfo", TFieldType::String, 20, true},
        {TViewKind::Das, "Hole#", TFieldType::Integer, 0, false},
        {TViewKind::Das, "Norm", TFieldType::String, 20, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& list = ViewFields(c.kind);
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const TFieldDesc& d) { return d.name == c.name; });
        ASSERT_NE(it, list.end());
        EXPECT_EQ(it->type, c.type);
        EXPECT_EQ(it->size, c.size);
        EXPECT_EQ(it->calculated, c.calculated);
    }
    // The SAD view has no "Norm" and "MaxTemp"; the DAS view no subtracted curve.
    for (const char* name : {"Norm", "MaxTemp", "Shift", "Normalization factor"}) {
        for (const TFieldDesc& d : SadViewFields()) EXPECT_NE(d.name, name);
    }
    for (const char* name : {"Subtracted data", "Shift", "Normalization factor"}) {
        for (const TFieldDesc& d : DasViewFields()) EXPECT_NE(d.name, name);
    }
    EXPECT_TRUE(ViewFields(TViewKind::General).empty());
}

TEST(Views, SchemaThatLacksAViewFieldDoesNotOpen) {
    TTempFolder folder;
    std::ifstream in(std::string(ORVANE_TEST_DATA) + "/record_store/curves/DAS.sch");
    std::stringstream text;
    text << in.rdbuf();
    std::string schema = text.str();
    // Rename "Second" so that the DAS view cannot bind it.
    schema.replace(schema.find("Second"), 6, "Sekond");
    WriteText(folder.File("DAS.sch"), schema);
    WriteFile(folder.File("S1.DAS"), TBytes(964, 0));
    TBinDataSet view;
    ConfigureView(view, TViewKind::Das);
    view.SetFileName(folder.File("S1.DAS"));
    view.SetSchemaFileName(folder.File("DAS.sch"));
    const std::string message = ErrorOf([&] { view.Open(); });
    EXPECT_NE(message.find("Field 'Second' not found"), std::string::npos) << message;
    EXPECT_FALSE(view.Active());
}

TEST(Views, ViewKindForFile) {
    const std::pair<const char*, TViewKind> cases[] = {
        {"/lab/S12.DAT", TViewKind::Dat},      {"/lab/s12.dat", TViewKind::Dat},
        {"/lab/S12.SAD", TViewKind::Sad},      {"/lab/S12.das", TViewKind::Das},
        {"/lab/S12.DA1", TViewKind::General},  {"/lab/S12.SD1", TViewKind::General},
        {"/lab/S12.DATA", TViewKind::General}, {"/lab/S12", TViewKind::General},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(ViewKindForFile(path), kind) << path;
}

}  // namespace
