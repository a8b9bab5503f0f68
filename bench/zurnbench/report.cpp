#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "child_process.h"

namespace zurnbench {
namespace {

std::string num(double v, int decimals) {
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string mib(long kib) { return kib < 0 ? "n/a" : num(double(kib) / 1024, 1); }

// CSV field: quoted when it holds a separator or a quote.
std::string csv(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// Markdown cell text: a "|" would end the cell.
std::string cell(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
  return bool(f.flush());
}

const VideoResult* find(const std::vector<VideoResult>& results, const std::string& codec, long rate) {
  for (const VideoResult& r : results)
    if (r.codec == codec && r.targetRate == rate) return &r;
  return nullptr;
}

std::vector<std::pair<double, double>> curveOf(const std::vector<VideoResult>& results, const std::string& codec) {
  std::vector<std::pair<double, double>> curve;
  for (const VideoResult& r : results)
    if (r.codec == codec && r.ok && std::isfinite(r.quality.psnrY()))
      curve.emplace_back(r.bytesPerSecond, r.quality.psnrY());
  std::sort(curve.begin(), curve.end());
  return curve;
}

std::string ratio(double a, double b) { return a > 0 && b > 0 ? num(a / b, 2) + "x" : "n/a"; }

std::string signedDb(double d) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%+.2f", d);
  return buf;
}

std::string ratioTable(const std::vector<VideoResult>& results) {
  std::vector<long> rates;
  for (const VideoResult& r : results)
    if (std::find(rates.begin(), rates.end(), r.targetRate) == rates.end()) rates.push_back(r.targetRate);
  std::ostringstream t;
  t << "| target B/s | Zurn against | achieved rate | decode speed | decode + blit speed | encode speed | "
       "PSNR Y, same target | PSNR Y, equal rate |\n"
       "|---:|---|---:|---:|---:|---:|---:|---:|\n";
  for (const std::string vp8 : {"VP8 rt", "VP8 good"}) {
    const auto curve = curveOf(results, vp8);
    for (long rate : rates) {
      const VideoResult* z = find(results, "Zurn", rate);
      const VideoResult* v = find(results, vp8, rate);
      t << "| " << rate << " | " << vp8 << " | ";
      if (!z || !v || !z->ok || !v->ok) {
        t << "n/a: " << (!z || !z->ok ? "Zurn" : vp8) << " has no result (see notes) | | | | | |\n";
        continue;
      }
      const auto atRate = psnrAtRate(curve, z->bytesPerSecond);
      t << ratio(z->bytesPerSecond, v->bytesPerSecond) << " | " << ratio(z->decodeFps, v->decodeFps) << " | "
        << ratio(z->decodeBlitFps, v->decodeBlitFps) << " | " << ratio(z->encodeFps, v->encodeFps) << " | "
        << signedDb(z->quality.psnrY() - v->quality.psnrY()) << " dB | "
        << (atRate ? signedDb(z->quality.psnrY() - *atRate) + " dB" : std::string("outside VP8's range")) << " |\n";
    }
  }
  t << "\nRatios are Zurn's figure divided by VP8's (above 1: Zurn is faster or spends more bytes). "
       "PSNR differences are Zurn minus VP8 in dB: at the same target rate, and at Zurn's achieved rate on VP8's "
       "measured rate curve (interpolated in log rate between VP8's two nearest points; not extrapolated).\n";
  return t.str();
}

}  // namespace

std::optional<double> psnrAtRate(std::vector<std::pair<double, double>> curve, double rate) {
  std::sort(curve.begin(), curve.end());
  for (size_t i = 0; i < curve.size(); ++i) {
    if (curve[i].first == rate) return curve[i].second;
    if (i + 1 < curve.size() && curve[i].first < rate && rate < curve[i + 1].first) {
      const double t = std::log(rate / curve[i].first) / std::log(curve[i + 1].first / curve[i].first);
      return curve[i].second + t * (curve[i + 1].second - curve[i].second);
    }
  }
  return std::nullopt;
}

bool writeVideoReport(const std::string& outDir, const Clip& clip, const std::vector<VideoResult>& results) {
  std::ostringstream md, legend, notes, c;
  md << "## " << clip.name << ": " << clip.width << " x " << clip.height << ", " << clip.frames() << " frames at "
     << clip.fpsNum << (clip.fpsDen == 1 ? "" : "/" + std::to_string(clip.fpsDen)) << " fps\n\n"
     << "| codec | target B/s | achieved B/s | PSNR Y | PSNR Cb | PSNR Cr | worst frame Y | encode fps | "
        "decode fps | decode + blit fps | peak MiB encode / decode |\n"
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  c << "clip,codec,setting,target_Bps,ok,achieved_Bps,psnr_y,psnr_cb,psnr_cr,worst_frame_psnr_y,worst_frame,"
       "encode_fps,encode_cpu_s,decode_fps,decode_blit_fps,encode_peak_KiB,decode_peak_KiB,note\n";
  std::map<std::string, bool> listed;
  for (const VideoResult& r : results) {
    const ClipQuality& q = r.quality;
    if (r.ok)
      md << "| " << r.codec << " | " << r.targetRate << " | " << num(r.bytesPerSecond, 0) << " | "
         << num(q.psnrY(), 2) << " | " << num(q.psnrCb(), 2) << " | " << num(q.psnrCr(), 2) << " | "
         << num(q.worstY, 2) << " (" << q.worstFrame << ") | " << num(r.encodeFps, 1) << " | "
         << num(r.decodeFps, 0) << " | " << num(r.decodeBlitFps, 0) << " | " << mib(r.encodePeakKiB) << " / "
         << mib(r.decodePeakKiB) << " |\n";
    else
      md << "| " << r.codec << " | " << r.targetRate << " | failed (see notes) | | | | | | | | |\n";
    if (!r.setting.empty() && !listed[r.codec + r.setting]) {
      listed[r.codec + r.setting] = true;
      legend << "- " << r.codec << ": " << cell(r.setting) << "\n";
    }
    if (!r.note.empty()) notes << "- " << r.codec << " at " << r.targetRate << ": " << cell(r.note) << "\n";
    c << csv(clip.name) << "," << csv(r.codec) << "," << csv(r.setting) << "," << r.targetRate << ","
      << (r.ok ? 1 : 0) << "," << num(r.bytesPerSecond, 1) << "," << num(q.psnrY(), 4) << ","
      << num(q.psnrCb(), 4) << "," << num(q.psnrCr(), 4) << "," << num(q.worstY, 4) << "," << q.worstFrame << ","
      << num(r.encodeFps, 3) << "," << num(r.encodeCpuSeconds, 3) << "," << num(r.decodeFps, 1) << ","
      << num(r.decodeBlitFps, 1) << "," << r.encodePeakKiB << "," << r.decodePeakKiB << "," << csv(r.note) << "\n";
  }
  const std::string ratios = ratioTable(results);
  md << "\n### Zurn against VP8\n\n" << ratios << "\n### Settings\n\n" << legend.str();
  if (!notes.str().empty()) md << "\n### Notes\n\n" << notes.str();
  const std::string base = outDir + "/" + clip.name;
  return writeFile(base + ".md", md.str()) && writeFile(base + ".csv", c.str()) &&
         writeFile(base + "-ratios.md", ratios);
}

bool plotVideo(const std::string& outDir, const std::string& workDir, const Clip& clip,
               const std::vector<VideoResult>& results, std::string& error) {
  if (!onPath("gnuplot")) {
    error = "gnuplot is not installed (gnuplot-nox; scripts/setup.sh --bench)";
    return false;
  }
  std::vector<std::string> codecs;
  for (const VideoResult& r : results)
    if (std::find(codecs.begin(), codecs.end(), r.codec) == codecs.end()) codecs.push_back(r.codec);
  std::ostringstream data, plot;
  int block = 0;
  double lowest = 1e300, highest = 0;
  for (const std::string& codec : codecs) {
    const auto curve = curveOf(results, codec);
    if (curve.empty()) continue;
    lowest = std::min(lowest, curve.front().first);
    highest = std::max(highest, curve.back().first);
    for (const auto& [rate, psnr] : curve) data << rate << " " << psnr << "\n";
    data << "\n\n";
    plot << (block ? ", " : "plot ") << "'" << workDir << "/" << clip.name << "-plot.dat' index " << block
         << " with linespoints lw 2 pt 7 title '" << codec << "'";
    ++block;
  }
  if (!block) {
    error = "no codec produced a result to plot";
    return false;
  }
  // Rate tics at 1, 2 and 5 times the powers of ten the curves span.
  std::ostringstream tics;
  for (double decade = std::pow(10, std::floor(std::log10(lowest))); decade <= highest; decade *= 10)
    for (double m : {1, 2, 5})
      if (m * decade >= lowest / 1.3 && m * decade <= highest * 1.3)
        tics << (tics.str().empty() ? "" : ", ") << std::llround(m * decade);
  const std::string script = workDir + "/" + clip.name + "-plot.gp";
  std::ostringstream gp;
  gp << "set terminal pngcairo noenhanced size 960,600 font 'sans,11'\n"
     << "set output '" << outDir << "/" << clip.name << ".png'\n"
     << "set title '" << clip.name << ": PSNR of Y against data rate (" << clip.width << "x" << clip.height << ", "
     << clip.frames() << " frames)'\n"
     << "set xlabel 'bytes per second (achieved)'\nset ylabel 'PSNR Y (dB)'\nset logscale x\nset grid\n"
     << "set autoscale xfix\nset offsets graph 0.05, graph 0.05, graph 0.05, graph 0.05\n"
     << "set xtics (" << tics.str() << ")\n"
     << "set key bottom right\n"
     << plot.str() << "\n";
  if (!writeFile(workDir + "/" + clip.name + "-plot.dat", data.str()) || !writeFile(script, gp.str())) {
    error = "cannot write the plot files";
    return false;
  }
  const ChildRun run = runChild({"gnuplot", script}, 60);
  if (!run.ok()) error = "gnuplot: " + run.failure();
  return run.ok();
}

bool writeSoundReport(const std::string& outDir, const std::string& name, const std::string& source,
                      const std::vector<SoundResult>& results) {
  std::ostringstream md, notes, remarks, c;
  std::map<std::string, bool> remarked;
  md << "## " << name << "\n\n"
     << "| codec | setting | target B/s | achieved B/s | SNR dB | delay found | encode x real time | "
        "decode x real time | peak MiB encode / decode |\n"
        "|---|---|---:|---:|---:|---:|---:|---:|---:|\n";
  c << "file,codec,setting,target_Bps,ok,achieved_Bps,snr_db,lag_samples,encode_realtime,decode_realtime,"
       "encode_peak_KiB,decode_peak_KiB,note\n";
  for (const SoundResult& r : results) {
    const std::string target = r.targetRate > 0 ? num(r.targetRate, 0) : "-";
    if (r.ok)
      md << "| " << r.codec << " | " << cell(r.setting) << " | " << target << " | " << num(r.bytesPerSecond, 0)
         << " | " << num(r.snrDb, 2) << " | " << r.lag << " | " << num(r.encodeRealtime, 0) << " | "
         << num(r.decodeRealtime, 0) << " | " << mib(r.encodePeakKiB) << " / " << mib(r.decodePeakKiB) << " |\n";
    else
      md << "| " << r.codec << " | " << cell(r.setting) << " | " << target << " | failed (see notes) | | | | | |\n";
    if (!r.note.empty()) notes << "- " << r.codec << ", " << cell(r.setting) << ": " << cell(r.note) << "\n";
    if (!r.remark.empty() && !remarked[r.codec]) {
      remarked[r.codec] = true;
      remarks << "- " << r.codec << ": " << cell(r.remark) << "\n";
    }
    c << csv(name) << "," << csv(r.codec) << "," << csv(r.setting) << "," << num(r.targetRate, 1) << ","
      << (r.ok ? 1 : 0) << "," << num(r.bytesPerSecond, 1) << "," << num(r.snrDb, 4) << "," << r.lag << ","
      << num(r.encodeRealtime, 2) << "," << num(r.decodeRealtime, 2) << "," << r.encodePeakKiB << ","
      << r.decodePeakKiB << "," << csv(r.note) << "\n";
  }
  md << "\nSource: " << source << ". SNR over the whole original, after shifting the decoded sound by the delay "
        "found (sample frames; positive: the decoded sound starts late).\n\n"
     << remarks.str();
  if (!notes.str().empty()) md << "\n### Notes\n\n" << notes.str();
  return writeFile(outDir + "/" + name + ".md", md.str()) && writeFile(outDir + "/" + name + ".csv", c.str());
}

}  // namespace zurnbench
