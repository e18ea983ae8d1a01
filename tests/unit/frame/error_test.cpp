#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "libtq.h"
#include "test_support.h"

namespace {

class ErrorTest : public testing::Test {
  protected:
    void SetUp() override { reset_error_state(); }
    void TearDown() override { reset_error_state(); }
};

TEST_F(ErrorTest, ArrayCheckComparesAsUnsigned) {
    EXPECT_EQ(array_check(8, 9), 8);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(array_check(static_cast<uptrszint>(-1), 9), 0);
    EXPECT_EQ(new_error, 9u);
    reset_error_state();
    EXPECT_EQ(array_check(9, 9), 0);
    EXPECT_EQ(new_error, 9u);
    EXPECT_EQ(tqevent.load(), 1);
}

TEST_F(ErrorTest, FirstErrorOfAStatementWins) {
    error(9);
    error(6);
    EXPECT_EQ(new_error, 9u);
}

TEST_F(ErrorTest, ZeroAndNegativeNumbersRecordIllegalFunctionCall) {
    error(0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    error(-3);
    EXPECT_EQ(new_error, 5u);
}

TEST_F(ErrorTest, TextTable) {
    EXPECT_STREQ(error_text(0), "No error");
    EXPECT_STREQ(error_text(5), "Illegal function call");
    EXPECT_STREQ(error_text(11), "Unprintable error");
    EXPECT_STREQ(error_text(76), "Path not found");
    EXPECT_STREQ(error_text(258), "Invalid handle");
    EXPECT_STREQ(error_text(315), "_ASSERT failed (check console for description)");
    EXPECT_STREQ(error_text(316), "Unprintable error");
    EXPECT_STREQ(error_text(-1), "Unprintable error");
}

TEST_F(ErrorTest, UnhandledErrorBoxAndYesContinues) {
    box_recorder boxes(1);
    error(9);
    error(4); // the second error of the statement is not reported
    evnt(13, 0, nullptr);
    ASSERT_EQ(box_recorder::boxes.size(), 1u);
    EXPECT_EQ(box_recorder::boxes[0].message, "Line: 13 (in main module)\nSubscript out of range\nContinue?");
    EXPECT_EQ(box_recorder::boxes[0].title, "Unhandled Error #9 - libtq_tests");
    EXPECT_EQ(box_recorder::boxes[0].buttons, "yesno");
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(tqevent.load(), 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(func__errorline(), 13u);
}

TEST_F(ErrorTest, IncludedLineNamesItsFile) {
    box_recorder boxes(1);
    error(6);
    evnt(40, 7, "lib.bi");
    ASSERT_EQ(box_recorder::boxes.size(), 1u);
    EXPECT_EQ(box_recorder::boxes[0].message, "Line: 7 (in lib.bi)\nOverflow\nContinue?");
    EXPECT_EQ(func__inclerrorline(), 7u);
}

TEST_F(ErrorTest, StatementFrameCallsEvntOnlyWhenFlagged) {
    box_recorder boxes(1);
    EXPECT_FALSE(tq_statement_frame(5));
    EXPECT_TRUE(box_recorder::boxes.empty());
    error(5);
    EXPECT_FALSE(tq_statement_frame(6)); // nobody asks for a retry
    ASSERT_EQ(box_recorder::boxes.size(), 1u);
    EXPECT_EQ(box_recorder::boxes[0].message, "Line: 6 (in main module)\nIllegal function call\nContinue?");
}

TEST_F(ErrorTest, NoEndsTheProgramInOrder) {
    box_recorder boxes(0);
    exit_ok = 0;
    close_program = 0;
    // Answering no parks the program thread for good, so the statement runs on a thread of its own.
    libtq_thread *program = libtq_thread_new();
    libtq_thread_start(
        program,
        [](void *) {
            error(2);
            evnt(3, 0, nullptr);
        },
        nullptr);
    for (int i = 0; i < 500 && !(exit_ok.load() & 1); i++) libtq_sleep_ms(2);
    EXPECT_EQ(exit_ok.load() & 1, 1);
    EXPECT_EQ(close_program.load(), 1);
    ASSERT_EQ(box_recorder::boxes.size(), 1u);
    EXPECT_EQ(box_recorder::boxes[0].message, "Line: 3 (in main module)\nSyntax error\nContinue?");
    libtq_thread_free(program);
    exit_ok = 0;
    close_program = 0;
}

TEST_F(ErrorTest, AnswerTwoCountsAsNo) {
    box_recorder boxes(2);
    exit_ok = 0;
    libtq_thread *program = libtq_thread_new();
    libtq_thread_start(
        program,
        [](void *) {
            error(5);
            evnt(1, 0, nullptr);
        },
        nullptr);
    for (int i = 0; i < 500 && !(exit_ok.load() & 1); i++) libtq_sleep_ms(2);
    EXPECT_EQ(exit_ok.load() & 1, 1);
    libtq_thread_free(program);
    exit_ok = 0;
    close_program = 0;
}

int print_box(const char *message, const char *title, const char *buttons) {
    std::fprintf(stderr, "BOX[%s|%s|%s]\n", title, message, buttons);
    return 1;
}

TEST_F(ErrorTest, FatalNumbersShowTheirBoxAndExitWithZero) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(11);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error\\|Division by zero\\|ok\\]");
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(257);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error #1\\|Out of memory\\|ok\\]");
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(512);
        },
        testing::ExitedWithCode(0), "BOX\\[Critical Error #12\\|Out of memory\\|ok\\]");
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(271);
        },
        testing::ExitedWithCode(0), "END/SYSTEM called within SUB _GL's scope");
}

