#include "client/callback_faults.h"

#include <stdexcept>

namespace kestrava::client {

void InjectCallbackFaults(int count) { callback_faults_due = count > 0 ? count : 0; }

void ThrowInjectedFault() {
  --callback_faults_due;
  throw std::runtime_error("injected callback fault");
}

}  // namespace kestrava::client
