// WebP codec: lossless round trips are exact, lossy ones close; files Pillow writes
// decode as Pillow decodes them; hostile files fail with a clear text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoWEBP.h"
#include "core/PictureProbe.h"
#include "support/PictureCompare.h"
#include "support/SecondDecoder.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

std::vector<uint8_t> EncodeWebp(NyZazo& picture) {
    ImageStream out(ImageStream::kMemory);
    EXPECT_TRUE(picture.Encode(out, kFormatWebp)) << picture.lastError;
    return std::vector<uint8_t>(out.data(), out.data() + out.size());
}

bool DecodeWebp(const std::vector<uint8_t>& bytes, NyZazo& picture, int code = kFormatWebp) {
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    return picture.Decode(in, code);
}

// A smooth colour picture, as photographs are, where lossy coding keeps close.
void SmoothPicture(NyZazo& picture, int width, int height) {
    ASSERT_TRUE(picture.Create(width, height, 24, 1));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = uint8_t(128 + 100 * std::sin(x / 9.0));
            p[1] = uint8_t(y * 255 / height);
            p[2] = uint8_t(x * 255 / width);
        }
}

double MeanError(const NyZazo& a, const NyZazo& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int i = 0; i < a.Width() * 3; ++i) sum += std::abs(int(a.Row(y)[i]) - int(b.Row(y)[i]));
    return sum / (double(a.Width()) * a.Height() * 3);
}

std::string RunPython(const std::string& script, const std::string& dir) {
    const std::string command = test::PillowPython() + " -c \"" + script + "\" '" + dir + "' 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "popen failed";
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    const int status = pclose(pipe);
    return status == 0 ? std::string() : out;
}

}  // namespace

TEST(Webp, OpacityPicturesRoundTripExactlyColourUnderTransparentPixelsIncluded) {
    NyZazo picture;
    test::PatternPicture(picture, 45, 19, 32);
    picture.Row(0)[3] = 0;  // a transparent pixel keeps its colour too
    const std::vector<uint8_t> bytes = EncodeWebp(picture);
    ASSERT_GT(bytes.size(), 20u);
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "VP8L") << "lossless";
    NyZazo back;
    ASSERT_TRUE(DecodeWebp(bytes, back)) << back.lastError;
    EXPECT_EQ(back.formatType, kFormatWebp);
    test::SamePicture(picture, back);
}

TEST(Webp, ColourPicturesAreLossyAtThePictureQualityOrLosslessWhenAsked) {
    NyZazo picture;
    SmoothPicture(picture, 96, 64);
    const std::vector<uint8_t> best = EncodeWebp(picture);  // the picture's quality: 150, so 100
    EXPECT_EQ(std::string(best.begin() + 12, best.begin() + 16), "VP8 ");
    NyZazo back;
    ASSERT_TRUE(DecodeWebp(best, back)) << back.lastError;
    ASSERT_EQ(back.BitCount(), 24);
    EXPECT_LT(MeanError(picture, back), 1.5);

    picture.jpegQuality = 20;
    const std::vector<uint8_t> small = EncodeWebp(picture);
    EXPECT_LT(small.size(), best.size());
    NyZazo rough;
    ASSERT_TRUE(DecodeWebp(small, rough));
    EXPECT_LT(MeanError(picture, rough), 6.0);

    picture.webpLossless = 1;
    NyZazo exact;
    ASSERT_TRUE(DecodeWebp(EncodeWebp(picture), exact));
    test::SamePicture(picture, exact);
}

TEST(Webp, PalettePicturesAreWrittenInColourWithTheirTransparentIndex) {
    NyZazo picture;
    test::PatternPicture(picture, 21, 13, 4);
    picture.transparentIndex = 2;
    NyZazo back;
    ASSERT_TRUE(DecodeWebp(EncodeWebp(picture), back)) << back.lastError;
    ASSERT_EQ(back.BitCount(), 32);
    EXPECT_EQ(test::ShownRgba(back), test::ShownRgba(picture));
}

TEST(Webp, FormatRowSignatureProbeAndSideLimit) {
    EXPECT_EQ(FormatFromExtension("webp"), kFormatWebp);
    EXPECT_TRUE(CanSaveExtension("WEBP"));
    EXPECT_NE(FileTypeFilterList(true).find("*.webp"), std::string::npos);
    NyZazo picture;
    test::PatternPicture(picture, 12, 7, 32);
    const std::vector<uint8_t> bytes = EncodeWebp(picture);
    NyZazo detected;
    ASSERT_TRUE(DecodeWebp(bytes, detected, kFormatUndetermined));
    EXPECT_EQ(detected.formatType, kFormatWebp);
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    PictureDimensions size;
    ASSERT_TRUE(ProbePicture(in, kFormatWebp, size));
    EXPECT_EQ(size.width, 12);
    EXPECT_EQ(size.height, 7);
    EXPECT_EQ(size.bitsPerPixel, 32);

    NyZazo wide;
    ASSERT_TRUE(wide.Create(NyZazoWEBP::kMaxSide + 1, 1, 24, 1));
    ImageStream out(ImageStream::kMemory);
    EXPECT_FALSE(wide.Encode(out, kFormatWebp));
    EXPECT_STREQ(wide.lastError, texts::kWebpTooLarge);
}

