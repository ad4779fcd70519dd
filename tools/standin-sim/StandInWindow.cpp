// The stand-in simulator's window: the server window class, the request message, the radio.

#include "tools/standin-sim/StandInWindow.h"

#include <string>

#include "ipc/Com1Display.h"
#include "tools/standin-sim/RequestMessage.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT_PTR kScheduleTimer = 2;
constexpr UINT_PTR kExitTimer = 3;
constexpr UINT kStatusRefreshMs = 250;
constexpr int kUnnamedControl = -1;

constexpr int kClientWidthDlu = 181;
constexpr int kClientHeightDlu = 92;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;

std::wstring Widened(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring Hex(uint32_t value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08X", value);
    return text;
}

}  // namespace

StandInWindow::StandInWindow(const StandInOptions& options)
    : options_(options), radio_(options.com1Khz) {
    core_.SetServerVersion(options_.serverVersion);
    core_.SetSimulator(options_.signature, options_.simulator);
    core_.Behaviour().replyValue = options_.replyValue;
    core_.Behaviour().zeroVersions = options_.zeroVersions;
    core_.Behaviour().malformedReply = options_.malformed;
    core_.SetCom1Bcd(radio_.Bcd());
}

StandInWindow::~StandInWindow() = default;

bool StandInWindow::Create(HINSTANCE instance) {
    startTick_ = GetTickCount();
    requestMessage_ = RegisterWindowMessageA("FSASMLIB:IPC");
    if (requestMessage_ == 0) return false;

    const std::wstring className = Widened(options_.windowClass);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className.c_str();
    if (RegisterClassExW(&windowClass) == 0) return false;

    CreateFonts();
    const SIZE client = DialogUnitsToPixels(kClientWidthDlu, kClientHeightDlu);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), options_.title.c_str(),
                              kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (window_ == nullptr) return false;

    CreateControls();
    ApplyFrequency();
    SetDlgItemTextW(window_, kFrequencyField, radio_.Text().c_str());
    RefreshStatus();
    SetTimer(window_, kStatusTimer, kStatusRefreshMs, nullptr);
    RunSchedule();
    if (options_.exitAfterMs != 0) SetTimer(window_, kExitTimer, options_.exitAfterMs, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

int StandInWindow::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window_, &message)) continue;  // Tab, Enter between controls
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

void StandInWindow::CreateFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    }
    dialogFont_.reset(CreateFontIndirectW(&font));
    font.lfHeight = font.lfHeight * 5 / 2;
    font.lfWeight = FW_BOLD;
    displayFont_.reset(CreateFontIndirectW(&font));

    // Dialog units follow the font, so the layout grows with the system's text size.
    const ScreenDc screen;
    const HDC dc = screen.get();
    HGDIOBJ old = SelectObject(dc, dialogFont_.get());
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    SIZE alphabet{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &alphabet);
    SelectObject(dc, old);
    baseUnits_.cx = (alphabet.cx / 26 + 1) / 2;
    baseUnits_.cy = text.tmHeight;
}

SIZE StandInWindow::DialogUnitsToPixels(int x, int y) const {
    return SIZE{MulDiv(x, baseUnits_.cx, 4), MulDiv(y, baseUnits_.cy, 8)};
}

HWND StandInWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                               RECT dlu, DWORD exStyle) {
    const SIZE origin = DialogUnitsToPixels(dlu.left, dlu.top);
    const SIZE size = DialogUnitsToPixels(dlu.right, dlu.bottom);
    HWND control = CreateWindowExW(
        exStyle, className, text, kChildStyle | style, origin.cx, origin.cy, size.cx, size.cy,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_.get()), FALSE);
    return control;
}

// Layout in dialog units: left, top, width, height.
void StandInWindow::CreateControls() {
    AddControl(L"STATIC", L"COM1", SS_LEFT, kUnnamedControl, {7, 12, 26, 9});
    HWND display = AddControl(L"STATIC", L"", SS_LEFT, kFrequencyDisplay, {36, 5, 100, 22});
    SendMessageW(display, WM_SETFONT, reinterpret_cast<WPARAM>(displayFont_.get()), FALSE);

    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    AddControl(L"BUTTON", L"-1 MHz", button | WS_GROUP, kDownMhzButton, {7, 31, 38, 14});
    AddControl(L"BUTTON", L"-25 kHz", button, kDownKhzButton, {50, 31, 38, 14});
    AddControl(L"BUTTON", L"+25 kHz", button, kUpKhzButton, {93, 31, 38, 14});
    AddControl(L"BUTTON", L"+1 MHz", button, kUpMhzButton, {136, 31, 38, 14});

    HWND field = AddControl(L"EDIT", L"", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, kFrequencyField,
                            {7, 50, 124, 14}, WS_EX_CLIENTEDGE);
    SendMessageW(field, EM_LIMITTEXT, 7, 0);
    AddControl(L"BUTTON", L"Set", WS_TABSTOP | BS_DEFPUSHBUTTON, kSetButton, {136, 50, 38, 14});

    const DWORD line = SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX;
    AddControl(L"STATIC", InfoText().c_str(), line, kInfoText, {7, 70, 167, 9});
    AddControl(L"STATIC", L"", line, kStatusText, {7, 80, 167, 9});
}

