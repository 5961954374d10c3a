#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"
#include "extras/ExtrasCommands.h"
#include "extras/ExtrasTexts.h"
#include "extras/TextLayer.h"
#include "extras/TextTool.h"
#include "ExtrasTestSupport.h"
#include "document/DocumentTestSupport.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

std::string StepName(CVandDoc& d) { return d.History().Entry(d.History().StepPosition()).name; }
uint8_t AlphaAt(const LayerRecord& l, int x, int y) { return l.AlphaRow(l.height - 1 - y)[x]; }

TextLook Look() {
    TextLook look;
    look.face = "NanumMyeongjo";
    look.pixelHeight = 20;
    look.style = "Bold Italic";
    look.underline = true;
    look.colour = RGBQUAD{30, 60, 90, 0};
    return look;
}

TextPlacement Placement(const std::string& text, int x, int y) {
    TextPlacement p;
    p.text = text;
    p.x = x, p.y = y;
    p.look = Look();
    return p;
}

ToolEvent At(int x, int y) {
    ToolEvent e;
    e.pictureX = e.zoomedX = e.windowX = x;
    e.pictureY = e.zoomedY = e.windowY = y;
    return e;
}

}  // namespace

TEST(TextLook, DialogFontRules) {
    EXPECT_EQ(PreviewFontHeight(10), 34);
    EXPECT_EQ(PreviewFontHeight(16), 34);
    EXPECT_EQ(PreviewFontHeight(17), 34);
    EXPECT_EQ(PreviewFontHeight(20), 40);
    EXPECT_EQ(PreviewFontHeight(499), 998);
    EXPECT_EQ(PreviewFontHeight(500), 1000);
    EXPECT_EQ(PreviewFontWeight("Bold"), 700);
    EXPECT_EQ(PreviewFontWeight("Bold Italic"), 700);
    EXPECT_EQ(PreviewFontWeight("Italic"), 400);
    const TextStyle style = MakeTextStyle(Look(), 20);
    EXPECT_TRUE(style.bold && style.italic && style.underline && !style.strikeOut);
    EXPECT_EQ(PlainLineBreaks("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

TEST(TextLayer, PutsTheTextIntoANewTextLayerAtItsPoint) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(100, 80);
    ASSERT_TRUE(doc);
    const int slot = PutTextLayer(*doc, Placement("한글 ab\n둘째 줄", 10, 20));
    ASSERT_GE(slot, 0);
    EXPECT_EQ(doc->CurrentLayer(), slot);
    const LayerRecord& layer = doc->Layer(slot);
    EXPECT_EQ(layer.kind, LayerKind::Text);
    EXPECT_EQ(layer.text, u"한글 ab\n둘째 줄");
    EXPECT_EQ(layer.textLength, 10);
    EXPECT_EQ(doc->LayerName(slot), "한글 ab");
    EXPECT_EQ(StepName(*doc), texts::kStepTextInput);
    EXPECT_EQ(doc->History().Entry(doc->History().StepPosition()).code, StepCode::TextLayerAdded);
    EXPECT_EQ(AlphaAt(layer, 10, 20), 255);
    EXPECT_EQ(AlphaAt(layer, 9, 20), 0);
    EXPECT_EQ(AlphaAt(layer, 10, 19), 0);
    EXPECT_EQ(AlphaAt(layer, 10, 20 + 20), 255);  // the second line
    EXPECT_EQ(platform.requests.back().face, "NanumMyeongjo");
    const TextLook back = LoadTextLook(layer);
    EXPECT_EQ(back.face, "NanumMyeongjo");
    EXPECT_EQ(back.pixelHeight, 20);
    EXPECT_EQ(back.style, "Bold Italic");
    EXPECT_TRUE(back.underline);
    EXPECT_EQ(back.colour.red, 90);
    // Text beyond the canvas is cut off, not wrapped.
    ASSERT_GE(PutTextLayer(*doc, Placement("abcdefghijklmnop", 90, 75)), 0);
}

TEST(TextLayer, EditingRedrawsTheLayerAndUndoGivesTheOldTextBack) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(100, 80);
    ASSERT_TRUE(doc);
    const int slot = PutTextLayer(*doc, Placement("abcdef", 0, 0));
    ASSERT_GE(slot, 0);
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 50, 5), 255);
    TextLook look = Look();
    look.pixelHeight = 10;
    ASSERT_TRUE(EditTextLayer(*doc, slot, "ab", look));
    EXPECT_EQ(StepName(*doc), texts::kStepTextEdit);
    EXPECT_EQ(doc->Layer(slot).text, u"ab");
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 50, 5), 0);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(slot).text, u"abcdef");
    EXPECT_EQ(LoadTextLook(doc->Layer(slot)).pixelHeight, 20);
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 50, 5), 255);
}

