// The events that controls, forms and readers call.
#include "sys/event.h"

#include <gtest/gtest.h>

#include <string>

#include "sys/exception.h"

namespace zov {
namespace {

int Twice(int value) { return 2 * value; }

TEST(Event, CallsItsHandlerWithTheArgumentsAndPassesTheResultBack) {
    int calls = 0;
    std::string seen;
    TEvent<int(const std::string&, int&)> event = [&calls, &seen](const std::string& text, int& out) {
        seen = text;
        out = 7;
        return ++calls;
    };
    int out = 0;
    EXPECT_EQ(event("first", out), 1);
    EXPECT_EQ(event("second", out), 2);
    EXPECT_EQ(seen, "second");
    EXPECT_EQ(out, 7);
}

TEST(Event, CopiesShareWhatTheHandlerRefersToAndKeepTheirOwnState) {
    int total = 0;
    TEvent<void()> add = [&total] { ++total; };
    TEvent<void()> copy = add;
    add = nullptr;
    copy();
    copy();
    EXPECT_EQ(total, 2);
    EXPECT_FALSE(add);
    EXPECT_TRUE(copy);

    // A mutable handler's own state lives in the event it was given to.
    TEvent<int()> counter = [n = 0]() mutable { return ++n; };
    EXPECT_EQ(counter(), 1);
    TEvent<int()> second = counter;
    EXPECT_EQ(counter(), 2);
    EXPECT_EQ(second(), 2);
}

TEST(Event, TakesAPlainFunction) {
    TEvent<int(int)> event = Twice;
    EXPECT_EQ(event(21), 42);
    event = &Twice;
    EXPECT_EQ(event(4), 8);
}

TEST(Event, AnEventWithoutHandlerRaisesInsteadOfCallingNothing) {
    TEvent<void()> empty;
    EXPECT_FALSE(empty);
    EXPECT_THROW(empty(), Exception);
    TEvent<bool(int)> reset = [](int) { return true; };
    reset = {};
    EXPECT_FALSE(reset);
    EXPECT_THROW(reset(1), Exception);
}

}  // namespace
}  // namespace zov
