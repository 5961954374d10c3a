#include <gtest/gtest.h>

#include <string>

#include "core/CommandIds.h"
#include "processing/FilterCatalogue.h"
#include "processing/FilterTexts.h"

using namespace quillory;

TEST(FilterCatalogue, TheListHoldsTwentyTwoNamesInOrder) {
    const char* expected[kFilterCount] = {"경계강조", "강조", "윤곽선", "흐리게", "부드럽게", "물체축소", "물체확장", "찍어붙이기",
                                          "색종이뿌리기", "선효과채색", "수채화", "한지효과", "빗방울", "유리성에", "잡영제거", "영역확장",
                                          "방울채색", "유화", "엠보스", "달마시안", "렌즈효과", "욕실효과"};
    for (int i = 0; i < kFilterCount; ++i) {
        ASSERT_NE(FilterAt(i), nullptr);
        EXPECT_STREQ(FilterAt(i)->name, expected[i]);
        EXPECT_EQ(FilterAt(i)->index, i);
        EXPECT_EQ(FilterIndexOfName(expected[i]), i);
        EXPECT_EQ(FilterIndexOfCommand(FilterAt(i)->commandId), i) << expected[i];
        EXPECT_NE(FilterAt(i)->run, nullptr);
    }
    EXPECT_EQ(FilterAt(kFilterCount), nullptr);
    EXPECT_EQ(FilterAt(-1), nullptr);
    EXPECT_EQ(FindFilter("임계치변환"), nullptr);
}

TEST(FilterCatalogue, MenuCommandsSelectTheirIndices) {
    EXPECT_EQ(FilterIndexOfCommand(cmd::kSharpen), 0);  // the menu's "강조" chooses "경계강조"
    EXPECT_EQ(FilterIndexOfCommand(cmd::kEdgeEnhance), 0);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kSharpenKernel), 1);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kEmboss), 18);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kDalmatian), 19);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kLensEffect), 20);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kBathroomGlass), 21);
    EXPECT_EQ(FilterIndexOfCommand(cmd::kBrightnessContrast), -1);
}

TEST(FilterCatalogue, ParameterSetsFollowTheTable) {
    const FilterParameterSet& contour = ParameterSetOf("윤곽선");
    EXPECT_EQ(contour.count, 2);
    EXPECT_STREQ(contour.sliders[0].label, "추출정도");
    EXPECT_EQ(contour.sliders[0].minimum, 5);
    EXPECT_EQ(contour.sliders[0].maximum, 20);
    EXPECT_EQ(contour.sliders[0].defaultValue, 8);
    EXPECT_STREQ(contour.sliders[1].label, "음영표현");
    EXPECT_EQ(contour.sliders[1].defaultValue, 80);
    EXPECT_FALSE(contour.sliders[2].IsOn());

    // Defaults below the minimum reach the filter unchanged.
    const FilterValues stamp = DefaultValues(ParameterSetOf("찍어붙이기"));
    EXPECT_EQ(stamp[0], 8);
    EXPECT_EQ(stamp[1], 1);
    EXPECT_EQ(stamp[2], 1);
    EXPECT_EQ(ParameterSetOf("찍어붙이기").sliders[1].minimum, 3);
    EXPECT_EQ(DefaultValues(ParameterSetOf("색종이뿌리기"))[2], 2);

    EXPECT_EQ(ParameterSetOf("렌즈효과").count, 0);
    for (const FilterSlider& slider : ParameterSetOf("렌즈효과").sliders) EXPECT_EQ(slider.defaultValue, -1);
    const FilterParameterSet& sharpen = ParameterSetOf("강조");
    EXPECT_EQ(sharpen.count, 1);
    EXPECT_EQ(DefaultValues(sharpen)[1], -1);

    // Every other name, the bathroom glass among them, gets two plain adjustments.
    for (const char* name : {"욕실효과", "임계치변환", "없는 이름"}) {
        const FilterParameterSet& other = ParameterSetOf(name);
        EXPECT_EQ(other.count, 2) << name;
        EXPECT_STREQ(other.sliders[0].label, "조정 1");
        EXPECT_STREQ(other.sliders[1].label, "조정 2");
        EXPECT_EQ(other.sliders[0].minimum, -49);
        EXPECT_EQ(other.sliders[1].maximum, 49);
        EXPECT_EQ(other.sliders[0].defaultValue, 0);
    }
    EXPECT_EQ(ParameterSetOf("달마시안").sliders[0].label, std::string("무뉘"));
    EXPECT_EQ(ParameterSetOf("유리성에").sliders[0].maximum, 15);
}

TEST(FilterCatalogue, OnlyTheSelectionAwareFiltersSaySo) {
    for (int i = 0; i < kFilterCount; ++i) {
        const std::string name = FilterAt(i)->name;
        const bool expected = name == "경계강조" || name == "잡영제거" || name == "영역확장" || name == "빗방울" ||
                              name == "렌즈효과" || name == "욕실효과";
        EXPECT_EQ(FilterAt(i)->honoursSelection, expected) << name;
    }
}

TEST(FilterCatalogue, UnknownNamesRunNothing) {
    std::vector<uint8_t> pixels(12, 7), alpha(4, 255);
    LayerPlanes planes = StoredOrderPlanes<uint8_t>(pixels.data(), 6, alpha.data(), 2, 2);
    FilterProgress progress;
    EXPECT_FALSE(RunFilter("임계치변환", planes, planes, FilterValues{}, SelectionMap{}, progress));
}
