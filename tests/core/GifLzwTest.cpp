// The GIF decoder's LZW loop against a plain decoder of the same rules, on
// random code streams: long strings, codes just made and past the table, clear
// codes, a full table, sub-blocks of every length, missing end codes and files
// cut short, in plain and interlaced frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ClassicRandom.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"

using namespace quillory;

namespace {

// The classic C library sequence, so the streams are the same on every machine.
struct Lcg : ClassicRandom {
    using ClassicRandom::ClassicRandom;
    int Below(int n) { return n <= 0 ? 0 : int((uint32_t(Next()) << 15 | uint32_t(Next())) % uint32_t(n)); }
};

// One string at a time, walked back through the table onto a stack.
class PlainLzw {
public:
    explicit PlainLzw(int minimum) : m_minimum(minimum), m_clear(1 << minimum) { Reset(); }
    int CodeSize() const { return m_codeSize; }
    int NextFree() const { return m_nextFree; }
    int ClearCode() const { return m_clear; }
    bool Started() const { return m_old >= 0; }

    // The string of one code (not the clear or end code) appended to `out`.
    void Feed(int code, std::vector<uint8_t>& out) {
        if (code == m_clear) {
            Reset();
            return;
        }
        if (m_old < 0) {
            if (code >= m_clear + 2) code = 0;
            m_old = code;
            m_first = uint8_t(code);
            out.push_back(m_first);
            return;
        }
        const int incoming = code;
        std::vector<uint8_t> stack;
        if (code >= m_nextFree) {
            stack.push_back(m_first);
            code = m_old;
        }
        while (code >= m_clear) {
            stack.push_back(m_suffix[size_t(code)]);
            code = m_prefix[size_t(code)];
        }
        m_first = uint8_t(code);
        stack.push_back(m_first);
        out.insert(out.end(), stack.rbegin(), stack.rend());
        const int added = m_nextFree;
        if (m_nextFree < (1 << m_codeSize)) {
            m_prefix[size_t(m_nextFree)] = m_old;
            m_suffix[size_t(m_nextFree)] = m_first;
            ++m_nextFree;
            if (m_nextFree >= (1 << m_codeSize) && m_codeSize < 12) ++m_codeSize;
        }
        m_old = incoming >= added && added < m_nextFree ? added : std::min(incoming, m_nextFree - 1);
    }

private:
    void Reset() {
        m_codeSize = m_minimum + 1;
        m_nextFree = m_clear + 2;
        m_old = -1;
    }
    int m_minimum, m_clear;
    int m_codeSize = 0, m_nextFree = 0, m_old = -1;
    uint8_t m_first = 0;
    std::vector<int> m_prefix = std::vector<int>(4096);
    std::vector<uint8_t> m_suffix = std::vector<uint8_t>(4096);
};

struct Stream {
    std::vector<uint8_t> file;
    std::vector<uint8_t> expected;  // the frame's indices, top row first
    bool decodes = true;
};

std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    return rows;
}

