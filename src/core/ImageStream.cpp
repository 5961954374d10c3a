#include "core/ImageStream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace quillory {

namespace {
constexpr uint32_t kGrowthStep = 4096;
}

ImageStream::ImageStream(FILE* file) : m_file(file), m_kind(kFile), m_borrowed(true) {}

ImageStream::ImageStream(const void* data, uint32_t n)
    : m_memory(static_cast<uint8_t*>(const_cast<void*>(data))),
      m_kind(kMemory),
      m_size(n),
      m_capacity(n),
      m_borrowed(true) {}

ImageStream::ImageStream(Kind kind) : m_kind(kind) {}

ImageStream::~ImageStream() { Close(); }

bool ImageStream::OpenFile(const std::string& path, const char* mode) {
    Close();
    m_kind = kFile;
    m_borrowed = false;
    m_file = std::fopen(path.c_str(), mode);
    if (!m_file) NoteError(errno ? errno : ENOENT);
    return m_file != nullptr;
}

bool ImageStream::Reserve(uint64_t needed) {
    if (needed <= m_capacity) return true;
    uint64_t steps = (needed - m_capacity + kGrowthStep - 1) / kGrowthStep;
    uint64_t grown = uint64_t(m_capacity) + steps * kGrowthStep;
    if (grown > std::numeric_limits<uint32_t>::max()) return false;
    uint8_t* fresh;
    // A borrowed block belongs to the caller: growing moves the bytes into a buffer of our own.
    if (m_borrowed) {
        fresh = static_cast<uint8_t*>(std::malloc(size_t(grown)));
        if (fresh && m_memory && m_size) std::memcpy(fresh, m_memory, m_size);
    } else {
        fresh = static_cast<uint8_t*>(std::realloc(m_memory, size_t(grown)));
    }
    if (!fresh) return false;
    m_memory = fresh;
    m_capacity = uint32_t(grown);
    m_borrowed = false;
    return true;
}

size_t ImageStream::Read(void* buffer, size_t elementSize, size_t count) {
    if (!hasHandle() || !buffer || elementSize == 0 || count == 0) return 0;
    if (m_kind == kFile) return std::fread(buffer, elementSize, count, m_file);
    if (m_position > m_size) return 0;
    uint64_t wanted = uint64_t(elementSize) * count;
    uint64_t available = m_size - m_position;
    size_t n = size_t(wanted < available ? wanted : available);
    std::memcpy(buffer, m_memory + m_position, n);
    m_position += uint32_t(n);
    return n / elementSize;
}

size_t ImageStream::Write(const void* buffer, size_t elementSize, size_t count) {
    if (m_kind == kFile) {
        if (!m_file) return 0;
        if (!buffer || elementSize == 0 || count == 0) return 0;
        errno = 0;
        const size_t written = std::fwrite(buffer, elementSize, count, m_file);
        if (written != count) NoteError(errno ? errno : EIO);
        return written;
    }
    if (!buffer || elementSize == 0 || count == 0) return 0;
    uint64_t n = uint64_t(elementSize) * count;
    if (!Reserve(uint64_t(m_position) + n)) {
        m_failed = true;
        NoteError(ENOMEM);
        return 0;
    }
    std::memcpy(m_memory + m_position, buffer, size_t(n));
    m_position += uint32_t(n);
    if (m_position > m_size) m_size = m_position;
    return count;
}

int ImageStream::PutByte(int value) {
    if (m_kind == kFile) {
        if (!m_file) return -1;
        errno = 0;
        const int put = std::fputc(value, m_file);
        if (put == EOF) NoteError(errno ? errno : EIO);
        return put;
    }
    uint8_t b = uint8_t(value);
    return Write(&b, 1, 1) == 1 ? b : -1;
}

int ImageStream::Seek(long offset, int origin) {
    if (m_kind == kFile) {
        if (!m_file) return -1;
        // Seeking writes out what is buffered, so a full disk may show here first.
        errno = 0;
        const int moved = std::fseek(m_file, offset, origin);
        if (moved != 0 && std::ferror(m_file)) NoteError(errno ? errno : EIO);
        return moved;
    }
    if (!m_memory) return -1;
    int64_t base;
    switch (origin) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = m_position; break;
        case SEEK_END: base = m_size; break;
        default: return -1;
    }
    int64_t target = base + offset;
    if (target < 0 || target > std::numeric_limits<uint32_t>::max()) return -1;
    m_position = uint32_t(target);
    return 0;
}

long ImageStream::Tell() {
    if (m_kind == kFile) return m_file ? std::ftell(m_file) : -1;
    return m_memory ? long(m_position) : -1;
}

long ImageStream::Size() {
    if (m_kind == kFile) {
        if (!m_file) return -1;
        long here = std::ftell(m_file);
        if (here < 0 || std::fseek(m_file, 0, SEEK_END) != 0) return -1;
        long end = std::ftell(m_file);
        std::fseek(m_file, here, SEEK_SET);
        return end;
    }
    return m_memory ? long(m_size) : -1;
}

int ImageStream::Flush() {
    if (m_kind == kFile) {
        if (!m_file) return -1;
        errno = 0;
        const int flushed = std::fflush(m_file);
        if (flushed != 0) NoteError(errno ? errno : EIO);
        return flushed;
    }
    return m_memory ? 0 : -1;
}

bool ImageStream::AtEnd() {
    if (m_kind == kFile) return m_file ? std::feof(m_file) != 0 : true;
    return m_memory ? m_position >= m_size : true;
}

// A memory stream reports an error only when a write could not grow the buffer:
// reading up to the end is not a failure, and encoders check HasError after writing.
bool ImageStream::HasError() {
    if (m_kind == kFile) return m_file ? std::ferror(m_file) != 0 : true;
    return m_failed;
}

void ImageStream::Close() {
    if (m_kind == kFile) {
        if (m_file && !m_borrowed) std::fclose(m_file);
        m_file = nullptr;
    } else {
        if (m_memory && !m_borrowed) std::free(m_memory);
        m_memory = nullptr;
        m_position = m_size = m_capacity = 0;
    }
    m_failed = false;
    m_errno = 0;
}

void ImageStream::NoteError(int errorNumber) {
    if (m_errno == 0) m_errno = errorNumber;
}

}  // namespace quillory
