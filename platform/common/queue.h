// platform/common/queue.h - the desktop's message order for the backends that have to imitate it.
//
// Input and posted messages come first, oldest first; then the quit request; then one
// WM_PAINT while the window is invalid; then WM_TIMER for a due timer, only when nothing
// else waits. A due timer fires once and is due again one period after it fired, so a
// timer that fell behind never delivers a burst.
#pragma once
#include <cstdint>
#include "platform/platform.h"

constexpr int QueueCapacity = 1024;   // messages beyond this are dropped, as a full desktop queue does
constexpr int TimerCapacity = 16;
constexpr int TimerMinimumMs = 10;    // shorter periods are raised to this, as the desktop does

struct WindowTimer {
    int     Id;
    int64_t PeriodMs;
    int64_t DueMs;        // clock time at which the next WM_TIMER may be delivered
    bool    Set;
};

struct MessageQueue {
    PlatMsg     Posted[QueueCapacity];   // ring of input and posted messages
    int         Head, Count;
    bool        Invalid;                 // the window owes a paint; BeginPaint validates it
    bool        QuitPosted;
    int         QuitCode;
    WindowTimer Timers[TimerCapacity];
};

enum class QueueResult { Message, Quit, Nothing };

void QueueClear(MessageQueue& q);
bool QueuePost(MessageQueue& q, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Takes the next message in priority order at clock time nowMs. Paint and quit stay
// pending until validated or the queue is cleared.
QueueResult QueueNext(MessageQueue& q, int64_t nowMs, PlatMsg* msg);

void    QueueSetTimer(MessageQueue& q, int id, int ms, int64_t nowMs);
void    QueueKillTimer(MessageQueue& q, int id);
bool    QueueTimerSet(const MessageQueue& q, int id);
int64_t QueueEarliestDueMs(const MessageQueue& q);   // -1 when no timer is set
