#pragma once
// How much memory opening a picture into a document needs, judged from the
// picture's size before anything large is allocated, and the limit it must stay
// under: the smaller of 4 GiB and half the physical memory, unless the
// environment variable QUILLORY_DOCUMENT_MEMORY_MB names another limit in MiB.
#include <cstdint>
#include <string>

#include "core/PictureProbe.h"

namespace quillory {

inline constexpr uint64_t kDefaultDocumentMemoryCap = uint64_t(4) << 30;
inline constexpr const char* kDocumentMemoryVariable = "QUILLORY_DOCUMENT_MEMORY_MB";

// The limit in force (read from the environment at each call).
uint64_t DocumentMemoryLimit();

// Bytes at the peak of opening: the decode (the picture block and the codec's own
// buffers, up to one more block), then the document built from it: the layer's
// 24-bit pixel plane, its opacity and shadow planes, the selection mask and the
// committed copy of the layer, while the decoded block is still held.
uint64_t EstimateOpenBytes(const PictureDimensions& picture);

// Bytes a native document of this file size needs: its layers as stored plus their
// committed copies.
uint64_t EstimateNativeOpenBytes(uint64_t fileBytes);

// Empty when `bytes` fits the limit, else the message telling the user why the
// picture of that size (or, with a size of 0, the native document) cannot be opened.
std::string OpenBudgetProblem(int64_t width, int64_t height, uint64_t bytes);

}  // namespace quillory
