// The document's life: new pictures, opening by extension with every failure
// message, round trips through saving, the flat picture of palette files, save
// safety, document numbers and the names a save proposes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/FormatCodes.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/DocumentTestSupport.h"
#include "document/Utf16.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// A picture with a colour per pixel that differs in every channel.
void Pattern(NyZazo& p, int width, int height, int bitsPerPixel) {
    p.Create(width, height, bitsPerPixel, kFormatBmp);
    if (bitsPerPixel <= 8) {
        const int n = 1 << bitsPerPixel;
        for (int i = 0; i < n; ++i)
            p.SetPaletteColour(i, uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 97 % 256));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bitsPerPixel <= 8)
                p.SetPixelIndex(x, y, uint8_t((x * 3 + y * 5) % (1 << bitsPerPixel)));
            else
                p.SetPixelColour(x, y, MakeQuad(uint8_t(x * 40 + y), uint8_t(y * 30 + 7), uint8_t(x * y + 100)));
        }
}

bool CodecRoundTrips(int format) {
    test::TempDir dir;
    NyZazo p;
    Pattern(p, 3, 2, format == kFormatGif ? 8 : 24);
    const std::string path = dir.File(std::string("probe.") + DocumentIO::ExtensionFor(format));
    NyZazo q;
    return p.Save(path, format) && q.Load(path, format) && q.Width() == 3;
}

void ExpectSameColours(const NyZazo& expected, const NyZazo& actual, const std::string& what) {
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            RGBQUAD e = expected.GetPixelColour(x, y), a = actual.GetPixelColour(x, y);
            e.reserved = a.reserved = 0;
            ASSERT_EQ(a, e) << what << " at " << x << "," << y;
        }
}

}  // namespace

TEST(DocumentNew, ThreeBackgrounds) {
    auto white = test::MakeDocument(450, 450, NewPictureSettings::White);
    ASSERT_TRUE(white);
    EXPECT_EQ(white->CountLayers(), 1);
    EXPECT_EQ(white->Layer(0).kind, LayerKind::Background);
    EXPECT_EQ(white->LayerName(0), texts::kBackgroundLayerName);
    EXPECT_EQ(white->PictureName(), texts::kUntitledPicture);
    EXPECT_EQ(white->Layer(0).alpha.front(), 255);
    EXPECT_EQ(white->Header().bitsPerPixel, 24);
    ASSERT_EQ(white->RecordedSteps().size(), 1u);
    EXPECT_EQ(white->RecordedSteps()[0].name, texts::kStepOpening);
    EXPECT_FALSE(white->IsModified());

    auto clear = test::MakeDocument(450, 450, NewPictureSettings::Transparent);
    for (uint8_t a : clear->Layer(0).alpha) ASSERT_EQ(a, 0);
    for (uint8_t b : clear->Layer(0).pixels) ASSERT_EQ(b, 255);

    CVandDoc coloured;
    NewPictureSettings settings;
    settings.width = 3;
    settings.height = 2;
    settings.background = NewPictureSettings::Colour;
    settings.backgroundColour = MakeQuad(12, 34, 56);
    settings.name = "바다";
    ASSERT_TRUE(coloured.NewDocument(settings));
    EXPECT_EQ(coloured.PictureName(), "바다");
    const uint8_t* p = coloured.Layer(0).PixelRow(1) + 6;
    EXPECT_EQ(p[0], 56);
    EXPECT_EQ(p[1], 34);
    EXPECT_EQ(p[2], 12);

    // An 8-bit new picture is white and ends up a 24-bit document like any opened picture.
    settings.bitsPerPixel = 8;
    settings.background = NewPictureSettings::White;
    ASSERT_TRUE(coloured.NewDocument(settings));
    EXPECT_EQ(coloured.Header().bitsPerPixel, 24);
    EXPECT_EQ(coloured.Layer(0).PixelRow(0)[0], 255);

    settings.width = 0;
    EXPECT_FALSE(coloured.NewDocument(settings));
    settings.width = 3;
    settings.height = 0;
    EXPECT_FALSE(coloured.NewDocument(settings));
}

