#include "tools/kestrava-sim/extensions.h"

namespace kestrava::sim {

Extensions BuiltInExtensions() {
  Extensions extensions;
  RegisterFlightPlanStep(extensions);
  RegisterPositionStep(extensions);
  RegisterDisconnectStep(extensions);
  RegisterUnloadStep(extensions);
  RegisterSettingsEvents(extensions);
  RegisterDesktopEvents(extensions);
  RegisterUserMessageEvents(extensions);
  RegisterStatisticsLogColumn(extensions);
  RegisterTagsStep(extensions);
  RegisterGroundStateStep(extensions);
  RegisterSelectStep(extensions);
  RegisterFunctionStep(extensions);
  RegisterPopupStep(extensions);
  RegisterCommandStep(extensions);
  RegisterDialogEvents(extensions);
  RegisterClearedAltitudeEvents(extensions);
  RegisterPopupEditEvents(extensions);
  RegisterSquawkStep(extensions);
  RegisterSquawkEvents(extensions);
  RegisterSquawkServiceStep(extensions);
  RegisterDisplayOpenStep(extensions);
  RegisterSnapshotStep(extensions);
  RegisterClickStep(extensions);
  RegisterDragStep(extensions);
  RegisterDisplayCloseStep(extensions);
  RegisterDisplaySettingsEvents(extensions);
  return extensions;
}

}  // namespace kestrava::sim
