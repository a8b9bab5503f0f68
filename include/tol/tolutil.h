/* Command-line switches, strings, numbers and paths, exported by tolutil.
 *
 * Texts are zero-terminated byte strings changed in place. A blank is a byte
 * that, read as a signed 8-bit number, is at most 32: the bytes 1 to 32 and
 * every byte from 128 to 255.
 *
 * Buffer sizes. A function that writes a text of unbounded length into a
 * caller's buffer has a form ending in N that takes the buffer's size and
 * never writes past it; the form without N assumes TOL_TEXT_SIZE bytes.
 * Switch and word values that do not fit are cut (terminated) and reported;
 * paths that do not fit are refused and left as they were.
 *
 * POSIX adaptations:
 * - A slash starts a switch only at the start of the text or after a blank,
 *   and never inside double quotes, so that names holding '/' are not taken
 *   apart; a name that begins with '/' (an absolute path) must be quoted
 *   where it stands among switches, and glued switches ("/o/d5") are read
 *   only once the switch before them has been removed.
 * - Paths: '/' is the only separator and there are no drive letters.
 *   HasExtension finds the last '.' after the last '/', but dots that begin
 *   the final component (".profile", "..") start no extension. AddBackslash
 *   appends '/'. The full form of a path is its absolute form with "." and
 *   ".." resolved lexically. GetFilePieces gives no drive piece and GetDrive
 *   returns 0 after expanding the path. IsDirectory tests the path without
 *   changing the current directory unless asked to stay there. GetTempName's
 *   directory must end in '/' (or be empty).
 * - CheckForDup compares full forms with regard to case (POSIX names are
 *   case sensitive) and also refuses two names of one existing file.
 * - overwrite asks through the message box interface of the library; a run
 *   that nobody can be asked gets the default answer, No.
 * - CopyData: the window is the receiving process's id (the number after
 *   "/#"); the text goes as one datagram to the UNIX socket
 *   $XDG_RUNTIME_DIR/tolvideo-<id>.sock (/tmp/tolvideo-<id>.sock without
 *   that variable): tag (32-bit little-endian), size (32-bit little-endian),
 *   then the size bytes. The result is 1 when delivered, 0 when nobody
 *   listens. The sender is not sent. CopyDataListen and its companions are
 *   the receiving side. */
#ifndef TOL_TOLUTIL_H
#define TOL_TOLUTIL_H

#include "tol/api.h"
#include "tol/tolalloc.h"

/* Buffer size assumed by the forms without N: 255 characters and a zero. */
#define TOL_TEXT_SIZE 256
/* Sizes that always suffice for u32toa, CommaNum and GetElapsedTime. */
#define TOL_U32TOA_SIZE 12
#define TOL_COMMANUM_SIZE 14
#define TOL_ELAPSEDTIME_SIZE 24

/* ---- Switches ----
 * A switch is '/' and a letter (compared in upper case; pass upper case)
 * with its value glued on. Each parser removes what it recognised from the
 * text; a missing switch gives the default and leaves the text unchanged. */

/* '/X' followed by a byte below '0' read signed (end, blank, slash,
 * punctuation): removes the two bytes, returns 1; else 0. */
TOLAPI(int32_t) GetSwitch(char* text, char letter);
/* '/X' followed by a digit, or '-' and a digit: the signed decimal value
 * (held to the 32-bit range); else defaultValue. */
TOLAPI(int32_t) GetSwitchNum(char* text, char letter, int32_t defaultValue);
/* '/X' with a fraction ("29.97" = 2997/100, "30;1.001" = 30000/1001, "-15"
 * = -15/1): stores it reduced (denominator never 0), or the defaults. */
TOLAPI(void) GetSwitchFractional(char* text, char letter, int32_t* numerator, int32_t* denominator,
                                 int32_t defaultNumerator, int32_t defaultDenominator);
/* '/X' followed by a value not starting with a blank: a text in double
 * quotes, or the bytes up to the next blank or slash. Copies the value, or
 * defaultValue when the switch is missing, into dest.
 * GetSwitchStrN returns 0 missing, 1 found, 2 found but cut to destSize - 1;
 * GetSwitchStr returns 0 missing, 1 found. */
TOLAPI(int32_t) GetSwitchStrN(char* text, char letter, char* dest, uint32_t destSize, const char* defaultValue);
TOLAPI(int32_t) GetSwitchStr(char* text, char letter, char* dest, const char* defaultValue);

/* ---- Words and trimming ---- */
TOLAPI(void) Trim(char* text);      /* leading and trailing blanks */
TOLAPI(void) TrimAscii(char* text); /* the same as Trim */
TOLAPI(void) TrimL(char* text);     /* leading blanks */
/* Trims; then removes a double quote at both ends when both are there. */
TOLAPI(void) RemoveQuotes(char* text);
/* Cut the first word off text into dest: the non-blank bytes, the blanks
 * after them and one comma, trimmed (the comma stays); the rest of text is
 * trimmed at the left. The Quoted form takes a word that begins with a
 * double quote up to the closing quote (dest gets the text between them; an
 * unclosed quote takes the whole text) and trims the rest on both sides.
 * The N forms return the length of the whole word: dest holds all of it
 * when the result is below destSize. */
