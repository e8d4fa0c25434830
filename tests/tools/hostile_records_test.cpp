// Hostile files at scale: the sample's schemas with record files at the record limit whose
// records are random bytes (each record's sub part in the subfile where its flag byte asks
// for one). Every record and curve is read in every view the file kind opens in; nothing
// may crash, and every read that fails says why.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fuzz/record_walk.h"
#include "record_store/bin_data_set.h"
#include "record_store/layout_file.h"
#include "record_store/layout_plan.h"
#include "record_store/schema.h"
#include "temp_folder.h"
#include "tools/sample_generator.h"

namespace {

// Random records of the schema's main size; each with its flag byte set gets a random sub
// part in the subfile. The fields named in `smallCounts` (curve element counts) get a random
// value below 64 instead: still mostly beyond what their curve fields hold, without making
// every record's curve tens of thousands of zeros long, which would only make the walk slow.
void WriteRandomRecords(const std::string& schemaPath, const std::string& recordPath,
                        const std::string& subPath, int count, std::mt19937_64& random,
                        const std::vector<std::string>& smallCounts = {}) {
    std::ifstream schemaFile(schemaPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(schemaFile)),
                           std::istreambuf_iterator<char>());
    const TSchema schema = ParseSchema(text);
    ASSERT_GT(schema.mainSize, kSubPartFlagOffset);
    std::ofstream main(recordPath, std::ios::binary | std::ios::trunc);
    std::ofstream sub;
    if (schema.subSize > 0) sub.open(subPath, std::ios::binary | std::ios::trunc);
    std::vector<char> bytes(static_cast<size_t>(std::max(schema.mainSize, schema.subSize)));
    auto fill = [&](size_t n) {
        for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(random() & 0xFF);
    };
    for (int r = 0; r < count; ++r) {
        fill(static_cast<size_t>(schema.mainSize));
        for (const std::string& name : smallCounts) {
            const TSchemaField* field = schema.Find(name);
            ASSERT_NE(field, nullptr) << name;
            for (int i = 0; i < field->width; ++i)
                bytes[field->recordOffset + i] = i == 0 ? static_cast<char>(random() % 64) : 0;
        }
        main.write(bytes.data(), schema.mainSize);
        if (schema.subSize > 0 && bytes[kSubPartFlagOffset] != 0) {
            fill(static_cast<size_t>(schema.subSize));
            sub.write(bytes.data(), schema.subSize);
        }
    }
    ASSERT_TRUE(main.good());
}

struct TWalkCase {
    const char* file;      // of the sample
    const char* schema;    // of the sample
    const char* subfile;   // "" when the kind has none
    const char* layout;    // of the sample: marks the curve fields
    TViewKind view;
};

TEST(HostileRecords, RandomRecordsAtTheLimitReadInEveryViewWithMessages) {
    TTempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    MakeSample(folder.path().string());
    std::mt19937_64 random(20261210);
    const int count = TBinDataSet::kMaxRecordsWithSubPart;
    WriteRandomRecords(folder.File("DAT.sch"), folder.File("S12.DAT"), folder.File("S12.SUB"),
                       count, random);
    WriteRandomRecords(folder.File("SAD.sch"), folder.File("S12.SAD"), folder.File("S12.SAB"),
                       count, random, {"NPT", "Max point"});
    WriteRandomRecords(folder.File("DAS.sch"), folder.File("S12.DAS"), "", count, random);

    const TWalkCase cases[] = {
        {"S12.DAT", "DAT.sch", "S12.SUB", "OV_DAT.INI", TViewKind::Dat},
        {"S12.DAT", "DAT.sch", "S12.SUB", "OV_DAT.INI", TViewKind::General},
        {"S12.SAD", "SAD.sch", "S12.SAB", "OV_SAD.INI", TViewKind::Sad},
        {"S12.DAS", "DAS.sch", "", "OV_DAS.INI", TViewKind::Das},
    };
    for (const TWalkCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " in view " + std::to_string(static_cast<int>(c.view)));
        TBinDataSet view;
        record_fuzz::ConfigureWalkedView(view, c.view, folder.File(c.file), folder.File(c.schema));
        ASSERT_NO_THROW(view.Open());
        EXPECT_EQ(view.RecordCount(), count);
        EXPECT_EQ(view.OpenedSubFilePath().empty(), std::string(c.subfile).empty());
        const std::optional<TLayoutText> layout = ReadLayoutText(folder.File(c.layout));
        ASSERT_TRUE(layout.has_value());
        const TCurveFieldList curves =
            LayoutCurveFields(view, layout->lines, BooleanWords(WholeBooleanDisplay("Yes;No")));
        EXPECT_FALSE(curves.empty());
        const record_fuzz::TWalkReport report = record_fuzz::WalkView(view, c.view, &curves);
        EXPECT_EQ(report.records, count);
        EXPECT_GT(report.reads, count * 10LL);
        EXPECT_EQ(report.emptyMessages, 0);
        view.SetModified(false);
        view.Close();
    }
}

}  // namespace
