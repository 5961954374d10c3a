#pragma once
// The 4000 × 3000 photograph the peer benchmarks generate (photo_L.bmp in the
// folder named by QUILLORY_PEER_DIR, /tmp/perf by default), so that Quillory and
// the peers work on the same pixels. Falls back to the shared synthetic picture.
#include <cstdlib>
#include <string>

#include "BenchPicture.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory::bench {

inline std::string PeerDir() {
    const char* dir = std::getenv("QUILLORY_PEER_DIR");
    return dir && *dir ? dir : "/tmp/perf";
}

inline std::string PeerPhotoPath() { return PeerDir() + "/photo_L.bmp"; }

inline NyZazo& PeerPhoto() {
    static NyZazo picture;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        if (!picture.Load(PeerPhotoPath(), kFormatBmp)) picture.Copy(BigPicture(), true);
    }
    return picture;
}

}  // namespace quillory::bench
