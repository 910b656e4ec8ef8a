// The Windows simulator's way to play a module for the real client. That module imports the
// client's library under the name of the stand-in host's library, which this program has loaded
// already, and Windows keeps one library of a name in a process; so the run is played by the
// companion program kestrava-sim-client.exe beside this one, which has no stand-in host library
// of that name. It gets the same arguments and this program's standard streams, and its exit code
// is this program's: the run's output is the same as if played here.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrava::sim {

// Plays the run (`args`, the arguments after the program's name) in the companion program when
// `module` is a module for the real client, and returns its exit code; nothing when the module is
// not one. When the companion cannot be started, says so on `err` and returns kExitLoadFailed.
std::optional<int> PlayInClientProgram(const std::string& module,
                                       const std::vector<std::string>& args, std::ostream& err);

}  // namespace kestrava::sim
