#pragma once
// Golden pictures: tests/golden/NAME.png, compared byte for byte (red, green, blue,
// alpha). On a difference the actual and expected pictures are written beside each
// other into the temporary folder and their paths are part of the failure. With
// QUILLORY_UPDATE_GOLDEN=1 a missing or differing golden picture is (re)written instead.
#include <gtest/gtest.h>

#include <string>

#include "support/TestFiles.h"

namespace quillory::test {

::testing::AssertionResult MatchesGolden(const std::string& name, const RgbaImage& actual);

}  // namespace quillory::test
