#include <cstring>

#include "string_test_support.h"

namespace {

class AssignmentTest : public StringTest {};

TEST_F(AssignmentTest, ALiteralIsCopiedAndTheProgramTextIsLeftAlone) {
    static char text[] = "Frames Drawn:";
    tqs *v = tqs_new(0, 0);
    ptrszint mark = tqs_tmp_list_nexti;
    tqs *t = tqs_new_txt(text);
    tqs_set(v, t);
    EXPECT_EQ(text_of(v), "Frames Drawn:");
    EXPECT_NE(v->data, reinterpret_cast<uint8_t *>(text));
    EXPECT_EQ(tqs_tmp_list_nexti, mark); // the literal temporary is gone
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], t);
    v->data[0] = 'X';
    EXPECT_STREQ(text, "Frames Drawn:");
    tqs_free(v);
}

TEST_F(AssignmentTest, AConcatenationIsAdoptedWithoutACopy) {
    tqs *v = tqs_new(0, 0);
    ptrszint mark = tqs_tmp_list_nexti;
    tqs *sum = tqs_add(tqs_str(int32_t{7}), lit(" "));
    uint8_t *bytes = sum->data;
    uint32_t slot = sum->list_index;
    EXPECT_EQ(tqs_tmp_list_nexti, mark + 3); // the two operands' slots wait below the sum
    tqs_set(v, sum);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(text_of(v), " 7 ");
    EXPECT_EQ(v->list_index, slot);
    EXPECT_EQ(tqs_heap_list[slot], v);
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], sum);
    // Only the top slot is released at once; the operands' freed slots go with the clean-up.
    EXPECT_EQ(tqs_tmp_list_nexti, mark + 2);
    EXPECT_EQ(tqs_tmp_list[mark], TQS_FREED_SLOT);
    tqs_release_tmp(mark, 0);
    EXPECT_EQ(tqs_tmp_list_nexti, mark);
    tqs_free(v);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(AssignmentTest, JoiningWithAnEmptyStringReturnsTheOtherOperandItself) {
    tqs *a = heap_temp("abc");
    tqs *empty = lit("");
    ptrszint top = tqs_tmp_list_nexti;
    EXPECT_EQ(tqs_add(a, empty), a);
    EXPECT_EQ(tqs_add(empty, a), a);
    // Nothing was consumed: the empty temporary waits for the statement's clean-up.
    EXPECT_EQ(tqs_tmp_list_nexti, top);
    EXPECT_EQ(tqs_tmp_list[empty->temp_index], empty);
    tqs *v = variable("xy");
    EXPECT_EQ(tqs_add(v, lit("")), v);
    EXPECT_EQ(text_of(tqs_add(v, v)), "xyxy");
    EXPECT_EQ(text_of(v), "xy"); // a variable is never consumed
    tqs_free(v);
}

TEST_F(AssignmentTest, AGrowingVariableStaysInPlaceWhenItIsTheTopOrHasRoomBelowTheNext) {
    tqs *v = tqs_new(0, 0);
    uint8_t *at = v->data;
    tqs_set(v, lit("13 bytes long"));
    EXPECT_EQ(v->data, at); // the top string grows freely
    EXPECT_EQ(tqs_heap_sp, v->data + 13 - tqs_heap);

    tqs *w = tqs_new(0, 0);
    tqs *next = tqs_new(20, 0);
    at = w->data;
    tqs_set(w, lit("13 bytes long")); // 13 bytes fit into the 32 bytes of slack
    EXPECT_EQ(w->data, at);
    EXPECT_EQ(text_of(w), "13 bytes long");

    tqs_set(w, lit("this value is longer than thirty-two")); // 36 bytes do not
    EXPECT_NE(w->data, at);
    EXPECT_EQ(w->list_index, static_cast<uint32_t>(tqs_heap_list_nexti - 1));
    EXPECT_EQ(tqs_heap_sp, w->data + 36 - tqs_heap); // moved strings get no slack
    EXPECT_EQ(tqs_heap_list[next->list_index], next);
    EXPECT_EQ(text_of(w), "this value is longer than thirty-two");

    // A shorter value is copied over the start.
    at = w->data;
    tqs_set(w, lit("short"));
    EXPECT_EQ(w->data, at);
    EXPECT_EQ(text_of(w), "short");
    tqs_free(next);
    tqs_free(w);
    tqs_free(v);
    EXPECT_EQ(tqs_heap_sp, 0);
}

TEST_F(AssignmentTest, AVariableWithOnlyFreedStringsAboveItGrowsInPlace) {
    tqs *v = tqs_new(0, 0);
    tqs *gone = tqs_new(40, 0);
    tqs *top = tqs_new(0, 0);
    tqs_free(gone);
    tqs_free(top);
    uint8_t *at = v->data;
    tqs_set(v, lit("a value of more than thirty-two bytes"));
    EXPECT_EQ(v->data, at);
    EXPECT_EQ(tqs_heap_list_nexti, v->list_index + 1);
    tqs_free(v);
}

