#pragma once
// The measurement document (.mzr): the layered picture and its measurement
// objects. Text parts are UTF-16LE characters without a byte-order mark; blocks
// are raw bytes. In order: "\n %d %d" (bottom and current layer), the 256-byte
// document header, "\n %d " (bottom layer), then per layer from the bottom up its
// 396-byte record, pixel plane, opacity plane and shadow plane, followed by
// "\n %d " with the next layer unless it is the top one; then
// "\n NumOf_MicObjs %d" and per object "\n%15s %d %d %d" (kind, point count, mark
// number, text length), " %d %d" per point (three pairs per curve point: the point
// and its two handles) and for a text object "\n%s" with its text. Values are not
// stored: they are measured again when the file is read.
//
// Reading fills a private MeasureDocumentFile; the document changes only when the
// whole file has been read.
#include <array>
#include <string>
#include <vector>

#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"
#include "measure/MeasureObject.h"

namespace quillory {

class CVandDoc;
class ImageStream;
class MeasureSet;

inline constexpr const char* kMeasureObjectCountTag = "NumOf_MicObjs";

struct MeasureDocumentFile {
    int32_t headLayer = -1;
    int32_t currentLayer = -1;
    DocumentHeader header;
    std::array<LayerRecord, kMaxLayers> layers;
    std::vector<MeasureObject> objects;  // kind, points, mark number and text
};

[[nodiscard]] bool ReadMeasureDocument(ImageStream& in, MeasureDocumentFile& out, std::string& error);
// Writes the document's layers and its valid live objects.
[[nodiscard]] bool WriteMeasureDocument(ImageStream& out, const CVandDoc& document, const MeasureSet* objects,
                                        std::string& error);

// The document's save and open for the extension "mzr". A failed save leaves the
// old file as it was; a failed open leaves the document as it was. The reason is
// the document's last error.
bool SaveMeasureDocument(CVandDoc& document, const std::string& path);
bool LoadMeasureDocument(CVandDoc& document, const std::string& path);

}  // namespace quillory
