#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/PsdReader.h"
#include "support/CorpusManifest.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

using Bytes = std::vector<uint8_t>;

void PutBe16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutBe32(Bytes& out, uint32_t v) {
    PutBe16(out, v >> 16);
    PutBe16(out, v & 0xFFFF);
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// One image resource block: signature, id, Pascal name padded to even, size, data padded to even.
Bytes Resource(uint16_t id, const Bytes& data, const std::string& name = "", const char* signature = "8BIM") {
    Bytes out(signature, signature + 4);
    PutBe16(out, id);
    out.push_back(uint8_t(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    if ((name.size() + 1) & 1) out.push_back(0);
    PutBe32(out, uint32_t(data.size()));
    Append(out, data);
    if (data.size() & 1) out.push_back(0);
    return out;
}

// PackBits as Photoshop writes it: repeats for runs of three or more, literals otherwise.
Bytes PackBits(const uint8_t* data, size_t n) {
    Bytes out;
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && data[i + run] == data[i]) ++run;
        if (run >= 3) {
            out.push_back(uint8_t(257 - run));
            out.push_back(data[i]);
            i += run;
            continue;
        }
        size_t start = i, count = 0;
        while (i < n && count < 128) {
            if (i + 2 < n && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
            ++i, ++count;
        }
        out.push_back(uint8_t(count - 1));
        out.insert(out.end(), data + start, data + start + count);
    }
    return out;
}

struct PsdFile {
    uint16_t version = 1;
    uint16_t channels = 3;
    uint32_t width = 1;
    uint32_t height = 1;
    uint16_t depth = 8;
    uint16_t mode = kPsdRgb;
    Bytes modeData;
    Bytes resources;
    Bytes layers;
    uint16_t compression = 0;
    Bytes planes;  // channel planes one after the other, raw
    bool packBits = false;

    Bytes Build() const {
        Bytes out{'8', 'B', 'P', 'S'};
        PutBe16(out, version);
        out.insert(out.end(), 6, 0);
        PutBe16(out, channels);
        PutBe32(out, height);
        PutBe32(out, width);
        PutBe16(out, depth);
        PutBe16(out, mode);
        PutBe32(out, uint32_t(modeData.size()));
        Append(out, modeData);
        PutBe32(out, uint32_t(resources.size()));
        Append(out, resources);
        PutBe32(out, uint32_t(layers.size()));
        Append(out, layers);
        PutBe16(out, packBits ? 1 : compression);
        if (!packBits) {
            Append(out, planes);
            return out;
        }
        // Row byte counts, then each row packed on its own.
        const size_t rowBytes = size_t(width) * (depth / 8);
        std::vector<Bytes> rows;
        for (size_t r = 0; r < size_t(channels) * height; ++r) rows.push_back(PackBits(planes.data() + r * rowBytes, rowBytes));
        for (const Bytes& row : rows) PutBe16(out, uint32_t(row.size()));
        for (const Bytes& row : rows) Append(out, row);
        return out;
    }
};

int Decode(const Bytes& bytes, NyZazo& out) {
    ImageStream stream(bytes.data(), uint32_t(bytes.size()));
    int code = 1;
    ReadPsdStream(stream, out, &code);
    return code;
}

// The pixel at (x, y) counted from the top, as red, green, blue.
std::array<int, 3> Rgb(const NyZazo& p, int x, int screenY) {
    RGBQUAD c = p.GetPixelColour(x, p.Height() - 1 - screenY);
    return {c.red, c.green, c.blue};
}

using Rgb3 = std::array<int, 3>;

// A picture the failed reads must leave alone.
struct Witness {
    NyZazo picture{2, 2, 24, kFormatBmp};
    Witness() { picture.SetPixelColour(1, 0, MakeQuad(1, 2, 3)); }
    void ExpectUntouched(uint8_t* dibBefore) const {
        EXPECT_EQ(picture.dib, dibBefore);
        EXPECT_EQ(picture.Width(), 2);
        EXPECT_EQ(picture.formatType, kFormatBmp);
        EXPECT_EQ(picture.GetPixelColour(1, 0), MakeQuad(1, 2, 3));
    }
};

// Decodes bytes that must fail with the code and the text.
void ExpectFailureAt(const Bytes& bytes, int code, const char* text) {
    Witness w;
    uint8_t* before = w.picture.dib;
    EXPECT_EQ(Decode(bytes, w.picture), code);
    EXPECT_STREQ(w.picture.lastError, text);
    w.ExpectUntouched(before);
}

// Failures are reported at the line of the case.
#define ExpectFailure(...)                 \
    do {                                   \
        SCOPED_TRACE("failure case");      \
        ExpectFailureAt(__VA_ARGS__);      \
    } while (0)

PsdFile Rgb8(uint32_t width, uint32_t height) {
    PsdFile f;
    f.width = width;
    f.height = height;
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t i = 0; i < width * height; ++i) f.planes.push_back(uint8_t(c * 80 + i * 7));
    return f;
}

}  // namespace

