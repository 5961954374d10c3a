#pragma once
// The undo history's files in the process's temporary folder:
//  - step files "UD_<document>_<step>_<slot>.qvxtmp": the planes of one layer
//    as a step left it (pixels unless a text layer, opacity, shadow, the
//    selection mask, a text layer's text);
//  - the list files "WrIniLrList_Head_<document>.qvxtmp" (the whole stack at the
//    first step) and "RedIniLrList_Head_<document>.qvxtmp" (the stack at step 2,
//    written by undo).
// Step files are private to one process. A step file lists its planes block by
// block: uniform blocks (transparent areas, empty shadow planes, full masks,
// white new layers) and blocks repeating the one before take two bytes; the data
// of other blocks lives in pack files "UP_<document>_<n>.qvxtmp", and a block
// that did not change since the layer's last step file reuses the data stored
// then, so a brush stroke on a large layer writes little more than what it
// changed. Packs are counted and removed when no step file needs them. Every
// read checks the sizes it expects and fills a private buffer first, so a
// missing or short file changes nothing.
#include <map>
#include <utility>
#include <cstdint>
#include <string>
#include <vector>

#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"
#include "document/SelectionMask.h"

namespace quillory {

// What a step file holds.
struct StepPlanes {
    std::vector<uint8_t> pixels;  // empty for text layers
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> effect;
    std::vector<uint8_t> mask;
    std::u16string text;
};

// The sizes a step file must have to be read back into a layer.
struct StepSizes {
    uint64_t pixels = 0;
    uint64_t plane = 0;
    uint64_t mask = 0;
    uint64_t textUnits = 0;
};

// The whole stack as a list file keeps it.
struct ListContents {
    DocumentHeader header;
    std::vector<RGBQUAD> palette;
    int32_t headLayer = -1;
    std::vector<int> order;  // slots bottom first
    LayerRecord layers[kMaxLayers];
};

class StepFileStore {
public:
    StepFileStore(std::string folder, int32_t documentNumber)
        : m_folder(std::move(folder)), m_documentNumber(documentNumber) {}
    StepFileStore(const StepFileStore&) = delete;
    StepFileStore& operator=(const StepFileStore&) = delete;

    struct BlockRef {
        uint32_t pack = 0;  // 0: no stored data
        uint64_t offset = 0;
    };

    const std::string& Folder() const { return m_folder; }
    int32_t DocumentNumber() const { return m_documentNumber; }

    std::string StepPath(int step, int slot) const;
    std::string PackPath(uint32_t pack) const;
    std::string InitialListPath() const;
    std::string SecondListPath() const;

    // `base`, when given, must hold exactly the planes of the last step file
    // written for this slot (the committed copy right after that step): its
    // unchanged blocks are then not written again.
    [[nodiscard]] bool WriteStep(int step, int slot, const LayerRecord& layer, const SelectionMask& selection,
                                 std::string& error, const LayerRecord* base = nullptr);
    [[nodiscard]] bool ReadStep(int step, int slot, const StepSizes& expected, StepPlanes& out,
                                std::string& error) const;
    bool HasStep(int step, int slot) const;
    // Missing files are ignored.
    void RemoveStep(int step, int slot);
    void RemoveStepAllSlots(int step);
    void RenameStep(int fromStep, int toStep, int slot);
    // Every file of this document.
    void RemoveAll();
    // Bytes of this document's step and pack files.
    uint64_t DiskBytes() const;

    // The stack from `headLayer` along `next`. Each block's line carries the slot too
    // ("%ld %d %d %d": record length, pixelSize, planeSize, slot), so a stack whose
    // bottom slot changed since is read back into the right slots.
    [[nodiscard]] bool WriteList(const std::string& path, const DocumentHeader& header, const LayerRecord* layers,
                                 int headLayer, std::string& error) const;
    [[nodiscard]] static bool ReadList(const std::string& path, ListContents& out, std::string& error);

private:
    // What the last step file of a slot stored, for the next one to reuse.
    struct SlotBase {
        bool valid = false;
        uint64_t lengths[3] = {};  // pixels, opacity, shadow
        std::vector<BlockRef> refs[3];
        std::vector<uint32_t> packs;
    };
    void Hold(const std::vector<uint32_t>& packs);
    void Release(const std::vector<uint32_t>& packs);

    std::string m_folder;
    int32_t m_documentNumber;
    uint32_t m_nextPack = 1;
    std::map<uint32_t, int> m_packUsers;
    std::map<std::pair<int, int>, std::vector<uint32_t>> m_stepPacks;
    SlotBase m_base[kMaxLayers];
};

}  // namespace quillory
