#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "core/NyZazo.h"
#include "processing/ColourDepth.h"
#include "processing/Quantizer.h"

using namespace quillory;

namespace {

// A second octree, written plainly: nodes are keyed by their path of child indices.
class ReferenceOctree {
public:
    ReferenceOctree(uint32_t maxColours, uint32_t bits) : m_max(maxColours), m_bits(std::min(bits, 8u)), m_lists(m_bits + 1) {}

    void Add(uint8_t r, uint8_t g, uint8_t b) {
        Path path;
        for (uint32_t level = 0;; ++level) {
            if (!m_leaves.count(path) && !m_inner.count(path)) {
                if (level == m_bits) {
                    m_leaves[path] = Sums{};
                } else {
                    m_inner.insert(path);
                    m_lists[level].push_back(path);
                }
            }
            if (m_leaves.count(path)) {
                Sums& s = m_leaves[path];
                s.n += 1;
                s.r += r;
                s.g += g;
                s.b += b;
                break;
            }
            int mask = 0x80 >> level;
            path.push_back(((r & mask) ? 4 : 0) | ((g & mask) ? 2 : 0) | ((b & mask) ? 1 : 0));
        }
        while (m_leaves.size() > m_max && Reduce()) {
        }
    }

    std::vector<RGBQUAD> Palette() const {
        // Tree order is the lexicographic order of the leaf paths (no leaf is a prefix of another).
        std::vector<RGBQUAD> out;
        for (const auto& [path, s] : m_leaves)
            out.push_back(RGBQUAD{uint8_t(s.b / s.n), uint8_t(s.g / s.n), uint8_t(s.r / s.n), 0});
        return out;
    }

private:
    using Path = std::vector<int>;
    struct Sums {
        uint64_t n = 0, r = 0, g = 0, b = 0;
    };

    bool Reduce() {
        if (m_bits == 0) return false;
        int level = int(m_bits) - 1;
        while (level > 0 && m_lists[level].empty()) --level;
        if (m_lists[level].empty()) return false;
        Path p = m_lists[level].back();
        m_lists[level].pop_back();
        m_inner.erase(p);
        Sums merged;
        for (auto it = m_leaves.begin(); it != m_leaves.end();) {
            if (it->first.size() == p.size() + 1 && std::equal(p.begin(), p.end(), it->first.begin())) {
                merged.n += it->second.n;
                merged.r += it->second.r;
                merged.g += it->second.g;
                merged.b += it->second.b;
                it = m_leaves.erase(it);
            } else {
                ++it;
            }
        }
        m_leaves[p] = merged;
        return true;
    }

    uint32_t m_max;
    uint32_t m_bits;
    std::map<Path, Sums> m_leaves;
    std::set<Path> m_inner;
    std::vector<std::vector<Path>> m_lists;
};

uint32_t g_seed = 1;
uint32_t Next() {
    g_seed = g_seed * 214013u + 2531011u;
    return (g_seed >> 16) & 0x7FFF;
}

// A 24-bit picture of odd width whose pixels cycle through `colours`.
void Paint(NyZazo& p, const std::vector<RGBQUAD>& colours) {
    size_t i = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) p.SetPixelColour(x, y, colours[i++ % colours.size()]);
}

std::vector<RGBQUAD> RandomColours(size_t n, int spread) {
    std::vector<RGBQUAD> out;
    for (size_t i = 0; i < n; ++i)
        out.push_back(MakeQuad(uint8_t(Next() % spread), uint8_t(Next() % spread), uint8_t(Next() % spread)));
    return out;
}

std::vector<RGBQUAD> Table(const CQuantizer& q, uint32_t room) {
    std::vector<RGBQUAD> t(room);
    q.GetColorTable(t.data());
    return t;
}

void ExpectSameAsReference(const NyZazo& p, uint32_t maxColours, uint32_t bits) {
    CQuantizer q(maxColours, bits);
    ASSERT_EQ(q.ProcessImage(p), 1);
    ReferenceOctree ref(maxColours, bits);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            RGBQUAD c = p.GetPixelColour(x, y);
            ref.Add(c.red, c.green, c.blue);
        }
    std::vector<RGBQUAD> expected = ref.Palette();
    ASSERT_EQ(q.GetColorCount(), expected.size()) << "max " << maxColours << " bits " << bits;
    std::vector<RGBQUAD> got = Table(q, std::max<uint32_t>(maxColours, 1));
    for (size_t i = 0; i < expected.size() && i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "entry " << i << " max " << maxColours << " bits " << bits;
}

}  // namespace