TEST(DocumentOpen, FailureMessages) {
    test::RecordingPlatform platform;
    test::TempDir dir;
    CVandDoc doc;

    // No extension, or one not in the table: refused without a message.
    EXPECT_FALSE(doc.OpenDocument(""));
    EXPECT_FALSE(doc.OpenDocument(dir.File("picture")));
    EXPECT_FALSE(doc.OpenDocument(dir.File("picture.xcf")));
    EXPECT_FALSE(doc.OpenDocument(dir.File("picture.")));
    EXPECT_TRUE(platform.messages.empty());

    // The directory part may hold 99 characters (UTF-16 units), not 100.
    for (const auto& [unit, bytes] : {std::pair<std::string, int>{"d", 1}, {"가", 3}}) {
        std::string dir99, dir100;
        for (int i = 0; i < 98; ++i) dir99 += unit;
        dir100 = dir99 + unit + "/";
        dir99 += "/";
        platform.messages.clear();
        EXPECT_FALSE(doc.OpenDocument(dir99 + "x.bmp"));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0], texts::kCannotOpenFile) << bytes;
        platform.messages.clear();
        EXPECT_FALSE(doc.OpenDocument(dir100 + "x.bmp"));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0], texts::kPathTooLong) << bytes;
    }

    // Missing and damaged pictures.
    platform.messages.clear();
    EXPECT_FALSE(doc.OpenDocument(dir.File("missing.bmp")));
    test::WriteFileBytes(dir.File("bad.bmp"), {'B', 'M', 0x10, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0});
    EXPECT_FALSE(doc.OpenDocument(dir.File("bad.bmp")));
    test::WriteFileBytes(dir.File("bad.psd"), {'8', 'B', 'P', 'S', 0, 9});
    EXPECT_FALSE(doc.OpenDocument(dir.File("bad.psd")));
    EXPECT_FALSE(doc.OpenDocument(dir.File("sheet.mzr")));
    EXPECT_EQ(platform.messages, std::vector<std::string>(4, texts::kCannotOpenFile));
    EXPECT_EQ(doc.Composite(), nullptr);

    // A native file of another version.
    platform.messages.clear();
    std::vector<uint8_t> qvx = {'\n', '3', '6', '3', ' ', '0', ' ', '0'};
    qvx.resize(qvx.size() + 256 + 64, 0);
    test::WriteFileBytes(dir.File("other.qvx"), qvx);
    EXPECT_FALSE(doc.OpenDocument(dir.File("other.qvx")));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kQvxVersionMismatch);

    // A picture without pixels.
    platform.messages.clear();
    NyZazo empty;
    EXPECT_FALSE(doc.BuildFromImage(empty, "", 255));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kFileDoesNotExist);
}

TEST(DocumentOpen, PalettePicturesBecomeOneLayer24BitDocuments) {
    test::TempDir dir;
    for (int bpp : {1, 4, 8}) {
        for (int width : {1, 3, 5, 7, 33}) {
            NyZazo source;
            Pattern(source, width, 3, bpp);
            const std::string what = std::to_string(bpp) + " bits, width " + std::to_string(width);
            // Upper-case extensions are compared lower-cased.
            const std::string path = dir.File("P" + std::to_string(bpp) + "_" + std::to_string(width) + ".BMP");
            ASSERT_TRUE(source.Save(path, kFormatBmp));
            CVandDoc doc;
            ASSERT_TRUE(doc.OpenDocument(path)) << what;
            EXPECT_EQ(doc.CountLayers(), 1);
            EXPECT_EQ(doc.Header().bitsPerPixel, 24) << what;
            EXPECT_EQ(doc.Header().colourCount, 0);
            EXPECT_EQ(doc.Layer(0).kind, LayerKind::Background);
            EXPECT_EQ(doc.LayerName(0), texts::kBackgroundLayerName);
            EXPECT_EQ(doc.Layer(0).stride, int(PlaneStride(24, width)));
            EXPECT_EQ(doc.PictureName(), path);
            EXPECT_EQ(doc.FileName(), "P" + std::to_string(bpp) + "_" + std::to_string(width) + ".BMP");
            EXPECT_EQ(doc.Visible().width, width);
            // Saved again by extension: the palette colours as 24-bit pixels.
            const std::string out = dir.File("out.bmp");
            ASSERT_TRUE(doc.SaveDocument(out)) << what;
            NyZazo back;
            ASSERT_TRUE(back.Load(out, kFormatBmp));
            EXPECT_EQ(back.BitCount(), 24);
            ExpectSameColours(source, back, what);
        }
    }
}

