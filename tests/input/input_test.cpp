// Events emitted through the real emit chain into the polled input state.
#include <gtest/gtest.h>

#include "engine/input/event.h"
#include "engine/input/hook.h"
#include "engine/input/input.h"
#include "engine/runtime/error.h"

using namespace engine;

namespace {

void Emit(int id, int data = 0, int x = 0, int y = 0) { TEvent::Create(id, nullptr, data, 0, x, y).Emit(); }

class InputTest : public testing::Test {
protected:
    void SetUp() override { InstallInputHook(nullptr); }
    void TearDown() override { RemoveInputHook(); }
};

TEST_F(InputTest, AHeldKeyGivesOneHitPerPressHoweverLongItRepeats)
{
    Emit(EVENT_KEYDOWN, KEY_W);
    for (int i = 0; i < 60; ++i) Emit(EVENT_KEYREPEAT, KEY_W);
    EXPECT_EQ(KeyIsDown(KEY_W), 1);
    EXPECT_EQ(TakeKeyHits(KEY_W), 1);
    EXPECT_EQ(TakeKeyHits(KEY_W), 0);
    // A second down without an up is the same press
    Emit(EVENT_KEYDOWN, KEY_W);
    EXPECT_EQ(TakeKeyHits(KEY_W), 0);
    Emit(EVENT_KEYUP, KEY_W);
    EXPECT_EQ(KeyIsDown(KEY_W), 0);
}

TEST_F(InputTest, PressesBetweenReadsAreCounted)
{
    for (int i = 0; i < 3; ++i) {
        Emit(EVENT_KEYDOWN, KEY_BACKSPACE);
        Emit(EVENT_KEYUP, KEY_BACKSPACE);
    }
    EXPECT_EQ(TakeKeyHits(KEY_BACKSPACE), 3);
    EXPECT_EQ(TakeKeyHits(KEY_BACKSPACE), 0);
    for (int i = 0; i < 2; ++i) {
        Emit(EVENT_MOUSEDOWN, MOUSE_RIGHT, 5, 6);
        Emit(EVENT_MOUSEUP, MOUSE_RIGHT, 5, 6);
    }
    EXPECT_EQ(TakeMouseHits(MOUSE_RIGHT), 2);
    EXPECT_EQ(MouseIsDown(MOUSE_RIGHT), 0);
}

TEST_F(InputTest, TheCharacterQueueKeepsTheFirst256UnreadCharacters)
{
    for (int i = 0; i < 300; ++i) Emit(EVENT_KEYCHAR, 1000 + i);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(PopTypedChar(), 1000 + i) << "character " << i;
    EXPECT_EQ(PopTypedChar(), 0);
    // Room again once read, and the ring wraps around its slots
    Emit(EVENT_KEYCHAR, 'x');
    Emit(EVENT_KEYCHAR, 'y');
    EXPECT_EQ(PopTypedChar(), 'x');
    EXPECT_EQ(PopTypedChar(), 'y');
    EXPECT_EQ(PopTypedChar(), 0);
}

TEST_F(InputTest, LosingFocusClearsHeldKeysAndHits)
{
    Emit(EVENT_KEYDOWN, KEY_S);
    Emit(EVENT_KEYDOWN, KEY_ESCAPE);
    Emit(EVENT_MOUSEDOWN, MOUSE_LEFT);
    Emit(EVENT_KEYCHAR, 'q');
    Emit(EVENT_APPSUSPEND);
    EXPECT_EQ(AppSuspended(), 1);
    EXPECT_EQ(KeyIsDown(KEY_S), 0);
    EXPECT_EQ(TakeKeyHits(KEY_ESCAPE), 0);
    EXPECT_EQ(MouseIsDown(MOUSE_LEFT), 0);
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 0);
    EXPECT_EQ(PopTypedChar(), 0);
    Emit(EVENT_KEYDOWN, KEY_S);
    Emit(EVENT_APPRESUME);
    EXPECT_EQ(AppSuspended(), 0);
    EXPECT_EQ(KeyIsDown(KEY_S), 0);
}

TEST_F(InputTest, MouseMovesWheelAndTheCloseRequest)
{
    Emit(EVENT_MOUSEMOVE, 0, 123, 456);
    Emit(EVENT_MOUSEWHEEL, 2);
    Emit(EVENT_MOUSEWHEEL, -3);
    EXPECT_EQ(MousePosX(), 123);
    EXPECT_EQ(MousePosY(), 456);
    EXPECT_EQ(MousePosZ(), -1);
    EXPECT_EQ(AppTerminate(), 0);
    Emit(EVENT_APPTERMINATE);
    EXPECT_EQ(AppTerminate(), 1);
    EXPECT_EQ(AppTerminate(), 0);
}

TEST_F(InputTest, FlushingEmptiesKeysAndCharactersButNotTheMouse)
{
    Emit(EVENT_KEYDOWN, KEY_A);
    Emit(EVENT_KEYCHAR, 'a');
    Emit(EVENT_MOUSEDOWN, MOUSE_LEFT);
    EXPECT_EQ(FlushInput(), 0);
    EXPECT_EQ(KeyIsDown(KEY_A), 0);
    EXPECT_EQ(PopTypedChar(), 0);
    EXPECT_EQ(MouseIsDown(MOUSE_LEFT), 1);
    FlushMouse();
    EXPECT_EQ(TakeMouseHits(MOUSE_LEFT), 0);
}

