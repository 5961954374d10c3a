// Pages of multi-page TIFF files and frames of animated GIF files through the
// command line: info counts them, --page (from 1) picks one for info, convert
// and run, a page the file lacks is an error, and one page never overwrites its file.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <string>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoGIF.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

struct Page {
    int width, height;
    uint8_t red, green, blue;
};
const Page kPages[] = {{4, 3, 200, 0, 0}, {6, 5, 0, 0, 200}, {2, 2, 0, 200, 0}};

bool WriteThreePageTiff(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    bool ok = true;
    for (const Page& page : kPages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        std::vector<uint8_t> row;
        for (int x = 0; x < page.width; ++x) row.insert(row.end(), {page.red, page.green, page.blue});
        for (int y = 0; y < page.height; ++y) ok = ok && TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) >= 0;
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

// Two frames of the same 8-bit grey screen: black, then a white 2 × 2 square replacing it.
bool WriteTwoFrameGif(const std::string& path) {
    std::vector<std::vector<uint8_t>> files;
    for (const int size : {5, 2}) {
        NyZazo picture(size, size, 8, kFormatGif);
        picture.SetGreyPalette();
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) picture.SetPixelIndex(x, y, size == 5 ? 0 : 255);
        NyZazoGIF codec;
        codec.ShareFrom(picture);
        codec.disposal = 1;
        ImageStream stream(ImageStream::kMemory);
        if (!codec.Encode(stream)) return false;
        files.emplace_back(stream.data(), stream.data() + stream.size());
    }
    // The first file's header and 256-colour table, then each file's frame, then the trailer.
    const size_t head = 13 + 3 * 256;
    std::vector<uint8_t> out(files[0].begin(), files[0].begin() + long(head));
    for (const auto& f : files) out.insert(out.end(), f.begin() + long(head), f.end() - 1);
    out.push_back(0x3B);
    return test::WriteFileBytes(path, out);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Size and the colour of the top-left pixel of a written BMP.
std::string Looks(const std::string& path) {
    NyZazo picture;
    if (!picture.Load(path, kFormatBmp)) return "unreadable";
    const RGBQUAD c = picture.GetPixelColour(0, picture.Height() - 1);
    return std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) + " " + std::to_string(c.red) +
           "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

}  // namespace

TEST(CliPages, InfoCountsThePagesAndDescribesTheOneAsked) {
    test::TempDir dir;
    const std::string tif = QuotePath(dir.File("three.tif"));
    ASSERT_TRUE(WriteThreePageTiff(dir.File("three.tif")));
    const test::CliResult first = RunCli("info " + tif);
    EXPECT_EQ(first.status, 0);
    EXPECT_TRUE(Has(first.out, "\"width\": 4")) << first.out;
    EXPECT_TRUE(Has(first.out, "\"page\": 1, \"pageCount\": 3")) << first.out;
    const test::CliResult second = RunCli("info --page 2 " + tif);
    EXPECT_EQ(second.status, 0);
    EXPECT_TRUE(Has(second.out, "\"width\": 6")) << second.out;
    EXPECT_TRUE(Has(second.out, "\"page\": 2, \"pageCount\": 3")) << second.out;
    const test::CliResult missing = RunCli("info " + tif + " --page 4");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "{\"lastError\": \"no page 4: the file has 3 pages\"}\n");
    for (const char* bad : {"--page 0", "--page x", "--page -1", "--page"})
        EXPECT_EQ(RunCli("info " + tif + " " + bad).status, 2) << bad;

    // A picture of one page has page 1 only.
    NyZazo single(3, 3, 24, kFormatBmp);
    ASSERT_TRUE(single.Save(dir.File("one.bmp"), kFormatBmp));
    EXPECT_TRUE(Has(RunCli("info " + QuotePath(dir.File("one.bmp"))).out, "\"page\": 1, \"pageCount\": 1"));
    const test::CliResult past = RunCli("info --page 2 " + QuotePath(dir.File("one.bmp")));
    EXPECT_EQ(past.status, 1);
    EXPECT_TRUE(Has(past.out, "no page 2: the file has 1 page\"")) << past.out;
}

