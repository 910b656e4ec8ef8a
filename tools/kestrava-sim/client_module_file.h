// Telling a module for the real client from a stand-in module by its file alone: a module for the
// real client is a PE image that exports the client's decorated entry point. The file is read as
// data; nothing of it is loaded or run.
#pragma once

#include <string>
#include <string_view>

namespace kestrava::sim {

// The entry points of a module for the real client, under the names the client looks up.
inline constexpr char kClientInitName[] =
    "?EuroScopePlugInInit@@YAXPAPAVCPlugIn@EuroScopePlugIn@@@Z";
inline constexpr char kClientExitName[] = "?EuroScopePlugInExit@@YAXXZ";

// Whether `image` (a whole PE file) names `name` in its export directory. False for anything
// that is not a well-formed PE image with one.
bool PeImageExports(std::string_view image, std::string_view name);

// Whether the file at `path` is a module for the real client. False when it cannot be read.
bool IsClientModuleFile(const std::string& path);

}  // namespace kestrava::sim
