#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"

using namespace quillory;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<uint8_t> Encoded(int format) {
    NyZazo p(5, 3, format == kFormatGif ? 8 : 24, kFormatBmp);
    if (format == kFormatGif) p.SetGreyPalette();
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(p.Encode(s, format)) << format << ": " << p.lastError;
    return std::vector<uint8_t>(s.data(), s.data() + s.size());
}

// The first bytes of a file of each format that the readers take.
std::vector<uint8_t> Sample(int format) {
    switch (format) {
        case kFormatPcx: {
            std::vector<uint8_t> pcx(128, 0);
            pcx[0] = 10, pcx[2] = 1, pcx[3] = 8, pcx[65] = 1, pcx[66] = 2;
            return pcx;
        }
        case kFormatPsd: return {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
        default: return Encoded(format);
    }
}

}  // namespace

TEST(FormatFromExtension, MapsEveryKnownExtensionInAnyCase) {
    EXPECT_EQ(FormatFromExtension("qvx"), 5);
    EXPECT_EQ(FormatFromExtension("mzr"), 6);
    EXPECT_EQ(FormatFromExtension("bmp"), 1);
    EXPECT_EQ(FormatFromExtension("jpg"), 0);
    EXPECT_EQ(FormatFromExtension("jpeg"), 0);
    EXPECT_EQ(FormatFromExtension("gif"), 2);
    EXPECT_EQ(FormatFromExtension("tif"), 3);
    EXPECT_EQ(FormatFromExtension("tiff"), 3);
    EXPECT_EQ(FormatFromExtension("pcx"), 4);
    EXPECT_EQ(FormatFromExtension("psd"), 7);
    EXPECT_EQ(FormatFromExtension("JPEG"), 0);
    EXPECT_EQ(FormatFromExtension("TiF"), 3);
    EXPECT_EQ(FormatFromExtension("png"), -1);
    EXPECT_EQ(FormatFromExtension("jp"), -1);
    EXPECT_EQ(FormatFromExtension(""), -1);
    EXPECT_EQ(ExtensionOf("/a.b/Picture.JPEG"), "jpeg");
    EXPECT_EQ(ExtensionOf("/a.b/noext"), "");
}

TEST(FormatTable, OneRowPerCodeAndEveryExtensionOnce) {
    std::set<int> codes;
    std::set<std::string> extensions;
    for (const FormatRow& row : FormatTable()) {
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
        for (const char* const* ext = row.extensions; *ext; ++ext) {
            EXPECT_TRUE(extensions.insert(*ext).second) << *ext;
            EXPECT_EQ(FormatFromExtension(*ext), row.code);
        }
        // A picture format that can be opened has a reader; one that can be saved a writer.
        const bool document = row.code == kFormatQvx || row.code == kFormatMzr;
        if (!document) {
            EXPECT_EQ(row.canOpen, row.decode != nullptr) << row.name;
            EXPECT_EQ(row.canSave, row.encode != nullptr) << row.name;
            EXPECT_NE(row.signature, nullptr) << row.name;
        }
    }
    EXPECT_STREQ(PrimaryExtension(kFormatJpeg), "jpg");
    EXPECT_STREQ(PrimaryExtension(kFormatTiff), "tif");
    EXPECT_STREQ(PrimaryExtension(42), "");
    EXPECT_FALSE(FindFormat(kFormatPsd)->canSave);
    EXPECT_TRUE(FindFormat(kFormatPsd)->canOpen);
}

TEST(FormatTable, SaveOffersOnlyFormatsWithAWriter) {
    EXPECT_TRUE(CanSaveExtension("JPG"));
    EXPECT_TRUE(CanSaveExtension("qvx"));
    EXPECT_FALSE(CanSaveExtension("pcx"));
    EXPECT_FALSE(CanSaveExtension("psd"));
    EXPECT_TRUE(CanSaveExtension("mzr"));  // measurement documents
    EXPECT_FALSE(CanSaveExtension(""));
    EXPECT_TRUE(CanSaveFormat(kFormatGif));
    EXPECT_FALSE(CanSaveFormat(kFormatPcx));
}

TEST(FileTypeTable, FiltersListEveryExtensionInBothCases) {
    EXPECT_EQ(FileTypePatterns(3), "*.tif;*.tiff;*.TIF;*.TIFF");
    EXPECT_EQ(FormatPatterns(kFormatJpeg, ' '), "*.jpg *.jpeg *.JPG *.JPEG");
    EXPECT_EQ(FileTypePatterns(6), "*.mzr;*.MZR");
    EXPECT_EQ(FileTypeSaveFlag(4), 0);
    EXPECT_EQ(FileTypeSaveFlag(7), 0);
    EXPECT_EQ(FileTypeSaveFlag(5), 1);
    EXPECT_EQ(FileTypeSaveFlag(kAllPicturesId), 0);
    EXPECT_EQ(FileTypeSaveFlag(42), 0);

    const std::string all = FileTypePatterns(kAllPicturesId);
    EXPECT_EQ(all, AllPicturesPatterns());
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.JPEG", "*.tif", "*.tiff", "*.TIFF", "*.bmp", "*.gif", "*.pcx",
                                "*.PCX", "*.psd", "*.qvx"})
        EXPECT_TRUE(Has(all + ";", std::string(pattern) + ";")) << pattern;
    EXPECT_TRUE(Has(all + ";", "*.mzr;"));

    const std::string save = FileTypeFilterList(true);
    EXPECT_EQ(save.substr(0, 30), std::string("jpg\0*.jpg;*.jpeg;*.JPG;*.JPEG\0", 30));
    EXPECT_FALSE(Has(save, std::string("pcx\0", 4)));
    EXPECT_FALSE(Has(save, std::string("psd\0", 4)));
    EXPECT_FALSE(Has(save, texts::kAllPicturesName));
    const std::string open = FileTypeFilterList(false);
    EXPECT_TRUE(Has(open, std::string("psd\0*.psd;*.PSD\0", 16)));
    EXPECT_TRUE(Has(open, texts::kAllPicturesName));
    EXPECT_EQ(FileTypeTable().back().formatId, kAllPicturesId);
}

// Each signature check takes its own format's files and none of the others'; automatic
// detection then finds every format the table can write.
TEST(FormatTable, SignaturesTellTheFormatsApart) {
    std::vector<int> formats = {kFormatJpeg, kFormatBmp, kFormatGif, kFormatTiff, kFormatPcx, kFormatPsd};
    for (int sampleFormat : formats) {
        const std::vector<uint8_t> sample = Sample(sampleFormat);
        for (int format : formats) {
            const FormatRow* row = FindFormat(format);
            const size_t n = std::min(sample.size(), kSignatureBytes);
            EXPECT_EQ(row->signature(sample.data(), n), format == sampleFormat)
                << row->name << " on a sample of " << FindFormat(sampleFormat)->name;
        }
        if (!FindFormat(sampleFormat)->encode) continue;
        ImageStream s(sample.data(), uint32_t(sample.size()));
        NyZazo p;
        ASSERT_TRUE(p.Decode(s, kFormatUndetermined)) << sampleFormat;
        EXPECT_EQ(p.formatType, sampleFormat);
        EXPECT_EQ(p.Width(), 5);
    }
    // Files too short for any signature.
    const uint8_t one = 'B';
    EXPECT_FALSE(FindFormat(kFormatBmp)->signature(&one, 1));
    EXPECT_FALSE(FindFormat(kFormatJpeg)->signature(&one, 0));
}
