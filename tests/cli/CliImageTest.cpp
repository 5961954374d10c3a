// Runs the real quillory-cli binary.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;

using test::QuotePath;
using test::RunCli;

TEST(CliInfo, DescribesABmpAsJson) {
    test::TempDir dir;
    NyZazo p(7, 3, 8, 1);
    p.SetDpiX(300);
    ASSERT_TRUE(p.Save(dir.File("a.bmp"), 1));
    test::CliResult r = RunCli("info " + QuotePath(dir.File("a.bmp")));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"format\": 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"width\": 7"), std::string::npos);
    EXPECT_NE(r.out.find("\"height\": 3"), std::string::npos);
    EXPECT_NE(r.out.find("\"bitCount\": 8"), std::string::npos);
    EXPECT_NE(r.out.find("\"clrUsed\": 256"), std::string::npos);
    EXPECT_NE(r.out.find("\"dpiX\": 300"), std::string::npos);
    EXPECT_NE(r.out.find("\"frameIndex\": 0"), std::string::npos);
    EXPECT_NE(r.out.find("\"frameCount\""), std::string::npos);
}

TEST(CliInfo, DescribesAPsdAsJson) {
    test::TempDir dir;
    // Version-one PSD, 3 raw 8-bit RGB channels of 2 × 1 pixels, no resources or layers.
    std::vector<uint8_t> psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 8, 0, 3};
    psd.insert(psd.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    psd.insert(psd.end(), {10, 20, 30, 40, 50, 60});
    ASSERT_TRUE(test::WriteFileBytes(dir.File("a.psd"), psd));
    test::CliResult r = RunCli("info " + QuotePath(dir.File("a.psd")));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\"format\": 7"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"width\": 2"), std::string::npos);
    EXPECT_NE(r.out.find("\"bitCount\": 24"), std::string::npos);
}

TEST(CliInfo, FailureIsALastErrorObject) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("bad.bmp"), {'B', 'M', 1, 2, 3});
    test::CliResult r = RunCli("info " + QuotePath(dir.File("bad.bmp")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("{\"lastError\": \"", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(dir.File("bad.bmp")), std::string::npos) << r.out;
}

TEST(CliConvert, ConvertsAndLeavesNoPartialOutputOnFailure) {
    test::TempDir dir;
    NyZazo p(5, 4, 24, 1);
    p.SetPixelColour(1, 1, MakeQuad(10, 20, 30));
    ASSERT_TRUE(p.Save(dir.File("in.bmp"), 1));
    test::CliResult ok = RunCli("convert " + QuotePath(dir.File("in.bmp")) + " " + QuotePath(dir.File("out.bmp")));
    EXPECT_EQ(ok.status, 0);
    NyZazo q;
    ASSERT_TRUE(q.Load(dir.File("out.bmp"), 1));
    EXPECT_EQ(q.GetPixelColour(1, 1), MakeQuad(10, 20, 30));

    test::CliResult unwritable = RunCli("convert " + QuotePath(dir.File("in.bmp")) + " " + QuotePath(dir.File("out.pcx")), true);
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_FALSE(unwritable.out.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.pcx")));

    test::CliResult missing = RunCli("convert " + QuotePath(dir.File("none.bmp")) + " " + QuotePath(dir.File("x.bmp")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
}
