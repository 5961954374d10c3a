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
         "000000000000000000000000000000000000a0d0f49f9f9f0000000000000000008e3ae"
         "b7af7270da9db60f677474747a9a9a90000000000000000000000000000000000000000"
         "000000001831ca7e5995000000f37d02000000"},
        {"흐리게", V(4), ReferenceBox(input, 4, 1),
         "80aeba7bca8172b08a78cc995cba8f52a3b8a0d0f47bca8167ba866ec38d56b18c8e3ae"
         "b7af7270da9db60f67771ba9569a68f64989bbdcc9d96c98e7eb87b6fa8796e9b6e7693"
         "6db3c8981831ca7e5995689b7cf37d02729165"},
        {"부드럽게", V(3), ReferenceBox(input, 3, 9),
         "ffffffffffffffffebd8ffffa7ffff6fffffa0d0f4ffffff7aff8ec4ffdaf1ffff8e3ae"
         "b7af7270da9db60f6777cffe7edd3d3fffffffffffffffffffffffffffffff5d6e1ffff"
         "f4ffffff1831ca7e5995ffff88f37d02ffff94"},
        {"물체축소", V(4), ReferenceWindow(input, 4, true),
         "3a589c0b580a0b410a0b410a0b3a0a0d3a5ca0d0f40b580a0b410a0b410a0b3a0a8e3ae"
         "b7af7270da9db60f6770b410a0b3a0a0d3a4e0d31270b310a0b31030b31020b3a02173a"
         "020d31271831ca7e59950d3102f37d02174102"},
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
              "3d0e733d0e7080a17678d2fa78d2fa3d0e6fc8124f78d2fb80a17680a17680a176"
              "3d0e7078d2f778d2f778d2f778d2fbc8124f80a17680a17680a1733d0e6f3d0e6f"
              "3d0e6f78d2f7c8124f80a17680a1763d0e733d0e6f3d0e6f3d0e6f3d0e6fc8124f"
              "c8124fc8124f3d0e733d0e6f3d0e6f3d0e6f3d0e6f78d2fac8124fc8124fc8124f"
              "3d0e733d0e6f3d0e6f80a170");
    EXPECT_EQ(Hex(RunNamed(blobs, "영역확장", V(30)).Colours()),
              "3d0e733d0e7380a17678d2fa78d2fa3d0e73c8124f78d2f93d0e7380a1763d0e73"
              "3d0e7378d2fa3d0e7378d2f978d2f9c8124fc8124fc8124f80a1713d0e7380a171"
              "3d0e7378d2f980a17180a17180a1713d0e7380a17180a17178d2f93d0e7378d2fa"
              "c8125078d2fdc8125080a171c812513d0e733d0e7378d2fac81250c81250c81250"
              "80a171c8125180a17680a176");
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
        {"찍어붙이기", &blobs, V(8, 1, 1), 13275480503760668594ull},
        {"색종이뿌리기", &blobs, V(10, 6, 3), 13252022670344598531ull},
        {"선효과채색", &input, V(5, 2), 6343443885639963519ull},
        {"한지효과", &input, V(1), 9616822555764072970ull},
        {"빗방울", &input, V(40, 100), 8452110747949139610ull},
        {"유리성에", &input, V(2), 10405335643294200169ull},
        {"방울채색", &input, V(7, 8), 18186365504995476361ull},
        {"유화", &input, V(5, 50), 738727521997905193ull},
        {"달마시안", &input, V(10, 4), 13835067150979130136ull},
        {"욕실효과", &input, V(0, 0), 7156795723369725756ull},
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
