// The countdown alarm of the Windows backend.
#pragma once

namespace kestrava {

// Plays the WAVE resource 3005 of this module asynchronously; returns at once.
void PlayAlarmResource();

}  // namespace kestrava
