#pragma once
// libjpeg's source and destination managers over an ImageStream, and the error
// manager whose fatal-error routine jumps back to the adapter's recovery point.
//
// Everything here is trivially destructible on purpose: a libjpeg error leaves
// through std::longjmp, which must not skip a destructor.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <type_traits>

#include <jpeglib.h>

#include "core/ImageStream.h"
#include "core/NyZazo.h"

namespace quillory {

struct JpegErrorManager {
    jpeg_error_mgr pub;  // first, so the library's pointer is also ours
    std::jmp_buf recovery;
    NyZazo* target;
};

// Fills in the library's standard error manager, replaces its fatal-error routine
// (message into target.lastError, then a jump to manager.recovery) and silences
// warnings; returns the pointer for cinfo.err.
jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager, NyZazo& target);

class JpegStreamBridge {
public:
    static constexpr size_t kBufferBytes = 4096;

    // The bridge uses the stream until the library object is destroyed; the
    // stream's owner closes it.
    void Bind(ImageStream& stream) { m_stream = &stream; }
    void AttachSource(j_decompress_ptr cinfo);
    void AttachDestination(j_compress_ptr cinfo);
    // The file ended before the picture's data did.
    bool EndedEarly() const { return m_endedEarly; }

private:
    static void InitSource(j_decompress_ptr cinfo);
    static boolean FillInputBuffer(j_decompress_ptr cinfo);
    static void SkipInputData(j_decompress_ptr cinfo, long numBytes);
    static void TermSource(j_decompress_ptr cinfo);
    static void InitDestination(j_compress_ptr cinfo);
    static boolean EmptyOutputBuffer(j_compress_ptr cinfo);
    static void TermDestination(j_compress_ptr cinfo);

    jpeg_source_mgr m_source;
    jpeg_destination_mgr m_destination;
    ImageStream* m_stream;
    bool m_startOfFile;
    bool m_atEnd = false;  // the stream is read out: the buffer holds a made-up end-of-image marker
    bool m_endedEarly = false;
    JOCTET m_buffer[kBufferBytes];
};

static_assert(std::is_trivially_destructible_v<JpegStreamBridge>);
static_assert(std::is_trivially_destructible_v<JpegErrorManager>);

}  // namespace quillory
