// Hands a text with a tag to another process's window: how a tool's status
// window reports its last line to the launcher that started it.
//
// POSIX: the "window" is the receiving process's id (the launcher passes its
// own as the number after "/#"). The message is one datagram sent to the
// UNIX socket $XDG_RUNTIME_DIR/tolvideo-<id>.sock, or /tmp/tolvideo-<id>.sock
// when that variable is unset or empty. Datagram layout:
//   bytes 0-3   tag, 32-bit little-endian
//   bytes 4-7   size of the data in bytes, 32-bit little-endian
//   bytes 8...  the data, exactly `size` bytes
// The sender argument has no meaning across processes and is not sent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t kCopyDataHeaderSize = 8;
constexpr uint32_t kCopyDataMaxSize = 65536;  // largest data of one message

// 1 when the message was delivered, 0 when nobody listens under that id (or
// the id is not above 0, or the data is larger than kCopyDataMaxSize). Never
// waits for the receiver.
int32_t CopyData(intptr_t window, intptr_t sender, uint32_t tag, uint32_t size, const void* data);

// The socket path for an id; false when the id is not above 0 or the path
// does not fit.
bool copyDataSocketPath(intptr_t window, char* dest, size_t destSize);

// The receiving side.
struct CopyDataReceiver;
// Binds the socket of this id (replacing a stale socket file of the same
// user). Null on failure.
CopyDataReceiver* CopyDataListen(intptr_t window);
// Waits up to timeoutMs (0: only looks, -1: without limit) for one message.
// Returns 1 with the tag, the data (cut to capacity) and its full size; 0
// when none came; -1 on an error. Datagrams not laid out as above are
// dropped.
int32_t CopyDataReceive(CopyDataReceiver* r, uint32_t* tag, void* dest, uint32_t capacity, uint32_t* size,
                        int32_t timeoutMs);
// The socket's descriptor, for an event loop that waits on it; -1 for null.
int32_t CopyDataDescriptor(CopyDataReceiver* r);
// Closes the socket and removes its file.
void CopyDataClose(CopyDataReceiver* r);

TOL_NS_END
