// The title, the run frame and the tally, driven frame by frame with events
// sent through the real input hook, on a real display.
#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/font.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/input/event.h"
#include "engine/input/input.h"
#include "game/flow/game.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"
#include "scores/save_file.h"
#include "tests/display/fake_clock.h"
#include "tests/support/game_folder.h"

using namespace engine;
using game::Stage;

namespace {

void Send(int id, int data, int x = 0, int y = 0) { TEvent::Create(id, nullptr, data, 0, x, y).Emit(); }
void Press(int key) { Send(EVENT_KEYDOWN, key); }
void Release(int key) { Send(EVENT_KEYUP, key); }
void Tap(int key)
{
    Press(key);
    Release(key);
}
void Type(int code) { Send(EVENT_KEYCHAR, code); }
void Click(int button)
{
    Send(EVENT_MOUSEDOWN, button);
    Send(EVENT_MOUSEUP, button);
}
void MoveMouse(int x, int y) { Send(EVENT_MOUSEMOVE, 0, x, y); }

int gSaveWrites = 0;
void CountSaveWrite(const std::string&) { ++gSaveWrites; }

class Screens : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        started_ = new game::Game;
        Stage stage = game::Startup(*started_);
        while (stage != Stage::Title) stage = game::Step(*started_, stage);
        // Frames are paced by a clock that only moves when slept on
        testsupport::FakeClock::Install();
    }
    static void TearDownTestSuite()
    {
        ResetDisplayClock();
        CloseGraphics();
        delete started_;
    }
    // A fresh game on the open display, with the art loaded once, on its title
    void SetUp() override
    {
        FlushInput();
        FlushMouse();
        g.res = started_->res;
        g.displaySetUpOnce = true;
        g.saved.playerId = 777;
        g.saved.rendererChoice = 0;
        ASSERT_EQ(game::EnterTitle(g), Stage::Title);
    }
    void TearDown() override
    {
        scores::SetSaveWriteTestHook(nullptr);
        FlushInput();
        FlushMouse();
    }
    // The stages up to the next title frame, through set-up and entry
    Stage StepUntil(Stage stage, Stage wanted, int limit = 1000)
    {
        for (int i = 0; i < limit && stage != wanted; ++i) stage = game::Step(g, stage);
        return stage;
    }
    // Frames with Escape up, so that a later press may quit
    void ClearEscapeLatch()
    {
        ASSERT_EQ(game::TitleFrame(g), Stage::Title);
        ASSERT_EQ(g.escapeLatch, 0);
    }
    scores::PersistentValues SavedOnDisk()
    {
        scores::PersistentValues values;
        values.playerName = u"(not read)";
        scores::ReadSaveFile(values, [] { return -1; });
        return values;
    }

    static inline game::Game* started_ = nullptr;
    game::Game g;
};

bool HasLabel(const game::Game& g, std::u16string_view text, int y)
{
    for (const game::ScreenText& t : game::OptionLabels(g))
        if (t.text == text && t.y == y && t.x == 0 && !t.font && t.centred == 0) return true;
    return false;
}

//---- Name editing

TEST_F(Screens, TypingTakesOneCharacterAFrameAboveSpaceUpToTen)
{
    g.saved.playerName = u"";
    const int typed[] = {'A', ' ', 9, '|', 0x263A, 255, 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k'};
    for (int code : typed) Type(code);
    for (std::size_t i = 0; i < std::size(typed); ++i) ASSERT_EQ(game::TitleFrame(g), Stage::Title);
    // Space, tab, "|" and a character the save file cannot hold are refused;
    // the eleventh accepted character finds the name full
    EXPECT_EQ(g.saved.playerName, u"A\u00FFbcdefghi");
}

TEST_F(Screens, BackspaceRemovesOneCharacterAFrameDownToEmpty)
{
    g.saved.playerName = u"abc";
    for (int i = 0; i < 3; ++i) Tap(KEY_BACKSPACE);
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.playerName, u"ab");
    Tap(KEY_BACKSPACE);
    game::TitleFrame(g);
    Tap(KEY_BACKSPACE);
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.playerName, u"");
    Tap(KEY_BACKSPACE);
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.playerName, u"");
}

