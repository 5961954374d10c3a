// Opening judges the memory a document needs from the picture's header before
// decoding, and refuses pictures past the limit with a message.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/PictureProbe.h"
#include "document/CVandDoc.h"
#include "document/DocumentBudget.h"
#include "document/DocumentTexts.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;
namespace fs = std::filesystem;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

void Le16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Le32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Le16(b, at, v & 0xFFFF);
    Le16(b, at + 2, v >> 16);
}

// A GIF of 1,540 bytes whose screen and only frame claim 26762 x 24101 pixels.
std::vector<uint8_t> HugeGif() {
    std::vector<uint8_t> b(1540, 0);
    std::memcpy(b.data(), "GIF89a", 6);
    Le16(b, 6, 26762);
    Le16(b, 8, 24101);
    b[10] = 0x80;  // a global table of 2 colours
    b[16] = b[17] = b[18] = 255;
    size_t at = 19;
    b[at] = 0x2C;
    Le16(b, at + 5, 26762);
    Le16(b, at + 7, 24101);
    at += 10;
    b[at++] = 2;  // LZW minimum code size, then sub-blocks of data
    while (at + 256 < b.size() - 2) {
        b[at] = 255;
        at += 256;
    }
    b[b.size() - 2] = 0;
    b[b.size() - 1] = 0x3B;
    return b;
}

// A run-length BMP of 3,801,216 x 128 pixels at 8 bits whose data ends at once.
std::vector<uint8_t> HugeRleBmp() {
    std::vector<uint8_t> b(14 + 40 + 1024 + 4, 0);
    b[0] = 'B', b[1] = 'M';
    Le32(b, 2, uint32_t(b.size()));
    Le32(b, 10, 14 + 40 + 1024);
    Le32(b, 14, 40);
    Le32(b, 18, 3801216);
    Le32(b, 22, 128);
    Le16(b, 26, 1);
    Le16(b, 28, 8);
    Le32(b, 30, 1);  // run-length, 8 bits
    Le32(b, 34, 4);
    Le32(b, 46, 256);
    b[b.size() - 2] = 0, b[b.size() - 1] = 1;  // end of bitmap
    return b;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class ScopedLimit {
public:
    explicit ScopedLimit(const char* mebibytes) {
        if (mebibytes) {
            setenv(kDocumentMemoryVariable, mebibytes, 1);
        } else {
            unsetenv(kDocumentMemoryVariable);
        }
    }
    ~ScopedLimit() { unsetenv(kDocumentMemoryVariable); }
};

bool Probe(const std::vector<uint8_t>& bytes, int format, PictureDimensions& out) {
    ImageStream stream(bytes.data(), uint32_t(bytes.size()));
    return ProbePicture(stream, format, out);
}

}  // namespace

TEST(DocumentBudget, TinyFilesClaimingHugePicturesAreRefusedBeforeDecoding) {
    ScopedLimit defaults(nullptr);
    test::TempDir dir;
    test::RecordingPlatform platform;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* size;
    } cases[] = {{"huge.gif", HugeGif(), "26762 × 24101"}, {"huge.bmp", HugeRleBmp(), "3801216 × 128"}};
    for (const auto& c : cases) {
        const std::string path = dir.File(c.name);
        ASSERT_TRUE(test::WriteFileBytes(path, c.bytes));
        const long before = PeakKilobytes();
        CVandDoc document;
        EXPECT_FALSE(document.OpenDocument(path)) << c.name;
        // Nothing of the picture's size was allocated.
        EXPECT_LT(PeakKilobytes() - before, 64 * 1024) << c.name;
        EXPECT_EQ(document.LayerName(0), "");
        ASSERT_FALSE(platform.messages.empty()) << c.name;
        const std::string& message = platform.messages.back();
        EXPECT_EQ(message.rfind("그림이 너무 커서 열 수 없습니다", 0), 0u) << message;
        EXPECT_NE(message.find(c.size), std::string::npos) << message;
        EXPECT_EQ(document.LastError(), message);
    }
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(fs::file_size(dir.File("huge.gif")), 1540u);
}

