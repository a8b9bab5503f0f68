// The status window of the tools and the threaded dialog: what the tools call
// (exported in tol/status.h), over the status views and message boxes of the
// platform's user interface (platform/ui.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/libns.h"

TOL_NS_BEGIN

using StatusCancelCallback = void (*)();

void* StatusInit(void* instance, intptr_t owner, int32_t closeAtOnce);
int32_t StatusOpen(const char* title, const char* note, StatusCancelCallback onCancel);
int32_t StatusSet(const char* text);
void* StatusCheck();
void* StatusMessage(const char* text, int32_t isError);
void* StatusMessageTitle(const char* text, const char* caption, int32_t isError);
int32_t StatusAsk(const char* text, int32_t defaultNo);
int32_t StatusDoCancel();
void* StatusGetHWND();
void StatusClose(int32_t waitForUser);

// The window class name of a module: "TOLSTATUS" and a letter per 4-bit
// group of the low 16 bits of the instance handle, highest group first.
std::string statusClassName(uintptr_t instance);
// The status text, as the window shows it now ("" without a window).
std::string statusText();

using TOLDialogWorker = int32_t (*)(void* userValue, void* dialog);
using TOLDialogCommand = int32_t (*)(int32_t command, void* dialog);
using TOLDialogTimer = void (*)(void* dialog);

int32_t TOLDialogInit(void* instance, intptr_t owner, void* userValue, int32_t showState, int32_t autoClose,
                      TOLDialogWorker worker, TOLDialogCommand command);
void TOLDialogSetTimer(TOLDialogTimer callback, uint32_t milliseconds);
int32_t TOLDialogAsk(const char* text, int32_t style);
int32_t TOLDialogMessage(const char* text, int32_t style);
// The dialog's caption as it stands ("" without a dialog).
std::string dialogCaption();

TOL_NS_END
