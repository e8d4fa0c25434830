// The solutions log: solution lines and the block byte for byte against hand-written text,
// the single-byte encoding, appending, and a file that cannot be written.
#include "analysis/solutions_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "temp_folder.h"

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

void SetDiagonal(double* cov, std::initializer_list<double> variances) {
    int i = 0;
    for (double v : variances) {
        cov[i * TFitRecord::kMaxParams + i] = v;
        ++i;
    }
}

// Regenerative (method 5): the curve-2 fields follow the error model at once.
TSolutionRecord Regenerative() {
    TSolutionRecord s;
    s.Kind = "Temp.";
    s.From = "320";
    s.To = "325";
    TFitRecord& f = s.Fit;
    f.Method = 5;
    f.ErrorModel = 2;
    f.ResultCode = 0;
    f.ED = 38.98;
    f.EDError = 1.5;
    f.Code1 = 8;
    f.Code2 = 8;
    f.Count1 = 4;
    f.Count2 = 12;
    f.NParams2 = 3;
    f.ChiSquare2 = 3.5;
    f.P2 = 0.25;
    f.Params2[0] = 1000;
    f.Params2[1] = 900;
    f.Params2[2] = 0.01;
    SetDiagonal(f.Cov2, {100, 2.25, 1e-6});
    return s;
}

// Additive (method 2) with a straight line: R^2 is written.
TSolutionRecord Additive() {
    TSolutionRecord s;
    s.Kind = "Chan.";
    s.From = "7";
    TFitRecord& f = s.Fit;
    f.Method = 2;
    f.ResultCode = 0;
    f.ED = 10;
    f.EDError = 0.5;
    f.Code1 = 1;
    f.Count1 = 16;
    f.NParams1 = 2;
    f.R2_1 = 0.9876;
    f.ChiSquare1 = 12.5;
    f.P1 = 0.5;
    f.Params1[0] = 100;
    f.Params1[1] = 10;
    SetDiagonal(f.Cov1, {4, 0.25});
    return s;
}

// Slide (method 6): both point counts, and the scale factor after the curve-1 pairs.
TSolutionRecord Slide() {
    TSolutionRecord s;
    s.Kind = "Chan.";
    s.From = "12";
    TFitRecord& f = s.Fit;
    f.Method = 6;
    f.ResultCode = -12;
    f.ED = 41.5;
    f.EDError = 2.25;
    f.Code1 = 8;
    f.Count1 = 5;
    f.Count2 = 4;
    f.NParams1 = 3;
    f.Params1[0] = 1;
    f.Params1[1] = 2;
    f.Params1[2] = 3;
    f.NParams2 = 0;
    f.Params2[0] = 1.25;
    SetDiagonal(f.Cov2, {0.0625});
    return s;
}

