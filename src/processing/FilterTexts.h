#pragma once
// The names of the filter list and the slider labels of the filter dialog.
namespace quillory::texts {

// Filter names, in the order of the filter list; each is also the name of the step it records.
inline constexpr const char* kFilterEdgeEnhance = "경계강조";
inline constexpr const char* kFilterSharpen = "강조";
inline constexpr const char* kFilterContour = "윤곽선";
inline constexpr const char* kFilterBlur = "흐리게";
inline constexpr const char* kFilterSoften = "부드럽게";
inline constexpr const char* kFilterShrink = "물체축소";
inline constexpr const char* kFilterExpand = "물체확장";
inline constexpr const char* kFilterStamp = "찍어붙이기";
inline constexpr const char* kFilterConfetti = "색종이뿌리기";
inline constexpr const char* kFilterLineColouring = "선효과채색";
inline constexpr const char* kFilterWatercolour = "수채화";
inline constexpr const char* kFilterPaper = "한지효과";
inline constexpr const char* kFilterRaindrops = "빗방울";
inline constexpr const char* kFilterFrostedGlass = "유리성에";
inline constexpr const char* kFilterDenoise = "잡영제거";
inline constexpr const char* kFilterAreaExpand = "영역확장";
inline constexpr const char* kFilterBubbles = "방울채색";
inline constexpr const char* kFilterOilPaint = "유화";
inline constexpr const char* kFilterEmboss = "엠보스";
inline constexpr const char* kFilterDalmatian = "달마시안";
inline constexpr const char* kFilterLens = "렌즈효과";
inline constexpr const char* kFilterBathroom = "욕실효과";

// Slider labels.
inline constexpr const char* kSliderShrink = "축소허용";
inline constexpr const char* kSliderExpand = "확장허용";
inline constexpr const char* kSliderBlur = "흐림";
inline constexpr const char* kSliderSoften = "부드러움";
inline constexpr const char* kSliderSharpen = "강조";
inline constexpr const char* kSliderExtraction = "추출정도";
inline constexpr const char* kSliderShading = "음영표현";
inline constexpr const char* kSliderNoiseSize = "잡영크기";
inline constexpr const char* kSliderAbsorption = "흡수정도";
inline constexpr const char* kSliderBorderAmount = "테두리양";
inline constexpr const char* kSliderStrength = "표시강도";
inline constexpr const char* kSliderOutlineDegree = "윤곽정도";
inline constexpr const char* kSliderSegmentLength = "선분길이";
inline constexpr const char* kSliderColourExpression = "색상표현";
inline constexpr const char* kSliderRepeat = "반복";
inline constexpr const char* kSliderBrushSize = "붓크기";
inline constexpr const char* kSliderSmooth = "부드럽게";
inline constexpr const char* kSliderBlurDegree = "흐림정도";
inline constexpr const char* kSliderSize = "크기";
inline constexpr const char* kSliderFrequency = "빈도";
inline constexpr const char* kSliderBubbleSize = "방울크기";
inline constexpr const char* kSliderOutlineShow = "윤곽선표시";
inline constexpr const char* kSliderBrushLength = "붓길이";
inline constexpr const char* kSliderDetail = "세밀함";
inline constexpr const char* kSliderPattern = "무뉘";
inline constexpr const char* kSliderAdjust1 = "조정 1";
inline constexpr const char* kSliderAdjust2 = "조정 2";

}  // namespace quillory::texts