TEST(DocumentOpen, CorpusPalettePicturesMatchTheirReferences) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "corpus not present";
    int compared = 0;
    for (const char* name : {"g_pal1.bmp", "g_pal4.bmp", "g_pal8.bmp", "g_pal8os2.bmp", "g_pal1wb.bmp"}) {
        const auto path = test::CorpusDir() / "bmp" / name;
        const auto ref = test::CorpusDir() / "ref" / (std::string(name) + ".png");
        if (!std::filesystem::exists(path) || !std::filesystem::exists(ref)) continue;
        CVandDoc doc;
        ASSERT_TRUE(doc.OpenDocument(path.string())) << name;
        std::vector<uint32_t> flat;
        ASSERT_TRUE(doc.FlattenForSaving(flat));
        test::RgbaImage actual;
        actual.width = doc.Header().width;
        actual.height = doc.Header().height;
        for (uint32_t v : flat) {
            actual.rgba.push_back(uint8_t(v >> 16));
            actual.rgba.push_back(uint8_t(v >> 8));
            actual.rgba.push_back(uint8_t(v));
            actual.rgba.push_back(255);
        }
        const test::ImageDiff diff = test::CompareRgb(test::LoadPng(ref.string()), actual);
        EXPECT_TRUE(diff.sameSize) << name;
        EXPECT_EQ(diff.maxDiff, 0) << name;
        EXPECT_EQ(doc.Header().bitsPerPixel, 24) << name;
        ++compared;
    }
    EXPECT_EQ(compared, 5);
}

TEST(DocumentOpen, PsdThroughItsReader) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "corpus not present";
    const auto path = test::CorpusDir() / "psd" / "hopper.psd";
    const auto ref = test::CorpusDir() / "ref" / "hopper.psd.png";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "hopper.psd not in the corpus";
    CVandDoc doc;
    ASSERT_TRUE(doc.OpenDocument(path.string()));
    EXPECT_EQ(doc.Header().width, 128);
    EXPECT_EQ(doc.Header().bitsPerPixel, 24);
    EXPECT_EQ(doc.Header().formatType, kFormatPsd);
    test::RgbaImage reference = test::LoadPng(ref.string());
    ASSERT_TRUE(reference.Valid());
    test::TempDir dir;
    ASSERT_TRUE(doc.SaveDocument(dir.File("hopper.bmp")));
    NyZazo back;
    ASSERT_TRUE(back.Load(dir.File("hopper.bmp"), kFormatBmp));
    EXPECT_EQ(test::CompareRgb(reference, test::ToRgba(back)).maxDiff, 0);
    // PSD is read only.
    EXPECT_FALSE(doc.SaveDocument(dir.File("copy.psd")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("copy.psd")));
}

