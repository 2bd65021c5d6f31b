// platform/common/queue.cpp - message priority, paint coalescing and the timer table.
#include "platform/common/queue.h"

void QueueClear(MessageQueue& q) { q = MessageQueue{}; }

bool QueuePost(MessageQueue& q, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (q.Count == QueueCapacity) return false;
    q.Posted[(q.Head + q.Count) % QueueCapacity] = PlatMsg{message, wParam, lParam};
    q.Count++;
    return true;
}

static WindowTimer* FindTimer(MessageQueue& q, int id) {
    for (WindowTimer& t : q.Timers)
        if (t.Set && t.Id == id) return &t;
    return nullptr;
}

QueueResult QueueNext(MessageQueue& q, int64_t nowMs, PlatMsg* msg) {
    if (q.Count > 0) {
        *msg = q.Posted[q.Head];
        q.Head = (q.Head + 1) % QueueCapacity;
        q.Count--;
        return QueueResult::Message;
    }
    if (q.QuitPosted) {
        *msg = PlatMsg{WM_QUIT, (uintptr_t)q.QuitCode, 0};
        return QueueResult::Quit;
    }
    if (q.Invalid) {
        *msg = PlatMsg{WM_PAINT, 0, 0};
        return QueueResult::Message;
    }
    WindowTimer* due = nullptr;
    for (WindowTimer& t : q.Timers)
        if (t.Set && t.DueMs <= nowMs && (!due || t.DueMs < due->DueMs)) due = &t;
    if (!due) return QueueResult::Nothing;
    due->DueMs = nowMs + due->PeriodMs;
    *msg = PlatMsg{WM_TIMER, (uintptr_t)due->Id, 0};
    return QueueResult::Message;
}

void QueueSetTimer(MessageQueue& q, int id, int ms, int64_t nowMs) {
    // Setting a running timer again restarts it with the new period.
    WindowTimer* t = FindTimer(q, id);
    if (!t)
        for (WindowTimer& free : q.Timers)
            if (!free.Set) { t = &free; break; }
    if (!t) return;   // more timers than any window here uses
    const int64_t period = ms < TimerMinimumMs ? TimerMinimumMs : ms;
    *t = WindowTimer{id, period, nowMs + period, true};
}

void QueueKillTimer(MessageQueue& q, int id) {
    if (WindowTimer* t = FindTimer(q, id)) t->Set = false;
}

bool QueueTimerSet(const MessageQueue& q, int id) {
    for (const WindowTimer& t : q.Timers)
        if (t.Set && t.Id == id) return true;
    return false;
}

int64_t QueueEarliestDueMs(const MessageQueue& q) {
    int64_t earliest = -1;
    for (const WindowTimer& t : q.Timers)
        if (t.Set && (earliest < 0 || t.DueMs < earliest)) earliest = t.DueMs;
    return earliest;
}
