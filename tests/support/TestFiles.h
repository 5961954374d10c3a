#pragma once
// Files for tests: a private temporary folder, the shared corpus and its reference PNGs.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/NyZazo.h"

namespace quillory::test {

// A fresh folder below the system temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Points QUILLORY_HOME at a data directory of this test program's own, made on first use and
// removed at its end, so that runs side by side (the normal and the sanitizer build) never share
// settings or history files. Returns the folder.
const std::string& UsePrivateHome();

std::filesystem::path CorpusDir();
bool HaveCorpus();

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top-down, 4 bytes a pixel
    bool Valid() const { return width > 0 && height > 0; }
};

RgbaImage LoadPng(const std::string& path);
bool SavePng(const std::string& path, const RgbaImage& image);

// The picture as shown (rows top-down), alpha 255.
RgbaImage ToRgba(const NyZazo& picture);

struct ImageDiff {
    bool sameSize = false;
    int maxDiff = 0;
    long long differing = 0;
};
ImageDiff CompareRgb(const RgbaImage& a, const RgbaImage& b);

}  // namespace quillory::test
