// Exported status window and threaded dialog: thin wrappers over the
// library's own functions.
#include "tol/status.h"
#include "util/status.h"

TOLAPI(void*) StatusInit(void* instance, intptr_t owner, int32_t closeAtOnce) {
  return tol::StatusInit(instance, owner, closeAtOnce);
}
TOLAPI(int32_t) StatusOpen(const char* title, const char* note, StatusCancelCallback onCancel) {
  return tol::StatusOpen(title, note, onCancel);
}
TOLAPI(int32_t) StatusSet(const char* text) { return tol::StatusSet(text); }
TOLAPI(void*) StatusCheck(void) { return tol::StatusCheck(); }
TOLAPI(void*) StatusMessage(const char* text, int32_t isError) { return tol::StatusMessage(text, isError); }
TOLAPI(void*) StatusMessageTitle(const char* text, const char* caption, int32_t isError) {
  return tol::StatusMessageTitle(text, caption, isError);
}
TOLAPI(int32_t) StatusAsk(const char* text, int32_t defaultNo) { return tol::StatusAsk(text, defaultNo); }
TOLAPI(int32_t) StatusDoCancel(void) { return tol::StatusDoCancel(); }
TOLAPI(void*) StatusGetHWND(void) { return tol::StatusGetHWND(); }
TOLAPI(void) StatusClose(int32_t waitForUser) { tol::StatusClose(waitForUser); }

TOLAPI(int32_t)
TOLDialogInit(void* instance, intptr_t owner, void* userValue, int32_t showState, int32_t autoClose,
              TOLDialogWorker worker, TOLDialogCommand command) {
  return tol::TOLDialogInit(instance, owner, userValue, showState, autoClose, worker, command);
}
TOLAPI(void) TOLDialogSetTimer(TOLDialogTimer callback, uint32_t milliseconds) {
  tol::TOLDialogSetTimer(callback, milliseconds);
}
TOLAPI(int32_t) TOLDialogAsk(const char* text, int32_t style) { return tol::TOLDialogAsk(text, style); }
TOLAPI(int32_t) TOLDialogMessage(const char* text, int32_t style) { return tol::TOLDialogMessage(text, style); }
