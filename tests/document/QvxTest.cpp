#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "document/DocumentTexts.h"
#include "core/AtomicFile.h"
#include "document/QvxFormat.h"
#include "document/QvxTexts.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, int32_t v) {
    for (size_t i = 0; i < 4; ++i) b.at(at + i) = uint8_t(uint32_t(v) >> (8 * i));
}
void Put16(Bytes& b, size_t at, int16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(uint16_t(v) >> 8);
}
int32_t Get32(const Bytes& b, size_t at) {
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24);
}
void Append(Bytes& b, const std::string& text) { b.insert(b.end(), text.begin(), text.end()); }
void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

int32_t Stride(int bpp, int width) { return ((bpp * width + 31) / 32) * 4; }

DocumentHeader MakeHeader(int width, int height, int bpp = 24, const char16_t* name = u"그림") {
    DocumentHeader h;
    SetFixedName(h.name, name);
    h.width = width;
    h.height = height;
    h.bitsPerPixel = bpp;
    h.colourCount = bpp <= 8 ? 1 << bpp : 0;
    h.imageSize = Stride(bpp, width) * height;
    h.pixelCount = width * height;
    h.formatType = 1;
    h.backgroundChanged = 1;
    return h;
}

// A layer with recognisable planes; text layers keep one byte a pixel.
LayerRecord MakeLayer(uint8_t kind, int width, int height, int bpp, int seed) {
    LayerRecord r;
    r.inUse = 1;
    r.changed = 1;
    r.kind = kind;
    r.visible = 1;
    r.width = width;
    r.height = height;
    r.stride = kind == LayerKind::Text ? width : Stride(bpp, width);
    r.planeSize = width * height;
    r.pixelSize = r.stride * height;
    r.pixels.resize(size_t(r.pixelSize));
    r.alpha.resize(size_t(r.planeSize));
    r.effect.resize(size_t(r.planeSize));
    for (size_t i = 0; i < r.pixels.size(); ++i) r.pixels[i] = uint8_t(i * 7 + seed);
    for (size_t i = 0; i < r.alpha.size(); ++i) r.alpha[i] = uint8_t(i * 13 + seed);
    for (size_t i = 0; i < r.effect.size(); ++i) r.effect[i] = uint8_t(i * 3 + seed);
    return r;
}

Bytes Write(const QvxSource& source) {
    ImageStream s(ImageStream::kMemory);
    std::string error;
    EXPECT_TRUE(WriteQvx(s, source, error)) << error;
    return Bytes(s.data(), s.data() + s.size());
}

bool Read(const Bytes& bytes, QvxDocument& doc, std::string& error) {
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    return ReadQvx(s, doc, error);
}

// A hand-built file of any version: the header and records are put together at
// their byte offsets here, independently of the writer.
struct HandLayer {
    int slot = 0;
    int next = -1;
    uint8_t kind = 0;
    int x = 0, y = 0;
    int textUnitsInLine = 0;
    std::u16string text;
    int32_t textSize = 0;
    int32_t settings[3] = {7, 7, 7};
};

Bytes HandFile(int version, int recordBytes, int width, int height, const std::vector<HandLayer>& layers,
               int head = -2) {
    Bytes f;
    Append(f, "\n" + std::to_string(version) + " " + std::to_string(head == -2 ? layers[0].slot : head) + " 0");
    Bytes header(256, 0);
    Put16(header, 0, int16_t(u'Q'));
    Put32(header, 200, height);
    Put32(header, 204, width);
    Put32(header, 224, 24);
    Put32(header, 228, Stride(24, width) * height);
    Put32(header, 232, width * height);
    Append(f, header);
    Append(f, Bytes(size_t(Stride(24, width) * height), 0x55));
    for (const HandLayer& l : layers) {
        Append(f, "\n " + std::to_string(l.slot) + " " + std::to_string(l.textUnitsInLine));
        Bytes rec(size_t(recordBytes), 0);
        const bool text = l.kind == LayerKind::Text;
        const int stride = text ? width : Stride(24, width);
        Put32(rec, 0, 1);
        Put16(rec, 8, int16_t(u'L'));
        rec[208] = l.kind;
        Put16(rec, 210, -1);
        Put16(rec, 212, int16_t(l.next));
        Put32(rec, 236, 1);
        Put32(rec, 240, l.x);
        Put32(rec, 244, l.y);
        Put32(rec, 248, height);
        Put32(rec, 252, width);
        Put32(rec, 256, width * height);
        Put32(rec, 260, stride * height);
        Put32(rec, 264, stride);
        Put32(rec, 268, int32_t(l.text.size()));
        Put32(rec, 280, l.textSize);
        if (recordBytes >= 396)
            for (int i = 0; i < 3; ++i) Put32(rec, 384 + 4 * size_t(i), l.settings[i]);
        Append(f, rec);
        Append(f, Bytes(size_t(stride * height), uint8_t(0x10 + l.slot)));
        Append(f, Bytes(size_t(width * height), uint8_t(0x20 + l.slot)));
        Append(f, Bytes(size_t(width * height), uint8_t(0x30 + l.slot)));
        for (char16_t u : l.text) {
            f.push_back(uint8_t(u));
            f.push_back(uint8_t(u >> 8));
        }
    }
    return f;
}


}  // namespace

