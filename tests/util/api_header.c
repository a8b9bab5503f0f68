/* The public header compiles as C, and every function it declares is
 * exported by the shared library (the program would not link otherwise). */
#include "tol/tolutil.h"

const void* const tolutil_api_functions[] = {
    (const void*)GetSwitch, (const void*)GetSwitchNum, (const void*)GetSwitchFractional,
    (const void*)GetSwitchStrN, (const void*)GetSwitchStr, (const void*)Trim, (const void*)TrimAscii,
    (const void*)TrimL, (const void*)RemoveQuotes, (const void*)GetAndRemoveFirstN,
    (const void*)GetAndRemoveFirstQuotedN, (const void*)GetAndRemoveFirst, (const void*)GetAndRemoveFirstQuoted,
    (const void*)findchar, (const void*)u32toa, (const void*)atou32, (const void*)CommaNum,
    (const void*)GetElapsedTime, (const void*)GCDNums, (const void*)MakeFrameRate, (const void*)HasExtension,
    (const void*)ExpandFileNameN, (const void*)ExpandFileName, (const void*)AddBackslashN, (const void*)AddBackslash,
    (const void*)IsDirectoryN, (const void*)IsDirectory, (const void*)GetFilePiecesN, (const void*)GetFilePieces,
    (const void*)GetDriveN, (const void*)GetDrive, (const void*)GetTempNameN, (const void*)GetTempName,
    (const void*)tolfilesize, (const void*)overwrite, (const void*)CheckForDup, (const void*)CopyData,
    (const void*)CopyDataListen, (const void*)CopyDataReceive, (const void*)CopyDataDescriptor,
    (const void*)CopyDataClose, (const void*)tolmalloc, (const void*)tolfree,
};
const unsigned tolutil_api_function_count = sizeof tolutil_api_functions / sizeof tolutil_api_functions[0];
