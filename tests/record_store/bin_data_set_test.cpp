#include "record_store/bin_data_set.h"

#include <gtest/gtest.h>

#include "record_file_test_util.h"
#include "record_store/editor_error.h"

namespace {

using record_test::Bytes;

const char* kSchema =
    "FILETYPE = FIXED BINARY\n"
    "FIELD1 = Run#, NUMERIC, 4, 0\n"
    "FIELD2 = Label, CHAR, 8, 4\n"
    "FIELD3 = Gain, FLOAT, 6, 12\n"
    "FIELD4 = Good, BOOL, 1, 18\n"
    "FIELD5 = Pad, BYTES, 281, 19\n";

// A 300-byte record with Run# = run and the label "r<run>".
Bytes Record(int run) {
    Bytes r(300, 0);
    r[0] = static_cast<uint8_t>(run);
    std::string label = "r" + std::to_string(run);
    r[4] = static_cast<uint8_t>(label.size());
    std::copy(label.begin(), label.end(), r.begin() + 5);
    return r;
}

std::string OpenError(TBinDataSet& ds) {
    try {
        ds.Open();
    } catch (const TEditorError& e) {
        EXPECT_FALSE(ds.Active());
        EXPECT_EQ(ds.RecordCount(), -1);
        return e.what();
    }
    return "(opened)";
}

class BinDataSetTest : public ::testing::Test {
protected:
    void SetUp() override { record_test::WriteText(dir / "DAT.sch", kSchema); }
    void Open(const Bytes& bytes) {
        record_test::WriteFile(path, bytes);
        ds.SetFileName(path);
        ds.Open();
    }
    std::vector<int64_t> VisibleRuns() {
        std::vector<int64_t> runs;
        for (bool ok = ds.First(); ok; ok = ds.Next()) runs.push_back(ds.AsInteger("Run#"));
        return runs;
    }

    record_test::TempDir dir;
    std::string path = dir / "S12.DAT";
    TBinDataSet ds;
};

TEST_F(BinDataSetTest, OpensRecordsWithIdsAndReadsTypedFields) {
    Open(record_test::Concat({Record(1), Record(2), Record(3)}));
    ASSERT_TRUE(ds.Active());
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.MainSize(), 300);
    EXPECT_EQ(ds.OpenedSchemaPath(), dir / "DAT.sch");  // derived "DAT.SCH" matched by case
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ds.RecordAt(i).id, i + 1);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.AsInteger("run#"), 1);
    EXPECT_EQ(ds.AsString("Label"), "r1");
    EXPECT_EQ(ds.AsString(1), "r1");
    EXPECT_EQ(ds.ValueAt(2, 0), TFieldValue(int64_t{3}));
    ASSERT_EQ(ds.FieldCount(), 5);
    const TBinField& gain = ds.FieldByName("gain");
    EXPECT_EQ(gain.type, TFieldType::Float);
    EXPECT_EQ(gain.offset, 12);
    EXPECT_EQ(gain.width, 6);
    EXPECT_EQ(gain.position, 3);
    EXPECT_EQ(ds.FindField("Nope"), nullptr);
    try {
        ds.FieldByName("Nope");
        FAIL();
    } catch (const TEditorError& e) {
        EXPECT_STREQ(e.what(), "Field 'Nope' not found");
    }
}

TEST_F(BinDataSetTest, OpenFailures) {
    const std::string prefix = "Error opening data file: " + path;
    const struct {
        const char* what;
        std::string schema;
        Bytes records;
        std::string message;
    } cases[] = {
        {"empty file", kSchema, {}, prefix + "\nBookmark not found"},
        {"stray bytes", kSchema, record_test::Concat({Record(1), Record(2), Record(3), Bytes(10)}),
         prefix + "\nRead beyond end of file"},
        {"no fields", "FILETYPE = FIXED BINARY\n", Record(1),
         prefix + "\nThe schema gives the records no bytes."},
        {"schema error", "FILETYPE = binary\n", Record(1),
         prefix + "\nSchema error: FILETYPE must be FIXED BINARY"},
        {"unknown type", "FIELD1 = Run#, QUAD, 300, 0\n", Record(1),
         prefix + "\nField 'Run#' is of an unknown type"},
        {"sub part without its flag byte",
         "FIELD1 = A, BYTES, 14, 0\n[SUB]\nFIELD2 = C, BYTES, 8, 0\n", Record(1),
         prefix + "\nSchema Read Error: Error processing field C in schema file"},
        {"field beyond the record", "FIELD1 = Run#, BYTES, 300, 0\nFIELD2 = X, NUMERIC, 0, 400\n",
         Record(1), prefix + "\nSchema Read Error: Error processing field X in schema file"},
        {"duplicate", "FIELD1 = Run#, BYTES, 150, 0\nFIELD2 = run#, BYTES, 150, 150\n", Record(1),
         prefix + "\nDuplicate field name 'run#'"},
    };
    for (const auto& c : cases) {
        record_test::WriteText(dir / "DAT.sch", c.schema);
        record_test::WriteFile(path, c.records);
        TBinDataSet store;
        store.SetFileName(path);
        EXPECT_EQ(OpenError(store), c.message) << c.what;
    }
}