TEST(DocumentBudget, TheEnvironmentSetsTheLimit) {
    test::TempDir dir;
    test::RecordingPlatform platform;
    const std::string path = dir.File("square.bmp");
    NyZazo picture(600, 600, 24, kFormatBmp);
    ASSERT_TRUE(picture.Save(path, kFormatBmp));
    {
        ScopedLimit tight("4");  // 600 x 600 needs about 5 MB
        EXPECT_EQ(DocumentMemoryLimit(), 4u << 20);
        CVandDoc document;
        EXPECT_FALSE(document.OpenDocument(path));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_NE(platform.messages[0].find("600 × 600"), std::string::npos) << platform.messages[0];
    }
    {
        // Anything that is not a positive number of MiB leaves the default.
        ScopedLimit broken("lots");
        EXPECT_LE(DocumentMemoryLimit(), kDefaultDocumentMemoryCap);
        EXPECT_GT(DocumentMemoryLimit(), 0u);
        CVandDoc document;
        EXPECT_TRUE(document.OpenDocument(path));
    }
    ScopedLimit raised("65536");
    EXPECT_EQ(DocumentMemoryLimit(), uint64_t(65536) << 20);
}

TEST(DocumentBudget, ANativeDocumentCountsItsLayersAndTheirCopies) {
    test::TempDir dir;
    test::RecordingPlatform platform;
    NewPictureSettings settings;
    settings.width = 900;
    settings.height = 900;
    CVandDoc source;
    ASSERT_TRUE(source.NewDocument(settings));
    const std::string path = dir.File("big.qvx");
    ASSERT_TRUE(source.SaveDocument(path));
    ScopedLimit tight("8");  // the file alone holds about 6 MB
    CVandDoc document;
    EXPECT_FALSE(document.OpenDocument(path));
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back().rfind("문서가 너무 커서 열 수 없습니다", 0), 0u) << platform.messages.back();
}

TEST(PictureProbe, HeadersGiveTheSizeOrFail) {
    PictureDimensions d;
    ASSERT_TRUE(Probe(HugeGif(), kFormatGif, d));
    EXPECT_EQ(d.width, 26762);
    EXPECT_EQ(d.height, 24101);
    EXPECT_EQ(d.bitsPerPixel, 8);
    ASSERT_TRUE(Probe(HugeRleBmp(), kFormatBmp, d));
    EXPECT_EQ(d.width, 3801216);
    EXPECT_EQ(d.bitsPerPixel, 8);

    // A GIF frame larger than its screen counts with its own size, after extension blocks.
    std::vector<uint8_t> gif(40, 0);
    std::memcpy(gif.data(), "GIF87a", 6);
    Le16(gif, 6, 10), Le16(gif, 8, 10);
    gif[13] = 0x21, gif[14] = 0xF9, gif[15] = 4, gif[20] = 0;  // graphic control block
    gif[21] = 0x2C;
    Le16(gif, 26, 300), Le16(gif, 28, 5);
    ASSERT_TRUE(Probe(gif, kFormatGif, d));
    EXPECT_EQ(d.width, 300);
    EXPECT_EQ(d.height, 10);

    // JPEG: segments before the frame header are skipped; one component decodes to grey.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 1, 2, 0xFF, 0xFF, 0xC2, 0, 11, 8, 0x01, 0x2C, 0x02, 0x58, 1};
    ASSERT_TRUE(Probe(jpeg, kFormatJpeg, d));
    EXPECT_EQ(d.width, 600);
    EXPECT_EQ(d.height, 300);
    EXPECT_EQ(d.bitsPerPixel, 8);
    // A segment whose length falls short: the search goes on at the next marker.
    std::vector<uint8_t> resync = {0xFF, 0xD8, 0xFF, 0xEE, 0, 2, 7, 7, 7};
    resync.insert(resync.end(), jpeg.begin() + 10, jpeg.end());
    resync.insert(resync.begin() + 10 - 1, 0xFF);
    ASSERT_TRUE(Probe(resync, kFormatJpeg, d));
    EXPECT_EQ(d.width, 600);
    jpeg[10] = 0xC4;  // a table is not a frame header; the end of data comes first
    EXPECT_FALSE(Probe(jpeg, kFormatJpeg, d));

    // Big-endian TIFF with LONG width and SHORT length; BigTIFF with LONG8 entries.
    std::vector<uint8_t> tiff = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 2,
                                 1, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0, 0,   // width 65536
                                 1, 1, 0, 3, 0, 0, 0, 1, 0, 7, 0, 0};  // length 7
    ASSERT_TRUE(Probe(tiff, kFormatTiff, d));
    EXPECT_EQ(d.width, 65536);
    EXPECT_EQ(d.height, 7);
    EXPECT_EQ(d.bitsPerPixel, 24);

    std::vector<uint8_t> pcx(128, 0);
    pcx[0] = 0x0A, pcx[3] = 8, pcx[65] = 3;
    Le16(pcx, 4, 10), Le16(pcx, 8, 19), Le16(pcx, 10, 4);
    ASSERT_TRUE(Probe(pcx, kFormatPcx, d));
    EXPECT_EQ(d.width, 10);
    EXPECT_EQ(d.height, 5);
    EXPECT_EQ(d.bitsPerPixel, 24);

    // Wrong signatures, short headers, zero sizes and formats without a probe.
    const std::vector<uint8_t> empty;
    for (int format : {kFormatBmp, kFormatGif, kFormatJpeg, kFormatTiff, kFormatPcx, kFormatPsd, kFormatQvx})
        EXPECT_FALSE(Probe(empty, format, d)) << format;
    EXPECT_FALSE(Probe(std::vector<uint8_t>(tiff.begin(), tiff.begin() + 20), kFormatTiff, d));
    pcx[8] = 9;  // xmax below xmin
    EXPECT_FALSE(Probe(pcx, kFormatPcx, d));
    EXPECT_FALSE(Probe(HugeGif(), kFormatBmp, d));
}