TEST(PsdHeader, RefusesWhatIsNotAVersionOnePsd) {
    PsdFile good = Rgb8(2, 2);
    PsdFile large = good;
    large.version = 2;  // the large document format
    ExpectFailure(large.Build(), psd::kNotPsd, texts::kPsdNotPsd);

    Bytes wrongSignature = good.Build();
    wrongSignature[3] = 'T';
    ExpectFailure(wrongSignature, psd::kNotPsd, texts::kPsdNotPsd);
    Bytes reserved = good.Build();
    reserved[9] = 1;
    ExpectFailure(reserved, psd::kNotPsd, texts::kPsdNotPsd);
    ExpectFailure(Bytes{'8', 'B'}, psd::kNotPsd, texts::kPsdNotPsd);
    ExpectFailure(Bytes{}, psd::kNotPsd, texts::kPsdNotPsd);
    ExpectFailure(Bytes{'8', 'B', 'P', 'S', 0, 1, 0, 0}, psd::kHeaderFailed, texts::kTruncatedFile);
}

TEST(PsdHeader, RefusesChannelCountsAndSizesThatCannotBeDrawn) {
    PsdFile f = Rgb8(2, 2);
    f.channels = 0;
    ExpectFailure(f.Build(), psd::kHeaderFailed, texts::kPsdBadHeader);
    f.channels = 57;
    ExpectFailure(f.Build(), psd::kHeaderFailed, texts::kPsdBadHeader);
    f.channels = 2;  // RGB needs three planes
    ExpectFailure(f.Build(), psd::kHeaderFailed, texts::kPsdBadHeader);
    f.channels = 3;
    f.mode = kPsdCmyk;
    ExpectFailure(f.Build(), psd::kHeaderFailed, texts::kPsdBadHeader);
    f = Rgb8(2, 2);
    f.width = 0;
    ExpectFailure(f.Build(), psd::kHeaderFailed, texts::kPsdBadHeader);
}

TEST(PsdHeader, AbsurdSizesFailBeforeAnythingIsAllocated) {
    PsdFile f = Rgb8(1, 1);
    f.width = 100000;
    f.height = 100000;
    ExpectFailure(f.Build(), psd::kNoBitmap, texts::kPictureTooLarge);
    f.width = 0x80000000u;
    f.height = 1;
    ExpectFailure(f.Build(), psd::kNoBitmap, texts::kPictureTooLarge);
    // The picture would fit, but four 16-bit planes of it would not.
    f.width = f.height = 16384;
    f.depth = 16;
    f.mode = kPsdCmyk;
    f.channels = 4;
    ExpectFailure(f.Build(), psd::kNoBitmap, texts::kPictureTooLarge);
    // Within the caps, but the file holds a single byte of the 300 MB it announces.
    f = Rgb8(1, 1);
    f.width = f.height = 10000;
    ExpectFailure(f.Build(), psd::kImageDataFailed, texts::kTruncatedFile);
    f.packBits = false;
    f.compression = 1;
    ExpectFailure(f.Build(), psd::kImageDataFailed, texts::kTruncatedFile);
    // A mode that shows no plane still needs one: no 300 MB white picture from a few bytes.
    f.mode = 5;
    f.compression = 0;
    ExpectFailure(f.Build(), psd::kImageDataFailed, texts::kTruncatedFile);
}

