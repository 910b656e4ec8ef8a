// The module's resources on POSIX: the .res file compiled from the resource script and built into
// this module (platform/posix/compiled_resources.h). The handle points at this module's own view
// of those bytes, so a backend in another module reads this module's templates.
#include "platform/module_resources.h"

#include "platform/headless/resource_file.h"
#include "platform/posix/compiled_resources.h"

namespace kestrava {

ModuleResources ThisModuleResources() {
  static const std::span<const std::uint8_t> resources = CompiledResources();
  return ModuleResources{&resources};
}

std::span<const std::uint8_t> FindDialogTemplate(ModuleResources module, int template_id) {
  if (module.handle == nullptr || template_id < 0 || template_id > 0xFFFF) return {};
  const auto& resources = *static_cast<const std::span<const std::uint8_t>*>(module.handle);
  return FindResourceInFile(resources, kResourceTypeDialog,
                            static_cast<std::uint16_t>(template_id));
}

}  // namespace kestrava
