// PNG files of every colour type and depth made by Pillow and ImageMagick decode as
// Pillow decodes them; what Quillory writes, Pillow reads back pixel for pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "support/HelperPrograms.h"
#include "support/PictureCompare.h"
#include "support/SecondDecoder.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

struct MadeFile {
    std::string name;
    int width = 0, height = 0;
    int colourType = 0, bitDepth = 0, interlace = 0;
    std::string chunks, maker;
};

const std::string& Script() {
    static const std::string path = std::string(QUILLORY_SOURCE_DIR) + "/tests/support/png_conformance.py";
    return path;
}

// Runs the generator (Pillow, numpy and ImageMagick); false with the reason when it cannot.
bool MakeFiles(const test::TempDir& dir, std::vector<MadeFile>& files, std::string& why) {
    for (const ::testing::AssertionResult& helper :
         {test::HavePythonModules({"PIL", "numpy"}), test::HaveProgram("/usr/bin/convert", "imagemagick")}) {
        if (!helper) {
            why = helper.message();
            return false;
        }
    }
    const std::string command = test::PillowPython() + " '" + Script() + "' make '" + dir.path().string() + "' 2>&1";
    if (std::system(command.c_str()) != 0) {
        why = "the PNG generator tests/support/png_conformance.py failed";
        return false;
    }
    std::ifstream manifest(dir.File("manifest.tsv"));
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        MadeFile f;
        fields >> f.name >> f.width >> f.height >> f.colourType >> f.bitDepth >> f.interlace >> f.chunks >> f.maker;
        files.push_back(f);
    }
    return !files.empty();
}

std::vector<uint8_t> Reference(const std::string& path) { return test::ReadFileBytes(path); }

// The picture depth each kind of file becomes.
int ExpectedDepth(const MadeFile& f, const std::string& name) {
    const bool single = name.find("trns") != std::string::npos;
    switch (f.colourType) {
        case 0:
            if (f.bitDepth == 16) return single ? 32 : 8;
            return f.bitDepth == 2 ? 4 : f.bitDepth;
        case 3:
            if (name == "palette8_alphas") return 32;
            return f.bitDepth == 2 ? 4 : f.bitDepth;
        case 2: return single ? 32 : 24;
        default: return 32;
    }
}

void ExpectSameRgba(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual, const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != actual[i] && differing++ == 0) first = i;
    EXPECT_EQ(differing, 0u) << what << ": first difference at byte " << first << " (pixel " << first / 4 << ")";
}

}  // namespace

TEST(PngConformance, FilesOfOtherProgramsDecodeAsPillowDecodesThem) {
    test::TempDir dir;
    std::vector<MadeFile> files;
    std::string why;
    ASSERT_TRUE(MakeFiles(dir, files, why)) << why;

    std::set<std::pair<int, int>> kinds;
    bool interlaced = false, gamma = false, text = false, transparency = false;
    for (const MadeFile& f : files) {
        SCOPED_TRACE(f.name + " (" + f.maker + ")");
        NyZazo picture;
        ASSERT_TRUE(picture.Load(dir.File(f.name + ".png"), kFormatPng)) << picture.lastError;
        EXPECT_EQ(picture.formatType, kFormatPng);
        EXPECT_EQ(picture.Width(), f.width);
        EXPECT_EQ(picture.Height(), f.height);
        EXPECT_EQ(picture.BitCount(), ExpectedDepth(f, f.name));
        ExpectSameRgba(Reference(dir.File(f.name + ".rgba")), test::ShownRgba(picture), f.name);

        // Every picture read comes back unchanged through Quillory's own writer.
        ImageStream out(ImageStream::kMemory);
        ASSERT_TRUE(picture.Encode(out, kFormatPng)) << picture.lastError;
        ImageStream in(out.data(), out.size());
        NyZazo back;
        ASSERT_TRUE(back.Decode(in, kFormatPng)) << back.lastError;
        test::SamePicture(picture, back);
        EXPECT_EQ(back.transparentIndex, picture.transparentIndex);
        EXPECT_EQ(back.dpiX, picture.dpiX);

        kinds.insert({f.colourType, f.bitDepth});
        interlaced |= f.interlace == 1;
        gamma |= f.chunks.find("gAMA") != std::string::npos;
        text |= f.chunks.find("zTXt") != std::string::npos && f.chunks.find("iTXt") != std::string::npos;
        transparency |= f.chunks.find("tRNS") != std::string::npos;
    }
    EXPECT_TRUE(transparency);
    EXPECT_TRUE(text);
    ASSERT_EQ(files.back().maker, "imagemagick") << "ImageMagick made none of the 2-, 4- and 16-bit files";
    const std::set<std::pair<int, int>> all = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16},
                                               {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    EXPECT_EQ(kinds, all) << "every colour type and bit depth";
    EXPECT_TRUE(interlaced);
    EXPECT_TRUE(gamma);
}

TEST(PngConformance, AnimatedFilesOpenAtTheirFirstFrame) {
    test::TempDir dir;
    std::vector<MadeFile> files;
    std::string why;
    ASSERT_TRUE(MakeFiles(dir, files, why)) << why;
    NyZazo picture;
    ASSERT_TRUE(picture.Load(dir.File("animated.png"), kFormatPng)) << picture.lastError;
    NyZazo still;
    ASSERT_TRUE(still.Load(dir.File("rgb8.png"), kFormatPng));
    test::SamePicture(still, picture);
}

TEST(PngConformance, PillowReadsWhatQuilloryWritesPixelForPixel) {
    ASSERT_TRUE(test::HavePythonModules({"PIL", "numpy"}));
    test::TempDir dir;
    std::map<std::string, std::vector<uint8_t>> expected;
    std::string names;
    for (int depth : {1, 4, 8, 24, 32}) {
        NyZazo picture;
        test::PatternPicture(picture, 29, 11, depth);
        if (depth <= 8) picture.transparentIndex = 1;
        picture.SetDpiX(200);
        picture.SetDpiY(300);
        const std::string name = "depth" + std::to_string(depth) + ".png";
        ASSERT_TRUE(picture.Save(dir.File(name), kFormatPng)) << picture.lastError;
        expected[name] = test::ShownRgba(picture);
        names += " '" + dir.File(name) + "'";
    }
    FILE* pipe = popen((test::PillowPython() + " '" + Script() + "' read" + names).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[512];
    int read = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string name, mode;
        int width = 0, height = 0, dpiX = 0, dpiY = 0;
        fields >> name >> width >> height >> dpiX >> dpiY >> mode;
        SCOPED_TRACE(name + " read by Pillow as " + mode);
        EXPECT_EQ(width, 29);
        EXPECT_EQ(height, 11);
        EXPECT_EQ(dpiX, 200);
        EXPECT_EQ(dpiY, 300);
        ExpectSameRgba(expected[name], test::ReadFileBytes(dir.File(name + ".rgba")), name);
        ++read;
    }
    pclose(pipe);
    EXPECT_EQ(read, 5);
}
