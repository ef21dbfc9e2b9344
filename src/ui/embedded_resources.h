// The program's data resources (texts, icon pictures) as the build embedded them: each one
// found by its name and type, its bytes exactly as in its file under resources/.
#pragma once

#include <cstddef>
#include <span>

namespace vexa {

struct EmbeddedResource {
    const char* name;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// Every embedded resource, in the order resources/CMakeLists.txt lists them.
std::span<const EmbeddedResource> embeddedResources();

// The resource with this name and type, compared without regard to case; null when absent.
const EmbeddedResource* findResource(std::span<const EmbeddedResource> resources, const char* name,
                                     const char* type);

}  // namespace vexa