TEST_F(AssignmentTest, AssigningAVariableCopiesAndLeavesTheSourceAlone) {
    tqs *a = variable("first");
    tqs *b = variable("second value");
    tqs_set(a, b);
    EXPECT_EQ(text_of(a), "second value");
    EXPECT_EQ(text_of(b), "second value");
    EXPECT_NE(a->data, b->data);
    tqs_set(a, a);
    EXPECT_EQ(text_of(a), "second value");
    tqs_free(a);
    tqs_free(b);
}

TEST_F(AssignmentTest, FixedLengthVariablesArePaddedWithSpacesOrCut) {
    uint8_t storage[8];
    std::memset(storage, '#', sizeof storage);
    tqs *f = tqs_new_fixed(storage, 6, 0);
    EXPECT_EQ(f->descriptor, nullptr); // outside the data segment
    tqs_set(f, lit("ab"));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(storage), 8), "ab    ##");
    tqs_set(f, lit("abcdefghij"));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(storage), 8), "abcdef##");
    EXPECT_EQ(f->length, 6);
    tqs *t = heap_temp("xyz");
    tqs_set(f, t); // a temporary source is consumed, never adopted by a fixed string
    EXPECT_EQ(f->data, storage);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(storage), 6), "xyz   ");
    tqs_free(f);
}

TEST_F(AssignmentTest, AssigningToALiteralIsAnIllegalCallAndChangesNothing) {
    static const char text[] = "const";
    tqs *t = tqs_new_txt(text);
    tqs_set(t, heap_temp("other"));
    EXPECT_EQ(new_error, 5u);
    EXPECT_STREQ(text, "const");
    EXPECT_EQ(text_of(t), "const");
}

class ConventionalMemoryStringTest : public StringTest {};

TEST_F(ConventionalMemoryStringTest, DescriptorsFollowTheBytesWhenTheyGrowMoveAndCompact) {
    const uint32_t sp = tqs_cmem_sp;
    const uint32_t descriptors = cmem_sp;
    tqs *a = tqs_new_cmem(5, 0);
    tqs *b = tqs_new_cmem(5, 0);
    std::memcpy(a->data, "AAAAA", 5);
    std::memcpy(b->data, "BBBBB", 5);
    EXPECT_EQ(a->data, dblock + sp);
    EXPECT_EQ(b->data, dblock + sp + 5); // no slack in the data segment
    EXPECT_EQ(a->descriptor_offset, descriptors - 4);
    EXPECT_EQ(b->descriptor_offset, descriptors - 8);
    EXPECT_EQ(descriptor_length(a), 5u);
    EXPECT_EQ(descriptor_offset(a), sp);

    // b stands right behind a, so a's longer value moves to the top.
    tqs_set(a, lit("AAAAAAAAAA"));
    EXPECT_EQ(a->data, dblock + sp + 10);
    EXPECT_EQ(tqs_cmem_sp, sp + 20);
    EXPECT_EQ(descriptor_length(a), 10u);
    EXPECT_EQ(descriptor_offset(a), sp + 10);

    // b, now the lowest live string, is the top entry no more; growing it in place would run
    // into a, so it moves above a.
    tqs_set(b, lit("BBBBBBB"));
    EXPECT_EQ(b->data, dblock + sp + 20);
    EXPECT_EQ(descriptor_offset(b), sp + 20);

    // Compaction packs the area from offset 256 and rewrites every moved descriptor.
    tqs_concat_cmem(0);
    EXPECT_EQ(tqs_cmem_sp, sp + 17);
    EXPECT_EQ(a->data, dblock + sp);
    EXPECT_EQ(b->data, dblock + sp + 10);
    EXPECT_EQ(descriptor_offset(a), sp);
    EXPECT_EQ(descriptor_offset(b), sp + 10);
    EXPECT_EQ(descriptor_length(b), 7u);
    EXPECT_EQ(text_of(a), "AAAAAAAAAA");
    EXPECT_EQ(text_of(b), "BBBBBBB");

    // A shorter value keeps its place and rewrites the length.
    tqs_set(a, lit("A"));
    EXPECT_EQ(descriptor_length(a), 1u);
    EXPECT_EQ(descriptor_offset(a), sp);
    tqs_free(a);
    tqs_free(b);
    tqs_concat_cmem(0);
    EXPECT_EQ(tqs_cmem_sp, sp);
    EXPECT_EQ(cmem_sp, descriptors - 8); // descriptors are never reclaimed
}

