#pragma once
// Texts of the native .qvx reader and writer, shared by code and tests. The
// version message lives with the document's texts (kQvxVersionMismatch).
namespace quillory::texts {

inline constexpr const char* kQvxTruncated = "QVX 파일이 잘려 있습니다.";
inline constexpr const char* kQvxBadNumberLine = "QVX 파일의 숫자 줄을 읽을 수 없습니다.";
inline constexpr const char* kQvxSlotOutOfRange = "QVX 파일의 레이어 번호가 0..39 밖에 있습니다.";
inline constexpr const char* kQvxLayerLoop = "QVX 파일의 레이어 연결이 같은 레이어로 되돌아옵니다.";
inline constexpr const char* kQvxOrderMismatch = "QVX 파일의 레이어 순서가 레이어 연결과 맞지 않습니다.";
inline constexpr const char* kQvxSizeMismatch = "QVX 파일의 크기 정보가 헤더와 맞지 않습니다.";
inline constexpr const char* kQvxTooLarge = "QVX 파일의 그림이 너무 큽니다.";
inline constexpr const char* kQvxNoLayers = "QVX 파일에 레이어가 없습니다.";
inline constexpr const char* kQvxWriteFailed = "QVX 파일을 쓰지 못했습니다.";
inline constexpr const char* kQvxBrokenLayerList = "레이어 연결이 잘못되어 QVX 파일을 저장하지 못했습니다.";

}  // namespace quillory::texts
