// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libtq.h"

// Records every message box instead of showing it, and answers with a chosen button.
struct box_recorder {
    struct box {
        std::string message, title, buttons;
    };
    static inline std::vector<box> boxes;
    static inline int answer = 1;
    static int respond(const char *message, const char *title, const char *buttons) {
        boxes.push_back({message, title, buttons});
        return answer;
    }
    explicit box_recorder(int with_answer = 1) {
        boxes.clear();
        answer = with_answer;
        gui_alert_set_responder(respond);
    }
    ~box_recorder() { gui_alert_set_responder(nullptr); }
};

// Clears the error state a test may leave behind.
inline void reset_error_state() {
    new_error = 0;
    tqevent = 0;
    r = 0;
}

// A test that runs like one statement: the temporaries it leaves are released after it, as a
// statement's clean-up would, and the error state is cleared around it.
class StatementTest : public testing::Test {
  protected:
    ptrszint base = 0;
    void SetUp() override {
        reset_error_state();
        base = tqs_tmp_list_nexti;
    }
    void TearDown() override {
        tqs_release_tmp(base, 0);
        reset_error_state();
    }
};
