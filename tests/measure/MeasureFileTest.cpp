// Measurement documents (.mzr): the bytes written, round trips through the
// document's save and open, and files that must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/ImageStream.h"
#include "document/DocumentIO.h"
#include "document/Utf16.h"
#include "measure/MeasureFile.h"
#include "measure/MeasureTestSupport.h"
#include "measure/MeasureTexts.h"
#include "support/TestFiles.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// UTF-16LE bytes of an ASCII or UTF-8 text.
std::vector<uint8_t> Wide(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : Utf8ToUtf16(text)) bytes.push_back(uint8_t(unit)), bytes.push_back(uint8_t(unit >> 8));
    return bytes;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
    if (from > bytes.size()) return {};
    return std::vector<uint8_t>(bytes.begin() + long(from), bytes.begin() + long(std::min(bytes.size(), from + count)));
}

std::vector<uint8_t> Tail(const std::vector<uint8_t>& bytes, size_t from) {
    return from > bytes.size() ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes.begin() + long(from), bytes.end());
}

}  // namespace

TEST(MeasureFile, ADocumentWithoutObjectsIsWrittenFieldByField) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(3, 2);
    const std::string path = dir.File("empty.mzr");
    ASSERT_TRUE(doc->SaveDocument(path));
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    // "\n 0 0", the header, "\n 0 ", one layer (396 + 2 × 12 + 2 × 6 bytes: rows of 9 bytes padded to 12).
    const std::vector<uint8_t> start = Wide("\n 0 0");
    EXPECT_EQ(Slice(bytes, 0, start.size()), start);
    size_t at = start.size() + 256;
    const std::vector<uint8_t> layerLine = Wide("\n 0 ");
    EXPECT_EQ(Slice(bytes, at, layerLine.size()), layerLine);
    at += layerLine.size();
    EXPECT_EQ(bytes[at + 208], LayerKind::Background);
    at += 396 + 24 + 6 + 6;
    EXPECT_EQ(Tail(bytes, at), Wide("\n NumOf_MicObjs 0"));
    EXPECT_FALSE(doc->IsModified());
}

TEST(MeasureFile, ObjectsAreWrittenAsTextLinesAfterTheLayers) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(100, 60);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 20}, {50, 20});
    Click(*doc, cmd::kToolPointMark, {7, 8});
    MeasurePress(*doc, cmd::kToolMeasureText, {30, 40}, "7 a b");
    const std::string path = dir.File("sheet.mzr");
    ASSERT_TRUE(doc->SaveDocument(path));
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const std::vector<uint8_t> tail = Wide(
        "\n NumOf_MicObjs 3"
        "\n             선분 2 0 0 10 20 50 20"
        "\n            점표시 1 1 0 7 8"
        "\n             글자 3 0 5 30 40 30 40 60 " +
        std::to_string(40 + MeasuresOf(*doc).Settings().LabelPixelHeight()) + "\n7 a b");
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(Tail(bytes, bytes.size() - tail.size()), tail);
}

