// The window's load of the channel table: a failure that stops the load, and its report.

#include "FakePlatform.h"

// A failure the standard library raises itself: of brenvale.exe's own type, as these tests
// link its throw helpers.
static std::exception_ptr RaisedByTheLibrary() {
    try {
        (void)std::string().at(1);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// A table that cannot be opened, or a failure past the reading (here while the fields are
// decoded), fails the whole load: running out of memory says so, any other failure is shown
// in its own words. TeamSpeak is not looked for and no name is asked; the window still
// shows and polls.
TEST(ChannelTable, AFailureToOpenOrAfterTheReadingIsReportedInItsOwnWordsAndTheLoadStops) {
    const std::vector<std::pair<std::exception_ptr, std::wstring>> examples = {
        {nullptr, FakeSystem::kNotFound},  // no file to open
        {std::make_exception_ptr(std::bad_alloc()),
         L"There is not enough memory to read the channel table."},
        {RaisedByTheLibrary(), L"basic_string::at: __n (which is 1) >= this->size() (which is 0)"}};
    for (const auto& [failure, description] : examples) {
        FakeApp app;
        app.sys.decodeFailure = failure;
        if (!failure) app.sys.contents.erase(FakeSystem::kTableFile);
        ASSERT_TRUE(app.general.StartUp());
        app.ExpectBoxes({ErrorBox(shown::kLoadErrorSentence, description)});
        EXPECT_EQ(app.Window().ChannelCount, 0);
        EXPECT_EQ(app.sys.IndexOf("settings:get"), -1);  // TeamSpeak is not looked for
        EXPECT_EQ(app.general.SessionName, L"");
        EXPECT_TRUE(app.sys.Window().shown && app.sys.Window().timerEnabled);
    }
}
