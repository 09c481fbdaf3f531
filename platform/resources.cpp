#include "platform/resources.h"

#include <cstring>

namespace platform {

const embedded_resource* find_resource(const std::string& name, const std::string& type) {
    for (const embedded_resource* r = embedded_resource_table; r->name; ++r) {
        if (name == r->name && type == r->type) return r;
    }
    return nullptr;
}

std::string resource_bytes(const std::string& name, const std::string& type) {
    const embedded_resource* r = find_resource(name, type);
    if (!r) return {};
    return std::string(reinterpret_cast<const char*>(r->data), r->size);
}

}  // namespace platform
