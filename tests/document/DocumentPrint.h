#pragma once
// The whole state of a document as undo and redo must give it back: the header's
// stored fields and the palette, every slot's stored record fields, planes and
// text, the stack's head, the current layer and the selection (mask, place, size
// and whether it is shown). Differences() names what differs,
// so a failing comparison says which slot and which field.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "document/CVandDoc.h"
#include "document/QvxFormat.h"

namespace quillory::test {

struct DocumentPrint {
    std::array<uint8_t, kDocumentHeaderFileBytes> header{};
    std::vector<uint8_t> palette;
    std::array<std::array<uint8_t, kLayerRecordFileBytes>, kMaxLayers> records{};
    std::array<std::vector<uint8_t>, kMaxLayers> pixels, alpha, effect;
    std::array<std::u16string, kMaxLayers> text;
    int32_t headLayer = -1;
    int32_t currentLayer = -1;
    std::vector<uint8_t> selectionMask;
    std::array<int32_t, 5> selection{};  // x, y, width, height, shown
};

inline DocumentPrint PrintOf(const CVandDoc& document) {
    DocumentPrint print;
    StoreDocumentHeader(document.Header(), print.header.data());
    for (const RGBQUAD& c : document.Header().palette) print.palette.insert(print.palette.end(), {c.blue, c.green, c.red, c.reserved});
    for (int i = 0; i < kMaxLayers; ++i) {
        const LayerRecord& layer = document.Layer(i);
        StoreLayerRecord(layer, print.records[size_t(i)].data());
        print.pixels[size_t(i)] = layer.pixels;
        print.alpha[size_t(i)] = layer.alpha;
        print.effect[size_t(i)] = layer.effect;
        print.text[size_t(i)] = layer.text;
    }
    print.headLayer = document.HeadLayer();
    print.currentLayer = document.CurrentLayer();
    const SelectionMask& selection = document.State().selection;
    print.selectionMask = selection.mask;
    print.selection = {selection.x, selection.y, selection.width, selection.height, selection.selectionActive};
    return print;
}

namespace detail {

inline const char* RecordFieldAt(int offset) {
    namespace O = LayerRecordOffset;
    static const std::pair<int, const char*> fields[] = {
        {O::inUse, "inUse"}, {O::changed, "changed"}, {O::name, "name"}, {O::kind, "kind"},
        {O::blendMode, "blendMode"}, {O::prev, "prev"}, {O::next, "next"}, {O::linkedLayer, "linkedLayer"},
        {O::effectOn, "effectOn"}, {O::effectSize, "effectSize"}, {O::shadowColour, "shadowColour"},
        {O::reserved222, "reserved222"}, {O::shadowOnly, "shadowOnly"}, {O::textColour, "textColour"},
        {O::transparency, "transparency"}, {O::reserved233, "reserved233"}, {O::visible, "visible"}, {O::x, "x"},
        {O::y, "y"}, {O::height, "height"}, {O::width, "width"}, {O::planeSize, "planeSize"},
        {O::pixelSize, "pixelSize"}, {O::stride, "stride"}, {O::textLength, "textLength"}, {O::textX, "textX"},
        {O::textY, "textY"}, {O::textSize, "textSize"}, {O::textFont, "textFont"}, {O::reserved334, "reserved334"},
        {O::textSettings, "textSettings"}};
    const char* name = "?";
    for (const auto& [at, field] : fields)
        if (at <= offset) name = field;
    return name;
}

template <typename Bytes>
void ComparePlane(const char* what, int slot, const Bytes& expected, const Bytes& actual, std::string& out) {
    if (expected == actual) return;
    out += "slot " + std::to_string(slot) + " " + what;
    if (expected.size() != actual.size()) {
        out += " size " + std::to_string(expected.size()) + " != " + std::to_string(actual.size()) + "\n";
        return;
    }
    size_t at = 0;
    while (expected[at] == actual[at]) ++at;
    out += " differ from byte " + std::to_string(at) + "\n";
}

}  // namespace detail

// Empty when both prints are equal; otherwise one line per difference.
inline std::string Differences(const DocumentPrint& expected, const DocumentPrint& actual) {
    std::string out;
    if (expected.header != actual.header) {
        size_t at = 0;
        while (expected.header[at] == actual.header[at]) ++at;
        out += "header differs at byte " + std::to_string(at) + "\n";
    }
    if (expected.palette != actual.palette) out += "palette differs\n";
    if (expected.headLayer != actual.headLayer)
        out += "headLayer " + std::to_string(expected.headLayer) + " != " + std::to_string(actual.headLayer) + "\n";
    if (expected.currentLayer != actual.currentLayer)
        out += "currentLayer " + std::to_string(expected.currentLayer) + " != " +
               std::to_string(actual.currentLayer) + "\n";
    if (expected.selection != actual.selection) {
        const char* names[] = {"x", "y", "width", "height", "shown"};
        for (size_t i = 0; i < expected.selection.size(); ++i)
            if (expected.selection[i] != actual.selection[i])
                out += std::string("selection ") + names[i] + " " + std::to_string(expected.selection[i]) + " != " +
                       std::to_string(actual.selection[i]) + "\n";
    }
    detail::ComparePlane("selection mask", -1, expected.selectionMask, actual.selectionMask, out);
    for (int i = 0; i < kMaxLayers; ++i) {
        const auto& e = expected.records[size_t(i)];
        const auto& a = actual.records[size_t(i)];
        for (int at = 0; at < kLayerRecordFileBytes; ++at)
            if (e[size_t(at)] != a[size_t(at)]) {
                out += "slot " + std::to_string(i) + " field " + detail::RecordFieldAt(at) + "\n";
                while (at + 1 < kLayerRecordFileBytes &&
                       detail::RecordFieldAt(at + 1) == detail::RecordFieldAt(at))
                    ++at;
            }
        detail::ComparePlane("pixels", i, expected.pixels[size_t(i)], actual.pixels[size_t(i)], out);
        detail::ComparePlane("alpha", i, expected.alpha[size_t(i)], actual.alpha[size_t(i)], out);
        detail::ComparePlane("effect", i, expected.effect[size_t(i)], actual.effect[size_t(i)], out);
        detail::ComparePlane("text", i, expected.text[size_t(i)], actual.text[size_t(i)], out);
    }
    return out;
}

}  // namespace quillory::test