TEST_F(ConventionalMemoryStringTest, ATemporaryOfTheSameAreaIsAdoptedAndTheDescriptorRewritten) {
    tqs *v = tqs_new_cmem(0, 0);
    tqs *t = tqs_new_cmem(4, 1);
    EXPECT_EQ(t->descriptor, nullptr); // temporaries have none
    std::memcpy(t->data, "temp", 4);
    uint8_t *bytes = t->data;
    tqs_set(v, t);
    EXPECT_EQ(v->data, bytes);
    EXPECT_EQ(descriptor_length(v), 4u);
    EXPECT_EQ(descriptor_offset(v), static_cast<uint32_t>(bytes - dblock));
    // A heap temporary is copied into the data segment instead.
    tqs_set(v, heap_temp("from the heap"));
    EXPECT_EQ(v->is_cmem, 1);
    EXPECT_EQ(text_of(v), "from the heap");
    EXPECT_EQ(descriptor_offset(v), static_cast<uint32_t>(v->data - dblock));
    tqs_free(v);
}

TEST_F(ConventionalMemoryStringTest, AReleasedStringLowersTheListOnlyWhenItHeldTheTopSlot) {
    const ptrszint start = tqs_cmem_list_nexti;
    tqs *v = tqs_new(0, 0);
    tqs *below = tqs_new_cmem(3, 1);
    tqs *top = tqs_new_cmem(3, 1);
    std::memcpy(below->data, "abc", 3);
    // A temporary of the other area is copied, and its slot in its own list is given up.
    tqs_set(v, below);
    EXPECT_EQ(text_of(v), "abc");
    EXPECT_EQ(v->is_cmem, 0);
    EXPECT_EQ(tqs_cmem_list[start], TQS_FREED_SLOT);
    EXPECT_EQ(tqs_cmem_list_nexti, start + 2);
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], below);
    // The top slot goes; the freed slot below it waits for the next packing.
    tqs_free(top);
    EXPECT_EQ(tqs_cmem_list_nexti, start + 1);
    tqs_free(v);
}

TEST_F(ConventionalMemoryStringTest, FixedStringsInsideTheDataSegmentGetADescriptor) {
    const uint32_t descriptors = cmem_sp;
    uint8_t *bytes = dblock + 60000;
    tqs *f = tqs_new_fixed(bytes, 3, 0);
    EXPECT_EQ(cmem_sp, descriptors - 4);
    EXPECT_EQ(descriptor_length(f), 3u);
    EXPECT_EQ(descriptor_offset(f), 60000u);
    tqs *t = tqs_new_fixed(bytes, 3, 1); // a temporary gets none
    EXPECT_EQ(t->descriptor, nullptr);
    tqs *at_base = tqs_new_fixed(dblock, 3, 0); // only bytes strictly above the segment's start
    EXPECT_EQ(at_base->descriptor, nullptr);
    tqs_free(f);
    tqs_free(at_base);
}

TEST_F(ConventionalMemoryStringTest, ANewStringThatDoesNotFitCompactsTheAreaFirst) {
    tqs_concat_cmem(0); // start with no dead bytes
    const uint32_t sp = tqs_cmem_sp;
    const uint32_t room = cmem_sp - 4 * 3 - sp; // what is left after three more descriptors
    tqs *gone = tqs_new_cmem(static_cast<int32_t>(room / 2), 0);
    tqs *kept = tqs_new_cmem(static_cast<int32_t>(room / 4), 0);
    std::memset(kept->data, 'k', room / 4);
    tqs_free(gone);
    tqs *next = tqs_new_cmem(static_cast<int32_t>(room / 2), 0);
    EXPECT_EQ(kept->data, dblock + sp);
    EXPECT_EQ(descriptor_offset(kept), sp);
    EXPECT_EQ(text_of(kept), std::string(room / 4, 'k'));
    EXPECT_EQ(next->data, dblock + sp + room / 4);
    tqs_free(next);
    tqs_free(kept);
}

int answer_box(const char *message, const char *title, const char *) {
    std::fprintf(stderr, "BOX[%s|%s]\n", title, message);
    return 1;
}

TEST_F(ConventionalMemoryStringTest, AFullAreaIsFatalAfterCompaction) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(answer_box);
            tqs_new_cmem(static_cast<int32_t>(cmem_sp - tqs_cmem_sp) / 2, 0);
            tqs_new_cmem(static_cast<int32_t>(cmem_sp - tqs_cmem_sp) + 1, 0);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error #13\\|Out of memory\\]");
}

TEST_F(ConventionalMemoryStringTest, DescriptorsRunningIntoTheStringsAreFatal) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(answer_box);
            tqs_new_cmem(static_cast<int32_t>(cmem_sp - tqs_cmem_sp) - 2, 0);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error #14\\|Out of memory\\]");
    EXPECT_EXIT(
        {
            gui_alert_set_responder(answer_box);
            // Fills the area up to the descriptor of its own string: no room is left for another.
            tqs_new_cmem(static_cast<int32_t>(cmem_sp - tqs_cmem_sp) - 4, 0);
            tqs_new_fixed(dblock + 100, 3, 0);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error #15\\|Out of memory\\]");
}

} // namespace
