// Real X input (xdotool's XTEST events) on a real window reaching the polled
// state with the game's numbers, and the platform timer.
#include <thread>

#include <gtest/gtest.h>

#include "engine/input/event.h"
#include "engine/input/hook.h"
#include "engine/input/input.h"
#include "engine/input/system_driver.h"
#include "engine/input/timer.h"
#include "tests/support/display.h"
#include "tests/support/process.h"
#include "tests/support/x11_close.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::RunCommand;

namespace {

const char* kTitle = "input test window";

// Polls until the condition holds or a second has passed
template <typename Condition>
bool PollUntil(Condition condition)
{
    for (int i = 0; i < 100; ++i) {
        PollSystem();
        if (condition()) return true;
        platform::SleepMillis(10);
    }
    return false;
}

class PlatformInput : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform::SetAppTitle(kTitle);
        ASSERT_TRUE(testsupport::OpenTestDisplay(testsupport::DriverKind::GL, 800, 600));
        window_ = testsupport::WaitForWindow(kTitle, 5000);
        ASSERT_FALSE(window_.empty());
        RunCommand("xdotool windowfocus --sync " + window_);
        PollUntil([] { return false; });
    }
    static void TearDownTestSuite() { CloseGraphics(); }
    void SetUp() override
    {
        PollSystem();
        FlushInput();
        FlushMouse();
    }
    static void X(const std::string& args) { RunCommand("xdotool " + args); }

    static inline std::string window_;
};

TEST_F(PlatformInput, KeysArriveWithTheGamesNumbers)
{
    const struct {
        const char* xkey;
        int code;
    } cases[] = {
        {"w", KEY_W}, {"a", KEY_A}, {"s", KEY_S}, {"d", KEY_D}, {"Up", KEY_UP}, {"Down", KEY_DOWN},
        {"Left", KEY_LEFT}, {"Right", KEY_RIGHT}, {"Escape", KEY_ESCAPE}, {"BackSpace", KEY_BACKSPACE},
        {"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3}, {"5", KEY_0 + 5}, {"Return", KEY_ENTER},
        {"Shift_L", KEY_LSHIFT}, {"Shift_R", KEY_RSHIFT}, {"Control_L", KEY_LCONTROL},
        {"Control_R", KEY_RCONTROL}, {"Alt_L", KEY_LALT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xkey);
        X(std::string("keydown ") + c.xkey);
        EXPECT_TRUE(PollUntil([&] { return KeyIsDown(c.code) == 1; }));
        X(std::string("keyup ") + c.xkey);
        EXPECT_TRUE(PollUntil([&] { return KeyIsDown(c.code) == 0; }));
        EXPECT_EQ(TakeKeyHits(c.code), 1);
    }
}

// The X server's NumLock, as xset reports it
bool NumLockOn() { return RunCommand("xset q").find("Num Lock:    on") != std::string::npos; }

TEST_F(PlatformInput, TheKeypadIsACursorBlockWithNumLockOffAndDigitsWithItOn)
{
    const struct {
        const char* xkey;   // the keypad key's symbol with NumLock off
        int cursor, digit;
    } cases[] = {
        {"KP_Up", KEY_UP, 104}, {"KP_Down", KEY_DOWN, 98}, {"KP_Left", KEY_LEFT, 100},
        {"KP_Right", KEY_RIGHT, 102}, {"KP_Home", 36, 103}, {"KP_End", 35, 97}, {"KP_Prior", 33, 105},
        {"KP_Next", 34, 99}, {"KP_Insert", 45, 96}, {"KP_Delete", 46, 110},
    };
    if (NumLockOn()) X("key Num_Lock");
    ASSERT_FALSE(NumLockOn());
    for (bool numLock : {false, true}) {
        if (numLock) {
            X("key Num_Lock");
            ASSERT_TRUE(NumLockOn());
        }
        for (const auto& c : cases) {
            int code = numLock ? c.digit : c.cursor;
            SCOPED_TRACE(std::string(c.xkey) + (numLock ? " with NumLock" : ""));
            X(std::string("keydown ") + c.xkey);
            EXPECT_TRUE(PollUntil([&] { return KeyIsDown(code) == 1; }));
            X(std::string("keyup ") + c.xkey);
            EXPECT_TRUE(PollUntil([&] { return KeyIsDown(code) == 0; }));
            EXPECT_EQ(TakeKeyHits(code), 1);
        }
    }
    X("key Num_Lock");
    EXPECT_FALSE(NumLockOn());
}

TEST_F(PlatformInput, TypedTextAndControlKeysFillTheCharacterQueue)
{
    X("type --delay 20 'Hi 5!'");
    X("key BackSpace Tab Return Escape");
    std::vector<int> typed;
    PollUntil([&] {
        while (int ch = PopTypedChar()) typed.push_back(ch);
        return typed.size() >= 9;
    });
    EXPECT_EQ(typed, (std::vector<int>{'H', 'i', ' ', '5', '!', 8, 9, 13, 27}));
    EXPECT_EQ(TakeKeyHits(KEY_BACKSPACE), 1);
}

TEST_F(PlatformInput, ButtonsPositionAndWheel)
{
    X("mousemove --window " + window_ + " 100 50");
    EXPECT_TRUE(PollUntil([] { return MousePosX() == 100 && MousePosY() == 50; }))
        << MousePosX() << "," << MousePosY();
    const struct {
        int xbutton, button;
    } buttons[] = {{1, MOUSE_LEFT}, {3, MOUSE_RIGHT}, {2, MOUSE_MIDDLE}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.xbutton);
        X("mousedown " + std::to_string(b.xbutton));
        EXPECT_TRUE(PollUntil([&] { return MouseIsDown(b.button) == 1; }));
        X("mouseup " + std::to_string(b.xbutton));
        EXPECT_TRUE(PollUntil([&] { return MouseIsDown(b.button) == 0; }));
        EXPECT_EQ(TakeMouseHits(b.button), 1);
    }
    int z = MousePosZ();
    X("click 4");
    EXPECT_TRUE(PollUntil([&] { return MousePosZ() == z + 1; }));
    X("click 5");
    EXPECT_TRUE(PollUntil([&] { return MousePosZ() == z; }));
}

