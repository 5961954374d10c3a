#pragma once
// The native layered document file (.qvx): a version line of decimal text, the
// 256-byte document header, the flat picture, then one block per layer (a line
// with slot and text length, the 396-byte record, pixel, opacity and shadow
// planes, and a text layer's UTF-16 text), bottom layer first. Version 362 is
// written; 31, 36 and 362 are read.
//
// Reading fills a private QvxDocument; the document takes it over only when the
// whole file has been read, so a bad file leaves no half-built document.
#include <array>
#include <cstdint>
#include <string>

#include "core/NyZazo.h"
#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"

namespace quillory {

class ImageStream;

inline constexpr int32_t kQvxVersion = 362;
inline constexpr int32_t kQvxVersion31 = 31;
inline constexpr int32_t kQvxVersion36 = 36;
inline constexpr int kQvxPreviewWidth = 225;
inline constexpr int kQvxPreviewHeight = 180;

// Stored record bytes per file version (0 for a version that is not read).
int QvxRecordBytes(int32_t version);

// A document as read from a file: header, layer table and list head. Layers are
// complete: planes sized as their records say, `changed` 0, `effectOn` 0,
// `linkedLayer` -1, `prev` following the file's order, text layers with their
// text. The palette of a palette document (which the format does not keep) is a
// grey ramp of the header's colour count.
struct QvxDocument {
    int32_t version = kQvxVersion;
    int32_t headLayer = -1;
    // The file's current layer; an opened document is finished with headLayer current.
    int32_t fileCurrentLayer = -1;
    DocumentHeader header;
    std::array<LayerRecord, kMaxLayers> layers;
};

// What the writer needs from a document.
struct QvxSource {
    const DocumentHeader* header = nullptr;
    const LayerRecord* layers = nullptr;  // kMaxLayers slots
    int32_t headLayer = -1;
    int32_t currentLayer = -1;
    // The visible layers blended into 32 bits a pixel (blue, green, red, alpha),
    // header width × height; null leaves the flat picture white (bytes 255).
    const uint8_t* flattenBuffer = nullptr;
    bool flattenTopDown = true;  // row 0 of the buffer is the top row of the picture
};

// Failures fill `error` (empty when the file cannot be opened or created: the
// caller shows nothing then). The version message is texts::kQvxVersionMismatch.
[[nodiscard]] bool ReadQvx(ImageStream& in, QvxDocument& out, std::string& error);
[[nodiscard]] bool LoadQvx(const std::string& path, QvxDocument& out, std::string& error);
[[nodiscard]] bool WriteQvx(ImageStream& out, const QvxSource& source, std::string& error);
// Writes a temporary file next to the target and renames it over the target only
// when everything was written, so a failed save leaves the old file as it was.
[[nodiscard]] bool SaveQvx(const std::string& path, const QvxSource& source, std::string& error);

// The open dialog's preview: any version of 31 or more, the header and the flat
// picture as a 32-bit picture of the header's size.
struct QvxPreview {
    int32_t version = 0;
    DocumentHeader header;
    NyZazo picture{5};
};
[[nodiscard]] bool ReadQvxPreview(ImageStream& in, QvxPreview& out, std::string& error);
[[nodiscard]] bool LoadQvxPreview(const std::string& path, QvxPreview& out, std::string& error);
// The drawn size: the picture's own, or reduced to fit 225 × 180 keeping its shape.
void QvxPreviewSize(int width, int height, int& drawnWidth, int& drawnHeight);
// "(QVX형식) :폭 %d   너비 %d" with the width and the height.
std::string QvxPreviewCaption(int width, int height);

// The stored forms of the header and of a record, field by field at their offsets.
void StoreDocumentHeader(const DocumentHeader& header, uint8_t out[kDocumentHeaderFileBytes]);
void LoadDocumentHeader(const uint8_t in[kDocumentHeaderFileBytes], DocumentHeader& header);
void StoreLayerRecord(const LayerRecord& record, uint8_t out[kLayerRecordFileBytes]);
// Reads the first `bytes` (at most 396) stored bytes; fields past them keep their values.
void LoadLayerRecord(const uint8_t* in, int bytes, LayerRecord& record);
// Null when a header describes a picture the readers can hold, else why not.
const char* DocumentHeaderProblem(const DocumentHeader& header);
// Null when a record's geometry agrees with the header and its planes can be read, else why not.
const char* LayerRecordProblem(const LayerRecord& record, const DocumentHeader& header);

}  // namespace quillory
