#include "document/StepFileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/AtomicFile.h"
#include "core/DibTypes.h"

namespace quillory {

namespace {

constexpr uint8_t kMagic[4] = {'Q', 'L', 'U', 'D'};
constexpr uint32_t kStepFormat = 4;
// Magic, format, block size, plane count, then whose file it is: the document's
// number, the record slot and the write number the store gave the step's file.
constexpr int kFileHeaderBytes = 32;
constexpr int kPlaneHeaderBytes = 16;
constexpr int kRefBytes = 16;  // pack (u32), offset (u64), crc32 (u32) of a stored block
constexpr int kTrailerBytes = 4;
// No plane of a layer comes near this; a larger claim is damage.
constexpr uint64_t kMaxPlaneBytes = uint64_t(1) << 34;

enum BlockCode : uint8_t { kRaw = 0, kUniform = 1, kRepeat = 2 };

void PutU64(uint8_t* p, uint64_t v) {
    PutLe32(p, uint32_t(v));
    PutLe32(p + 4, uint32_t(v >> 32));
}
uint64_t GetU64(const uint8_t* p) { return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32; }

uint32_t Crc(const uint8_t* p, size_t n) {
    uLong crc = crc32(0L, Z_NULL, 0);
    while (n > 0) {
        const uInt take = uInt(std::min<size_t>(n, 1u << 30));
        crc = crc32(crc, p, take);
        p += take;
        n -= take;
    }
    return uint32_t(crc);
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t written = ::write(fd, p, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        p += written;
        n -= size_t(written);
    }
    return true;
}

bool ReadAt(int fd, uint8_t* p, size_t n, uint64_t offset) {
    while (n > 0) {
        const ssize_t got = ::pread(fd, p, n, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        offset += uint64_t(got);
        n -= size_t(got);
    }
    return true;
}

bool Uniform(const uint8_t* p, size_t n) { return n == 0 || std::memcmp(p, p + 1, n - 1) == 0; }

std::string Name(const char* format, int a, int b = 0, int c = 0) {
    char name[96];
    std::snprintf(name, sizeof name, format, a, b, c);
    return name;
}

// One plane of a step file being written: a code and a value per block, and where
// each block's data is stored.
struct Encoded {
    uint64_t length = 0;
    std::vector<uint8_t> codes;
    std::vector<uint8_t> values;
    std::vector<StepFileStore::BlockRef> refs;

    uint64_t StoredBytes() const {
        uint64_t stored = 2 * codes.size();
        for (uint8_t code : codes) stored += code == kRaw ? kRefBytes : 0;
        return stored;
    }
};

// Open pack files of one read.
class PackReader {
public:
    explicit PackReader(const StepFileStore& store) : m_store(store) {}
    ~PackReader() {
        for (auto& [pack, fd] : m_open)
            if (fd >= 0) ::close(fd);
    }
    PackReader(const PackReader&) = delete;
    PackReader& operator=(const PackReader&) = delete;
    bool Read(uint32_t pack, uint64_t offset, uint8_t* to, size_t n) {
        auto it = m_open.find(pack);
        if (it == m_open.end())
            it = m_open.emplace(pack, ::open(m_store.PackPath(pack).c_str(), O_RDONLY | O_CLOEXEC)).first;
        return it->second >= 0 && ReadAt(it->second, to, n, offset);
    }

private:
    const StepFileStore& m_store;
    std::map<uint32_t, int> m_open;
};

using BlockRef = StepFileStore::BlockRef;

size_t BlockLength(uint64_t length, uint64_t block) {
    return size_t(std::min<uint64_t>(kStepBlockBytes, length - block * kStepBlockBytes));
}

// Checks one plane's block list (`stored` bytes at `in`) and turns it into one
// reference per block.
bool ParsePlane(const uint8_t* in, uint64_t stored, uint64_t length, std::vector<BlockRef>& refs, std::string& why) {
    const uint64_t blocks = BlocksOf(length);
    if (stored < 2 * blocks) return why = "block list too short", false;
    const uint8_t* codes = in;
    const uint8_t* values = in + blocks;
    uint64_t expected = 2 * blocks;
    for (uint64_t b = 0; b < blocks; ++b) {
        if (codes[b] == kRaw) expected += kRefBytes;
        else if (codes[b] == kRepeat && (b == 0 || BlockLength(length, b) != kStepBlockBytes))
            return why = "bad block code", false;
        else if (codes[b] > kRepeat) return why = "bad block code", false;
    }
    if (expected != stored) return why = "block list does not match its size", false;
    refs.assign(size_t(blocks), BlockRef{});
    const uint8_t* ref = in + 2 * blocks;
    for (uint64_t b = 0; b < blocks; ++b) {
        BlockRef& r = refs[size_t(b)];
        r.code = codes[b];
        r.value = codes[b] == kUniform ? values[b] : 0;
        if (codes[b] != kRaw) continue;
        r.pack = Le32(ref);
        r.offset = GetU64(ref + 4);
        r.crc = Le32(ref + 12);
        if (r.pack == 0) return why = "stored block without data", false;
        ref += kRefBytes;
    }
    return true;
}

// The length of the run of stored blocks from `b` that lie one after another in one pack.
uint64_t RunEnd(const std::vector<BlockRef>& refs, uint64_t length, uint64_t b, const std::vector<bool>* take) {
    uint64_t end = b + 1;
    uint64_t next = refs[size_t(b)].offset + BlockLength(length, b);
    while (end < refs.size() && refs[size_t(end)].code == kRaw && refs[size_t(end)].pack == refs[size_t(b)].pack &&
           refs[size_t(end)].offset == next && (!take || (*take)[size_t(end)])) {
        next += BlockLength(length, end);
        ++end;
    }
    return end;
}

// Reads the stored blocks b..end into `to` and checks each one's crc32.
bool ReadRun(PackReader& packs, const std::vector<BlockRef>& refs, uint64_t length, uint64_t b, uint64_t end,
             uint8_t* to, std::string& why) {
    uint64_t bytes = 0;
    for (uint64_t k = b; k < end; ++k) bytes += BlockLength(length, k);
    if (!packs.Read(refs[size_t(b)].pack, refs[size_t(b)].offset, to, size_t(bytes)))
        return why = "stored blocks missing", false;
    for (uint64_t k = b; k < end; ++k) {
        const size_t n = BlockLength(length, k);
        if (Crc(to, n) != refs[size_t(k)].crc) return why = "stored block damaged", false;
        to += n;
    }
    return true;
}

// The whole plane.
bool DecodePlane(const std::vector<BlockRef>& refs, uint64_t length, PackReader& packs, std::vector<uint8_t>& out,
                 std::string& why) {
    out.resize(size_t(length));
    uint64_t b = 0;
    while (b < refs.size()) {
        uint8_t* p = out.data() + b * kStepBlockBytes;
        const BlockRef& r = refs[size_t(b)];
        if (r.code == kUniform) {
            std::memset(p, r.value, BlockLength(length, b));
            ++b;
        } else if (r.code == kRepeat) {
            std::memcpy(p, p - kStepBlockBytes, kStepBlockBytes);
            ++b;
        } else {
            const uint64_t end = RunEnd(refs, length, b, nullptr);
            if (!ReadRun(packs, refs, length, b, end, p, why)) return false;
            b = end;
        }
    }
    return true;
}

// The blocks of the plane that differ from `current`, which `known` describes.
bool PatchPlane(const std::vector<BlockRef>& refs, const std::vector<BlockRef>& known, uint64_t length,
                const uint8_t* current, PackReader& packs, StepFileStore::PlanePatch& patch, std::string& why) {
    const uint64_t blocks = refs.size();
    std::vector<bool> differs(size_t(blocks), false);
    uint64_t bytes = 0;
    for (uint64_t b = 0; b < blocks; ++b) {
        const BlockRef& r = refs[size_t(b)];
        const BlockRef& k = known[size_t(b)];
        bool same = r.code == k.code;
        if (same && r.code == kRaw) same = r.pack == k.pack && r.offset == k.offset;
        else if (same && r.code == kUniform) same = r.value == k.value;
        else if (same && r.code == kRepeat) same = !differs[size_t(b - 1)];
        if (same) continue;
        differs[size_t(b)] = true;
        bytes += BlockLength(length, b);
    }
    patch.blocks.clear();
    patch.bytes.resize(size_t(bytes));
    uint8_t* to = patch.bytes.data();
    uint64_t b = 0;
    while (b < blocks) {
        if (!differs[size_t(b)]) {
            ++b;
            continue;
        }
        const BlockRef& r = refs[size_t(b)];
        const size_t n = BlockLength(length, b);
        uint64_t end = b + 1;
        if (r.code == kUniform) {
            std::memset(to, r.value, n);
        } else if (r.code == kRepeat) {
            // The block before as it will be: patched just now, or as it is.
            const uint8_t* before = differs[size_t(b - 1)] ? to - kStepBlockBytes : current + (b - 1) * kStepBlockBytes;
            std::memcpy(to, before, n);
        } else {
            end = RunEnd(refs, length, b, &differs);
            if (!ReadRun(packs, refs, length, b, end, to, why)) return false;
        }
        for (uint64_t k = b; k < end; ++k) {
            patch.blocks.push_back(k);
            to += BlockLength(length, k);
        }
        b = end;
    }
    return true;
}

}  // namespace

uint32_t StepFileStore::WriteNumberOf(int step, int slot) const {
    const auto it = m_files.find({step, slot});
    return it == m_files.end() ? 0 : it->second.writeNumber;
}

std::string StepFileStore::StepPath(int step, int slot) const {
    return m_folder + "/" + Name("UD_%d_%d_%d.qvxtmp", m_documentNumber, step, slot);
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

std::vector<uint32_t> StepFileStore::PacksOf(const FileBlocks& blocks) {
    std::vector<uint32_t> packs;
    for (int i = 0; i < blocks.planes; ++i)
        for (const BlockRef& ref : blocks.refs[i])
            if (ref.pack != 0) packs.push_back(ref.pack);
    std::sort(packs.begin(), packs.end());
    packs.erase(std::unique(packs.begin(), packs.end()), packs.end());
    return packs;
}

void StepFileStore::SetBase(int slot, const FileBlocks& blocks) {
    SlotBase next;
    next.valid = true;
    next.blocks = blocks;
    next.packs = PacksOf(blocks);
    Hold(next.packs);
    Release(m_base[slot].packs);
    m_base[slot] = std::move(next);
}

void StepFileStore::AdoptBase(int slot, const FileBlocks& blocks) {
    if (slot >= 0 && slot < kRecordSlots) SetBase(slot, blocks);
}

bool StepFileStore::WriteStep(int step, int slot, const PlaneSource* planes, int count, std::string& error) {
    if (slot < 0 || slot >= kRecordSlots || count < 0 || count > kMaxPlanes) {
        error = "no such record slot";
        return false;
    }
    const std::string path = StepPath(step, slot);
    // A file of this name belongs to a discarded step; it goes before the new one is written.
    RemoveStep(step, slot);

    const SlotBase& base = m_base[slot];
    const uint32_t pack = m_nextPack++;
    const uint32_t writeNumber = m_nextWrite++;
    uint64_t packSize = 0;
    std::vector<std::pair<const uint8_t*, size_t>> fresh;  // pack data, in order
    std::vector<Encoded> encoded(static_cast<size_t>(count));
    FileBlocks written;
    written.planes = count;
    try {
        for (int i = 0; i < count; ++i) {
            const PlaneSource& source = planes[i];
            Encoded& e = encoded[size_t(i)];
            e.length = source.length;
            const uint64_t blocks = BlocksOf(source.length);
            e.codes.assign(size_t(blocks), kRaw);
            e.values.assign(size_t(blocks), 0);
            e.refs.assign(size_t(blocks), BlockRef{});
            const bool reuse = base.valid && i < base.blocks.planes && base.blocks.lengths[i] == source.length &&
                               source.changed && source.changed->size() == blocks;
            for (uint64_t b = 0; b < blocks; ++b) {
                const size_t n = size_t(std::min<uint64_t>(kStepBlockBytes, source.length - b * kStepBlockBytes));
                if (!source.data) {
                    e.codes[b] = kUniform;
                    e.values[b] = source.value;
                    e.refs[b] = BlockRef{kUniform, source.value, 0, 0, 0};
                    continue;
                }
                const uint8_t* p = source.data + b * kStepBlockBytes;
                if (reuse && !(*source.changed)[b] && base.blocks.refs[i][b].code == kRaw) {
                    e.refs[b] = base.blocks.refs[i][b];
                } else if (Uniform(p, n)) {
                    e.codes[b] = kUniform;
                    e.values[b] = p[0];
                    e.refs[b] = BlockRef{kUniform, p[0], 0, 0, 0};
                } else if (b > 0 && n == kStepBlockBytes && std::memcmp(p, p - kStepBlockBytes, n) == 0) {
                    e.codes[b] = kRepeat;
                    e.refs[b] = BlockRef{kRepeat, 0, 0, 0, 0};
                } else {
                    e.refs[b] = BlockRef{kRaw, 0, pack, packSize, Crc(p, n)};
                    if (!fresh.empty() && fresh.back().first + fresh.back().second == p) fresh.back().second += n;
                    else fresh.emplace_back(p, n);
                    packSize += n;
                }
            }
            written.lengths[i] = e.length;
            written.refs[i] = e.refs;
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory writing " + path;
        return false;
    }

    // The step file: header, plane sizes, block lists, its own crc32.
    std::vector<uint8_t> file(kFileHeaderBytes + size_t(count) * kPlaneHeaderBytes, 0);
    std::memcpy(file.data(), kMagic, 4);
    PutLe32(file.data() + 4, kStepFormat);
    PutLe32(file.data() + 8, kStepBlockBytes);
    PutLe32(file.data() + 12, uint32_t(count));
    PutLe32(file.data() + 16, uint32_t(m_documentNumber));
    PutLe32(file.data() + 20, uint32_t(slot));
    PutLe32(file.data() + 24, writeNumber);
    for (int i = 0; i < count; ++i) {
        uint8_t* h = file.data() + kFileHeaderBytes + i * kPlaneHeaderBytes;
        PutU64(h, encoded[size_t(i)].length);
        PutU64(h + 8, encoded[size_t(i)].StoredBytes());
    }
    for (const Encoded& e : encoded) {
        file.insert(file.end(), e.codes.begin(), e.codes.end());
        file.insert(file.end(), e.values.begin(), e.values.end());
        for (size_t b = 0; b < e.codes.size(); ++b) {
            if (e.codes[b] != kRaw) continue;
            uint8_t ref[kRefBytes];
            PutLe32(ref, e.refs[b].pack);
            PutU64(ref + 4, e.refs[b].offset);
            PutLe32(ref + 12, e.refs[b].crc);
            file.insert(file.end(), ref, ref + kRefBytes);
        }
    }
    uint8_t trailer[kTrailerBytes];
    PutLe32(trailer, Crc(file.data(), file.size()));
    file.insert(file.end(), trailer, trailer + kTrailerBytes);

    auto writeFile = [](const std::string& name, const std::vector<std::pair<const uint8_t*, size_t>>& pieces) {
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return errno;
        bool ok = true;
        for (const auto& [from, bytes] : pieces) ok = ok && WriteAll(fd, from, bytes);
        const int failure = ok ? 0 : errno;
        if (::close(fd) != 0 && ok) return errno;
        return failure;
    };
    int failure = 0;
    std::string failedPath;
    if (packSize > 0 && (failure = writeFile(PackPath(pack), fresh)) != 0) failedPath = PackPath(pack);
    if (failure == 0 && (failure = writeFile(path, {{file.data(), file.size()}})) != 0) failedPath = path;
    if (failure != 0) {
        ::unlink(path.c_str());
        ::unlink(PackPath(pack).c_str());
        error = WriteFailureDetail(failedPath, failure);
        return false;
    }
    std::vector<uint32_t> used = PacksOf(written);
    Hold(used);
    m_files[{step, slot}] = StepFile{writeNumber, std::move(used)};
    // This file is the base of the slot's next one.
    SetBase(slot, written);
    return true;
}

bool StepFileStore::HasBaseOf(int slot, const uint64_t* lengths, int count) const {
    if (slot < 0 || slot >= kRecordSlots || !m_base[slot].valid || m_base[slot].blocks.planes != count) return false;
    for (int i = 0; i < count; ++i)
        if (m_base[slot].blocks.lengths[i] != lengths[i]) return false;
    return true;
}

bool StepFileStore::ReadStep(int step, int slot, const uint64_t* expected, int count, std::vector<uint8_t>* out,
                             std::string& error, FileBlocks* blocks, const uint8_t* const* current,
                             PlanePatch* patches) const {
    const std::string path = StepPath(step, slot);
    auto fail = [&](const std::string& why) {
        error = path + ": " + why;
        return false;
    };
    if (count < 0 || count > kMaxPlanes || slot < 0 || slot >= kRecordSlots) return fail("no such record");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("missing");
    struct stat st {};
    const bool sized = fstat(fd, &st) == 0;
    std::vector<uint8_t> file;
    try {
        if (sized && st.st_size > 0 && uint64_t(st.st_size) <= kMaxPlaneBytes) file.resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return fail("out of memory");
    }
    const bool read = sized && !file.empty() && ReadAt(fd, file.data(), file.size(), 0);
    ::close(fd);
    if (!read) return fail("short or unreadable");
    const size_t headerBytes = kFileHeaderBytes + size_t(count) * kPlaneHeaderBytes;
    if (file.size() < headerBytes + kTrailerBytes) return fail("short");
    if (std::memcmp(file.data(), kMagic, 4) != 0 || Le32(file.data() + 4) != kStepFormat ||
        Le32(file.data() + 8) != kStepBlockBytes || Le32(file.data() + 12) != uint32_t(count))
        return fail("not a step file of this kind");
    const size_t body = file.size() - kTrailerBytes;
    if (Crc(file.data(), body) != Le32(file.data() + body)) return fail("damaged (checksum)");
    // A sound file under another step's name would give a wrong document.
    if (Le32(file.data() + 16) != uint32_t(m_documentNumber)) return fail("a file of another document");
    if (Le32(file.data() + 20) != uint32_t(slot)) return fail("a file of another layer slot");
    const uint32_t writeNumber = WriteNumberOf(step, slot);
    if (writeNumber == 0 || Le32(file.data() + 24) != writeNumber) return fail("a file of another step");
    uint64_t total = headerBytes;
    for (int i = 0; i < count; ++i) {
        const uint8_t* h = file.data() + kFileHeaderBytes + i * kPlaneHeaderBytes;
        const uint64_t stored = GetU64(h + 8);
        if (GetU64(h) != expected[i] || stored > kMaxPlaneBytes) return fail("sizes do not match the layer");
        total += stored;
    }
    if (total != body) return fail("short");
    const SlotBase& base = m_base[slot];
    std::vector<uint8_t> planes[kMaxPlanes];
    PlanePatch changes[kMaxPlanes];
    FileBlocks found;
    found.planes = count;
    PackReader packs(*this);
    try {
        const uint8_t* at = file.data() + headerBytes;
        for (int i = 0; i < count; ++i) {
            const uint64_t stored = GetU64(file.data() + kFileHeaderBytes + i * kPlaneHeaderBytes + 8);
            std::string why;
            if (!ParsePlane(at, stored, expected[i], found.refs[i], why)) return fail(why);
            found.lengths[i] = expected[i];
            at += stored;
            const bool patch = current && current[i] && patches && base.valid && i < base.blocks.planes &&
                               base.blocks.lengths[i] == expected[i];
            if (patch ? !PatchPlane(found.refs[i], base.blocks.refs[i], expected[i], current[i], packs, changes[i], why)
                      : !DecodePlane(found.refs[i], expected[i], packs, planes[i], why))
                return fail(why);
        }
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    for (int i = 0; i < count; ++i) {
        out[i] = std::move(planes[i]);
        if (patches) patches[i] = std::move(changes[i]);
    }
    if (blocks) *blocks = std::move(found);
    return true;
}

bool StepFileStore::HasStep(int step, int slot) const { return ::access(StepPath(step, slot).c_str(), F_OK) == 0; }

void StepFileStore::RemoveStep(int step, int slot) {
    ::unlink(StepPath(step, slot).c_str());
    if (auto it = m_files.find({step, slot}); it != m_files.end()) {
        std::vector<uint32_t> packs = std::move(it->second.packs);
        m_files.erase(it);
        Release(packs);
    }
}

void StepFileStore::RenameStep(int fromStep, int toStep, int slot) {
    RemoveStep(toStep, slot);
    const std::string from = StepPath(fromStep, slot);
    if (::access(from.c_str(), F_OK) != 0) {
        RemoveStep(fromStep, slot);
        return;
    }
    ::rename(from.c_str(), StepPath(toStep, slot).c_str());
    // The file keeps its write number under its new name.
    if (auto it = m_files.find({fromStep, slot}); it != m_files.end()) {
        StepFile file = std::move(it->second);
        m_files.erase(it);
        m_files[{toStep, slot}] = std::move(file);
    }
}

void StepFileStore::RemoveAll() {
    for (const auto& [key, file] : m_files) ::unlink(StepPath(key.first, key.second).c_str());
    for (const auto& [pack, users] : m_packUsers) ::unlink(PackPath(pack).c_str());
    m_packUsers.clear();
    m_files.clear();
    for (SlotBase& base : m_base) base = SlotBase{};
}

uint64_t StepFileStore::DiskBytes() const {
    uint64_t bytes = 0;
    struct stat st {};
    for (const auto& [key, file] : m_files)
        if (::stat(StepPath(key.first, key.second).c_str(), &st) == 0) bytes += uint64_t(st.st_size);
    for (const auto& [pack, users] : m_packUsers)
        if (::stat(PackPath(pack).c_str(), &st) == 0) bytes += uint64_t(st.st_size);
    return bytes;
}

}  // namespace quillory
