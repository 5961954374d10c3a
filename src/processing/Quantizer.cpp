#include "processing/Quantizer.h"

#include "core/NyZazo.h"
#include "core/SizeMath.h"

namespace quillory {

namespace {
const uint8_t kLevelMask[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
}

CQuantizer::CQuantizer(uint32_t maxColours, uint32_t colourBits)
    : m_maxColours(maxColours), m_colourBits(colourBits > kMaxColourBits ? kMaxColourBits : colourBits) {}

CQuantizer::~CQuantizer() { FreeTree(m_root); }

void CQuantizer::FreeTree(Node* node) {
    if (!node) return;
    for (Node* c : node->child) FreeTree(c);
    delete node;
}

CQuantizer::Node* CQuantizer::CreateNode(uint32_t level) {
    Node* node = new Node;
    if (level == m_colourBits) {
        node->isLeaf = true;
        ++m_leafCount;
    } else {
        node->nextReducible = m_reducible[level];
        m_reducible[level] = node;
    }
    return node;
}

void CQuantizer::AddColour(uint8_t red, uint8_t green, uint8_t blue) {
    if (m_start.empty()) m_start.resize(size_t(1) << (3 * kStartLevel));
    StartPoint& start = m_start[StartKey(red, green, blue)];
    Node* node;
    uint32_t level;
    if (start.epoch == m_epoch) {
        node = start.node;
        level = start.level;
    } else {
        if (!m_root) m_root = CreateNode(0);
        node = m_root;
        level = 0;
    }
    for (;;) {
        if (level == kStartLevel || (node->isLeaf && level < kStartLevel)) {
            if (start.node != node || start.epoch != m_epoch) start = StartPoint{node, m_epoch, level};
        }
        if (node->isLeaf) {
            node->pixelCount += 1;
            node->redSum += red;
            node->greenSum += green;
            node->blueSum += blue;
            return;
        }
        uint8_t mask = kLevelMask[level];
        int index = ((red & mask) ? 4 : 0) | ((green & mask) ? 2 : 0) | ((blue & mask) ? 1 : 0);
        Node*& child = node->child[index];
        if (!child) child = CreateNode(level + 1);
        node = child;
        ++level;
    }
}

bool CQuantizer::ReduceTree() {
    if (m_colourBits == 0) return false;
    uint32_t level = m_colourBits - 1;
    while (level > 0 && !m_reducible[level]) --level;
    Node* node = m_reducible[level];
    if (!node) return false;
    m_reducible[level] = node->nextReducible;
    ++m_epoch;

    // The deepest non-empty level is reduced, so every child here is a leaf.
    uint32_t children = 0;
    for (Node*& c : node->child) {
        if (!c) continue;
        node->pixelCount += c->pixelCount;
        node->redSum += c->redSum;
        node->greenSum += c->greenSum;
        node->blueSum += c->blueSum;
        delete c;
        c = nullptr;
        ++children;
    }
    node->isLeaf = true;
    m_leafCount -= children - 1;
    return true;
}

void CQuantizer::AddAndReduce(uint8_t red, uint8_t green, uint8_t blue) {
    // The common case: the colour's start point is a leaf of the current tree, so
    // adding it creates nothing and cannot call for a reduction.
    if (!m_start.empty()) {
        const StartPoint& start = m_start[StartKey(red, green, blue)];
        if (start.epoch == m_epoch && start.node->isLeaf) {
            Node* leaf = start.node;
            leaf->pixelCount += 1;
            leaf->redSum += red;
            leaf->greenSum += green;
            leaf->blueSum += blue;
            return;
        }
    }
    AddColour(red, green, blue);
    // Every reduction takes one node off a list, so this ends even when the
    // limit (0) cannot be reached.
    while (m_leafCount > m_maxColours && ReduceTree()) {
    }
}

int CQuantizer::ProcessBuffer(const BITMAPINFOHEADER& description, const RGBQUAD* palette, const uint8_t* pixels) {
    const int width = description.biWidth;
    const int height = description.biHeight;
    const int depth = description.biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return 0;
    if (!pixels || width <= 0 || height <= 0) return 0;
    auto rowBytes = CheckedRowBytes(width, depth);
    if (!rowBytes) return 0;

    RGBQUAD colours[256] = {};
    if (depth <= 8 && palette) {
        uint32_t n = description.biClrUsed < 256 ? description.biClrUsed : 256;
        for (uint32_t i = 0; i < n; ++i) colours[i] = palette[i];
    }

    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * *rowBytes;
        switch (depth) {
        case 24:
            for (int x = 0; x < width; ++x, row += 3) AddAndReduce(row[2], row[1], row[0]);
            break;
        case 8:
            for (int x = 0; x < width; ++x) {
                const RGBQUAD& c = colours[row[x]];
                AddAndReduce(c.red, c.green, c.blue);
            }
            break;
        case 4:
            for (int x = 0; x < width; ++x) {
                uint8_t b = row[x >> 1];
                const RGBQUAD& c = colours[(x & 1) ? (b & 0x0F) : (b >> 4)];
                AddAndReduce(c.red, c.green, c.blue);
            }
            break;
        case 1:
            for (int x = 0; x < width; ++x) {
                const RGBQUAD& c = colours[(row[x >> 3] >> (7 - (x & 7))) & 1];
                AddAndReduce(c.red, c.green, c.blue);
            }
            break;
        }
    }
    return 1;
}

void CQuantizer::ProcessPixels(const uint8_t* bgr, int step, int count) {
    if (!bgr) return;
    for (int x = 0; x < count; ++x, bgr += step) AddAndReduce(bgr[2], bgr[1], bgr[0]);
}

int CQuantizer::ProcessImage(const NyZazo& image) {
    if (!image.dib || !image.bits) return 0;
    return ProcessBuffer(image.header, image.GetPalette(), image.bits);
}

void CQuantizer::WriteLeaves(const Node* node, RGBQUAD* palette, uint32_t& index, uint32_t limit) {
    if (!node) return;
    if (node->isLeaf) {
        if (index < limit && node->pixelCount) {
            palette[index].red = uint8_t(node->redSum / node->pixelCount);
            palette[index].green = uint8_t(node->greenSum / node->pixelCount);
            palette[index].blue = uint8_t(node->blueSum / node->pixelCount);
            palette[index].reserved = 0;
        }
        ++index;
        return;
    }
    for (const Node* c : node->child) WriteLeaves(c, palette, index, limit);
}

void CQuantizer::GetColorTable(RGBQUAD* palette) const {
    if (!palette) return;
    uint32_t index = 0;
    WriteLeaves(m_root, palette, index, m_maxColours);
}

}  // namespace quillory
