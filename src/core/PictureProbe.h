#pragma once
// What a picture file's header says about the picture a decode would build,
// read without decoding: enough to judge the memory an open will need before
// anything large is allocated.
#include <cstdint>
#include <string>

namespace quillory {

class ImageStream;

struct PictureDimensions {
    int64_t width = 0;
    int64_t height = 0;
    int bitsPerPixel = 0;  // depth of the decoded picture (1, 4, 8, 24 or 32)
};

// False when the header cannot be read or names no positive size; the decoder
// then judges the file itself. Only the header is read (and, for GIF and JPEG,
// the blocks before the first frame).
bool ProbePicture(ImageStream& stream, int formatCode, PictureDimensions& out);
bool ProbePictureFile(const std::string& path, int formatCode, PictureDimensions& out);

}  // namespace quillory
