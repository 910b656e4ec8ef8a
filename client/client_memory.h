// Memory for the client-facing half, which has no standard library: objects are made in the C
// runtime's heap and never throw. Client-facing half only.
#pragma once

extern "C" void* malloc(unsigned int size);
extern "C" void free(void* memory);

// Placement form of new, which the standard library would declare.
inline void* operator new(unsigned int, void* where) noexcept { return where; }

namespace kestrava::client {

// A new T made from `arguments`, or null when memory is short. Delete it with `delete`.
template <class T, class... Arguments>
T* Create(Arguments... arguments) {
  void* memory = malloc(sizeof(T));
  return memory != nullptr ? new (memory) T(arguments...) : nullptr;
}

}  // namespace kestrava::client
