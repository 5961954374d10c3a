// Golden pictures with zero tolerance. The neighbourhood filters' expected
// pixels come from the plain versions; the random effects' from a run with the
// engine's generator reset, kept as a 64-bit hash of the colour bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/ClassicRandom.h"
#include "processing/FilterCatalogue.h"
#include "processing/FilterReference.h"
#include "processing/FilterTestSupport.h"
#include "processing/FilterTexts.h"

using namespace quillory;
using namespace quillory::test;

namespace {

Picture RunNamed(const Picture& input, const char* name, FilterValues values, uint32_t randomSeed = 1) {
    EngineRandom().Reset(randomSeed);
    Picture output = input;
    FilterProgress progress;
    EXPECT_TRUE(RunFilter(name, input.View(), output.Planes(), values, SelectionMap{}, progress)) << name;
    return output;
}

FilterValues V(int a, int b = -1, int c = -1) { return FilterValues{{a, b, c}}; }

}  // namespace

TEST(GoldenFilters, NeighbourhoodFiltersOnASmallPicture) {
    const Picture input = RandomPicture(6, 5, 2024);
    struct Golden {
        const char* name;
        FilterValues values;
        Picture reference;
        const char* hex;
    };
    const Golden goldens[] = {
        {"강조", V(1), ReferenceConvolve(input, SharpenKernel(), true),
         "000000000000000000000000000000000000a0d0f4ffffff000000000000ffffff8e3ae"
         "b7af7270da9db60f677757575000000000000000000b8b8b8fdfdfdffffff4f4f4f0000"
         "000000001831ca7e5995000000f37d02000000"},
        {"윤곽선", V(8, 80), ReferenceConvolve(input, ContourKernel(8), true),
         "000000000000000000000000000000000000a0d0f4ffffff000000000000ffffff8e3ae"
         "b7af7270da9db60f677000000000000000000000000626262ffffffffffff0000000000"
         "000000001831ca7e5995000000f37d02000000"},
        {"엠보스", V(3, 0), ReferenceConvolve(input, EmbossKernel(3), true),
         "000000000000000000000000000000000000a0d0f49191914b4b4b3c3c3c0000008e3ae"
         "b7af7270da9db60f6775858580000000000000000000000006b6b6b000000cdcdcd0000"
         "000000001831ca7e5995000000f37d02000000"},
        {"흐리게", V(4), ReferenceBox(input, 4, 1),
         "80aeba7bca8167ba866ec38d56b18c4ea0a4a0d0f482c59272bc9471ba9569a68f8e3ae"
         "b7af7270da9db60f6776fa8796e9b6e76936db3c898a7bea885be89689b7c7593727291"
         "65b3c8981831ca7e5995769a89f37d028c8b53"},
        {"부드럽게", V(3), ReferenceBox(input, 3, 9),
         "ffffffffffffffffebd8ffffa7ffff6fffffa0d0f4ffffff7aff8ec4ffdaf1ffff8e3ae"
         "b7af7270da9db60f6777cffe7edd3d3fffffffffffffffffffffffffffffff5d6e1ffff"
         "f4ffffff1831ca7e5995ffff88f37d02ffff94"},
        {"물체축소", V(4), ReferenceWindow(input, 4, true),
         "0d58270b580a0b410a0b410a0b3a0a0d3a4ea0d0f40b580a0b410a0b410a0b3a0a8e3ae"
         "b7af7270da9db60f6770b31020b3a02173a020d31270d31270d31030d31021741021741"
         "021831911831ca7e5995183102f37d026b4502"},
        {"물체확장", V(3), ReferenceWindow(input, 3, false),
         "dcdaf4dffff4dfffe9dfffe6a3f4eba3f4eba0d0f4dffff4dfffe9dfffe6a3fceb8e3ae"
         "b7af7270da9db60f677a3fcd9d5fcebd5f4ebf8f7dbf8f7db86fcdbf3fcd9f3fcd3f3b3"
         "d3f8ddca1831ca7e5995f3c6d9f37d02f3b37c"},
    };
    for (const Golden& g : goldens) {
        EXPECT_EQ(Hex(g.reference.Colours()), g.hex) << g.name << " (plain version)";
        EXPECT_EQ(Hex(RunNamed(input, g.name, g.values).Colours()), g.hex) << g.name;
    }
}

