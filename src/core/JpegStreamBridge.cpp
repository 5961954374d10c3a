#include "core/JpegStreamBridge.h"

#include <jerror.h>

namespace quillory {

namespace {

JpegStreamBridge& BridgeOf(j_common_ptr cinfo) { return *static_cast<JpegStreamBridge*>(cinfo->client_data); }

void ErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    manager->target->SetLastError(text);
    std::longjmp(manager->recovery, 1);
}

// Warnings (corrupt data, premature end) never reach stderr; decoding goes on.
void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager, NyZazo& target) {
    jpeg_error_mgr* err = jpeg_std_error(&manager.pub);
    err->error_exit = ErrorExit;
    err->output_message = OutputMessage;
    manager.target = &target;
    return err;
}

void JpegStreamBridge::AttachSource(j_decompress_ptr cinfo) {
    cinfo->client_data = this;
    m_endedEarly = false;
    m_source.init_source = InitSource;
    m_source.fill_input_buffer = FillInputBuffer;
    m_source.skip_input_data = SkipInputData;
    m_source.resync_to_restart = jpeg_resync_to_restart;
    m_source.term_source = TermSource;
    m_source.next_input_byte = nullptr;
    m_source.bytes_in_buffer = 0;
    cinfo->src = &m_source;
}

void JpegStreamBridge::InitSource(j_decompress_ptr cinfo) {
    JpegStreamBridge& b = BridgeOf(reinterpret_cast<j_common_ptr>(cinfo));
    b.m_startOfFile = true;
    b.m_atEnd = false;
    b.m_endedEarly = false;
}

boolean JpegStreamBridge::FillInputBuffer(j_decompress_ptr cinfo) {
    JpegStreamBridge& b = BridgeOf(reinterpret_cast<j_common_ptr>(cinfo));
    size_t n = b.m_stream->Read(b.m_buffer, 1, kBufferBytes);
    if (n == 0) {
        if (b.m_startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A truncated file ends with a made-up end-of-image marker; the rest stays grey.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        b.m_endedEarly = true;
        b.m_buffer[0] = JOCTET(0xFF);
        b.m_buffer[1] = JOCTET(JPEG_EOI);
        n = 2;
        b.m_atEnd = true;
    }
    b.m_source.next_input_byte = b.m_buffer;
    b.m_source.bytes_in_buffer = n;
    b.m_startOfFile = false;
    return TRUE;
}

void JpegStreamBridge::SkipInputData(j_decompress_ptr cinfo, long numBytes) {
    if (numBytes <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    while (size_t(numBytes) > src->bytes_in_buffer) {
        numBytes -= long(src->bytes_in_buffer);
        (void)FillInputBuffer(cinfo);
        // Past the end a skip would take two made-up bytes a call, 32767 calls for a
        // segment that claims 64 KiB: the end-of-image marker stays for the reader.
        if (BridgeOf(reinterpret_cast<j_common_ptr>(cinfo)).m_atEnd) return;
    }
    src->next_input_byte += size_t(numBytes);
    src->bytes_in_buffer -= size_t(numBytes);
}

void JpegStreamBridge::TermSource(j_decompress_ptr) {}

void JpegStreamBridge::AttachDestination(j_compress_ptr cinfo) {
    cinfo->client_data = this;
    m_destination.init_destination = InitDestination;
    m_destination.empty_output_buffer = EmptyOutputBuffer;
    m_destination.term_destination = TermDestination;
    cinfo->dest = &m_destination;
}

void JpegStreamBridge::InitDestination(j_compress_ptr cinfo) {
    JpegStreamBridge& b = BridgeOf(reinterpret_cast<j_common_ptr>(cinfo));
    b.m_destination.next_output_byte = b.m_buffer;
    b.m_destination.free_in_buffer = kBufferBytes;
}

boolean JpegStreamBridge::EmptyOutputBuffer(j_compress_ptr cinfo) {
    JpegStreamBridge& b = BridgeOf(reinterpret_cast<j_common_ptr>(cinfo));
    if (b.m_stream->Write(b.m_buffer, 1, kBufferBytes) != kBufferBytes || b.m_stream->HasError())
        ERREXIT(cinfo, JERR_FILE_WRITE);
    b.m_destination.next_output_byte = b.m_buffer;
    b.m_destination.free_in_buffer = kBufferBytes;
    return TRUE;
}

void JpegStreamBridge::TermDestination(j_compress_ptr cinfo) {
    JpegStreamBridge& b = BridgeOf(reinterpret_cast<j_common_ptr>(cinfo));
    const size_t used = kBufferBytes - b.m_destination.free_in_buffer;
    if (used > 0 && b.m_stream->Write(b.m_buffer, 1, used) != used) ERREXIT(cinfo, JERR_FILE_WRITE);
    b.m_stream->Flush();
    if (b.m_stream->HasError()) ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace quillory
