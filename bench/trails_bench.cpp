// A full history-trail pass (phase 1 of one redraw) drawn by the platform's own backend into a
// 1920 x 1080 display with anti-aliasing: 500 aircraft with 6 marks each, and 2,000 aircraft with
// 99 marks each. Its baseline (BM_TrailPassAgainstDirect, the two timed in turn) draws the very
// same marks (pens, points) into the same display straight through the backend, with nothing of the
// plug-in around them: the pass is to cost at most a small multiple of that (the bound is in
// scripts/bench_targets.py), so the target holds on a machine of any speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/time_in_turn.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "screen/QEXScreen.h"
#include "tests/support/fake_env.h"

namespace kestrava {
namespace {

// The platform's backend, or the recording one of the fake while `recording` is set.
class PlatformDrawingEnv : public testing::FakeEnv {
 public:
  bool recording = false;
  Drawing& DrawingService() override {
    return recording ? drawing : Env::Default().DrawingService();
  }
};

// One mark of a trail as the pass draws it: its pen's colour and its outline.
struct Mark {
  Argb colour = 0;
  float width = 0;
  GpUnit unit = GpUnit::World;
  std::vector<PointF> outline;
};

// Aircraft spread over the display, each with `marks` + 1 positions about 8 pixels apart.
class TrailScene {
 public:
  TrailScene(int aircraft, int marks) {
    plugin_ = std::make_unique<QEXPlugin>(env_, registry_);
    world_.AttachPlugIn(plugin_.get());
    standin::DisplayOptions options;
    options.name = "Bench";
    options.width = 1920;
    options.height = 1080;
    options.centre = EuroScopePlugIn::CPosition{51.47, -0.46};
    options.scale_nm = 240.0;  // 8 pixels per nautical mile
    std::string error;
    display_ = world_.displays().Open(options, error);
    if (display_ == nullptr) throw std::runtime_error(error);
    screen_ = static_cast<QEXScreen*>(display_->screen());
    screen_->m_MaxTrail = marks;
    screen_->m_AntiAlias = 1;

    const double mile = 1.0 / 60.0;
    for (int a = 0; a < aircraft; ++a) {
      const std::string callsign = "TRL" + std::to_string(a);
      CAircraftData record(callsign);
      const double latitude = 51.47 + ((a * 37) % 120 - 60) * mile;
      const double longitude = -0.46 + ((a * 53) % 200 - 100) * 1.6 * mile;
      for (int i = 0; i <= marks; ++i) {
        record.m_Positions.push_back({latitude + i * 0.6 * mile, longitude + i * 0.8 * mile});
      }
      world_.AddOrGetAircraft(callsign).reported_gs = 250;
      registry_.AddAircraft(std::move(record));
    }
  }
  ~TrailScene() { plugin_.reset(); }

  void Pass() {
    screen_->OnRefresh(display_->canvas().dc(), EuroScopePlugIn::REFRESH_PHASE_BEFORE_TAGS);
  }
  void Flush() { benchmark::DoNotOptimize(display_->canvas().PixelAt(0, 0)); }

  // The marks one pass draws, in order, taken from a pass into the recording backend. A mark
  // drawn as anything but an outline (the baseline replays outlines only) has none.
  std::vector<Mark> RecordMarks() {
    env_.recording = true;
    env_.drawing.Clear();
    Pass();
    env_.recording = false;
    std::vector<Mark> marks;
    for (const testing::DrawingCall& call : env_.drawing.calls) {
      if (call.name == "GdipCreatePen1") {
        marks.push_back({static_cast<Argb>(call.args[0]),
                         static_cast<float>(call.args[1]),
                         static_cast<GpUnit>(call.args[2]),
                         {}});
      } else if (call.name == "GdipDrawLines" && !marks.empty()) {
        for (std::size_t i = 2; i + 1 < call.args.size(); i += 2) {
          marks.back().outline.push_back(
              {static_cast<float>(call.args[i]), static_cast<float>(call.args[i + 1])});
        }
      }
    }
    return marks;
  }

  // Draws `marks` into the display straight through the platform's backend, with the pass's
  // anti-aliasing and a pen of its own for each mark, as the pass does.
  void DrawDirect(const std::vector<Mark>& marks) {
    Drawing& drawing = Env::Default().DrawingService();
    GpGraphics* graphics = nullptr;
    if (drawing.GdipCreateFromHDC(display_->canvas().dc(), &graphics) != GpStatus::Ok) return;
    drawing.GdipSetSmoothingMode(graphics, SmoothingMode::AntiAlias);
    for (const Mark& mark : marks) {
      GpPen* pen = nullptr;
      if (drawing.GdipCreatePen1(mark.colour, mark.width, mark.unit, &pen) != GpStatus::Ok)
        continue;
      drawing.GdipDrawLines(graphics, pen, mark.outline.data(),
                            static_cast<int>(mark.outline.size()));
      drawing.GdipDeletePen(pen);
    }
    drawing.GdipDeleteGraphics(graphics);
  }

 private:
  PlatformDrawingEnv env_;
  AircraftRegistry registry_;
  standin::World world_;
  std::unique_ptr<QEXPlugin> plugin_;
  standin::Display* display_ = nullptr;
  QEXScreen* screen_ = nullptr;
};

void BM_TrailPass(benchmark::State& state) {
  TrailScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    scene.Pass();
    scene.Flush();  // the pixels are in the bitmap
  }
  state.counters["marks"] = static_cast<double>(state.range(0) * state.range(1));
}
BENCHMARK(BM_TrailPass)
    ->ArgNames({"aircraft", "marks"})
    ->Args({500, 6})
    ->Args({2000, 99})
    ->Unit(benchmark::kMillisecond);

// The pass against its baseline: the same marks drawn straight through the backend, the two in
// turn, pass by pass (time_in_turn.h).
void BM_TrailPassAgainstDirect(benchmark::State& state) {
  TrailScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::vector<Mark> marks = scene.RecordMarks();
  const bool outlines = std::all_of(marks.begin(), marks.end(),
                                    [](const Mark& mark) { return !mark.outline.empty(); });
  if (marks.size() != static_cast<std::size_t>(state.range(0) * state.range(1)) || !outlines) {
    state.SkipWithError("the trail pass drew other marks than outlines, one a position");
    return;
  }
  // Each until its pixels are in the bitmap.
  bench::TimeInTurn(
      state,
      [&scene] {
        scene.Pass();
        scene.Flush();
      },
      [&scene, &marks] {
        scene.DrawDirect(marks);
        scene.Flush();
      });
}
BENCHMARK(BM_TrailPassAgainstDirect)
    ->ArgNames({"aircraft", "marks"})
    ->Args({500, 6})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrava
