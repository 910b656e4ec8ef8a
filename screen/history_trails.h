// History trails: behind every tracked aircraft moving at 60 knots or more, marks at its latest
// radar positions before the present one, drawn with GDI+ on the display's device context. The
// marks' count, shape, colour, shrinking, fading and smoothing come from the display's settings.
//
// Thread: the host's thread, inside the refresh pass. Nothing is kept between passes; a failing
// drawing call leaves that mark undrawn and the pass goes on.
#pragma once

#include "aircraft/CAircraftData.h"
#include "platform/drawing.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

class QEXScreen;

// The whole pass: every record of the plug-in's registry, in index order.
void DrawHistoryTrails(QEXScreen& screen, EuroScopePlugIn::DeviceContext dc);
// One aircraft's trail, newest mark first.
void DrawAircraftTrail(GpGraphics* graphics, const CAircraftData& record, QEXScreen& screen);

// One mark centred on a whole pixel: a circle of diameter `size`, a diamond whose corners lie
// `size` from the centre, a square whose half side is `size`.
void DrawTrailCircle(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                     EuroScopePlugIn::ScreenPoint centre, float size);
void DrawTrailDiamond(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                      EuroScopePlugIn::ScreenPoint centre, float size);
void DrawTrailSquare(Drawing& drawing, GpGraphics* graphics, GpPen* pen,
                     EuroScopePlugIn::ScreenPoint centre, float size);

}  // namespace kestrava