TEST(PsdSections, ModeDataAndLayerSectionLengthsMustFitTheFile) {
    PsdFile f = Rgb8(2, 2);
    Bytes bytes = f.Build();
    bytes[26 + 3] = 200;  // mode data length past the end
    ExpectFailure(bytes, psd::kBadModeData, texts::kPsdBadModeData);
    ExpectFailure(Bytes(bytes.begin(), bytes.begin() + 28), psd::kBadModeData, texts::kPsdBadModeData);

    bytes = f.Build();
    bytes[34] = 0x7F;  // layer section length past the end
    ExpectFailure(bytes, psd::kImageDataFailed, texts::kTruncatedFile);
}

TEST(PsdSections, ResourceBlocksMustFillTheirSectionExactly) {
    PsdFile f = Rgb8(2, 2);
    f.resources = Resource(1005, Bytes(16, 0));
    f.resources.resize(f.resources.size() - 2);  // the block runs past the section
    ExpectFailure(f.Build(), psd::kBadResources, texts::kPsdBadResources);

    f.resources = Resource(1005, Bytes(16, 0));
    f.resources.insert(f.resources.end(), 4, 0);  // bytes left that cannot hold a block
    ExpectFailure(f.Build(), psd::kBadResources, texts::kPsdBadResources);

    // A name whose padding is missing shifts every later field.
    f.resources = Resource(1037, Bytes{0, 0, 0, 45}, "ab");
    f.resources.erase(f.resources.begin() + 9);
    ExpectFailure(f.Build(), psd::kBadResources, texts::kPsdBadResources);

    Bytes bytes = Rgb8(2, 2).Build();
    bytes[30] = 0x10;  // resource section length past the end
    ExpectFailure(bytes, psd::kBadResources, texts::kTruncatedFile);
}

TEST(PsdSections, ResourcesAreDecodedAndOthersSkipped) {
    PsdFile f = Rgb8(3, 1);
    Bytes resolution;
    PutBe32(resolution, 300u << 16);
    PutBe16(resolution, 1);
    PutBe16(resolution, 2);
    PutBe32(resolution, (150u << 16) | 0x8000);  // 150.5
    PutBe16(resolution, 2);
    PutBe16(resolution, 3);
    Bytes thumbnail;
    for (uint32_t v : {1u, 160u, 120u, 480u, 57600u, 9u}) PutBe32(thumbnail, v);
    PutBe16(thumbnail, 24);
    PutBe16(thumbnail, 1);
    thumbnail.insert(thumbnail.end(), {0xFF, 0xD8, 0xFF});  // JPEG data, odd length
    Bytes display{0, 0, 0x12, 0x34, 0, 1, 0, 2, 0, 3, 0, 100, 1};
    Append(f.resources, Resource(1005, resolution, "res"));
    Append(f.resources, Resource(1000, Bytes{0, 1, 0, 2, 0, 3, 0, 4, 0, 5}));
    Append(f.resources, Resource(1007, display));
    Append(f.resources, Resource(1036, thumbnail));
    Append(f.resources, Resource(1034, Bytes{1}));
    Append(f.resources, Resource(1037, Bytes{0, 0, 0, 120}, "x"));
    Append(f.resources, Resource(1046, Bytes{0, 200}));
    Append(f.resources, Resource(1047, Bytes{0, 7}));
    Append(f.resources, Resource(1037, Bytes{0, 0, 0, 99}, "", "MeSa"));  // not interpreted
    Append(f.resources, Resource(4000, Bytes(33, 0xAA), "plug-in"));

    Bytes bytes = f.Build();
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    PsdReader reader;
    ASSERT_EQ(reader.Read(in), psd::kOk) << reader.lastError();
    const PsdResources& r = reader.resources();
    EXPECT_EQ(r.resolution.horizontal, int64_t(300) << 16);
    EXPECT_EQ(r.resolution.widthUnit, 2);
    EXPECT_EQ(r.resolution.heightUnit, 3);
    EXPECT_EQ(r.channelInfo[4], 5);
    EXPECT_EQ(r.display.components[0], 0x1234);
    EXPECT_EQ(r.display.opacity, 100);
    EXPECT_EQ(r.display.kind, 1);
    EXPECT_EQ(r.thumbnail.width, 160);
    EXPECT_EQ(r.thumbnail.compressedSize, 9);
    EXPECT_EQ(r.thumbnail.planes, 1);
    EXPECT_EQ(r.copyrightFlag, 1);
    EXPECT_EQ(r.globalAngle, 120);
    EXPECT_EQ(r.indexedColours, 200);
    EXPECT_EQ(r.transparentIndex, 7);

    NyZazo picture;
    ASSERT_TRUE(reader.TakePicture(picture));
    // Whole pixels per metre, truncated: 300 dpi is 11811.02, 150.5 dpi is 5925.19.
    EXPECT_EQ(picture.header.biXPelsPerMeter, 11811);
    EXPECT_EQ(picture.header.biYPelsPerMeter, 5925);
    EXPECT_EQ(picture.dpiX, 300);
    EXPECT_EQ(picture.dpiY, 150);
    EXPECT_EQ(ReadInfoHeader(picture.dib).biXPelsPerMeter, 11811);
    EXPECT_EQ(picture.formatType, kFormatPsd);
}

