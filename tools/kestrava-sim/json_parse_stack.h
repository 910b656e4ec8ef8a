// The stack RapidJSON's reader keeps decoded texts and numbers on, for the scenario reader.
//
// RapidJSON's own stack (rapidjson/internal/stack.h) allocates at its first push, and that push
// first adds the size to the still null pointer: undefined behaviour, on which clang's sanitizer
// stops. A reader made as rapidjson::GenericReader<UTF8<>, UTF8<>, ParseStackAllocator> uses this
// stack instead, which holds memory from the start, so every push works on an allocated block.
// It offers what the reader uses of a stack: Push, Pop, Top and Clear.
//
// The reader is made with a ParseStackAllocator, which this stack does not allocate from but
// tells how large it has grown (the texts decoded at once: the longest text of the file).
//
// Thread: one reader's.
#pragma once

#include <rapidjson/internal/stack.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>

namespace kestrava::sim {

// Given to the reader, which hands it to its stack: selects the stack below, and records the most
// bytes the stack has held.
struct ParseStackAllocator {
  std::size_t most_bytes = 0;
};

}  // namespace kestrava::sim

namespace rapidjson::internal {

template <>
class Stack<kestrava::sim::ParseStackAllocator> {
 public:
  // `capacity` bytes are allocated at once (at least one); the stack grows as needed.
  Stack(kestrava::sim::ParseStackAllocator* record, std::size_t capacity)
      : record_(record),
        capacity_(std::max<std::size_t>(capacity, 1)),
        bytes_(new char[capacity_]) {
    Record();
  }
  Stack(const Stack&) = delete;
  Stack& operator=(const Stack&) = delete;

  template <typename T>
  T* Push(std::size_t count = 1) {
    const std::size_t size = sizeof(T) * count;
    if (size > capacity_ - top_) Grow(top_ + size);
    T* pushed = reinterpret_cast<T*>(bytes_.get() + top_);
    top_ += size;
    return pushed;
  }
  template <typename T>
  T* Pop(std::size_t count) {
    top_ -= sizeof(T) * count;
    return reinterpret_cast<T*>(bytes_.get() + top_);
  }
  template <typename T>
  T* Top() {
    return reinterpret_cast<T*>(bytes_.get() + top_ - sizeof(T));
  }
  void Clear() { top_ = 0; }

 private:
  void Grow(std::size_t needed) {
    const std::size_t capacity = std::max(needed, capacity_ + capacity_ / 2);
    std::unique_ptr<char[]> bytes(new char[capacity]);
    std::copy(bytes_.get(), bytes_.get() + top_, bytes.get());
    bytes_ = std::move(bytes);
    capacity_ = capacity;
    Record();
  }
  void Record() {
    if (record_ != nullptr) record_->most_bytes = std::max(record_->most_bytes, capacity_);
  }

  kestrava::sim::ParseStackAllocator* record_;
  std::size_t capacity_;
  std::unique_ptr<char[]> bytes_;
  std::size_t top_ = 0;
};

}  // namespace rapidjson::internal
