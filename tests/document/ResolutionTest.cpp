// A picture's resolution survives opening and saving: through BMP, TIFF, JPEG
// and the native document, read back by Quillory and by Pillow.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageFields.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentHeader.h"
#include "document/DocumentIO.h"
#include "document/UndoHistory.h"
#include "document/QvxFormat.h"
#include "support/HelperPrograms.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

constexpr const char* kPython = test::kPython3;

// Pillow's reading of a file's resolution, rounded to whole dots per inch; (0, 0) when it finds none.
std::pair<int, int> PillowDpi(const std::string& path) {
    const std::string command = std::string(kPython) +
                                " -c 'import sys; from PIL import Image; d = Image.open(sys.argv[1]).info.get(\"dpi\", "
                                "(0, 0)); print(round(float(d[0])), round(float(d[1])))' '" +
                                path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, -1};
    int x = -1, y = -1;
    if (std::fscanf(pipe, "%d %d", &x, &y) != 2) x = y = -1;
    pclose(pipe);
    return {x, y};
}

std::pair<int, int> QuilloryDpi(const std::string& path, int format) {
    NyZazo picture;
    if (!picture.Load(path, format)) return {-1, -1};
    return {picture.dpiX, picture.dpiY};
}

// A small striped picture at the given resolution, written by Quillory's own writer.
void WritePicture(const std::string& path, int format, int dpiX, int dpiY) {
    NyZazo picture(13, 7, 24, format);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) picture.SetPixelColour(x, y, MakeQuad(uint8_t(x * 19), uint8_t(y * 30), 90));
    picture.SetDpiX(dpiX);
    picture.SetDpiY(dpiY);
    ASSERT_TRUE(picture.Save(path, format)) << path;
}

bool OpenAndSave(const std::string& from, const std::string& to) {
    CVandDoc document;
    return document.OpenDocument(from) && document.SaveDocument(to);
}

}  // namespace

TEST(Resolution, SurvivesConvertAndTheNativeDocumentInEveryFormat) {
    ASSERT_TRUE(test::HavePythonModules({"PIL"}));
    test::TempDir dir;
    test::RecordingPlatform platform;
    for (int format : {kFormatBmp, kFormatTiff, kFormatJpeg}) {
        const std::string ext = PrimaryExtension(format);
        for (int dpi : {96, 150, 300, 2540}) {
            const std::string name = std::to_string(dpi) + "." + ext;
            const std::string source = dir.File("source" + name);
            WritePicture(source, format, dpi, dpi);
            ASSERT_EQ(QuilloryDpi(source, format), std::make_pair(dpi, dpi)) << source;

            // convert: open, then save by extension.
            const std::string converted = dir.File("converted" + name);
            ASSERT_TRUE(OpenAndSave(source, converted)) << converted;
            // open, save .qvx, open, save again.
            const std::string native = dir.File("doc" + std::to_string(dpi) + ".qvx");
            const std::string back = dir.File("back" + name);
            ASSERT_TRUE(OpenAndSave(source, native));
            ASSERT_TRUE(OpenAndSave(native, back));
            for (const std::string& path : {converted, back}) {
                EXPECT_EQ(QuilloryDpi(path, format), std::make_pair(dpi, dpi)) << path;
                EXPECT_EQ(PillowDpi(path), std::make_pair(dpi, dpi)) << path;
            }
        }
    }
    // The two axes are kept apart.
    const std::string wide = dir.File("wide.tif");
    WritePicture(wide, kFormatTiff, 300, 150);
    ASSERT_TRUE(OpenAndSave(wide, dir.File("wide.jpg")));
    EXPECT_EQ(QuilloryDpi(dir.File("wide.jpg"), kFormatJpeg), std::make_pair(300, 150));
    EXPECT_EQ(PillowDpi(dir.File("wide.jpg")), std::make_pair(300, 150));
    EXPECT_TRUE(platform.messages.empty());
}

TEST(Resolution, PillowsFilesAreReadWithTheirResolution) {
    ASSERT_TRUE(test::HavePythonModules({"PIL"}));
    test::TempDir dir;
    const std::string script = std::string(kPython) +
                               " -c 'import sys; from PIL import Image; im = Image.new(\"RGB\", (9, 5), (10, 200, 30)); "
                               "[im.save(sys.argv[1] + e, dpi=(240, 120)) for e in (\".jpg\", \".bmp\", \".tif\")]' '" +
                               dir.File("pillow") + "'";
    ASSERT_EQ(std::system(script.c_str()), 0);
    for (int format : {kFormatJpeg, kFormatBmp, kFormatTiff}) {
        const std::string path = dir.File(std::string("pillow.") + PrimaryExtension(format));
        EXPECT_EQ(QuilloryDpi(path, format), std::make_pair(240, 120)) << path;
    }
}

