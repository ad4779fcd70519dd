// The main window on Windows: frame, caption, icon, the centred label and the timer.

#include "platform/win32/Win32MainWindow.h"

#include <windows.h>

#include "app/ShownTexts.h"
#include "platform/FrameSpan.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/UnhandledFailure.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/res/resource.h"

namespace {

constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFrameExStyle = 0;

// The design, in twips (1/1440 inch).
constexpr int kTwipsPerInch = 1440;
constexpr int kClientWidth = 3720, kClientHeight = 825;
constexpr int kClientLeft = 915, kClientTop = 2490;  // from the screen's top-left corner
constexpr int kLabelLeft = 120, kLabelTop = 120, kLabelWidth = 3495, kLabelHeight = 495;
constexpr int kLabelFontPoints = 24;
constexpr wchar_t kLabelFontFace[] = L"MS Sans Serif";

constexpr UINT_PTR kPollTimerId = 1;

int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

// Newer systems' calls are looked up at run time, so the program still starts on
// systems that lack them. Looked up on each use, which is rare (creating the window, a
// DPI change), rather than kept in function statics: their guarded initialisation
// would link the threads library into the program for nothing.
template <typename Function>
Function User32Function(const char* name) {
    const FARPROC address = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

UINT ScreenDpi() {
    const ScreenDc screen;
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

// The frame's rectangle around a client rectangle at the given DPI.
RECT FrameAround(RECT client, UINT dpi) {
    using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjustForDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&client, kFrameStyle, FALSE, kFrameExStyle, dpi)) {
        AdjustWindowRectEx(&client, kFrameStyle, FALSE, kFrameExStyle);
    }
    return client;
}

// The frame's rectangle around the designed client area with its top-left corner there.
RECT DesignedFrameAt(int left, int top, UINT dpi) {
    const RECT client{left, top, left + TwipsToPixels(kClientWidth, dpi),
                      top + TwipsToPixels(kClientHeight, dpi)};
    return FrameAround(client, dpi);
}

// The frame's rectangle at the designed place on the screen.
RECT DesignedFrame(UINT dpi) {
    return DesignedFrameAt(TwipsToPixels(kClientLeft, dpi), TwipsToPixels(kClientTop, dpi), dpi);
}

int SystemMetric(int index, UINT dpi) {
    using ForDpiFunction = int(WINAPI*)(int, UINT);
    const auto forDpi = User32Function<ForDpiFunction>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}

// The font the system draws captions in at the given DPI.
UniqueFont CreateCaptionFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    const auto forDpi = User32Function<ForDpiFunction>("SystemParametersInfoForDpi");
    const BOOL read =
        forDpi ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)
               : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return UniqueFont(read ? CreateFontIndirectW(&metrics.lfCaptionFont) : nullptr);
}

// 0 when it cannot be measured: the frame then keeps its width.
int CaptionTextWidth(const std::wstring& caption, UINT dpi) {
    const UniqueFont font = CreateCaptionFont(dpi);
    const ScreenDc screen;
    if (!font || !screen.get()) return 0;
    const HGDIOBJ previous = SelectObject(screen.get(), font.get());
    SIZE extent{};
    const BOOL measured = GetTextExtentPoint32W(screen.get(), caption.c_str(),
                                                static_cast<int>(caption.size()), &extent);
    SelectObject(screen.get(), previous);
    return measured ? extent.cx : 0;
}

// The frame's width whose title bar shows the caption whole: the text, the borders, the
// small icon with its margins, and the buttons. The system draws a greyed maximize button
// beside the minimize one, so three; one more as the margin, for themes that draw their
// buttons wider than the metric says.
int FrameWidthForCaption(const std::wstring& caption, UINT dpi) {
    const RECT borders = FrameAround(RECT{}, dpi);
    const int icon = SystemMetric(SM_CXSMICON, dpi) + 2 * SystemMetric(SM_CXEDGE, dpi);
    return CaptionTextWidth(caption, dpi) + (borders.right - borders.left) + icon +
           4 * SystemMetric(SM_CXSIZE, dpi);
}

HFONT CreateLabelFont(UINT dpi) {
    return CreateFontW(-MulDiv(kLabelFontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL,
                       FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kLabelFontFace);
}

HICON LoadProgramIcon(int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BRENVALE),
                                         IMAGE_ICON, GetSystemMetrics(metricX),
                                         GetSystemMetrics(metricY), LR_DEFAULTCOLOR));
}

class Win32MainWindow : public MainWindowView {
  public:
    explicit Win32MainWindow(MainWindowEvents& events) : events_(events) {}
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    ~Win32MainWindow() override {
        if (window_) {
            // Detached first: a window taken down by its owner does not end the loop.
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }  // the label's font goes after the label
    }