TEST(DocumentSave, RoundTripsByExtension) {
    test::TempDir dir;
    // TIFF keeps 24-bit pictures JPEG-compressed, so both are lossy here.
    const std::pair<int, bool> formats[] = {{kFormatBmp, true}, {kFormatTiff, false}, {kFormatGif, true},
                                            {kFormatJpeg, false}};
    for (const auto& [format, lossless] : formats) {
        if (!CodecRoundTrips(format)) {
            ADD_FAILURE() << "codec " << format << " cannot round-trip a 3 x 2 picture";
            continue;
        }
        for (int width : {1, 2, 3, 5, 7, 31}) {
            // A GIF source has at most 256 colours, which the octree keeps exactly.
            NyZazo source;
            Pattern(source, width, 5, format == kFormatGif ? 8 : 24);
            const std::string ext = DocumentIO::ExtensionFor(format);
            const std::string in = dir.File("in" + std::to_string(width) + ".bmp");
            const std::string out = dir.File("out" + std::to_string(width) + "." + ext);
            ASSERT_TRUE(source.Save(in, kFormatBmp));
            CVandDoc doc;
            ASSERT_TRUE(doc.OpenDocument(in));
            ASSERT_TRUE(doc.SaveDocument(out)) << ext << " " << width << ": " << doc.LastError();
            // The document keeps its depth after a GIF save.
            EXPECT_EQ(doc.Header().bitsPerPixel, 24);
            EXPECT_EQ(doc.Header().colourCount, 0);
            EXPECT_TRUE(doc.Header().palette.empty());
            CVandDoc reopened;
            ASSERT_TRUE(reopened.OpenDocument(out)) << ext;
            NyZazo back;
            ASSERT_TRUE(back.Load(out, format));
            if (lossless) {
                ExpectSameColours(source, back, ext + " width " + std::to_string(width));
            } else {
                ASSERT_EQ(back.Width(), width);
                ASSERT_EQ(back.Height(), 5);
                long total = 0;
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < width; ++x) {
                        const RGBQUAD e = source.GetPixelColour(x, y), a = back.GetPixelColour(x, y);
                        total += std::abs(e.red - a.red) + std::abs(e.green - a.green) + std::abs(e.blue - a.blue);
                    }
                EXPECT_LT(total / (15 * width), 24) << ext << " width " << width;
            }
        }
    }
}

TEST(DocumentSave, NativeRoundTripKeepsTheStack) {
    test::TempDir dir;
    auto doc = test::MakeDocument(9, 6);
    test::FillRandom(doc->Layer(0), 1);
    const int a = doc->InsertLayer(0);
    const int b = doc->InsertLayer(a);
    test::FillRandom(doc->Layer(a), 2);
    test::FillRandom(doc->Layer(b), 3);
    doc->SetLayerName(a, "구름");
    doc->Layer(a).blendMode = BlendMode::Overlay;
    doc->Layer(a).transparency = 40;
    doc->Layer(b).visible = 0;
    doc->Layer(b).x = -3;
    doc->Layer(b).y = 2;
    ASSERT_TRUE(doc->ReorderLayers(0, b));  // list b, a, 0
    std::vector<uint32_t> flat;
    ASSERT_TRUE(doc->FlattenForSaving(flat));
    ASSERT_TRUE(doc->SaveDocument(dir.File("stack.qvx")));
    EXPECT_FALSE(doc->IsModified());

    CVandDoc back;
    ASSERT_TRUE(back.OpenDocument(dir.File("stack.qvx")));
    EXPECT_EQ(back.HeadLayer(), b);
    EXPECT_EQ(back.CurrentLayer(), b);
    EXPECT_EQ(back.Layer(b).kind, LayerKind::Background);  // the bottom layer of an opened file
    EXPECT_EQ(back.LayerName(a), "구름");
    EXPECT_EQ(back.Layer(a).blendMode, BlendMode::Overlay);
    EXPECT_EQ(back.Layer(a).transparency, 40);
    EXPECT_EQ(back.Layer(b).visible, 0);
    EXPECT_EQ(back.Layer(b).x, -3);
    EXPECT_EQ(back.Layer(b).y, 2);
    for (int i : {0, a, b}) {
        EXPECT_EQ(back.Layer(i).pixels, doc->Layer(i).pixels);
        EXPECT_EQ(back.Layer(i).alpha, doc->Layer(i).alpha);
    }
    std::vector<uint32_t> again;
    ASSERT_TRUE(back.FlattenForSaving(again));
    EXPECT_EQ(again, flat);
    EXPECT_NE(back.DocumentNumber(), doc->DocumentNumber());
}

