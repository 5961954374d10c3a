// PCX reader: depths and plane layouts from inline files, run-length edge cases,
// every refusal text, and the shared corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoPCX.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

constexpr int kPcx = 4;

struct PcxHeader {
    int bits = 8;
    int planes = 1;
    int width = 1;
    int height = 1;
    int bytesPerLine = 1;
    uint8_t manufacturer = 10;
    uint8_t encoding = 1;
    std::vector<uint8_t> palette16 = {};  // red, green, blue triples
};

std::vector<uint8_t> PcxFile(const PcxHeader& s, const std::vector<uint8_t>& data,
                             const std::vector<uint8_t>& trailer = {}) {
    std::vector<uint8_t> h(128, 0);
    h[0] = s.manufacturer;
    h[1] = 5;
    h[2] = s.encoding;
    h[3] = uint8_t(s.bits);
    PutLe16(&h[8], uint16_t(s.width - 1));
    PutLe16(&h[10], uint16_t(s.height - 1));
    std::copy(s.palette16.begin(), s.palette16.end(), h.begin() + 16);
    h[65] = uint8_t(s.planes);
    PutLe16(&h[66], uint16_t(s.bytesPerLine));
    h.insert(h.end(), data.begin(), data.end());
    h.insert(h.end(), trailer.begin(), trailer.end());
    return h;
}

// Raw bytes as run-length data: values of 192 and above need a run of one.
std::vector<uint8_t> Literal(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out;
    for (uint8_t b : raw) {
        if (b >= 0xC0) out.push_back(0xC1);
        out.push_back(b);
    }
    return out;
}

std::vector<uint8_t> FilePalette(int seed) {
    std::vector<uint8_t> p{12};
    for (int i = 0; i < 256; ++i) {
        p.push_back(uint8_t(i + seed));
        p.push_back(uint8_t(i * 3));
        p.push_back(uint8_t(255 - i));
    }
    return p;
}

bool DecodePcx(const std::vector<uint8_t>& bytes, NyZazo& out) {
    ImageStream stream(bytes.data(), uint32_t(bytes.size()));
    return out.Decode(stream, kPcx);
}

// Colour of the pixel as shown, rows counted from the top.
RGBQUAD Shown(const NyZazo& p, int x, int screenY) { return p.GetPixelColour(x, p.Height() - 1 - screenY); }

}  // namespace

TEST(PcxDecode, TwentyFourBitIsUprightWithRedGreenBluePlanes) {
    // 3 x 2, planes padded to 4 bytes; each line holds the red, green and blue planes.
    PcxHeader s{.bits = 8, .planes = 3, .width = 3, .height = 2, .bytesPerLine = 4};
    const std::vector<uint8_t> raw = {
        10, 11, 12, 0, 20, 21, 22, 0, 30, 31, 32, 0,  // top line
        40, 41, 42, 0, 50, 51, 52, 0, 60, 61, 62, 0,  // bottom line
    };
    NyZazo p;
    ASSERT_TRUE(DecodePcx(PcxFile(s, Literal(raw)), p)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 24);
    EXPECT_EQ(p.formatType, kPcx);
    EXPECT_EQ(Shown(p, 0, 0), MakeQuad(10, 20, 30));
    EXPECT_EQ(Shown(p, 2, 0), MakeQuad(12, 22, 32));
    EXPECT_EQ(Shown(p, 1, 1), MakeQuad(41, 51, 61));
}

TEST(PcxDecode, MonochromeIsBlackOnWhiteWhateverTheHeaderSays) {
    PcxHeader s{.bits = 1, .planes = 1, .width = 13, .height = 2, .bytesPerLine = 2,
              .palette16 = {255, 0, 0, 0, 255, 0}};
    NyZazo p;
    ASSERT_TRUE(DecodePcx(PcxFile(s, Literal({0xA0, 0x08, 0xFF, 0xF8})), p)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 1);
    EXPECT_EQ(p.GetPaletteColour(0), MakeQuad(0, 0, 0));
    EXPECT_EQ(p.GetPaletteColour(1), MakeQuad(255, 255, 255));
    const int topSet[] = {0, 2, 12};
    for (int x = 0; x < 13; ++x) {
        bool set = std::find(std::begin(topSet), std::end(topSet), x) != std::end(topSet);
        EXPECT_EQ(p.GetPixelIndex(x, 1), set ? 1 : 0) << x;
        EXPECT_EQ(p.GetPixelIndex(x, 0), 1) << x;
    }
}