TEST(SolutionsLog, LinesByMethod) {
    const std::string pairs12 = Repeat(",,", 12);
    struct Case {
        TSolutionRecord solution;
        std::string line;
    } cases[] = {
        {Regenerative(),
         "Temp.,320,325, 3.898E+1,    1.500,O.K.,Regenerative,Calculated errors,"
         "\"F(X) = A1 + A2 exp(-A3 X)\",12,,3.50,2.5E+1,"
         "1.0000E+3,1.0000E+1,9.0000E+2,1.5000,1.0000E-2,1.0000E-3," +
             pairs12},
        {Additive(),
         "Chan.,  7,   , 1.000E+1, 5.000E-1,O.K.,Additive,Equal errors,"
         "\"F(X) = A1 + A2 X\",16, 9.876E-1,1.25E+1,5.0E+1,"
         "1.0000E+2,2.0000,1.0000E+1,5.0000E-1," +
             Repeat(",,", 13)},
        {Slide(),
         "Chan., 12,   , 4.150E+1,    2.250,Warning: unsuccessful minimum finding,Reg/Add - slide,"
         "Equal errors,\"F(X) = A1 + A2 exp(-A3 X)\",9,,0.00,0.0,"
         "1.0000,0.0000,2.0000,0.0000,3.0000,0.0000," +
             pairs12 + "1.2500,2.5000E-1"},
        {TSolutionRecord{}, ",   ,   ,    0.000,    0.000,Solution not available,,Equal errors,"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(SolutionsLogLine(c.solution, ','), c.line);
    }
}

TEST(SolutionsLog, LocaleSeparatorAndDecimalComma) {
    EXPECT_EQ(SolutionsLogLine(Additive(), ';', ","),
              "Chan.;  7;   ; 1,000E+1; 5,000E-1;O.K.;Additive;Equal errors;"
              "\"F(X) = A1 + A2 X\";16; 9,876E-1;1,25E+1;5,0E+1;"
              "1,0000E+2;2,0000;1,0000E+1;5,0000E-1;" +
                  Repeat(";;", 13));
}

TEST(SolutionsLog, BlockAndFileBytes) {
    TSolutionArray solutions;
    solutions.Entries = {Additive(), TSolutionRecord{}};
    TSolutionsLogInput in;
    in.Solutions = &solutions;
    in.DataFile = "/data/K\u00fcche/S12.DAT";
    in.FileTimeOfDay = "10:20:30";
    in.ComputedOn = "12/11/26";
    in.DeviceText = "OSL#1 90.2% @125 43.20s";
    in.MethodText = "Additive growth curve";

    std::string header =
        "\"No#\",\"from\",\"to\",\"Result\",\"Uncertainty\",\"Note\",\"Method\","
        "\"Error model\",";
    for (const char* n : {"1", "2"}) {
        header += std::string("\"Function#") + n + "\",\"Pts#" + n + "\",\"R^2\",\"chi^2\",\"P%\",";
        for (int i = 1; i <= 15; ++i) header += "\"a" + std::to_string(i) + "\",\"\u00b1\",";
    }
    const std::string expected =
        "\"====================================================================\"\r\n"
        "\"Solutions for data file: \",\"/data/K\u00fcche/S12.DAT\"\r\n"
        "\"Data file time stamp: \",\"10:20:30\",\"computed on: \",\"12/11/26\"\r\n"
        "\"Selected device: \",\"OSL#1 90.2% @125 43.20s\"\r\n"
        "\"Selected method: \",\"Additive growth curve\"\r\n"
        ",,\"doses: \"\r\n"
        "\r\n" +
        header + "\r\n" + SolutionsLogLine(Additive(), ',') + "\r\n" +
        SolutionsLogLine(TSolutionRecord{}, ',') + "\r\n\r\n";
    EXPECT_EQ(SolutionsLogBlock(in), expected);
    EXPECT_EQ(std::string(68, '='),
              "====================================================================");

    in.BleachingText = "BL(120.0/SOLAR)";
    const std::string withBleach = SolutionsLogBlock(in);
    EXPECT_NE(withBleach.find("\r\n\"Selected bleaching: \",\"BL(120.0/SOLAR)\",\"doses: \"\r\n"),
              std::string::npos);

    // Two writes: two whole blocks in ISO 8859-1.
    TTempFolder folder;
    const std::string path = folder.File("S12.lgf");
    std::string error;
    in.BleachingText.clear();
    ASSERT_TRUE(AppendSolutionsLog(path, in, error)) << error;
    ASSERT_TRUE(AppendSolutionsLog(path, in, error)) << error;
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    const std::string block = Latin1FromUtf8(expected);
    EXPECT_EQ(bytes, block + block);
    EXPECT_NE(block.find("/data/K\xFC"
                         "che/S12.DAT"),
              std::string::npos);
    EXPECT_NE(block.find("\"a15\",\"\xB1\",\r\n"), std::string::npos);
    EXPECT_EQ(block.find("\xC2"), std::string::npos);

    EXPECT_FALSE(AppendSolutionsLog(folder.File("missing/S12.lgf"), in, error));
    EXPECT_FALSE(error.empty());
}

TEST(SolutionsLog, SingleByteText) {
    struct Case {
        std::string utf8, latin1;
    } cases[] = {
        {"plain", "plain"},
        {"\u00b1 \u00e9", "\xB1 \xE9"},
        {"\u20ac5", "?5"},            // beyond ISO 8859-1
        {"\xF0\x9F\x98\x80!", "?!"},  // four bytes
        {"\xC3", "?"},                // cut short
        {"\x80x", "?x"},              // a stray continuation byte
    };
    for (const Case& c : cases) EXPECT_EQ(Latin1FromUtf8(c.utf8), c.latin1) << c.utf8;
}

}  // namespace
