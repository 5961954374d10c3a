// The JPEG adapter hands the picture's own rows to libjpeg in blue-green-red order.
// These tests hold it to the plain way: red-green-blue lines through a work buffer,
// swapped by hand, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

using Bytes = std::vector<uint8_t>;

// Plain decode: RGB lines from the library, swapped into bottom-up BGR rows.
struct PlainPicture {
    int width = 0, height = 0, components = 0;
    std::vector<Bytes> storedRows;
};

PlainPicture PlainDecode(const Bytes& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    err.output_message = [](j_common_ptr) {};  // damaged files warn; both ways read them alike
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    PlainPicture out;
    out.width = int(cinfo.output_width);
    out.height = int(cinfo.output_height);
    out.components = cinfo.output_components;
    out.storedRows.assign(size_t(out.height), {});
    Bytes line(size_t(out.width) * size_t(out.components));
    while (cinfo.output_scanline < cinfo.output_height) {
        const int screenY = int(cinfo.output_scanline);
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&cinfo, &row, 1);
        Bytes stored = line;
        if (out.components == 3)
            for (size_t x = 0; x + 2 < stored.size(); x += 3) std::swap(stored[x], stored[x + 2]);
        out.storedRows[size_t(out.height - 1 - screenY)] = stored;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

// Plain encode: each stored row from the top, copied into an RGB work line.
Bytes PlainEncode(const NyZazo& p) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(p.Width());
    cinfo.image_height = JDIMENSION(p.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes line(size_t(p.Width()) * 3);
    const int step = p.BitCount() / 8;
    for (int storedY = p.Height() - 1; storedY >= 0; --storedY) {
        const uint8_t* row = p.Row(storedY);
        for (int x = 0; x < p.Width(); ++x) {
            line[3 * size_t(x)] = row[step * x + 2];
            line[3 * size_t(x) + 1] = row[step * x + 1];
            line[3 * size_t(x) + 2] = row[step * x];
        }
        JSAMPROW r = line.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes Encode(NyZazo& p) {
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(p.Encode(s, 0)) << p.lastError;
    return Bytes(s.data(), s.data() + s.size());
}

void FillNoise(NyZazo& p, uint32_t seed) {
    for (uint32_t i = 0; i < p.header.biSizeImage; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Smooth with some noise, so the coefficients are neither all zero nor all large.
        p.bits[i] = uint8_t((i / 7) % 200 + (seed >> 29));
    }
}

void ExpectSameAsPlain(const Bytes& file, const std::string& name) {
    const PlainPicture plain = PlainDecode(file);
    ImageStream s(file.data(), uint32_t(file.size()));
    NyZazo p;
    ASSERT_TRUE(p.Decode(s, 0)) << name << ": " << p.lastError;
    ASSERT_EQ(p.Width(), plain.width) << name;
    ASSERT_EQ(p.Height(), plain.height) << name;
    const size_t used = size_t(plain.width) * size_t(plain.components);
    for (int y = 0; y < p.Height(); ++y) {
        ASSERT_EQ(0, std::memcmp(p.Row(y), plain.storedRows[size_t(y)].data(), used)) << name << " stored row " << y;
        // The padding carries no stale bytes.
        for (size_t i = used; i < p.rowBytes; ++i) ASSERT_EQ(p.Row(y)[i], 0) << name << " row " << y;
    }
}

struct JumpingError {
    jpeg_error_mgr pub;
    std::jmp_buf back;
};

// Components of a file, or -1 when the library cannot read the whole of it.
int ComponentsOf(const Bytes& file) {
    jpeg_decompress_struct cinfo;
    JumpingError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JumpingError*>(c->err)->back, 1); };
    err.pub.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&cinfo);
    if (setjmp(err.back)) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    Bytes line(size_t(cinfo.output_width) * size_t(components));
    JSAMPROW row = line.data();
    while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, &row, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return components;
}

}  // namespace

TEST(JpegDirectRows, EncodeWritesTheSameBytesAsThePlainWay) {
    for (int depth : {24, 32}) {
        for (auto [w, h] : {std::pair{37, 23}, std::pair{16, 16}, std::pair{301, 190}}) {
            NyZazo p(w, h, depth, 1);
            FillNoise(p, uint32_t(w * h + depth));
            EXPECT_EQ(Encode(p), PlainEncode(p)) << depth << " bits, " << w << " x " << h;
        }
    }
}

TEST(JpegDirectRows, DecodeGivesThePlainRowsForOurFilesAndOthers) {
    for (auto [w, h] : {std::pair{37, 23}, std::pair{1, 1}, std::pair{301, 190}}) {
        NyZazo p(w, h, 24, 1);
        FillNoise(p, uint32_t(w));
        ExpectSameAsPlain(Encode(p), std::to_string(w) + " x " + std::to_string(h));
        NyZazo grey(w, h, 8, 1);
        grey.SetGreyPalette();
        FillNoise(grey, uint32_t(h));
        ExpectSameAsPlain(Encode(grey), "grey " + std::to_string(w));
    }
    if (!test::HaveCorpus()) GTEST_SKIP() << "no corpus at " << test::CorpusDir();
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::CorpusDir())) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".jpg" && ext != ".jpeg") continue;
        const Bytes file = test::ReadFileBytes(entry.path().string());
        // Files the library refuses or reads as CMYK take other paths.
        if (ComponentsOf(file) != 1 && ComponentsOf(file) != 3) continue;
        ExpectSameAsPlain(file, entry.path().filename().string());
        ++files;
    }
    EXPECT_GT(files, 0);
}
