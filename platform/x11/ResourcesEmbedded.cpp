#include <cstring>

#include "platform/ResourceTable.h"
#include "platform/Resources.h"

namespace platform {

bool FindResourceBytes(const char* type, int id, ResourceBytes* out)
{
    for (const EmbeddedResourceRow* row = kEmbeddedResources; row->type != nullptr; ++row) {
        if (row->id == id && std::strcmp(row->type, type) == 0) {
            out->data = row->begin;
            out->size = static_cast<std::size_t>(row->end - row->begin);
            return true;
        }
    }
    return false;
}

}  // namespace platform
