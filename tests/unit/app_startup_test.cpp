// Start-up, the main window's life and the failure caption.

#include <algorithm>
#include <functional>
#include <ostream>

#include "FakePlatform.h"

namespace {

TEST(StartUp, OpensTheLinkThenLoadsTheWindowThenStartsThePollAndShows) {
    FakeApp app;
    ASSERT_TRUE(app.general.StartUp());

    const FakeSystem& sys = app.sys;
    const int open = sys.IndexOf("ipc:find UIPCMAIN");
    const int create = sys.IndexOf("window:create");
    const int table = sys.IndexOf("files:read C:\\Brenvale\\brenvale.txt");
    const int name = sys.IndexOf("dialog:input");
    const int timer = sys.IndexOf("window:enable-timer");
    const int show = sys.IndexOf("window:show");
    ASSERT_GE(open, 0);
    EXPECT_LT(open, create);
    EXPECT_LT(create, table);
    EXPECT_LT(table, name);
    EXPECT_LT(name, timer);
    EXPECT_LT(timer, show);
    EXPECT_EQ(app.sys.Window().caption, L"Brenvale");
    EXPECT_EQ(app.general.IpcErrorText[15],
              L"Read or Write request cannot be added, memory for Process is full");
    EXPECT_EQ(app.general.SimNames[0], L"Any");
    EXPECT_EQ(app.general.SessionName, L"Pilot");
    // Later uses find the same window, created and loaded once.
    app.Window();
    EXPECT_EQ(std::count(app.sys.log.begin(), app.sys.log.end(), "window:create"), 1);
    EXPECT_EQ(app.sys.dialogs.inputPrompts.size(), 1u);
}

struct LinkFailure {
    const char* name;
    std::function<void(FakeIpcTransport&)> arrange;
    const wchar_t* caption;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LinkFailure& failure, std::ostream* out) { *out << failure.name; }

class FailedLinkCaption : public testing::TestWithParam<LinkFailure> {};

TEST_P(FailedLinkCaption, TheReasonFollowsTheCaptionAndThePollNeverStarts) {
    FakeApp app;
    GetParam().arrange(app.sys.ipc);
    ASSERT_TRUE(app.general.StartUp());

    EXPECT_EQ(app.sys.Window().caption, GetParam().caption);
    EXPECT_FALSE(app.sys.Window().timerEnabled);
    EXPECT_TRUE(app.sys.Window().shown);
    // The window still went through its whole load before the caption was rewritten.
    EXPECT_LT(app.sys.IndexOf("dialog:input"), app.sys.IndexOf("window:caption"));
    EXPECT_LT(app.sys.IndexOf("window:caption"), app.sys.IndexOf("window:show"));
    EXPECT_TRUE(app.LinkReleased());
    app.sys.windows.events->OnCloseRequest();  // closing is harmless then
    EXPECT_TRUE(app.LinkReleased());
}

INSTANTIATE_TEST_SUITE_P(
    EachOpenFailure, FailedLinkCaption,
    testing::Values(
        LinkFailure{"NoServer", [](FakeIpcTransport& t) { t.windows.clear(); },
                    L"BrenvaleCan't connect: Cannot link to FSUIPC or WideClient"},
        LinkFailure{"NoMessage", [](FakeIpcTransport& t) { t.registeredMessage = 0; },
                    L"BrenvaleCan't connect: Failed to Register common message with Windows"},
        LinkFailure{"NoAtom", [](FakeIpcTransport& t) { t.failAtom = true; },
                    L"BrenvaleCan't connect: Failed to create Atom for mapping filename"},
        LinkFailure{"NoMapping", [](FakeIpcTransport& t) { t.failMapping = true; },
                    L"BrenvaleCan't connect: Failed to create a file mapping object"},
        LinkFailure{"NoView", [](FakeIpcTransport& t) { t.failView = true; },
                    L"BrenvaleCan't connect: Failed to open a view to the file map"},
        LinkFailure{"NotFsuipc",
                    [](FakeIpcTransport& t) { t.server.Behaviour().zeroVersions = true; },
                    L"BrenvaleCan't connect: Incorrect version of FSUIPC, or not FSUIPC"},
        LinkFailure{"WideClientAlone",
                    [](FakeIpcTransport& t) {
                        t.windows = {{"FS98MAIN", 0x5151}};
                        t.server.Behaviour().zeroVersions = true;
                    },
                    L"BrenvaleCan't connect: Maybe running on WideClient, but FS not running "
                    L"on Server, or wrong FSUIPC"}),
    [](const testing::TestParamInfo<LinkFailure>& info) { return info.param.name; });

TEST(MainWindow, ClosingReleasesTheLink) {
    FakeApp app;
    ASSERT_TRUE(app.general.StartUp());
    ASSERT_FALSE(app.LinkReleased());

    app.sys.windows.events->OnCloseRequest();
    EXPECT_TRUE(app.LinkReleased());
    EXPECT_EQ(app.general.Link().Link().ViewBase, nullptr);
}

}  // namespace