TEST_F(ErrorTest, FatalNumbersWinEvenWhileAnErrorIsPending) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(9);
            error(505);
        },
        testing::ExitedWithCode(0), "Critical Error #5");
}

TEST_F(ErrorTest, CriticalErrorShowsOkBoxAndExits) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            error(308);
            evnt(21, 0, nullptr);
        },
        testing::ExitedWithCode(0),
        "BOX\\[Critical Error #308 - libtq_tests\\|Line: 21 \\(in main module\\)\nMemory has been freed\\|ok\\]");
}

TEST_F(ErrorTest, IntegerDivisionByZeroIsFatalError11) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder(print_box);
            libtq_install_division_handler(division_by_zero_handler);
            // A real integer division by zero, out of the undefined-behaviour checker's sight.
            asm volatile("xorl %%ecx, %%ecx\n\tmovl $7, %%eax\n\tcltd\n\tidivl %%ecx" ::: "eax", "ecx", "edx");
        },
        testing::ExitedWithCode(0), "Critical Error\\|Division by zero");
}

TEST(MemLock, IdsStartAboveTheFirstBillionAndReleasedRecordsAreReused) {
    mem_lock *first = new_mem_lock();
    EXPECT_EQ(mem_lock_tmp, first);
    EXPECT_GE(first->id, 1073741824u);
    uint64_t old_id = first->id;
    first->type = 4;
    free_mem_lock(first);
    EXPECT_EQ(first->id, 0u);
    mem_lock *again = new_mem_lock();
    EXPECT_EQ(again, first);
    EXPECT_GT(again->id, old_id);
    mem_lock *fresh = new_mem_lock();
    EXPECT_NE(fresh, again);
    EXPECT_EQ(fresh->id, again->id + 1);
}

TEST(MemLock, OwnedBlocksAreReleasedWithTheLock) {
    mem_lock *lock = new_mem_lock();
    lock->type = 1;
    lock->offset = std::malloc(64); // released by free_mem_lock (checked by the leak sanitizer)
    free_mem_lock(lock);
    EXPECT_EQ(lock->offset, nullptr);
}

TEST(MemLock, ManyLocksSpanSeveralBlocks) {
    std::vector<mem_lock *> locks;
    for (int i = 0; i < 25000; i++) locks.push_back(new_mem_lock());
    for (size_t i = 1; i < locks.size(); i++) ASSERT_EQ(locks[i]->id, locks[i - 1]->id + 1);
    for (mem_lock *l : locks) {
        l->type = 4;
        free_mem_lock(l);
    }
    // The freed stack grows past its first capacity and hands records back last in, first out.
    EXPECT_EQ(new_mem_lock(), locks.back());
}

} // namespace