TEST(CliPages, ConvertWritesThePageAskedAndNothingForAMissingOne) {
    test::TempDir dir;
    ASSERT_TRUE(WriteThreePageTiff(dir.File("three.tif")));
    const std::string tif = QuotePath(dir.File("three.tif"));
    EXPECT_EQ(RunCli("convert " + tif + " " + QuotePath(dir.File("p1.bmp"))).status, 0);
    EXPECT_EQ(Looks(dir.File("p1.bmp")), "4x3 200,0,0");
    EXPECT_EQ(RunCli("convert --page 2 " + tif + " " + QuotePath(dir.File("p2.bmp"))).status, 0);
    EXPECT_EQ(Looks(dir.File("p2.bmp")), "6x5 0,0,200");
    EXPECT_EQ(RunCli("convert " + tif + " " + QuotePath(dir.File("p3.bmp")) + " --page 3").status, 0);
    EXPECT_EQ(Looks(dir.File("p3.bmp")), "2x2 0,200,0");

    const test::CliResult missing = RunCli("convert --page 7 " + tif + " " + QuotePath(dir.File("p7.bmp")), true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.out, "no page 7: the file has 3 pages")) << missing.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("p7.bmp")));

    // One page written over the file it came from would lose the others.
    const std::vector<uint8_t> before = test::ReadFileBytes(dir.File("three.tif"));
    const test::CliResult over = RunCli("convert --page 2 " + tif + " " + tif, true);
    EXPECT_EQ(over.status, 1);
    EXPECT_TRUE(Has(over.out, "other pages")) << over.out;
    EXPECT_EQ(test::ReadFileBytes(dir.File("three.tif")), before);
}

TEST(CliPages, ScriptsOpenThePageAsked) {
    test::TempDir dir;
    ASSERT_TRUE(WriteThreePageTiff(dir.File("three.tif")));
    auto script = [&](const std::string& text) {
        EXPECT_TRUE(test::WriteFileBytes(dir.File("s.txt"), std::vector<uint8_t>(text.begin(), text.end())));
        return QuotePath(dir.File("s.txt"));
    };
    const std::string tif = dir.File("three.tif");
    EXPECT_EQ(RunCli("run " + script("open " + tif + " --page 3\nsave " + dir.File("a.bmp") + "\n")).status, 0);
    EXPECT_EQ(Looks(dir.File("a.bmp")), "2x2 0,200,0");
    // The command line's page serves open lines that name none.
    EXPECT_EQ(RunCli("run --page 2 " + script("open " + tif + "\nsave " + dir.File("b.bmp") + "\n")).status, 0);
    EXPECT_EQ(Looks(dir.File("b.bmp")), "6x5 0,0,200");

    const test::CliResult missing = RunCli("run " + script("open " + tif + " --page 9\n"), true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.out, "line 1: no page 9: the file has 3 pages\n")) << missing.out;
    EXPECT_EQ(RunCli("run " + script("open " + tif + " --page none\n")).status, 1);

    // Saved under a new name first, the page may then be saved again there.
    const test::CliResult over = RunCli("run " + script("open " + tif + "\nsave " + tif + "\n"), true);
    EXPECT_EQ(over.status, 1);
    EXPECT_TRUE(Has(over.out, "line 2: writing one page over")) << over.out;
    const std::string copy = dir.File("copy.tif");
    EXPECT_EQ(RunCli("run " + script("open " + tif + " --page 2\nsave " + copy + "\nsave " + copy + "\n")).status, 0);
    EXPECT_TRUE(Has(RunCli("info " + QuotePath(copy)).out, "\"width\": 6, \"height\": 5"));
}

TEST(CliPages, FramesOfAnAnimatedGifArePages) {
    test::TempDir dir;
    ASSERT_TRUE(WriteTwoFrameGif(dir.File("two.gif")));
    const std::string gif = QuotePath(dir.File("two.gif"));
    EXPECT_TRUE(Has(RunCli("info " + gif).out, "\"pageCount\": 2")) << RunCli("info " + gif).out;
    EXPECT_EQ(RunCli("convert --page 1 " + gif + " " + QuotePath(dir.File("f1.bmp"))).status, 0);
    EXPECT_EQ(Looks(dir.File("f1.bmp")), "5x5 0,0,0");
    EXPECT_EQ(RunCli("convert --page 2 " + gif + " " + QuotePath(dir.File("f2.bmp"))).status, 0);
    EXPECT_EQ(Looks(dir.File("f2.bmp")), "5x5 255,255,255");
    const test::CliResult missing = RunCli("info --page 3 " + gif);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.out, "no page 3: the file has 2 pages")) << missing.out;
}