TEST(MeasureFile, RoundTripsKeepLayersObjectsAndMeasureThemAgain) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(160, 120);
    // The calibration belongs to the program, not to the file: every document shares it.
    MeasureSettings shared;
    MeasuresOf(*doc).UseSettings(&shared);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 20}, {50, 20});
    for (MeasurePoint p : {MeasurePoint{20, 60}, MeasurePoint{60, 60}, MeasurePoint{60, 100}})
        Click(*doc, cmd::kToolMeasurePolygon, p);
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolygon, cmd::kToolPointMark);
    for (int i = 0; i < 7; ++i) Click(*doc, cmd::kToolPointMark, {100 + 5 * i, 30});
    MeasurePress(*doc, cmd::kToolMeasureText, {90, 90}, "12 cells  here");
    const MeasureSet& saved = *FindMeasures(*doc);
    const int layer = saved.MeasureLayerIndex();
    const std::vector<uint8_t> alpha = doc->Layer(layer).alpha;
    const std::string path = dir.File("round.mzr");
    ASSERT_TRUE(doc->SaveDocument(path));

    CVandDoc reopened;
    MeasuresOf(reopened).UseSettings(&shared);
    ASSERT_TRUE(reopened.OpenDocument(path)) << reopened.LastError();
    const MeasureSet& set = *FindMeasures(reopened);
    ASSERT_EQ(set.ObjectCount(), 10);
    EXPECT_FLOAT_EQ(set.Object(0).length, 4.0f);
    EXPECT_EQ(set.Object(1).kind, mtexts::kKindPolygon);
    EXPECT_EQ(set.Object(1).area, saved.Object(1).area);
    EXPECT_EQ(set.Object(8).markNumber, 7);
    EXPECT_EQ(set.Object(9).text, "12 cells  here");
    EXPECT_EQ(set.markCounter, 8);  // the next mark is 8
    EXPECT_EQ(reopened.CurrentLayer(), reopened.HeadLayer());
    EXPECT_EQ(reopened.Layer(layer).kind, LayerKind::Measure);
    EXPECT_EQ(reopened.Layer(layer).alpha, alpha);  // the figures were drawn again from the objects
    EXPECT_EQ(reopened.PathName(), path);
    EXPECT_FALSE(reopened.IsModified());
    EXPECT_EQ(reopened.Composite()->formatType, 6);

    Click(reopened, cmd::kToolPointMark, {10, 100});
    EXPECT_EQ(FindMeasures(reopened)->Object(10).markNumber, 8);

    // The same bytes when written again.
    const std::string again = dir.File("again.mzr");
    CVandDoc second;
    MeasuresOf(second).UseSettings(&shared);
    ASSERT_TRUE(second.OpenDocument(path));
    ASSERT_TRUE(second.SaveDocument(again));
    const std::vector<uint8_t> a = ReadFileBytes(path), b = ReadFileBytes(again);
    // The current layer and the layers' changed marks differ after opening; the objects are the same.
    EXPECT_EQ(a.size(), b.size());
    const std::vector<uint8_t> tag = Wide("NumOf_MicObjs");
    const auto objectsA = std::search(a.begin(), a.end(), tag.begin(), tag.end());
    const auto objectsB = std::search(b.begin(), b.end(), tag.begin(), tag.end());
    EXPECT_EQ(objectsA - a.begin(), objectsB - b.begin());
    EXPECT_TRUE(std::equal(objectsA, a.end(), objectsB, b.end()));
}

TEST(MeasureFile, ANameThatStartsWithADigitIsNotTakenForTheCurrentLayer) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(20, 20);
    SetFixedName(doc->Header().name, u"2024 slide");
    Click(*doc, cmd::kToolPointMark, {10, 10});
    const std::string path = dir.File("digits.mzr");
    ASSERT_TRUE(doc->SaveDocument(path));
    CVandDoc reopened;
    ASSERT_TRUE(reopened.OpenDocument(path)) << reopened.LastError();
    EXPECT_EQ(reopened.PictureName(), "2024 slide");
    EXPECT_EQ(FindMeasures(reopened)->ObjectCount(), 1);
}

