// The test double's host table served by the stand-in World (standin::World::Current()): what the
// module for the real client asks of the client, answered as the stand-in host answers the same
// request of a stand-in module, through the host interface's own implementation. Flight plans and
// radar targets are the World's standin::Aircraft, the user's controller its Controller, a
// display's view the ClientScreenAdapter of that display.
//
// Thread: the simulator's. The table's texts are the World's, valid until the callback returns.
#pragma once

#include "host/client_double/client_double.h"
#include "tools/kestrava-sim/client/client_adapters.h"
#include "tools/kestrava-sim/client/double_calls.h"

namespace kestrava::sim {

// The module's plug-in object as the World knows it. The table makes the adapter when the module
// constructs its plug-in object and deletes it when the module deletes that object.
struct ClientPlugInSlot {
  const DoubleCalls* calls = nullptr;
  ClientPlugInAdapter* adapter = nullptr;
};

// `slot` must outlive every use of the table.
KestravaDoubleHost WorldAsClient(ClientPlugInSlot& slot);

}  // namespace kestrava::sim
