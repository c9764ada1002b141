// Program resources embedded at build time: fonts, bitmaps, sounds, icons.
// Looked up by type ("FONT", "BITMAP", "WAVE", ...) and name ("TICK", ...),
// both compared exactly. Returns nullptr when there is no such resource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gz {

struct Resource {
    const char* type;
    const char* name;
    const uint8_t* data;
    std::size_t size;
};

const Resource* findResource(std::string_view type, std::string_view name);

}  // namespace gz