TEST(QvxWrite, OneLayerTwoByTwoIsLaidOutByteForByte) {
    DocumentHeader h = MakeHeader(2, 2);
    LayerRecord layers[kMaxLayers];
    layers[0] = MakeLayer(LayerKind::Background, 2, 2, 24, 1);
    SetFixedName(layers[0].name, u"배경영상");
    // Top-down blended buffer: top row red, white; bottom row green, blue.
    const uint8_t flatten[16] = {0, 0, 255, 255, 255, 255, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255};
    QvxSource src{&h, layers, 0, 0, flatten, true};
    Bytes f = Write(src);

    ASSERT_EQ(f.size(), 8u + 256 + 16 + 5 + 396 + 16 + 4 + 4);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 8), "\n362 0 0");
    const size_t header = 8;
    EXPECT_EQ(f[header], uint8_t(u'그' & 0xFF));
    EXPECT_EQ(f[header + 1], uint8_t(u'그' >> 8));
    EXPECT_EQ(Get32(f, header + 200), 2);
    EXPECT_EQ(Get32(f, header + 204), 2);
    EXPECT_EQ(f[header + 216], 1);
    EXPECT_EQ(Get32(f, header + 224), 24);
    EXPECT_EQ(Get32(f, header + 228), 16);
    EXPECT_EQ(Get32(f, header + 232), 4);
    // The pointer places keep the resolution, announced by the tag in the reserved bytes.
    EXPECT_EQ(Get32(f, header + 240), 72);
    EXPECT_EQ(Get32(f, header + 244), 72);
    EXPECT_EQ(std::string(f.begin() + header + 252, f.begin() + header + 256), "Qdpi");
    EXPECT_EQ(Get32(f, header + 248), 1);
    // Flat picture bottom-up: green, blue, 2 padding bytes; red, white, padding.
    const Bytes flat(f.begin() + 264, f.begin() + 280);
    const Bytes expectFlat = {0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(flat, expectFlat);
    EXPECT_EQ(std::string(f.begin() + 280, f.begin() + 285), "\n 0 0");
    const size_t rec = 285;
    EXPECT_EQ(Get32(f, rec + 0), 1);
    EXPECT_EQ(f[rec + 8], uint8_t(u'배' & 0xFF));
    EXPECT_EQ(f[rec + 208], LayerKind::Background);
    EXPECT_EQ(f[rec + 212], 0xFF);
    EXPECT_EQ(f[rec + 213], 0xFF);
    EXPECT_EQ(Get32(f, rec + 252), 2);
    EXPECT_EQ(Get32(f, rec + 260), 16);
    EXPECT_EQ(Get32(f, rec + 264), 8);
    EXPECT_EQ(Get32(f, rec + 384), 10);
    EXPECT_EQ(Get32(f, rec + 388), 100);
    EXPECT_EQ(Bytes(f.begin() + 681, f.begin() + 697), layers[0].pixels);
    EXPECT_EQ(Bytes(f.begin() + 697, f.begin() + 701), layers[0].alpha);
    EXPECT_EQ(Bytes(f.end() - 4, f.end()), layers[0].effect);

    // Without a blended buffer the flat picture stays white.
    src.flattenBuffer = nullptr;
    Bytes white = Write(src);
    EXPECT_EQ(Bytes(white.begin() + 264, white.begin() + 280), Bytes(16, 255));
}