TEST_F(Screens, ASavedTwelveCharacterNameIsCutInTheFirstTitleFrame)
{
    g.saved.playerName = u"Abcdefghijkl";
    scores::WriteSaveFile(g.saved);
    g.saved.playerName = u"";
    scores::ReadSaveFile(g.saved, [] { return 1; });
    ASSERT_EQ(g.saved.playerName, u"Abcdefghijkl");
    game::EnterTitle(g);
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.playerName, u"Abcdefghij");
}

TEST_F(Screens, ChangedArtForcesTheNameAndScoreWhateverIsTyped)
{
    g.dataModified = 1;
    g.saved.bestScore = 500;
    g.runTotal = 900;
    Type('x');
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.playerName, u"Dag Nabbit");
    EXPECT_EQ(g.saved.bestScore, 0);
}

//---- Leaving the title

TEST_F(Screens, AClickPendingWhenTheTitleIsEnteredDoesNotStartARun)
{
    // As in the pause after a run: the click arrives before the title shows
    Click(MOUSE_LEFT);
    game::EnterTitle(g);
    EXPECT_EQ(game::TitleFrame(g), Stage::Title);
    Click(MOUSE_LEFT);
    EXPECT_EQ(game::TitleFrame(g), Stage::BeginRun);
}

TEST_F(Screens, EscapeHeldFromARunEndedByEscapeDoesNotQuitTheTitle)
{
    Click(MOUSE_LEFT);
    ASSERT_EQ(game::TitleFrame(g), Stage::BeginRun);
    // The click that started the run fires no shot
    Click(MOUSE_LEFT);
    ASSERT_EQ(game::BeginRun(g), Stage::Run);
    ASSERT_EQ(game::RunFrame(g), Stage::Run);
    EXPECT_EQ(g.shotPending, 0);
    Press(KEY_ESCAPE);
    ASSERT_EQ(game::RunFrame(g), Stage::EndOfRun);
    EXPECT_EQ(g.run.runOver, 99);
    ASSERT_EQ(StepUntil(Stage::EndOfRun, Stage::Title), Stage::Title);
    // Still held: the keyboard repeats it, and a press may even come in
    // just as the title is entered
    Press(KEY_ESCAPE);
    for (int i = 0; i < 5; ++i) {
        Send(EVENT_KEYREPEAT, KEY_ESCAPE);
        ASSERT_EQ(game::TitleFrame(g), Stage::Title) << "frame " << i;
    }
    Release(KEY_ESCAPE);
    EXPECT_EQ(game::TitleFrame(g), Stage::Title);
    Press(KEY_ESCAPE);
    EXPECT_EQ(game::TitleFrame(g), Stage::Quit);
}

TEST_F(Screens, TheRightButtonHeldExchangesOncePerVisit)
{
    g.saved.scoreBoardText = u"Ann|120|";
    scores::SetSaveWriteTestHook(CountSaveWrite);
    gSaveWrites = 0;
    Send(EVENT_MOUSEDOWN, MOUSE_RIGHT);
    for (int i = 0; i < 5; ++i) game::TitleFrame(g);
    // Each exchange writes the save file, and nothing else does here
    EXPECT_EQ(gSaveWrites, 1);
    EXPECT_EQ(g.boardUpdateAllowed, 0);
    // With no score server the board becomes empty
    EXPECT_EQ(g.saved.scoreBoardText, u"");
    game::EnterTitle(g);
    gSaveWrites = 0;
    for (int i = 0; i < 5; ++i) game::TitleFrame(g);
    EXPECT_EQ(gSaveWrites, 1);
    Send(EVENT_MOUSEUP, MOUSE_RIGHT);
}

TEST_F(Screens, ABetterRunTotalBecomesTheBestScoreAndIsSaved)
{
    g.saved.bestScore = 40;
    g.runTotal = 30;
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.bestScore, 40);
    g.runTotal = 70;
    game::TitleFrame(g);
    EXPECT_EQ(g.saved.bestScore, 70);
    EXPECT_EQ(g.runTotal, 0);
    EXPECT_EQ(SavedOnDisk().bestScore, 70);
}

//---- What the title shows

