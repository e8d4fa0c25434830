// The BIN/BINX reader against records written here byte by byte, field by field at the
// offsets of the format's tables for each version (03 to 08), and against files cut short or
// lying about their lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/binx_reader.h"

namespace {

// Offsets of one version, as the format's tables give them (not the reader's table).
struct TVersionCase {
    int version;
    int header;
    int position, run, set, grain;  // 03/04: bytes (grain int16); 05+: int16
    int lumType, lightSource, dataType, low, high, irrTime, doseRate, sample, date, tag;
};

const TVersionCase kCases[] = {
    // v  H    pos  run  set  grain ltype ls   dtype low  high irr  rate sample date tag
    {3, 272, 33, 34, 208, 210, 8, 207, 67, 9, 13, 68, -1, 105, 42, 209},
    {4, 272, 33, 34, 208, 210, 8, 207, 67, 9, 13, 68, -1, 105, 42, 209},
    {5, 423, 18, 14, 16, 20, 323, 324, 278, 329, 333, 359, 364, 28, 271, 302},
    {6, 447, 18, 14, 16, 20, 323, 324, 278, 329, 333, 359, 364, 28, 271, 302},
    {7, 447, 18, 14, 16, 20, 323, 324, 278, 329, 333, 359, 364, 28, 271, 302},
    {8, 507, 19, 15, 17, 21, 324, 325, 279, 330, 334, 360, 365, 29, 272, 303},
};

void Put16(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutFloat(std::vector<uint8_t>& b, std::size_t at, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(b, at, u);
}
void PutText(std::vector<uint8_t>& b, std::size_t at, const std::string& s) {
    b[at] = static_cast<uint8_t>(s.size());
    std::memcpy(&b[at + 1], s.data(), s.size());
}

// One OSL record of position 7, run 3, set 2, grain 12 with the counts given.
std::vector<uint8_t> Record(const TVersionCase& c, const std::vector<uint32_t>& counts,
                            uint32_t previous = 0) {
    std::vector<uint8_t> b(static_cast<std::size_t>(c.header) + 4 * counts.size(), 0);
    b[0] = static_cast<uint8_t>(c.version);
    const bool old = c.version <= 4;
    const auto length = static_cast<uint32_t>(b.size());
    if (old) {
        Put16(b, 2, length);
        Put16(b, 4, previous);
        Put16(b, 6, static_cast<uint32_t>(counts.size()));
        b[c.position] = 7;
        b[c.run] = 3;
        b[c.set] = 2;
    } else {
        Put32(b, 2, length);
        Put32(b, 6, previous);
        Put32(b, 10, static_cast<uint32_t>(counts.size()));
        Put16(b, c.position, 7);
        Put16(b, c.run, 3);
        Put16(b, c.set, 2);
    }
    Put16(b, c.grain, 12);
    b[c.lumType] = 1;
    b[c.lightSource] = 4;
    b[c.dataType] = 6;
    b[c.tag] = 1;
    PutFloat(b, c.low, 0.0f);
    PutFloat(b, c.high, 40.0f);
    PutFloat(b, c.irrTime, 123.5f);
    if (c.doseRate >= 0) PutFloat(b, c.doseRate, 0.0835f);
    PutText(b, c.sample, "QZ-12");
    PutText(b, c.date, "160326");
    for (std::size_t i = 0; i < counts.size(); ++i) Put32(b, c.header + 4 * i, counts[i]);
    return b;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(BinxReader, ReadsTheFieldsOfEveryVersionAtTheirPlaces) {
    for (const TVersionCase& c : kCases) {
        SCOPED_TRACE("version " + std::to_string(c.version));
        EXPECT_EQ(BinxHeaderSize(c.version), c.header);
        const std::vector<uint8_t> first = Record(c, {5, 70000, 4000000000u});
        const std::vector<uint8_t> second = Record(c, {9}, static_cast<uint32_t>(first.size()));
        const std::vector<uint8_t> file = Join(first, second);
        const TBinxReadResult r = ReadBinx(file);
        ASSERT_TRUE(r.Ok()) << r.Message();
        ASSERT_EQ(r.records.size(), 2u);
        const TBinxRecord& a = r.records[0];
        EXPECT_EQ(a.version, c.version);
        EXPECT_EQ(a.number, 1);
        EXPECT_EQ(a.offset, 0u);
        EXPECT_EQ(a.length, first.size());
        EXPECT_EQ(a.position, 7);
        EXPECT_EQ(a.run, 3);
        EXPECT_EQ(a.set, 2);
        EXPECT_EQ(a.grain, 12);
        EXPECT_EQ(a.lumType, 1);
        EXPECT_EQ(a.lightSource, 4);
        EXPECT_EQ(a.dataType, 6);
        EXPECT_EQ(a.tag, 1);
        EXPECT_FLOAT_EQ(a.high, 40.0f);
        EXPECT_FLOAT_EQ(a.irrTime, 123.5f);
        EXPECT_EQ(a.hasDoseRate, c.doseRate >= 0);
        EXPECT_FLOAT_EQ(a.doseRate, c.doseRate >= 0 ? 0.0835f : 0.0f);
        EXPECT_EQ(a.sample, "QZ-12");
        EXPECT_EQ(a.date, "160326");
        EXPECT_EQ(a.counts, (std::vector<uint32_t>{5, 70000, 4000000000u}));
        EXPECT_EQ(r.records[1].offset, first.size());
        EXPECT_EQ(r.records[1].number, 2);
        EXPECT_EQ(r.records[1].counts, std::vector<uint32_t>{9});
        EXPECT_TRUE(r.warnings.empty());
    }
}

TEST(BinxReader, ATruncatedFileNamesTheRecordAndItsOffset) {
    for (const TVersionCase& c : kCases) {
        const std::vector<uint8_t> first = Record(c, {1, 2, 3});
        const std::vector<uint8_t> file = Join(first, Record(c, {4, 5, 6}, first.size()));
        // Cut inside the framing, the header and the counts of the second record.
        for (const std::size_t keep : {first.size() + 3, first.size() + 100, file.size() - 1}) {
            SCOPED_TRACE("version " + std::to_string(c.version) + ", " + std::to_string(keep) +
                         " bytes");
            const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(keep));
            const TBinxReadResult r = ReadBinx(cut);
            EXPECT_EQ(r.failure, TBinxFailure::Damaged);
            EXPECT_EQ(r.failedRecord, 2);
            EXPECT_EQ(r.failedOffset, first.size());
            EXPECT_EQ(r.Message().rfind("record 2 at byte " + std::to_string(first.size()) + ": ", 0),
                      0u)
                << r.Message();
            EXPECT_TRUE(r.records.empty());
        }
    }
}

TEST(BinxReader, LyingLengthsAndCountsAreRefusedWithoutReadingBeyondTheFile) {
    const TVersionCase& v3 = kCases[0];
    const TVersionCase& v7 = kCases[4];
    struct TCase {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<TCase> cases;
    {
        std::vector<uint8_t> b = Record(v7, {1, 2});
        Put32(b, 2, static_cast<uint32_t>(b.size() + 4));  // LENGTH four bytes too long
        cases.push_back({"LENGTH beyond NPOINTS", b, "LENGTH 459 does not match NPOINTS 2"});
    }
    {
        std::vector<uint8_t> b = Record(v7, {1, 2});
        Put32(b, 10, 0xFFFFFFFFu);  // a huge count
        cases.push_back({"huge NPOINTS", b, "does not match NPOINTS 4294967295"});
    }
    {
        std::vector<uint8_t> b = Record(v3, {1});
        Put16(b, 2, 100);  // shorter than the header
        Put16(b, 6, 0);
        cases.push_back({"LENGTH below the header", b, "LENGTH 100 does not match NPOINTS 0"});
    }
    {
        // The length and the count agree, but the file holds less.
        std::vector<uint8_t> b = Record(v7, {1, 2});
        Put32(b, 10, 1000);
        Put32(b, 2, 447 + 4000);
        cases.push_back({"counts beyond the end", b, "the file ends inside the record (455 of 4447 bytes)"});
    }
    {
        std::vector<uint8_t> b = Join(Record(v3, {1}), Record(v3, {2}));
        b[276] = 9;  // version byte of record 2
        cases.push_back({"a bad version later", b, "record 2 at byte 276: the version bytes 9 0"});
    }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TBinxReadResult r = ReadBinx(c.bytes);
        EXPECT_EQ(r.failure, TBinxFailure::Damaged);
        EXPECT_NE(r.Message().find(c.message), std::string::npos) << r.Message();
    }
}

TEST(BinxReader, OtherFilesAreNoBinxFiles) {
    const std::string text = "Run,Disk,Counts\n1,2,3\n";
    const std::vector<std::vector<uint8_t>> files = {
        {}, std::vector<uint8_t>(text.begin(), text.end()), {3, 1, 0, 0}, {9, 0, 0, 0}};
    for (const auto& f : files) {
        const TBinxReadResult r = ReadBinx(f);
        EXPECT_EQ(r.failure, TBinxFailure::NotBinx) << r.Message();
        EXPECT_FALSE(r.Message().empty());
    }
}

TEST(BinxReader, RoiRecordsAreSteppedOverAndAWrongPreviousIsReported) {
    const TVersionCase& v8 = kCases[5];
    // A region-of-interest record: one 504-byte definition, no counts.
    std::vector<uint8_t> roi(507 + 504, 0);
    roi[0] = 8;
    Put32(roi, 2, static_cast<uint32_t>(roi.size()));
    Put32(roi, 10, 1);
    roi[14] = 128;
    std::vector<uint8_t> curve = Record(v8, {7, 8}, 999);  // PREVIOUS should be 1011
    const TBinxReadResult r = ReadBinx(Join(roi, curve));
    ASSERT_TRUE(r.Ok()) << r.Message();
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].recordType, 128);
    EXPECT_TRUE(r.records[0].counts.empty());
    EXPECT_EQ(r.records[1].counts, (std::vector<uint32_t>{7, 8}));
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("Record 2 at byte 1011: PREVIOUS 999"), std::string::npos);
}
