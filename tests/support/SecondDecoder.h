#pragma once
// A second decoder for differential tests: Pillow, run through python3.
#include <string>

#include "support/HelperPrograms.h"
#include "support/TestFiles.h"

namespace quillory::test {

// The python3 that runs Pillow (the system's); tests assert HavePythonModules({"PIL"}) first.
const std::string& PillowPython();

// Decodes the file with Pillow (first page, converted to RGB); an invalid image
// when Pillow is missing or fails. `mode` receives Pillow's mode of the file.
RgbaImage DecodeWithPillow(const std::string& path, std::string* mode = nullptr);

}  // namespace quillory::test