TEST_F(Screens, TheBoardRowsPadNamesWithDotsAndScoresWithZeros)
{
    const struct {
        const char16_t* board;
        int row;
        const char16_t* name;
        const char16_t* score;
    } cases[] = {
        {u"", 1, u"..........", u"00000000"},
        {u"", 2, u".......-+-", u"00000-+-"},
        {u"", 10, u".......-+-", u"00000-+-"},
        {u"Ann|120|Bob|95|", 1, u".......Ann", u"00000120"},
        {u"Ann|120|Bob|95|", 2, u".......Bob", u"00000095"},
        // The closing "|" leaves one empty field before the end
        {u"Ann|120|Bob|95|", 3, u"..........", u"00000-+-"},
        {u"Ann|120|Bob|95|", 4, u".......-+-", u"00000-+-"},
        {u"Abcdefghijkl|123456789|", 1, u"cdefghijkl", u"23456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        EXPECT_EQ(game::BoardRowName(c.board, c.row), c.name);
        EXPECT_EQ(game::BoardRowScore(c.board, c.row), c.score);
    }
}

TEST_F(Screens, TheTitleTextsStandInTheirFontsAndPlaces)
{
    g.saved.playerName = u"Zed";
    g.saved.bestScore = 1234;
    std::vector<game::ScreenText> texts = game::TitleTexts(g);
    ASSERT_EQ(texts.size(), 31u);
    const game::Resources& r = g.res;
    const struct {
        int index;
        std::shared_ptr<TImageFont> font;
        const char16_t* text;
        int x, y, centred;
    } cases[] = {
        {0, r.bigFont, u"Varnick", 350, 100, 1},
        {2, r.bigFont, u"Shoot to start", 400, 200, 1},
        {4, r.smallFont, u"S or Down to Duck", 400, 260, 1},
        {5, r.smallFont, u"Type to change name", 200, 380, 1},
        {7, r.digitFont, u".......Zed", 200, 400, 1},
        {8, r.digitFont, u"00001234", 200, 480, 1},
        {9, r.digitFont, u"..........", 450, 360, 0},
        {10, r.digitFont, u"00000000", 650, 360, 0},
        {28, r.digitFont, u"00000-+-", 650, 540, 0},
        {30, r.smallFont, u"Right Click to Update", 650, 340, 1},
    };
    for (const auto& c : cases) {
        const game::ScreenText& t = texts[std::size_t(c.index)];
        SCOPED_TRACE(testing::Message() << "text " << c.index);
        EXPECT_EQ(t.font, c.font);
        EXPECT_EQ(t.text, c.text);
        EXPECT_EQ(t.x, c.x);
        EXPECT_EQ(t.y, c.y);
        EXPECT_EQ(t.centred, c.centred);
    }
}

//---- The option keys

TEST_F(Screens, TheLabelsSayWhatEachKeyWouldDo)
{
    const struct {
        int depth, music, renderer;
        const char16_t* f1;
        const char16_t* f2;
        const char16_t* f3;
    } cases[] = {
        {0, 1, 0, u"(F1) Switch to Fullscreen", u"(F2) Switch Music Off", u"(F3) Switch to DirectX"},
        {32, 0, 1, u"(F1) Switch to Windowed", u"(F2) Switch Music On", u"(F3) Switch to OpenGL"},
        {16, 2, 5, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " " << c.music << " " << c.renderer);
        g.saved.screenDepth = c.depth, g.saved.musicOn = c.music, g.saved.rendererChoice = c.renderer;
        std::size_t lines = game::OptionLabels(g).size();
        EXPECT_EQ(lines, std::size_t(!!c.f1 + !!c.f2 + !!c.f3));
        if (c.f1) EXPECT_TRUE(HasLabel(g, c.f1, 0));
        if (c.f2) EXPECT_TRUE(HasLabel(g, c.f2, 10));
        if (c.f3) EXPECT_TRUE(HasLabel(g, c.f3, 20));
    }
}

TEST_F(Screens, F2TwiceStopsTheTuneAndStartsItAgainFromItsBeginning)
{
    ASSERT_EQ(g.saved.musicOn, 1);
    Tap(KEY_F2);
    int starts = g.tuneStarts;
    EXPECT_EQ(game::TitleFrame(g), Stage::Title);
    EXPECT_EQ(g.saved.musicOn, 0);
    EXPECT_FALSE(game::TunePlaying(g));
    EXPECT_EQ(g.tuneStarts, starts);
    EXPECT_TRUE(HasLabel(g, u"(F2) Switch Music On", 10));
    Tap(KEY_F2);
    EXPECT_EQ(game::TitleFrame(g), Stage::Title);
    EXPECT_EQ(g.saved.musicOn, 1);
    EXPECT_EQ(g.tuneStarts, starts + 1);
    EXPECT_TRUE(HasLabel(g, u"(F2) Switch Music Off", 10));
}

TEST_F(Screens, F2ThenEscapeQuitsWithTheOldMusicSettingSaved)
{
    ClearEscapeLatch();
    Tap(KEY_F2);
    ASSERT_EQ(game::TitleFrame(g), Stage::Title);
    ASSERT_EQ(g.saved.musicOn, 0);
    Press(KEY_ESCAPE);
    EXPECT_EQ(game::TitleFrame(g), Stage::Quit);
    Release(KEY_ESCAPE);
    EXPECT_EQ(SavedOnDisk().musicOn, 1);
}

TEST_F(Screens, F3GoesToTheSecondRendererAndBackThroughARebuild)
{
    g.saved.playerName = u"Keep";
    g.saved.bestScore = 321;
    g.saved.scoreBoardText = u"Ann|120|";
    std::shared_ptr<TImage> sheet = g.res.gfxSheet;
    int generation = GraphicsGeneration();
    Tap(KEY_F3);
    ASSERT_EQ(game::TitleFrame(g), Stage::SetUpDisplay);
    EXPECT_EQ(g.saved.rendererChoice, 1);
    ASSERT_EQ(StepUntil(Stage::SetUpDisplay, Stage::Title), Stage::Title);
    EXPECT_NE(GraphicsGeneration(), generation);
    EXPECT_TRUE(HasLabel(g, u"(F3) Switch to OpenGL", 20));
    EXPECT_EQ(SavedOnDisk().rendererChoice, 1);

    Tap(KEY_F3);
    ASSERT_EQ(game::TitleFrame(g), Stage::SetUpDisplay);
    ASSERT_EQ(StepUntil(Stage::SetUpDisplay, Stage::Title), Stage::Title);
    EXPECT_EQ(g.saved.rendererChoice, 0);
    EXPECT_EQ(GetGraphicsDriver(), GLCanvasDriver());
    EXPECT_TRUE(HasLabel(g, u"(F3) Switch to DirectX", 20));
    // Nothing but the display changed, and the art was not loaded again
    EXPECT_EQ(g.saved.playerName, u"Keep");
    EXPECT_EQ(g.saved.bestScore, 321);
    EXPECT_EQ(g.saved.playerId, 777);
    EXPECT_EQ(g.saved.scoreBoardText, u"Ann|120|");
    EXPECT_EQ(g.res.gfxSheet, sheet);
}

TEST_F(Screens, F1HeldAcrossFramesSwitchesOnce)
{
    // Opening full screen times the retrace, which needs the real clock
    ResetDisplayClock();
    Press(KEY_F1);
    ASSERT_EQ(game::TitleFrame(g), Stage::SetUpDisplay);
    EXPECT_EQ(g.saved.screenDepth, 32);
    ASSERT_EQ(StepUntil(Stage::SetUpDisplay, Stage::Title), Stage::Title);
    EXPECT_EQ(GraphicsDepth(), 32);
    for (int i = 0; i < 5; ++i) {
        Send(EVENT_KEYREPEAT, KEY_F1);
        ASSERT_EQ(game::TitleFrame(g), Stage::Title) << "frame " << i;
    }
    EXPECT_TRUE(HasLabel(g, u"(F1) Switch to Windowed", 0));
    EXPECT_EQ(SavedOnDisk().screenDepth, 32);
    Release(KEY_F1);
    game::TitleFrame(g);
    Press(KEY_F1);
    ASSERT_EQ(game::TitleFrame(g), Stage::SetUpDisplay);
    Release(KEY_F1);
    ASSERT_EQ(StepUntil(Stage::SetUpDisplay, Stage::Title), Stage::Title);
    EXPECT_EQ(g.saved.screenDepth, 0);
    EXPECT_EQ(GraphicsDepth(), 0);
    // The fonts loaded for the first display still draw on this one
    Cls();
    SetImageFont(g.res.bigFont);
    game::DrawTextAt(400, 300, u"Varnick", 1, 1);
    std::shared_ptr<TPixmap> middle = GrabPixmap(300, 260, 200, 80);
    int white = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x) white += middle->Red(x, y) > 200 && middle->Blue(x, y) > 200;
    EXPECT_GT(white, 200);
    testsupport::FakeClock::Install();
}

