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
// The dialogs' filter of every picture format.
inline constexpr const char* kAllPicturesName = "모든그림형식";
inline constexpr const char* kCannotWriteFile = "cannot write file";
inline constexpr const char* kCannotOpenPicture = "cannot open file";
// Why a file could not be read or written; shown after the file's name.
inline constexpr const char* kReasonDiskFull = "디스크에 빈 공간이 없습니다";
inline constexpr const char* kReasonNoPermission = "권한이 없습니다";
inline constexpr const char* kReasonReadOnly = "읽기 전용 파일 시스템입니다";
inline constexpr const char* kReasonFolderMissing = "폴더가 없습니다";
inline constexpr const char* kReasonFileMissing = "파일이나 폴더가 없습니다";
inline constexpr const char* kReasonFileTooLarge = "파일이 너무 큽니다";
inline constexpr const char* kReasonIsFolder = "폴더입니다";
inline constexpr const char* kReasonInputOutput = "입출력 오류입니다";
// JPEG and TIFF adapters.
inline constexpr const char* kJpegRgbOrGreyOnly = "JPEG can save only RGB or GreyScale images";
inline constexpr const char* kJpegColourSpace = "unsupported JPEG colour space";
inline constexpr const char* kTiffOpenFailed = "Error encountered while opening TIFF file";
inline constexpr const char* kTiffPageMissing = "Error: page not present in TIFF file";
inline constexpr const char* kTiffNoRaster = "No space for raster buffer";
inline constexpr const char* kTiffCorrupted = "Corrupted TIFF file!";
inline constexpr const char* kTiffInvalidStream = "invalid file pointer";
inline constexpr const char* kTiffInitFailed = "initialization fail";
inline constexpr const char* kTiffSaveFailed = "Error saving TIFF file";
// printf format with the display's bit count.
inline constexpr const char* kDisplayDepthCheck = "디스플레이 설정이 32비트 True Color 인지 확인 (현재 %d 비트)";

// PSD reader and the open dialog's preview.
inline constexpr const char* kPsdCannotOpen = "cannot open the PSD file";
inline constexpr const char* kPsdNotPsd = "not a PSD file";
inline constexpr const char* kPsdBadHeader = "invalid PSD header";
inline constexpr const char* kPsdBadModeData = "PSD colour mode data unreadable";
inline constexpr const char* kPsdBadResources = "PSD image resources are inconsistent";
inline constexpr const char* kPsdBadImageData = "PSD image data is damaged";
inline constexpr const char* kPsdDepthOne = "1-bit PSD files are not supported";
inline constexpr const char* kPsdBadDepth = "PSD bit depth not supported";
inline constexpr const char* kPsdZip = "ZIP compressed PSD data is not supported";
inline constexpr const char* kPsdZipPrediction = "ZIP compressed PSD data with prediction is not supported";
// printf format with the width and the height of a native document.
inline constexpr const char* kQvxPreviewCaption = "(QVX형식) :폭 %d   너비 %d";
inline constexpr const char* kPreviewDialogFilter =
    "Picture Files (*.jpg;*.gif;*.bmp;*.png)|*.jpg;*.gif;*.bmp;*.png|All Files (*.*)|*.*||";

// GIF codec.
inline constexpr const char* kGifWriteError = "Write Error in GIF file";
inline constexpr const char* kGifFrameMissing = "GIF frame not found";

// PCX reader.
inline constexpr const char* kPcxCannotRead = "Can't read PCX image";
inline constexpr const char* kPcxNotPcx = "Error: Not a PCX file";
inline constexpr const char* kPcxUnknownEncoding = "PCX file has unknown encoding scheme";
inline constexpr const char* kPcxTooManyImagePlanes = "Can't handle image with more than 4 planes";
inline constexpr const char* kPcxBadDepth = "Can't handle bits per pixel image with planes.";
inline constexpr const char* kPcxCorrupted = "corrupted PCX";
inline constexpr const char* kPcxRunPastEnd = "repeat count spans end of image";
inline constexpr const char* kPcxBadColourMap = "bad color map signature";
inline constexpr const char* kPcxTooManyPlanes = "Can't handle more than 4 planes";
inline constexpr const char* kPcxPlaneBits = "Can't handle more than 1 bit per pixel";
inline constexpr const char* kPcxPackedPlanes = "Can't handle packed pixels with more than 1 plane.";
inline constexpr const char* kPcxShortLines = "PCX lines are shorter than the picture width";

}  // namespace quillory::texts