TEvent gLast;
void* RememberKeyDown(int, void* data, void*)
{
    const TEvent* e = static_cast<const TEvent*>(data);
    if (e->id == EVENT_KEYDOWN && e->data == KEY_A) gLast = *e;
    return data;
}

TEST_F(PlatformInput, EveryEventCarriesTheModifiers)
{
    AddHook(EmitEventHook(), RememberKeyDown, nullptr);
    gLast = TEvent{};
    X("keydown Control_L keydown Shift_L key a keyup Shift_L keyup Control_L");
    PollUntil([] { return gLast.id == EVENT_KEYDOWN; });
    RemoveHook(EmitEventHook(), RememberKeyDown, nullptr);
    EXPECT_EQ(gLast.mods & (MODIFIER_SHIFT | MODIFIER_CONTROL), MODIFIER_SHIFT | MODIFIER_CONTROL);
    EXPECT_EQ(gLast.mods & MODIFIER_OPTION, 0);
}

TEST_F(PlatformInput, CloseButtonAndAltF4OnlyRaiseTheCloseRequest)
{
    AppTerminate();
    ASSERT_TRUE(testsupport::SendCloseRequest(window_));
    EXPECT_TRUE(PollUntil([] { return gInput.terminate == 1; }));
    EXPECT_EQ(AppTerminate(), 1);
    X("key alt+F4");
    EXPECT_TRUE(PollUntil([] { return gInput.terminate == 1; }));
    EXPECT_EQ(AppTerminate(), 1);
    // The window stays
    EXPECT_FALSE(testsupport::WaitForWindow(kTitle, 100).empty());
}

int gDepth = 0, gDeepest = 0;
void* PollFromInsideTheHook(int, void* data, void*)
{
    ++gDepth;
    gDeepest = std::max(gDeepest, gDepth);
    // Queries poll first; inside the pump that must do nothing
    KeyIsDown(KEY_W);
    PollSystem();
    --gDepth;
    return data;
}

TEST_F(PlatformInput, AQueryFromAnEventHandlerDoesNotReenterThePump)
{
    AddHook(EmitEventHook(), PollFromInsideTheHook, nullptr);
    gDeepest = 0;
    X("key w key a key s");
    PollUntil([] { return gDeepest > 0; });
    platform::SleepMillis(50);
    PollSystem();
    RemoveHook(EmitEventHook(), PollFromInsideTheHook, nullptr);
    EXPECT_EQ(gDeepest, 1);
}

std::vector<int> gTicks;
std::thread::id gTickThread;
void* RememberTick(int, void* data, void*)
{
    const TEvent* e = static_cast<const TEvent*>(data);
    if (e->id == EVENT_TIMERTICK) {
        gTicks.push_back(e->data);
        gTickThread = std::this_thread::get_id();
    }
    return data;
}

TEST_F(PlatformInput, TimerTicksArriveOnlyInsidePollInOrderOnTheMainThread)
{
    gTicks.clear();
    AddHook(EmitEventHook(), RememberTick, nullptr);
    std::shared_ptr<TTimer> timer = TTimer::Create(120);
    ASSERT_NE(timer, nullptr);
    platform::SleepMillis(200);
    // Nothing reaches the program between polls
    EXPECT_TRUE(gTicks.empty());
    EXPECT_EQ(timer->Ticks(), 0);
    PollSystem();
    EXPECT_GE(timer->Ticks(), 15);   // 200 ms at 8 ms a tick, allowing for a slow machine
    EXPECT_EQ(gTickThread, std::this_thread::get_id());
    for (std::size_t i = 0; i < gTicks.size(); ++i) ASSERT_EQ(gTicks[i], int(i) + 1);
    EXPECT_EQ(int(gTicks.size()), timer->Ticks());

    EXPECT_GE(timer->Wait(), 1);
    // Ticks posted before the timer stopped are ignored
    platform::SleepMillis(50);
    int ticks = timer->Ticks();
    timer->Stop();
    PollSystem();
    EXPECT_EQ(timer->Ticks(), ticks);
    RemoveHook(EmitEventHook(), RememberTick, nullptr);
}

TEST_F(PlatformInput, AtMostSixteenTimersRun)
{
    std::vector<std::shared_ptr<TTimer>> timers;
    for (int i = 0; i < 16; ++i) {
        timers.push_back(TTimer::Create(10));
        ASSERT_NE(timers.back(), nullptr) << i;
    }
    EXPECT_EQ(TTimer::Create(10), nullptr);
    timers[0]->Stop();
    // A running timer keeps itself alive until stopped
    timers[0] = TTimer::Create(10);
    EXPECT_NE(timers[0], nullptr);
    for (auto& t : timers)
        if (t) t->Stop();
}

} // namespace