TEST(QvxWrite, TextLayerCarriesItsTextAfterTheShadowPlane) {
    DocumentHeader h = MakeHeader(3, 2);
    LayerRecord layers[kMaxLayers];
    layers[0] = MakeLayer(LayerKind::Background, 3, 2, 24, 1);
    layers[0].next = 3;
    layers[3] = MakeLayer(LayerKind::Text, 3, 2, 24, 2);
    layers[3].prev = 0;
    layers[3].text = u"안녕 QV";
    layers[3].textLength = 5;
    Bytes f = Write(QvxSource{&h, layers, 0, 3, nullptr, true});
    const std::string line = "\n 3 5";
    auto at = std::search(f.begin(), f.end(), line.begin(), line.end());
    ASSERT_NE(at, f.end());
    const size_t rec = size_t(at - f.begin()) + line.size();
    EXPECT_EQ(Get32(f, rec + 264), 3);  // a text layer's stride is its width
    ASSERT_EQ(f.size(), rec + 396 + 6 + 6 + 6 + 10);
    EXPECT_EQ(f[f.size() - 10], uint8_t(u'안' & 0xFF));
    EXPECT_EQ(f[f.size() - 1], 0);
    EXPECT_EQ(f[f.size() - 2], 'V');

    // A text length that claims more than the text holds is written as the text's length.
    layers[3].textLength = 9;
    Bytes g = Write(QvxSource{&h, layers, 0, 3, nullptr, true});
    EXPECT_EQ(g, f);
}

TEST(QvxRoundTrip, LayersOfEveryKindKeepTheirRecordsPlanesAndText) {
    const int bpps[] = {24, 8};
    for (int bpp : bpps) {
        DocumentHeader h = MakeHeader(5, 3, bpp, u"7 wonders");  // a name starting with a digit
        h.palette.assign(256, RGBQUAD{});
        LayerRecord layers[kMaxLayers];
        // List order 2 → 0 → 3 → 1, unlike slot order; the raster layer is larger than the document.
        layers[2] = MakeLayer(LayerKind::Background, 5, 3, bpp, 1);
        layers[0] = MakeLayer(LayerKind::Raster, 7, 4, bpp, 2);
        layers[3] = MakeLayer(LayerKind::Text, 5, 3, bpp, 3);
        layers[1] = MakeLayer(LayerKind::Measure, 5, 3, bpp, 4);
        layers[2].next = 0;
        layers[0].prev = 2, layers[0].next = 3;
        layers[3].prev = 0, layers[3].next = 1;
        layers[1].prev = 3;
        SetFixedName(layers[0].name, u"레이어 0");
        layers[0].x = -1, layers[0].y = -1;
        layers[0].blendMode = BlendMode::Overlay;
        layers[0].transparency = 77;
        layers[0].effectOn = 1;
        layers[0].effectSize = 3;
        layers[0].shadowColour = 0x00112233;
        layers[0].linkedLayer = 2;
        layers[1].visible = 0;
        layers[3].text = u"글자 레이어";
        layers[3].textLength = int32_t(layers[3].text.size());
        layers[3].textColour = 0x000000FF;
        layers[3].textX = 4, layers[3].textY = 5, layers[3].textSize = 30;
        layers[3].textFont[0] = 'A';
        layers[3].textSettings[1] = 120;

        Bytes f = Write(QvxSource{&h, layers, 2, 3, nullptr, true});
        QvxDocument doc;
        std::string error;
        ASSERT_TRUE(Read(f, doc, error)) << error;
        EXPECT_EQ(doc.version, 362);
        EXPECT_EQ(doc.headLayer, 2);
        EXPECT_EQ(doc.fileCurrentLayer, 3);
        EXPECT_EQ(FixedName(doc.header.name), u"7 wonders");
        EXPECT_EQ(doc.header.width, 5);
        EXPECT_EQ(doc.header.bitsPerPixel, bpp);
        EXPECT_EQ(doc.header.backgroundChanged, 1);
        EXPECT_EQ(doc.header.palette.size(), bpp == 8 ? 256u : 0u);
        const int order[] = {2, 0, 3, 1};
        for (int slot : order) {
            const LayerRecord& a = layers[slot];
            const LayerRecord& b = doc.layers[size_t(slot)];
            SCOPED_TRACE(slot);
            EXPECT_EQ(b.inUse, 1);
            EXPECT_EQ(FixedName(b.name), FixedName(a.name));
            EXPECT_EQ(b.kind, a.kind);
            EXPECT_EQ(b.blendMode, a.blendMode);
            EXPECT_EQ(b.transparency, a.transparency);
            EXPECT_EQ(b.visible, a.visible);
            EXPECT_EQ(b.x, a.x);
            EXPECT_EQ(b.y, a.y);
            EXPECT_EQ(b.width, a.width);
            EXPECT_EQ(b.height, a.height);
            EXPECT_EQ(b.prev, a.prev);
            EXPECT_EQ(b.next, a.next);
            EXPECT_EQ(b.effectSize, a.effectSize);
            EXPECT_EQ(b.shadowColour, a.shadowColour);
            EXPECT_EQ(b.textColour, a.textColour);
            EXPECT_EQ(b.pixels, a.pixels);
            EXPECT_EQ(b.alpha, a.alpha);
            EXPECT_EQ(b.effect, a.effect);
            EXPECT_EQ(b.text, a.text);
            EXPECT_EQ(b.textLength, a.kind == LayerKind::Text ? a.textLength : 0);
            EXPECT_EQ(b.effectOn, 0);
            EXPECT_EQ(b.changed, 0);
            EXPECT_EQ(b.linkedLayer, -1);
        }
        EXPECT_EQ(doc.layers[3].textX, 4);
        EXPECT_EQ(doc.layers[3].textSize, 30);
        EXPECT_EQ(doc.layers[3].textFont[0], 'A');
        EXPECT_EQ(doc.layers[3].textSettings[1], 120);
        EXPECT_EQ(doc.layers[5].inUse, 0);
    }
}

