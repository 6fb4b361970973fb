#include "sound/SceneSoundClass.h"

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "render/VectorMath.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundManager.h"

SceneSoundClass::SceneSoundClass() : level_(RandomUnit)
{
    SoundManager* manager = TheApplicationState.soundManager;
    if (manager != nullptr)
        buffer_ = manager->LoadSample(132);
    if (buffer_ == nullptr) {
        TheEventLog.WriteError(1, "Can not create SceneSoundClass object", "Error of initialization");
        return;
    }
    // Sets the resting volume before the loop starts.
    Update(0);
    buffer_->PlayLooping();
}

void SceneSoundClass::Update(std::uint32_t elapsedMs)
{
    (void)elapsedMs;
    if (buffer_ != nullptr)
        buffer_->SetVolume(level_.Step());
}
