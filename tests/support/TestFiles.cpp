#include "support/TestFiles.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace quillory::test {

TempDir::TempDir() {
    std::random_device rd;
    m_path = std::filesystem::temp_directory_path() / ("quillory-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

namespace {

class PrivateHome {
public:
    PrivateHome() : m_path(m_dir.path().string()) { setenv("QUILLORY_HOME", m_path.c_str(), 1); }
    const std::string& path() const { return m_path; }

private:
    TempDir m_dir;
    std::string m_path;
};

}  // namespace

const std::string& UsePrivateHome() {
    static const PrivateHome home;
    return home.path();
}

std::filesystem::path CorpusDir() {
    if (const char* env = std::getenv("QUILLORY_CORPUS")) return env;
    return QUILLORY_CORPUS_DIR;
}

bool HaveCorpus() { return std::filesystem::exists(CorpusDir() / "MANIFEST.tsv"); }

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return out.good();
}

RgbaImage LoadPng(const std::string& path) {
    RgbaImage out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&image);
        return out;
    }
    out.width = int(image.width);
    out.height = int(image.height);
    out.rgba = std::move(buffer);
    return out;
}

bool SavePng(const std::string& path, const RgbaImage& img) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(img.width);
    image.height = png_uint_32(img.height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, img.rgba.data(), 0, nullptr) != 0;
}

RgbaImage ToRgba(const NyZazo& picture) {
    RgbaImage out;
    if (!picture.dib) return out;
    out.width = picture.Width();
    out.height = picture.Height();
    out.rgba.resize(size_t(out.width) * out.height * 4);
    for (int screenY = 0; screenY < out.height; ++screenY)
        for (int x = 0; x < out.width; ++x) {
            RGBQUAD c = picture.GetPixelColour(x, out.height - 1 - screenY);
            uint8_t* p = out.rgba.data() + (size_t(screenY) * out.width + x) * 4;
            p[0] = c.red, p[1] = c.green, p[2] = c.blue, p[3] = 255;
        }
    return out;
}

ImageDiff CompareRgb(const RgbaImage& a, const RgbaImage& b) {
    ImageDiff d;
    if (a.width != b.width || a.height != b.height) return d;
    d.sameSize = true;
    for (size_t i = 0; i < a.rgba.size(); i += 4) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])));
        if (worst) ++d.differing;
        d.maxDiff = std::max(d.maxDiff, worst);
    }
    return d;
}

}  // namespace quillory::test