TEST_F(BinDataSetTest, MissingFilesGiveThePathAlone) {
    ds.SetFileName(path);
    EXPECT_EQ(OpenError(ds), "Error opening data file: " + path);  // no record file
    record_test::WriteFile(path, Record(1));
    ds.SetSchemaFileName(dir / "other.sch");
    EXPECT_EQ(OpenError(ds), "Error opening data file: " + path);  // no schema
    ds.SetSchemaFileName(dir / "DAT.sch");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(BinDataSetTest, BindingAFixedFieldList) {
    record_test::WriteFile(path, Record(1));
    const std::string prefix = "Error opening data file: " + path + "\n";
    const struct {
        std::vector<TFieldDesc> descs;
        std::string message;
    } cases[] = {
        {{{"Run#", TFieldType::Integer}, {"Missing", TFieldType::Integer}},
         prefix + "Field 'Missing' not found"},
        {{{"Gain", TFieldType::Integer}},
         prefix + "Type mismatch for field 'Gain', expecting: Integer actual: Float"},
        {{{"Run#", TFieldType::Word}},
         prefix + "Type mismatch for field 'Run#', expecting: Word actual: Integer"},
        {{{"Label", TFieldType::String, 10}},
         prefix + "Size mismatch for field 'Label', expecting: 10 actual: 8"},
        {{{"Pad", TFieldType::Bytes, 280}},
         prefix + "Size mismatch for field 'Pad', expecting: 280 actual: 281"},
        {{{"Run#", TFieldType::Integer}, {"RUN#", TFieldType::Integer}},
         prefix + "Duplicate field name 'RUN#'"},
    };
    for (const auto& c : cases) {
        TBinDataSet store;
        store.SetFileName(path);
        store.SetFieldDescs(c.descs);
        EXPECT_EQ(OpenError(store), c.message);
    }
    // A list naming fields in its own order, with a calculated field; unnamed schema fields
    // stay in the bytes.
    ds.SetFileName(path);
    ds.SetFieldDescs({{"label", TFieldType::String, 8},
                      {"Double run", TFieldType::Integer, 0, true},
                      {"Run#", TFieldType::Integer}});
    ds.SetOnCalcFields(
        [](TBinDataSet& d) { d.SetAsInteger("Double run", 2 * d.AsInteger("Run#")); });
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 3);
    EXPECT_EQ(ds.Field(0).name, "label");
    EXPECT_TRUE(ds.Field(1).calculated);
    EXPECT_EQ(ds.Field(1).offset, 300);
    EXPECT_EQ(ds.AsInteger("Double run"), 2);
    EXPECT_EQ(ds.FindField("Gain"), nullptr);
}

TEST_F(BinDataSetTest, IdsOfInsertedRecordsAreNeverReused) {
    Open(record_test::Concat({Record(1), Record(2), Record(3)}));
    ds.SetRecNo(2);
    ds.Insert();
    ds.SetAsInteger("Run#", 40);
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.GetBookmark(), 4);
    // Delete the record with id 2 and insert again: id 5.
    ds.GotoBookmark(2);
    ds.Delete();
    ds.Append();
    ds.SetAsInteger("Run#", 50);
    ds.Post();
    EXPECT_EQ(ds.GetBookmark(), 5);
    EXPECT_EQ(ds.RecNo(), 4);
    std::vector<int32_t> ids;
    for (int i = 0; i < ds.RecordCount(); ++i) ids.push_back(ds.RecordAt(i).id);
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 4, 3, 5}));
    EXPECT_TRUE(ds.Modified());
}

