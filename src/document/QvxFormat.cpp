#include "document/QvxFormat.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NearestPalette.h"
#include "core/SizeMath.h"
#include "core/StreamIO.h"
#include "document/DocumentTexts.h"
#include "document/QvxTexts.h"
#include "processing/ColourDepth.h"

namespace quillory {

namespace {

namespace HO = DocumentHeaderOffset;
namespace RO = LayerRecordOffset;

constexpr int kMaxDigits = 10;

int32_t GetI32(const uint8_t* p) { return int32_t(Le32(p)); }
int16_t GetI16(const uint8_t* p) { return int16_t(Le16(p)); }
void PutI32(uint8_t* p, int32_t v) { PutLe32(p, uint32_t(v)); }
void PutI16(uint8_t* p, int16_t v) { PutLe16(p, uint16_t(v)); }

void GetName(const uint8_t* p, char16_t (&name)[kNameUnits]) {
    for (int i = 0; i < kNameUnits; ++i) name[i] = char16_t(Le16(p + 2 * i));
}
void PutName(uint8_t* p, const char16_t (&name)[kNameUnits]) {
    for (int i = 0; i < kNameUnits; ++i) PutLe16(p + 2 * i, uint16_t(name[i]));
}

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsSlot(int64_t v) { return v >= 0 && v < kMaxLayers; }

int64_t Remaining(ImageStream& s) {
    long here = s.Tell();
    long size = s.Size();
    if (here < 0 || size < 0 || size < here) return 0;
    return int64_t(size) - here;
}

// One decimal integer as the standard-I/O scanner reads it: leading white space,
// an optional sign, the digits. `digits` receives the digit text; the stream
// stands behind the last digit.
enum class NumberResult { Ok, End, Bad };
NumberResult ScanDigits(ImageStream& s, bool& negative, std::string& digits, long& digitsStart) {
    uint8_t c = 0;
    do {
        if (s.Read(&c, 1, 1) != 1) return NumberResult::End;
    } while (IsSpace(c));
    negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        if (s.Read(&c, 1, 1) != 1) return NumberResult::End;
    }
    digitsStart = s.Tell() - 1;
    digits.clear();
    while (IsDigit(c)) {
        digits.push_back(char(c));
        if (digits.size() > kMaxDigits) return NumberResult::Bad;
        if (s.Read(&c, 1, 1) != 1) return NumberResult::Ok;  // digits end with the file
    }
    if (digits.empty()) return NumberResult::Bad;
    return s.Seek(-1, 1) == 0 ? NumberResult::Ok : NumberResult::Bad;
}

bool DigitsValue(bool negative, const std::string& digits, size_t count, int32_t& value) {
    int64_t v = 0;
    for (size_t i = 0; i < count; ++i) v = v * 10 + (digits[i] - '0');
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = int32_t(v);
    return true;
}

[[nodiscard]] bool ScanInt(ImageStream& s, int32_t& value, std::string& error) {
    bool negative;
    std::string digits;
    long start;
    NumberResult r = ScanDigits(s, negative, digits, start);
    if (r == NumberResult::End) return error = texts::kQvxTruncated, false;
    if (r == NumberResult::Bad || !DigitsValue(negative, digits, digits.size(), value))
        return error = texts::kQvxBadNumberLine, false;
    return true;
}

// Empty when the header describes a picture this reader can hold.
const char* HeaderProblem(const DocumentHeader& h) {
    const int bpp = h.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return texts::kQvxSizeMismatch;
    if (h.width <= 0 || h.height <= 0) return texts::kQvxSizeMismatch;
    if (!FitsPixelCap(h.width, h.height, bpp) || !FitsPixelCap(h.width, h.height, 8)) return texts::kQvxTooLarge;
    if (int64_t(h.imageSize) != h.Stride() * h.height) return texts::kQvxSizeMismatch;
    if (int64_t(h.pixelCount) != int64_t(h.width) * h.height) return texts::kQvxSizeMismatch;
    if (bpp == 24 ? h.colourCount != 0 : (h.colourCount < 0 || h.colourCount > (1 << bpp)))
        return texts::kQvxSizeMismatch;
    return nullptr;
}

// The version line and the header. A picture name that starts with a digit
// continues the third number of the line; fewer digits are tried until the
// header that follows is consistent.
[[nodiscard]] bool ReadLineAndHeader(ImageStream& in, bool preview, int32_t& version, int32_t& head,
                                     int32_t& current, DocumentHeader& header, std::string& error) {
    if (!ScanInt(in, version, error)) return false;
    if (preview ? version < kQvxVersion31 : QvxRecordBytes(version) == 0)
        return error = texts::kQvxVersionMismatch, false;
    if (!ScanInt(in, head, error)) return false;

    bool negative;
    std::string digits;
    long start;
    NumberResult r = ScanDigits(in, negative, digits, start);
    if (r == NumberResult::End) return error = texts::kQvxTruncated, false;
    if (r == NumberResult::Bad) return error = texts::kQvxBadNumberLine, false;

    const char* firstProblem = nullptr;
    for (size_t count = digits.size(); count >= 1; --count) {
        if (!DigitsValue(negative, digits, count, current)) return error = texts::kQvxBadNumberLine, false;
        uint8_t raw[kDocumentHeaderFileBytes];
        if (in.Seek(start + long(count), 0) != 0 || !ReadExact(in, raw, sizeof raw)) {
            if (!firstProblem) firstProblem = texts::kQvxTruncated;
            continue;
        }
        LoadDocumentHeader(raw, header);
        const char* problem = HeaderProblem(header);
        if (!problem) return true;
        if (!firstProblem) firstProblem = problem;
    }
    error = firstProblem;
    return false;
}

std::vector<RGBQUAD> GreyPalette(int count) {
    std::vector<RGBQUAD> palette(size_t(count > 0 ? count : 0));
    const int step = count > 1 ? 255 / (count - 1) : 0;
    for (int i = 0; i < count; ++i) palette[i] = MakeQuad(uint8_t(i * step), uint8_t(i * step), uint8_t(i * step));
    return palette;
}

// Checks a record's geometry against the header; empty when the planes can be read.
const char* RecordProblem(const LayerRecord& rec, const DocumentHeader& header) {
    if (rec.width <= 0 || rec.height <= 0) return texts::kQvxSizeMismatch;
    if (!FitsPixelCap(rec.width, rec.height, header.bitsPerPixel) || !FitsPixelCap(rec.width, rec.height, 8))
        return texts::kQvxTooLarge;
    // Layers are never smaller than the document: the planes are read at their stored size.
    if (rec.width < header.width || rec.height < header.height) return texts::kQvxSizeMismatch;
    const bool text = rec.kind == LayerKind::Text;
    const int64_t stride = text ? rec.width : PlaneStride(header.bitsPerPixel, rec.width);
    const int64_t planeSize = int64_t(rec.width) * rec.height;
    if (rec.stride != stride || rec.planeSize != planeSize || rec.pixelSize != stride * rec.height)
        return texts::kQvxSizeMismatch;
    return nullptr;
}

bool ReadPlane(ImageStream& in, std::vector<uint8_t>& plane, int32_t bytes) {
    plane.resize(size_t(bytes));
    return ReadExact(in, plane.data(), plane.size());
}

[[nodiscard]] bool ReadLayers(ImageStream& in, QvxDocument& doc, std::string& error) {
    if (doc.headLayer == -1) return error = texts::kQvxNoLayers, false;
    if (!IsSlot(doc.headLayer)) return error = texts::kQvxSlotOutOfRange, false;
    const int recordBytes = QvxRecordBytes(doc.version);
    bool visited[kMaxLayers] = {};
    int expected = doc.headLayer;
    int below = -1;
    for (;;) {
        int32_t slot, textUnits;
        if (!ScanInt(in, slot, error) || !ScanInt(in, textUnits, error)) return false;
        if (!IsSlot(slot)) return error = texts::kQvxSlotOutOfRange, false;
        if (visited[slot]) return error = texts::kQvxLayerLoop, false;
        if (slot != expected) return error = texts::kQvxOrderMismatch, false;
        visited[slot] = true;

        uint8_t raw[397];
        if (!ReadExact(in, raw, size_t(recordBytes))) return error = texts::kQvxTruncated, false;
        LayerRecord rec;
        LoadLayerRecord(raw, recordBytes < kLayerRecordFileBytes ? recordBytes : kLayerRecordFileBytes, rec);

        if (doc.version == kQvxVersion31 && rec.kind == LayerKind::Text) {
            if (rec.textSize < 20) rec.textSize = 20;
            if (rec.textSize > 40) rec.textSize = 40;
            rec.textX = rec.x;
            rec.textY = rec.y;
        }
        if (doc.version == kQvxVersion36 || (doc.version == kQvxVersion31 && rec.kind == LayerKind::Text)) {
            rec.textSettings[0] = 10;
            rec.textSettings[1] = 100;
            rec.textSettings[2] = 0;
        }

        if (const char* problem = RecordProblem(rec, doc.header)) return error = problem, false;
        const bool text = rec.kind == LayerKind::Text;
        if (text && textUnits < 0) return error = texts::kQvxSizeMismatch, false;
        const int64_t textBytes = text ? int64_t(textUnits) * 2 : 0;
        // Checked before allocating, so a short file claiming huge planes costs nothing.
        if (Remaining(in) < int64_t(rec.pixelSize) + 2 * int64_t(rec.planeSize) + textBytes)
            return error = texts::kQvxTruncated, false;
        if (!ReadPlane(in, rec.pixels, rec.pixelSize) || !ReadPlane(in, rec.alpha, rec.planeSize) ||
            !ReadPlane(in, rec.effect, rec.planeSize))
            return error = texts::kQvxTruncated, false;

        rec.textLength = 0;
        if (text) {
            const int32_t kept = textUnits < kMaxTextLength ? textUnits : kMaxTextLength;
            std::vector<uint8_t> units(size_t(textUnits) * 2);
            if (!ReadExact(in, units.data(), units.size())) return error = texts::kQvxTruncated, false;
            rec.text.resize(size_t(kept));
            for (int32_t i = 0; i < kept; ++i) rec.text[size_t(i)] = char16_t(Le16(&units[size_t(i) * 2]));
            rec.textLength = kept;
        }
        // What creating the slot's planes sets on a loaded layer.
        rec.inUse = 1;
        rec.changed = 0;
        rec.linkedLayer = -1;
        rec.effectOn = 0;
        rec.prev = int16_t(below);

        const int next = rec.next;
        doc.layers[size_t(slot)] = std::move(rec);
        if (next == -1) return true;
        if (!IsSlot(next)) return error = texts::kQvxSlotOutOfRange, false;
        if (visited[next]) return error = texts::kQvxLayerLoop, false;
        below = slot;
        expected = next;
    }
}

bool WriteText(ImageStream& out, const char* text) { return WriteBytes(out, text, std::strlen(text)); }

// Empty when the list from headLayer can be written: valid links without a loop,
// planes as large as their records say.
const char* ListProblem(const QvxSource& src) {
    if (!IsSlot(src.headLayer)) return texts::kQvxBrokenLayerList;
    bool visited[kMaxLayers] = {};
    for (int i = src.headLayer; i != -1; i = src.layers[i].next) {
        if (!IsSlot(i) || visited[i]) return texts::kQvxBrokenLayerList;
        visited[i] = true;
        const LayerRecord& rec = src.layers[i];
        if (rec.pixelSize < 0 || rec.planeSize < 0 || rec.pixels.size() < size_t(rec.pixelSize) ||
            rec.alpha.size() < size_t(rec.planeSize) || rec.effect.size() < size_t(rec.planeSize))
            return texts::kQvxSizeMismatch;
    }
    return nullptr;
}

std::vector<uint8_t> FlatPicture(const QvxSource& src) {
    const DocumentHeader& h = *src.header;
    std::vector<uint8_t> flat(size_t(h.imageSize), 255);
    if (!src.flattenBuffer || (h.bitsPerPixel != 24 && h.bitsPerPixel != 8)) return flat;
    const size_t stride = size_t(h.Stride());
    const size_t width = size_t(h.width);
    const uint32_t colours = uint32_t(h.colourCount) < h.palette.size() ? uint32_t(h.colourCount)
                                                                         : uint32_t(h.palette.size());
    std::optional<NearestPalette> nearest;
    if (h.bitsPerPixel != 24) nearest.emplace(h.palette.data(), colours);
    for (int storedY = 0; storedY < h.height; ++storedY) {
        const int bufferY = src.flattenTopDown ? h.height - 1 - storedY : storedY;
        const uint8_t* in = src.flattenBuffer + size_t(bufferY) * width * 4;
        uint8_t* out = flat.data() + size_t(storedY) * stride;
        if (h.bitsPerPixel == 24) {
            for (size_t x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        } else {
            nearest->MapPixels(in, 4, int(width), out);
        }
    }
    return flat;
}

}  // namespace

int QvxRecordBytes(int32_t version) {
    switch (version) {
    case kQvxVersion31: return 397;
    case kQvxVersion36: return 384;
    case kQvxVersion: return kLayerRecordFileBytes;
    default: return 0;
    }
}

void StoreDocumentHeader(const DocumentHeader& h, uint8_t out[kDocumentHeaderFileBytes]) {
    std::memset(out, 0, kDocumentHeaderFileBytes);
    PutName(out + HO::name, h.name);
    PutI32(out + HO::height, h.height);
    PutI32(out + HO::width, h.width);
    PutI32(out + HO::originX, h.originX);
    PutI32(out + HO::originY, h.originY);
    out[HO::formatType] = h.formatType;
    std::memcpy(out + HO::reserved217, h.reserved217, 3);
    PutI32(out + HO::colourCount, h.colourCount);
    PutI32(out + HO::bitsPerPixel, h.bitsPerPixel);
    PutI32(out + HO::imageSize, h.imageSize);
    PutI32(out + HO::pixelCount, h.pixelCount);
    PutI32(out + HO::scratchSize, h.scratchSize);
    PutI32(out + HO::backgroundChanged, h.backgroundChanged);
    // The scratch pointers are meaningless outside memory: their places keep the resolution.
    if (h.dpiX > 0 && h.dpiY > 0) {
        PutI32(out + HO::dpiX, h.dpiX);
        PutI32(out + HO::dpiY, h.dpiY);
        std::memcpy(out + HO::resolutionTag, kResolutionTag, 4);
    } else {
        std::memcpy(out + HO::reserved252, h.reserved252, 4);
    }
}

void LoadDocumentHeader(const uint8_t in[kDocumentHeaderFileBytes], DocumentHeader& h) {
    GetName(in + HO::name, h.name);
    h.height = GetI32(in + HO::height);
    h.width = GetI32(in + HO::width);
    h.originX = GetI32(in + HO::originX);
    h.originY = GetI32(in + HO::originY);
    h.formatType = in[HO::formatType];
    std::memcpy(h.reserved217, in + HO::reserved217, 3);
    h.colourCount = GetI32(in + HO::colourCount);
    h.bitsPerPixel = GetI32(in + HO::bitsPerPixel);
    h.imageSize = GetI32(in + HO::imageSize);
    h.pixelCount = GetI32(in + HO::pixelCount);
    h.scratchSize = GetI32(in + HO::scratchSize);
    h.backgroundChanged = GetI32(in + HO::backgroundChanged);
    h.dpiX = h.dpiY = kDefaultDpi;
    if (std::memcmp(in + HO::resolutionTag, kResolutionTag, 4) == 0) {
        std::memset(h.reserved252, 0, 4);
        const int32_t x = GetI32(in + HO::dpiX), y = GetI32(in + HO::dpiY);
        if (x > 0 && y > 0) h.dpiX = x, h.dpiY = y;
    } else {
        std::memcpy(h.reserved252, in + HO::reserved252, 4);
    }
    h.scratchPixels.clear();
    h.scratchAlpha.clear();
}

void StoreLayerRecord(const LayerRecord& r, uint8_t out[kLayerRecordFileBytes]) {
    std::memset(out, 0, kLayerRecordFileBytes);
    PutI32(out + RO::inUse, r.inUse);
    PutI32(out + RO::changed, r.changed);
    PutName(out + RO::name, r.name);
    out[RO::kind] = r.kind;
    out[RO::blendMode] = r.blendMode;
    PutI16(out + RO::prev, r.prev);
    PutI16(out + RO::next, r.next);
    PutI16(out + RO::linkedLayer, r.linkedLayer);
    out[RO::effectOn] = r.effectOn;
    out[RO::effectSize] = r.effectSize;
    PutI32(out + RO::shadowColour, r.shadowColour);
    std::memcpy(out + RO::reserved222, r.reserved222, 2);
    PutI32(out + RO::shadowOnly, r.shadowOnly);
    PutI32(out + RO::textColour, r.textColour);
    out[RO::transparency] = r.transparency;
    std::memcpy(out + RO::reserved233, r.reserved233, 3);
    PutI32(out + RO::visible, r.visible);
    PutI32(out + RO::x, r.x);
    PutI32(out + RO::y, r.y);
    PutI32(out + RO::height, r.height);
    PutI32(out + RO::width, r.width);
    PutI32(out + RO::planeSize, r.planeSize);
    PutI32(out + RO::pixelSize, r.pixelSize);
    PutI32(out + RO::stride, r.stride);
    PutI32(out + RO::textLength, r.textLength);
    PutI32(out + RO::textX, r.textX);
    PutI32(out + RO::textY, r.textY);
    PutI32(out + RO::textSize, r.textSize);
    std::memcpy(out + RO::textFont, r.textFont, kFontBlockBytes);
    std::memcpy(out + RO::reserved334, r.reserved334, sizeof r.reserved334);
    for (int i = 0; i < 3; ++i) PutI32(out + RO::textSettings + 4 * i, r.textSettings[i]);
}

void LoadLayerRecord(const uint8_t* in, int bytes, LayerRecord& r) {
    auto has = [bytes](int offset, int size) { return offset + size <= bytes; };
    if (has(RO::inUse, 4)) r.inUse = GetI32(in + RO::inUse);
    if (has(RO::changed, 4)) r.changed = GetI32(in + RO::changed);
    if (has(RO::name, 2 * kNameUnits)) GetName(in + RO::name, r.name);
    if (has(RO::kind, 1)) r.kind = in[RO::kind];
    if (has(RO::blendMode, 1)) r.blendMode = in[RO::blendMode];
    if (has(RO::prev, 2)) r.prev = GetI16(in + RO::prev);
    if (has(RO::next, 2)) r.next = GetI16(in + RO::next);
    if (has(RO::linkedLayer, 2)) r.linkedLayer = GetI16(in + RO::linkedLayer);
    if (has(RO::effectOn, 1)) r.effectOn = in[RO::effectOn];
    if (has(RO::effectSize, 1)) r.effectSize = in[RO::effectSize];
    if (has(RO::shadowColour, 4)) r.shadowColour = GetI32(in + RO::shadowColour);
    if (has(RO::reserved222, 2)) std::memcpy(r.reserved222, in + RO::reserved222, 2);
    if (has(RO::shadowOnly, 4)) r.shadowOnly = GetI32(in + RO::shadowOnly);
    if (has(RO::textColour, 4)) r.textColour = GetI32(in + RO::textColour);
    if (has(RO::transparency, 1)) r.transparency = in[RO::transparency];
    if (has(RO::reserved233, 3)) std::memcpy(r.reserved233, in + RO::reserved233, 3);
    if (has(RO::visible, 4)) r.visible = GetI32(in + RO::visible);
    if (has(RO::x, 4)) r.x = GetI32(in + RO::x);
    if (has(RO::y, 4)) r.y = GetI32(in + RO::y);
    if (has(RO::height, 4)) r.height = GetI32(in + RO::height);
    if (has(RO::width, 4)) r.width = GetI32(in + RO::width);
    if (has(RO::planeSize, 4)) r.planeSize = GetI32(in + RO::planeSize);
    if (has(RO::pixelSize, 4)) r.pixelSize = GetI32(in + RO::pixelSize);
    if (has(RO::stride, 4)) r.stride = GetI32(in + RO::stride);
    if (has(RO::textLength, 4)) r.textLength = GetI32(in + RO::textLength);
    if (has(RO::textX, 4)) r.textX = GetI32(in + RO::textX);
    if (has(RO::textY, 4)) r.textY = GetI32(in + RO::textY);
    if (has(RO::textSize, 4)) r.textSize = GetI32(in + RO::textSize);
    if (has(RO::textFont, kFontBlockBytes)) std::memcpy(r.textFont, in + RO::textFont, kFontBlockBytes);
    if (has(RO::reserved334, int(sizeof r.reserved334)))
        std::memcpy(r.reserved334, in + RO::reserved334, sizeof r.reserved334);
    for (int i = 0; i < 3; ++i)
        if (has(RO::textSettings + 4 * i, 4)) r.textSettings[i] = GetI32(in + RO::textSettings + 4 * i);
}

const char* DocumentHeaderProblem(const DocumentHeader& header) { return HeaderProblem(header); }

const char* LayerRecordProblem(const LayerRecord& record, const DocumentHeader& header) {
    return RecordProblem(record, header);
}

bool ReadQvx(ImageStream& in, QvxDocument& out, std::string& error) {
    error.clear();
    auto doc = std::make_unique<QvxDocument>();
    int32_t version, head, current;
    if (!ReadLineAndHeader(in, false, version, head, current, doc->header, error)) return false;
    doc->version = version;
    doc->headLayer = head;
    doc->fileCurrentLayer = current;
    if (doc->header.bitsPerPixel <= 8) doc->header.palette = GreyPalette(doc->header.colourCount);

    // The flat picture is only for previews.
    if (Remaining(in) < doc->header.imageSize || in.Seek(doc->header.imageSize, 1) != 0)
        return error = texts::kQvxTruncated, false;
    if (!ReadLayers(in, *doc, error)) return false;
    out = std::move(*doc);
    return true;
}

bool LoadQvx(const std::string& path, QvxDocument& out, std::string& error) {
    error.clear();
    ImageStream in(ImageStream::kFile);
    if (!in.OpenFile(path, "rb")) return false;
    return ReadQvx(in, out, error);
}

bool WriteQvx(ImageStream& out, const QvxSource& src, std::string& error) {
    error.clear();
    if (!src.header || !src.layers) return error = texts::kQvxBrokenLayerList, false;
    const DocumentHeader& h = *src.header;
    if (const char* problem = HeaderProblem(h)) return error = problem, false;
    if (const char* problem = ListProblem(src)) return error = problem, false;

    char line[64];
    std::snprintf(line, sizeof line, "\n%d %d %d", kQvxVersion, src.headLayer, src.currentLayer);
    uint8_t header[kDocumentHeaderFileBytes];
    StoreDocumentHeader(h, header);
    const std::vector<uint8_t> flat = FlatPicture(src);
    bool ok = WriteText(out, line) && WriteBytes(out, header, sizeof header) && WriteBytes(out, flat.data(), flat.size());

    for (int i = src.headLayer; ok && i != -1; i = src.layers[i].next) {
        const LayerRecord& rec = src.layers[i];
        // The text written and the counts announcing it always agree, so the
        // reader never loses its place in the file.
        int32_t textUnits = rec.textLength;
        if (rec.kind == LayerKind::Text) {
            int64_t n = rec.textLength < 0 ? 0 : rec.textLength;
            if (n > kMaxTextLength) n = kMaxTextLength;
            if (n > int64_t(rec.text.size())) n = int64_t(rec.text.size());
            textUnits = int32_t(n);
        }
        std::snprintf(line, sizeof line, "\n %d %d", i, textUnits);
        uint8_t record[kLayerRecordFileBytes];
        StoreLayerRecord(rec, record);
        if (rec.kind == LayerKind::Text) PutI32(record + RO::textLength, textUnits);
        ok = WriteText(out, line) && WriteBytes(out, record, sizeof record) &&
             WriteBytes(out, rec.pixels.data(), size_t(rec.pixelSize)) &&
             WriteBytes(out, rec.alpha.data(), size_t(rec.planeSize)) &&
             WriteBytes(out, rec.effect.data(), size_t(rec.planeSize));
        if (ok && rec.kind == LayerKind::Text && textUnits > 0) {
            std::vector<uint8_t> units(size_t(textUnits) * 2);
            for (int32_t u = 0; u < textUnits; ++u) PutLe16(&units[size_t(u) * 2], uint16_t(rec.text[size_t(u)]));
            ok = WriteBytes(out, units.data(), units.size());
        }
    }
    if (!ok || out.Flush() != 0 || out.HasError()) return error = texts::kQvxWriteFailed, false;
    return true;
}

bool SaveQvx(const std::string& path, const QvxSource& source, std::string& error) {
    error.clear();
    AtomicFileWriter writer(path);
    if (!writer.Open()) return error = FileFailureText(texts::kQvxWriteFailed, writer.Error()), false;
    if (!WriteQvx(writer.Stream(), source, error)) {
        // A refused document keeps its own text; a failed write names the file and why.
        if (error == texts::kQvxWriteFailed)
            error = FileFailureText(error, WriteFailureDetail(path, writer.Stream().ErrorNumber()));
        return false;
    }
    if (!writer.Commit()) return error = FileFailureText(texts::kQvxWriteFailed, writer.Error()), false;
    return true;
}

bool ReadQvxPreview(ImageStream& in, QvxPreview& out, std::string& error) {
    error.clear();
    int32_t version, head, current;
    DocumentHeader header;
    if (!ReadLineAndHeader(in, true, version, head, current, header, error)) return false;
    if (Remaining(in) < header.imageSize) return error = texts::kQvxTruncated, false;
    std::vector<uint8_t> flat(size_t(header.imageSize));
    if (!ReadExact(in, flat.data(), flat.size())) return error = texts::kQvxTruncated, false;

    NyZazo picture(5);
    if (!picture.Create(header.width, header.height, 32, 5)) return error = texts::kQvxTooLarge, false;
    const std::vector<RGBQUAD> palette = GreyPalette(header.bitsPerPixel <= 8 ? header.colourCount : 0);
    PlaneView plane;
    plane.pixels = flat.data();
    plane.width = header.width;
    plane.height = header.height;
    plane.bitsPerPixel = header.bitsPerPixel;
    plane.stride = uint32_t(header.Stride());
    plane.palette = palette.data();
    plane.colourCount = uint32_t(palette.size());
    for (int y = 0; y < header.height; ++y) {
        const uint8_t* row = flat.data() + size_t(y) * plane.stride;
        uint8_t* dest = picture.Row(y);
        for (int x = 0; x < header.width; ++x, dest += 4) {
            RGBQUAD c = PlaneColour(plane, row, x);
            dest[0] = c.blue;
            dest[1] = c.green;
            dest[2] = c.red;
            dest[3] = 255;
        }
    }
    out.version = version;
    out.header = std::move(header);
    out.picture.TakeOver(picture);
    return true;
}

bool LoadQvxPreview(const std::string& path, QvxPreview& out, std::string& error) {
    error.clear();
    ImageStream in(ImageStream::kFile);
    if (!in.OpenFile(path, "rb")) return false;
    return ReadQvxPreview(in, out, error);
}

void QvxPreviewSize(int width, int height, int& drawnWidth, int& drawnHeight) {
    drawnWidth = width;
    drawnHeight = height;
    if (width <= kQvxPreviewWidth && height <= kQvxPreviewHeight) return;
    // The tighter of the two ratios decides; at least one pixel remains each way.
    if (int64_t(width) * kQvxPreviewHeight >= int64_t(height) * kQvxPreviewWidth) {
        drawnWidth = kQvxPreviewWidth;
        drawnHeight = int(int64_t(height) * kQvxPreviewWidth / width);
    } else {
        drawnHeight = kQvxPreviewHeight;
        drawnWidth = int(int64_t(width) * kQvxPreviewHeight / height);
    }
    if (drawnWidth < 1) drawnWidth = 1;
    if (drawnHeight < 1) drawnHeight = 1;
}

std::string QvxPreviewCaption(int width, int height) {
    char text[128];
    std::snprintf(text, sizeof text, texts::kQvxPreviewCaption, width, height);
    return text;
}

}  // namespace quillory