//---- The tally

struct TallyRun {
    int frames = 0;
    int shotFrom = 0, missedFrom = 0, passedFrom = 0;   // first frame each line shows
    int lowestTotal = 1 << 30;
};

class Tally : public Screens {
protected:
    TallyRun CountUp(int shot, int missed, int passed, int holdLeftFrom = 1 << 30)
    {
        g.run.birdsShot = shot, g.run.birdsMissed = missed, g.run.objectsPassed = passed;
        EXPECT_EQ(game::ScoreTally(g), Stage::Tally);
        TallyRun run;
        Stage stage = Stage::Tally;
        while (stage == Stage::Tally && run.frames < 2000) {
            if (run.frames + 1 == holdLeftFrom) Send(EVENT_MOUSEDOWN, MOUSE_LEFT);
            stage = game::TallyFrame(g);
            ++run.frames;
            if (!run.shotFrom && g.shotShown > -1) run.shotFrom = run.frames;
            if (!run.missedFrom && g.missedShown > -1) run.missedFrom = run.frames;
            if (!run.passedFrom && g.passedShown > -1) run.passedFrom = run.frames;
            run.lowestTotal = std::min(run.lowestTotal, g.runTotal);
        }
        EXPECT_EQ(stage, Stage::EnterTitle);
        return run;
    }
    bool Shows(std::u16string_view text, int y)
    {
        for (const game::ScreenText& t : game::TallyTexts(g))
            if (t.text == text && t.y == y && t.x == 400 && t.font == g.res.bigFont && t.centred) return true;
        return false;
    }
};

