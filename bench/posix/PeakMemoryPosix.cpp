#include "bench/PeakMemory.h"

#include <sys/resource.h>

std::int64_t PeakMemoryBytes()
{
    struct rusage usage = {};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}
