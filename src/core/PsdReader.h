#pragma once
// Reads the merged picture of a Photoshop file into a 24-bit picture. PSD files are
// read only: the format table's PSD row and the open dialog's preview use this reader.
#include <array>
#include <cstdint>
#include <string>

#include "core/NyZazo.h"

namespace quillory {

class ImageStream;

// Result codes of PsdReader::Read.
namespace psd {
inline constexpr int kOk = 0;
inline constexpr int kCannotOpen = -1;
inline constexpr int kNotPsd = 254;          // signature, version or reserved bytes wrong
inline constexpr int kBadModeData = 253;     // colour mode data unreadable
inline constexpr int kBadResources = -4;     // image resource blocks do not fill their section
inline constexpr int kHeaderFailed = -2;     // header fields unusable or cut short
inline constexpr int kModeDataFailed = -3;   // not produced: mode data failures report kBadModeData
inline constexpr int kImageDataFailed = -6;  // layer section or image data short or damaged
inline constexpr int kDepthOne = -7;
inline constexpr int kUnsupportedDepth = -8;  // anything but 8 or 16 bits per channel
inline constexpr int kNoBitmap = -9;          // picture too large or out of memory
inline constexpr int kZip = -10;
inline constexpr int kZipPrediction = -11;
inline constexpr int kUnknownCompression = -12;
}  // namespace psd

enum PsdColourMode : uint16_t {
    kPsdBitmap = 0,
    kPsdGreyScale = 1,
    kPsdIndexed = 2,
    kPsdRgb = 3,
    kPsdCmyk = 4,
    kPsdMultichannel = 7,
    kPsdDuotone = 8,
    kPsdLab = 9,
};

struct PsdHeader {
    uint16_t channels = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint16_t depth = 0;  // bits per channel
    uint16_t colourMode = 0;
};

// Values taken from the image resources; -1 (0 for flags) until read.
struct PsdResources {
    struct Resolution {  // id 1005; resolutions are 16.16 fixed point in pixels per inch
        int64_t horizontal = -1;
        int32_t horizontalUnit = -1;
        int32_t widthUnit = -1;
        int64_t vertical = -1;
        int32_t verticalUnit = -1;
        int32_t heightUnit = -1;
    } resolution;
    struct DisplayInfo {  // id 1007
        int32_t colourSpace = -1;
        std::array<int32_t, 4> components{-1, -1, -1, -1};
        int32_t opacity = -1;
        int32_t kind = 0;
    } display;
    std::array<int32_t, 5> channelInfo{-1, -1, -1, -1, -1};  // id 1000
    struct Thumbnail {                                        // ids 1033 and 1036
        int64_t format = -1;
        int64_t width = -1;
        int64_t height = -1;
        int64_t rowBytes = -1;
        int64_t totalSize = -1;
        int64_t compressedSize = -1;
        int32_t bitsPerPixel = -1;
        int32_t planes = -1;
    } thumbnail;
    int32_t copyrightFlag = 0;     // id 1034
    int32_t globalAngle = 30;      // id 1037
    int32_t indexedColours = -1;   // id 1046
    int32_t transparentIndex = -1;  // id 1047
};

class PsdReader {
public:
    // Pixels per metre when a file has no resolution resource (96 dpi).
    static constexpr int32_t kDefaultPelsPerMeter = 3780;
    static constexpr uint32_t kModeTableBytes = 768;  // 256 red, 256 green, 256 blue

    PsdReader();

    // Reads the whole file; returns one of the psd:: result codes. A failed read
    // leaves no picture and puts a text into lastError().
    [[nodiscard]] int Read(const std::string& fileName);
    [[nodiscard]] int Read(ImageStream& stream);

    bool HasPicture() const { return m_picture.dib != nullptr; }
    // Hands the picture (24 bits, format code 7) to the caller; false when there is none.
    bool TakePicture(NyZazo& out);

    const PsdHeader& header() const { return m_header; }
    const PsdResources& resources() const { return m_resources; }
    uint32_t modeDataLength() const { return m_modeDataLength; }
    const std::array<uint8_t, kModeTableBytes>& modeTable() const { return m_modeTable; }
    const char* lastError() const { return m_lastError.c_str(); }

private:
    [[nodiscard]] int Fail(int code, const char* text);
    [[nodiscard]] int ReadHeader(ImageStream& s);
    [[nodiscard]] int ReadModeData(ImageStream& s);
    [[nodiscard]] int ReadResources(ImageStream& s);
    [[nodiscard]] bool ReadResourceFields(ImageStream& s, uint16_t id, uint32_t size);
    [[nodiscard]] int SkipLayers(ImageStream& s);
    [[nodiscard]] int ReadImageData(ImageStream& s);
    void FillPicture(const uint8_t* planes, uint32_t planeCount, uint64_t planeBytes);
    uint32_t PlanesForMode() const;
    // Bytes between the stream position and the end of the file.
    uint64_t Remaining(ImageStream& s) const;

    PsdHeader m_header;
    PsdResources m_resources;
    uint32_t m_modeDataLength = 0;
    std::array<uint8_t, kModeTableBytes> m_modeTable{};
    long m_streamSize = 0;
    NyZazo m_picture;
    std::string m_lastError;
};

// Entry points for the document: on success `out` becomes the picture (24 bits,
// format code 7). On failure its pixels and fields stay as they were except
// lastError, which gets the reason, as with a failed NyZazo::Decode.
bool ReadPsdFile(const std::string& path, NyZazo& out, int* resultCode = nullptr);
bool ReadPsdStream(ImageStream& stream, NyZazo& out, int* resultCode = nullptr);

}  // namespace quillory
