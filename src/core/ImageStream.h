#pragma once
// The byte stream that every codec reads and writes: a standard-I/O file or a
// growable memory buffer, with the standard-I/O conventions (-1 is the error value).
#include <cstdint>
#include <cstdio>
#include <string>

namespace quillory {

class ImageStream {
public:
    enum Kind : int32_t { kFile = 0, kMemory = 1 };

    // Wraps an open file that the caller owns (borrowed).
    explicit ImageStream(FILE* file);
    // Wraps n bytes of memory that the caller owns (borrowed).
    ImageStream(const void* data, uint32_t n);
    // An empty stream of the given kind that owns what it opens or allocates.
    explicit ImageStream(Kind kind);
    ~ImageStream();

    ImageStream(const ImageStream&) = delete;
    ImageStream& operator=(const ImageStream&) = delete;

    // Opens a file for an owned file stream; false when it cannot be opened.
    bool OpenFile(const std::string& path, const char* mode);

    size_t Read(void* buffer, size_t elementSize, size_t count);
    size_t Write(const void* buffer, size_t elementSize, size_t count);
    int PutByte(int value);
    int Seek(long offset, int origin);
    long Tell();
    long Size();
    int Flush();
    bool AtEnd();
    bool HasError();
    void Close();
    // errno of the first failed write or flush (0 when none failed): why a save failed.
    int ErrorNumber() const { return m_errno; }

    Kind kind() const { return m_kind; }
    bool borrowed() const { return m_borrowed; }
    uint32_t position() const { return m_position; }
    uint32_t capacity() const { return m_capacity; }
    bool hasHandle() const { return m_kind == kFile ? m_file != nullptr : m_memory != nullptr; }
    // Memory kind: the buffer and its valid bytes.
    const uint8_t* data() const { return m_memory; }
    uint32_t size() const { return m_size; }

private:
    bool Reserve(uint64_t needed);
    void NoteError(int errorNumber);

    FILE* m_file = nullptr;
    uint8_t* m_memory = nullptr;
    Kind m_kind;
    uint32_t m_position = 0;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
    bool m_borrowed = false;
    bool m_failed = false;
    int m_errno = 0;
};

}  // namespace quillory