TEST(MeasureFile, DamagedFilesAreRefusedAndLeaveTheDocumentAlone) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(30, 20);
    Click(*doc, cmd::kToolPointMark, {10, 10});
    const std::string path = dir.File("good.mzr");
    ASSERT_TRUE(doc->SaveDocument(path));
    const std::vector<uint8_t> good = ReadFileBytes(path);

    auto refused = [&](const std::vector<uint8_t>& bytes, const char* why) {
        ImageStream in(bytes.data(), uint32_t(bytes.size()));
        MeasureDocumentFile file;
        std::string error;
        EXPECT_FALSE(ReadMeasureDocument(in, file, error)) << why;
        EXPECT_FALSE(error.empty()) << why;
    };
    for (size_t cut : {size_t(0), size_t(5), size_t(200), good.size() / 2, good.size() - 3})
        refused(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)), "truncated");
    std::vector<uint8_t> bytes = good;
    const std::vector<uint8_t> count = Wide("NumOf_MicObjs 1");
    auto at = std::search(bytes.begin(), bytes.end(), count.begin(), count.end());
    ASSERT_NE(at, bytes.end());
    std::vector<uint8_t> many(bytes.begin(), at);
    const std::vector<uint8_t> tooMany = Wide("NumOf_MicObjs 701");
    many.insert(many.end(), tooMany.begin(), tooMany.end());
    refused(many, "701 objects");
    std::vector<uint8_t> unknown(bytes.begin(), at);
    const std::vector<uint8_t> strange = Wide("NumOf_MicObjs 1\n  별모양 1 0 0 1 1");
    unknown.insert(unknown.end(), strange.begin(), strange.end());
    refused(unknown, "unknown kind");
    std::vector<uint8_t> hugePoints(bytes.begin(), at);
    const std::vector<uint8_t> points = Wide("NumOf_MicObjs 1\n  선분 2000000 0 0 1 1");
    hugePoints.insert(hugePoints.end(), points.begin(), points.end());
    refused(hugePoints, "too many points");
    // A layer link that loops back.
    std::vector<uint8_t> loop = good;
    loop[Wide("\n 0 0").size() + 256 + Wide("\n 0 ").size() + 212] = 0;
    refused(loop, "next link to itself");

    // Opening a damaged file keeps what the document had.
    const std::string bad = dir.File("bad.mzr");
    WriteFileBytes(bad, std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)));
    EXPECT_FALSE(doc->OpenDocument(bad));
    EXPECT_EQ(FindMeasures(*doc)->ObjectCount(), 1);
    EXPECT_EQ(doc->Header().width, 30);
    EXPECT_FALSE(doc->OpenDocument(dir.File("missing.mzr")));
}

