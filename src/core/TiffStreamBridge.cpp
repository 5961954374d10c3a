#include "core/TiffStreamBridge.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

namespace quillory {

namespace {

ImageStream& StreamOf(thandle_t handle) { return *static_cast<ImageStream*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return tmsize_t(StreamOf(handle).Read(buffer, 1, size_t(size)));
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
    if (size <= 0) return 0;
    return tmsize_t(StreamOf(handle).Write(buffer, 1, size_t(size)));
}

toff_t SeekProc(thandle_t handle, toff_t offset, int origin) {
    ImageStream& s = StreamOf(handle);
    // Offsets come from the file; one past what a long holds cannot be reached.
    if (offset > toff_t(LONG_MAX) && origin == SEEK_SET) return toff_t(-1);
    // A fresh memory stream has no buffer before its first write, but its start exists.
    if (s.kind() == ImageStream::kMemory && !s.hasHandle()) return offset == 0 ? 0 : toff_t(-1);
    if (s.Seek(long(int64_t(offset)), origin) != 0) return toff_t(-1);
    if (origin == SEEK_SET) return offset;
    long here = s.Tell();
    return here < 0 ? toff_t(-1) : toff_t(here);
}

// The stream belongs to whoever opened it: Save still flushes it, and automatic
// detection seeks it for the next format after a failed TIFF attempt.
int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t handle) {
    long size = StreamOf(handle).Size();
    return size < 0 ? 0 : toff_t(size);
}

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int ErrorHandler(TIFF*, void* userData, const char* module, const char* format, va_list args) {
    char text[256];
    int used = 0;
    if (module && *module) used = std::snprintf(text, sizeof text, "%s: ", module);
    if (used < 0 || used >= int(sizeof text)) used = 0;
    std::vsnprintf(text + used, sizeof text - size_t(used), format, args);
    static_cast<NyZazo*>(userData)->SetLastError(text);
    return 1;  // handled: nothing reaches stderr
}

int WarningHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

}  // namespace

TiffHandle OpenTiffStream(ImageStream& stream, const char* mode, NyZazo& messages) {
    // A few messages are raised before a handle exists and go to the process-wide handlers.
    static const bool silenced = [] {
        TIFFSetWarningHandler(nullptr);
        TIFFSetErrorHandler(nullptr);
        return true;
    }();
    (void)silenced;
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return nullptr;
    // The library may ask for one block of at most the pixel block cap (strip offset
    // tables, decoder state); hostile directories fail instead of exhausting memory.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(PixelByteLimit()));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), ErrorHandler, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), WarningHandler, nullptr);
    return TiffHandle(TIFFClientOpenExt("TIFF IMAGE", mode, &stream, ReadProc, WriteProc, SeekProc, CloseProc,
                                        SizeProc, MapProc, UnmapProc, options.get()));
}

}  // namespace quillory
