// files/overlap.h - computing one piece of a long piece of work while the piece before it is
// used on a thread of its own: a poster's bands go to the encoder, a video's keyframes to the
// frames taken from them. The computing threads and the user of the pieces then share the
// processors, for one piece more of memory.
#pragma once
#include <cstdint>
#include <functional>
#include "platform/platform.h"

// Runs compute(i) for i = 0 .. count - 1 on this thread, and use(i) of each piece on another
// while compute(i + 1) runs; piece i goes to buffer i & 1 of two. compute returns false when
// it was cancelled. Stops at the first piece cancelled (an interrupt counts too) or failed to
// use, and tells which; done once every piece has been used.
PlatResult ComputeWhileUsing(int32_t count, const std::function<bool(int32_t)>& compute,
                             const std::function<PlatResult(int32_t)>& use);
