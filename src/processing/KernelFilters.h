#pragma once
// The 3 × 3 kernels "강조", "윤곽선" and "엠보스": a weighted sum over the pixel's
// neighbours inside the layer, taken over red, green and blue together, so the
// result is grey.
#include <cstdint>
#include <vector>

#include "processing/FilterPlanes.h"

namespace quillory {

// Weights row by row, the row at y − 1 first.
struct Kernel3x3 {
    int weights[9] = {};
};

Kernel3x3 SharpenKernel();           // -1 -1 -1 / -1 12 -1 / -1 -1 -1
Kernel3x3 ContourKernel(int centre); // -1 around the centre
Kernel3x3 EmbossKernel(int depth);   // -k 0 0 / 0 0 0 / 0 0 k

// For each pixel with a non-zero alpha byte: S = the kernel's sum over R + G + B of
// the neighbours inside the layer (their alpha is not consulted), W = the sum of
// the weights used; v = S / 3, then v / W when W is not 0 (both truncating toward
// zero), clamped to 0..255 and written as grey. With a black border the first and
// last rows and columns become black instead. The selection is not consulted.
bool Convolve3x3(const LayerPlanesView& source, const LayerPlanes& destination, const Kernel3x3& kernel,
                 bool blackBorder, FilterProgress& progress);

// The same values into `grey` (width × height, in the planes' row order) instead of the layer;
// pixels that are not processed get 0.
bool Convolve3x3ToGrey(const LayerPlanesView& source, const Kernel3x3& kernel, bool blackBorder,
                       std::vector<uint8_t>& grey, FilterProgress& progress);

}  // namespace quillory
