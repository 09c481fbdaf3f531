#pragma once
// Resources compiled into the executable: looked up by name and type.
#include <cstddef>
#include <string>

namespace platform {

struct embedded_resource {
    const char* name;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// The generated table, ended by an entry with a null name.
extern const embedded_resource embedded_resource_table[];

// Finds a resource; returns nullptr when there is none of that name and type.
const embedded_resource* find_resource(const std::string& name, const std::string& type);

// The bytes of a resource, or an empty string when it is missing.
std::string resource_bytes(const std::string& name, const std::string& type);

}  // namespace platform
