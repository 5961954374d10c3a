// GIF codec: round trips at every depth, the bytes the encoder writes, frames and
// their composition, transparency, hostile files, Pillow as a second decoder and
// encoder, and the shared corpus.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/ClassicRandom.h"
#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoGIF.h"
#include "support/CorpusManifest.h"
#include "support/HelperPrograms.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

constexpr int kGif = 2;

std::vector<uint8_t> EncodeGif(NyZazo& picture) {
    ImageStream stream(ImageStream::kMemory);
    EXPECT_TRUE(picture.Encode(stream, kGif)) << picture.lastError;
    return std::vector<uint8_t>(stream.data(), stream.data() + stream.size());
}

bool DecodeGif(const std::vector<uint8_t>& bytes, NyZazo& out, int frame = 0) {
    ImageStream stream(bytes.data(), uint32_t(bytes.size()));
    out.frameIndex = frame;
    return out.Decode(stream, kGif);
}

// Distinct palette colours (37 is odd, so red alone tells the entries apart).
void FillPalette(NyZazo& p, int seed) {
    for (uint32_t i = 0; i < p.header.biClrUsed; ++i)
        p.SetPaletteColour(int(i), uint8_t(i * 37 + seed), uint8_t(i * 91), uint8_t(255 - i * 13));
}

// Runs and noise, so the coder meets long strings, new strings and a full table.
void FillIndices(NyZazo& p, uint32_t seed) {
    ClassicRandom rng(seed);
    const int colours = int(p.header.biClrUsed);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            int v = (y % 3 == 0) ? (x / 5 + y) % colours : rng.Next() % colours;
            p.SetPixelIndex(x, y, uint8_t(v));
        }
}

void ExpectSameIndicesAndPalette(const NyZazo& expected, const NyZazo& actual) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    ASSERT_EQ(actual.BitCount(), expected.BitCount());
    for (uint32_t i = 0; i < expected.header.biClrUsed; ++i)
        ASSERT_EQ(actual.GetPaletteColour(int(i)), expected.GetPaletteColour(int(i))) << "entry " << i;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x)
            ASSERT_EQ(actual.GetPixelIndex(x, y), expected.GetPixelIndex(x, y)) << x << "," << y;
}

bool RunPython(const test::TempDir& dir, const std::string& script, const std::string& args) {
    const std::string path = dir.File("script.py");
    std::ofstream(path) << script;
    std::string command = std::string(test::kPython3) + " " + path + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    std::string output;
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe)) output += chunk;
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << output;
    return status == 0;
}

// Converts pairs of arguments (GIF, frame, PNG) to RGB PNGs.
const char* kPillowDecode = R"(import sys
from PIL import Image
args = sys.argv[1:]
for i in range(0, len(args), 3):
    im = Image.open(args[i])
    im.seek(int(args[i + 1]))
    im.convert('RGB').save(args[i + 2])
)";