TEST(GoldenFilters, SelectionAwareAndRegionFiltersOnASmallPicture) {
    const Picture blobs = BlobPicture(8, 6, 7);
    EXPECT_EQ(Hex(RunNamed(blobs, "경계강조", V(10, 5)).Colours()),
              "3d0e733d0e7080a17678d2fa78d2fa3d0e6fc8124f78d2fb3d0e6b000000000000"
              "00000000000000000000000078d2fbc8124f4c0000220000000000000000000300"
              "00000078d2fc80a171042500000000000000193a0c1637090000003d0e7378d2fa"
              "0000000000000000000627002600000000003d0e7078d2fac81251c8124fc8124b"
              "80a175c8125080a17680a170");
    EXPECT_EQ(Hex(RunNamed(blobs, "잡영제거", V(3, 2)).Colours()),
              "3d0e7380a17180a17778d2fa78d2fa3d0e7380a17478d2fb80a17180a177c8124e"
              "3d0e733d0e7380a17480a17478d2fb80a17180a177c8124e3d0e733d0e7380a174"
              "80a174c8125180a17180a17778d2fd3d0e733d0e73c81251c81251c8125178d2fa"
              "c8125078d2fdc8124bc8124bc81251c8125180a17678d2fac81251c8124fc8124b"
              "c8124bc8124b80a17680a170");
    EXPECT_EQ(Hex(RunNamed(blobs, "영역확장", V(30)).Colours()),
              "3d0e6b3d0e6b80a17678d2fa78d2fa3d0e6bc8124f78d2fd3d0e6b80a1763d0e6b"
              "3d0e6b78d2fa3d0e6b78d2fd78d2fdc8124fc8124fc8124f80a1713d0e6b80a171"
              "3d0e6b78d2fd80a17180a17180a1713d0e6b80a17180a17178d2fd3d0e6b78d2fa"
              "c8125178d2fdc8125180a171c812503d0e6b3d0e6b78d2fac81251c81251c81251"
              "80a171c8125080a17680a176");
    EXPECT_EQ(Hex(RunNamed(blobs, "수채화", V(1, 1)).Colours()),
              "3d0e703d0e703d0e6f3d0e703d0e703d0e7078d2fa78d2fa3d0e7080a17480a174"
              "3d0e6f3d0e703d0e703d0e703d0e6fc8124e80a17480a17480a17480a1743d0e70"
              "3d0e703d0e6fc8124e80a17480a17480a17480a1743d0e703d0e703d0e6fc8124e"
              "c8124ec8124e80a17480a1743d0e703d0e7080a173c8124ec8124ec8124ec8124e"
              "80a17480a17380a17380a173");
    EXPECT_EQ(Hex(RunNamed(blobs, "렌즈효과", V(-1)).Colours()),
              "3d0e733d0e706a7986596bb174c4ef483389c8124f78d2fb3d0e6b7c606d6c2b69"
              "5e5b7c5b6da95c62926283bc78d2fbc8124fbf23529959646c7672513970646472"
              "686f7a78d2fc80a1718990716a58715139736c76727b95737aaba43d0e7378d2fa"
              "a65f848271958328638189719774696c31783d0e7078d2fac81251b3437bbf2351"
              "899070ba2d5780a17680a170");
}

TEST(GoldenFilters, RandomEffectsWithTheGeneratorReset) {
    const Picture input = RandomPicture(20, 16, 77);
    const Picture blobs = BlobPicture(20, 16, 5);
    struct Golden {
        const char* name;
        const Picture* picture;
        FilterValues values;
        uint64_t hash;
    };
    const Golden goldens[] = {
        {"찍어붙이기", &blobs, V(8, 1, 1), 8235372849701315120ull},
        {"색종이뿌리기", &blobs, V(10, 6, 3), 5837184183000828412ull},
        {"선효과채색", &input, V(5, 2), 13737172357062887469ull},
        {"한지효과", &input, V(1), 14467574226048023954ull},
        {"빗방울", &input, V(40, 100), 990223022485515053ull},
        {"유리성에", &input, V(2), 8506445072093725269ull},
        {"방울채색", &input, V(7, 8), 16558137353256130523ull},
        {"유화", &input, V(5, 50), 10441099473397878592ull},
        {"달마시안", &input, V(10, 4), 2233497024031404560ull},
        {"욕실효과", &input, V(0, 0), 10463639350029378650ull},
    };
    for (const Golden& g : goldens) {
        const Picture first = RunNamed(*g.picture, g.name, g.values);
        EXPECT_EQ(Fnv1a(first.Colours()), g.hash) << g.name;
        // Without a reset the generator goes on, and the next run differs.
        Picture second = *g.picture;
        FilterProgress progress;
        ASSERT_TRUE(RunFilter(g.name, g.picture->View(), second.Planes(), g.values, SelectionMap{}, progress));
        EXPECT_NE(first.Colours(), second.Colours()) << g.name;
    }
}
