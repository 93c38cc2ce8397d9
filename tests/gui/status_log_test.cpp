// The status log: lines from any thread, their colours, and how they are painted.
#include <thread>

#include "MainWindowFixture.h"

namespace tesmara::gui {
namespace {

class StatusLogTest : public MainWindowTest {
  protected:
    // The colour painted at (x, y) of line `line` once the log has repainted.
    COLORREF PaintedAt(int line, int x) {
        RedrawWindow(Log(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        RECT rect{};
        SendMessageW(Log(), LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&rect));
        HDC dc = GetDC(Log());
        COLORREF colour = GetPixel(dc, rect.left + x, rect.top + 1);
        ReleaseDC(Log(), dc);
        return colour;
    }
};

TEST_F(StatusLogTest, LinesFromAWorkerKeepTheirTextAndColourInOrder) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        dialog->AppendStatusLine(L"Searching...", StatusColour::kProgress);
        dialog->AppendStatusLine(L"Search failed!Err = -6", StatusColour::kFailure);
        dialog->AppendStatusLine(L"搜索设备完成!", StatusColour::kSuccess);
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();

    ASSERT_EQ(Lines(), 3);
    EXPECT_EQ(Line(0), L"Searching...");
    EXPECT_EQ(Line(1), L"Search failed!Err = -6");
    EXPECT_EQ(Line(2), L"搜索设备完成!");
    EXPECT_EQ(Colour(0), 0xFFFFFF);
    EXPECT_EQ(Colour(1), 0x0000FF);
    EXPECT_EQ(Colour(2), 0x00FF00);

    dialog->ClearStatusLog();
    EXPECT_EQ(Lines(), 0);
}

TEST_F(StatusLogTest, LinesArePaintedOnTheirColourAndTheSelectedOneOnBlue) {
    dialog->AppendStatusLine(L"progress", StatusColour::kProgress);
    dialog->AppendStatusLine(L"failure", StatusColour::kFailure);
    dialog->AppendStatusLine(L"success", StatusColour::kSuccess);
    // Left of the 5-pixel text indent only the fill shows.
    EXPECT_EQ(PaintedAt(0, 2), RGB(255, 255, 255));
    EXPECT_EQ(PaintedAt(1, 2), RGB(255, 0, 0));
    EXPECT_EQ(PaintedAt(2, 2), RGB(0, 255, 0));

    SendMessageW(Log(), LB_SETCURSEL, 1, 0);
    EXPECT_EQ(PaintedAt(1, 2), RGB(0, 0, 255)) << "selected: blue whatever the colour";
    EXPECT_EQ(PaintedAt(2, 2), RGB(0, 255, 0));
}

TEST_F(StatusLogTest, ManyAndLongLinesNeitherGrowNorScrollNorDropOldLines) {
    std::wstring longLine;
    for (int i = 0; i < 40; ++i) longLine += L"word" + std::to_wstring(i) + L" ";
    dialog->AppendStatusLine(L"first", StatusColour::kProgress);
    dialog->AppendStatusLine(longLine, StatusColour::kFailure);
    for (int i = 0; i < 200; ++i) {
        dialog->AppendStatusLine(L"line " + std::to_wstring(i), StatusColour::kProgress);
    }
    Pump();
    EXPECT_EQ(Lines(), 202);
    EXPECT_EQ(Line(0), L"first");
    EXPECT_EQ(Line(1), longLine);
    EXPECT_EQ(SendMessageW(Log(), LB_GETTOPINDEX, 0, 0), 0) << "the view stays where it was";
    EXPECT_TRUE(GetWindowLongW(Log(), GWL_STYLE) & WS_VSCROLL) << "the operator scrolls";
    EXPECT_EQ(SendMessageW(Log(), LB_GETITEMHEIGHT, 1, 0),
              SendMessageW(Log(), LB_GETITEMHEIGHT, 0, 0))
        << "a long line keeps one line's height";
}

}  // namespace
}  // namespace tesmara::gui