// Random palette pictures (path, width, height, colours, interlace), written by Pillow.
const char* kPillowEncode = R"(import sys, random
from PIL import Image
args = sys.argv[1:]
for i in range(0, len(args), 5):
    path, w, h, colours, interlace = args[i], int(args[i + 1]), int(args[i + 2]), int(args[i + 3]), args[i + 4] == '1'
    rng = random.Random(w * 1000 + h + colours)
    im = Image.new('P', (w, h))
    im.putpalette([rng.randrange(256) for _ in range(3 * colours)])
    im.putdata([(x // 4 + y) % colours if y % 2 else rng.randrange(colours) for y in range(h) for x in range(w)])
    im.save(path, interlace=interlace, optimize=False)
)";

// Pillow's decodes of the given GIF files (frame 0), in one run.
std::vector<test::RgbaImage> PillowDecode(const test::TempDir& dir, const std::vector<std::string>& gifPaths) {
    std::string args;
    for (size_t i = 0; i < gifPaths.size(); ++i) args += gifPaths[i] + " 0 " + dir.File("pillow" + std::to_string(i) + ".png") + " ";
    std::vector<test::RgbaImage> out(gifPaths.size());
    if (!RunPython(dir, kPillowDecode, args)) return out;
    for (size_t i = 0; i < gifPaths.size(); ++i) out[i] = test::LoadPng(dir.File("pillow" + std::to_string(i) + ".png"));
    return out;
}

// File bytes of a single frame written by our encoder, with the fields a frame
// of an animation needs.
std::vector<uint8_t> FrameFile(const NyZazo& picture, int disposal, int left, int top, int transparent) {
    NyZazoGIF codec;
    codec.ShareFrom(picture);
    codec.disposal = disposal;
    codec.offsetX = left;
    codec.offsetY = top;
    codec.transparentIndex = transparent;
    ImageStream stream(ImageStream::kMemory);
    EXPECT_TRUE(codec.Encode(stream));
    return std::vector<uint8_t>(stream.data(), stream.data() + stream.size());
}

// An animation from single-frame files: the first file's header and table, then
// every file's control block and image, then the trailer.
std::vector<uint8_t> Animation(const std::vector<std::vector<uint8_t>>& frames, size_t tableBytes) {
    const size_t headBytes = 13 + tableBytes;
    std::vector<uint8_t> out(frames[0].begin(), frames[0].begin() + long(headBytes));
    for (const auto& f : frames) out.insert(out.end(), f.begin() + long(headBytes), f.end() - 1);
    out.push_back(0x3B);
    return out;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Header of a 2x2 screen with a 4-colour global table.
std::vector<uint8_t> SmallHeader() {
    return {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
}

// A 2x2 frame at (0,0) with 2-bit codes: clear, 0, 1, 2, 3, end.
std::vector<uint8_t> SmallFrame() {
    return {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 3, 0x44, 0x34, 0x05, 0, 0x3B};
}

}  // namespace

TEST(GifRoundTrip, IndicesAndPaletteSurviveAtEveryDepthAndOddWidth) {
    const int sizes[][2] = {{1, 1}, {7, 5}, {13, 3}, {33, 17}, {301, 203}};
    for (int depth : {1, 4, 8}) {
        for (const auto& size : sizes) {
            SCOPED_TRACE("depth " + std::to_string(depth) + " size " + std::to_string(size[0]) + "x" +
                         std::to_string(size[1]));
            NyZazo source(size[0], size[1], depth, 1);
            FillPalette(source, depth);
            FillIndices(source, uint32_t(size[0] * 7 + depth));
            NyZazo back;
            ASSERT_TRUE(DecodeGif(EncodeGif(source), back)) << back.lastError;
            ExpectSameIndicesAndPalette(source, back);
            EXPECT_EQ(back.frameCount, 1);
            EXPECT_EQ(back.transparentIndex, -1);
            EXPECT_EQ(back.formatType, kGif);
        }
    }
}

TEST(GifRoundTrip, LongRunsAndAFullTableOfOneColour) {
    // A one-colour picture grows ever longer strings; a noisy 8-bit one fills the table many times.
    NyZazo flat(1023, 77, 8, 1);
    FillPalette(flat, 3);
    std::memset(flat.bits, 200, flat.header.biSizeImage);
    NyZazo back;
    ASSERT_TRUE(DecodeGif(EncodeGif(flat), back));
    ExpectSameIndicesAndPalette(flat, back);

    NyZazo noisy(509, 311, 8, 1);
    FillPalette(noisy, 5);
    ClassicRandom rng(99);
    for (uint32_t i = 0; i < noisy.header.biSizeImage; ++i) noisy.bits[i] = uint8_t(rng.Next());
    ASSERT_TRUE(DecodeGif(EncodeGif(noisy), back));
    ExpectSameIndicesAndPalette(noisy, back);
}

TEST(GifEncode, HeaderControlBlockAndImageBlockBytes) {
    struct Case {
        int depth;
        uint8_t packed;
        uint8_t minimumCodeSize;
    };
    for (const Case c : {Case{1, 0x80, 2}, Case{4, 0xE3, 4}, Case{8, 0xE7, 8}}) {
        SCOPED_TRACE(c.depth);
        NyZazo p(3, 2, c.depth, 1);
        FillPalette(p, 1);
        p.frameDelay = 0x0102;
        const std::vector<uint8_t> b = EncodeGif(p);
        const size_t table = 3 * p.header.biClrUsed;
        ASSERT_GT(b.size(), 13 + table + 8 + 11);
        EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
        EXPECT_EQ(b[6], 3);
        EXPECT_EQ(b[8], 2);
        EXPECT_EQ(b[10], c.packed);
        EXPECT_EQ(b[11], 0);
        EXPECT_EQ(b[12], 0);
        const RGBQUAD entry1 = p.GetPaletteColour(1);
        EXPECT_EQ(b[16], entry1.red);
        EXPECT_EQ(b[17], entry1.green);
        EXPECT_EQ(b[18], entry1.blue);
        const size_t gce = 13 + table;
        const std::vector<uint8_t> control(b.begin() + long(gce), b.begin() + long(gce) + 8);
        EXPECT_EQ(control, (std::vector<uint8_t>{0x21, 0xF9, 4, 0, 0x02, 0x01, 0xFF, 0}));
        const size_t image = gce + 8;
        EXPECT_EQ(b[image], 0x2C);
        EXPECT_EQ(b[image + 5], 3);
        EXPECT_EQ(b[image + 7], 2);
        EXPECT_EQ(b[image + 9], 0) << "no local table, not interlaced";
        EXPECT_EQ(b[image + 10], c.minimumCodeSize);
        // The first code is the clear code, minimum + 1 bits wide.
        EXPECT_EQ((b[image + 12] | (b[image + 13] << 8)) & ((1 << (c.minimumCodeSize + 1)) - 1),
                  1 << c.minimumCodeSize);
        EXPECT_EQ(b[b.size() - 2], 0) << "block terminator";
        EXPECT_EQ(b.back(), 0x3B);
    }
}

TEST(GifEncode, CompressedStreamMatchesTheGoldenBytesInPacketsOf254) {
    // Digests of files from an independent writer of the same rules: code growth up to
    // 12 bits, the clear code once 4096 codes are used, 254-byte packets.
    struct Case {
        int width, height, depth;
        uint32_t seed;
        size_t bytes;
        uint64_t digest;
    };
    for (const Case c : {Case{200, 100, 8, 5, 23460, 0xa41bc7916370131cull},
                         Case{333, 211, 1, 9, 9211, 0xb39f02ba37ae3987ull},
                         Case{97, 61, 4, 3, 3162, 0x2bf7c9cb8544f9dfull}}) {
        SCOPED_TRACE(c.depth);
        NyZazo p(c.width, c.height, c.depth, 1);
        const int colours = int(p.header.biClrUsed);
        for (int i = 0; i < colours; ++i) p.SetPaletteColour(i, uint8_t(i), uint8_t(i * 3), uint8_t(i * 7));
        uint32_t state = c.seed;
        for (int y = c.height - 1; y >= 0; --y)
            for (int x = 0; x < c.width; ++x) {
                state = state * 214013u + 2531011u;
                const int noise = int((state >> 16) & 0x7FFF);
                p.SetPixelIndex(x, y, uint8_t(y % 4 == 0 ? (x / 7) % colours : noise % colours));
            }
        const std::vector<uint8_t> b = EncodeGif(p);
        ASSERT_EQ(b.size(), c.bytes);
        uint64_t digest = 0xcbf29ce484222325ull;
        for (uint8_t v : b) digest = (digest ^ v) * 0x100000001b3ull;
        EXPECT_EQ(digest, c.digest);
        // Every data sub-block but the last is a full packet.
        size_t at = 13 + 3 * size_t(colours) + 8 + 11;
        while (b[at] != 0 && at + b[at] + 1 < b.size() && b[at + b[at] + 1] != 0) {
            ASSERT_EQ(b[at], 254) << "at " << at;
            at += b[at] + 1u;
        }
    }
}

TEST(GifEncode, PicturesPastTheSixteenBitSizeFieldsAreRefused) {
    NyZazo wide(65536, 1, 1, 1);
    ASSERT_NE(wide.dib, nullptr);
    ImageStream stream(ImageStream::kMemory);
    EXPECT_FALSE(wide.Encode(stream, kGif));
    EXPECT_STREQ(wide.lastError, texts::kPictureTooLarge);
}

TEST(GifEncode, DirectColourPicturesAreRefused) {
    for (int depth : {24, 32}) {
        NyZazo p(5, 3, depth, 1);
        p.SetLastError("");
        ImageStream stream(ImageStream::kMemory);
        EXPECT_FALSE(p.Encode(stream, kGif));
        EXPECT_EQ(stream.size(), 0u) << "nothing is written";
    }
}

TEST(GifDecode, ColourCountChoosesTheDepth) {
    // 2 colours: 1 bit; 4 and 16: 4 bits; 256: 8 bits (the table size of a 2-bit file is 4).
    struct Case {
        int tableBits;
        int depth;
    };
    for (const Case c : {Case{0, 1}, Case{1, 4}, Case{3, 4}, Case{4, 8}, Case{7, 8}}) {
        std::vector<uint8_t> file = Concat({SmallHeader(), SmallFrame()});
        file[10] = uint8_t(0x80 | c.tableBits);
        const size_t tableBytes = size_t(3) * (2u << c.tableBits);
        std::vector<uint8_t> table(tableBytes, 0x40);
        file.erase(file.begin() + 13, file.begin() + 25);
        file.insert(file.begin() + 13, table.begin(), table.end());
        NyZazo p;
        ASSERT_TRUE(DecodeGif(file, p)) << c.tableBits;
        EXPECT_EQ(p.BitCount(), c.depth) << c.tableBits;
    }
}

TEST(GifDecode, SmallHandMadeFrameAndItsIndices) {
    NyZazo p;
    ASSERT_TRUE(DecodeGif(Concat({SmallHeader(), SmallFrame()}), p)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 4);
    // Rows from the top: 0 1 / 2 3; stored bottom-up.
    EXPECT_EQ(p.GetPixelIndex(0, 1), 0);
    EXPECT_EQ(p.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 3);
    EXPECT_EQ(p.GetPaletteColour(1), MakeQuad(255, 0, 0));
    EXPECT_EQ(p.GetPaletteColour(3), MakeQuad(0, 0, 255));
}

TEST(GifDecode, TransparentIndexMakesTheUnusedEntriesWhite) {
    // A 16-colour table with a transparent index: the 4-bit picture holds the 16 colours.
    NyZazo p(6, 4, 4, 1);
    for (int i = 0; i < 16; ++i) p.SetPaletteColour(i, uint8_t(i * 10), 0, 0);
    FillIndices(p, 5);
    p.transparentIndex = 3;
    NyZazo back;
    ASSERT_TRUE(DecodeGif(EncodeGif(p), back));
    EXPECT_EQ(back.BitCount(), 4);
    EXPECT_EQ(back.header.biClrUsed, 16u);
    EXPECT_EQ(back.transparentIndex, 3);
    ExpectSameIndicesAndPalette(p, back);

    // 256 colours without white: entry 255 becomes white; with white somewhere it stays.
    NyZazo full(5, 5, 8, 1);
    for (int i = 0; i < 256; ++i) full.SetPaletteColour(i, uint8_t(i), 7, 9);
    full.transparentIndex = 5;
    ASSERT_TRUE(DecodeGif(EncodeGif(full), back));
    EXPECT_EQ(back.GetPaletteColour(255), MakeQuad(255, 255, 255));
    EXPECT_EQ(back.GetPaletteColour(254), MakeQuad(254, 7, 9));
    full.SetPaletteColour(17, 255, 255, 255);
    ASSERT_TRUE(DecodeGif(EncodeGif(full), back));
    EXPECT_EQ(back.GetPaletteColour(255), MakeQuad(255, 7, 9));

    // Without transparency nothing is replaced.
    full.SetPaletteColour(17, 1, 2, 3);
    full.transparentIndex = -1;
    ASSERT_TRUE(DecodeGif(EncodeGif(full), back));
    EXPECT_EQ(back.GetPaletteColour(255), MakeQuad(255, 7, 9));
}

TEST(GifFrames, LeftInPlaceFramesAreLaidOverTheScreen) {
    NyZazo screen(12, 9, 8, 1);
    FillPalette(screen, 0);
    std::memset(screen.bits, 1, screen.header.biSizeImage);
    NyZazo second(4, 3, 8, 1);
    FillPalette(second, 0);
    std::memset(second.bits, 2, second.header.biSizeImage);
    second.SetPixelIndex(0, 2, 9);  // top-left pixel is transparent
    NyZazo third(5, 2, 8, 1);
    FillPalette(third, 0);
    std::memset(third.bits, 3, third.header.biSizeImage);

    const size_t table = 3 * 256;
    const std::vector<uint8_t> file = Animation(
        {FrameFile(screen, 0, 0, 0, -1), FrameFile(second, 1, 2, 1, 9), FrameFile(third, 1, 6, 6, -1)}, table);

    // Expected screen, top-down.
    auto expectedAt = [](int x, int y, int frames) {
        int v = 1;
        if (frames >= 2 && x >= 2 && x < 6 && y >= 1 && y < 4 && !(x == 2 && y == 1)) v = 2;
        if (frames >= 3 && x >= 6 && x < 11 && y >= 6 && y < 8) v = 3;
        return v;
    };
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE(frame);
        NyZazo p;
        ASSERT_TRUE(DecodeGif(file, p, frame)) << p.lastError;
        EXPECT_EQ(p.frameCount, 3);
        ASSERT_EQ(p.Width(), 12);
        ASSERT_EQ(p.Height(), 9);
        EXPECT_EQ(p.transparentIndex, -1) << "the first frame's transparency";
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(p.GetPixelIndex(x, 8 - y), expectedAt(x, y, frame + 1)) << x << "," << y;
    }

    // With disposal 0 the third frame comes alone, at its own size and position.
    const std::vector<uint8_t> alone = Animation(
        {FrameFile(screen, 0, 0, 0, -1), FrameFile(second, 1, 2, 1, 9), FrameFile(third, 0, 6, 6, -1)}, table);
    NyZazo p;
    ASSERT_TRUE(DecodeGif(alone, p, 2));
    EXPECT_EQ(p.Width(), 5);
    EXPECT_EQ(p.Height(), 2);
    EXPECT_EQ(p.offsetX, 6);
    EXPECT_EQ(p.offsetY, 6);
    EXPECT_EQ(p.GetPixelIndex(4, 1), 3);

    EXPECT_FALSE(DecodeGif(file, p, 3)) << "past the last frame";
    EXPECT_FALSE(DecodeGif(file, p, -1));
}

TEST(GifFrames, LaidOverFramesKeepTheirColoursOnTheFirstFramesPalette) {
    NyZazo screen(4, 4, 8, 1);
    for (int i = 0; i < 256; ++i) screen.SetPaletteColour(i, uint8_t(i), uint8_t(i), uint8_t(i));
    std::memset(screen.bits, 0, screen.header.biSizeImage);
    // The second frame's table differs: its index 1 is grey 200.
    NyZazo second(2, 2, 1, 1);
    second.SetPaletteColour(0, 10, 10, 10);
    second.SetPaletteColour(1, 200, 200, 200);
    std::memset(second.bits, 0xFF, second.header.biSizeImage);
    std::vector<uint8_t> first = FrameFile(screen, 0, 0, 0, -1);
    std::vector<uint8_t> next = FrameFile(second, 1, 1, 1, -1);
    // Turn the second file's global table into a local table of its image.
    std::vector<uint8_t> localTable(next.begin() + 13, next.begin() + 19);
    std::vector<uint8_t> body(next.begin() + 19, next.end() - 1);
    body[8 + 9] = 0x80;  // image packed byte: local table of 2 entries
    body.insert(body.begin() + 8 + 10, localTable.begin(), localTable.end());
    std::vector<uint8_t> file(first.begin(), first.end() - 1);
    file.insert(file.end(), body.begin(), body.end());
    file.push_back(0x3B);

    NyZazo p;
    ASSERT_TRUE(DecodeGif(file, p, 1)) << p.lastError;
    ASSERT_EQ(p.BitCount(), 8);
    EXPECT_EQ(p.GetPixelColour(1, 2), MakeQuad(200, 200, 200));
    EXPECT_EQ(p.GetPixelColour(0, 0), MakeQuad(0, 0, 0));
}

TEST(GifFrames, ManyTinyFramesAreCountedAndComposedInOnePass) {
    NyZazo screen(64, 64, 8, 1);
    FillPalette(screen, 0);
    std::memset(screen.bits, 0, screen.header.biSizeImage);
    NyZazo dot(1, 1, 8, 1);
    FillPalette(dot, 0);
    dot.bits[0] = 7;
    std::vector<std::vector<uint8_t>> frames{FrameFile(screen, 0, 0, 0, -1)};
    const int dots = 20000;
    for (int i = 0; i < dots; ++i) frames.push_back(FrameFile(dot, 1, i % 64, (i / 64) % 64, -1));
    const std::vector<uint8_t> file = Animation(frames, 3 * 256);
    NyZazo p;
    ASSERT_TRUE(DecodeGif(file, p, dots)) << p.lastError;
    EXPECT_EQ(p.frameCount, dots + 1);
    ASSERT_EQ(p.Width(), 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(p.GetPixelIndex(x, y), 7) << x << "," << y;
}

TEST(GifFrames, CountingDoesNotLendALaterFramesTransparencyToTheFirst) {
    NyZazo a(3, 3, 4, 1);
    FillPalette(a, 0);
    FillIndices(a, 1);
    const std::vector<uint8_t> file = Animation({FrameFile(a, 0, 0, 0, -1), FrameFile(a, 0, 0, 0, 4)}, 48);
    NyZazo p;
    ASSERT_TRUE(DecodeGif(file, p, 0));
    EXPECT_EQ(p.transparentIndex, -1);
    ASSERT_TRUE(DecodeGif(file, p, 1));
    EXPECT_EQ(p.transparentIndex, 4);
}

TEST(GifExtensions, CommentsApplicationDataAndEmptyBlocks) {
    const std::vector<uint8_t> frame = SmallFrame();
    const std::vector<uint8_t> xmp = {0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P',
                                      5,    '<',  'x', '>', ' ', ' ', 2, 1, 0, 0};
    const std::vector<uint8_t> loop = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                       3,    1,    5,  1,   0};
    const std::vector<uint8_t> emptyComment = {0x21, 0xFE, 0};
    const std::vector<uint8_t> comment = {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 3, 'x', 'y', 'z', 0};
    const std::vector<uint8_t> plainText = {0x21, 0x01, 3, 1, 2, 3, 0};

    NyZazoGIF codec;
    const std::vector<uint8_t> file = Concat({SmallHeader(), xmp, emptyComment, loop, comment, plainText, frame});
    ImageStream stream(file.data(), uint32_t(file.size()));
    ASSERT_TRUE(codec.Decode(stream)) << codec.lastError;
    EXPECT_STREQ(codec.comment, "hello");
    EXPECT_EQ(codec.loopCount, 0x0105);
    EXPECT_EQ(codec.frameCount, 1);
    EXPECT_EQ(codec.GetPixelIndex(1, 0), 3);

    // A control block of the wrong length ends the walk: no frame is reached.
    const std::vector<uint8_t> badControl = {0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0};
    NyZazo p;
    EXPECT_FALSE(DecodeGif(Concat({SmallHeader(), badControl, frame}), p));
}

TEST(GifMalformed, RefusalsAndTheirTexts) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    std::vector<uint8_t> huge = Concat({SmallHeader(), SmallFrame()});
    huge[25 + 5] = huge[25 + 6] = huge[25 + 7] = huge[25 + 8] = 0xFF;  // 65535 x 65535
    std::vector<uint8_t> zero = Concat({SmallHeader(), SmallFrame()});
    zero[25 + 5] = zero[25 + 6] = 0;
    std::vector<uint8_t> cutTable = SmallHeader();
    cutTable.resize(20);
    std::vector<uint8_t> cutData = Concat({SmallHeader(), SmallFrame()});
    cutData.resize(cutData.size() - 5);  // inside the codes
    std::vector<uint8_t> cutDescriptor = Concat({SmallHeader(), SmallFrame()});
    cutDescriptor.resize(30);
    const Case cases[] = {
        {"not a GIF", {'G', 'I', 'F', '7', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, ""},
        {"empty", {}, ""},
        {"short header", {'G', 'I', 'F', '8', '9', 'a', 1, 0}, texts::kTruncatedFile},
        {"short global table", cutTable, texts::kTruncatedFile},
        {"no frame", Concat({SmallHeader(), {0x3B}}), texts::kGifFrameMissing},
        {"cut before the first frame", SmallHeader(), texts::kTruncatedFile},
        {"short descriptor", cutDescriptor, texts::kTruncatedFile},
        {"data cut inside the codes", cutData, texts::kTruncatedFile},
        {"65535 x 65535 frame", huge, texts::kPictureTooLarge},
        {"zero-width frame", zero, texts::kBadDimensions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The target keeps its picture.
        NyZazo target(3, 2, 8, 1);
        target.SetPixelIndex(1, 1, 42);
        target.SetLastError("");
        EXPECT_FALSE(DecodeGif(c.bytes, target));
        EXPECT_STREQ(target.lastError, c.text);
        ASSERT_NE(target.dib, nullptr);
        EXPECT_EQ(target.Width(), 3);
        EXPECT_EQ(target.GetPixelIndex(1, 1), 42);
    }
}

TEST(GifMalformed, BrokenCodesEndTheFrameAndKeepTheWhiteFill) {
    // Minimum code size 12 is outside 2..9: no row is decoded.
    std::vector<uint8_t> file = Concat({SmallHeader(), SmallFrame()});
    file[25 + 10] = 12;
    NyZazo p;
    ASSERT_TRUE(DecodeGif(file, p)) << p.lastError;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(p.GetPixelIndex(x, y), 15);

    // More pixels than the frame holds: the rows that fit are kept.
    NyZazo big(4, 4, 8, 1);
    FillPalette(big, 0);
    FillIndices(big, 8);
    std::vector<uint8_t> bytes = EncodeGif(big);
    const size_t image = 13 + 768 + 8;
    bytes[image + 5] = 2;  // width 2
    bytes[image + 7] = 1;  // height 1
    ASSERT_TRUE(DecodeGif(bytes, p)) << p.lastError;
    ASSERT_EQ(p.Width(), 2);
    EXPECT_EQ(p.GetPixelIndex(0, 0), big.GetPixelIndex(0, 3));
    EXPECT_EQ(p.GetPixelIndex(1, 0), big.GetPixelIndex(1, 3));

    // Codes far past the table, from random bytes: decoded or refused, never out of bounds.
    ClassicRandom rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> noisy = SmallHeader();
        noisy[6] = noisy[8] = 40;
        const std::vector<uint8_t> descriptor = {0x2C, 0, 0, 0, 0, 40, 0, 40, 0, uint8_t(round & 0x40), 2};
        noisy.insert(noisy.end(), descriptor.begin(), descriptor.end());
        for (int block = 0; block < 4; ++block) {
            noisy.push_back(255);
            for (int i = 0; i < 255; ++i) noisy.push_back(uint8_t(rng.Next()));
        }
        noisy.push_back(0);
        noisy.push_back(0x3B);
        NyZazo q;
        (void)DecodeGif(noisy, q);
    }
}

TEST(GifMalformed, MissingTrailerOrTerminatorAfterTheEndCodeIsAccepted) {
    NyZazo p(9, 7, 4, 1);
    FillPalette(p, 2);
    FillIndices(p, 2);
    std::vector<uint8_t> bytes = EncodeGif(p);
    for (int cut : {1, 2}) {
        std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - cut);
        NyZazo back;
        ASSERT_TRUE(DecodeGif(shorter, back)) << cut << " " << back.lastError;
        ExpectSameIndicesAndPalette(p, back);
    }
}

TEST(GifPillow, PillowReadsWhatWeWrite) {
    ASSERT_TRUE(test::HavePythonModules({"PIL"}));
    test::TempDir dir;
    const int sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {101, 37}};
    std::vector<std::unique_ptr<NyZazo>> pictures;
    std::vector<std::string> paths;
    for (int depth : {1, 4, 8}) {
        for (const auto& size : sizes) {
            auto p = std::make_unique<NyZazo>(size[0], size[1], depth, 1);
            FillPalette(*p, depth + size[0]);
            FillIndices(*p, uint32_t(depth * 31 + size[1]));
            paths.push_back(dir.File("ours" + std::to_string(paths.size()) + ".gif"));
            ASSERT_TRUE(p->Save(paths.back(), kGif));
            pictures.push_back(std::move(p));
        }
    }
    const std::vector<test::RgbaImage> theirs = PillowDecode(dir, paths);
    for (size_t i = 0; i < pictures.size(); ++i) {
        SCOPED_TRACE("depth " + std::to_string(pictures[i]->BitCount()) + " width " +
                     std::to_string(pictures[i]->Width()));
        ASSERT_TRUE(theirs[i].Valid());
        test::ImageDiff diff = test::CompareRgb(test::ToRgba(*pictures[i]), theirs[i]);
        ASSERT_TRUE(diff.sameSize);
        EXPECT_EQ(diff.maxDiff, 0) << diff.differing << " pixels differ";
    }
}