TEST(Resolution, JpegDensityUnits) {
    test::TempDir dir;
    // Quillory writes 300 dpi as a JFIF density in dots per inch.
    const std::string path = dir.File("d.jpg");
    WritePicture(path, kFormatJpeg, 300, 300);
    std::vector<uint8_t> bytes = test::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 20u);
    ASSERT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 11), std::string("JFIF\0", 5));
    EXPECT_EQ(bytes[13], 1);
    EXPECT_EQ(bytes[14] << 8 | bytes[15], 300);

    const auto rewrite = [&](uint8_t unit, int x, int y) {
        bytes[13] = unit;
        bytes[14] = uint8_t(x >> 8), bytes[15] = uint8_t(x);
        bytes[16] = uint8_t(y >> 8), bytes[17] = uint8_t(y);
        const std::string out = dir.File("rewritten.jpg");
        EXPECT_TRUE(test::WriteFileBytes(out, bytes));
        return QuilloryDpi(out, kFormatJpeg);
    };
    // Dots per centimetre are converted to the inch: 118 per cm is 299.72 dpi.
    EXPECT_EQ(rewrite(2, 118, 59), std::make_pair(300, 150));
    // An aspect ratio alone says nothing of the size: the default stays.
    EXPECT_EQ(rewrite(0, 1, 2), std::make_pair(72, 72));
    EXPECT_EQ(rewrite(1, 0, 0), std::make_pair(72, 72));

    // A picture at the default 72 dpi keeps the library's density: aspect 1:1, no unit.
    const std::string plain = dir.File("plain.jpg");
    WritePicture(plain, kFormatJpeg, 72, 72);
    const std::vector<uint8_t> defaults = test::ReadFileBytes(plain);
    EXPECT_EQ(defaults[13], 0);
    EXPECT_EQ(defaults[14] << 8 | defaults[15], 1);
    // A resolution too fine for 16-bit inches goes out per centimetre.
    WritePicture(path, kFormatJpeg, 100000, 100000);
    EXPECT_EQ(QuilloryDpi(path, kFormatJpeg), std::make_pair(100000, 100000));
}

TEST(Resolution, TheNativeHeaderKeepsItBehindItsTag) {
    DocumentHeader header;
    header.dpiX = 2540;
    header.dpiY = 1200;
    uint8_t stored[kDocumentHeaderFileBytes];
    StoreDocumentHeader(header, stored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored + DocumentHeaderOffset::resolutionTag), 4), "Qdpi");
    EXPECT_EQ(stored[DocumentHeaderOffset::dpiX], 2540 & 0xFF);
    DocumentHeader read;
    LoadDocumentHeader(stored, read);
    EXPECT_EQ(read.dpiX, 2540);
    EXPECT_EQ(read.dpiY, 1200);
    // Leftover memory values in the pointer places of other writers' files are no resolution.
    stored[DocumentHeaderOffset::resolutionTag] = 0;
    LoadDocumentHeader(stored, read);
    EXPECT_EQ(read.dpiX, kDefaultDpi);
    EXPECT_EQ(read.dpiY, kDefaultDpi);
}

TEST(Resolution, EditsNewPicturesAndCopiesKeepIt) {
    test::TempDir dir;
    test::RecordingPlatform platform;
    const std::string source = dir.File("s.bmp");
    WritePicture(source, kFormatBmp, 600, 600);
    CVandDoc document;
    ASSERT_TRUE(document.OpenDocument(source));
    EXPECT_EQ(document.Header().dpiX, 600);
    CommandRegistry& registry = CommandRegistry::Instance();
    for (int command : {cmd::kRemoveTransparency, cmd::kToggleAlphaPalette, cmd::kStripAlpha, cmd::kLayerAdd,
                        cmd::kLayerFlatten})
        ASSERT_TRUE(registry.Execute(command, document)) << command;
    ASSERT_TRUE(document.History().Undo());
    const std::string saved = dir.File("edited.tif");
    ASSERT_TRUE(document.SaveDocument(saved));
    EXPECT_EQ(QuilloryDpi(saved, kFormatTiff), std::make_pair(600, 600));

    NewPictureSettings settings;
    CVandDoc copy;
    ASSERT_TRUE(DocumentIO::DuplicateDocument(document, copy, settings));
    EXPECT_EQ(copy.Header().dpiX, 600);

    CVandDoc fresh;
    ASSERT_TRUE(fresh.NewDocument(NewPictureSettings{}));
    EXPECT_EQ(fresh.Header().dpiX, kDefaultDpi);
    EXPECT_EQ(fresh.Header().dpiY, kDefaultDpi);
}