TEST(CQuantizer, MatchesAPlainOctreeOnSmallPictures) {
    g_seed = 7;
    struct Case {
        int width, height, colours, spread;
        uint32_t max, bits;
    };
    const Case cases[] = {
        {17, 19, 300, 256, 256, 8}, {17, 19, 300, 256, 255, 8}, {31, 9, 500, 256, 16, 8},
        {13, 13, 169, 40, 8, 8},    {13, 13, 169, 256, 1, 8},   {23, 11, 253, 256, 64, 5},
        {9, 7, 63, 256, 256, 3},    {5, 3, 15, 256, 2, 0},
    };
    for (const Case& c : cases) {
        NyZazo p(c.width, c.height, 24, 1);
        Paint(p, RandomColours(size_t(c.colours), c.spread));
        ExpectSameAsReference(p, c.max, c.bits);
    }
}

TEST(CQuantizer, KeepsUpTo256ColoursExactlyAndReducesOnePast) {
    g_seed = 99;
    std::vector<RGBQUAD> colours;
    std::set<uint32_t> seen;
    while (colours.size() < 257) {
        RGBQUAD c = RandomColours(1, 256)[0];
        uint32_t key = c.red << 16 | c.green << 8 | c.blue;
        if (seen.insert(key).second) colours.push_back(c);
    }
    std::vector<RGBQUAD> first256(colours.begin(), colours.begin() + 256);
    NyZazo exact(16, 16, 24, 1);
    Paint(exact, first256);
    CQuantizer q(256, 8);
    ASSERT_EQ(q.ProcessImage(exact), 1);
    EXPECT_EQ(q.GetColorCount(), 256u);
    std::vector<RGBQUAD> table = Table(q, 256);
    std::vector<RGBQUAD> sortedIn = first256, sortedOut = table;
    auto less = [](RGBQUAD a, RGBQUAD b) {
        return std::tie(a.red, a.green, a.blue) < std::tie(b.red, b.green, b.blue);
    };
    std::sort(sortedIn.begin(), sortedIn.end(), less);
    std::sort(sortedOut.begin(), sortedOut.end(), less);
    EXPECT_EQ(sortedIn, sortedOut);

    NyZazo onePast(257, 1, 24, 1);
    Paint(onePast, colours);
    CQuantizer r(256, 8);
    ASSERT_EQ(r.ProcessImage(onePast), 1);
    EXPECT_LE(r.GetColorCount(), 256u);
    ExpectSameAsReference(onePast, 256, 8);
}

TEST(CQuantizer, PaletteFollowsTreeOrderAndLeavesTheRestZero) {
    // Red 0x80 differs from red 0x00 at the first level: the larger red bit comes later.
    NyZazo p(3, 1, 24, 1);
    p.SetPixelColour(0, 0, MakeQuad(0x80, 0, 0));
    p.SetPixelColour(1, 0, MakeQuad(0x00, 0, 0xFF));
    p.SetPixelColour(2, 0, MakeQuad(0x00, 0x10, 0));
    CQuantizer q(256, 8);
    ASSERT_EQ(q.ProcessImage(p), 1);
    ASSERT_EQ(q.GetColorCount(), 3u);
    std::vector<RGBQUAD> t(256, RGBQUAD{});
    q.GetColorTable(t.data());
    // Level 0 child indices: green 0x10 → 0, blue 0xFF → 1, red 0x80 → 4.
    EXPECT_EQ(t[0], MakeQuad(0x00, 0x10, 0x00));
    EXPECT_EQ(t[1], MakeQuad(0x00, 0x00, 0xFF));
    EXPECT_EQ(t[2], MakeQuad(0x80, 0x00, 0x00));
    for (size_t i = 3; i < t.size(); ++i) EXPECT_EQ(t[i], RGBQUAD{}) << i;
}