std::wstring StandInWindow::InfoText() const {
    std::wstring info = Widened(options_.windowClass) + L" \u00B7 simulator " +
                        std::to_wstring(options_.simulator) + L" \u00B7 version " +
                        Hex(static_cast<uint32_t>(options_.serverVersion));
    if (options_.replyValue != 1) info += L" \u00B7 reply " + std::to_wstring(options_.replyValue);
    if (options_.delayMs != 0) info += L" \u00B7 delay " + std::to_wstring(options_.delayMs);
    if (options_.hang) info += L" \u00B7 hangs";
    if (options_.zeroVersions) info += L" \u00B7 zero versions";
    if (options_.malformed) info += L" \u00B7 malformed";
    return info;
}

LRESULT CALLBACK StandInWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // From here on the window serves requests, even before its controls exist.
        auto* self =
            static_cast<StandInWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<StandInWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT StandInWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == requestMessage_) return AnswerRequest(wParam);
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT StandInWindow::AnswerRequest(WPARAM wParam) {
    if (options_.hang && exchangesAnswered_ + exchangesRejected_ >= options_.hangAfter) {
        HangUntilExit();
    }
    if (options_.delayMs != 0) Sleep(options_.delayMs);
    const uint32_t reply = ServeAreaRequest(core_, wParam);
    if (reply == kRejectedReply) {
        ++exchangesRejected_;
    } else {
        ++exchangesAnswered_;
    }
    return static_cast<LRESULT>(reply);
}

// Blocks inside the handler so that every sender times out; only --exit-after ends it.
void StandInWindow::HangUntilExit() const {
    for (;;) {
        Sleep(100);
        const DWORD elapsed = GetTickCount() - startTick_;
        if (options_.exitAfterMs != 0 && elapsed >= options_.exitAfterMs) ExitProcess(0);
    }
}

void StandInWindow::OnCommand(int id) {
    switch (id) {
        case kSetButton:
            SetTypedFrequency();
            return;
        case kDownMhzButton:
            radio_.Step(-static_cast<int32_t>(Com1Radio::kMegahertzStepKhz));
            break;
        case kDownKhzButton:
            radio_.Step(-static_cast<int32_t>(Com1Radio::kChannelStepKhz));
            break;
        case kUpKhzButton:
            radio_.Step(Com1Radio::kChannelStepKhz);
            break;
        case kUpMhzButton:
            radio_.Step(Com1Radio::kMegahertzStepKhz);
            break;
        default:
            return;
    }
    ApplyFrequency();
}

void StandInWindow::SetTypedFrequency() {
    wchar_t typed[32] = L"";
    GetDlgItemTextW(window_, kFrequencyField, typed, 32);
    uint32_t khz = 0;
    if (!Com1Radio::Parse(typed, khz)) {
        const std::wstring ask =
            L"Type a COM1 frequency from " + Com1BandText() + L", for example 122.80.";
        MessageBoxW(window_, ask.c_str(), options_.title.c_str(), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(GetDlgItem(window_, kFrequencyField));
        return;
    }
    radio_.Tune(khz);
    ApplyFrequency();
}

void StandInWindow::ApplyFrequency() {
    core_.SetCom1Bcd(radio_.Bcd());
    SetDlgItemTextW(window_, kFrequencyDisplay, radio_.Text().c_str());
}

void StandInWindow::OnTimer(UINT_PTR timer) {
    if (timer == kStatusTimer) RefreshStatus();
    if (timer == kScheduleTimer) RunSchedule();
    if (timer == kExitTimer) DestroyWindow(window_);
}

// Tunes to every scheduled frequency whose time has come, then waits for the next.
void StandInWindow::RunSchedule() {
    KillTimer(window_, kScheduleTimer);
    const DWORD elapsed = GetTickCount() - startTick_;
    bool tuned = false;
    while (nextScheduled_ < options_.schedule.size() &&
           options_.schedule[nextScheduled_].atMs <= elapsed) {
        tuned = radio_.Tune(options_.schedule[nextScheduled_++].khz) || tuned;
    }
    if (tuned) ApplyFrequency();
    if (nextScheduled_ < options_.schedule.size()) {
        SetTimer(window_, kScheduleTimer, options_.schedule[nextScheduled_].atMs - elapsed,
                 nullptr);
    }
}

// The counts change on every request; the text is refreshed on a timer instead, so
// that serving a request costs no drawing.
void StandInWindow::RefreshStatus() {
    const uint32_t exchanges = exchangesAnswered_ + exchangesRejected_;
    if (exchanges == shownExchanges_) return;
    shownExchanges_ = exchanges;
    std::wstring status = L"Waiting for a client";
    if (exchanges != 0) {
        status = L"Client served: " + std::to_wstring(core_.RequestsServed()) + L" requests in " +
                 std::to_wstring(exchangesAnswered_) + L" exchanges";
        if (exchangesRejected_ != 0) {
            status += L", " + std::to_wstring(exchangesRejected_) + L" rejected";
        }
    }
    SetDlgItemTextW(window_, kStatusText, status.c_str());
}