TEST(PsdSections, ShortResourceBlocksKeepTheDefaults) {
    PsdFile f = Rgb8(1, 1);
    Append(f.resources, Resource(1037, Bytes{0, 0}));
    Append(f.resources, Resource(1005, Bytes{0, 0x48, 0, 0, 0, 1}));  // horizontal only
    Bytes bytes = f.Build();
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    PsdReader reader;
    ASSERT_EQ(reader.Read(in), psd::kOk);
    EXPECT_EQ(reader.resources().globalAngle, 30);
    EXPECT_EQ(reader.resources().resolution.vertical, -1);
    NyZazo picture;
    ASSERT_TRUE(reader.TakePicture(picture));
    EXPECT_EQ(picture.header.biXPelsPerMeter, 2834);  // 72 dpi
    EXPECT_EQ(picture.header.biYPelsPerMeter, PsdReader::kDefaultPelsPerMeter);
}

TEST(PsdImageData, RawRgbWithOddWidthKeepsRowsAndColumnsInPlace) {
    PsdFile f = Rgb8(5, 3);
    NyZazo p;
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    ASSERT_EQ(p.Width(), 5);
    ASSERT_EQ(p.Height(), 3);
    EXPECT_EQ(p.BitCount(), 24);
    EXPECT_EQ(p.header.biXPelsPerMeter, PsdReader::kDefaultPelsPerMeter);
    EXPECT_EQ(p.dpiX, 96);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            int i = y * 5 + x;
            EXPECT_EQ(Rgb(p, x, y), (Rgb3{uint8_t(i * 7), uint8_t(80 + i * 7), uint8_t(160 + i * 7)}))
                << x << "," << y;
        }
}

TEST(PsdImageData, PackBitsGivesTheSamePictureAsRawAtBothDepths) {
    for (uint16_t depth : {8, 16}) {
        PsdFile raw;
        raw.width = 7;
        raw.height = 5;
        raw.depth = depth;
        raw.channels = 4;  // the alpha plane is not shown
        for (uint32_t i = 0; i < 4u * 7 * 5 * (depth / 8); ++i) raw.planes.push_back(uint8_t(i % 11 < 4 ? 9 : i * 13));
        PsdFile packed = raw;
        packed.packBits = true;
        NyZazo a, b;
        ASSERT_EQ(Decode(raw.Build(), a), psd::kOk);
        ASSERT_EQ(Decode(packed.Build(), b), psd::kOk);
        test::ImageDiff d = test::CompareRgb(test::ToRgba(a), test::ToRgba(b));
        EXPECT_TRUE(d.sameSize);
        EXPECT_EQ(d.differing, 0) << "depth " << depth;
    }
}

