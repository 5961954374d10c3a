// Writes the seed corpus for the fuzz targets: small pictures at every depth, in
// every format the engine can encode, hand-made run-length BMPs, and undo step
// files in their current layout.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "document/StepFileStore.h"

using namespace quillory;

namespace {

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

void Fill(NyZazo& p) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            if (p.header.biClrUsed)
                p.SetPixelIndex(x, y, uint8_t((x + 3 * y) % p.header.biClrUsed));
            else
                p.SetPixelColour(x, y, MakeQuad(uint8_t(x * 20), uint8_t(y * 30), uint8_t(x * y)));
        }
    for (uint32_t i = 0; i < p.header.biClrUsed; ++i) p.SetPaletteColour(int(i), uint8_t(i * 7), uint8_t(i * 3), uint8_t(255 - i));
}

std::vector<uint8_t> RleBmp(bool nibbles, const std::vector<uint8_t>& runs) {
    NyZazo p(5, 4, nibbles ? 4 : 8, 1);
    ImageStream s(ImageStream::kMemory);
    (void)p.Encode(s, 1);
    std::vector<uint8_t> out(s.data(), s.data() + s.size());
    out[30] = nibbles ? 2 : 1;  // compression
    size_t offset = out[10] | (out[11] << 8);
    out.resize(offset);
    out.insert(out.end(), runs.begin(), runs.end());
    return out;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A step file of four planes (stored, uniform and repeated blocks) with its pack,
// as fuzz_history_files takes them: the step file's length, the file, the pack.
void WriteStepSeed(const std::string& dir) {
    const std::string work = dir + "/history-work";
    std::remove((work + "/UD_1_0_0.qvxtmp").c_str());
    if (std::system(("mkdir -p '" + work + "'").c_str()) != 0) return;
    StepFileStore store(work, 1);
    std::vector<uint8_t> pixels(3 * kStepBlockBytes + 40, 200), alpha(kStepBlockBytes + 9, 255), text{'a', 0};
    for (size_t i = 0; i < kStepBlockBytes; ++i) pixels[i] = uint8_t(i * 7);
    const PlaneSource planes[4] = {{pixels.data(), pixels.size(), 0, nullptr},
                                   {alpha.data(), alpha.size(), 0, nullptr},
                                   {nullptr, alpha.size(), 0, nullptr},
                                   {text.data(), text.size(), 0, nullptr}};
    std::string error;
    if (!store.WriteStep(0, 0, planes, 4, error)) return;
    const std::vector<uint8_t> step = ReadBytes(store.StepPath(0, 0));
    const std::vector<uint8_t> pack = ReadBytes(store.PackPath(1));
    std::vector<uint8_t> seed = {uint8_t(step.size()), uint8_t(step.size() >> 8), uint8_t(step.size() >> 16), 0x80};
    seed.insert(seed.end(), step.begin(), step.end());
    seed.insert(seed.end(), pack.begin(), pack.end());
    WriteBytes(dir + "/history_step", seed.data(), seed.size());
    store.RemoveAll();
    std::remove(work.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string dir = argv[1];
    const int depths[] = {1, 4, 8, 24, 32};
    const int formats[] = {1, 0, 2, 3};
    for (int depth : depths) {
        NyZazo p(7, 5, depth, 1);
        Fill(p);
        for (int code : formats) {
            ImageStream s(ImageStream::kMemory);
            if (!p.Encode(s, code) || s.size() == 0) continue;
            WriteBytes(dir + "/seed_" + std::to_string(code) + "_" + std::to_string(depth), s.data(), s.size());
        }
    }
    auto rle8 = RleBmp(false, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 2, 1, 1, 5, 9, 0, 1});
    WriteBytes(dir + "/seed_rle8", rle8.data(), rle8.size());
    auto rle4 = RleBmp(true, {3, 0x12, 0, 3, 0x45, 0x60, 0, 0, 0, 2, 1, 1, 4, 0x9A, 0, 1});
    WriteBytes(dir + "/seed_rle4", rle4.data(), rle4.size());
    WriteStepSeed(dir);
    return 0;
}