TEST(PcxDecode, SixteenColoursFromFourPlanesUseTheHeaderPalette) {
    std::vector<uint8_t> palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {uint8_t(i * 16), uint8_t(i), uint8_t(200 - i)});
    PcxHeader s{.bits = 1, .planes = 4, .width = 5, .height = 1, .bytesPerLine = 1, .palette16 = palette};
    // Pixel x gets index x * 3: plane p holds bit p of every pixel's index.
    uint8_t planes[4] = {};
    for (int x = 0; x < 5; ++x)
        for (int p = 0; p < 4; ++p)
            if ((x * 3) & (1 << p)) planes[p] |= uint8_t(0x80 >> x);
    NyZazo pic;
    ASSERT_TRUE(DecodePcx(PcxFile(s, Literal({planes[0], planes[1], planes[2], planes[3]})), pic)) << pic.lastError;
    ASSERT_EQ(pic.BitCount(), 4);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pic.GetPixelIndex(x, 0), x * 3);
    EXPECT_EQ(pic.GetPaletteColour(12), MakeQuad(192, 12, 188));
}

TEST(PcxDecode, ThreeOneBitPlanesGiveTheEightColoursInTwentyFourBits) {
    std::vector<uint8_t> palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {uint8_t(i * 30), uint8_t(i * 5), uint8_t(i + 1)});
    PcxHeader s{.bits = 1, .planes = 3, .width = 8, .height = 1, .bytesPerLine = 1, .palette16 = palette};
    // Pixel x has index x: plane p is bit p.
    const std::vector<uint8_t> raw = {0x55, 0x33, 0x0F};
    NyZazo p;
    ASSERT_TRUE(DecodePcx(PcxFile(s, Literal(raw)), p)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 24);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Shown(p, x, 0), MakeQuad(uint8_t(x * 30), uint8_t(x * 5), uint8_t(x + 1)));
}

TEST(PcxDecode, PackedTwoAndFourBitLinesAndTwoOneBitPlanes) {
    std::vector<uint8_t> palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {uint8_t(i + 100), 0, 0});

    NyZazo two;
    PcxHeader s2{.bits = 2, .planes = 1, .width = 5, .height = 1, .bytesPerLine = 2, .palette16 = palette};
    ASSERT_TRUE(DecodePcx(PcxFile(s2, Literal({0x1B, 0x80})), two)) << two.lastError;  // 0 1 2 3 2
    ASSERT_EQ(two.BitCount(), 4);
    const int twoWant[] = {0, 1, 2, 3, 2};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(two.GetPixelIndex(x, 0), twoWant[x]);
    EXPECT_EQ(two.GetPaletteColour(3), MakeQuad(103, 0, 0));

    NyZazo four;
    PcxHeader s4{.bits = 4, .planes = 1, .width = 3, .height = 1, .bytesPerLine = 2, .palette16 = palette};
    ASSERT_TRUE(DecodePcx(PcxFile(s4, Literal({0x9A, 0xF0})), four)) << four.lastError;
    EXPECT_EQ(four.GetPixelIndex(0, 0), 9);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 10);
    EXPECT_EQ(four.GetPixelIndex(2, 0), 15);

    // Two 1-bit planes make four colours: a 4-bit picture with the header's first four.
    NyZazo planes;
    PcxHeader sp{.bits = 1, .planes = 2, .width = 4, .height = 1, .bytesPerLine = 1, .palette16 = palette};
    ASSERT_TRUE(DecodePcx(PcxFile(sp, Literal({0xA0, 0x60})), planes)) << planes.lastError;  // 1 2 3 0
    ASSERT_EQ(planes.BitCount(), 4);
    const int planesWant[] = {1, 2, 3, 0};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(planes.GetPixelIndex(x, 0), planesWant[x]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(planes.GetPaletteColour(i), MakeQuad(uint8_t(100 + i), 0, 0));
}

TEST(PcxRuns, RunByteC5WritesFiveBytesAndRunsCrossLines) {
    PcxHeader s{.bits = 8, .planes = 1, .width = 5, .height = 1, .bytesPerLine = 5};
    NyZazo p;
    ASSERT_TRUE(DecodePcx(PcxFile(s, {0xC5, 0x07}, FilePalette(1)), p)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 8);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(p.GetPixelIndex(x, 0), 7);
    EXPECT_EQ(p.GetPaletteColour(7), MakeQuad(8, 21, 248));
    EXPECT_EQ(p.GetPaletteColour(255), MakeQuad(0, uint8_t(765), 0));

    // One run of six fills two lines of three; a literal byte 0xC0 needs a run of one.
    PcxHeader t{.bits = 8, .planes = 1, .width = 3, .height = 3, .bytesPerLine = 3};
    ASSERT_TRUE(DecodePcx(PcxFile(t, {0xC6, 0x09, 0xC1, 0xC0, 0x01, 0xC1, 0x02}, FilePalette(0)), p)) << p.lastError;
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(p.GetPixelIndex(x, 2), 9);
        EXPECT_EQ(p.GetPixelIndex(x, 1), 9);
    }
    EXPECT_EQ(p.GetPixelIndex(0, 0), 0xC0);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(p.GetPixelIndex(2, 0), 2);
}