TEST(PsdImageData, PackBitsRunsAreCutAtTheEndOfTheirPlane) {
    // 2 x 2 grey; the first run repeats 100 times, a literal run carries 3 bytes too many;
    // a count of 128 does nothing.
    PsdFile f;
    f.mode = kPsdGreyScale;
    f.channels = 1;
    f.width = f.height = 2;
    Bytes data{0, 0, 0, 0, 128, uint8_t(257 - 100), 0x40};
    Bytes head = f.Build();
    head.back() = 1;  // compression code low byte
    Append(head, data);
    NyZazo p;
    ASSERT_EQ(Decode(head, p), psd::kOk);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(Rgb(p, x, y), (Rgb3{0x40, 0x40, 0x40}));

    Bytes literal = f.Build();
    literal.back() = 1;
    Append(literal, Bytes{0, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_EQ(Decode(literal, p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{1, 1, 1}));
    EXPECT_EQ(Rgb(p, 1, 1), (Rgb3{4, 4, 4}));

    Bytes shortData = f.Build();
    shortData.back() = 1;
    Append(shortData, Bytes{0, 0, 0, 0, 1, 9, 9});  // two of four bytes
    ExpectFailure(shortData, psd::kImageDataFailed, texts::kTruncatedFile);
}

TEST(PsdImageData, EveryTruncationFailsCleanly) {
    PsdFile raw = Rgb8(3, 2);
    raw.resources = Resource(1005, Bytes(16, 1));
    raw.layers = Bytes(6, 0);
    PsdFile packed = raw;
    packed.packBits = true;
    for (const PsdFile& f : {raw, packed}) {
        const Bytes whole = f.Build();
        NyZazo full;
        ASSERT_EQ(Decode(whole, full), psd::kOk);
        for (size_t n = 0; n < whole.size(); ++n) {
            Witness w;
            uint8_t* before = w.picture.dib;
            int code = Decode(Bytes(whole.begin(), whole.begin() + long(n)), w.picture);
            EXPECT_NE(code, psd::kOk) << "cut at " << n;
            EXPECT_NE(w.picture.lastError[0], 0) << "cut at " << n;
            w.ExpectUntouched(before);
        }
    }
}

TEST(PsdImageData, CompressionCodes) {
    // ZIP data made by zlib itself: refused, not decoded.
    PsdFile f = Rgb8(4, 2);
    uLongf packedSize = compressBound(uLong(f.planes.size()));
    Bytes zipped(packedSize);
    ASSERT_EQ(compress(zipped.data(), &packedSize, f.planes.data(), uLong(f.planes.size())), Z_OK);
    zipped.resize(packedSize);
    f.planes = zipped;
    f.compression = 2;
    ExpectFailure(f.Build(), psd::kZip, texts::kPsdZip);
    f.compression = 3;
    ExpectFailure(f.Build(), psd::kZipPrediction, texts::kPsdZipPrediction);
    f.compression = 4;
    ExpectFailure(f.Build(), psd::kUnknownCompression, texts::kUnknownCompression);
    f.compression = 0xFFFF;
    ExpectFailure(f.Build(), psd::kUnknownCompression, texts::kUnknownCompression);

    PsdReader reader;
    Bytes bytes = f.Build();
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    EXPECT_EQ(reader.Read(in), psd::kUnknownCompression);
    EXPECT_FALSE(reader.HasPicture());
}

TEST(PsdImageData, DepthsOtherThanEightAndSixteenAreRefused) {
    PsdFile f;
    f.mode = kPsdBitmap;
    f.channels = 1;
    f.depth = 1;
    f.width = 8;
    f.planes = Bytes{0x55};
    ExpectFailure(f.Build(), psd::kDepthOne, texts::kPsdDepthOne);
    f = Rgb8(1, 1);
    f.depth = 32;
    f.planes = Bytes(12, 0);
    ExpectFailure(f.Build(), psd::kUnsupportedDepth, texts::kPsdBadDepth);
}

TEST(PsdColourModes, SixteenBitSamplesAreReadThroughTheirFirstByte) {
    PsdFile f;
    f.depth = 16;
    f.width = 2;
    f.planes = Bytes{0x12, 0xFF, 0xAB, 0x01, 0x34, 0x80, 0x00, 0xFF, 0x56, 0x7F, 0xFF, 0xFF};
    NyZazo p;
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{0x12, 0x34, 0x56}));
    EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{0xAB, 0x00, 0xFF}));

    PsdFile grey;
    grey.mode = kPsdGreyScale;
    grey.channels = 2;  // with an alpha plane
    grey.depth = 16;
    grey.width = 3;
    grey.planes = Bytes{0x10, 0xEE, 0x80, 0x01, 0xFF, 0x00, 9, 9, 9, 9, 9, 9};
    ASSERT_EQ(Decode(grey.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{0x10, 0x10, 0x10}));
    EXPECT_EQ(Rgb(p, 2, 0), (Rgb3{0xFF, 0xFF, 0xFF}));
}