TEST(GifPillow, WeReadWhatPillowWrites) {
    ASSERT_TRUE(test::HavePythonModules({"PIL"}));
    test::TempDir dir;
    const int sizes[][2] = {{1, 1}, {5, 3}, {17, 19}, {40, 33}, {257, 129}};
    std::string args;
    std::vector<std::string> paths, labels;
    for (int colours : {2, 16, 256})
        for (const auto& size : sizes)
            for (int interlace : {0, 1}) {
                paths.push_back(dir.File("pillow" + std::to_string(paths.size()) + ".gif"));
                labels.push_back(std::to_string(colours) + " colours, " + std::to_string(size[0]) + "x" +
                                 std::to_string(size[1]) + (interlace ? " interlaced" : ""));
                args += paths.back() + " " + std::to_string(size[0]) + " " + std::to_string(size[1]) + " " +
                        std::to_string(colours) + " " + std::to_string(interlace) + " ";
            }
    ASSERT_TRUE(RunPython(dir, kPillowEncode, args));
    const std::vector<test::RgbaImage> theirs = PillowDecode(dir, paths);
    int interlaced = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(labels[i]);
        const std::vector<uint8_t> bytes = test::ReadFileBytes(paths[i]);
        for (size_t k = 13; k + 9 < bytes.size(); ++k)
            if (bytes[k] == 0x2C && (bytes[k + 9] & 0x40)) {
                ++interlaced;
                break;
            }
        NyZazo ours;
        ASSERT_TRUE(ours.Load(paths[i], kGif)) << ours.lastError;
        test::ImageDiff diff = test::CompareRgb(test::ToRgba(ours), theirs[i]);
        ASSERT_TRUE(diff.sameSize);
        EXPECT_EQ(diff.maxDiff, 0) << diff.differing << " pixels differ";
    }
    EXPECT_GT(interlaced, 0) << "Pillow wrote no interlaced file";
}