TEST(QvxWrite, EightBitFlatPictureHoldsNearestPaletteIndices) {
    DocumentHeader h = MakeHeader(3, 1, 8);
    h.palette.assign(256, RGBQUAD{});
    h.palette[1] = MakeQuad(255, 0, 0);
    h.palette[2] = MakeQuad(0, 0, 250);
    LayerRecord layers[kMaxLayers];
    layers[0] = MakeLayer(LayerKind::Background, 3, 1, 8, 1);
    const uint8_t flatten[12] = {0, 0, 250, 255, 255, 0, 0, 255, 3, 3, 3, 255};
    Bytes f = Write(QvxSource{&h, layers, 0, 0, flatten, false});
    const size_t flat = 8 + 256;
    EXPECT_EQ(f[flat], 1);
    EXPECT_EQ(f[flat + 1], 2);
    EXPECT_EQ(f[flat + 2], 0);
}

TEST(QvxRead, Version36RecordsGetTheDefaultTextSettings) {
    HandLayer a;
    a.slot = 4;
    a.next = 6;
    HandLayer b;
    b.slot = 6;
    b.kind = LayerKind::Text;
    b.text = u"abc";
    b.textUnitsInLine = 3;
    Bytes f = HandFile(36, 384, 3, 2, {a, b});
    QvxDocument doc;
    std::string error;
    ASSERT_TRUE(Read(f, doc, error)) << error;
    EXPECT_EQ(doc.version, 36);
    EXPECT_EQ(doc.headLayer, 4);
    for (int slot : {4, 6}) {
        const LayerRecord& r = doc.layers[size_t(slot)];
        EXPECT_EQ(r.textSettings[0], 10);
        EXPECT_EQ(r.textSettings[1], 100);
        EXPECT_EQ(r.textSettings[2], 0);
        EXPECT_EQ(r.pixels, Bytes(size_t(r.pixelSize), uint8_t(0x10 + slot)));
        EXPECT_EQ(r.effect, Bytes(6, uint8_t(0x30 + slot)));
    }
    EXPECT_EQ(doc.layers[6].text, u"abc");
    EXPECT_EQ(doc.layers[6].prev, 4);
    EXPECT_EQ(FixedName(doc.header.name), u"Q");
}