TEST_F(Tally, NothingScoredStillShowsThreeLinesOfZero)
{
    TallyRun run = CountUp(0, 0, 0);
    // A line 61 frames after the start and after each finished line, then
    // 180 frames of rest
    EXPECT_EQ(run.shotFrom, 61);
    EXPECT_EQ(run.missedFrom, 122);
    EXPECT_EQ(run.passedFrom, 183);
    EXPECT_EQ(run.frames, 363);
    EXPECT_TRUE(Shows(u"Score", 30));
    EXPECT_TRUE(Shows(u"Birds Shot", 100));
    EXPECT_TRUE(Shows(u"0 x 10 = 0", 150));
    EXPECT_TRUE(Shows(u"- Birds Missed", 250));
    EXPECT_TRUE(Shows(u"0 x 5 = 0", 300));
    EXPECT_TRUE(Shows(u"+ Objects passed", 400));
    EXPECT_TRUE(Shows(u"0 x 10 = 0", 450));
    EXPECT_TRUE(Shows(u"Total", 520));
    EXPECT_TRUE(Shows(u"00000000", 570));
    EXPECT_EQ(g.runTotal, 0);
}

TEST_F(Tally, CountsOneStepAFrameAndTheTotalNeverGoesBelowZero)
{
    TallyRun run = CountUp(1, 10, 2);
    // 1 step of birds shot, 10 of missed, 2 of passed, each a frame apart
    EXPECT_EQ(run.shotFrom, 61);
    EXPECT_EQ(run.missedFrom, 62 + 61);
    EXPECT_EQ(run.passedFrom, 123 + 10 + 61);
    EXPECT_EQ(run.frames, 194 + 2 + 180);
    EXPECT_EQ(run.lowestTotal, 0);
    EXPECT_EQ(g.runTotal, 0);   // 10 + 20 - 50
    EXPECT_TRUE(Shows(u"1 x 10 = 10", 150));
    EXPECT_TRUE(Shows(u"10 x 5 = 50", 300));
    EXPECT_TRUE(Shows(u"2 x 10 = 20", 450));
    EXPECT_TRUE(Shows(u"00000000", 570));

    run = CountUp(3, 1, 4);
    EXPECT_EQ(g.runTotal, 65);
    EXPECT_TRUE(Shows(u"00000065", 570));
}

