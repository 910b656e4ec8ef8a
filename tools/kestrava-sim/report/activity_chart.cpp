#include "tools/kestrava-sim/report/activity_chart.h"

#include <algorithm>
#include <cstddef>

namespace kestrava::sim::report {
namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 260;
constexpr int kLeft = 48;
constexpr int kRight = 48;
constexpr int kTop = 16;
constexpr int kBottom = 40;
constexpr int kPlotWidth = kWidth - kLeft - kRight;
constexpr int kPlotHeight = kHeight - kTop - kBottom;
constexpr int kTicks = 6;

double Y(int value, int most) {
  return kTop + kPlotHeight - static_cast<double>(kPlotHeight) * value / std::max(most, 1);
}

}  // namespace

void WriteActivityChart(std::ostream& out, const ReportModel& model) {
  const std::vector<int>& frequency = model.on_frequency();
  const std::vector<int>& codes = model.codes_per_interval();
  const int most_frequency = *std::max_element(frequency.begin(), frequency.end());
  const int most_codes = *std::max_element(codes.begin(), codes.end());
  const double slot = static_cast<double>(kPlotWidth) / static_cast<double>(frequency.size());

  out << "<svg id=\"activity\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " << kWidth << ' '
      << kHeight << "\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\" role=\"img\" aria-label=\"Aircraft on frequency and squawk codes set over time\">\n";
  out << "<rect x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << kPlotWidth << "\" height=\""
      << kPlotHeight << "\" fill=\"#f7f9fb\" stroke=\"#c9d2da\"/>\n";
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (codes[i] == 0) continue;
    const double y = Y(codes[i], most_codes);
    out << "<rect class=\"codes\" x=\"" << kLeft + slot * static_cast<double>(i) << "\" y=\"" << y
        << "\" width=\"" << std::max(1.0, slot - 1) << "\" height=\"" << kTop + kPlotHeight - y
        << "\" fill=\"#e8a33d\"/>\n";
  }
  out << "<polyline fill=\"none\" stroke=\"#1f6fb2\" stroke-width=\"2\" points=\"";
  for (std::size_t i = 0; i < frequency.size(); ++i) {
    const double y = Y(frequency[i], most_frequency);
    out << kLeft + slot * static_cast<double>(i) << ',' << y << ' '
        << kLeft + slot * static_cast<double>(i + 1) << ',' << y << ' ';
  }
  out << "\"/>\n";
  // Scales: aircraft on the left, codes on the right, times of day below.
  out << "<g font-family=\"sans-serif\" font-size=\"11\">\n";
  out << "<text x=\"" << kLeft - 6 << "\" y=\"" << kTop + 10
      << "\" text-anchor=\"end\" fill=\"#1f6fb2\">" << most_frequency << "</text>\n";
  out << "<text x=\"" << kLeft - 6 << "\" y=\"" << kTop + kPlotHeight
      << "\" text-anchor=\"end\">0</text>\n";
  out << "<text x=\"" << kWidth - kRight + 6 << "\" y=\"" << kTop + 10 << "\" fill=\"#b06f10\">"
      << most_codes << "</text>\n";
  const double period = model.interval_seconds() * static_cast<double>(frequency.size());
  for (int tick = 0; tick <= kTicks; ++tick) {
    const double x = kLeft + static_cast<double>(kPlotWidth) * tick / kTicks;
    out << "<text x=\"" << x << "\" y=\"" << kTop + kPlotHeight + 16 << "\" text-anchor=\"middle\">"
        << ClockText(model.start_unix_millis(), period * tick / kTicks) << "</text>\n";
  }
  out << "<text x=\"" << kLeft << "\" y=\"" << kHeight - 6 << "\" fill=\"#1f6fb2\">"
      << "&#9473; aircraft on frequency (most at once)</text>\n";
  out << "<text x=\"" << kLeft + kPlotWidth / 2 << "\" y=\"" << kHeight - 6
      << "\" fill=\"#b06f10\">"
      << "&#9646; squawk codes set (requests answered)</text>\n";
  out << "</g>\n</svg>\n";
}

}  // namespace kestrava::sim::report
