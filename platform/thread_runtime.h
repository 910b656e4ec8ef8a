// What the module's C++ runtime keeps for a thread it did not start, given back before the
// module is unloaded while that thread (the host's) lives on; and joining a worker without
// leaving anything of the runtime behind.
//
// On Windows the threads library behind std::thread, std::mutex and std::condition_variable,
// linked into the module, makes itself a record of any other thread that calls into it (a
// duplicate of the thread's handle and two events) and frees it only when that thread ends: the
// module's exit runs on the host's thread, which goes on after the module is unloaded, so each
// load would leave that record behind. Elsewhere there is nothing to give back.
#pragma once

namespace kestrava {

#ifdef _WIN32
// Host thread, once the plug-in's last object and worker are gone and just before the host
// unloads the module: ends the calling thread as far as the module's runtime is concerned (its
// thread-end callbacks run for it), as if the thread had ended. Should the module be used on
// this thread again, the runtime makes its record anew. Nothing in a program (the module's code
// linked into an executable, as in the tests), whose runtime outlives the thread anyway.
void ReleaseThreadRuntime() noexcept;

// Lets the thread that joins a worker wait until the worker has wholly ended, the threads
// library's own bookkeeping after the worker's body included. Joining a worker in the midst of
// that bookkeeping makes the library contend with itself for a lock of its own, for which it
// then makes an event that stays in the process after the module is unloaded.
//
// The worker, as its body's last act: a token of its end, owned by the caller (null on failure).
void* CallingThreadEnd() noexcept;
// Any other thread: waits until the token's thread has ended, then releases the token. Nothing
// for null.
void AwaitThreadEnd(void* end) noexcept;
#else
inline void ReleaseThreadRuntime() noexcept {}
inline void* CallingThreadEnd() noexcept { return nullptr; }
inline void AwaitThreadEnd(void*) noexcept {}
#endif

}  // namespace kestrava