TEST(PsdColourModes, IndexedGreyAndDuotone) {
    PsdFile f;
    f.mode = kPsdIndexed;
    f.channels = 1;
    f.width = 3;
    f.modeData = Bytes(768, 0);
    f.modeData[5] = 200;        // red of index 5
    f.modeData[256 + 5] = 100;  // green
    f.modeData[512 + 5] = 50;   // blue
    f.modeData[255] = 1;
    f.planes = Bytes{5, 0, 255};
    NyZazo p;
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{200, 100, 50}));
    EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{0, 0, 0}));
    EXPECT_EQ(Rgb(p, 2, 0), (Rgb3{1, 0, 0}));

    // A short colour table leaves the other entries at 0xFE.
    f.modeData = Bytes{9, 8, 7};
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{9, 0xFE, 0xFE}));

    f.mode = kPsdDuotone;  // the duotone inks are not applied: the sample is the grey
    f.modeData = Bytes(524, 3);
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{5, 5, 5}));
    EXPECT_EQ(Rgb(p, 2, 0), (Rgb3{255, 255, 255}));
}

TEST(PsdColourModes, CmykNoInkIsWhiteAndFullBlackIsBlack) {
    for (uint16_t depth : {8, 16}) {
        PsdFile f;
        f.mode = kPsdCmyk;
        f.channels = 5;  // with a spot plane that is not shown
        f.depth = depth;
        f.width = 4;
        const size_t bytes = depth / 8;
        // Pixels: no ink; black only; cyan only; cyan at half against a quarter black.
        const uint16_t c[] = {0xFFFF, 0xFFFF, 0x0000, 0x8080};
        const uint16_t m[] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        const uint16_t y[] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        const uint16_t k[] = {0xFFFF, 0x0000, 0xFFFF, 0xC0C0};
        for (const uint16_t* plane : {c, m, y, k, c})
            for (int i = 0; i < 4; ++i) {
                f.planes.push_back(uint8_t(plane[i] >> 8));
                if (bytes == 2) f.planes.push_back(uint8_t(plane[i]));
            }
        NyZazo p;
        ASSERT_EQ(Decode(f.Build(), p), psd::kOk) << depth;
        EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{255, 255, 255})) << depth;
        EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{0, 0, 0})) << depth;
        EXPECT_EQ(Rgb(p, 2, 0), (Rgb3{0, 255, 255})) << depth;
        // (1 - k)(1 - c) x 255 = 192 x 128 / 255 = 96.4; the other two 192.
        EXPECT_EQ(Rgb(p, 3, 0), (Rgb3{96, 192, 192})) << depth;
    }
}

TEST(PsdColourModes, MultichannelIsCyanMagentaYellowWithoutBlack) {
    PsdFile f;
    f.mode = kPsdMultichannel;
    f.channels = 3;
    f.width = 2;
    f.planes = Bytes{0, 255, 128, 255, 255, 10};
    NyZazo p;
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{0, 128, 255}));
    EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{255, 255, 10}));
    // Fewer than three planes: the missing ones carry no ink.
    f.channels = 1;
    f.planes = Bytes{40, 200};
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{40, 255, 255}));
}