TEST_F(Tally, TheLeftButtonEndsItEarlyButNotBefore121FramesAfterTheLastLine)
{
    TallyRun run = CountUp(0, 0, 0, 1);
    EXPECT_EQ(run.passedFrom, 183);
    EXPECT_EQ(run.frames, 183 + 121);
    // The press that ended the tally starts no run from the title
    ASSERT_EQ(game::EnterTitle(g), Stage::Title);
    Send(EVENT_MOUSEUP, MOUSE_LEFT);
    EXPECT_EQ(game::TitleFrame(g), Stage::Title);
}

//---- The helpers

struct InkBox {
    int minX = 800, maxX = -1, minY = 600, maxY = -1;
};

InkBox DrawnInk(int x, int y, std::u16string_view text, int centre)
{
    Cls();
    game::ResetDrawState();
    game::DrawTextAt(x, y, text, centre, centre);
    std::shared_ptr<TPixmap> p = GrabPixmap(0, 0, 800, 600);
    InkBox box;
    for (int py = 0; py < 600; ++py)
        for (int px = 0; px < 800; ++px)
            if (p->Red(px, py) > 128) {
                box.minX = std::min(box.minX, px), box.maxX = std::max(box.maxX, px);
                box.minY = std::min(box.minY, py), box.maxY = std::max(box.maxY, py);
            }
    return box;
}

TEST_F(Screens, DrawTextAtCentresOrPutsTheTopLeftCorner)
{
    SetImageFont(g.res.bigFont);
    int w = TextWidth(u"Total"), h = TextHeight();
    InkBox corner = DrawnInk(400, 300, u"Total", 0);
    InkBox centred = DrawnInk(400, 300, u"Total", 1);
    // The top-left corner at the point: the ink starts just right of and below it
    EXPECT_GE(corner.minX, 399);
    EXPECT_LE(corner.minX, 410);
    EXPECT_GE(corner.minY, 299);
    EXPECT_LE(corner.maxY, 300 + h + 1);
    // Centred: the same ink moved back by half the width and half the height
    EXPECT_EQ(centred.minX, corner.minX - w / 2);
    EXPECT_EQ(centred.maxX, corner.maxX - w / 2);
    EXPECT_EQ(centred.minY, corner.minY - h / 2);
    EXPECT_EQ(centred.maxY, corner.maxY - h / 2);
    SetImageFont(nullptr);
}

TEST_F(Screens, MouseInBoxIncludesEveryEdge)
{
    const struct {
        int x, y;
        bool inside;
    } cases[] = {{100, 200, true}, {148, 248, true}, {124, 224, true}, {99, 220, false},
                 {149, 220, false}, {120, 199, false}, {120, 249, false}};
    for (const auto& c : cases) {
        MoveMouse(c.x, c.y);
        EXPECT_EQ(game::MouseInBox(100, 200, 48, 48), c.inside) << c.x << ", " << c.y;
    }
}

TEST_F(Screens, DirectionHeldReadsTheLetterOrTheArrow)
{
    const struct {
        int direction, key;
    } cases[] = {{0, KEY_W}, {0, KEY_UP}, {3, KEY_A}, {3, KEY_LEFT}, {5, KEY_D}, {5, KEY_RIGHT}, {8, KEY_S}, {8, KEY_DOWN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.direction << " key " << c.key);
        EXPECT_FALSE(game::DirectionHeld(c.direction));
        Press(c.key);
        for (int d : {0, 3, 5, 8, 1, -1}) EXPECT_EQ(game::DirectionHeld(d), d == c.direction) << d;
        Release(c.key);
        EXPECT_FALSE(game::DirectionHeld(c.direction));
    }
}

} // namespace

int main(int argc, char** argv) { return testsupport::RunTestsInGameFolder(argc, argv); }
