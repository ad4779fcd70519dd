// Start-up, the main window's life and the failure caption.

#include <algorithm>
#include <functional>
#include <set>

#include "FakePlatform.h"

namespace {

TEST(StartUp, OpensTheLinkLoadsTheWindowAsksTheNameStartsThePollAndClosingReleasesTheLink) {
    FakeApp app;
    ASSERT_TRUE(app.general.StartUp());

    // A set-up machine: only the name is asked, and nothing is stored.
    int previous = -1;
    for (const char* event :
         {"ipc:FindServerWindow UIPCMAIN", "window:create", "files:read C:\\Brenvale\\brenvale.txt",
          "dialog:input Enter your name for this session|Brenvale", "window:enable-timer",
          "window:show"}) {
        EXPECT_GT(app.sys.IndexOf(event), previous) << event;
        previous = app.sys.IndexOf(event);
    }
    app.ExpectBoxes({});
    EXPECT_TRUE(app.sys.Events("dialog:pick").empty() && app.sys.Events("settings:save").empty());
    EXPECT_EQ(app.Window().TeamSpeakDir, FakeSystem::kTeamSpeakDir);
    EXPECT_EQ(app.sys.Window().caption, L"Brenvale");
    EXPECT_EQ(app.general.SessionName, L"Pilot");
    // Later uses find the same window, created and loaded once.
    app.Window();
    EXPECT_EQ(std::count(app.sys.log.begin(), app.sys.log.end(), "window:create"), 1);
    EXPECT_EQ(app.sys.Events("dialog:input").size(), 1u);

    ASSERT_FALSE(app.LinkReleased());
    app.sys.events->OnCloseRequest();
    EXPECT_TRUE(app.LinkReleased());
    EXPECT_EQ(app.general.Link().Link().ViewBase, nullptr);
}

TEST(StartUp, EachFailedLinkPutsItsReasonInTheCaptionAndThePollNeverStarts) {
    const struct {
        std::function<void(FakeIpcTransport&)> arrange;
        const wchar_t* reason;
    } cases[] = {
        {[](FakeIpcTransport& t) { t.windows.clear(); }, L"Cannot link to FSUIPC or WideClient"},
        {[](FakeIpcTransport& t) { t.failView = true; }, L"Failed to open a view to the file map"},
        {[](FakeIpcTransport& t) {
             t.windows = {{"FS98MAIN", 0x5151}};
             t.server.Behaviour().zeroVersions = true;
         },
         L"Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC"},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(Narrow(example.reason));
        FakeApp app;
        example.arrange(app.sys.ipc);
        ASSERT_TRUE(app.general.StartUp());

        EXPECT_EQ(app.sys.Window().caption,
                  L"BrenvaleCan't connect: " + std::wstring(example.reason));
        EXPECT_FALSE(app.sys.Window().timerEnabled);
        EXPECT_TRUE(app.sys.Window().shown);
        // The whole load ran before the caption was rewritten.
        EXPECT_LT(app.sys.IndexOf("dialog:input"), app.sys.IndexOf("window:caption"));
        EXPECT_LT(app.sys.IndexOf("window:caption"), app.sys.IndexOf("window:show"));
        EXPECT_TRUE(app.LinkReleased());
        app.sys.events->OnCloseRequest();  // closing is harmless then
        EXPECT_TRUE(app.LinkReleased());
    }
}

// A caption names the failure by its result's text, so no two results may share one.
TEST(StartUp, EachResultHasATextOfItsOwnAndAnUnknownOneShowsItsNumber) {
    FakeApp app;
    std::set<std::wstring> texts;
    for (int code = 0; code < kIpcResultCount; ++code) {
        const std::wstring text = app.general.ResultText(static_cast<IpcResult>(code));
        EXPECT_EQ(text, kIpcResultTexts[code]);
        EXPECT_TRUE(!text.empty() && texts.insert(text).second) << code;
    }
    EXPECT_EQ(app.general.ResultText(static_cast<IpcResult>(-1)), L"IPC result -1");
    EXPECT_EQ(app.general.ResultText(static_cast<IpcResult>(kIpcResultCount)), L"IPC result 16");
}

}  // namespace