TEST(QvxRead, Version31TextLayersAreFixedUpAndOthersKeepTheirBytes) {
    HandLayer big;
    big.slot = 0;
    big.next = 1;
    big.kind = LayerKind::Text;
    big.x = 2, big.y = -1;
    big.textSize = 55;
    big.text = u"x";
    big.textUnitsInLine = 1;
    HandLayer small = big;
    small.slot = 1;
    small.next = 2;
    small.textSize = 5;
    HandLayer raster;
    raster.slot = 2;
    Bytes f = HandFile(31, 397, 4, 3, {big, small, raster});
    QvxDocument doc;
    std::string error;
    ASSERT_TRUE(Read(f, doc, error)) << error;
    EXPECT_EQ(doc.layers[0].textSize, 40);
    EXPECT_EQ(doc.layers[1].textSize, 20);
    EXPECT_EQ(doc.layers[0].textX, 2);
    EXPECT_EQ(doc.layers[0].textY, -1);
    EXPECT_EQ(doc.layers[0].textSettings[1], 100);
    EXPECT_EQ(doc.layers[2].textSettings[0], 7);  // bytes 384..395 read as they stand
    EXPECT_EQ(doc.layers[2].alpha, Bytes(12, 0x22));
}

TEST(QvxRead, TextLongerThan700UnitsKeeps700AndTheNextLayerStillReads) {
    HandLayer t;
    t.slot = 0;
    t.next = 1;
    t.kind = LayerKind::Text;
    t.text = std::u16string(1000, u'가');
    t.textUnitsInLine = 1000;
    HandLayer r;
    r.slot = 1;
    Bytes f = HandFile(362, 396, 2, 2, {t, r});
    QvxDocument doc;
    std::string error;
    ASSERT_TRUE(Read(f, doc, error)) << error;
    EXPECT_EQ(doc.layers[0].textLength, 700);
    EXPECT_EQ(doc.layers[0].text, std::u16string(700, u'가'));
    EXPECT_EQ(doc.layers[1].pixels, Bytes(16, 0x11));
}

