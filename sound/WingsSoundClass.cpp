#include "sound/WingsSoundClass.h"

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundManager.h"

WingsSoundClass::WingsSoundClass()
{
    SoundManager* manager = TheApplicationState.soundManager;
    if (manager != nullptr)
        buffer_ = manager->LoadSample(133);
    if (buffer_ == nullptr) {
        TheEventLog.WriteError(1, "Can not create WingsSoundClass object", "Error of initialization");
        return;
    }
    buffer_->SetVolume(-600);
    // Parked far away until the first update.
    buffer_->SetPosition(Vector3(100.0, 100.0, 100.0));
}

void WingsSoundClass::Update(const Vector3& position, std::int32_t elapsedMs)
{
    if (buffer_ == nullptr)
        return;
    buffer_->SetPosition(position);
    if (trigger_.Step(position.y, elapsedMs))
        buffer_->PlayOnce();
}