TEST(TextLayer, RefusesWhatCannotBeAText) {
    auto doc = test::MakeDocument(40, 30);
    ASSERT_TRUE(doc);
    {
        test::RecordingPlatform headless;  // draws no text
        EXPECT_EQ(PutTextLayer(*doc, Placement("abc", 0, 0)), -1);
        ASSERT_EQ(headless.messages.size(), 1u);
        EXPECT_EQ(headless.messages[0], texts::kTextNotRendered);
    }
    test::BlockTextPlatform platform;
    EXPECT_EQ(PutTextLayer(*doc, Placement(std::string(701, 'a'), 0, 0)), -1);
    EXPECT_EQ(platform.messages.back(), texts::kTextTooLong);
    EXPECT_EQ(PutTextLayer(*doc, Placement("", 0, 0)), -1);
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_EQ(doc->History().StepPosition(), 0);
}

TEST(TextLayer, SavedLayeredDocumentsKeepTextAndLook) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(60, 40);
    ASSERT_TRUE(doc);
    ASSERT_GE(PutTextLayer(*doc, Placement("글자", 5, 6)), 0);
    test::TempDir dir;
    const std::string path = dir.File("text-layer.qvx");
    ASSERT_TRUE(doc->SaveDocument(path));
    CVandDoc reopened;
    ASSERT_TRUE(reopened.OpenDocument(path));
    int slot = -1;
    for (int i = reopened.HeadLayer(); i >= 0; i = reopened.Layer(i).next)
        if (reopened.Layer(i).kind == LayerKind::Text) slot = i;
    ASSERT_GE(slot, 0);
    EXPECT_EQ(reopened.Layer(slot).text, u"글자");
    const TextLook look = LoadTextLook(reopened.Layer(slot));
    EXPECT_EQ(look.face, "NanumMyeongjo");
    EXPECT_EQ(look.style, "Bold Italic");
    EXPECT_EQ(AlphaAt(reopened.Layer(slot), 5, 6), 255);
}

// A 100 × 80 picture, texts drawn as blocks, and the context a text tool works in.
class TextToolTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(doc); }

    test::BlockTextPlatform platform;
    std::unique_ptr<CVandDoc> doc = test::MakeDocument(100, 80);
    ViewState view;
    ToolContext context{*doc, view};
};

TEST_F(TextToolTest, TypedTextWithAnOpenCompositionBecomesOneLayer) {
    TextTool tool([] { return Look(); });
    EXPECT_TRUE(tool.Press(context, At(10, 12)));
    ASSERT_TRUE(tool.Active());
    EXPECT_TRUE(tool.Insert(u"한"));
    EXPECT_TRUE(tool.SetPreedit(u"ㄱ", 1));
    EXPECT_TRUE(tool.SetPreedit(u"글", 1));
    EXPECT_EQ(tool.Entry().text, u"한");
    EXPECT_EQ(tool.Entry().preedit, u"글");
    EXPECT_TRUE(tool.Key(context, TextKey::Commit));
    EXPECT_FALSE(tool.Active());
    const int slot = doc->CurrentLayer();
    EXPECT_EQ(doc->Layer(slot).text, u"한글");
    EXPECT_EQ(StepName(*doc), texts::kStepTextInput);
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 10, 12), 255);
}

TEST_F(TextToolTest, EditingKeysAndTheLengthLimit) {
    TextTool tool([] { return Look(); });
    tool.Press(context, At(1, 1));
    tool.Insert(u"ab😀c");
    EXPECT_TRUE(tool.Key(context, TextKey::Left));
    EXPECT_TRUE(tool.Key(context, TextKey::Backspace));  // the emoji, both halves
    EXPECT_EQ(tool.Entry().text, u"abc");
    EXPECT_TRUE(tool.Key(context, TextKey::Return));
    EXPECT_TRUE(tool.Key(context, TextKey::End));
    EXPECT_TRUE(tool.Key(context, TextKey::Home));
    EXPECT_EQ(tool.Entry().caret, 3u);
    EXPECT_TRUE(tool.Key(context, TextKey::Delete));
    EXPECT_EQ(tool.Entry().text, u"ab\n");
    tool.Insert(std::u16string(800, u'x'));
    EXPECT_EQ(tool.Entry().text.size(), size_t(kMaxTextLength));
    EXPECT_FALSE(tool.Insert(u"y"));
    EXPECT_TRUE(tool.Key(context, TextKey::Escape));
    EXPECT_FALSE(tool.Active());
    EXPECT_EQ(doc->CountLayers(), 1);
}