TEST_F(BinDataSetTest, CursorMovesAndReportsTheEnds) {
    Open(record_test::Concat({Record(1), Record(2), Record(3)}));
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Prior());
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Last());
    EXPECT_FALSE(ds.Next());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.AsInteger("Run#"), 3);
    EXPECT_EQ(ds.MoveBy(-5), -2);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_FALSE(ds.FindPrior());
    EXPECT_TRUE(ds.FindNext());
    EXPECT_TRUE(ds.FindLast());
    EXPECT_FALSE(ds.FindNext());
    EXPECT_EQ(ds.RecNo(), 3);
    for (int ignored : {0, 4, -1}) {
        ds.SetRecNo(ignored);
        EXPECT_EQ(ds.RecNo(), 3);
    }
    ds.SetRecNo(2);
    EXPECT_EQ(ds.AsString("Label"), "r2");
    try {
        ds.GotoBookmark(9);
        FAIL();
    } catch (const TEditorError& e) {
        EXPECT_STREQ(e.what(), "Bookmark not found");
    }
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST(BinDataSetBookmarks, Compare) {
    EXPECT_EQ(TBinDataSet::CompareBookmarks(1, 2), -1);
    EXPECT_EQ(TBinDataSet::CompareBookmarks(5, 2), 1);
    EXPECT_EQ(TBinDataSet::CompareBookmarks(3, 3), 0);
    EXPECT_EQ(TBinDataSet::CompareBookmarks(3, std::nullopt), -1);
    EXPECT_EQ(TBinDataSet::CompareBookmarks(std::nullopt, 3), 1);
    EXPECT_EQ(TBinDataSet::CompareBookmarks(std::nullopt, std::nullopt), 0);
}

TEST_F(BinDataSetTest, DeletingTheLastRecordMovesToTheNewLast) {
    Open(record_test::Concat({Record(1), Record(2), Record(3)}));
    ds.Last();
    ds.Delete();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.AsInteger("Run#"), 2);
    ds.Delete();
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.Delete(), TEditorError);
}

TEST_F(BinDataSetTest, FilterHidesRecordsFromNavigationOnly) {
    Open(record_test::Concat({Record(1), Record(2), Record(3), Record(4), Record(5)}));
    ds.SetFilter([](TBinDataSet& d) { return d.AsInteger("Run#") % 2 == 1; });
    ds.SetFiltered(true);
    EXPECT_EQ(VisibleRuns(), (std::vector<int64_t>{1, 3, 5}));
    EXPECT_EQ(ds.RecordCount(), 5);
    ds.Last();
    EXPECT_FALSE(ds.Next());
    EXPECT_EQ(ds.AsInteger("Run#"), 5);
    // Find* ignore the filter.
    EXPECT_TRUE(ds.FindPrior());
    EXPECT_EQ(ds.AsInteger("Run#"), 4);
    // A current record that the predicate now rejects is left on refresh.
    ds.SetRecNo(3);
    ds.SetFilter([](TBinDataSet& d) { return d.AsInteger("Run#") != 3; });
    ds.Refresh();
    EXPECT_EQ(ds.AsInteger("Run#"), 4);
    ds.SetFiltered(false);
    EXPECT_EQ(VisibleRuns(), (std::vector<int64_t>{1, 2, 3, 4, 5}));
}

TEST_F(BinDataSetTest, HiddenRecordsAreSkippedBothWays) {
    Open(record_test::Concat({Record(1), Record(2), Record(3), Record(4), Record(5)}));
    ds.SetFilter([](TBinDataSet& d) { return d.AsInteger("Run#") % 2 == 1; });
    ds.SetFiltered(true);
    ds.Last();
    EXPECT_TRUE(ds.Prior());
    EXPECT_EQ(ds.AsInteger("Run#"), 3);
    EXPECT_TRUE(ds.Prior());
    EXPECT_FALSE(ds.Prior());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.AsInteger("Run#"), 1);
    // Deleting run 1 lands on run 3: run 2 is hidden.
    ds.Delete();
    EXPECT_EQ(ds.AsInteger("Run#"), 3);
    // A hidden current record with nothing visible after it: refresh goes back.
    ds.Last();
    ds.SetFilter([](TBinDataSet& d) { return d.AsInteger("Run#") < 5; });
    ds.Refresh();
    EXPECT_EQ(ds.AsInteger("Run#"), 4);
    // Nothing visible: no current record, both ends reached.
    ds.SetFilter([](TBinDataSet&) { return false; });
    ds.Refresh();
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.First());
    EXPECT_FALSE(ds.Last());
}