    void Create() {
        RegisterWindowClass();
        const UINT creationDpi = ScreenDpi();
        const RECT frame = DesignedFrame(creationDpi);
        window_ = CreateWindowExW(kFrameExStyle, kMainWindowClass, shown::kProgramName, kFrameStyle,
                                  frame.left, frame.top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
        if (!window_) throw LastErrorFailure();
        label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
                                 0, 0, 0, 0, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrequencyLabelId)),
                                 GetModuleHandleW(nullptr), nullptr);
        if (!label_) throw LastErrorFailure();
        // The monitor the window landed on decides its DPI, which may differ from the
        // screen's at creation.
        const UINT dpi = WindowDpi(window_);
        if (dpi != creationDpi) {
            const RECT placed = DesignedFrame(dpi);
            MoveWindow(window_, placed.left, placed.top, placed.right - placed.left,
                       placed.bottom - placed.top, FALSE);
        }
        LayOutContent(dpi);
    }

    std::wstring Caption() const override { return WindowText(window_); }

    void SetCaption(const std::wstring& caption) override {
        if (!SetWindowTextW(window_, caption.c_str())) throw LastErrorFailure();
        RECT frame{};
        GetWindowRect(window_, &frame);
        FitFrameToCaption(caption, frame.left + shiftedLeftBy_, frame.top, WindowDpi(window_));
    }

    void ShowLabelText(const std::wstring& text) override {
        if (!SetWindowTextW(label_, text.c_str())) throw LastErrorFailure();
        UpdateWindow(label_);  // the new text is on the screen before the caller goes on
    }

    void EnableTimer(uint32_t intervalMs) override {
        if (!SetTimer(window_, kPollTimerId, intervalMs, nullptr)) throw LastErrorFailure();
    }

    void Show() override {
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
    }

    uintptr_t NativeHandle() const override { return reinterpret_cast<uintptr_t>(window_); }

  private:
    static void RegisterWindowClass() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        if (GetClassInfoExW(GetModuleHandleW(nullptr), kMainWindowClass, &windowClass)) return;
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
        windowClass.hIconSm = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground =
            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = kMainWindowClass;
        if (!RegisterClassExW(&windowClass)) throw LastErrorFailure();
    }

    // The label keeps its designed size and, in a frame widened for its caption, the
    // middle of the client area.
    void PlaceLabel(UINT dpi) {
        RECT client{};
        GetClientRect(window_, &client);
        const int widenedBy = static_cast<int>(client.right) - TwipsToPixels(kClientWidth, dpi);
        MoveWindow(label_, TwipsToPixels(kLabelLeft, dpi) + widenedBy / 2,
                   TwipsToPixels(kLabelTop, dpi), TwipsToPixels(kLabelWidth, dpi),
                   TwipsToPixels(kLabelHeight, dpi), TRUE);
    }

    // The client area keeps its size in twips; the label and its font follow the DPI.
    void LayOutContent(UINT dpi) {
        PlaceLabel(dpi);
        HFONT font = CreateLabelFont(dpi);
        if (!font) return;  // the label keeps the font it has
        SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        font_.reset(font);  // the old one once the label no longer uses it
    }

    // The frame is as wide as designed, or wider while its caption needs it, within the
    // work area of its monitor; narrowed again, it goes back to where it stood before.
    // `left` and `top` are where the frame of the designed width stands.
    void FitFrameToCaption(const std::wstring& caption, int left, int top, UINT dpi) {
        const RECT designed = DesignedFrameAt(0, 0, dpi);
        const FrameSpan design{left, static_cast<int>(designed.right - designed.left)};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
            return;  // no work area to fit in: the frame stays as it is
        }
        const FrameSpan workArea{static_cast<int>(monitor.rcWork.left),
                                 static_cast<int>(monitor.rcWork.right - monitor.rcWork.left)};
        const FrameSpan span =
            CaptionFrameSpan(design, FrameWidthForCaption(caption, dpi), workArea);
        shiftedLeftBy_ = left - span.left;
        SetWindowPos(window_, nullptr, span.left, top, span.width, designed.bottom - designed.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceLabel(dpi);
    }

    void OnDpiChanged(UINT dpi, const RECT& suggested) {
        FitFrameToCaption(WindowText(window_), suggested.left, suggested.top, dpi);
        LayOutContent(dpi);
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_TIMER:
                if (wParam != kPollTimerId) break;
                RunEventHandler([this] { events_.OnTimerTick(); });
                return 0;
            case WM_CLOSE:
                RunEventHandler([this] { events_.OnCloseRequest(); });
                DestroyWindow(window_);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);  // the program's only window: the run is over
                return 0;
            case WM_DPICHANGED:
                OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                return 0;
            default:
                break;
        }
        return DefWindowProcW(window_, message, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            auto* self = static_cast<Win32MainWindow*>(create->lpCreateParams);
            self->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {  // the window is gone: forget its handles
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            self->label_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return self->HandleMessage(message, wParam, lParam);
    }

    MainWindowEvents& events_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    UniqueFont font_;
    int shiftedLeftBy_ = 0;  // how far a widened frame stands left of where it stood before
};

}  // namespace

void LoadCommonControls() {
    LoadLibraryW(L"comctl32.dll");  // kept for the run: the controls need it anyway
}

std::unique_ptr<MainWindowView> Win32MainWindowFactory::CreateMainWindow(MainWindowEvents& events) {
    auto window = std::make_unique<Win32MainWindow>(events);
    window->Create();
    return window;
}
