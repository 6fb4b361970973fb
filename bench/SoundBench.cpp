// Cost per frame of the sound work on a real device (OpenAL Soft's null output): the
// ambient bed's volume step and the wing sound's position and trigger.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/ApplicationState.h"
#include "sound/SceneSoundClass.h"
#include "sound/SoundManager.h"
#include "sound/WingsSoundClass.h"

namespace {

void BM_SoundFrame(benchmark::State& state)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    std::srand(1);
    SoundManager manager(0);
    if (!manager.IsReady()) {
        state.SkipWithError("no sound device");
        return;
    }
    TheApplicationState.soundManager = &manager;
    {
        SceneSoundClass scene;
        WingsSoundClass wings;
        double height = 0.0;
        for (auto _ : state) {
            scene.Update(16);
            height += 0.01;
            wings.Update(Vector3(0.3, height, -1.0), 16);
        }
    }
    TheApplicationState.soundManager = nullptr;
}
BENCHMARK(BM_SoundFrame);

}  // namespace

BENCHMARK_MAIN();