TEST_F(BinDataSetTest, EditingWritesThroughTheEncodings) {
    Open(record_test::Concat({Record(1), Record(2)}));
    EXPECT_THROW(ds.SetAsInteger("Run#", 7), TEditorError);  // browse state
    int changes = 0;
    ds.SetOnFieldChange([&](TBinDataSet&, const TBinField&) { ++changes; });
    ds.Edit();
    EXPECT_TRUE(ds.SetAsString("Label", "ABCDEFGHIJKL"));
    EXPECT_TRUE(ds.SetAsFloat("Gain", -1.5));
    EXPECT_TRUE(ds.SetAsBoolean("Good", true));
    ds.Post();
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(ds.Modified() == false);
    const Bytes& data = ds.RecordAt(0).data;
    EXPECT_EQ(Bytes(data.begin() + 4, data.begin() + 12),
              (Bytes{7, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}));
    EXPECT_EQ(Bytes(data.begin() + 12, data.begin() + 19), (Bytes{0x81, 0, 0, 0, 0, 0xC0, 1}));
    EXPECT_EQ(ds.AsString("Label"), "ABCDEFG");

    // A float too large for a six-byte real keeps the old bytes and reports it.
    ds.Edit();
    EXPECT_FALSE(ds.SetAsFloat("Gain", 1e300));
    EXPECT_DOUBLE_EQ(ds.AsFloat("Gain"), -1.5);
    ds.Cancel();
    EXPECT_EQ(changes, 3);

    // Cancel drops an edit; raw bytes go in unchanged.
    ds.Edit();
    ds.SetFieldBytes("Pad", Bytes{1, 2, 3});
    EXPECT_EQ(ds.FieldBytes("Pad")[2], 3);
    ds.Cancel();
    EXPECT_EQ(ds.FieldBytes("Pad")[2], 0);
    EXPECT_THROW(ds.SetAsInteger("Label", 1), TEditorError);
}

TEST_F(BinDataSetTest, InsertIsZeroFilledAndCancelReturns) {
    Open(record_test::Concat({Record(1), Record(2)}));
    ds.SetRecNo(2);
    ds.SetModified(false);
    ds.Insert();
    EXPECT_EQ(ds.AsInteger("Run#"), 0);
    EXPECT_EQ(ds.AsString("Label"), "");
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_FALSE(ds.Modified());
    // Moving away from a changed edit posts it.
    ds.Edit();
    ds.SetAsInteger("Run#", 9);
    ds.First();
    EXPECT_EQ(ds.ValueAt(1, 0), TFieldValue(int64_t{9}));
    EXPECT_TRUE(ds.Modified());
}

TEST_F(BinDataSetTest, CorruptLengthByteReadsInsideTheField) {
    Bytes r = Record(1);
    r[4] = 250;  // Label is 8 bytes wide
    r[12] = 'X';
    Open(r);
    EXPECT_EQ(ds.AsString("Label").size(), 7u);
}

}  // namespace

// Undo and redo put whole records back by id; the cursor stays on the record it was on.
TEST_F(BinDataSetTest, WholeRecordsComeBackByIdWithTheCursorKept) {
    Open(record_test::Concat({Record(1), Record(2), Record(3), Record(4)}));
    ds.SetRecNo(3);  // run 3, id 3
    const TBinRecord second = ds.RecordAt(1);

    ds.RemoveRecord(second.id);  // before the cursor
    EXPECT_EQ(ds.AsInteger("Run#"), 3);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Modified());

    ds.InsertRecordAt(1, second);
    EXPECT_EQ(ds.RecordAt(1).id, second.id);
    EXPECT_EQ(ds.RecordAt(1).data, second.data);
    EXPECT_EQ(ds.AsInteger("Run#"), 3);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_THROW(ds.InsertRecordAt(0, second), TEditorError);  // the id is taken

    // A new record after the restore gets an id no record has had.
    ds.Append();
    ds.Post();
    EXPECT_EQ(ds.RecordAt(4).id, 5);

    // Bytes of the current record replaced: the cursor shows them; the calculated area
    // stays the store's.
    Bytes changed = Record(9);
    ds.ReplaceRecordData(3, changed);
    ds.SetRecNo(3);
    EXPECT_EQ(ds.AsInteger("Run#"), 9);
    EXPECT_EQ(ds.RecordAt(2).data.size(), static_cast<size_t>(ds.BufferSize()));

    // The current record removed: the next one becomes current, at the end the one before.
    ds.RemoveRecord(3);
    EXPECT_EQ(ds.AsInteger("Run#"), 4);
    ds.Last();
    const int32_t last = *ds.GetBookmark();
    ds.RemoveRecord(last);
    EXPECT_EQ(ds.AsInteger("Run#"), 4);
    EXPECT_THROW(ds.RemoveRecord(last), TEditorError);

    // Not while a record is being edited.
    ds.Edit();
    EXPECT_THROW(ds.ReplaceRecordData(1, Record(7)), TEditorError);
}

TEST_F(BinDataSetTest, ARecordRestoredIntoAnEmptyStoreBecomesCurrent) {
    Open(Record(5));
    const TBinRecord only = ds.RecordAt(0);
    ds.RemoveRecord(only.id);
    EXPECT_EQ(ds.RecNo(), -1);
    ds.InsertRecordAt(0, only);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.AsInteger("Run#"), 5);
}