TEST(PcxMalformed, EveryRefusalHasItsText) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    const PcxHeader grey{.bits = 8, .planes = 1, .width = 2, .height = 1, .bytesPerLine = 2};
    std::vector<uint8_t> shortHeader = PcxFile(grey, {});
    shortHeader.resize(100);
    PcxHeader notPcx = grey;
    notPcx.manufacturer = 11;
    PcxHeader raw = grey;
    raw.encoding = 0;
    PcxHeader fivePlanes{.bits = 1, .planes = 5, .width = 8, .height = 1, .bytesPerLine = 1};
    PcxHeader twoPlanes8{.bits = 8, .planes = 2, .width = 2, .height = 1, .bytesPerLine = 2};
    PcxHeader noPlanes{.bits = 1, .planes = 0, .width = 8, .height = 1, .bytesPerLine = 1};
    PcxHeader threeBits{.bits = 3, .planes = 1, .width = 2, .height = 1, .bytesPerLine = 2};
    PcxHeader fourBitPlanes{.bits = 4, .planes = 3, .width = 2, .height = 1, .bytesPerLine = 1};
    PcxHeader twoLineFourBitPlanes{.bits = 4, .planes = 3, .width = 2, .height = 2, .bytesPerLine = 1};
    PcxHeader shortLines{.bits = 8, .planes = 1, .width = 10, .height = 1, .bytesPerLine = 9};
    PcxHeader monoShortLines{.bits = 1, .planes = 1, .width = 17, .height = 1, .bytesPerLine = 2};
    PcxHeader huge{.bits = 8, .planes = 3, .width = 65535, .height = 65536, .bytesPerLine = 65535};
    std::vector<uint8_t> backwardsFile = PcxFile(grey, {1, 2}, FilePalette(0));
    PutLe16(&backwardsFile[4], 5);  // xmin 5 past xmax 1
    std::vector<uint8_t> badSignature = FilePalette(0);
    badSignature[0] = 11;
    std::vector<uint8_t> shortPalette = FilePalette(0);
    shortPalette.resize(300);

    const Case cases[] = {
        {"short header", shortHeader, texts::kPcxCannotRead},
        {"manufacturer 11", PcxFile(notPcx, {1, 2}), texts::kPcxNotPcx},
        {"encoding 0", PcxFile(raw, {1, 2}), texts::kPcxUnknownEncoding},
        {"five 1-bit planes", PcxFile(fivePlanes, {0, 0, 0, 0, 0}), texts::kPcxTooManyImagePlanes},
        {"two 8-bit planes", PcxFile(twoPlanes8, {1, 2, 3, 4}), texts::kPcxBadDepth},
        {"no planes", PcxFile(noPlanes, {0}), texts::kPcxBadDepth},
        {"3 bits a pixel", PcxFile(threeBits, {1, 2}), texts::kPcxBadDepth},
        {"three 4-bit planes", PcxFile(fourBitPlanes, {1, 2, 3}), texts::kPcxPlaneBits},
        {"three 4-bit planes with data ending early", PcxFile(fourBitPlanes, {1, 2}), texts::kPcxCorrupted},
        {"two 4-bit lines, the second cut short", PcxFile(twoLineFourBitPlanes, {1, 2, 3, 4}), texts::kPcxCorrupted},
        {"data ends early", PcxFile(grey, {1}), texts::kPcxCorrupted},
        {"run value missing", PcxFile(grey, {0xC2}), texts::kPcxCorrupted},
        {"run past the end", PcxFile(grey, {0xC5, 0x07}), texts::kPcxRunPastEnd},
        {"bad color map signature", PcxFile(grey, {1, 2}, badSignature), texts::kPcxBadColourMap},
        {"palette cut short", PcxFile(grey, {1, 2}, shortPalette), texts::kTruncatedFile},
        {"palette missing", PcxFile(grey, {1, 2}), texts::kPcxBadColourMap},
        {"lines shorter than the width", PcxFile(shortLines, std::vector<uint8_t>(9, 1)), texts::kPcxShortLines},
        {"1-bit lines shorter than the width", PcxFile(monoShortLines, {0, 0}), texts::kPcxShortLines},
        {"65535 x 65536 in 24 bits", PcxFile(huge, {}), texts::kPictureTooLarge},
        {"xmin past xmax", backwardsFile, texts::kBadDimensions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NyZazo target(3, 2, 8, 1);
        target.SetPixelIndex(2, 1, 77);
        EXPECT_FALSE(DecodePcx(c.bytes, target));
        EXPECT_STREQ(target.lastError, c.text);
        ASSERT_NE(target.dib, nullptr);
        EXPECT_EQ(target.Width(), 3);
        EXPECT_EQ(target.GetPixelIndex(2, 1), 77);
    }
}