TEST(CQuantizer, OneColourCollapsesToTheMeanAndLimitZeroEnds) {
    NyZazo p(4, 1, 24, 1);
    Paint(p, {MakeQuad(10, 20, 30), MakeQuad(200, 100, 0), MakeQuad(11, 21, 31), MakeQuad(201, 99, 1)});
    CQuantizer one(1, 8);
    ASSERT_EQ(one.ProcessImage(p), 1);
    EXPECT_EQ(one.GetColorCount(), 1u);
    RGBQUAD c{};
    one.GetColorTable(&c);
    EXPECT_EQ(c, MakeQuad((10 + 200 + 11 + 201) / 4, (20 + 100 + 21 + 99) / 4, (30 + 0 + 31 + 1) / 4));

    CQuantizer none(0, 8);
    ASSERT_EQ(none.ProcessImage(p), 1);
    EXPECT_EQ(none.GetColorCount(), 1u);
    none.GetColorTable(nullptr);
}

TEST(CQuantizer, ReadsPaletteDepthsAndRefusesOthers) {
    // 1, 4 and 8-bit pictures feed the palette colour of each index; odd widths.
    const int depths[] = {1, 4, 8};
    for (int depth : depths) {
        NyZazo p(7, 3, depth, 1);
        uint32_t n = p.header.biClrUsed;
        for (uint32_t i = 0; i < n; ++i) p.SetPaletteColour(int(i), uint8_t(i * 16 + 3), uint8_t(255 - i), uint8_t(i));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) p.SetPixelIndex(x, y, uint8_t((x + y) % n));
        NyZazo rgb(7, 3, 24, 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) rgb.SetPixelColour(x, y, p.GetPixelColour(x, y));
        CQuantizer a(256, 8), b(256, 8);
        ASSERT_EQ(a.ProcessImage(p), 1);
        ASSERT_EQ(b.ProcessImage(rgb), 1);
        EXPECT_EQ(a.GetColorCount(), b.GetColorCount()) << depth;
        EXPECT_EQ(Table(a, 256), Table(b, 256)) << depth;
    }
    NyZazo wide(3, 3, 32, 1);
    CQuantizer q(256, 8);
    EXPECT_EQ(q.ProcessImage(wide), 0);
    EXPECT_EQ(q.GetColorCount(), 0u);
    NyZazo empty;
    EXPECT_EQ(q.ProcessImage(empty), 0);
}

TEST(ColourDepth, EightBitsAndBackKeepFewColoursExactly) {
    g_seed = 5;
    std::vector<RGBQUAD> colours = RandomColours(40, 256);
    NyZazo p(13, 5, 24, 1);
    Paint(p, colours);
    NyZazo eight;
    ASSERT_TRUE(ReduceToEightBits(p, eight));
    EXPECT_EQ(eight.BitCount(), 8);
    EXPECT_EQ(eight.header.biClrUsed, 256u);
    NyZazo back;
    ASSERT_TRUE(ExpandToRgb(eight, back));
    EXPECT_EQ(back.BitCount(), 24);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) EXPECT_EQ(back.GetPixelColour(x, y), p.GetPixelColour(x, y)) << x << "," << y;

    // Pictures of 8 bits or fewer are not reduced again; more than 24 bits are not expanded.
    NyZazo untouched(2, 2, 24, 1);
    EXPECT_FALSE(ReduceToEightBits(eight, untouched));
    EXPECT_EQ(untouched.BitCount(), 24);
    NyZazo wide(2, 2, 32, 1);
    EXPECT_FALSE(ExpandToRgb(wide, untouched));
}

TEST(ColourDepth, ManyColoursMapToTheNearestEntryWithoutDithering) {
    g_seed = 11;
    NyZazo p(61, 17, 24, 1);
    Paint(p, RandomColours(61 * 17, 256));
    NyZazo eight;
    ASSERT_TRUE(ReduceToEightBits(p, eight));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            ASSERT_EQ(eight.GetPixelIndex(x, y), eight.GetNearestIndex(p.GetPixelColour(x, y))) << x << "," << y;
}

