// files/overlap.cpp - one piece computed while the one before is used.
#include "files/overlap.h"
#include <system_error>
#include <thread>

PlatResult ComputeWhileUsing(int32_t count, const std::function<bool(int32_t)>& compute,
                             const std::function<PlatResult(int32_t)>& use) {
    PlatResult result = PlatDone(), used = PlatDone();
    std::thread user;
    for (int32_t i = 0; i < count && result; ++i) {
        const bool computed = compute(i);
        if (user.joinable()) user.join();
        if (!computed || PlatCancelRequested()) {
            result = PlatCancelled();
        } else if (!used) {
            result = used;
        } else {
            try {
                user = std::thread([&used, &use, i] { used = use(i); });
            } catch (const std::system_error&) {
                used = use(i);   // no thread to spare: the piece is used here, before the next
            }
        }
    }
    if (user.joinable()) user.join();
    if (result && !used) result = used;
    if (result && PlatCancelRequested()) result = PlatCancelled();
    return result;
}
