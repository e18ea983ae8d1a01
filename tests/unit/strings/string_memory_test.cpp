#include <cstring>
#include <vector>

#include "string_test_support.h"
#include "strings/strings_internal.h"

namespace {

class StringMemoryTest : public StringTest {
  protected:
    void SetUp() override {
        StringTest::SetUp();
        // These tests reason about exact heap offsets, so they start from an empty heap.
        ASSERT_EQ(tqs_heap_list_nexti, 0);
        ASSERT_EQ(tqs_heap_sp, 0);
    }
};

TEST(StringStartUp, PermanentStringsLiveInTheDataSegmentWithDescriptors) {
    ASSERT_NE(nothingstring, nullptr);
    ASSERT_NE(singlespace, nullptr);
    EXPECT_EQ(nothingstring->is_cmem, 1);
    EXPECT_EQ(nothingstring->length, 0);
    EXPECT_EQ(nothingstring->data, dblock + 256);
    // The runtime keeps the top 8 bytes, so the first descriptor lands at 65,524.
    EXPECT_EQ(nothingstring->descriptor, dblock + 65524);
    EXPECT_EQ(nothingstring->descriptor_offset, 65524);
    EXPECT_EQ(descriptor_length(nothingstring), 0u);
    EXPECT_EQ(descriptor_offset(nothingstring), 256u);

    EXPECT_EQ(text_of(singlespace), " ");
    EXPECT_EQ(singlespace->data, dblock + 256);
    EXPECT_EQ(singlespace->descriptor_offset, 65520);
    const uint8_t expected[4] = {1, 0, 0x00, 0x01};
    EXPECT_EQ(std::memcmp(dblock + 65520, expected, 4), 0);
    EXPECT_EQ(nothingstring->is_temp, 0);
}

TEST_F(StringMemoryTest, NewStringsAreBumpAllocatedWithSlackAndTheTopIsReclaimedOnFree) {
    tqs *a = tqs_new(10, 0);
    tqs *b = tqs_new(5, 0);
    tqs *c = tqs_new(0, 0);
    EXPECT_EQ(a->data, tqs_heap);
    EXPECT_EQ(b->data, tqs_heap + 42);
    EXPECT_EQ(c->data, tqs_heap + 79);
    EXPECT_EQ(tqs_heap_sp, 111);
    EXPECT_EQ(tqs_heap_list_nexti, 3);
    EXPECT_EQ(b->list_index, 1u);

    // Freeing in the middle leaves the top where it is.
    tqs_free(b);
    EXPECT_EQ(tqs_heap_sp, 79 + 32);
    EXPECT_EQ(tqs_heap_list_nexti, 3);
    // Freeing the top drops the freed slots below it and lowers the top to the end of the next
    // live string plus its slack.
    tqs_free(c);
    EXPECT_EQ(tqs_heap_list_nexti, 1);
    EXPECT_EQ(tqs_heap_sp, 10 + 32);
    tqs_free(a);
    EXPECT_EQ(tqs_heap_list_nexti, 0);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(StringMemoryTest, RecordsAreReusedLastReleasedFirstAndCleared) {
    tqs *a = tqs_new(3, 1);
    tqs *b = tqs_new(3, 1);
    a->field_binding = a; // released through the FIELD hook
    tqs_free(b);
    tqs_free(a);
    tqs *c = tqs_new_txt("x");
    EXPECT_EQ(c, a);
    EXPECT_EQ(c->field_binding, nullptr);
    EXPECT_EQ(c->is_readonly, 1);
    EXPECT_EQ(c->list_index, 0u);
    tqs *d = tqs_new(0, 0);
    EXPECT_EQ(d, b);
    EXPECT_EQ(d->is_temp, 0);
    EXPECT_EQ(d->temp_index, 0u);
    tqs_free(d);
}

TEST_F(StringMemoryTest, ReleaseFreesEveryTemporaryAboveTheBaseAndReturnsTheValue) {
    EXPECT_EQ(tqs_release_tmp(tqs_tmp_list_nexti, 123), 123);
    tqs *v = tqs_new(4, 0);
    ptrszint mark = tqs_tmp_list_nexti;
    tqs *t1 = tqs_new(4, 1);
    tqs *t2 = lit("abc");
    EXPECT_EQ(t1->temp_index, static_cast<uint32_t>(mark));
    EXPECT_EQ(t2->temp_index, static_cast<uint32_t>(mark + 1));
    EXPECT_EQ(tqs_tmp_list_nexti, mark + 2);
    // A comparison is computed before its operands go.
    EXPECT_EQ(tqs_release_tmp(mark, tqs_notequal(t1, t2)), -1);
    EXPECT_EQ(tqs_tmp_list_nexti, mark);
    EXPECT_EQ(tqs_heap_list_nexti, 1); // only the variable is left
    EXPECT_EQ(tqs_heap_sp, 4 + 32);
    tqs_free(v);
}

TEST_F(StringMemoryTest, FreeingATemporaryBelowTheTopKeepsItsSlotUntilTheTopGoes) {
    ptrszint mark = tqs_tmp_list_nexti;
    tqs *t1 = lit("a");
    tqs *t2 = lit("b");
    tqs_free(t1);
    EXPECT_EQ(tqs_tmp_list_nexti, mark + 2);
    EXPECT_EQ(tqs_tmp_list[mark], TQS_FREED_SLOT);
    tqs_free(t2);
    EXPECT_EQ(tqs_tmp_list_nexti, mark);
}

TEST_F(StringMemoryTest, AVariableMadeTemporaryIsListedOnceAndTheCleanUpReleasesIt) {
    tqs *v = variable("kept");
    ptrszint mark = tqs_tmp_list_nexti;
    EXPECT_EQ(tqs_maketmp(v), v);
    EXPECT_EQ(tqs_maketmp(v), v);
    EXPECT_EQ(tqs_tmp_list_nexti, mark + 1);
    EXPECT_EQ(v->temp_index, static_cast<uint32_t>(mark));
    EXPECT_EQ(v->is_temp, 1);
    tqs_release_tmp(mark, 0);
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], v);
    EXPECT_EQ(tqs_heap_list_nexti, 0);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(StringMemoryTest, LiteralsPointIntoTheProgramTextWithoutACopy) {
    static const char text[] = "Spinavorte";
    tqs *t = tqs_new_txt(text);
    EXPECT_EQ(t->data, reinterpret_cast<const uint8_t *>(text));
    EXPECT_EQ(t->length, 10);
    EXPECT_EQ(tqs_new_txt(nullptr)->length, 0);
    EXPECT_EQ(tqs_new_txt_len(text, 4)->length, 4);
    EXPECT_EQ(tqs_new_txt_len(text, -4)->length, 0);
    EXPECT_EQ(tqs_heap_list_nexti, 0); // literals take no heap bytes
}

TEST_F(StringMemoryTest, CompactionMovesOnlyStringsWithMoreThan32BytesBelowThem) {
    tqs *a = tqs_new(10, 0);
    tqs *b = tqs_new(10, 0);
    tqs *c = tqs_new(10, 0);
    tqs *d = tqs_new(10, 0);
    std::memcpy(a->data, "AAAAAAAAAA", 10);
    std::memcpy(c->data, "CCCCCCCCCC", 10);
    std::memcpy(d->data, "DDDDDDDDDD", 10);
    // Gaps of exactly 32 bytes (the slack) are kept; only the top loses its slack.
    tqs_heap_concat(0);
    EXPECT_EQ(a->data, tqs_heap);
    EXPECT_EQ(b->data, tqs_heap + 42);
    EXPECT_EQ(d->data, tqs_heap + 3 * 42);
    EXPECT_EQ(tqs_heap_sp, 3 * 42 + 10);
    // Without b, c has 32 + 10 + 32 bytes below it and moves right behind a, which opens a gap
    // below d, which follows.
    tqs_free(b);
    tqs_heap_concat(0);
    EXPECT_EQ(a->data, tqs_heap);
    EXPECT_EQ(c->data, tqs_heap + 10);
    EXPECT_EQ(d->data, tqs_heap + 20);
    EXPECT_EQ(tqs_heap_sp, 30);
    EXPECT_EQ(text_of(a), "AAAAAAAAAA");
    EXPECT_EQ(text_of(c), "CCCCCCCCCC");
    EXPECT_EQ(text_of(d), "DDDDDDDDDD");
    tqs_free(a);
    tqs_free(c);
    tqs_free(d);
}

std::string pattern(size_t i, size_t length) {
    std::string s(length, ' ');
    for (size_t k = 0; k < length; k++) s[k] = static_cast<char>('a' + (i * 7 + k) % 26);
    return s;
}

TEST_F(StringMemoryTest, AFullHeapIsCompactedThenGrownWhileValuesStayIntact) {
    const ptrszint size = tqs_heap_size;
    const ptrszint n = 1000;
    std::vector<tqs *> strings;
    // Fill the heap as far as it goes without a compaction.
    while (tqs_heap_sp + n + 32 <= size) {
        tqs *s = tqs_new(static_cast<int32_t>(n), 0);
        std::string p = pattern(strings.size(), n);
        std::memcpy(s->data, p.data(), p.size());
        strings.push_back(s);
    }
    ASSERT_EQ(tqs_heap_size, size);
    // Free every other string: holes of 1,032 bytes that only a compaction reclaims.
    for (size_t i = 0; i < strings.size(); i += 2) tqs_free(strings[i]);
    size_t live = strings.size() / 2;

    // The next string does not fit above the top: the heap is compacted, the survivors packed
    // without slack, and it is grown only if less than twice the used bytes would stay free.
    ptrszint need = 2 * n + 32;
    ptrszint used = static_cast<ptrszint>(live) * n;
    bool grows = need + 2 * used + 32 >= size;
    tqs *big = tqs_new(static_cast<int32_t>(2 * n), 0);
    EXPECT_EQ(tqs_heap_size, grows ? need + 2 * size : size);
    for (size_t i = 1, k = 0; i < strings.size(); i += 2, k++) {
        EXPECT_EQ(strings[i]->data, tqs_heap + static_cast<ptrszint>(k) * n);
        EXPECT_EQ(text_of(strings[i]), pattern(i, n)) << "string " << i;
    }
    EXPECT_EQ(big->data, tqs_heap + used);
    EXPECT_EQ(tqs_heap_sp, used + need);

    // Keep making strings until the heap grows, then check every value at its new address.
    const ptrszint before = tqs_heap_size;
    std::vector<tqs *> more;
    while (tqs_heap_size == before) {
        tqs *s = tqs_new(static_cast<int32_t>(n), 0);
        std::string p = pattern(1000 + more.size(), n);
        std::memcpy(s->data, p.data(), p.size());
        more.push_back(s);
    }
    // No hole was left to reclaim, so the heap grew by `need` + twice its old size.
    EXPECT_EQ(tqs_heap_size, n + 32 + 2 * before);
    for (size_t i = 1; i < strings.size(); i += 2) EXPECT_EQ(text_of(strings[i]), pattern(i, n));
    for (size_t i = 0; i < more.size(); i++) EXPECT_EQ(text_of(more[i]), pattern(1000 + i, n));
    for (ptrszint i = 0; i < tqs_heap_list_nexti; i++) {
        tqs *s = tqs_heap_list[i];
        if (s == TQS_FREED_SLOT) continue;
        EXPECT_GE(s->data, tqs_heap);
        EXPECT_LE(s->data + s->length, tqs_heap + tqs_heap_sp);
        EXPECT_EQ(s->list_index, static_cast<uint32_t>(i));
    }

    for (tqs *s : more) tqs_free(s);
    tqs_free(big);
    for (size_t i = 1; i < strings.size(); i += 2) tqs_free(strings[i]);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(StringMemoryTest, AConcatenationThatDoesNotFitJoinsTheOperandsWhereTheCompactionMovedThem) {
    tqs *hole = tqs_new(100000, 0);
    tqs *a = heap_temp(std::string(1000, 'a'));
    tqs *filler = tqs_new(static_cast<int32_t>(tqs_heap_size - tqs_heap_sp - 32 - 100), 0);
    tqs_free(hole);
    const uint32_t a_slot = a->list_index;
    const ptrszint size_before = tqs_heap_size;

    // The join needs more than the 100 bytes left above the top, so the heap is compacted (and
    // grown) first, which moves the heap operand down into the hole.
    tqs *three = lit("xyz");
    tqs *joined = tqs_add(a, three);
    EXPECT_GT(tqs_heap_size, size_before);
    EXPECT_EQ(text_of(joined), std::string(1000, 'a') + "xyz");
    // Both operands are released, in order: their records are the top two of the free stack, the
    // heap operand's slot is freed, and their temporary slots are marked below the result's.
    ASSERT_GE(tqs_record_free_n, 2);
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], three);
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 2], a);
    EXPECT_EQ(tqs_heap_list[a_slot], TQS_FREED_SLOT);
    EXPECT_EQ(tqs_tmp_list_nexti, base + 3);
    EXPECT_EQ(tqs_tmp_list[base], TQS_FREED_SLOT);
    EXPECT_EQ(tqs_tmp_list[base + 1], TQS_FREED_SLOT);
    EXPECT_EQ(tqs_tmp_list[base + 2], joined);
    tqs_free(joined);
    tqs_free(filler);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(StringMemoryTest, AFullHeapListIsPackedAndDoubledOnlyWhenHalfOfItIsLive) {
    const ptrszint last = tqs_heap_list_lasti;
    std::vector<tqs *> all;
    while (tqs_heap_list_nexti <= last) all.push_back(tqs_new(0, 0));
    // Three of every four go, but never the top one, so the list stays full of freed slots.
    std::vector<tqs *> live;
    for (size_t i = 0; i < all.size(); i++) {
        if (i % 4 == 3 || i + 1 == all.size())
            live.push_back(all[i]);
        else
            tqs_free(all[i]);
    }
    EXPECT_EQ(tqs_heap_list_nexti, last + 1);

    live.push_back(tqs_new(0, 0)); // packs the list; a quarter live is no reason to double
    EXPECT_EQ(tqs_heap_list_lasti, last);
    ASSERT_EQ(tqs_heap_list_nexti, static_cast<ptrszint>(live.size()));
    for (size_t k = 0; k < live.size(); k++) {
        EXPECT_EQ(tqs_heap_list[k], live[k]);
        EXPECT_EQ(live[k]->list_index, static_cast<uint32_t>(k));
    }

    while (tqs_heap_list_nexti <= last) live.push_back(tqs_new(0, 0));
    live.push_back(tqs_new(0, 0)); // full of live strings: packing frees nothing, so it doubles
    EXPECT_EQ(tqs_heap_list_lasti, 2 * last);
    EXPECT_EQ(tqs_heap_list_nexti, last + 2);
    for (size_t k = live.size(); k-- > 0;) tqs_free(live[k]);
    EXPECT_EQ(tqs_heap_list_nexti, 0);
}