TEST(MeasureFile, AFailedSaveKeepsTheOldFile) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(10, 10);
    const std::string path = dir.File("missing-folder/x.mzr");
    EXPECT_FALSE(doc->SaveDocument(path));
    EXPECT_FALSE(doc->LastError().empty());
    // A document whose stack is broken writes nothing over the old file.
    const std::string old = dir.File("old.mzr");
    WriteFileBytes(old, {'o', 'l', 'd'});
    doc->Layer(doc->HeadLayer()).next = int16_t(doc->HeadLayer());
    EXPECT_FALSE(doc->SaveDocument(old));
    EXPECT_EQ(ReadFileBytes(old), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

namespace {

// A good file of a 40 × 30 picture whose objects are the given text lines instead.
std::vector<uint8_t> WithObjects(const std::string& objects) {
    auto doc = MakePicture(40, 30);
    TempDir dir;
    const std::string path = dir.File("plain.mzr");
    if (!doc->SaveDocument(path)) return {};
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    const std::vector<uint8_t> tag = Wide("NumOf_MicObjs");
    bytes.erase(std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end()), bytes.end());
    const std::vector<uint8_t> tail = Wide(objects);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

void ExpectEveryPointOnThePicture(const CVandDoc& doc, const std::string& what) {
    const MeasureSet* set = FindMeasures(doc);
    ASSERT_NE(set, nullptr) << what;
    for (int i = 0; i < set->ObjectCount(); ++i) {
        const MeasureObject& o = set->Object(i);
        for (const std::vector<MeasurePoint>* list : {&o.points, &o.curveHandles1, &o.curveHandles2})
            for (size_t k = 0; k < list->size(); ++k) {
                const MeasurePoint& p = (*list)[k];
                // A text's box may reach beyond the picture, by at most 65536 pixels.
                const int margin = list == &o.points && k == 2 && o.kind == mtexts::kKindText ? 65536 : 0;
                EXPECT_TRUE(p.x >= -margin && p.y >= -margin && p.x < doc.Header().width + margin &&
                            p.y < doc.Header().height + margin)
                    << what << ": object " << i << " (" << o.kind << ") has the point " << p.x << ", " << p.y;
            }
    }
}

}  // namespace

TEST(MeasureFile, FarPointsOfAFileAreKeptOnThePictureAndDrawnThere) {
    TextBlockPlatform platform;
    TempDir dir;
    const std::string path = dir.File("far.mzr");
    ASSERT_TRUE(WriteFileBytes(path, WithObjects("NumOf_MicObjs 7"
                                                 "\n             타원 3 0 0 20 15 2000000000 15 20 25"
                                                 "\n              원 2 0 0 20 15 2147483647 15"
                                                 "\n             선분 2 0 0 -2147483648 -2147483648 2147483647 2147483647"
                                                 "\n            점표시 1 2147483647 0 2147483647 -2147483648"
                                                 "\n             글자 3 0 2 0 0 2147483647 2147483647 2147483647 2147483647\nhi"
                                                 "\n            다각형 3 0 0 -2147483648 0 2147483647 0 0 2147483647"
                                                 "\n             곡선 2 0 0 5 5 -2147483648 3 2147483647 4 9 9 0 0 0 0")));
    CVandDoc doc;
    ASSERT_TRUE(doc.OpenDocument(path)) << doc.LastError();
    const MeasureSet& set = *FindMeasures(doc);
    ASSERT_EQ(set.ObjectCount(), 7);
    ExpectEveryPointOnThePicture(doc, "far.mzr");
    // The ellipse's first axis ends at the picture's right edge, its second radius stays.
    EXPECT_EQ(set.Object(0).points, (std::vector<MeasurePoint>{{20, 15}, {39, 15}, {20, 25}}));
    // The figures are drawn where the picture shows them: the ellipse's left end.
    const int layer = set.MeasureLayerIndex();
    ASSERT_GE(layer, 0);
    EXPECT_EQ(AlphaAt(doc, layer, 1, 15), 255);
    // The highest mark number is kept, and the next mark does not run past it.
    EXPECT_EQ(set.markCounter, INT32_MAX);
    Click(doc, cmd::kToolPointMark, {10, 10});
    EXPECT_EQ(FindMeasures(doc)->markCounter, INT32_MAX);
}

TEST(MeasureFile, ANegativeCurrentLayerKeepsItsSignAndStillFindsTheHeader) {
    TextBlockPlatform platform;
    const std::vector<uint8_t> plain = WithObjects("NumOf_MicObjs 0");
    const std::vector<uint8_t> start = Wide("\n 0 0");
    ASSERT_TRUE(std::equal(start.begin(), start.end(), plain.begin()));
    for (int32_t current : {INT32_MIN, INT32_MIN + 1, -12}) {
        std::vector<uint8_t> bytes = Wide("\n 0 " + std::to_string(current));
        bytes.insert(bytes.end(), plain.begin() + long(start.size()), plain.end());
        ImageStream in(bytes.data(), uint32_t(bytes.size()));
        MeasureDocumentFile file;
        std::string error;
        ASSERT_TRUE(ReadMeasureDocument(in, file, error)) << current << ": " << error;
        EXPECT_EQ(file.currentLayer, current);
        EXPECT_EQ(file.header.width, 40);
    }
}

// Every .mzr input the fuzz target kept opens with its figures on the picture, or is
// refused with a reason (the sanitizer build runs this too).
TEST(MeasureFile, EveryKeptFuzzInputOpensOnThePictureOrIsRefused) {
    TextBlockPlatform platform;
    InstallMeasurement();
    const std::filesystem::path seeds = std::filesystem::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds" / "mzr";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        ++files;
        CVandDoc doc;
        if (doc.OpenDocument(entry.path().string()))
            ExpectEveryPointOnThePicture(doc, entry.path().filename().string());
        else
            EXPECT_FALSE(doc.LastError().empty()) << entry.path();
    }
    EXPECT_GE(files, 4);
}
