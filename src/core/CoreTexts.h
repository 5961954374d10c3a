#pragma once
// Texts of the image core and its codecs, shared by code and tests.
namespace quillory::texts {

inline constexpr const char* kUnsupportedOperation = "Unsupported operation for this format";
inline constexpr const char* kUnableToLoadResource = "Unable to load resource!";
inline constexpr const char* kCompressionNotSupported = "compression type not supported";
inline constexpr const char* kUnknownCompression = "unknown compression";
inline constexpr const char* kCannotAllocate = "can't allocate memory";
inline constexpr const char* kGetDibitsFailed = "GetDIBits failed";
inline constexpr const char* kResourceFail = "fail";
inline constexpr const char* kTruncatedFile = "file is truncated";
inline constexpr const char* kPictureTooLarge = "picture is too large";
inline constexpr const char* kBadDimensions = "invalid picture size";
inline constexpr const char* kBadPackedDib = "invalid packed bitmap";
// printf format with the display's bit count.
inline constexpr const char* kDisplayDepthCheck = "디스플레이 설정이 32비트 True Color 인지 확인 (현재 %d 비트)";

}  // namespace quillory::texts