namespace {

// Frames whose pixels differ from the reference because of our rules.
const std::map<std::pair<std::string, int>, const char*> kIntendedDifferences = {
    {{"issue_2811.gif", 0}, "minimum code size 11 is outside 2..9: the rows keep the white fill"},
    {{"dispose_none.gif", 1}, "a frame laid over the screen takes the nearest colours of the first frame's "
                              "2-colour palette"},
    {{"dispose_none.gif", 2}, "as frame 1"},
    {{"dispose_none.gif", 3}, "as frame 1"},
    {{"iss634.gif", 1}, "a frame laid over the screen takes the nearest colours of the first frame's palette"},
    {{"iss634.gif", 2}, "as frame 1"},
    {{"iss634.gif", 3}, "as frame 1"},
    {{"transparent_dispose.gif", 2}, "a frame's own disposal decides whether it is laid over its predecessor, "
                                     "so frame 2 lies over frame 1 as decoded, not over a cleared screen"},
};

// Files that fail, and why.
const std::map<std::string, const char*> kRefused = {
    {"decompression_bomb.gif", "minimum code size 143 and no data: the file ends inside the frame"},
    {"zero_width.gif", "a frame of width 0"},
};

}  // namespace

// Frames come alone at their own size (except those laid over the screen), so
// each is compared with the reference screen at its position; pixels that are
// transparent here are not compared (the reference shows what lies below).
TEST(GifCorpus, EveryFrameMatchesTheReferenceWhereTheRulesAgree) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "shared corpus not found at " << test::CorpusDir();
    const auto rows = test::CorpusEntries("gif");
    ASSERT_GE(rows.size(), 30u);
    int compared = 0;
    for (const auto& entry : rows) {
        const std::string name = test::CorpusFileName(entry.path);
        const std::string path = (test::CorpusDir() / entry.path).string();
        if (auto refused = kRefused.find(name); refused != kRefused.end()) {
            NyZazo p;
            p.SetLastError("");
            EXPECT_FALSE(p.Load(path, kGif)) << name << ": " << refused->second;
            EXPECT_STRNE(p.lastError, "") << name;
            continue;
        }
        for (int frame = 0; frame < std::min(entry.frames, 4); ++frame) {
            SCOPED_TRACE(name + " frame " + std::to_string(frame));
            NyZazo p;
            p.frameIndex = frame;
            ImageStream stream(ImageStream::kFile);
            ASSERT_TRUE(stream.OpenFile(path, "rb"));
            ASSERT_TRUE(p.Decode(stream, kGif)) << p.lastError;
            EXPECT_EQ(p.frameCount, entry.frames);
            const std::string refName =
                frame == 0 ? entry.bestRef : "ref/" + name + ".f" + std::to_string(frame) + ".png";
            if (refName == "-" || !std::filesystem::exists(test::CorpusDir() / refName)) continue;
            const test::RgbaImage ref = test::LoadPng((test::CorpusDir() / refName).string());
            ASSERT_TRUE(ref.Valid());
            const test::RgbaImage ours = test::ToRgba(p);
            long differing = 0;
            for (int y = 0; y < p.Height(); ++y)
                for (int x = 0; x < p.Width(); ++x) {
                    if (p.transparentIndex >= 0 && p.GetPixelIndex(x, p.Height() - 1 - y) == p.transparentIndex)
                        continue;
                    // A frame may reach past the screen; the reference ends there.
                    const int rx = x + p.offsetX, ry = y + p.offsetY;
                    if (rx >= ref.width || ry >= ref.height) continue;
                    const uint8_t* want = &ref.rgba[(size_t(ry) * ref.width + rx) * 4];
                    const uint8_t* got = &ours.rgba[(size_t(y) * ours.width + x) * 4];
                    if (want[3] == 0 || std::memcmp(want, got, 3) != 0) ++differing;
                }
            if (kIntendedDifferences.count({name, frame}) == 0) {
                EXPECT_EQ(differing, 0);
                ++compared;
            } else {
                EXPECT_GT(differing, 0) << "listed as an intended difference but matches";
            }
        }
    }
    EXPECT_GT(compared, 60);
}