// The probe agrees with the decoders on every picture they read: the written
// formats at each depth, the fuzz seeds and the shared corpus.
TEST(PictureProbe, AgreesWithTheDecoders) {
    test::TempDir dir;
    std::vector<std::pair<std::string, int>> files;
    const struct {
        int format, bpp;
    } written[] = {{kFormatBmp, 1}, {kFormatBmp, 4}, {kFormatBmp, 8}, {kFormatBmp, 24}, {kFormatGif, 8},
                   {kFormatJpeg, 24}, {kFormatTiff, 1}, {kFormatTiff, 8}, {kFormatTiff, 24}};
    for (const auto& w : written) {
        NyZazo picture(37, 11, w.bpp, w.format);
        if (w.bpp <= 8) picture.SetGreyPalette();
        const std::string path = dir.File("w" + std::to_string(files.size()) + "." + PrimaryExtension(w.format));
        ASSERT_TRUE(picture.Save(path, w.format)) << path;
        files.emplace_back(path, w.format);
    }
    std::vector<fs::path> folders = {fs::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds"};
    if (test::HaveCorpus()) {
        for (const char* sub : {"bmp", "gif", "jpeg", "pcx", "psd", "tiff"}) folders.push_back(test::CorpusDir() / sub);
    } else {
        std::printf("corpus not found: probing only the written files and the fuzz seeds\n");
    }
    for (const fs::path& folder : folders)
        for (const auto& entry : fs::directory_iterator(folder)) {
            const int format = FormatFromExtension(ExtensionOf(entry.path().string()));
            if (format != kFormatUndetermined && format != kFormatQvx) files.emplace_back(entry.path().string(), format);
        }
    int compared = 0;
    for (const auto& [path, format] : files) {
        NyZazo decoded;
        if (!decoded.Load(path, format) || !decoded.dib) continue;
        PictureDimensions d;
        ASSERT_TRUE(ProbePictureFile(path, format, d)) << path;
        // Turned pictures (orientation tags) swap the sides; a GIF frame may be smaller than its screen.
        const int64_t w = decoded.Width(), h = decoded.Height();
        const bool same = (d.width == w && d.height == h) || (d.width == h && d.height == w);
        if (format == kFormatGif) {
            EXPECT_TRUE(d.width >= w && d.height >= h) << path;
        } else {
            EXPECT_TRUE(same) << path << ": " << d.width << " x " << d.height << " against " << w << " x " << h;
        }
        // Never an estimate below what the decoder made.
        EXPECT_GE(d.bitsPerPixel, decoded.BitCount() == 32 ? 24 : decoded.BitCount()) << path;
        ++compared;
    }
    EXPECT_GE(compared, int(std::size(written)));
}