TEST_F(StringMemoryTest, TheTemporaryListAndTheRecordPoolGrowWhenAStatementMakesManyTemporaries) {
    const ptrszint last = tqs_tmp_list_lasti;
    const ptrszint count = last + 10 - tqs_tmp_list_nexti;
    std::vector<tqs *> temps;
    for (ptrszint i = 0; i < count; i++) temps.push_back(lit("t"));
    EXPECT_EQ(tqs_tmp_list_lasti, 2 * last);
    EXPECT_EQ(tqs_tmp_list[temps.back()->temp_index], temps.back());
    EXPECT_EQ(tqs_tmp_list[temps.front()->temp_index], temps.front());
    const ptrszint free_before = tqs_record_free_n;
    tqs_release_tmp(base, 0);
    EXPECT_EQ(tqs_tmp_list_nexti, base);
    EXPECT_EQ(tqs_record_free_n, free_before + count);
    EXPECT_GE(tqs_record_free_max, tqs_record_free_n);
    // Released last first: the first temporary made is the next record handed out.
    EXPECT_EQ(lit("again"), temps.front());
}

TEST_F(StringMemoryTest, MillionsOfTemporariesLeaveTheHeapListsAndPoolAtASteadySize) {
    // Ten million statements in the optimised build; under the sanitizers, which make each one
    // about thirty times dearer, two million.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int32_t statements = 2000000;
#else
    constexpr int32_t statements = 10000000;
#endif
    auto statement = [this](int32_t i) {
        tqs *v = tqs_new(0, 0);
        tqs_set(v, lit("Frames Drawn:"));
        tqs_set(v, tqs_add(tqs_str(i), lit(" ")));
        tqs_set(v, tqs_ucase(tqs_left(tqs_add(lit("abc"), func_chr(97 + i % 26)), 3)));
        // Temporaries nobody consumes wait for the statement's clean-up.
        tqs_equal(tqs_add(tqs_str(static_cast<double>(i) / 7), lit("")), v);
        tqs_free(v);
        tqs_release_tmp(base, 0);
    };
    struct sizes {
        ptrszint heap_size, heap_sp, heap_nexti, heap_lasti, tmp_nexti, tmp_lasti, cmem_nexti, free_n, free_max;
        tqs *block;
        ptrszint block_next;
        bool operator==(const sizes &) const = default;
    };
    auto now = [] {
        return sizes{tqs_heap_size,
                     tqs_heap_sp,
                     tqs_heap_list_nexti,
                     tqs_heap_list_lasti,
                     tqs_tmp_list_nexti,
                     tqs_tmp_list_lasti,
                     tqs_cmem_list_nexti,
                     tqs_record_free_n,
                     tqs_record_free_max,
                     tqs_internal::record_block,
                     tqs_internal::record_block_next};
    };
    for (int32_t i = 0; i < 1000; i++) statement(i);
    const sizes settled = now();
    for (int32_t i = 0; i < statements; i++) {
        statement(i);
        if (i % 500000 == 0) {
            ASSERT_TRUE(now() == settled) << "after " << i;
        }
    }
    EXPECT_TRUE(now() == settled);
    EXPECT_EQ(tqs_heap_sp, 0);
    EXPECT_EQ(tqs_tmp_list_nexti, base);
}

} // namespace
