#pragma once

// The build's table of embedded resources (generated), read by the resource service.
namespace platform {

struct EmbeddedResourceRow {
    const char* type;
    int id;
    const unsigned char* begin;
    const unsigned char* end;
};

// Ends with a row whose type is null.
extern const EmbeddedResourceRow kEmbeddedResources[];

}  // namespace platform