TEST(QvxRead, MalformedFilesFailWithTheirTextAndLeaveTheTargetAlone) {
    HandLayer a;
    a.slot = 0;
    a.next = 1;
    HandLayer b;
    b.slot = 1;
    const Bytes good = HandFile(362, 396, 3, 2, {a, b});
    const size_t headerAt = 8, firstRecord = 8 + 256 + 24 + 5;
    const size_t secondRecord = firstRecord + 396 + 24 + 12 + 5;

    struct Case {
        const char* what;
        Bytes bytes;
        std::string error;
    };
    std::vector<Case> cases;
    {
        HandLayer loopB = b;
        loopB.next = 0;
        cases.push_back({"next loops back", HandFile(362, 396, 3, 2, {a, loopB}), texts::kQvxLayerLoop});
    }
    {
        HandLayer self = a;
        self.next = 0;
        cases.push_back({"next names itself", HandFile(362, 396, 3, 2, {self}), texts::kQvxLayerLoop});
    }
    {
        HandLayer far = b;
        far.slot = 40;
        HandLayer toFar = a;
        toFar.next = 40;
        cases.push_back({"slot 40 in a next", HandFile(362, 396, 3, 2, {toFar, far}), texts::kQvxSlotOutOfRange});
        HandLayer first = a;
        first.slot = 40;
        cases.push_back({"slot 40 in a layer line", HandFile(362, 396, 3, 2, {first}), texts::kQvxSlotOutOfRange});
        cases.push_back({"head -1", HandFile(362, 396, 3, 2, {a, b}, -1), texts::kQvxNoLayers});
        cases.push_back({"head 41", HandFile(362, 396, 3, 2, {a, b}, 41), texts::kQvxSlotOutOfRange});
    }
    {
        HandLayer wrong = b;
        wrong.slot = 2;
        cases.push_back({"block of another slot", HandFile(362, 396, 3, 2, {a, wrong}), texts::kQvxOrderMismatch});
    }
    cases.push_back({"version 35", HandFile(35, 396, 3, 2, {a, b}), texts::kQvxVersionMismatch});
    cases.push_back({"empty file", Bytes{}, texts::kQvxTruncated});
    cases.push_back({"no digits", Bytes{'\n', 'x'}, texts::kQvxBadNumberLine});
    {
        Bytes f = good;
        Put32(f, headerAt + 228, 99);
        cases.push_back({"image size", f, texts::kQvxSizeMismatch});
        f = good;
        Put32(f, headerAt + 224, 16);
        cases.push_back({"depth 16", f, texts::kQvxSizeMismatch});
        f = good;
        Put32(f, headerAt + 200, 100000);
        Put32(f, headerAt + 204, 100000);
        cases.push_back({"absurd size", f, texts::kQvxTooLarge});
        f = good;
        Put32(f, secondRecord + 256, 7);
        cases.push_back({"plane size", f, texts::kQvxSizeMismatch});
        f = good;
        Put32(f, firstRecord + 264, 8);
        cases.push_back({"stride", f, texts::kQvxSizeMismatch});
        f = good;
        Put32(f, firstRecord + 252, 2);
        Put32(f, firstRecord + 256, 4);
        Put32(f, firstRecord + 260, 16);
        Put32(f, firstRecord + 264, 8);
        cases.push_back({"layer narrower than the document", f, texts::kQvxSizeMismatch});
        f = good;
        Put32(f, firstRecord + 248, 30000);
        Put32(f, firstRecord + 252, 30000);
        Put32(f, firstRecord + 256, 900000000);
        Put32(f, firstRecord + 260, 1);
        cases.push_back({"absurd layer", f, texts::kQvxTooLarge});
    }
    for (size_t cut : {size_t(5), headerAt + 100, headerAt + 256 + 3, firstRecord - 2, firstRecord + 200,
                       firstRecord + 396 + 10, secondRecord + 396 + 27, good.size() - 1})
        cases.push_back({"truncated", Bytes(good.begin(), good.begin() + long(cut)), texts::kQvxTruncated});

    for (const Case& c : cases) {
        QvxDocument doc;
        doc.headLayer = 17;
        std::string error;
        EXPECT_FALSE(Read(c.bytes, doc, error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(doc.headLayer, 17) << c.what;
        EXPECT_EQ(doc.layers[0].inUse, 0) << c.what;
    }
    QvxDocument doc;
    std::string error;
    EXPECT_TRUE(Read(good, doc, error)) << error;
}

TEST(QvxRead, EveryShorterPrefixFailsWithAText) {
    HandLayer t;
    t.slot = 2;
    t.kind = LayerKind::Text;
    t.text = u"hi";
    t.textUnitsInLine = 2;
    const Bytes good = HandFile(362, 396, 1, 1, {t});
    for (size_t n = 0; n < good.size(); ++n) {
        QvxDocument doc;
        std::string error;
        ASSERT_FALSE(Read(Bytes(good.begin(), good.begin() + long(n)), doc, error)) << n;
        EXPECT_FALSE(error.empty()) << n;
    }
}

TEST(QvxSave, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    const std::string path = dir.File("doc.qvx");
    DocumentHeader h = MakeHeader(3, 3);
    LayerRecord layers[kMaxLayers];
    layers[0] = MakeLayer(LayerKind::Background, 3, 3, 24, 9);
    std::string error;
    ASSERT_TRUE(SaveQvx(path, QvxSource{&h, layers, 0, 0, nullptr, true}, error)) << error;
    const Bytes before = test::ReadFileBytes(path);

    QvxDocument doc;
    ASSERT_TRUE(LoadQvx(path, doc, error)) << error;
    EXPECT_EQ(doc.layers[0].pixels, layers[0].pixels);

    layers[0].next = 0;  // a loop: the writer refuses
    EXPECT_FALSE(SaveQvx(path, QvxSource{&h, layers, 0, 0, nullptr, true}, error));
    EXPECT_EQ(error, texts::kQvxBrokenLayerList);
    layers[0].next = 45;
    EXPECT_FALSE(SaveQvx(path, QvxSource{&h, layers, 0, 0, nullptr, true}, error));
    layers[0].next = -1;
    layers[0].alpha.resize(2);  // planes smaller than the record says
    EXPECT_FALSE(SaveQvx(path, QvxSource{&h, layers, 0, 0, nullptr, true}, error));
    EXPECT_EQ(error, texts::kQvxSizeMismatch);
    EXPECT_EQ(test::ReadFileBytes(path), before);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);

    // A folder that does not exist: the message names the file and the reason.
    EXPECT_FALSE(SaveQvx(dir.File("missing/doc.qvx"), QvxSource{&h, layers, 0, 0, nullptr, true}, error));
    EXPECT_EQ(error, FileFailureText(texts::kQvxWriteFailed,
                                     dir.File("missing/doc.qvx") + ": " + texts::kReasonFolderMissing));
    EXPECT_FALSE(LoadQvx(dir.File("absent.qvx"), doc, error));
    EXPECT_TRUE(error.empty());
}

TEST(QvxPreview, ReadsHeaderAndFlatPictureOfAnyVersionFrom31) {
    DocumentHeader h = MakeHeader(3, 2);
    LayerRecord layers[kMaxLayers];
    layers[0] = MakeLayer(LayerKind::Background, 3, 2, 24, 1);
    uint8_t flatten[3 * 2 * 4];
    for (int i = 0; i < 6; ++i) {
        flatten[i * 4] = uint8_t(i * 40);
        flatten[i * 4 + 1] = uint8_t(i);
        flatten[i * 4 + 2] = 200;
        flatten[i * 4 + 3] = 255;
    }
    Bytes f = Write(QvxSource{&h, layers, 0, 0, flatten, true});
    QvxPreview preview;
    std::string error;
    {
        ImageStream s(f.data(), uint32_t(f.size()));
        ASSERT_TRUE(ReadQvxPreview(s, preview, error)) << error;
    }
    EXPECT_EQ(preview.picture.BitCount(), 32);
    EXPECT_EQ(preview.picture.Width(), 3);
    // Buffer row 0 is the top, which is stored row 1.
    EXPECT_EQ(preview.picture.GetPixelColour(2, 1), MakeQuad(200, 2, 80, 255));
    EXPECT_EQ(preview.picture.GetPixelColour(0, 0), MakeQuad(200, 3, 120, 255));

    // A later version is previewed, an earlier one is not.
    Bytes later = f;
    later[1] = '4';  // "462"
    ImageStream s2(later.data(), uint32_t(later.size()));
    EXPECT_TRUE(ReadQvxPreview(s2, preview, error)) << error;
    Bytes old = HandFile(30, 396, 1, 1, {HandLayer{}});
    ImageStream s3(old.data(), uint32_t(old.size()));
    EXPECT_FALSE(ReadQvxPreview(s3, preview, error));
    Bytes cut(f.begin(), f.begin() + 270);
    ImageStream s4(cut.data(), uint32_t(cut.size()));
    EXPECT_FALSE(ReadQvxPreview(s4, preview, error));
    EXPECT_EQ(error, texts::kQvxTruncated);

    int w, hgt;
    QvxPreviewSize(100, 100, w, hgt);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(hgt, 100);
    QvxPreviewSize(450, 180, w, hgt);
    EXPECT_EQ(w, 225);
    EXPECT_EQ(hgt, 90);
    QvxPreviewSize(200, 360, w, hgt);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(hgt, 180);
    EXPECT_EQ(QvxPreviewCaption(640, 480), "(QVX형식) :폭 640   너비 480");
}

TEST(QvxRead, FuzzSeedsRead) {
    const std::filesystem::path seeds = std::filesystem::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds";
    int found = 0;
    for (const char* name : {"qvx_31", "qvx_36", "qvx_362"}) {
        const Bytes bytes = test::ReadFileBytes((seeds / name).string());
        if (bytes.empty()) continue;
        ++found;
        QvxDocument doc;
        std::string error;
        EXPECT_TRUE(Read(bytes, doc, error)) << name << ": " << error;
    }
    if (found == 0) GTEST_SKIP() << "no qvx seeds in " << seeds;
}
