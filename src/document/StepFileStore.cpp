#include "document/StepFileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "core/NyZazo.h"
#include "document/QvxFormat.h"

namespace quillory {

namespace {

constexpr uint8_t kMagic[4] = {'Q', 'L', 'U', 'D'};
constexpr uint32_t kStepFormat = 2;
constexpr int kSections = 5;  // pixels, opacity, shadow, selection mask, text
constexpr int kHeaderBytes = 16 + kSections * 16;
// A multiple of 3 and of 8, so a plane of one repeated 24-bit colour repeats
// whole blocks.
constexpr uint32_t kBlockBytes = 4080;

enum BlockCode : uint8_t { kRaw = 0, kUniform = 1, kRepeat = 2 };

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutU64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t GetU32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
uint64_t GetU64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Unbuffered for large blocks, buffered for the small pieces between them.
class FileWriter {
public:
    explicit FileWriter(const std::string& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {}
    ~FileWriter() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    bool Write(const void* data, size_t n) {
        if (n == 0) return true;
        const auto* p = static_cast<const uint8_t*>(data);
        if (n >= kDirect) return Flush() && WriteAll(p, n);
        if (m_buffer.size() + n > kBuffer && !Flush()) return false;
        m_buffer.insert(m_buffer.end(), p, p + n);
        return true;
    }
    bool Close() {
        const bool ok = Flush() && m_fd >= 0;
        const bool closed = m_fd >= 0 && ::close(m_fd) == 0;
        m_fd = -1;
        return ok && closed;
    }

private:
    static constexpr size_t kBuffer = 1 << 20;
    static constexpr size_t kDirect = 1 << 16;
    bool Flush() {
        const bool ok = WriteAll(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }
    bool WriteAll(const uint8_t* p, size_t n) {
        while (n > 0) {
            const ssize_t written = ::write(m_fd, p, n);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            p += written;
            n -= size_t(written);
        }
        return true;
    }
    int m_fd;
    std::vector<uint8_t> m_buffer;
};

class FileReader {
public:
    explicit FileReader(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileReader() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    int64_t Size() const {
        struct stat st {};
        return fstat(m_fd, &st) == 0 ? int64_t(st.st_size) : -1;
    }
    bool Read(void* data, size_t n) {
        auto* p = static_cast<uint8_t*>(data);
        const size_t buffered = std::min(n, m_end - m_pos);
        if (buffered > 0) std::memcpy(p, m_buffer.data() + m_pos, buffered);
        m_pos += buffered;
        p += buffered;
        n -= buffered;
        if (n >= kDirect) return ReadAll(p, n);
        while (n > 0) {
            if (!Fill()) return false;
            const size_t take = std::min(n, m_end - m_pos);
            std::memcpy(p, m_buffer.data() + m_pos, take);
            m_pos += take;
            p += take;
            n -= take;
        }
        return true;
    }
    // The next byte without taking it; false at the end of the file.
    bool Peek(uint8_t& byte) {
        if (m_pos == m_end && !Fill()) return false;
        byte = m_buffer[m_pos];
        return true;
    }

private:
    static constexpr size_t kBuffer = 1 << 16;
    static constexpr size_t kDirect = 1 << 16;
    bool ReadAll(uint8_t* p, size_t n) {
        while (n > 0) {
            const ssize_t got = ::read(m_fd, p, n);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            p += got;
            n -= size_t(got);
        }
        return true;
    }
    bool Fill() {
        m_buffer.resize(kBuffer);
        m_pos = m_end = 0;
        while (true) {
            const ssize_t got = ::read(m_fd, m_buffer.data(), kBuffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            m_end = size_t(got);
            return true;
        }
    }
    int m_fd;
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
};

constexpr int kRefBytes = 12;  // pack number (u32) and offset (u64) of a stored block

struct Section {
    const uint8_t* data = nullptr;
    uint64_t length = 0;
    const uint8_t* base = nullptr;  // the same plane as last written, or null
    const std::vector<StepFileStore::BlockRef>* baseRefs = nullptr;
    std::vector<uint8_t> codes;
    std::vector<uint8_t> values;
    std::vector<StepFileStore::BlockRef> refs;  // one per block; pack 0 for blocks without data

    uint64_t Blocks() const { return (length + kBlockBytes - 1) / kBlockBytes; }
    uint64_t StoredLength() const {
        uint64_t stored = 2 * Blocks();
        for (uint8_t code : codes) stored += code == kRaw ? kRefBytes : 0;
        return stored;
    }
};

bool Uniform(const uint8_t* p, size_t n) { return n == 0 || std::memcmp(p, p + 1, n - 1) == 0; }

// Blocks that are uniform or repeat the block before take no data; a block equal
// to the same block of the base reuses the data stored for it; the rest go to the
// new pack at `packSize`, recorded in `fresh` as (plane offset, bytes).
void Encode(Section& s, uint32_t pack, uint64_t& packSize, std::vector<std::pair<const uint8_t*, size_t>>& fresh) {
    const uint64_t blocks = s.Blocks();
    s.codes.assign(blocks, kRaw);
    s.values.assign(blocks, 0);
    s.refs.assign(blocks, StepFileStore::BlockRef{});
    for (uint64_t b = 0; b < blocks; ++b) {
        const uint8_t* p = s.data + b * kBlockBytes;
        const size_t n = size_t(std::min<uint64_t>(kBlockBytes, s.length - b * kBlockBytes));
        if (Uniform(p, n)) {
            s.codes[b] = kUniform;
            s.values[b] = p[0];
        } else if (b > 0 && n == kBlockBytes && std::memcmp(p, p - kBlockBytes, n) == 0) {
            s.codes[b] = kRepeat;
        } else if (s.base && (*s.baseRefs)[b].pack != 0 && std::memcmp(p, s.base + b * kBlockBytes, n) == 0) {
            s.refs[b] = (*s.baseRefs)[b];
        } else {
            s.refs[b] = StepFileStore::BlockRef{pack, packSize};
            if (!fresh.empty() && fresh.back().first + fresh.back().second == p) fresh.back().second += n;
            else fresh.emplace_back(p, n);
            packSize += n;
        }
    }
}

bool WriteSection(FileWriter& out, const Section& s) {
    if (!out.Write(s.codes.data(), s.codes.size()) || !out.Write(s.values.data(), s.values.size())) return false;
    std::vector<uint8_t> refs;
    refs.reserve(s.codes.size() * kRefBytes);
    for (size_t b = 0; b < s.codes.size(); ++b) {
        if (s.codes[b] != kRaw) continue;
        uint8_t ref[kRefBytes];
        PutU32(ref, s.refs[b].pack);
        PutU64(ref + 4, s.refs[b].offset);
        refs.insert(refs.end(), ref, ref + kRefBytes);
    }
    return out.Write(refs.data(), refs.size());
}

// Open pack files of one read, each checked for the bytes asked of it.
class PackReader {
public:
    explicit PackReader(const StepFileStore& store) : m_store(store) {}
    ~PackReader() {
        for (auto& [pack, fd] : m_open)
            if (fd >= 0) ::close(fd);
    }
    bool Read(uint32_t pack, uint64_t offset, uint8_t* to, size_t n) {
        auto it = m_open.find(pack);
        if (it == m_open.end())
            it = m_open.emplace(pack, ::open(m_store.PackPath(pack).c_str(), O_RDONLY | O_CLOEXEC)).first;
        if (it->second < 0) return false;
        while (n > 0) {
            const ssize_t got = ::pread(it->second, to, n, off_t(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            to += got;
            offset += uint64_t(got);
            n -= size_t(got);
        }
        return true;
    }
    std::vector<uint32_t> Packs() const {
        std::vector<uint32_t> packs;
        for (const auto& entry : m_open) packs.push_back(entry.first);
        return packs;
    }

private:
    const StepFileStore& m_store;
    std::map<uint32_t, int> m_open;
};

bool ReadSection(FileReader& in, PackReader& packs, uint64_t length, uint64_t stored, std::vector<uint8_t>& out) {
    const uint64_t blocks = (length + kBlockBytes - 1) / kBlockBytes;
    if (stored < 2 * blocks) return false;
    std::vector<uint8_t> codes(blocks), values(blocks);
    if (!in.Read(codes.data(), codes.size()) || !in.Read(values.data(), values.size())) return false;
    uint64_t stored2 = 2 * blocks;
    for (uint64_t b = 0; b < blocks; ++b) {
        const uint64_t n = std::min<uint64_t>(kBlockBytes, length - b * kBlockBytes);
        if (codes[b] == kRaw) stored2 += kRefBytes;
        else if (codes[b] == kRepeat && (b == 0 || n != kBlockBytes)) return false;
        else if (codes[b] > kRepeat) return false;
    }
    if (stored2 != stored) return false;
    std::vector<uint8_t> refBytes(size_t(stored - 2 * blocks));
    if (!in.Read(refBytes.data(), refBytes.size())) return false;
    out.resize(size_t(length));
    const uint8_t* ref = refBytes.data();
    uint64_t b = 0;
    while (b < blocks) {
        uint8_t* p = out.data() + b * kBlockBytes;
        const size_t n = size_t(std::min<uint64_t>(kBlockBytes, length - b * kBlockBytes));
        if (codes[b] == kUniform) {
            std::memset(p, values[b], n);
            ++b;
        } else if (codes[b] == kRepeat) {
            std::memcpy(p, p - kBlockBytes, n);
            ++b;
        } else {
            // A run of blocks stored one after another in one pack is one read.
            const uint32_t pack = GetU32(ref);
            const uint64_t offset = GetU64(ref + 4);
            if (pack == 0 || offset > (uint64_t(1) << 40)) return false;
            uint64_t end = b + 1, bytes = n;
            ref += kRefBytes;
            while (end < blocks && codes[end] == kRaw && GetU32(ref) == pack && GetU64(ref + 4) == offset + bytes) {
                bytes += std::min<uint64_t>(kBlockBytes, length - end * kBlockBytes);
                ref += kRefBytes;
                ++end;
            }
            if (!packs.Read(pack, offset, p, size_t(bytes))) return false;
            b = end;
        }
    }
    return true;
}

std::string Name(const char* format, int a, int b = 0, int c = 0) {
    char name[96];
    std::snprintf(name, sizeof name, format, a, b, c);
    return name;
}

bool ValidGeometry(const LayerRecord& r, int bitsPerPixel) {
    if (r.width <= 0 || r.height <= 0) return false;
    const int64_t plane = int64_t(r.width) * r.height;
    if (plane != r.planeSize || uint64_t(plane) > kMaxPixelBytes) return false;
    if (r.kind == LayerKind::Text) return r.stride == r.width && r.pixelSize == r.planeSize;
    return r.stride == PlaneStride(bitsPerPixel, r.width) && int64_t(r.pixelSize) == int64_t(r.height) * r.stride &&
           uint64_t(r.pixelSize) <= kMaxPixelBytes;
}

}  // namespace

std::string StepFileStore::StepPath(int step, int slot) const {
    return m_folder + "/" + Name("UD_%d_%d_%d.qvxtmp", m_documentNumber, step, slot);
}

std::string StepFileStore::InitialListPath() const {
    return m_folder + "/" + Name("WrIniLrList_Head_%d.qvxtmp", m_documentNumber);
}

std::string StepFileStore::SecondListPath() const {
    return m_folder + "/" + Name("RedIniLrList_Head_%d.qvxtmp", m_documentNumber);
}

std::string StepFileStore::PackPath(uint32_t pack) const {
    return m_folder + "/" + Name("UP_%d_%d.qvxtmp", m_documentNumber, int(pack));
}

void StepFileStore::Hold(const std::vector<uint32_t>& packs) {
    for (uint32_t pack : packs) ++m_packUsers[pack];
}

void StepFileStore::Release(const std::vector<uint32_t>& packs) {
    for (uint32_t pack : packs) {
        auto it = m_packUsers.find(pack);
        if (it == m_packUsers.end()) continue;
        if (--it->second <= 0) {
            ::unlink(PackPath(pack).c_str());
            m_packUsers.erase(it);
        }
    }
}

bool StepFileStore::WriteStep(int step, int slot, const LayerRecord& layer, const SelectionMask& selection,
                              std::string& error, const LayerRecord* base) {
    if (slot < 0 || slot >= kMaxLayers) {
        error = "no such slot";
        return false;
    }
    const std::string path = StepPath(step, slot);
    const bool text = layer.kind == LayerKind::Text;
    const uint64_t maskBytes = uint64_t(std::max(0, selection.width)) * uint64_t(std::max(0, selection.height));
    if ((!text && layer.pixels.size() < size_t(std::max(0, layer.pixelSize))) ||
        layer.alpha.size() < size_t(std::max(0, layer.planeSize)) ||
        layer.effect.size() < size_t(std::max(0, layer.planeSize)) || selection.mask.size() < maskBytes) {
        error = "layer planes do not match the layer's sizes";
        return false;
    }
    std::vector<uint8_t> textBytes;
    // Always textLength units (zero-padded), the size a reader expects.
    const size_t units = layer.textLength > 0 ? size_t(layer.textLength) : 0;
    textBytes.resize(units * 2);
    for (size_t i = 0; i < units && i < layer.text.size(); ++i) {
        textBytes[2 * i] = uint8_t(layer.text[i]);
        textBytes[2 * i + 1] = uint8_t(layer.text[i] >> 8);
    }

    Section sections[kSections];
    const uint8_t* data[kSections] = {text ? nullptr : layer.pixels.data(), layer.alpha.data(), layer.effect.data(),
                                      selection.mask.data(), textBytes.data()};
    const uint64_t lengths[kSections] = {text ? 0 : uint64_t(layer.pixelSize), uint64_t(layer.planeSize),
                                         uint64_t(layer.planeSize), maskBytes, textBytes.size()};
    SlotBase& last = m_base[slot];
    const std::vector<uint8_t>* basePlanes[3] = {};
    if (base) basePlanes[0] = &base->pixels, basePlanes[1] = &base->alpha, basePlanes[2] = &base->effect;
    for (int i = 0; i < kSections; ++i) {
        sections[i].data = data[i];
        sections[i].length = lengths[i];
        if (i < 3 && base && last.valid && last.lengths[i] == lengths[i] && basePlanes[i]->size() >= lengths[i] &&
            last.refs[i].size() == sections[i].Blocks()) {
            sections[i].base = basePlanes[i]->data();
            sections[i].baseRefs = &last.refs[i];
        }
    }
    const uint32_t pack = m_nextPack++;
    uint64_t packSize = 0;
    std::vector<std::pair<const uint8_t*, size_t>> fresh;
    uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, kMagic, 4);
    PutU32(header + 4, kStepFormat);
    PutU32(header + 8, kBlockBytes);
    PutU32(header + 12, kSections);
    for (int i = 0; i < kSections; ++i) {
        Encode(sections[i], pack, packSize, fresh);
        PutU64(header + 16 + 16 * i, sections[i].length);
        PutU64(header + 24 + 16 * i, sections[i].StoredLength());
    }

    bool ok = true;
    if (packSize > 0) {
        FileWriter out(PackPath(pack));
        ok = out.IsOpen();
        for (const auto& [from, bytes] : fresh) ok = ok && out.Write(from, bytes);
        ok = out.Close() && ok;
    }
    // Step files may be rewritten in place: the old one's packs go only after the new one is written.
    if (ok) {
        FileWriter out(path);
        ok = out.IsOpen() && out.Write(header, sizeof header);
        for (int i = 0; ok && i < kSections; ++i) ok = WriteSection(out, sections[i]);
        ok = out.Close() && ok;
    }
    const auto key = std::make_pair(step, slot);
    std::vector<uint32_t> previous;
    if (auto it = m_stepPacks.find(key); it != m_stepPacks.end()) {
        previous = std::move(it->second);
        m_stepPacks.erase(it);
    }
    if (!ok) {
        ::unlink(path.c_str());
        ::unlink(PackPath(pack).c_str());
        Release(previous);
        error = "cannot write " + path;
        return false;
    }
    std::vector<uint32_t> used;
    for (int i = 0; i < kSections; ++i)
        for (size_t b = 0; b < sections[i].codes.size(); ++b)
            if (sections[i].codes[b] == kRaw) used.push_back(sections[i].refs[b].pack);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    Hold(used);
    m_stepPacks[key] = used;
    Release(previous);

    // This file is the base of the slot's next one.
    SlotBase next;
    next.valid = true;
    for (int i = 0; i < 3; ++i) {
        next.lengths[i] = sections[i].length;
        next.refs[i] = std::move(sections[i].refs);
    }
    next.packs = used;
    Hold(next.packs);
    Release(last.packs);
    last = std::move(next);
    return true;
}

bool StepFileStore::ReadStep(int step, int slot, const StepSizes& expected, StepPlanes& out,
                             std::string& error) const {
    const std::string path = StepPath(step, slot);
    FileReader in(path);
    if (!in.IsOpen()) {
        error = "missing " + path;
        return false;
    }
    uint8_t header[kHeaderBytes];
    if (!in.Read(header, sizeof header) || std::memcmp(header, kMagic, 4) != 0 || GetU32(header + 4) != kStepFormat ||
        GetU32(header + 8) != kBlockBytes || GetU32(header + 12) != kSections) {
        error = "damaged " + path;
        return false;
    }
    const uint64_t wanted[kSections] = {expected.pixels, expected.plane, expected.plane, expected.mask,
                                        expected.textUnits * 2};
    uint64_t total = kHeaderBytes;
    for (int i = 0; i < kSections; ++i) {
        const uint64_t stored = GetU64(header + 24 + 16 * i);
        if (GetU64(header + 16 + 16 * i) != wanted[i] || stored > (uint64_t(1) << 40)) {
            error = "sizes do not match in " + path;
            return false;
        }
        total += stored;
    }
    if (in.Size() != int64_t(total)) {
        error = "short " + path;
        return false;
    }
    StepPlanes planes;
    std::vector<uint8_t> textBytes;
    std::vector<uint8_t>* targets[kSections] = {&planes.pixels, &planes.alpha, &planes.effect, &planes.mask,
                                                &textBytes};
    PackReader packs(*this);
    try {
        for (int i = 0; i < kSections; ++i)
            if (!ReadSection(in, packs, wanted[i], GetU64(header + 24 + 16 * i), *targets[i])) {
                error = "damaged or missing data of " + path;
                return false;
            }
    } catch (const std::bad_alloc&) {
        error = "out of memory reading " + path;
        return false;
    }
    planes.text.resize(textBytes.size() / 2);
    for (size_t i = 0; i < planes.text.size(); ++i)
        planes.text[i] = char16_t(textBytes[2 * i] | (textBytes[2 * i + 1] << 8));
    out = std::move(planes);
    return true;
}

bool StepFileStore::HasStep(int step, int slot) const { return ::access(StepPath(step, slot).c_str(), F_OK) == 0; }

void StepFileStore::RemoveStep(int step, int slot) {
    ::unlink(StepPath(step, slot).c_str());
    if (auto it = m_stepPacks.find({step, slot}); it != m_stepPacks.end()) {
        std::vector<uint32_t> packs = std::move(it->second);
        m_stepPacks.erase(it);
        Release(packs);
    }
}

void StepFileStore::RemoveStepAllSlots(int step) {
    for (int slot = 0; slot < kMaxLayers; ++slot) RemoveStep(step, slot);
}

void StepFileStore::RenameStep(int fromStep, int toStep, int slot) {
    RemoveStep(toStep, slot);
    const std::string from = StepPath(fromStep, slot);
    if (::access(from.c_str(), F_OK) != 0) {
        RemoveStep(fromStep, slot);
        return;
    }
    ::rename(from.c_str(), StepPath(toStep, slot).c_str());
    if (auto it = m_stepPacks.find({fromStep, slot}); it != m_stepPacks.end()) {
        m_stepPacks[{toStep, slot}] = std::move(it->second);
        m_stepPacks.erase({fromStep, slot});
    }
}

void StepFileStore::RemoveAll() {
    ::unlink(InitialListPath().c_str());
    ::unlink(SecondListPath().c_str());
    for (int step = 0; step < 20; ++step)
        for (int slot = 0; slot < kMaxLayers; ++slot) ::unlink(StepPath(step, slot).c_str());
    for (const auto& [pack, users] : m_packUsers) ::unlink(PackPath(pack).c_str());
    m_packUsers.clear();
    m_stepPacks.clear();
    for (SlotBase& base : m_base) base = SlotBase{};
}

uint64_t StepFileStore::DiskBytes() const {
    uint64_t bytes = 0;
    struct stat st {};
    for (const std::string& path : {InitialListPath(), SecondListPath()})
        if (::stat(path.c_str(), &st) == 0) bytes += uint64_t(st.st_size);
    for (const auto& [key, packs] : m_stepPacks)
        if (::stat(StepPath(key.first, key.second).c_str(), &st) == 0) bytes += uint64_t(st.st_size);
    for (const auto& [pack, users] : m_packUsers)
        if (::stat(PackPath(pack).c_str(), &st) == 0) bytes += uint64_t(st.st_size);
    return bytes;
}

bool StepFileStore::WriteList(const std::string& path, const DocumentHeader& header, const LayerRecord* layers,
                              int headLayer, std::string& error) const {
    FileWriter out(path);
    uint8_t stored[kDocumentHeaderFileBytes];
    StoreDocumentHeader(header, stored);
    bool ok = out.IsOpen() && out.Write(stored, sizeof stored);
    if (ok && header.colourCount != 0) {
        std::vector<uint8_t> palette(size_t(header.colourCount) * 4, 0);
        for (size_t i = 0; i < header.palette.size() && i < size_t(header.colourCount); ++i) {
            palette[4 * i] = header.palette[i].blue;
            palette[4 * i + 1] = header.palette[i].green;
            palette[4 * i + 2] = header.palette[i].red;
            palette[4 * i + 3] = header.palette[i].reserved;
        }
        ok = out.Write(palette.data(), palette.size());
    }
    int steps = 0;
    for (int slot = headLayer; ok && slot >= 0 && slot < kMaxLayers && steps < kMaxLayers;
         slot = layers[slot].next, ++steps) {
        const LayerRecord& r = layers[slot];
        const size_t pixels = size_t(std::max(0, r.pixelSize)), plane = size_t(std::max(0, r.planeSize));
        if (r.pixels.size() < pixels || r.alpha.size() < plane || r.effect.size() < plane) {
            ok = false;
            break;
        }
        char line[64];
        const int n = std::snprintf(line, sizeof line, "%ld %d %d %d", long(kLayerRecordFileBytes), r.pixelSize,
                                    r.planeSize, slot);
        uint8_t record[kLayerRecordFileBytes];
        StoreLayerRecord(r, record);
        ok = out.Write(line, size_t(n)) && out.Write(record, sizeof record) && out.Write(r.pixels.data(), pixels) &&
             out.Write(r.alpha.data(), plane) && out.Write(r.effect.data(), plane);
        if (ok && r.textLength > 0) {
            const size_t units = std::min<size_t>(size_t(r.textLength), r.text.size());
            std::vector<uint8_t> text(size_t(r.textLength) * 2, 0);
            for (size_t i = 0; i < units; ++i) {
                text[2 * i] = uint8_t(r.text[i]);
                text[2 * i + 1] = uint8_t(r.text[i] >> 8);
            }
            ok = out.Write(text.data(), text.size());
        }
    }
    ok = out.Close() && ok;
    if (!ok) {
        ::unlink(path.c_str());
        error = "cannot write " + path;
    }
    return ok;
}

namespace {

// A decimal number; a following single space is taken with it. The last number
// of a block's line is followed directly by the record, whose first byte (inUse
// = 1 for a listed layer) is never a digit.
bool ReadNumber(FileReader& in, long& value) {
    uint8_t c;
    bool negative = false;
    if (in.Peek(c) && c == '-') {
        negative = true;
        in.Read(&c, 1);
    }
    long v = 0;
    int digits = 0;
    while (in.Peek(c) && c >= '0' && c <= '9') {
        in.Read(&c, 1);
        v = v * 10 + (c - '0');
        if (++digits > 10) return false;
    }
    if (digits == 0) return false;
    if (in.Peek(c) && c == ' ') in.Read(&c, 1);
    value = negative ? -v : v;
    return true;
}

}  // namespace

bool StepFileStore::ReadList(const std::string& path, ListContents& out, std::string& error) {
    FileReader in(path);
    if (!in.IsOpen()) {
        error = "missing " + path;
        return false;
    }
    auto contents = std::make_unique<ListContents>();
    auto fail = [&](const char* what) {
        error = std::string(what) + " in " + path;
        return false;
    };
    uint8_t stored[kDocumentHeaderFileBytes];
    if (!in.Read(stored, sizeof stored)) return fail("short header");
    LoadDocumentHeader(stored, contents->header);
    const DocumentHeader& header = contents->header;
    if (header.colourCount < 0 || header.colourCount > 256 || header.bitsPerPixel <= 0 || header.bitsPerPixel > 32)
        return fail("bad header");
    if (header.colourCount > 0) {
        std::vector<uint8_t> palette(size_t(header.colourCount) * 4);
        if (!in.Read(palette.data(), palette.size())) return fail("short palette");
        contents->palette.resize(size_t(header.colourCount));
        for (size_t i = 0; i < contents->palette.size(); ++i)
            contents->palette[i] = RGBQUAD{palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], palette[4 * i + 3]};
    }
    bool used[kMaxLayers] = {};
    uint8_t peek;
    while (in.Peek(peek)) {
        long recordBytes = 0, pixelSize = 0, planeSize = 0, slot = 0;
        if (!ReadNumber(in, recordBytes) || !ReadNumber(in, pixelSize) || !ReadNumber(in, planeSize) ||
            !ReadNumber(in, slot))
            return fail("bad block line");
        if (recordBytes != kLayerRecordFileBytes || slot < 0 || slot >= kMaxLayers || used[slot] ||
            contents->order.size() >= size_t(kMaxLayers))
            return fail("bad block line");
        uint8_t record[kLayerRecordFileBytes];
        if (!in.Read(record, sizeof record)) return fail("short record");
        LayerRecord& r = contents->layers[slot];
        LoadLayerRecord(record, kLayerRecordFileBytes, r);
        if (r.pixelSize != pixelSize || r.planeSize != planeSize || !ValidGeometry(r, header.bitsPerPixel) ||
            r.textLength < 0 || r.textLength > kMaxTextLength)
            return fail("bad record");
        try {
            r.pixels.resize(size_t(r.pixelSize));
            r.alpha.resize(size_t(r.planeSize));
            r.effect.resize(size_t(r.planeSize));
            if (!in.Read(r.pixels.data(), r.pixels.size()) || !in.Read(r.alpha.data(), r.alpha.size()) ||
                !in.Read(r.effect.data(), r.effect.size()))
                return fail("short planes");
            if (r.textLength > 0) {
                std::vector<uint8_t> text(size_t(r.textLength) * 2);
                if (!in.Read(text.data(), text.size())) return fail("short text");
                r.text.resize(size_t(r.textLength));
                for (size_t i = 0; i < r.text.size(); ++i) r.text[i] = char16_t(text[2 * i] | (text[2 * i + 1] << 8));
            }
        } catch (const std::bad_alloc&) {
            return fail("out of memory");
        }
        used[slot] = true;
        contents->order.push_back(int(slot));
    }
    if (contents->order.empty()) return fail("no layer");
    // The blocks are the list in order; their links are rewritten from it.
    for (size_t k = 0; k < contents->order.size(); ++k) {
        LayerRecord& r = contents->layers[contents->order[k]];
        r.inUse = 1;
        r.prev = int16_t(k == 0 ? -1 : contents->order[k - 1]);
        r.next = int16_t(k + 1 == contents->order.size() ? -1 : contents->order[k + 1]);
    }
    contents->headLayer = contents->order.front();
    out.header = std::move(contents->header);
    out.palette = std::move(contents->palette);
    out.headLayer = contents->headLayer;
    out.order = std::move(contents->order);
    for (int i = 0; i < kMaxLayers; ++i) out.layers[i] = std::move(contents->layers[i]);
    return true;
}

}  // namespace quillory
