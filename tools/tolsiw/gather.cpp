#include "tolsiw/gather.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tol/tolutil.h"

#ifdef TOLSIW_HAVE_SDL
#include <SDL.h>
#endif

#ifndef TOL_PROJECT_VERSION
#define TOL_PROJECT_VERSION "unknown"
#endif

namespace tolsiw {
namespace {

// The value after "key:" on the first line of a /proc file that starts with it.
std::string procValue(const char* file, const std::string& key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    size_t colon = line.find(':', key.size());
    if (colon == std::string::npos) continue;
    size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return {};
}

// "16318412 kB" as "15936 MB".
std::string megabytes(const std::string& kilobytesText) {
  if (kilobytesText.empty()) return "unknown";
  return std::to_string(std::strtoull(kilobytesText.c_str(), nullptr, 10) / 1024) + " MB";
}

const char* yesNo(bool on) { return on ? "yes" : "no"; }

Section processor() {
  Section s{"processor"};
  std::string model = procValue("/proc/cpuinfo", "model name");
  s.add("model", model.empty() ? "unknown" : model);
  s.add("logical cores", std::to_string(std::thread::hardware_concurrency()));
  __builtin_cpu_init();
  // The extensions the decoder and encoder kernels choose between at run
  // time; the AVX2 answer includes the operating system's support.
  s.add("sse2", yesNo(__builtin_cpu_supports("sse2")));
  s.add("sse4.1", yesNo(__builtin_cpu_supports("sse4.1")));
  s.add("avx2", yesNo(__builtin_cpu_supports("avx2")));
  const char* best = __builtin_cpu_supports("avx2")     ? "avx2"
                     : __builtin_cpu_supports("sse4.1") ? "sse4.1"
                     : __builtin_cpu_supports("sse2")   ? "sse2"
                                                        : "plain C++";
  s.add("kernels used", best);
  return s;
}

Section memory() {
  Section s{"memory"};
  s.add("total", megabytes(procValue("/proc/meminfo", "MemTotal")));
  s.add("available", megabytes(procValue("/proc/meminfo", "MemAvailable")));
  s.add("swap total", megabytes(procValue("/proc/meminfo", "SwapTotal")));
  return s;
}

const char* envOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

Section display() {
  Section s{"display"};
  s.add("DISPLAY", envOr("DISPLAY", "(not set)"));
  s.add("WAYLAND_DISPLAY", envOr("WAYLAND_DISPLAY", "(not set)"));
#ifdef TOLSIW_HAVE_SDL
  SDL_version v;
  SDL_GetVersion(&v);
  s.add("SDL version", std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch));
  std::vector<std::string> videoDrivers, audioDrivers, audioDevices;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) videoDrivers.push_back(SDL_GetVideoDriver(i));
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) audioDrivers.push_back(SDL_GetAudioDriver(i));
  s.addList("SDL video drivers", videoDrivers);
  // Without a display or a chosen driver, SDL would only fail or pick the
  // offscreen driver: do not start the video subsystem then.
  bool canShow = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("SDL_VIDEODRIVER");
  std::string current = "(no display)";
  if (canShow) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
      current = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "(none)";
      current += ", " + std::to_string(SDL_GetNumVideoDisplays()) + " display(s)";
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    } else {
      current = std::string("(failed: ") + SDL_GetError() + ")";
    }
  }
  s.add("SDL video driver", current);
  s.addList("SDL audio drivers", audioDrivers);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    s.add("SDL audio driver", SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "(none)");
    for (int i = 0; i < SDL_GetNumAudioDevices(0); ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      audioDevices.push_back(name ? name : "(unnamed)");
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else {
    s.add("SDL audio driver", std::string("(failed: ") + SDL_GetError() + ")");
  }
  s.addList("SDL audio devices", audioDevices);
  SDL_Quit();
#else
  s.add("SDL", "(not built in)");
#endif
  return s;
}

// The file a symbol was loaded from.
std::string loadedFrom(const void* symbol) {
  Dl_info info{};
  if (dladdr(symbol, &info) == 0 || !info.dli_fname) return "unknown";
  return info.dli_fname;
}

std::string thisProgram() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, size_t(n)) : "unknown";
}

Section suite() {
  Section s{"suite"};
  s.add("version", TOL_PROJECT_VERSION);
  s.add("program", thisProgram());
  s.add("tolutil", loadedFrom(reinterpret_cast<const void*>(&GetSwitch)));
  return s;
}

}  // namespace

Report gatherSystemReport() { return {processor(), memory(), display(), suite()}; }

}  // namespace tolsiw
