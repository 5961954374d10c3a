#pragma once
// Texts of the save options dialog, shared by the dialog and its tests.
namespace quillory::shelltexts {

// printf format with the format's name ("JPEG").
inline constexpr const char* kSaveOptionsTitleFormat = "%s 저장 옵션";
inline constexpr const char* kSaveQuality = "품질";
inline constexpr const char* kSaveQualityHint = "1 (작은 파일) … 100 (최고 품질)";
inline constexpr const char* kSaveCompression = "압축 방식";
inline constexpr const char* kTiffByDepth = "기본 (색 깊이에 따라)";
inline constexpr const char* kTiffLzw = "LZW";
inline constexpr const char* kTiffDeflate = "Deflate";
inline constexpr const char* kTiffNone = "압축 안 함";
inline constexpr const char* kPngLevel = "압축 수준";
inline constexpr const char* kPngLevelHint = "0 (빠름, 큰 파일) … 9 (느림, 작은 파일)";
inline constexpr const char* kWebpLossless = "무손실 (품질 그대로)";
inline constexpr const char* kWebpOpacityNote = "투명한 부분이 있는 그림은 언제나 무손실로 저장됩니다.";

}  // namespace quillory::shelltexts
