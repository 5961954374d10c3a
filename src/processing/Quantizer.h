#pragma once
// CQuantizer: octree colour reduction. Pixels are fed one by one; the tree is
// cut back right after any pixel that creates too many leaves, so memory stays
// bounded by maxColours whatever the picture size.
#include <cstdint>
#include <vector>

#include "core/DibTypes.h"

namespace quillory {

class NyZazo;

class CQuantizer {
public:
    // colourBits is the tree depth, capped at 8.
    CQuantizer(uint32_t maxColours, uint32_t colourBits);
    virtual ~CQuantizer();

    CQuantizer(const CQuantizer&) = delete;
    CQuantizer& operator=(const CQuantizer&) = delete;

    // Feeds every pixel of a 1, 4, 8 or 24-bit picture; palette pictures feed the
    // colour of each index. Returns 1, or 0 (tree unchanged) for other depths.
    int ProcessImage(const NyZazo& image);
    // The same for raw rows: `description` gives width, height (positive, rows
    // bottom-up) and depth; rows are padded to 4 bytes. `palette` holds
    // `description.biClrUsed` entries for palette depths (missing entries read black).
    int ProcessBuffer(const BITMAPINFOHEADER& description, const RGBQUAD* palette, const uint8_t* pixels);

    // Feeds `count` pixels whose blue, green, red bytes start every `step` bytes.
    void ProcessPixels(const uint8_t* bgr, int step, int count);

    // Writes the leaves' mean colours (blue, green, red, 0) in tree order. The
    // caller provides room for maxColours entries and keeps its fill for the rest.
    void GetColorTable(RGBQUAD* palette) const;
    uint32_t GetColorCount() const { return m_leafCount; }

private:
    struct Node {
        bool isLeaf = false;
        uint32_t pixelCount = 0;
        // 64-bit sums: a large picture collapsed into few leaves would overflow 32 bits.
        uint64_t redSum = 0;
        uint64_t greenSum = 0;
        uint64_t blueSum = 0;
        Node* child[8] = {};
        Node* nextReducible = nullptr;
    };

    static constexpr uint32_t kMaxColourBits = 8;

    Node* CreateNode(uint32_t level);
    void AddColour(uint8_t red, uint8_t green, uint8_t blue);
    bool ReduceTree();
    inline void AddAndReduce(uint8_t red, uint8_t green, uint8_t blue);
    static void FreeTree(Node* node);
    static void WriteLeaves(const Node* node, RGBQUAD* palette, uint32_t& index, uint32_t limit);

    // Where the walk of a colour may start: the node its top kStartLevel bits lead
    // to (or the leaf above it). Only a reduction frees nodes, and each one starts
    // a new epoch, so an entry of the current epoch always points at a live node.
    struct StartPoint {
        Node* node = nullptr;
        uint64_t epoch = 0;
        uint32_t level = 0;
    };
    static constexpr uint32_t kStartLevel = 4;
    static uint32_t StartKey(uint8_t r, uint8_t g, uint8_t b) {
        constexpr uint32_t shift = 8 - kStartLevel;
        return (uint32_t(r >> shift) << (2 * kStartLevel)) | (uint32_t(g >> shift) << kStartLevel) | uint32_t(b >> shift);
    }

    Node* m_root = nullptr;
    std::vector<StartPoint> m_start;
    uint64_t m_epoch = 1;
    uint32_t m_leafCount = 0;
    Node* m_reducible[kMaxColourBits + 1] = {};
    uint32_t m_maxColours;
    uint32_t m_colourBits;
};

}  // namespace quillory