TEST(PsdColourModes, LabThroughD65ToSrgbClampedToTheByteRange) {
    PsdFile f;
    f.mode = kPsdLab;
    f.width = 5;
    // White, black, two colours and a mid grey; expected values from the D65 formula
    // computed separately. L is v / 2.56, so 8-bit white is L 99.6 and comes out at 254;
    // 16-bit white comes out at 256 and is clamped to 255.
    const uint8_t L[] = {255, 0, 128, 200, 128}, a[] = {128, 128, 168, 60, 128}, b[] = {128, 128, 98, 200, 128};
    for (const uint8_t* plane : {L, a, b}) f.planes.insert(f.planes.end(), plane, plane + 5);
    NyZazo p;
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{254, 254, 254}));
    EXPECT_EQ(Rgb(p, 1, 0), (Rgb3{0, 0, 0}));
    EXPECT_EQ(Rgb(p, 2, 0), (Rgb3{161, 93, 171}));
    EXPECT_EQ(Rgb(p, 3, 0), (Rgb3{79, 221, 30}));
    EXPECT_EQ(Rgb(p, 4, 0), (Rgb3{119, 119, 119}));

    f.depth = 16;
    f.width = 1;
    f.planes = Bytes{0xFF, 0xFF, 0x80, 0x00, 0x80, 0x00};
    ASSERT_EQ(Decode(f.Build(), p), psd::kOk);
    EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{255, 255, 255}));
}

TEST(PsdColourModes, BitmapAndUnknownModesAtEightBitsStayWhite) {
    for (uint16_t mode : {uint16_t(kPsdBitmap), uint16_t(5), uint16_t(77)}) {
        PsdFile f;
        f.mode = mode;
        f.channels = 1;
        f.width = 2;
        f.planes = Bytes{0, 0};
        NyZazo p;
        ASSERT_EQ(Decode(f.Build(), p), psd::kOk) << mode;
        EXPECT_EQ(Rgb(p, 0, 0), (Rgb3{255, 255, 255}));
    }
}

TEST(PsdEntryPoints, FilesAreReadByPathAndMissingOnesReportMinusOne) {
    test::TempDir dir;
    const std::string path = dir.File("picture.psd");
    ASSERT_TRUE(test::WriteFileBytes(path, Rgb8(3, 2).Build()));
    NyZazo p;
    int code = 1;
    ASSERT_TRUE(ReadPsdFile(path, p, &code));
    EXPECT_EQ(code, psd::kOk);
    EXPECT_EQ(p.formatType, kFormatPsd);
    EXPECT_EQ(Rgb(p, 2, 1), (Rgb3{35, 115, 195}));

    Witness w;
    uint8_t* before = w.picture.dib;
    EXPECT_FALSE(ReadPsdFile(dir.File("missing.psd"), w.picture, &code));
    EXPECT_EQ(code, psd::kCannotOpen);
    EXPECT_STREQ(w.picture.lastError, texts::kPsdCannotOpen);
    w.ExpectUntouched(before);
}

