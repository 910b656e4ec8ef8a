// The resources of the module a piece of code is linked into: its dialog templates.
//
// ThisModuleResources() names the module that contains the calling code (on Windows the DLL or
// program whose image holds it; elsewhere the compiled templates built into it), so a plug-in
// module finds its own templates even when the dialog is run by a backend living in another
// module (the stand-in host's services). The templates are the resource script's, compiled by
// the resource compiler; nothing else describes them.
//
// Thread: any. No call throws.
#pragma once

#include <cstdint>
#include <span>

#include "platform/dialog.h"

namespace kestrava {

ModuleResources ThisModuleResources();

// The bytes of dialog template `template_id` (a DLGTEMPLATE or DLGTEMPLATEEX as the resource
// compiler writes it) in `module`; empty when the module has none of that id. The bytes live as
// long as the module.
std::span<const std::uint8_t> FindDialogTemplate(ModuleResources module, int template_id);

}  // namespace kestrava