TEST(Webp, HostileFilesFailWithAClearTextAndLeaveTheTargetAlone) {
    NyZazo picture;
    SmoothPicture(picture, 64, 48);
    const std::vector<uint8_t> good = EncodeWebp(picture);
    auto expectFailure = [](std::vector<uint8_t> bytes, const std::string& text) {
        NyZazo target;
        ASSERT_TRUE(target.Create(3, 2, 8, kFormatBmp));
        EXPECT_FALSE(DecodeWebp(bytes, target));
        EXPECT_NE(std::string(target.lastError).find(text), std::string::npos) << target.lastError;
        EXPECT_EQ(target.Width(), 3);
    };
    expectFailure(std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)), texts::kTruncatedFile);
    expectFailure(std::vector<uint8_t>(good.begin(), good.begin() + 11), texts::kWebpNotWebp);
    std::vector<uint8_t> notWebp = good;
    notWebp[8] = 'X';
    expectFailure(notWebp, texts::kWebpNotWebp);
    // A RIFF size far past the end: only the bytes there are read, and they are short.
    std::vector<uint8_t> lying(good.begin(), good.begin() + 40);
    lying[4] = lying[5] = lying[6] = 0xFF, lying[7] = 0x7F;
    expectFailure(lying, texts::kTruncatedFile);
    // Found by the fuzz target: a RIFF size smaller than the header itself.
    expectFailure({'R', 'I', 'F', 'F', 2, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'L', 0, 0}, "damaged WebP file");
    std::vector<uint8_t> damaged = good;
    for (size_t i = 40; i < damaged.size(); i += 3) damaged[i] ^= 0xA5;
    NyZazo target;
    if (!DecodeWebp(damaged, target)) {
        EXPECT_NE(target.lastError[0], '\0');
    }
}

TEST(Webp, FilesPillowWritesDecodeAsPillowDecodesThemAndPillowReadsOurs) {
    ASSERT_TRUE(test::HavePythonModules({"PIL", "numpy"}));
    test::TempDir dir;
    NyZazo picture;
    test::PatternPicture(picture, 33, 21, 32);
    ASSERT_TRUE(picture.Save(dir.File("ours_alpha.webp"), kFormatWebp)) << picture.lastError;
    const std::string script =
        "import sys, numpy as np\n"
        "from PIL import Image\n"
        "d = sys.argv[1]\n"
        "y, x = np.mgrid[0:40, 0:50]\n"
        "rgb = np.dstack([x * 5, y * 6, (x * y) % 256]).astype(np.uint8)\n"
        "a = ((x * 7 + y * 3) % 256).astype(np.uint8)\n"
        "Image.fromarray(rgb, 'RGB').save(d + '/lossy.webp', quality=80)\n"
        "Image.fromarray(rgb, 'RGB').save(d + '/lossless.webp', lossless=True)\n"
        "Image.fromarray(np.dstack([rgb, a]), 'RGBA').save(d + '/alpha_lossy.webp', quality=70)\n"
        "Image.fromarray(np.dstack([rgb, a]), 'RGBA').save(d + '/alpha_lossless.webp', lossless=True, exact=True)\n"
        "Image.fromarray(rgb, 'RGB').save(d + '/animated.webp', save_all=True, "
        "append_images=[Image.fromarray(255 - rgb, 'RGB')], duration=100)\n"
        "for name in ('lossy', 'lossless', 'alpha_lossy', 'alpha_lossless', 'ours_alpha'):\n"
        "    open(d + '/' + name + '.rgba', 'wb').write(np.array(Image.open(d + '/' + name + '.webp').convert('RGBA')).tobytes())\n";
    const std::string failure = RunPython(script, dir.path().string());
    ASSERT_EQ(failure, "") << failure;

    for (const char* name : {"lossy", "lossless", "alpha_lossy", "alpha_lossless"}) {
        SCOPED_TRACE(name);
        NyZazo read;
        ASSERT_TRUE(read.Load(dir.File(std::string(name) + ".webp"), kFormatWebp)) << read.lastError;
        EXPECT_EQ(read.BitCount(), std::string(name).find("alpha") == 0 ? 32 : 24);
        EXPECT_EQ(test::ShownRgba(read), test::ReadFileBytes(dir.File(std::string(name) + ".rgba")));
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("ours_alpha.rgba")), test::ShownRgba(picture));

    NyZazo animated;
    EXPECT_FALSE(animated.Load(dir.File("animated.webp"), kFormatWebp));
    EXPECT_NE(std::string(animated.lastError).find(texts::kWebpAnimated), std::string::npos) << animated.lastError;
}