// Every PSD file of the shared corpus, against the reference decode that MANIFEST.tsv
// names as best. Files are compared pixel for pixel unless a rule of this reader
// gives another result; each such rule is named in `why`.
namespace {

struct CorpusCase {
    const char* file;
    int code;
    int tolerance;  // largest channel difference allowed against the reference
    const char* why;
};

// 16-bit grey and RGB keep the first (high) byte of each sample; the reference divides by 257.
constexpr const char* kFirstByte = "16-bit samples are read through their first byte";
// CMYK and multichannel inks are converted from the whole 16-bit sample, the reference
// reduces to 8 bits at another point.
constexpr const char* kWholeSample = "inks converted from the whole 16-bit sample";
// Lab goes through the D65 formula with results clamped to 0..255; the references
// (littleCMS, ImageMagick) map the out-of-gamut red and blue of these files differently.
constexpr const char* kLabFormula = "Lab through the D65 formula, out-of-gamut colours clamped";

const CorpusCase kCorpus[] = {
    {"hopper.psd", psd::kOk, 0, ""},
    {"hopper_merged.psd", psd::kOk, 0, ""},
    {"rgba.psd", psd::kOk, 0, ""},
    {"five_channels.psd", psd::kOk, 0, ""},
    {"negative_layer_count.psd", psd::kOk, 0, ""},
    {"negative_top_left_layer.psd", psd::kOk, 0, ""},
    {"psd-oob-write.psd", psd::kOk, 0, ""},
    {"psd-oob-write-overflow.psd", psd::kOk, 0, ""},
    {"psd-oob-write-x.psd", psd::kOk, 0, ""},
    {"psd-oob-write-y.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_8bit_grayscale.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_16bit_grayscale.psd", psd::kOk, 1, kFirstByte},
    {"psdtools_4x4_8bit_index_color.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_8bit_rgb.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_16bit_rgb.psd", psd::kOk, 1, kFirstByte},
    {"psdtools_4x4_8bit_rgba.psd", psd::kOk, 0, ""},
    {"psdtools_16bit5x5.psd", psd::kOk, 1, kFirstByte},
    {"psdtools_gray0.psd", psd::kOk, 0, ""},
    {"psdtools_cmyk-spot.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_8bit_cmyk.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_16bit_cmyk.psd", psd::kOk, 1, kWholeSample},
    {"psdtools_4x4_16bit_multichannel.psd", psd::kOk, 1, kWholeSample},
    {"psdtools_4x4_8bit_lab.psd", psd::kOk, 18, kLabFormula},
    {"psdtools_4x4_16bit_lab.psd", psd::kOk, 11, kLabFormula},
    {"psdtools_4x4_8bit_duotone.psd", psd::kOk, 0, ""},
    {"psdtools_4x4_1bit_bitmap.psd", psd::kDepthOne, 0, "1-bit files are refused"},
    {"psdtools_4x4_32bit_rgb.psd", psd::kUnsupportedDepth, 0, "only 8 and 16 bits per channel are read"},
    {"psdtools_1layer_psb_v2.psd", psd::kNotPsd, 0, "version 2 (large document format) is refused"},
    {"timeout-1ee28a249896e05b83840ae8140622de8e648ba9.psd", psd::kNotPsd, 0, "reserved header bytes are not 0"},
    {"timeout-dedc7a4ebd856d79b4359bbcc79e8ef231ce38f6.psd", psd::kBadResources, 0,
     "a resource block runs past its section"},
    {"combined_larger_than_size.psd", psd::kImageDataFailed, 0, "the layer section runs past the end of the file"},
};

}  // namespace

TEST(PsdCorpus, EveryFileDecodesAsTheReferenceOrFailsAsTheRulesSay) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "the shared corpus is not available";
    const auto best = test::BestReferences("psd");
    size_t listed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::CorpusDir() / "psd")) {
        const std::string name = entry.path().filename().string();
        const CorpusCase* c = nullptr;
        for (const auto& known : kCorpus)
            if (name == known.file) c = &known;
        ASSERT_NE(c, nullptr) << name << " is not listed in this test";
        ++listed;
        SCOPED_TRACE(name);
        Witness w;
        uint8_t* before = w.picture.dib;
        int code = 1;
        const bool ok = ReadPsdFile(entry.path().string(), w.picture, &code);
        EXPECT_EQ(code, c->code) << w.picture.lastError;
        if (c->code != psd::kOk) {
            EXPECT_FALSE(ok);
            EXPECT_NE(w.picture.lastError[0], 0);
            w.ExpectUntouched(before);
            continue;
        }
        ASSERT_TRUE(ok);
        auto ref = best.find(name);
        ASSERT_TRUE(ref != best.end() && !ref->second.empty()) << "no reference";
        test::RgbaImage expected = test::LoadPng((test::CorpusDir() / ref->second).string());
        ASSERT_TRUE(expected.Valid()) << ref->second;
        test::RgbaImage actual = test::ToRgba(w.picture);
        test::ImageDiff d = test::CompareRgb(actual, expected);
        EXPECT_TRUE(d.sameSize);
        EXPECT_LE(d.maxDiff, c->tolerance) << d.differing << " pixels differ; " << c->why;
        if (d.maxDiff > c->tolerance) {
            const std::string out = ::testing::TempDir() + name;
            test::SavePng(out + ".actual.png", actual);
            test::SavePng(out + ".expected.png", expected);
        }
    }
    EXPECT_EQ(listed, std::size(kCorpus));
}
