// The ring arithmetic of the keyboard's queues, the BIOS keyboard buffer and the _KEYHIT queue.
//
// A ring has `Slots` entries at the positions First, First + Step, ... up to `last`. A writer puts
// an entry at the tail and then moves the tail on; a reader takes the entry at the head and then
// moves the head on. The ring is empty when head and tail are equal, so one slot always stays
// free and a full ring holds Slots - 1 entries. What a full ring does with one more entry (drop it,
// or drop the oldest) is the queue's own rule.
#pragma once

#include <cstdint>

template <int32_t First, int32_t Step, int32_t Slots> struct ring {
    static_assert(Step > 0 && Slots > 1);
    static constexpr int32_t first = First;
    static constexpr int32_t last = First + (Slots - 1) * Step;

    // Whether a position lies within the ring; a program may have moved an index anywhere.
    static constexpr bool inside(int32_t position) { return position >= first && position <= last; }
    static constexpr int32_t next(int32_t position) { return position + Step > last ? first : position + Step; }
    static constexpr bool empty(int32_t head, int32_t tail) { return head == tail; }
    static constexpr bool full(int32_t head, int32_t tail) { return next(tail) == head; }
};