TOLAPI(uint32_t) GetAndRemoveFirstN(char* dest, uint32_t destSize, char* text);
TOLAPI(uint32_t) GetAndRemoveFirstQuotedN(char* dest, uint32_t destSize, char* text);
TOLAPI(void) GetAndRemoveFirst(char* dest, char* text);
TOLAPI(void) GetAndRemoveFirstQuoted(char* dest, char* text);
/* First occurrence of ch (not 0) in text, or null. */
TOLAPI(char*) findchar(const char* text, char ch);

/* ---- Numbers ---- */
/* value as a signed 32-bit decimal number; returns the terminating zero. */
TOLAPI(char*) u32toa(char* dest, uint32_t value);
/* Decimal value after white space and an optional sign (wraps modulo 2^32). */
TOLAPI(int32_t) atou32(const char* text);
/* Unsigned decimal with commas between groups of three digits. */
TOLAPI(void) CommaNum(char* dest, uint32_t value);
/* "250 milliseconds", "1 minute 1 second", "2 hours 1 minute"; returns dest. */
TOLAPI(char*) GetElapsedTime(char* dest, uint32_t milliseconds);
/* Divides both by their greatest common divisor; nothing when either is 0. */
TOLAPI(void) GCDNums(int32_t* a, int32_t* b);
/* Hundredths of frames per second from a frame time or rate: 0 -> 0;
 * above 0 (ms per frame) -> 100000 / rate; -1500..-1 -> -rate * 100; below
 * -1500 -> -rate; at least 5. */
TOLAPI(int32_t) MakeFrameRate(int32_t rate);

/* ---- Paths (changed in place) ---- */
/* The last '.' of the final component, or null. */
TOLAPI(char*) HasExtension(const char* path);
/* The absolute form. N forms: 1 done, 0 refused (does not fit, empty). */
TOLAPI(int32_t) ExpandFileNameN(char* path, uint32_t pathSize);
TOLAPI(void) ExpandFileName(char* path);
/* Trims; appends '/' to a path that is not empty and lacks one. */
TOLAPI(int32_t) AddBackslashN(char* path, uint32_t pathSize);
TOLAPI(void) AddBackslash(char* path);
/* 1 if the path names an existing directory; the path becomes its absolute
 * form without a trailing '/' (when it fits). stay: also make it the
 * current directory (1 only when that worked). */
TOLAPI(int32_t) IsDirectoryN(char* path, uint32_t pathSize, int32_t stay);
TOLAPI(int32_t) IsDirectory(char* path, int32_t stay);
/* The chosen pieces of the absolute form: drive (none), directory with its
 * '/', base name, extension with its dot; a directory gives only its
 * directory piece. An empty path stays empty. */
TOLAPI(int32_t) GetFilePiecesN(char* path, uint32_t pathSize, int32_t wantDrive, int32_t wantDirectory,
                               int32_t wantName, int32_t wantExtension);
TOLAPI(void) GetFilePieces(char* path, int32_t wantDrive, int32_t wantDirectory, int32_t wantName,
                           int32_t wantExtension);
/* Expands the path; returns its drive letter: 0, there are none. */
TOLAPI(char) GetDriveN(char* path, uint32_t pathSize);
TOLAPI(char) GetDrive(char* path);
/* dest = directory + 12-byte name from number and prefix (0x1234 with "XY"
 * gives "XYCBAAAA.AAA"). Returns dest, or null (dest empty) when the N form
 * finds no room. */
TOLAPI(char*) GetTempNameN(char* dest, uint32_t destSize, const char* directory, const char* prefix,
                           uint32_t number);
TOLAPI(char*) GetTempName(char* dest, const char* directory, const char* prefix, uint32_t number);

/* ---- Files ---- */
/* Size of the named file (at most 0xFFFFFFFF), 0 when it cannot be opened. */
TOLAPI(uint32_t) tolfilesize(const char* name);
/* 1 when the file may be written: it does not exist, or the user answers
 * Yes to "File <name> exists, overwrite?" (No is the default). */
TOLAPI(int32_t) overwrite(const char* name, int32_t useDialog);
/* 1 when input and output are different files, else shows "Output filename
 * must be different than the input filename." and returns 0. */
TOLAPI(int32_t) CheckForDup(const char* inputName, const char* outputName);

/* ---- Messages between processes ---- */
#define TOL_COPYDATA_MAX_SIZE 65536
/* 1 when the datagram was delivered; 0 when nobody listens, the window is
 * not above 0 or size exceeds TOL_COPYDATA_MAX_SIZE. Never waits. */
TOLAPI(int32_t) CopyData(intptr_t window, intptr_t sender, uint32_t tag, uint32_t size, const void* data);

typedef struct TOLCopyDataReceiver TOLCopyDataReceiver;
/* Binds the socket of this id (normally the caller's own process id). */
TOLAPI(TOLCopyDataReceiver*) CopyDataListen(intptr_t window);
/* Waits up to timeoutMs (0 only looks, -1 no limit) for one message: 1 with
 * tag, data (cut to capacity) and its full size; 0 none; -1 error. */
TOLAPI(int32_t) CopyDataReceive(TOLCopyDataReceiver* r, uint32_t* tag, void* dest, uint32_t capacity,
                                uint32_t* size, int32_t timeoutMs);
/* The socket's descriptor, for waiting on it in an event loop. */
TOLAPI(int32_t) CopyDataDescriptor(TOLCopyDataReceiver* r);
/* Closes the socket and removes its file. */
TOLAPI(void) CopyDataClose(TOLCopyDataReceiver* r);

#endif
