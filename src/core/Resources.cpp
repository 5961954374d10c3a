#include "core/Resources.h"

#include <map>

namespace quillory {

namespace {
std::map<std::string, ResourceData>& Table() {
    static std::map<std::string, ResourceData> table;
    return table;
}
}  // namespace

void RegisterResource(const std::string& name, const uint8_t* data, size_t size) {
    Table()[name] = ResourceData{data, size};
}

ResourceData FindResource(const std::string& name) {
    auto it = Table().find(name);
    return it == Table().end() ? ResourceData{} : it->second;
}

}  // namespace quillory
