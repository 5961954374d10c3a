#pragma once
// The undo history's files in the process's temporary folder. A step file
// "UD_<document>_<step>_<slot>.qvxtmp" keeps the planes of one record: for a
// layer slot (0..39) its pixels, opacity, shadow plane and text; for slot 40
// the selection mask.
//
// A step file lists its planes block by block: uniform blocks (transparent
// areas, empty shadow planes, full masks, white new layers) and blocks repeating
// the one before take two bytes; the data of other blocks lives in pack files
// "UP_<document>_<n>.qvxtmp", and a block that did not change since the slot's
// last step file reuses the data stored then, so a brush stroke on a large layer
// writes little more than what it changed. Packs are counted and removed when
// no step file needs them.
//
// Every stored block carries its zlib crc32 and every step file ends with the
// crc32 of its own bytes: a read checks them and the sizes it expects, and fills
// private buffers first, so a missing, short or damaged file changes nothing.
// A step file's header names its document, its record slot and the write number
// the store gave it (kept under a new name when old steps roll off), so a sound
// file of another document, slot or step under this name is refused too.
// Step and pack files are written once under a name nothing else uses and never
// replace a file; they are private to one process and go when it ends.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/LayerRecord.h"

namespace quillory {

inline constexpr int kSelectionSlot = kMaxLayers;    // the selection mask's record slot
inline constexpr int kRecordSlots = kMaxLayers + 1;  // 40 layers and the selection
inline constexpr int kMaxPlanes = 4;                 // pixels, opacity, shadow, text
// A multiple of 3 and of 8, so a plane of one repeated 24-bit colour repeats whole blocks.
inline constexpr uint32_t kStepBlockBytes = 4080;

inline uint64_t BlocksOf(uint64_t length) { return (length + kStepBlockBytes - 1) / kStepBlockBytes; }

// One plane as the store writes it: its bytes, or one value repeated.
struct PlaneSource {
    const uint8_t* data = nullptr;  // null: every byte is `value`
    uint64_t length = 0;
    uint8_t value = 0;
    // The blocks that differ from the same plane of the slot's last step file
    // (null: unknown, every block is looked at).
    const std::vector<bool>* changed = nullptr;
};

class StepFileStore {
public:
    StepFileStore(std::string folder, int32_t documentNumber)
        : m_folder(std::move(folder)), m_documentNumber(documentNumber) {}
    ~StepFileStore() = default;
    StepFileStore(const StepFileStore&) = delete;
    StepFileStore& operator=(const StepFileStore&) = delete;

    // How one block of a plane is kept.
    struct BlockRef {
        uint8_t code = 0;   // 0 stored data, 1 one value, 2 the block before repeated
        uint8_t value = 0;  // the value of a uniform block
        uint32_t pack = 0;  // stored data: the pack file, the offset in it and the data's crc32
        uint64_t offset = 0;
        uint32_t crc = 0;
    };
    // Where the blocks of one step file's planes are stored.
    struct FileBlocks {
        uint64_t lengths[kMaxPlanes] = {};
        std::vector<BlockRef> refs[kMaxPlanes];
        int planes = 0;
    };
    // The blocks of one plane that differ from the plane a slot holds now.
    struct PlanePatch {
        std::vector<uint64_t> blocks;  // block indices, ascending
        std::vector<uint8_t> bytes;    // their new content, one block after another
    };

    const std::string& Folder() const { return m_folder; }
    int32_t DocumentNumber() const { return m_documentNumber; }

    std::string StepPath(int step, int slot) const;
    // The write number of the file (step, slot) holds; 0 when the store wrote none.
    uint32_t WriteNumberOf(int step, int slot) const;
    std::string PackPath(uint32_t pack) const;

    // Writes the planes of (step, slot). Blocks that `changed` marks unchanged
    // reuse the data of the slot's last written or adopted file.
    [[nodiscard]] bool WriteStep(int step, int slot, const PlaneSource* planes, int count, std::string& error);
    // Reads (step, slot) into `out`; each plane must have the length `expected`
    // gives. `blocks`, when given, receives where the planes are stored (for
    // AdoptBase). A plane whose bytes `current` gives (they must be the plane as
    // the slot's last written or adopted file stores it, see HasBaseOf) comes back
    // in `patches` as the blocks that differ, and only those are read.
    [[nodiscard]] bool ReadStep(int step, int slot, const uint64_t* expected, int count,
                                std::vector<uint8_t>* out, std::string& error, FileBlocks* blocks = nullptr,
                                const uint8_t* const* current = nullptr, PlanePatch* patches = nullptr) const;
    // True when the slot's last written or adopted file stores planes of these lengths.
    bool HasBaseOf(int slot, const uint64_t* lengths, int count) const;
    // The slot's planes are now as `blocks` (read from one of its files) stores them:
    // the next file of the slot reuses that data.
    void AdoptBase(int slot, const FileBlocks& blocks);
    bool HasStep(int step, int slot) const;
    // Missing files are ignored.
    void RemoveStep(int step, int slot);
    void RenameStep(int fromStep, int toStep, int slot);
    // Every file of this document.
    void RemoveAll();
    // Bytes of this document's step and pack files.
    uint64_t DiskBytes() const;

private:
    // What the last step file of a slot stored, for the next one to reuse.
    struct SlotBase {
        bool valid = false;
        FileBlocks blocks;
        std::vector<uint32_t> packs;
    };
    void Hold(const std::vector<uint32_t>& packs);
    void Release(const std::vector<uint32_t>& packs);
    void SetBase(int slot, const FileBlocks& blocks);
    static std::vector<uint32_t> PacksOf(const FileBlocks& blocks);

    std::string m_folder;
    int32_t m_documentNumber;
    uint32_t m_nextPack = 1;
    std::map<uint32_t, int> m_packUsers;
    // The step files this store wrote: their write numbers and the packs they use.
    struct StepFile {
        uint32_t writeNumber = 0;
        std::vector<uint32_t> packs;
    };
    uint32_t m_nextWrite = 1;
    std::map<std::pair<int, int>, StepFile> m_files;
    SlotBase m_base[kRecordSlots];
};

}  // namespace quillory