// A frame of random codes, packed into random sub-blocks, with what a decoder of
// the plain rules makes of it.
Stream RandomStream(Lcg& rng, int width, int height, bool interlaced, int codes) {
    const int minimum = 2 + rng.Below(7);
    PlainLzw plain(minimum);
    const int clear = plain.ClearCode(), end = clear + 1;
    std::vector<uint8_t> emitted, data;
    uint64_t bits = 0;
    int bitCount = 0;
    auto put = [&](int code, int size) {
        bits |= uint64_t(code) << bitCount;
        bitCount += size;
        for (; bitCount >= 8; bitCount -= 8, bits >>= 8) data.push_back(uint8_t(bits));
    };
    put(clear, plain.CodeSize());
    bool ended = false;
    const bool clears = rng.Below(3) != 0;
    for (int i = 0; i < codes; ++i) {
        const int size = plain.CodeSize(), nextFree = plain.NextFree();
        const int roll = rng.Below(1000);
        int code;
        if (roll < 2) {
            put(end, size);
            ended = true;
            break;
        } else if (roll < 20 && clears) {
            code = clear;
        } else if (roll < 70 && plain.Started()) {
            code = nextFree;  // the entry about to be made
        } else if (roll < 90) {
            code = std::min((1 << size) - 1, nextFree + rng.Below(1 << size));  // past the table
        } else if (roll < 500 || nextFree <= clear + 2) {
            code = rng.Below(clear);
        } else {
            code = nextFree - 1 - rng.Below(std::min(64, nextFree - clear - 2));  // a recent, long string
        }
        if (code >= (1 << size)) code = (1 << size) - 1;
        if (code == end) code = 0;
        put(code, size);
        plain.Feed(code, emitted);
    }
    if (!ended && rng.Below(2)) {
        put(end, plain.CodeSize());
        ended = true;
    }
    if (bitCount > 0) data.push_back(uint8_t(bits));

    Stream s;
    s.file = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
              0x87, 0, 0};
    for (int i = 0; i < 256; ++i) s.file.insert(s.file.end(), {uint8_t(i), uint8_t(i * 7), uint8_t(255 - i)});
    s.file.insert(s.file.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                 uint8_t(height >> 8), uint8_t(interlaced ? 0x40 : 0), uint8_t(minimum)});
    for (size_t at = 0; at < data.size();) {
        const size_t n = std::min(data.size() - at, size_t(1 + rng.Below(255)));
        s.file.push_back(uint8_t(n));
        s.file.insert(s.file.end(), data.begin() + long(at), data.begin() + long(at + n));
        at += n;
    }
    // The terminator stands for the end code; a cut makes the codes run out.
    const bool cut = rng.Below(4) == 0;
    if (cut) s.file.resize(s.file.size() - size_t(rng.Below(int(std::min<size_t>(data.size(), 40)))));
    else s.file.insert(s.file.end(), {0, 0x3B});

    // What the plain decoder reads of the bytes that are there, padding bits included.
    std::vector<uint8_t> bytes;
    for (size_t at = 13 + 768 + 11; at < s.file.size();) {
        const size_t n = s.file[at++];
        if (n == 0) break;
        for (size_t i = 0; i < n && at < s.file.size(); ++i) bytes.push_back(s.file[at++]);
    }
    emitted.clear();
    ended = false;
    PlainLzw again(minimum);
    uint64_t have = 0;
    int haveBits = 0;
    size_t next = 0;
    for (;;) {
        const int size = again.CodeSize();
        while (haveBits < size && next < bytes.size()) {
            have |= uint64_t(bytes[next++]) << haveBits;
            haveBits += 8;
        }
        if (haveBits < size) {
            ended = !cut;
            break;
        }
        const int code = int(have & ((1u << size) - 1));
        have >>= size;
        haveBits -= size;
        if (code == end) {
            ended = true;
            break;
        }
        again.Feed(code, emitted);
    }

    // Rows in the order they arrive; a short last row is kept, filled with white,
    // only when the codes ended properly.
    s.expected.assign(size_t(width) * size_t(height), 0xFF);
    const std::vector<int> order = RowOrder(height, interlaced);
    const size_t fullRows = emitted.size() / size_t(width);
    size_t stored = std::min(fullRows, order.size());
    for (size_t r = 0; r < stored; ++r)
        std::copy_n(emitted.begin() + long(r * size_t(width)), width, s.expected.begin() + long(size_t(order[r]) * size_t(width)));
    if (ended && stored < order.size() && emitted.size() % size_t(width) != 0 && fullRows < order.size()) {
        std::copy(emitted.begin() + long(stored * size_t(width)), emitted.end(),
                  s.expected.begin() + long(size_t(order[stored]) * size_t(width)));
        ++stored;
    }
    s.decodes = ended || stored == order.size();
    return s;
}

}  // namespace

TEST(GifLzw, RowsMatchThePlainDecoderOnRandomCodeStreams) {
    Lcg rng(2024);
    int decoded = 0, refused = 0;
    for (int round = 0; round < 600; ++round) {
        const bool large = round % 10 == 0;
        const int width = large ? 200 + rng.Below(300) : 1 + rng.Below(40);
        const int height = large ? 50 + rng.Below(100) : 1 + rng.Below(30);
        const int codes = large ? 3000 + rng.Below(20000) : rng.Below(width * height);
        const Stream s = RandomStream(rng, width, height, rng.Below(4) == 0, codes);
        ImageStream in(s.file.data(), uint32_t(s.file.size()));
        NyZazo picture;
        const bool ok = picture.Decode(in, 2);
        ASSERT_EQ(ok, s.decodes) << "round " << round << ": " << picture.lastError;
        if (!ok) {
            ++refused;
            continue;
        }
        ++decoded;
        ASSERT_EQ(picture.Width(), width);
        ASSERT_EQ(picture.Height(), height);
        ASSERT_EQ(picture.BitCount(), 8);
        for (int y = 0; y < height; ++y)
            ASSERT_TRUE(std::equal(s.expected.begin() + long(y * width), s.expected.begin() + long((y + 1) * width),
                                   picture.Row(height - 1 - y)))
                << "round " << round << ", row " << y << " w " << width << " h " << height << [&] {
                       std::string t = "\nexp:";
                       for (int x = 0; x < width; ++x) t += " " + std::to_string(s.expected[size_t(y * width + x)]);
                       t += "\ngot:";
                       for (int x = 0; x < width; ++x) t += " " + std::to_string(picture.Row(height - 1 - y)[x]);
                       return t;
                   }();
    }
    EXPECT_GT(decoded, 300);
    EXPECT_GT(refused, 10);
}