TEST(DocumentSave, AFailedSaveLeavesTheOldFile) {
    test::RecordingPlatform platform;
    test::TempDir dir;
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    auto doc = test::MakeDocument(4, 4);
    for (const char* name : {"keep.pcx", "keep.psd", "keep.mzr", "keep.xyz", "keep"}) {
        test::WriteFileBytes(dir.File(name), old);
        EXPECT_FALSE(doc->SaveDocument(dir.File(name))) << name;
        EXPECT_EQ(test::ReadFileBytes(dir.File(name)), old) << name;
    }
    // Nothing to flatten: no picture is written over the old one.
    CVandDoc empty;
    test::WriteFileBytes(dir.File("keep.bmp"), old);
    EXPECT_FALSE(empty.SaveDocument(dir.File("keep.bmp")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("keep.bmp")), old);
    // A broken layer list stops the native writer; the old file stays.
    test::WriteFileBytes(dir.File("keep.qvx"), old);
    ASSERT_TRUE(doc->AddLayer());
    doc->Layer(1).next = 45;
    EXPECT_FALSE(doc->SaveDocument(dir.File("keep.qvx")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("keep.qvx")), old);
    EXPECT_TRUE(doc->IsModified());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 7u);  // no temporary file left behind
}

TEST(DocumentNumbers, NeverRepeatPast999) {
    std::set<int32_t> seen;
    int32_t last = 0;
    for (int i = 0; i < 1200; ++i) {
        const int32_t n = DocumentIO::NextDocumentNumber();
        EXPECT_GT(n, last);
        last = n;
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 1200u);
    EXPECT_GT(last, 999);
    auto a = test::MakeDocument(2, 2);
    auto b = test::MakeDocument(2, 2);
    EXPECT_GT(b->DocumentNumber(), a->DocumentNumber());
}

TEST(DocumentSave, ModifiedFlag) {
    test::TempDir dir;
    auto doc = test::MakeDocument(3, 3);
    EXPECT_FALSE(doc->IsModified());
    ASSERT_TRUE(doc->AddLayer());
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(doc->SaveDocument(dir.File("m.bmp")));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->PathName(), dir.File("m.bmp"));
    EXPECT_EQ(doc->CountLayers(), 2);  // saving a picture file leaves the stack alone
}

TEST(DocumentSave, NamesTheSavePromptProposes) {
    EXPECT_EQ(DocumentIO::ProposedSaveName("바다"), "바다.qvx");
    for (const char* title : {"a#b", "50%", "x;y", "dir/p", "dir\\p"})
        EXPECT_EQ(DocumentIO::ProposedSaveName(title), "UntitledImage.qvx") << title;
    EXPECT_EQ(DocumentIO::CompleteSaveName("pic", kFormatGif), "pic.gif");
    EXPECT_EQ(DocumentIO::CompleteSaveName("pic.bmp", kFormatJpeg), "pic.bmp");
    EXPECT_EQ(DocumentIO::CompleteSaveName("a.b/longname", kFormatTiff), "a.b/longname.tif");
    EXPECT_EQ(DocumentIO::CompleteSaveName("my.jpeg", kFormatBmp), "my.jpeg");  // "." within the last five
    EXPECT_EQ(DocumentIO::CompleteSaveName("사진.q", kFormatQvx), "사진.q");

    // New pictures and read-only formats ask for a name; an opened BMP does not.
    test::TempDir dir;
    auto fresh = test::MakeDocument(2, 2);
    EXPECT_TRUE(DocumentIO::NeedsSaveAs(*fresh));
    ASSERT_TRUE(fresh->SaveDocument(dir.File("a.bmp")));
    CVandDoc opened;
    ASSERT_TRUE(opened.OpenDocument(dir.File("a.bmp")));
    EXPECT_FALSE(DocumentIO::NeedsSaveAs(opened));
    opened.Composite()->formatType = kFormatPcx;
    EXPECT_TRUE(DocumentIO::NeedsSaveAs(opened));
}

