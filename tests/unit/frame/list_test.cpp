#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "libtq.h"
#include "test_support.h"

namespace {

struct record {
    int64_t a;
    void *p;
};

TEST(List, HandlesCountUpAndRemovedOnesComeBackLastFirstCleared) {
    list *L = list_new(sizeof(record));
    EXPECT_EQ(list_add(L), 1);
    EXPECT_EQ(list_add(L), 2);
    EXPECT_EQ(list_add(L), 3);
    EXPECT_EQ(list_add(L), 4);
    for (ptrszint h = 1; h <= 4; h++) static_cast<record *>(list_get(L, h))->a = h * 10;
    record *second = static_cast<record *>(list_get(L, 2));
    record *third = static_cast<record *>(list_get(L, 3));
    EXPECT_EQ(list_remove(L, 2), -1);
    EXPECT_EQ(list_remove(L, 3), -1);
    EXPECT_EQ(list_get(L, 2), nullptr);
    EXPECT_EQ(list_get_index(L, second), 0);
    EXPECT_EQ(list_add(L), 3);
    EXPECT_EQ(list_add(L), 2);
    // Reused handles keep their slots, cleared.
    EXPECT_EQ(list_get(L, 3), third);
    EXPECT_EQ(list_get(L, 2), second);
    EXPECT_EQ(second->a, 0);
    EXPECT_EQ(third->a, 0);
    EXPECT_EQ(static_cast<record *>(list_get(L, 4))->a, 40);
    EXPECT_EQ(list_get_index(L, third), 3);
    EXPECT_EQ(list_add(L), 5);
    list_destroy(L);
}

TEST(List, BlocksHoldOneThenThreeSlots) {
    list *L = list_new(4);
    list_add(L);
    auto *first = static_cast<uint8_t *>(list_get(L, 1));
    list_add(L);
    list_add(L);
    list_add(L);
    auto *second = static_cast<uint8_t *>(list_get(L, 2));
    auto *fourth = static_cast<uint8_t *>(list_get(L, 4));
    // Handles 2..4 share one block, handle 1 lives in its own.
    EXPECT_EQ(fourth - second, 2 * (static_cast<uint8_t *>(list_get(L, 3)) - second));
    EXPECT_TRUE(first < second - 64 || first > fourth + 64 || (first != second && first != fourth));
    list_destroy(L);
}

TEST(List, BadHandlesAreRefusedAndChangeNothing) {
    list *L = list_new(16);
    ptrszint h = list_add(L);
    EXPECT_EQ(list_remove(L, 0), 0);
    EXPECT_EQ(list_remove(L, -5), 0);
    EXPECT_EQ(list_remove(L, h + 1), 0);
    EXPECT_EQ(list_remove(L, h), -1);
    EXPECT_EQ(list_remove(L, h), 0); // already removed
    const ptrszint probes[] = {INT64_MIN, -1, 0, 1, 2, 3, 1000, INT32_MAX, static_cast<ptrszint>(INT32_MAX) + 1,
                               INT64_MAX};
    for (ptrszint p : probes) EXPECT_EQ(list_get(L, p), nullptr) << p;
    EXPECT_EQ(list_add(L), h);
    list_destroy(L);
}

TEST(List, RecordsNeverMoveAsTheListGrows) {
    list *L = list_new(sizeof(record));
    std::vector<record *> seen;
    for (int i = 0; i < 5000; i++) {
        ptrszint h = list_add(L);
        ASSERT_EQ(h, i + 1);
        auto *rec = static_cast<record *>(list_get(L, h));
        ASSERT_EQ(reinterpret_cast<uintptr_t>(rec) % 8, 0u);
        rec->a = i;
        seen.push_back(rec);
    }
    for (int i = 0; i < 5000; i++) {
        ASSERT_EQ(list_get(L, i + 1), seen[static_cast<size_t>(i)]);
        ASSERT_EQ(seen[static_cast<size_t>(i)]->a, i);
    }
    for (int i = 1; i <= 5000; i += 2) ASSERT_EQ(list_remove(L, i), -1);
    std::set<ptrszint> reused;
    for (int i = 0; i < 2500; i++) reused.insert(list_add(L));
    EXPECT_EQ(reused.size(), 2500u);
    EXPECT_EQ(*reused.begin(), 1);
    EXPECT_EQ(*reused.rbegin(), 4999);
    EXPECT_EQ(list_add(L), 5001);
    list_destroy(L);
}

struct shared_list {
    list *L;
    std::atomic<int> stop{0};
    std::atomic<int64_t> reads{0};
};

TEST(ListThreaded, ThreadSafeListReadsWhileAnotherThreadAddsAndRemoves) {
    shared_list s{list_new_threadsafe(72)};
    libtq_thread *reader = libtq_thread_new();
    libtq_thread_start(
        reader,
        [](void *a) {
            auto *sl = static_cast<shared_list *>(a);
            while (!sl->stop.load()) {
                for (ptrszint h = -1; h < 600; h++) {
                    void *p = list_get(sl->L, h);
                    if (p) {
                        ptrszint back = list_get_index(sl->L, p);
                        // A record may be removed between the two reads, never renamed.
                        if (back != 0 && back != h) std::abort();
                    }
                }
                sl->reads++;
            }
        },
        &s);
    std::vector<ptrszint> live;
    for (int round = 0; round < 200 || s.reads.load() < 50; round++) {
        for (int i = 0; i < 3; i++) live.push_back(list_add(s.L));
        list_remove(s.L, live.front());
        live.erase(live.begin());
    }
    s.stop = 1;
    libtq_thread_join(reader);
    libtq_thread_free(reader);
    EXPECT_GT(s.reads.load(), 0);
    for (ptrszint h : live) EXPECT_NE(list_get(s.L, h), nullptr);
    list_destroy(s.L);
}

TEST(StaticPool, RoundsToEightAndRollsBack) {
    uint8_t *top = static_cast<uint8_t *>(mem_static_malloc(0));
    EXPECT_EQ(mem_static_malloc(0), top);
    EXPECT_EQ(static_cast<uint8_t *>(mem_static_malloc(1)), top);
    EXPECT_EQ(static_cast<uint8_t *>(mem_static_malloc(8)), top + 8);
    EXPECT_EQ(static_cast<uint8_t *>(mem_static_malloc(9)), top + 16);
    EXPECT_EQ(mem_static_pointer, top + 32);
    mem_static_restore(top);
    EXPECT_EQ(mem_static_pointer, top);
    int outside = 0;
    mem_static_restore(&outside);
    EXPECT_EQ(mem_static_pointer, mem_static);
}

TEST(StaticPool, ARequestThatDoesNotFitStartsALargerBufferAndKeepsOldPointers) {
    uint8_t *old_buffer = mem_static;
    uptrszint old_size = mem_static_size;
    auto *kept = static_cast<uint64_t *>(mem_static_malloc(8));
    *kept = 0x1234;
    uptrszint room = static_cast<uptrszint>(mem_static_limit - mem_static_pointer);
    auto *big = static_cast<uint8_t *>(mem_static_malloc(room));
    EXPECT_NE(mem_static, old_buffer);
    EXPECT_EQ(big, mem_static);
    EXPECT_EQ(mem_static_size, 2 * old_size + room);
    std::memset(big, 0xAB, room);
    EXPECT_EQ(*kept, 0x1234u);
}

} // namespace
