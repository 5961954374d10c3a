#include "measure/MeasureFile.h"

#include <algorithm>
#include <memory>
#include <new>

#include "core/AtomicFile.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/StreamIO.h"
#include "document/CVandDoc.h"
#include "document/DocumentIO.h"
#include "document/QvxFormat.h"
#include "document/Utf16.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTexts.h"
#include "processing/ColourDepth.h"

namespace quillory {

namespace {

constexpr int kMaxNumberUnits = 11;  // a sign and ten digits
constexpr int kMaxWordUnits = 64;
// How far beyond the picture a text object's box may reach.
constexpr int32_t kMaxTextBoxReach = 1 << 16;

// ---- Writing -------------------------------------------------------------

class Utf16Writer {
public:
    explicit Utf16Writer(ImageStream& out) : m_out(out) {}
    bool Text(std::u16string_view text) {
        m_buffer.clear();
        for (char16_t unit : text) m_buffer.push_back(uint8_t(unit)), m_buffer.push_back(uint8_t(unit >> 8));
        return WriteBytes(m_out, m_buffer.data(), m_buffer.size());
    }
    bool Ascii(std::string_view text) { return Text(std::u16string(text.begin(), text.end())); }
    bool Number(int64_t value) { return Ascii(std::to_string(value)); }

private:
    ImageStream& m_out;
    std::vector<uint8_t> m_buffer;
};

// "\n%15s %d %d %d": the kind right-aligned in 15 characters.
std::u16string ObjectHeader(const MeasureObject& object, size_t textUnits) {
    const std::u16string kind = Utf8ToUtf16(object.kind);
    std::u16string line = u"\n";
    if (kind.size() < size_t(kMaxKindNameLength)) line.append(size_t(kMaxKindNameLength) - kind.size(), u' ');
    line += kind;
    const int32_t mark = object.Kind() == MeasureKind::PointMark ? object.markNumber : 0;
    for (int64_t value : {int64_t(object.points.size()), int64_t(mark), int64_t(textUnits)}) {
        const std::string digits = " " + std::to_string(value);
        line.append(digits.begin(), digits.end());
    }
    return line;
}

void PutLe32(uint8_t* at, int32_t value) {
    const uint32_t v = uint32_t(value);
    at[0] = uint8_t(v), at[1] = uint8_t(v >> 8), at[2] = uint8_t(v >> 16), at[3] = uint8_t(v >> 24);
}

bool WritePair(Utf16Writer& w, const MeasurePoint& p) {
    return w.Ascii(" ") && w.Number(p.x) && w.Ascii(" ") && w.Number(p.y);
}

bool WriteObject(Utf16Writer& w, const MeasureObject& object) {
    const std::u16string text = object.Kind() == MeasureKind::Text ? Utf8ToUtf16(object.text) : std::u16string();
    if (!w.Text(ObjectHeader(object, text.size()))) return false;
    const bool curve = IsCurveKind(object.Kind());
    for (size_t i = 0; i < object.points.size(); ++i) {
        if (!WritePair(w, object.points[i])) return false;
        if (!curve) continue;
        const MeasurePoint none{0, 0};
        if (!WritePair(w, i < object.curveHandles1.size() ? object.curveHandles1[i] : none) ||
            !WritePair(w, i < object.curveHandles2.size() ? object.curveHandles2[i] : none))
            return false;
    }
    if (object.Kind() == MeasureKind::Text) return w.Ascii("\n") && w.Text(text);
    return true;
}

// ---- Reading -------------------------------------------------------------

bool IsSpaceUnit(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r'; }

class Utf16Reader {
public:
    explicit Utf16Reader(ImageStream& in) : m_in(in) {}

    bool Unit(char16_t& c) {
        uint16_t v;
        if (!ReadLe16(m_in, v)) return false;
        c = char16_t(v);
        return true;
    }
    bool Peek(char16_t& c) {
        const long at = m_in.Tell();
        const bool ok = Unit(c);
        m_in.Seek(at, 0);
        return ok;
    }
    // Skips white space; false at the end of the file.
    bool SkipSpaces() {
        char16_t c;
        for (;;) {
            if (!Peek(c)) return false;
            if (!IsSpaceUnit(c)) return true;
            Unit(c);
        }
    }
    // A decimal integer after white space, as the wide scanner reads it. `digitsAt`
    // is where its digits begin, for a reader that must take fewer of them.
    bool Number(int32_t& value, std::u16string* digitsOut = nullptr, long* digitsAt = nullptr,
                bool* negativeOut = nullptr) {
        if (!SkipSpaces()) return false;
        char16_t c;
        bool negative = false;
        if (Peek(c) && (c == u'-' || c == u'+')) {
            negative = c == u'-';
            Unit(c);
        }
        if (digitsAt) *digitsAt = m_in.Tell();
        std::u16string digits;
        while (Peek(c) && c >= u'0' && c <= u'9' && digits.size() < size_t(kMaxNumberUnits)) {
            Unit(c);
            digits += c;
        }
        if (digits.empty() || (Peek(c) && c >= u'0' && c <= u'9')) return false;
        int64_t v = 0;
        for (char16_t d : digits) v = v * 10 + (d - u'0');
        if (negative) v = -v;
        if (v < INT32_MIN || v > INT32_MAX) return false;
        value = int32_t(v);
        if (digitsOut) *digitsOut = digits;
        if (negativeOut) *negativeOut = negative;
        return true;
    }
    // A run of non-space characters after white space.
    bool Word(std::u16string& word) {
        word.clear();
        if (!SkipSpaces()) return false;
        char16_t c;
        while (Peek(c) && !IsSpaceUnit(c)) {
            if (word.size() >= size_t(kMaxWordUnits)) return false;
            Unit(c);
            word += c;
        }
        return !word.empty();
    }
    bool Expect(char16_t wanted) {
        char16_t c;
        return Unit(c) && c == wanted;
    }

private:
    ImageStream& m_in;
};

int64_t Remaining(ImageStream& s) {
    const long here = s.Tell(), size = s.Size();
    if (here < 0 || size < here) return 0;
    return int64_t(size) - here;
}

bool Fail(std::string& error, const char* text) {
    error = text;
    return false;
}

// "\n %d %d" and the header. A picture name starting with a digit continues the
// second number; fewer digits are tried until the header that follows holds together.
bool ReadStart(ImageStream& in, Utf16Reader& r, MeasureDocumentFile& out, std::string& error) {
    std::u16string digits;
    long digitsAt = 0;
    bool negative = false;
    if (!r.Number(out.headLayer) || !r.Number(out.currentLayer, &digits, &digitsAt, &negative))
        return Fail(error, mtexts::kMeasureFileBadText);
    const char* problem = mtexts::kMeasureFileTruncated;
    for (size_t count = digits.size(); count >= 1; --count) {
        // The digits fitted 32 bits with their sign, so fewer of them do too.
        int64_t magnitude = 0;
        for (size_t i = 0; i < count; ++i) magnitude = magnitude * 10 + (digits[i] - u'0');
        const int32_t current = int32_t(negative ? -magnitude : magnitude);
        uint8_t raw[kDocumentHeaderFileBytes];
        if (in.Seek(digitsAt + long(2 * count), 0) != 0 || !ReadExact(in, raw, sizeof raw)) continue;
        LoadDocumentHeader(raw, out.header);
        if (const char* p = DocumentHeaderProblem(out.header)) {
            problem = p;
            continue;
        }
        out.currentLayer = current;
        return true;
    }
    return Fail(error, problem);
}

bool ReadLayers(ImageStream& in, Utf16Reader& r, MeasureDocumentFile& out, std::string& error) {
    int32_t slot = -1;
    if (!r.Number(slot) || !r.Expect(u' ')) return Fail(error, mtexts::kMeasureFileBadText);
    if (slot != out.headLayer || !LayerStack::IsValidIndex(slot)) return Fail(error, mtexts::kMeasureFileBadLayers);
    bool visited[kMaxLayers] = {};
    int below = -1;
    for (;;) {
        if (visited[slot]) return Fail(error, mtexts::kMeasureFileBadLayers);
        visited[slot] = true;
        uint8_t raw[kLayerRecordFileBytes];
        if (!ReadExact(in, raw, sizeof raw)) return Fail(error, mtexts::kMeasureFileTruncated);
        LayerRecord record;
        LoadLayerRecord(raw, kLayerRecordFileBytes, record);
        if (const char* problem = LayerRecordProblem(record, out.header)) return Fail(error, problem);
        // Checked before allocating, so a short file claiming huge planes costs nothing.
        if (Remaining(in) < int64_t(record.pixelSize) + 2 * int64_t(record.planeSize))
            return Fail(error, mtexts::kMeasureFileTruncated);
        try {
            record.pixels.resize(size_t(record.pixelSize));
            record.alpha.resize(size_t(record.planeSize));
            record.effect.resize(size_t(record.planeSize));
        } catch (const std::bad_alloc&) {
            return Fail(error, mtexts::kMeasureFileReadFailed);
        }
        if (!ReadExact(in, record.pixels.data(), record.pixels.size()) ||
            !ReadExact(in, record.alpha.data(), record.alpha.size()) ||
            !ReadExact(in, record.effect.data(), record.effect.size()))
            return Fail(error, mtexts::kMeasureFileTruncated);
        // The file keeps no text of a text layer; its coverage stays in the opacity plane.
        record.textLength = 0;
        record.inUse = 1;
        record.changed = 0;
        record.effectOn = 0;
        record.linkedLayer = -1;
        record.prev = int16_t(below);
        const int next = record.next;
        out.layers[size_t(slot)] = std::move(record);
        if (next == -1) return true;
        int32_t announced = -1;
        if (!r.Number(announced) || !r.Expect(u' ')) return Fail(error, mtexts::kMeasureFileBadText);
        if (announced != next || !LayerStack::IsValidIndex(next)) return Fail(error, mtexts::kMeasureFileBadLayers);
        below = slot;
        slot = next;
    }
}

bool ReadPair(Utf16Reader& r, MeasurePoint& p) { return r.Number(p.x) && r.Number(p.y); }

// Figures are drawn and measured on the picture: a point from the file lies on it,
// as every point the tools place does, so no figure through a far point (an
// ellipse's axis, a circle's rim) reaches beyond what the picture shows. Only the
// far corner of a text's box may lie beyond the picture's edge, by as much as a box
// of the longest text can.
void KeepOnPicture(MeasurePoint& p, const DocumentHeader& header, int32_t margin = 0) {
    auto keep = [margin](int32_t v, int32_t size) {
        const int64_t last = std::min<int64_t>(int64_t(std::max(1, size)) - 1 + margin, INT32_MAX);
        return int32_t(std::clamp<int64_t>(v, -int64_t(margin), last));
    };
    p.x = keep(p.x, header.width);
    p.y = keep(p.y, header.height);
}

bool ReadObjects(Utf16Reader& r, MeasureDocumentFile& out, std::string& error) {
    std::u16string tag;
    int32_t count = 0;
    if (!r.Word(tag) || tag != Utf8ToUtf16(kMeasureObjectCountTag) || !r.Number(count))
        return Fail(error, mtexts::kMeasureFileBadText);
    if (count < 0) return Fail(error, mtexts::kMeasureFileBadObject);
    if (count > kMaxMeasureObjects) return Fail(error, mtexts::kMeasureFileTooManyObjects);
    out.objects.resize(size_t(count));
    for (MeasureObject& object : out.objects) {
        std::u16string kind;
        int32_t points = 0, mark = 0, textUnits = 0;
        if (!r.Word(kind) || !r.Number(points) || !r.Number(mark) || !r.Number(textUnits))
            return Fail(error, mtexts::kMeasureFileBadObject);
        object.kind = Utf16ToUtf8(kind);
        const MeasureKind k = object.Kind();
        if (k == MeasureKind::Unknown || points < 0 || points > kMaxPolyPoints || textUnits < 0 ||
            textUnits > kMaxObjectTextLength)
            return Fail(error, mtexts::kMeasureFileBadObject);
        object.markNumber = mark;
        object.points.resize(size_t(points));
        const bool curve = IsCurveKind(k);
        if (curve) object.curveHandles1.resize(size_t(points)), object.curveHandles2.resize(size_t(points));
        for (int32_t i = 0; i < points; ++i) {
            if (!ReadPair(r, object.points[size_t(i)])) return Fail(error, mtexts::kMeasureFileBadObject);
            if (curve && (!ReadPair(r, object.curveHandles1[size_t(i)]) || !ReadPair(r, object.curveHandles2[size_t(i)])))
                return Fail(error, mtexts::kMeasureFileBadObject);
        }
        for (size_t i = 0; i < object.points.size(); ++i)
            KeepOnPicture(object.points[i], out.header, k == MeasureKind::Text && i == 2 ? kMaxTextBoxReach : 0);
        for (MeasurePoint& q : object.curveHandles1) KeepOnPicture(q, out.header);
        for (MeasurePoint& q : object.curveHandles2) KeepOnPicture(q, out.header);
        if (curve) object.curvePoints = object.points;
        if (k == MeasureKind::Text) {
            // The text follows its line break exactly: digits and spaces belong to it.
            std::u16string text;
            char16_t c;
            if (!r.Expect(u'\n')) return Fail(error, mtexts::kMeasureFileBadObject);
            for (int32_t i = 0; i < textUnits; ++i) {
                if (!r.Unit(c)) return Fail(error, mtexts::kMeasureFileTruncated);
                text += c;
            }
            object.text = Utf16ToUtf8(text);
        }
    }
    return true;
}

// The document takes the file's layers and picture, as a native file's reader would leave them.
bool InstallLayers(CVandDoc& document, MeasureDocumentFile& file) {
    if (!DocumentIO::InstallLayers(document, file.header, file.layers.data(), file.headLayer, kFormatMzr)) return false;
    DocumentState& state = document.State();
    LayerStack& stack = document.Stack();
    for (int i = 0; i < kMaxLayers; ++i) {
        LayerRecord& layer = stack.Layer(i);
        // Figures on measurement layers are drawn again from the objects.
        if (layer.inUse && layer.kind == LayerKind::Measure) {
            std::fill(layer.pixels.begin(), layer.pixels.end(), uint8_t(255));
            std::fill(layer.alpha.begin(), layer.alpha.end(), uint8_t(0));
        }
    }
    const LayerRecord& bottom = stack.Layer(stack.headLayer);
    try {
        state.header.scratchPixels.assign(size_t(bottom.pixelSize), 0);
        state.header.scratchAlpha.assign(size_t(bottom.planeSize), 0);
    } catch (const std::bad_alloc&) {
        stack.Clear();
        return false;
    }
    return true;
}

}  // namespace

bool ReadMeasureDocument(ImageStream& in, MeasureDocumentFile& out, std::string& error) {
    error.clear();
    auto file = std::make_unique<MeasureDocumentFile>();
    Utf16Reader reader(in);
    if (!ReadStart(in, reader, *file, error) || !ReadLayers(in, reader, *file, error) ||
        !ReadObjects(reader, *file, error))
        return false;
    out = std::move(*file);
    return true;
}

bool WriteMeasureDocument(ImageStream& out, const CVandDoc& document, const MeasureSet* objects, std::string& error) {
    error.clear();
    const LayerStack& stack = document.Stack();
    const DocumentHeader& header = document.Header();
    if (!LayerStack::IsValidIndex(stack.headLayer) || DocumentHeaderProblem(header))
        return Fail(error, mtexts::kMeasureFileBadLayers);
    Utf16Writer w(out);
    uint8_t raw[kDocumentHeaderFileBytes];
    StoreDocumentHeader(header, raw);
    // The file has no place for a palette: a palette picture is written with its colours, at 24 bits.
    const bool widen = header.bitsPerPixel < 24;
    if (widen) {
        PutLe32(raw + DocumentHeaderOffset::colourCount, 0);
        PutLe32(raw + DocumentHeaderOffset::bitsPerPixel, 24);
        PutLe32(raw + DocumentHeaderOffset::imageSize, int32_t(int64_t(header.height) * PlaneStride(24, header.width)));
    }
    bool ok = w.Ascii("\n ") && w.Number(stack.headLayer) && w.Ascii(" ") && w.Number(stack.currentLayer) &&
              WriteBytes(out, raw, sizeof raw) && w.Ascii("\n ") && w.Number(stack.headLayer) && w.Ascii(" ");
    bool visited[kMaxLayers] = {};
    for (int i = stack.headLayer; ok && i != -1; i = stack.Layer(i).next) {
        if (!LayerStack::IsValidIndex(i) || visited[i]) return Fail(error, mtexts::kMeasureFileBadLayers);
        visited[i] = true;
        const LayerRecord& layer = stack.Layer(i);
        if (layer.pixels.size() < size_t(layer.pixelSize) || layer.alpha.size() < size_t(layer.planeSize) ||
            layer.effect.size() < size_t(layer.planeSize))
            return Fail(error, mtexts::kMeasureFileBadLayers);
        uint8_t record[kLayerRecordFileBytes];
        StoreLayerRecord(layer, record);
        const uint8_t* pixels = layer.pixels.data();
        size_t pixelBytes = size_t(layer.pixelSize);
        std::vector<uint8_t> colours;
        if (widen && layer.kind != LayerKind::Text) {
            const int64_t stride = PlaneStride(24, layer.width);
            try {
                colours.assign(size_t(stride) * size_t(std::max(0, layer.height)), 0);
            } catch (const std::bad_alloc&) {
                return Fail(error, mtexts::kMeasureFileWriteFailed);
            }
            if (!RgbPlane(ViewOfLayer(layer, header), colours.data(), uint32_t(stride)))
                return Fail(error, mtexts::kMeasureFileBadLayers);
            pixels = colours.data();
            pixelBytes = colours.size();
            PutLe32(record + LayerRecordOffset::pixelSize, int32_t(pixelBytes));
            PutLe32(record + LayerRecordOffset::stride, int32_t(stride));
        }
        ok = WriteBytes(out, record, sizeof record) && WriteBytes(out, pixels, pixelBytes) &&
             WriteBytes(out, layer.alpha.data(), size_t(layer.planeSize)) &&
             WriteBytes(out, layer.effect.data(), size_t(layer.planeSize));
        if (ok && layer.next != -1) ok = w.Ascii("\n ") && w.Number(layer.next) && w.Ascii(" ");
    }
    const int live = objects ? objects->LiveObjects() : 0;
    ok = ok && w.Ascii("\n ") && w.Ascii(kMeasureObjectCountTag) && w.Ascii(" ") && w.Number(live);
    for (int i = 0; ok && objects && i < objects->ObjectCount(); ++i)
        if (objects->Object(i).valid) ok = WriteObject(w, objects->Object(i));
    if (!ok || out.Flush() != 0 || out.HasError()) return Fail(error, mtexts::kMeasureFileWriteFailed);
    return true;
}

bool SaveMeasureDocument(CVandDoc& document, const std::string& path) {
    WaitCursor wait;
    AtomicFileWriter writer(path);
    std::string error;
    if (!writer.Open()) {
        document.SetLastError(FileFailureText(mtexts::kMeasureFileWriteFailed, writer.Error()));
        return false;
    }
    if (!WriteMeasureDocument(writer.Stream(), document, FindMeasures(document), error)) {
        document.SetLastError(error);
        return false;
    }
    if (!writer.Commit()) {
        document.SetLastError(FileFailureText(mtexts::kMeasureFileWriteFailed, writer.Error()));
        return false;
    }
    return true;
}

bool LoadMeasureDocument(CVandDoc& document, const std::string& path) {
    WaitCursor wait;
    ImageStream in(ImageStream::kFile);
    if (!in.OpenFile(path, "rb")) {
        document.SetLastError(mtexts::kMeasureFileReadFailed);
        return false;
    }
    auto file = std::make_unique<MeasureDocumentFile>();
    std::string error;
    if (!ReadMeasureDocument(in, *file, error)) {
        document.SetLastError(error);
        return false;
    }
    in.Close();
    if (!InstallLayers(document, *file)) return false;
    if (document.Header().bitsPerPixel < 24) DocumentIO::ConvertToRgb(document);

    MeasureSet& set = MeasuresOf(document);
    set.Reset();
    if (!file->objects.empty() && set.PrepareLayer(true)) {
        int32_t highestMark = 0;
        for (MeasureObject& object : file->objects) {
            const MeasureKind kind = object.Kind();
            switch (kind) {
                case MeasureKind::Angle:
                case MeasureKind::Ellipse: set.scratch.three = object.points; break;
                case MeasureKind::Polyline:
                case MeasureKind::Polygon: set.scratch.poly = object.points; break;
                case MeasureKind::Curve:
                case MeasureKind::CurveArea:
                    set.scratch.curvePoints = object.points;
                    set.scratch.curveHandles1 = object.curveHandles1;
                    set.scratch.curveHandles2 = object.curveHandles2;
                    break;
                default: set.scratch.shape = object.points; break;
            }
            set.scratch.markNumber = object.markNumber;
            if (kind == MeasureKind::PointMark) highestMark = std::max(highestMark, object.markNumber);
            set.ClearTouch();
            if (!set.AddMeasureObject(object.kind, MeasureValues{}, object.text)) continue;
            if (set.RedrawMeasureObject(set.ObjectCount() - 1, false)) set.CountTouched();
        }
        set.scratch = MeasureScratch{};
        // The next mark continues after the highest number read.
        set.markCounter = int32_t(std::min<int64_t>(int64_t(highestMark) + 1, INT32_MAX));
    }
    DocumentIO::FinishOpening(document, document.HeadLayer());
    document.SetModified(false);
    return true;
}

}  // namespace quillory
