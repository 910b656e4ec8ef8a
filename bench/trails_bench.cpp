// A full history-trail pass (phase 1 of one redraw) drawn by the platform's own backend into a
// 1920 x 1080 display with anti-aliasing: 500 aircraft with 6 marks each, and 2,000 aircraft with
// 99 marks each. The first is meant to stay under 8 ms, half a frame at 60 Hz.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "screen/QEXScreen.h"
#include "tests/support/fake_env.h"

namespace kestrava {
namespace {

class PlatformDrawingEnv : public testing::FakeEnv {
 public:
  Drawing& DrawingService() override { return Env::Default().DrawingService(); }
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

}  // namespace
}  // namespace kestrava
