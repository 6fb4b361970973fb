// Makes the saver's clock-seeded scene the same on every run of a benchmark: time()
// answers one fixed second. Loaded by bench/frame-rate.sh with ZEN_BENCH_FIXED_SEED=1.
#include <time.h>

time_t time(time_t* out)
{
    const time_t fixed = 1765000000;
    if (out != NULL)
        *out = fixed;
    return fixed;
}
