// The stand-in host's open radar displays: opening one (which asks the plug-in for its screen
// object and has it read the display's settings), redraws in the host's passes, clicks and drags
// on screen objects, typed commands, saving, closing and PNG snapshots.
//
// A redraw fills the background, runs refresh phase 0, draws the host's aircraft symbols and
// callsigns, then runs phases 1, 2 and 3; the screen objects registered during it are what clicks
// and drags find. Commands the plug-in declined are offered to the displays in the order they
// were opened until one handles it.
//
// Owned by the World. Thread: the host's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/display.h"

namespace standin {

class World;

class DisplayList {
 public:
  explicit DisplayList(World& world) : world_(world) {}
  DisplayList(const DisplayList&) = delete;
  DisplayList& operator=(const DisplayList&) = delete;

  // Opens the display, then asks the loaded plug-in (if any) for its screen object and calls its
  // OnAsrContentLoaded. Returns null and sets `error` for a duplicate or empty name, a size or
  // view outside the limits, or a bitmap that cannot be made.
  Display* Open(const DisplayOptions& options, std::string& error);
  Display* Find(const std::string& name);
  std::vector<std::string> Names() const;  // in order of opening

  void Redraw(Display& display);
  // Redraws every display whose screen object asked for a refresh (and every new display);
  // returns how many were redrawn.
  int RedrawRequested();
  // Redraws the display and writes it to a PNG file. False when there is no such display or the
  // file cannot be written.
  bool Snapshot(const std::string& display, const std::string& path);

  // A click with `button` on the centre of the object of `type` registered last in the latest
  // redraw. False when the display or the object does not exist.
  bool Click(const std::string& display, int type, int button);
  // A drag of the movable object of `type` registered last to (x, y). False when the display
  // does not exist or has no such movable object.
  bool Drag(const std::string& display, int type, int x, int y, bool released);
  // Offers a command line to the displays' screen objects; true when one handled it.
  bool OfferCommand(const std::string& line);

  // Has the display's screen object write its settings. False when there is no such display.
  bool SaveSettings(const std::string& display);
  // Closes the display: its screen object ends itself, then the display goes. Nothing is saved.
  bool Close(const std::string& display);
  // Closes every screen object (the plug-in goes away); the displays stay open without one.
  void CloseScreens();

 private:
  World& world_;
  std::vector<std::unique_ptr<Display>> displays_;
};

}  // namespace standin