TEST(ColourDepth, NearestIndexKeepsTheFirstOfEquals) {
    RGBQUAD pal[3] = {MakeQuad(10, 0, 0), MakeQuad(30, 0, 0), MakeQuad(20, 0, 0)};
    EXPECT_EQ(NearestPaletteIndex(pal, 3, MakeQuad(20, 0, 0)), 2);
    EXPECT_EQ(NearestPaletteIndex(pal, 2, MakeQuad(20, 0, 0)), 0);
    EXPECT_EQ(NearestPaletteIndex(nullptr, 3, MakeQuad(20, 0, 0)), 0);
}

TEST(ColourDepth, IndexPlaneAgreesWithThePlainSearchOnTiesAndDuplicates) {
    g_seed = 23;
    // Few distinct values per channel give many equal distances and duplicate entries.
    std::vector<RGBQUAD> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(MakeQuad(uint8_t(Next() % 5 * 60), uint8_t(Next() % 4 * 80), uint8_t(Next() % 3 * 120)));
    for (uint32_t count : {1u, 7u, 100u, 256u}) {
        NyZazo p(37, 23, 24, 1);
        Paint(p, RandomColours(37 * 23, 256));
        std::vector<uint8_t> out(size_t(40) * 23);
        ASSERT_TRUE(IndexPlane(ViewOf(p), palette.data(), count, out.data(), 40));
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(out[size_t(y) * 40 + x], NearestPaletteIndex(palette.data(), count, p.GetPixelColour(x, y)))
                    << count << " " << x << "," << y;
    }
}

namespace {

// The quantizer as it was before its walks got start points: every colour walks
// down from the root. Kept to show that the faster walk builds the same tree.
class RootWalkOctree {
public:
    RootWalkOctree(uint32_t maxColours, uint32_t bits) : m_max(maxColours), m_bits(std::min(bits, 8u)) {}
    ~RootWalkOctree() { Free(m_root); }

    void Add(uint8_t r, uint8_t g, uint8_t b) {
        Node** slot = &m_root;
        for (uint32_t level = 0;; ++level) {
            if (!*slot) {
                *slot = new Node;
                if (level == m_bits) {
                    (*slot)->leaf = true;
                    ++m_leaves;
                } else {
                    (*slot)->next = m_lists[level];
                    m_lists[level] = *slot;
                }
            }
            Node* node = *slot;
            if (node->leaf) {
                node->n += 1, node->r += r, node->g += g, node->b += b;
                break;
            }
            const int mask = 0x80 >> level;
            slot = &node->child[((r & mask) ? 4 : 0) | ((g & mask) ? 2 : 0) | ((b & mask) ? 1 : 0)];
        }
        while (m_leaves > m_max && Reduce()) {
        }
    }

    std::vector<RGBQUAD> Palette() const {
        std::vector<RGBQUAD> out;
        Collect(m_root, out);
        return out;
    }

private:
    struct Node {
        bool leaf = false;
        uint64_t n = 0, r = 0, g = 0, b = 0;
        Node* child[8] = {};
        Node* next = nullptr;
    };

    bool Reduce() {
        if (m_bits == 0) return false;
        uint32_t level = m_bits - 1;
        while (level > 0 && !m_lists[level]) --level;
        Node* node = m_lists[level];
        if (!node) return false;
        m_lists[level] = node->next;
        uint32_t children = 0;
        for (Node*& c : node->child) {
            if (!c) continue;
            node->n += c->n, node->r += c->r, node->g += c->g, node->b += c->b;
            delete c;
            c = nullptr;
            ++children;
        }
        node->leaf = true;
        m_leaves -= children - 1;
        return true;
    }
    static void Collect(const Node* node, std::vector<RGBQUAD>& out) {
        if (!node) return;
        if (node->leaf) {
            if (node->n)
                out.push_back(RGBQUAD{uint8_t(node->b / node->n), uint8_t(node->g / node->n), uint8_t(node->r / node->n), 0});
            return;
        }
        for (const Node* c : node->child) Collect(c, out);
    }
    static void Free(Node* node) {
        if (!node) return;
        for (Node* c : node->child) Free(c);
        delete node;
    }