// "복제": a new picture of the source's size holding its current layer flattened
// onto the chosen background, named with a running number and the source's name.
TEST(DocumentDuplicate, CopiesTheCurrentLayerIntoANamedNewPicture) {
    auto source = test::MakeDocument(5, 4);
    ASSERT_NE(source, nullptr);
    SetFixedName(source->Header().name, u"바다.bmp");
    ASSERT_TRUE(source->AddLayer());
    LayerRecord& layer = source->Layer(source->CurrentLayer());
    test::FillRandom(layer, 21);
    std::fill(layer.alpha.begin(), layer.alpha.end(), 255);
    layer.alpha[7] = 0;  // shows the white background in the copy

    NewPictureSettings settings;
    settings.width = 99;
    settings.bitsPerPixel = 8;
    CVandDoc first, second;
    ASSERT_TRUE(DocumentIO::DuplicateDocument(*source, first, settings));
    EXPECT_EQ(settings.width, 5);
    EXPECT_EQ(settings.height, 4);
    EXPECT_EQ(settings.bitsPerPixel, 24);
    EXPECT_EQ(first.CountLayers(), 1);
    EXPECT_EQ(first.Header().width, 5);
    EXPECT_EQ(first.Header().height, 4);
    EXPECT_EQ(first.Layer(first.HeadLayer()).kind, LayerKind::Background);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* got = first.Layer(first.HeadLayer()).PixelRow(y) + 3 * x;
            const uint8_t* want = layer.PixelRow(y) + 3 * x;
            const bool white = y * 5 + x == 7;
            for (int c = 0; c < 3; ++c) EXPECT_EQ(got[c], white ? 255 : want[c]) << x << "," << y;
        }
    ASSERT_TRUE(DocumentIO::DuplicateDocument(*source, second, settings));
    // "복사%d_%s": the running number grows by one per duplicate.
    int n1 = 0, n2 = 0;
    ASSERT_EQ(std::sscanf(first.PictureName().c_str(), "복사%d_", &n1), 1) << first.PictureName();
    ASSERT_EQ(std::sscanf(second.PictureName().c_str(), "복사%d_", &n2), 1);
    EXPECT_EQ(n2, n1 + 1);
    EXPECT_EQ(first.PictureName(), "복사" + std::to_string(n1) + "_바다.bmp");
    EXPECT_EQ(first.FileName(), first.PictureName());
}

// "잘라서새로만들기": the selected part of the current layer becomes a picture
// "이름없음" of exactly that part's size.
TEST(DocumentDuplicate, NewPictureFromTheSelection) {
    test::RecordingPlatform platform;
    auto source = test::MakeDocument(7, 6);
    ASSERT_NE(source, nullptr);
    test::FillRandom(source->Layer(0), 5);
    std::fill(source->Layer(0).alpha.begin(), source->Layer(0).alpha.end(), 255);
    NewPictureSettings settings;
    CVandDoc target;
    EXPECT_FALSE(DocumentIO::NewFromSelection(*source, target, settings));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kSelectAreaFirst);

    SelectionMask& selection = source->State().selection;
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    for (int r = 2; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c) selection.mask[size_t(r) * 7 + c] = 1;
    selection.selectionActive = 1;
    ASSERT_TRUE(DocumentIO::NewFromSelection(*source, target, settings));
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(target.Header().width, 4);
    EXPECT_EQ(target.Header().height, 3);
    EXPECT_EQ(target.CountLayers(), 1);
    EXPECT_EQ(target.PictureName(), texts::kUntitledPicture);
    EXPECT_EQ(target.FileName(), texts::kUntitledPicture);
    const LayerRecord& layer = target.Layer(target.HeadLayer());
    EXPECT_EQ(layer.kind, LayerKind::Background);
    for (int y = 0; y < 3; ++y)
        EXPECT_TRUE(std::equal(layer.PixelRow(y), layer.PixelRow(y) + 12, source->Layer(0).PixelRow(y + 2) + 3))
            << y;

    // A selection that leaves nothing of the layer ends without a message.
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    CVandDoc none;
    EXPECT_FALSE(DocumentIO::NewFromSelection(*source, none, settings));
    EXPECT_EQ(platform.messages.size(), 1u);

    // 4000 pixels is the widest part; one more ends without a message.
    for (int width : {4000, 4001}) {
        auto wide = test::MakeDocument(width, 2);
        ASSERT_NE(wide, nullptr);
        wide->State().selection.selectionActive = 1;  // the whole layer is selected
        CVandDoc cut;
        EXPECT_EQ(DocumentIO::NewFromSelection(*wide, cut, settings), width == 4000);
        EXPECT_EQ(platform.messages.size(), 1u);
    }
}
