#include "client/callback_faults.h"

#include <stdexcept>

namespace kestrava::client {
namespace {

int faults_due = 0;

}  // namespace

void InjectCallbackFaults(int count) { faults_due = count > 0 ? count : 0; }

void CallbackFaultPoint() {
  if (faults_due > 0) {
    --faults_due;
    throw std::runtime_error("injected callback fault");
  }
}

}  // namespace kestrava::client