TEST(PcxLines, PlaneAndPackedConversionsAndTheirRefusals) {
    NyZazoPCX codec;
    uint8_t indices[16] = {};
    const uint8_t planes[] = {0x80, 0xC0, 0x40};  // pixel 0: planes 0 and 1; pixel 1: planes 1 and 2
    ASSERT_TRUE(codec.PlanesToIndices(indices, planes, 1, 3, 1));
    EXPECT_EQ(indices[0], 3);
    EXPECT_EQ(indices[1], 6);
    EXPECT_EQ(indices[2], 0);

    const uint8_t packed[] = {0xE4};
    ASSERT_TRUE(codec.PackedToIndices(indices, packed, 1, 1, 2));
    EXPECT_EQ(std::vector<uint8_t>(indices, indices + 4), (std::vector<uint8_t>{3, 2, 1, 0}));

    EXPECT_FALSE(codec.PlanesToIndices(indices, planes, 1, 5, 1));
    EXPECT_STREQ(codec.lastError, texts::kPcxTooManyPlanes);
    EXPECT_FALSE(codec.PlanesToIndices(indices, planes, 1, 2, 2));
    EXPECT_STREQ(codec.lastError, texts::kPcxPlaneBits);
    EXPECT_FALSE(codec.PackedToIndices(indices, packed, 1, 2, 8));
    EXPECT_STREQ(codec.lastError, texts::kPcxPackedPlanes);
}

TEST(PcxDispatch, NoWriterButAutomaticDetectionReads) {
    NyZazo p(4, 4, 8, 1);
    ImageStream out(ImageStream::kMemory);
    EXPECT_FALSE(p.Encode(out, kPcx));
    EXPECT_STREQ(p.lastError, texts::kUnsupportedOperation);

    PcxHeader s{.bits = 8, .planes = 1, .width = 2, .height = 1, .bytesPerLine = 2};
    const std::vector<uint8_t> file = PcxFile(s, {3, 4}, FilePalette(0));
    ImageStream in(file.data(), uint32_t(file.size()));
    NyZazo q;
    ASSERT_TRUE(q.Decode(in, -1));
    EXPECT_EQ(q.formatType, kPcx);
    EXPECT_EQ(q.GetPixelIndex(1, 0), 4);
}

namespace {

struct PcxExpectation {
    const char* reference;  // below the corpus, or null for a refusal
    const char* text;       // the refusal's text
    const char* why;
};

const std::map<std::string, PcxExpectation> kPcxCorpus = {
    {"odd_stride.pcx", {"ref/odd_stride.pcx.png", nullptr, "8 bits, 371 bytes a line"}},
    {"pil184.pcx", {"ref/pil184.pcx.png", nullptr, "monochrome: set bits are white"}},
    {"p_4_planes.pcx", {"ref/p_4_planes.pcx.im.png", nullptr, "four planes give index 3, header entry 3 is red"}},
    {"01r_00.pcx", {nullptr, texts::kPcxShortLines, "12 bytes a line for 88 pixels of 8 bits"}},
    {"pcx_overrun.pcx", {nullptr, texts::kPcxShortLines, "52 bytes a line for 447 pixels of 1 bit"}},
    {"pcx_overrun2.pcx", {nullptr, texts::kPcxShortLines, "2 bytes a line for 256 pixels of 1 bit"}},
    {"ossfuzz-4836216264589312.pcx", {nullptr, texts::kPcxUnknownEncoding, "encoding 32"}},
};

}  // namespace

TEST(PcxCorpus, EveryFileDecodesAsTheReferenceOrIsRefused) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "shared corpus not found at " << test::CorpusDir();
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::CorpusDir() / "pcx")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        auto expectation = kPcxCorpus.find(name);
        ASSERT_NE(expectation, kPcxCorpus.end()) << "a corpus file without an expectation";
        ++seen;
        NyZazo p;
        p.SetLastError("");
        ImageStream stream(ImageStream::kFile);
        ASSERT_TRUE(stream.OpenFile(entry.path().string(), "rb"));
        const bool ok = p.Decode(stream, kPcx);
        const PcxExpectation& e = expectation->second;
        if (!e.reference) {
            EXPECT_FALSE(ok) << e.why;
            EXPECT_STREQ(p.lastError, e.text) << e.why;
            continue;
        }
        ASSERT_TRUE(ok) << p.lastError;
        const test::RgbaImage ref = test::LoadPng((test::CorpusDir() / e.reference).string());
        ASSERT_TRUE(ref.Valid());
        const test::ImageDiff diff = test::CompareRgb(test::ToRgba(p), ref);
        ASSERT_TRUE(diff.sameSize);
        EXPECT_EQ(diff.maxDiff, 0) << diff.differing << " pixels differ; " << e.why;
    }
    EXPECT_EQ(seen, int(kPcxCorpus.size()));
}
