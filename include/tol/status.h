/* The status window of the tools and the threaded dialog, exported by
 * tolutil.
 *
 * A tool opens the status window, sets its line between steps, calls
 * StatusCheck to let it answer the user, asks its questions through it and
 * closes it at the end; the window reports its last line to the launcher
 * that started the tool (the owner, the number after "/#").
 *
 * POSIX adaptations:
 * - Window handles are opaque pointers; the owner is the launcher's process
 *   id, and the last line goes to it as the copy-data datagram of CopyData
 *   (tag 4660) described in tol/tolutil.h.
 * - The status window is a view of the library's user interface: a window
 *   when a window back end is installed, else one progress line on stderr
 *   with the elapsed time and an estimate of the time left (read from "n of
 *   m" or "n%" in the status text). On a terminal Ctrl-C is the Cancel
 *   button and SIGTERM or SIGHUP closing the window; questions are asked on
 *   the terminal, and a run without one gets the safe answers: No to a
 *   question whose default is No (replacing a file), Yes to "Do you want to
 *   cancel?". The terminal does not wait for "&Done": its last line stays
 *   in view.
 * - StatusClose does not wait for "&Done" either when its owner does not
 *   take the last line (no launcher listens under that id any more): the
 *   tool was not started by a launcher that someone is using.
 * - The instance handle only names the window class (StatusInit) and, for
 *   TOLDialogInit, carries the dialog's caption as a zero-terminated text
 *   (null: the program's name), since there are no dialog templates here.
 *   The dialog is shown like the status window; TOLDialogInit waits for the
 *   worker before it returns, even when the dialog was closed first. */
#ifndef TOL_STATUS_H
#define TOL_STATUS_H

#include "tol/api.h"

typedef void(TOL_CC* StatusCancelCallback)(void);
typedef int32_t(TOL_CC* TOLDialogWorker)(void* userValue, void* dialog);
/* Returns 0 to close the dialog, non-zero to keep it. */
typedef int32_t(TOL_CC* TOLDialogCommand)(int32_t command, void* dialog);
typedef void(TOL_CC* TOLDialogTimer)(void* dialog);

TOLAPI(void*) StatusInit(void* instance, intptr_t owner, int32_t closeAtOnce);
/* 1 on success; the window starts hidden with the text "Loading...". */
TOLAPI(int32_t) StatusOpen(const char* title, const char* note, StatusCancelCallback onCancel);
/* Non-zero while the window exists; the first call shows it. */
TOLAPI(int32_t) StatusSet(const char* text);
/* The window, null once it has gone; answers what the user did meanwhile. */
TOLAPI(void*) StatusCheck(void);
TOLAPI(void*) StatusMessage(const char* text, int32_t isError);
TOLAPI(void*) StatusMessageTitle(const char* text, const char* caption, int32_t isError);
/* 1 Yes, 0 No; the question and " Yes." or " No." become the status text. */
TOLAPI(int32_t) StatusAsk(const char* text, int32_t defaultNo);
/* Asks "Do you want to cancel?" unless cancelled already; the cancelled flag. */
TOLAPI(int32_t) StatusDoCancel(void);
TOLAPI(void*) StatusGetHWND(void);
TOLAPI(void) StatusClose(int32_t waitForUser);

/* The worker's result, 0 when the dialog cannot be made. */
TOLAPI(int32_t)
TOLDialogInit(void* instance, intptr_t owner, void* userValue, int32_t showState, int32_t autoClose,
              TOLDialogWorker worker, TOLDialogCommand command);
TOLAPI(void) TOLDialogSetTimer(TOLDialogTimer callback, uint32_t milliseconds);
/* 1 Yes, 0 No, 2 Cancel. Style 32 to 63 adds Cancel; low 5 bits: 0 second
 * button default, 2 third, else first. */
TOLAPI(int32_t) TOLDialogAsk(const char* text, int32_t style);
/* 0 for OK, 2 otherwise. */
TOLAPI(int32_t) TOLDialogMessage(const char* text, int32_t style);

#endif
