#include "tests/support/recording_drawing.h"

namespace kestrava::testing {
namespace {

double Id(const void* handle) {
  return static_cast<double>(reinterpret_cast<std::uintptr_t>(handle));
}

template <class Handle>
Handle* HandleOf(std::uintptr_t id) {
  return reinterpret_cast<Handle*>(id);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const DrawingCall& call) {
  out << call.name << "(";
  for (std::size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
  if (!call.text.empty()) out << (call.args.empty() ? "" : ", ") << '"' << call.text << '"';
  return out << ")";
}

class RecordingDeviceContext final : public DeviceContextWrapper {
 public:
  RecordingDeviceContext(RecordingDrawing& owner, std::uintptr_t id) : owner_(owner), id_(id) {}
  ~RecordingDeviceContext() override {
    owner_.Forget(id_, "dc");
    owner_.Record("Detach", {});
  }

  GdiObject SelectObject(GdiObject object) override {
    const auto id = reinterpret_cast<std::uintptr_t>(object);
    const std::string kind = owner_.KindOf(id);
    double previous = 0;
    if (kind == "font") {
      previous = font_;
      font_ = static_cast<double>(id);
    } else if (kind == "pen") {
      previous = pen_;
      pen_ = static_cast<double>(id);
    } else if (kind == "brush") {
      previous = brush_;
      brush_ = static_cast<double>(id);
    }
    owner_.Record("SelectObject", {static_cast<double>(id), previous});
    return HandleOf<GdiObjectTag>(static_cast<std::uintptr_t>(previous));
  }

  void Draw3dRect(int x, int y, int cx, int cy, ColorRef top_left, ColorRef bottom_right) override {
    owner_.Record("Draw3dRect", {static_cast<double>(x), static_cast<double>(y),
                                 static_cast<double>(cx), static_cast<double>(cy),
                                 static_cast<double>(top_left), static_cast<double>(bottom_right)});
  }

  void FillRect(const Rect& rect, GdiObject brush) override {
    owner_.Record("FillRect",
                  {static_cast<double>(rect.left), static_cast<double>(rect.top),
                   static_cast<double>(rect.right), static_cast<double>(rect.bottom), Id(brush)});
  }

  ColorRef SetTextColor(ColorRef colour) override {
    owner_.Record("SetTextColor", {static_cast<double>(colour)});
    const ColorRef previous = text_colour_;
    text_colour_ = colour;
    return previous;
  }

  bool TextOutA(int x, int y, const char* text, int count) override {
    owner_.Record("TextOutA", {static_cast<double>(x), static_cast<double>(y)},
                  std::string(text, static_cast<std::size_t>(count)));
    return true;
  }

  TextExtent GetTextExtent(const char* text, int count) override {
    owner_.Record("GetTextExtent", {}, std::string(text, static_cast<std::size_t>(count)));
    return TextExtent{RecordingDrawing::kCharWidth * count, RecordingDrawing::kLineHeight};
  }

  int DrawTextA(const char* text, int count, const Rect& rect, std::uint32_t format) override {
    owner_.Record("DrawTextA",
                  {static_cast<double>(rect.left), static_cast<double>(rect.top),
                   static_cast<double>(rect.right), static_cast<double>(rect.bottom),
                   static_cast<double>(format)},
                  std::string(text, static_cast<std::size_t>(count)));
    return RecordingDrawing::kLineHeight;
  }

  BackgroundMode SetBkMode(BackgroundMode mode) override {
    owner_.Record("SetBkMode", {static_cast<double>(mode)});
    const BackgroundMode previous = background_mode_;
    background_mode_ = mode;
    return previous;
  }

  bool MoveTo(int x, int y) override {
    owner_.Record("MoveTo", {static_cast<double>(x), static_cast<double>(y)});
    return true;
  }

  bool LineTo(int x, int y) override {
    owner_.Record("LineTo", {static_cast<double>(x), static_cast<double>(y)});
    return true;
  }

 private:
  RecordingDrawing& owner_;
  std::uintptr_t id_;
  double font_ = RecordingDrawing::kStockFont;
  double pen_ = RecordingDrawing::kStockPen;
  double brush_ = RecordingDrawing::kStockBrush;
  ColorRef text_colour_ = 0;
  BackgroundMode background_mode_ = BackgroundMode::Opaque;
};

std::vector<DrawingCall> RecordingDrawing::Named(std::string_view name) const {
  std::vector<DrawingCall> out;
  for (const DrawingCall& call : calls) {
    if (call.name == name) out.push_back(call);
  }
  return out;
}

std::vector<std::string> RecordingDrawing::Names() const {
  std::vector<std::string> out;
  for (const DrawingCall& call : calls) out.push_back(call.name);
  return out;
}

std::uintptr_t RecordingDrawing::Make(const std::string& kind) {
  const std::uintptr_t id = next_id_++;
  live_[id] = kind;
  return id;
}

bool RecordingDrawing::Forget(std::uintptr_t id, const std::string& kind) {
  const auto it = live_.find(id);
  if (it == live_.end() || it->second != kind) return false;
  live_.erase(it);
  return true;
}

std::string RecordingDrawing::KindOf(std::uintptr_t id) const {
  if (id == static_cast<std::uintptr_t>(kStockFont)) return "font";
  if (id == static_cast<std::uintptr_t>(kStockPen)) return "pen";
  if (id == static_cast<std::uintptr_t>(kStockBrush)) return "brush";
  const auto it = live_.find(id);
  return it == live_.end() ? "" : it->second;
}

void RecordingDrawing::Record(std::string name, std::vector<double> args, std::string text) {
  calls.push_back(DrawingCall{std::move(name), std::move(args), std::move(text)});
}

GpStatus RecordingDrawing::GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput& input) {
  const std::uintptr_t id = Make("gdiplus");
  Record("GdiplusStartup",
         {static_cast<double>(input.GdiplusVersion), input.DebugEventCallback ? 1.0 : 0.0,
          input.SuppressBackgroundThread ? 1.0 : 0.0, input.SuppressExternalCodecs ? 1.0 : 0.0},
         {});
  *token = id;
  return GpStatus::Ok;
}

void RecordingDrawing::GdiplusShutdown(std::uintptr_t token) {
  Forget(token, "gdiplus");
  Record("GdiplusShutdown", {static_cast<double>(token)});
}

GpStatus RecordingDrawing::GdipCreateFromHDC(DeviceContext dc, GpGraphics** graphics) {
  Record("GdipCreateFromHDC", {Id(dc)});
  if (fail_graphics) {
    *graphics = nullptr;
    return GpStatus::GenericError;
  }
  *graphics = HandleOf<GpGraphics>(Make("graphics"));
  return GpStatus::Ok;
}

GpStatus RecordingDrawing::GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  Record("GdipSetSmoothingMode", {Id(graphics), static_cast<double>(mode)});
  return GpStatus::Ok;
}

GpStatus RecordingDrawing::GdipCreatePen1(Argb colour, float width, GpUnit unit, GpPen** pen) {
  const std::uintptr_t id = Make("gdiplus pen");
  Record("GdipCreatePen1",
         {static_cast<double>(colour), width, static_cast<double>(unit), static_cast<double>(id)});
  *pen = HandleOf<GpPen>(id);
  return GpStatus::Ok;
}

GpStatus RecordingDrawing::GdipDrawArc(GpGraphics* graphics, GpPen* pen, float x, float y,
                                       float width, float height, float start_angle,
                                       float sweep_angle) {
  Record("GdipDrawArc", {Id(graphics), Id(pen), x, y, width, height, start_angle, sweep_angle});
  return GpStatus::Ok;
}

GpStatus RecordingDrawing::GdipDrawLines(GpGraphics* graphics, GpPen* pen, const PointF* points,
                                         int count) {
  std::vector<double> args{Id(graphics), Id(pen)};
  for (int i = 0; i < count; ++i) {
    args.push_back(points[i].X);
    args.push_back(points[i].Y);
  }
  Record("GdipDrawLines", std::move(args));
  return GpStatus::Ok;
}

GpStatus RecordingDrawing::GdipDeletePen(GpPen* pen) {
  const bool known = Forget(reinterpret_cast<std::uintptr_t>(pen), "gdiplus pen");
  Record("GdipDeletePen", {Id(pen)});
  return known ? GpStatus::Ok : GpStatus::InvalidParameter;
}

GpStatus RecordingDrawing::GdipDeleteGraphics(GpGraphics* graphics) {
  const bool known = Forget(reinterpret_cast<std::uintptr_t>(graphics), "graphics");
  Record("GdipDeleteGraphics", {Id(graphics)});
  return known ? GpStatus::Ok : GpStatus::InvalidParameter;
}

GdiObject RecordingDrawing::CreatePointFont(int tenths, const char* face) {
  const std::uintptr_t id = Make("font");
  Record("CreatePointFont", {static_cast<double>(tenths), static_cast<double>(id)}, face);
  return HandleOf<GdiObjectTag>(id);
}

GdiObject RecordingDrawing::CreateSolidBrush(ColorRef colour) {
  const std::uintptr_t id = Make("brush");
  Record("CreateSolidBrush", {static_cast<double>(colour), static_cast<double>(id)});
  return HandleOf<GdiObjectTag>(id);
}

GdiObject RecordingDrawing::CreatePen(PenStyle style, int width, ColorRef colour) {
  const std::uintptr_t id = Make("pen");
  Record("CreatePen", {static_cast<double>(style), static_cast<double>(width),
                       static_cast<double>(colour), static_cast<double>(id)});
  return HandleOf<GdiObjectTag>(id);
}

bool RecordingDrawing::DeleteObject(GdiObject object) {
  const auto id = reinterpret_cast<std::uintptr_t>(object);
  const std::string kind = KindOf(id);
  const bool known = (kind == "font" || kind == "pen" || kind == "brush") && Forget(id, kind);
  Record("DeleteObject", {static_cast<double>(id)});
  return known;
}

std::unique_ptr<DeviceContextWrapper> RecordingDrawing::AttachDC(DeviceContext dc) {
  Record("AttachDC", {Id(dc)});
  if (dc == nullptr) return nullptr;
  return std::make_unique<RecordingDeviceContext>(*this, Make("dc"));
}

}  // namespace kestrava::testing
