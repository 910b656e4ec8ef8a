// A test hook of the module for the real client: makes the next callbacks fail inside the callback
// guard, as a fault in the logic would, so tests can show that nothing reaches the client and that
// the module answers the callback after. The client never sets it. Client's thread only.
#pragma once

namespace kestrava::client {

// The next `count` callbacks throw as soon as they are inside the guard.
void InjectCallbackFaults(int count);

// Throws when a fault is due; called first inside every guarded callback.
void CallbackFaultPoint();

}  // namespace kestrava::client
