#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

// How the Windows backend tells folders apart, kept apart from the calls that ask the
// system so that the rule can be tried on any facts.
namespace platform {
namespace win32 {

// What the system tells of an open folder.
struct FolderFacts {
    std::uint64_t volume = 0;      // serial number
    std::uint64_t index = 0;       // file index
    bool indexTruncated = false;   // the file system's id is wider than the index and does not fit it
    std::wstring finalPath;        // as GetFinalPathNameByHandleW gives it
};

// The folder's identity: volume and file index where the index tells folders apart;
// the final path where the index is 0, truncated, or comes from a network redirector,
// which may make indices up.
FileIdentity IdentityOf(const FolderFacts& facts);

}  // namespace win32
}  // namespace platform
