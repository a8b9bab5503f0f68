#include "tolana/reports.h"

#include <algorithm>
#include <cstdio>

namespace tolana {
namespace {

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string xmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Colours of video and of up to four sound tracks (repeated beyond).
const char* const kPartColours[] = {"#4a78c2", "#5fb35f", "#e0a030", "#a05fc0", "#40b0b0"};
const char* partColour(size_t part) { return part == 0 ? kPartColours[0] : kPartColours[1 + (part - 1) % 4]; }

}  // namespace

std::string csvReport(const ClipFacts& clip, const DataRate& rate) {
  std::string out = "frame,key,damaged,video";
  for (size_t t = 0; t < clip.trackIds.size(); ++t) out += ",track" + std::to_string(t + 1);
  out += ",total,rate_1s\n";
  for (size_t i = 0; i < clip.frames.size(); ++i) {
    const FrameFacts& f = clip.frames[i];
    out += std::to_string(i + 1) + "," + (f.keyFrame ? "1" : "0") + "," + (f.damaged ? "1" : "0") + "," +
           std::to_string(f.videoBytes);
    for (uint32_t t : f.trackBytes) out += "," + std::to_string(t);
    out += "," + std::to_string(f.total()) + "," + std::to_string(uint64_t(rate.perFrame[i] + 0.5)) + "\n";
  }
  return out;
}

std::string svgReport(const ClipFacts& clip, const DataRate& rate, const std::string& title) {
  const size_t n = clip.frames.size();
  const double barWidth = n ? std::clamp(900.0 / double(n), 1.0, 12.0) : 12.0;
  const double left = 80, top = 50, plotHeight = 300, plotWidth = std::max(300.0, barWidth * double(n));
  const double width = left + plotWidth + 90, height = top + plotHeight + 90;
  uint64_t largest = 1;
  for (const FrameFacts& f : clip.frames) largest = std::max(largest, f.total());
  const double ratePeak = std::max(1.0, rate.peak);
  const auto barY = [&](double bytes) { return top + plotHeight - bytes * plotHeight / double(largest); };
  const auto rateY = [&](double bps) { return top + plotHeight - bps * plotHeight / ratePeak; };

  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                  number(width) + "\" height=\"" + number(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += "<text x=\"" + number(left) + "\" y=\"20\" font-size=\"15\">" + xmlText(title) + "</text>\n";
  s += "<text x=\"" + number(left) + "\" y=\"38\">" + std::to_string(clip.width) + " x " +
       std::to_string(clip.height) + ", " + std::to_string(n) + " frames at " + number(clip.framesPerSecond()) +
       " fps, " + std::to_string(clip.trackIds.size()) + " sound track(s); average " +
       number(rate.average / 1000) + " kB/s, peak " + number(rate.peak / 1000) + " kB/s at frame " +
       std::to_string(rate.peakFrame + 1) + "</text>\n";
  // Axes: bytes per frame on the left, bytes per second on the right.
  s += "<g stroke=\"black\"><line x1=\"" + number(left) + "\" y1=\"" + number(top) + "\" x2=\"" + number(left) +
       "\" y2=\"" + number(top + plotHeight) + "\"/><line x1=\"" + number(left) + "\" y1=\"" +
       number(top + plotHeight) + "\" x2=\"" + number(left + plotWidth) + "\" y2=\"" + number(top + plotHeight) +
       "\"/></g>\n";
  s += "<text x=\"4\" y=\"" + number(top + 4) + "\">" + std::to_string(largest) + " B</text>\n";
  s += "<text x=\"" + number(left + plotWidth + 4) + "\" y=\"" + number(top + 4) + "\" fill=\"#c03030\">" +
       number(ratePeak / 1000) + " kB/s</text>\n";

  s += "<g class=\"bars\">\n";
  for (size_t i = 0; i < n; ++i) {
    const FrameFacts& f = clip.frames[i];
    const double x = left + barWidth * double(i);
    double below = 0;
    for (size_t part = 0; part <= f.trackBytes.size(); ++part) {
      const double bytes = part == 0 ? f.videoBytes : f.trackBytes[part - 1];
      s += "<rect x=\"" + number(x) + "\" y=\"" + number(barY(below + bytes)) + "\" width=\"" + number(barWidth) +
           "\" height=\"" + number(barY(below) - barY(below + bytes)) + "\" fill=\"" + partColour(part) + "\"/>\n";
      below += bytes;
    }
  }
  s += "</g>\n<g class=\"keys\" fill=\"#c03030\">\n";
  for (size_t i = 0; i < n; ++i) {
    if (!clip.frames[i].keyFrame) continue;
    const double x = left + barWidth * (double(i) + 0.5), y = top + plotHeight + 3;
    s += "<path d=\"M" + number(x) + " " + number(y) + " l-4 8 h8 z\"/>\n";
  }
  s += "</g>\n<polyline class=\"rate\" fill=\"none\" stroke=\"#c03030\" stroke-width=\"1.5\" points=\"";
  for (size_t i = 0; i < n; ++i)
    s += (i ? " " : "") + number(left + barWidth * (double(i) + 0.5)) + "," + number(rateY(rate.perFrame[i]));
  s += "\"/>\n<line class=\"average\" stroke=\"#c03030\" stroke-dasharray=\"6 4\" x1=\"" + number(left) +
       "\" y1=\"" + number(rateY(rate.average)) + "\" x2=\"" + number(left + plotWidth) + "\" y2=\"" +
       number(rateY(rate.average)) + "\"/>\n";

  // Legend.
  double lx = left;
  const double ly = top + plotHeight + 30;
  const auto legend = [&](const std::string& colour, const std::string& label) {
    s += "<rect x=\"" + number(lx) + "\" y=\"" + number(ly - 10) + "\" width=\"12\" height=\"12\" fill=\"" + colour +
         "\"/><text x=\"" + number(lx + 16) + "\" y=\"" + number(ly) + "\">" + xmlText(label) + "</text>\n";
    lx += 30 + 7 * double(label.size());
  };
  legend(partColour(0), "video");
  for (size_t t = 0; t < clip.trackIds.size(); ++t) legend(partColour(t + 1), "sound track " + std::to_string(t + 1));
  legend("#c03030", "data rate over 1 s (dashed: average), triangles: key frames");
  return s + "</svg>\n";
}

}  // namespace tolana