TEST_F(TextToolTest, APressOnATextLayerEditsIt) {
    const int picture = doc->CurrentLayer();
    const int slot = PutTextLayer(*doc, Placement("abc", 20, 30));
    ASSERT_GE(slot, 0);
    doc->SelectLayer(picture);
    TextTool tool([] { return TextLook{}; });
    tool.Press(context, At(25, 35));
    ASSERT_TRUE(tool.Active());
    EXPECT_EQ(tool.Entry().slot, slot);
    EXPECT_EQ(tool.Entry().pictureX, 20);
    EXPECT_EQ(tool.Entry().pictureY, 30);
    EXPECT_EQ(tool.Entry().look.face, "NanumMyeongjo");
    EXPECT_EQ(tool.Entry().text, u"abc");
    // While it is edited the layer's own drawing gives way to the entry.
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 20, 30), 0);
    tool.Cancel(*doc);
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 20, 30), 255);
    EXPECT_EQ(StepName(*doc), texts::kStepTextInput);

    tool.Press(context, At(25, 35));
    tool.Insert(u"d");
    tool.Press(context, At(90, 70));  // a press elsewhere commits
    EXPECT_FALSE(tool.Active());
    EXPECT_EQ(doc->Layer(slot).text, u"abcd");
    EXPECT_EQ(StepName(*doc), texts::kStepTextEdit);
    EXPECT_EQ(doc->CountLayers(), 2);
    // An entry committed unchanged records nothing.
    tool.Press(context, At(25, 35));
    const int steps = doc->History().StepPosition();
    tool.Commit(*doc);
    EXPECT_EQ(doc->History().StepPosition(), steps);
    EXPECT_EQ(AlphaAt(doc->Layer(slot), 20, 30), 255);
}

TEST(TextCommands, ScriptParametersReachTheLayers) {
    test::BlockTextPlatform platform;
    CommandRegistry registry;
    RegisterExtrasCommands(registry);
    auto doc = test::MakeDocument(100, 80);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(registry.Execute(cmd::kPutText, *doc,
                                 {{"text", "첫줄\\n둘째"}, {"x", "3"}, {"y", "4"}, {"size", "8"}, {"style", "Bold"},
                                  {"colour", "ff0000"}, {"strikeout", "1"}}));
    const int slot = doc->CurrentLayer();
    EXPECT_EQ(doc->Layer(slot).text, u"첫줄\n둘째");
    const TextLook look = LoadTextLook(doc->Layer(slot));
    EXPECT_EQ(look.pixelHeight, 16);
    EXPECT_EQ(look.style, "Bold");
    EXPECT_TRUE(look.strikeOut);
    EXPECT_EQ(look.colour.red, 255);
    EXPECT_FALSE(registry.Execute(cmd::kPutText, *doc, {{"text", "x"}, {"style", "Heavy"}}));
    ASSERT_TRUE(registry.Execute(cmd::kEditText, *doc, {{"text", "바뀜"}}));
    EXPECT_EQ(doc->Layer(slot).text, u"바뀜");
    EXPECT_EQ(LoadTextLook(doc->Layer(slot)).style, "Bold");  // kept
    ASSERT_TRUE(registry.Execute(cmd::kPictureFrame, *doc, {{"style", "3"}, {"thickness", "4"}, {"main", "00ff00"}}));
    EXPECT_FALSE(registry.Execute(cmd::kPictureFrame, *doc, {{"style", "4"}}));
    ASSERT_TRUE(registry.Execute(cmd::kCalendar, *doc, {{"year", "2001"}, {"month", "11"}}));
    EXPECT_EQ(doc->LayerName(doc->CurrentLayer()), " [달력]11월");
    EXPECT_FALSE(registry.Execute(cmd::kCalendar, *doc, {{"year", "2001"}, {"month", "13"}}));
}