    uint32_t m_max, m_bits;
    uint32_t m_leaves = 0;
    Node* m_root = nullptr;
    Node* m_lists[9] = {};
};

// A photograph-like picture: smooth fields, hard-edged patches and noise, so the
// tree is reduced thousands of times while most colours land on existing leaves.
void PaintPhoto(NyZazo& p, int noise) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            int r = 40 + 150 * x / p.Width(), g = 60 + 120 * y / p.Height(), b = 170 - (x * y) % 90;
            if ((x / 23 + y / 17) % 5 == 0) r = 230 - r / 3, b = b / 2;
            r += int(Next() % (2 * noise + 1)) - noise;
            g += int(Next() % (2 * noise + 1)) - noise;
            b += int(Next() % (2 * noise + 1)) - noise;
            p.SetPixelColour(x, y, MakeQuad(uint8_t(std::clamp(r, 0, 255)), uint8_t(std::clamp(g, 0, 255)),
                                            uint8_t(std::clamp(b, 0, 255))));
        }
}

}  // namespace

TEST(CQuantizer, BuildsTheSameTreeAsTheRootWalkOnPhotographs) {
    g_seed = 31;
    struct Case {
        int width, height, noise;
        uint32_t max, bits;
    };
    for (const Case& c : {Case{301, 203, 6, 256, 8}, Case{255, 97, 20, 256, 8}, Case{128, 128, 3, 16, 8},
                          Case{99, 61, 40, 64, 6}, Case{80, 40, 10, 1, 8}, Case{50, 30, 60, 256, 3}}) {
        NyZazo p(c.width, c.height, 24, 1);
        PaintPhoto(p, c.noise);
        CQuantizer q(c.max, c.bits);
        ASSERT_EQ(q.ProcessImage(p), 1);
        RootWalkOctree reference(c.max, c.bits);
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) {
                const RGBQUAD colour = p.GetPixelColour(x, y);
                reference.Add(colour.red, colour.green, colour.blue);
            }
        const std::vector<RGBQUAD> expected = reference.Palette();
        ASSERT_EQ(q.GetColorCount(), expected.size()) << c.width << "x" << c.height;
        std::vector<RGBQUAD> got = Table(q, std::max<uint32_t>(c.max, 1));
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(got[i], expected[i]) << "entry " << i;
        // The same picture fed again in two halves continues the same tree.
        CQuantizer halves(c.max, c.bits);
        BITMAPINFOHEADER half = p.header;
        half.biHeight = p.Height() / 2;
        ASSERT_EQ(halves.ProcessBuffer(half, nullptr, p.bits), 1);
        half.biHeight = p.Height() - p.Height() / 2;
        ASSERT_EQ(halves.ProcessBuffer(half, nullptr, p.bits + size_t(p.Height() / 2) * p.rowBytes), 1);
        EXPECT_EQ(Table(halves, std::max<uint32_t>(c.max, 1)), got);
    }
}

TEST(ColourDepth, EightBitPhotographMapsEveryPixelToTheNearestEntry) {
    g_seed = 41;
    NyZazo p(257, 131, 24, 1);
    PaintPhoto(p, 8);
    NyZazo eight;
    ASSERT_TRUE(ReduceToEightBits(p, eight));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            ASSERT_EQ(eight.GetPixelIndex(x, y), eight.GetNearestIndex(p.GetPixelColour(x, y))) << x << "," << y;
}

TEST(ColourDepth, FlatPicturePaletteEqualsThePaletteOfTheSamePicture) {
    g_seed = 43;
    NyZazo p(97, 41, 24, 1);
    PaintPhoto(p, 12);
    // The flat form: rows top-down, 4 bytes a pixel, the alpha byte ignored.
    std::vector<uint32_t> flat(size_t(p.Width()) * p.Height());
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const RGBQUAD c = p.GetPixelColour(x, p.Height() - 1 - y);
            flat[size_t(y) * p.Width() + x] = c.blue | c.green << 8 | c.red << 16 | uint32_t(x % 256) << 24;
        }
    RGBQUAD fromPicture[256], fromFlat[256];
    ASSERT_TRUE(OctreePalette(ViewOf(p), fromPicture));
    ASSERT_TRUE(OctreePaletteOfFlat(flat.data(), p.Width(), p.Height(), fromFlat));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(fromFlat[i], fromPicture[i]) << i;
    EXPECT_FALSE(OctreePaletteOfFlat(nullptr, 3, 3, fromFlat));
}
