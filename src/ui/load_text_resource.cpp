#include "ui/load_text_resource.h"

#include <new>

#include "ui/embedded_resources.h"

namespace vexa {
namespace {

// Resource names and types are ASCII; the comparison ignores case whatever the locale.
bool equalIgnoringCase(const char* a, const char* b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (; *a && *b; ++a, ++b) {
        if (lower(static_cast<unsigned char>(*a)) != lower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

}  // namespace

const EmbeddedResource* findResource(std::span<const EmbeddedResource> resources, const char* name,
                                     const char* type) {
    if (!name || !type) return nullptr;
    for (const EmbeddedResource& resource : resources) {
        if (equalIgnoringCase(resource.name, name) && equalIgnoringCase(resource.type, type))
            return &resource;
    }
    return nullptr;
}

bool loadTextResource(const char* name, const char* type, std::string& out) {
    out.clear();
    const EmbeddedResource* resource = findResource(embeddedResources(), name, type);
    if (!resource) return false;
    try {
        out.assign(reinterpret_cast<const char*>(resource->data), resource->size);
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace vexa