TEST_F(InputTest, OutOfRangeCodesNeverEnterTheState)
{
    Emit(EVENT_KEYDOWN, 0);
    Emit(EVENT_KEYDOWN, 256);
    Emit(EVENT_KEYDOWN, -4);
    Emit(EVENT_MOUSEDOWN, 4);
    Emit(EVENT_MOUSEDOWN, 0);
    for (int key = 0; key < 256; ++key) ASSERT_EQ(KeyIsDown(key), 0);
    EXPECT_EQ(KeyIsDown(256), 0);
    EXPECT_EQ(TakeKeyHits(-1), 0);
    for (int button = 0; button < 4; ++button) EXPECT_EQ(MouseIsDown(button), 0);
}

TEST_F(InputTest, AnEventSourceFiltersOtherSources)
{
    int display = 0, other = 0;
    InstallInputHook(&display);
    TEvent::Create(EVENT_KEYDOWN, &other, KEY_D).Emit();
    EXPECT_EQ(KeyIsDown(KEY_D), 0);
    TEvent::Create(EVENT_KEYDOWN, &display, KEY_D).Emit();
    EXPECT_EQ(KeyIsDown(KEY_D), 1);
    // Removing the hook clears the state it built
    RemoveInputHook();
    EXPECT_EQ(KeyIsDown(KEY_D), 0);
    TEvent::Create(EVENT_KEYDOWN, nullptr, KEY_D).Emit();
    EXPECT_EQ(KeyIsDown(KEY_D), 0);
}

TEST(Events, NamesAsTheyPrint)
{
    const struct {
        int id;
        const char16_t* name;
    } cases[] = {
        {EVENT_APPSUSPEND, u"AppSuspend"},   {EVENT_APPTERMINATE, u"AppTerminate"},
        {EVENT_KEYDOWN, u"KeyDown"},         {EVENT_KEYREPEAT, u"KeyRepeat"},
        {EVENT_KEYCHAR, u"KeyChar"},         {EVENT_MOUSEWHEEL, u"MouseWheel"},
        {EVENT_MOUSELEAVE, u"MouseLeave"},   {EVENT_TIMERTICK, u"TimerTick"},
        {EVENT_HOTKEYHIT, u"HotkeyHit"},     {EVENT_GADGETACTION, u"GadgetAction"},
        {EVENT_GADGETSHAPE, u"GadgetShape"}, {EVENT_WINDOWACCEPT, u"WindowAccept"},
        {EVENT_MENUACTION, u"MenuAction"},   {EVENT_STREAMAVAIL, u"StreamAvail"},
        {EVENT_PROCESSEXIT, u"ProcessExit"}, {0x999, u"Unknown Event, id=2457"},
    };
    for (const auto& c : cases) EXPECT_EQ(TEvent::Create(c.id).ToString(), c.name) << c.id;
    int user = TEvent::AllocUserId();
    EXPECT_NE(TEvent::AllocUserId(), user);
    EXPECT_EQ(TEvent::Create(user).ToString(), u"UserEvent");
}

// Each hook notes its name and hands on the data one byte further
std::string gTrace;
void* TraceHook(int, void* data, void* context)
{
    gTrace += static_cast<const char*>(context);
    return static_cast<char*>(data) + 1;
}
void* OtherHook(int, void* data, void*) { return data; }

TEST(Hooks, RunInPriorityOrderWithANewHookAfterEqualOnes)
{
    int id = AllocHookId();
    AddHook(id, TraceHook, const_cast<char*>("a"), 0);
    AddHook(id, TraceHook, const_cast<char*>("b"), 9);
    AddHook(id, TraceHook, const_cast<char*>("c"), 0);
    AddHook(id, TraceHook, const_cast<char*>("d"), -1);
    AddHook(id, TraceHook, const_cast<char*>("e"), 9);
    char base[8];
    gTrace.clear();
    EXPECT_EQ(RunHooks(id, base), base + 5);
    EXPECT_EQ(gTrace, "beacd");
    // Only the hook with both the function and the context goes
    RemoveHook(id, OtherHook, const_cast<char*>("a"));
    RemoveHook(id, TraceHook, const_cast<char*>("c"));
    gTrace.clear();
    RunHooks(id, base);
    EXPECT_EQ(gTrace, "bead");
    // An empty chain hands the data back
    int empty = AllocHookId();
    EXPECT_EQ(RunHooks(empty, base), base);
}

TEST(Hooks, TheTwoHundredFiftySixthIdThrows)
{
    // Ids 1 and 2 belong to the emit and flip chains; other tests may have
    // taken more. Up to 255 come out, numbered in sequence.
    int last = 0;
    try {
        for (;;) last = AllocHookId();
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Too many hook ids");
    }
    EXPECT_EQ(last, 255);
    EXPECT_THROW(AllocHookId(), TRuntimeError);
    EXPECT_EQ(EmitEventHook(), 1);
    EXPECT_EQ(FlipHook(), 2);
}

} // namespace
