/* The window back end of the user interface lives in a plug-in
 * (libtolui_qt.so) so that the library itself needs no toolkit. Only plain C
 * crosses the boundary: the plug-in exports tolUiPluginOpen, which returns a
 * table of functions; an adapter in the library turns it into a ui::Backend.
 * Values: icon 0 none, 1 information, 2 warning, 3 error, 4 question;
 * buttons 0 OK, 1 OK/Cancel, 2 Yes/No, 3 Yes/No/Cancel; answers 1 OK,
 * 2 Cancel, 6 Yes, 7 No. A function that cannot serve the call (a thread
 * other than the window thread, no display) returns 0 or null and the library
 * falls back to the terminal. */
#ifndef TOL_PLATFORM_UI_WINDOW_PLUGIN_H
#define TOL_PLATFORM_UI_WINDOW_PLUGIN_H

#define TOL_UI_PLUGIN_VERSION 1
#define TOL_UI_PLUGIN_FILE "libtolui_qt.so"
#define TOL_UI_PLUGIN_ENTRY "tolUiPluginOpen"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TolUiPlugin {
  int version;
  /* ownerView: a status window of this plug-in, or null. */
  int (*messageBox)(const char* text, const char* title, int icon, int buttons, int defaultAnswer, void* ownerView);
  void* (*statusCreate)(const char* title, const char* note);
  void (*statusDestroy)(void* view);
  void (*statusSetText)(void* view, const char* text);
  void (*statusSetButton)(void* view, const char* caption);
  /* Adds the button presses and close requests since the last call; waits
   * up to waitMs for one when there are none (0: no wait, -1: no limit). */
  void (*statusPoll)(void* view, int waitMs, int* buttonPresses, int* closeRequests);
  int (*statusVisible)(void* view);
  int (*statusMinimised)(void* view);
} TolUiPlugin;

typedef const TolUiPlugin* (*TolUiPluginOpenFn)(void);

#ifdef __cplusplus
}
#endif

#endif
