// The window back end: the plug-in next to this library (or next to the
// program) is loaded on the first message or status window when a display is
// there and TOL_UI is not "terminal"; its C table is wrapped as a Backend.
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <set>
#include <string>
#include <unistd.h>

#include "platform/ui.h"
#include "platform/ui_window_plugin.h"

TOL_NS_BEGIN
namespace ui {
namespace {

// The status windows alive, so that a message box owner can be told apart
// from a foreign window number (a launcher's) that cannot own a box here.
std::mutex g_viewsMutex;
std::set<const StatusView*> g_views;

class PluginView final : public StatusView {
 public:
  PluginView(const TolUiPlugin* p, void* handle) : p_(p), handle_(handle) {
    std::lock_guard<std::mutex> lock(g_viewsMutex);
    g_views.insert(this);
  }
  ~PluginView() override {
    {
      std::lock_guard<std::mutex> lock(g_viewsMutex);
      g_views.erase(this);
    }
    p_->statusDestroy(handle_);
  }
  void setText(const char* text) override { p_->statusSetText(handle_, text); }
  void setButton(const char* caption) override { p_->statusSetButton(handle_, caption); }
  StatusEvents poll(int waitMs) override {
    StatusEvents e;
    p_->statusPoll(handle_, waitMs, &e.buttonPresses, &e.closeRequests);
    return e;
  }
  bool visible() const override { return p_->statusVisible(handle_) != 0; }
  bool minimised() const override { return p_->statusMinimised(handle_) != 0; }

  static void* handleOf(const void* owner) {
    std::lock_guard<std::mutex> lock(g_viewsMutex);
    for (const StatusView* v : g_views)
      if (v == owner) return static_cast<const PluginView*>(v)->handle_;
    return nullptr;
  }

 private:
  const TolUiPlugin* p_;
  void* handle_;
};

class PluginBackend final : public Backend {
 public:
  explicit PluginBackend(const TolUiPlugin* p) : p_(p) {}
  Answer messageBox(const Message& m) override {
    const int a = p_->messageBox(m.text ? m.text : "", m.title ? m.title : "", static_cast<int>(m.icon),
                                 static_cast<int>(m.buttons), static_cast<int>(m.defaultAnswer),
                                 PluginView::handleOf(m.owner));
    return a ? Answer(a) : terminalBackend()->messageBox(m);
  }
  StatusView* createStatusView(const char* title, const char* note, void*) override {
    void* h = p_->statusCreate(title ? title : "", note ? note : "");
    return h ? new PluginView(p_, h) : createTerminalStatusView(title, note);
  }

 private:
  const TolUiPlugin* p_;
};

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

Backend* loadWindowBackend(const char* pluginPath) {
  void* lib = dlopen(pluginPath, RTLD_NOW | RTLD_LOCAL);
  if (!lib) return nullptr;
  auto open = reinterpret_cast<TolUiPluginOpenFn>(dlsym(lib, TOL_UI_PLUGIN_ENTRY));
  const TolUiPlugin* table = open ? open() : nullptr;
  if (!table || table->version != TOL_UI_PLUGIN_VERSION) {
    dlclose(lib);
    return nullptr;
  }
  // Kept for the life of the process, like the library it came from.
  return new PluginBackend(table);
}

Backend* findWindowBackend() {
  const char* choice = std::getenv("TOL_UI");
  if (choice && std::strcmp(choice, "terminal") == 0) return nullptr;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(x && *x) && !(wayland && *wayland)) return nullptr;
  std::string folders[2];
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&findWindowBackend), &info) && info.dli_fname) folders[0] = folderOf(info.dli_fname);
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) folders[1] = folderOf(std::string(exe, static_cast<size_t>(n)));
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string path = folder + "/" TOL_UI_PLUGIN_FILE;
    if (access(path.c_str(), R_OK) != 0) continue;
    if (Backend* b = loadWindowBackend(path.c_str())) return b;
  }
  return nullptr;
}

}  // namespace ui
TOL_NS_END
