#pragma once

#include <cstddef>

#include "platform/SaverWindow.h"

// The sound device and its voices: one voice is one sound buffer of mono 16-bit PCM at
// 44,100 Hz together with what plays it, with a volume and a 3D position. Shaped after
// DirectSound (a device bound to the window, buffers locked and unlocked over their
// bytes, volume in hundredths of a decibel, left-handed 3D positions around a default
// listener at the origin facing +z, +y up) so that a DirectSound backend fits as is;
// the OpenAL backend maps it onto OpenAL's own axes and distance model.
// Everything here is used from one thread.
namespace platform {

struct SoundDevice;
struct SoundVoice;

// The default output device; when none opens, a silent output that plays (and times)
// everything as a device would without making a sound. Null when neither can be had.
SoundDevice* OpenSoundDevice(WindowHandle window);
// True when the device is the silent stand-in for a missing output device.
bool IsSilentSoundDevice(const SoundDevice* device);
// Releases the device; its voices must have been released first. Null is ignored.
void CloseSoundDevice(SoundDevice* device);

// A silent voice holding bytes bytes (a whole number of 2-byte samples), stopped, at
// full volume, at the listener. Null when bytes is not positive or the device refuses.
SoundVoice* CreateSoundVoice(SoundDevice* device, int bytes);
// Stops and frees the voice. Null is ignored.
void ReleaseSoundVoice(SoundVoice* voice);

// The voice's whole sample memory, for writing; false when it cannot be had. Unlock
// hands back exactly what Lock gave, and only then does the voice play what was written.
bool LockSoundVoice(SoundVoice* voice, void** data, int* bytes);
bool UnlockSoundVoice(SoundVoice* voice, void* data, int bytes);

// Starts the voice, or keeps it going from where it is when it already plays (the
// looping flag then applies from now on).
void PlaySoundVoice(SoundVoice* voice, bool looping);
bool IsSoundVoicePlaying(SoundVoice* voice);
// Where playing has got to, in bytes from the start of the sample.
int SoundVoicePlayPosition(SoundVoice* voice);

// Hundredths of a decibel, 0 full and -10000 silent; values outside that range are
// refused and leave the volume as it was.
bool SetSoundVoiceVolume(SoundVoice* voice, int hundredthsOfDecibel);

// In DirectSound's left-handed space: x right, y up, z ahead of the listener.
void SetSoundVoicePosition(SoundVoice* voice, float x, float y, float z);

}  // namespace platform
