#pragma once
// Pictures embedded in the program, found by resource name ("IDR_JPG1", "1011", ...).
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillory {

struct ResourceData {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

void RegisterResource(const std::string& name, const uint8_t* data, size_t size);
ResourceData FindResource(const std::string& name);

}  // namespace quillory
