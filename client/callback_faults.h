// A test hook of the module for the real client: makes the next callbacks fail inside the callback
// guard, as a fault in the logic would, so tests can show that nothing reaches the client and that
// the module answers the callback after. The client never sets it. Client's thread only.
#pragma once

namespace kestrava::client {

// Callbacks still to fail; 0 unless a test asked.
inline int callback_faults_due = 0;

// The next `count` callbacks throw as soon as they are inside the guard.
void InjectCallbackFaults(int count);

[[noreturn]] void ThrowInjectedFault();

// Throws when a fault is due; called first inside every guarded callback.
inline void CallbackFaultPoint() {
  if (callback_faults_due > 0) ThrowInjectedFault();
}

}  // namespace kestrava::client
