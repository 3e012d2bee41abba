#pragma once

// The small window-system layer: numeric control ids, window texts and check states read and
// written explicitly, commands routed through WM_COMMAND, modal dialogs built from templates in
// dialog units, and worker threads that reach the windows only through sent messages. It is
// implemented on Qt Widgets; nothing outside platform/ sees a Qt type.

#include "platform/os/CString.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using UINT = unsigned;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
// A window handle: a number that names a live window, or 0. A handle of a destroyed window is
// never reused, so a late message to it finds nothing instead of another window.
using HWND = std::uint32_t;
using HICON = const void*;
using LONG = std::int32_t;

// Rectangles and points in pixels: screen coordinates for windows, client coordinates for the
// controls of a dialog. right and bottom lie just outside the rectangle.
struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};
// Sizes a window may take, outer pixels; handed to the dialog with WM_GETMINMAXINFO.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
    return WPARAM((low & 0xFFFF) | (high & 0xFFFF) << 16);
}
constexpr unsigned LOWORD(std::uintptr_t value) {
    return unsigned(value & 0xFFFF);
}
constexpr unsigned HIWORD(std::uintptr_t value) {
    return unsigned((value >> 16) & 0xFFFF);
}

inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT EM_SETSEL = 0x00B1;
inline constexpr UINT EM_SCROLLCARET = 0x00B7;
inline constexpr UINT PBM_SETPOS = 0x0402;
inline constexpr UINT PBM_GETRANGE = 0x0407;
inline constexpr UINT PBM_GETPOS = 0x0408;

inline constexpr UINT BN_CLICKED = 0;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
// WM_SIZE's wParam.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

namespace platform {

enum class ControlKind { Static, Edit, PushButton, CheckBox, ProgressBar };

// Style bits of a control in a dialog template.
enum ControlStyle : unsigned {
    kAlignRight = 1u << 0,
    kMultiLine = 1u << 1,
    kReadOnly = 1u << 2,
    kBorder = 1u << 3,
    kVScroll = 1u << 4,
    kTabStop = 1u << 6,
    kWantReturn = 1u << 7,
    kBitmap = 1u << 8,
    kFlat = 1u << 9,
    kAutoHScroll = 1u << 10,
    kAutoVScroll = 1u << 11,
    kCenter = 1u << 12,        // a static's text centred
    kDefaultButton = 1u << 13, // the push button that Enter means
};

// One control of a dialog template; the rectangle is in dialog units. Assistive technology names a
// control by the text it shows, an edit by the label (static or check box) just before it in the
// template; name, where given, says what neither says (what a picture shows, what a box holds).
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* caption;
    bool visible;
    unsigned style;
    int x, y, cx, cy;
    const char* name = nullptr;
};

// A dialog template: size in dialog units, caption, font, controls in tab order.
struct DialogTemplate {
    UINT id;
    const char* caption;
    const char* fontFace;
    int fontPoints;
    int cx, cy;
    bool resizable;
    std::vector<ControlTemplate> controls;
};

// The program's resources: a dialog template by id, and the file (or built-in resource path) of
// an icon or bitmap by id; null when there is none. The program hands the layer its finders before
// it opens a window; until then there are no resources.
using DialogTemplateFinder = const DialogTemplate* (*)(UINT id);
using ImageResourceFinder = const char* (*)(UINT id);
void SetResources(DialogTemplateFinder findDialog, ImageResourceFinder findImage);
const DialogTemplate* FindDialogTemplate(UINT id);
const char* FindImageResource(UINT id);

// Sends a message to a window. A send from the window's own thread is a direct call; a send from
// any other thread blocks until the window's thread has handled it, also while that thread runs
// a nested modal loop. Returns false, and handles nothing, when the window is gone.
bool SendMessageChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT* result = nullptr);

// Runs the window thread's event loop until done() is true. Sent messages are served meanwhile.
void PumpMessagesUntil(const std::function<bool()>& done);

// The largest text, in bytes, that a window is asked to hold: window texts count their
// characters in 32 bits, and a text takes several times its size in memory while it is shown.
std::size_t MaxWindowTextBytes();

// Ensures the application object of the window system exists (creating it from the process's
// command line if needed); false when no display can be opened.
bool EnsureGuiApplication();

} // namespace platform

// A window, named by its handle. Copies name the same window. Every operation may be called
// from any thread: off the window's thread it is carried out by that thread while the caller
// waits, and on a window that is gone it does nothing.
class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }
    CWnd GetDlgItem(int id) const;

    CString GetWindowText() const;
    void SetWindowText(const CString& text) const;
    // Hands the text over: a control that keeps the system's text (the output box) takes the
    // string's buffer instead of a copy, and the caller's string is left empty.
    void SetWindowText(CString&& text) const;
    void EnableWindow(BOOL enable) const;
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void SetFocus() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // As SendMessage, but a caller on another thread does not wait for the answer: the message is
    // queued to the window's thread behind those sent before it. For notices whose answer no one
    // reads, such as a worker's progress.
    BOOL SendNotifyMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Geometry, in WinGeometry.cpp. A window's rectangle is its outer (frame) rectangle in screen
    // pixels; a control's is its own rectangle in screen pixels. The client rectangle starts at 0.
    void GetWindowRect(RECT* rect) const;
    void GetClientRect(RECT* rect) const;
    void ScreenToClient(RECT* rect) const;
    // A window is moved to an outer rectangle in screen pixels, a control to a rectangle in its
    // dialog's client pixels.
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const;
    // Invalidates the window (or updateRect in client pixels); RDW_UPDATENOW repaints it at once.
    BOOL RedrawWindow(const RECT* updateRect = nullptr, const void* updateRegion = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) const;
    BOOL IsZoomed() const;
    BOOL IsIconic() const;
    // SW_MAXIMIZE, SW_MINIMIZE, SW_RESTORE or SW_SHOWNORMAL; returns whether it was visible.
    BOOL ShowWindow(int command) const;

protected:
    HWND m_hWnd = 0;
};

// The progress bar control: its range is 0 to 100; PBM_SETPOS moves it.
class CProgressCtrl : public CWnd {
public:
    CProgressCtrl() = default;
    explicit CProgressCtrl(const CWnd& window) : CWnd(window.GetSafeHwnd()) {}
    void GetRange(int& low, int& high) const;
};

// A font made by CreateFontA; handed to controls with WM_SETFONT (wParam = the CFont*).
class CFont {
public:
    CFont();
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // A positive height is the character cell (ascent plus descent) in pixels; a negative one is
    // the em height. Faces missing on this system fall back to a metric-compatible one.
    BOOL CreateFontA(int height, int width, int escapement, int orientation, int weight,
                     BOOL italic, BOOL underline, BOOL strikeOut, int charSet, int outPrecision,
                     int clipPrecision, int quality, int pitchAndFamily, const char* face);
    void DeleteObject();
    const void* GetSafeHandle() const { return m_pFont.get(); }

private:
    std::unique_ptr<struct FontData> m_pFont;
};

class CWinThread;

// A modal dialog built from a dialog template. Commands from its controls arrive as WM_COMMAND
// at WindowProc, which routes them to OnCommand; Enter (when the focus is not on a push button)
// arrives as IDOK, Esc and the close box as IDCANCEL.
//
// DoModal creates the window hidden, runs OnInitDialog, and only then shows it, where and as
// OnInitDialog left it (a ShowWindow meanwhile sets the state it appears in). Commands from the
// user that come before OnInitDialog has returned wait and are handled after it, in order.
// EndDialog ends the dialog whenever it is called, also before the window is shown.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Handles a command from a control; returns TRUE when it was handled.
    virtual BOOL OnCommand(UINT id, UINT code);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled by WindowProc.
    LRESULT Default();

    // The window-system object behind the dialog while it exists; for the platform layer and
    // for tests that drive the dialog.
    void* NativeWindow() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    UINT m_nTemplateId;
};

// A thread of the program. The application object is the one of the main thread; worker threads
// are created by AfxBeginThread and delete themselves when their run ends.
class CWinThread {
public:
    CWinThread();
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // A worker runs InitInstance, then Run when InitInstance returned TRUE, then ExitInstance,
    // each once.
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    // The application's main window.
    virtual CWnd GetMainWnd() const;
};

class CWinApp : public CWinThread {
public:
    CWinApp();
    ~CWinApp() override;
    CWnd GetMainWnd() const override;
    // Loads an icon resource; a null handle when the resource does not exist.
    HICON LoadIcon(UINT id) const;

    // The main window; the worker threads find the dialog through it.
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The current thread's object: a worker's CWinThread, or the application on the main thread.
CWinThread* AfxGetThread();

namespace platform {
// Starts thread's run on a new thread; false when no thread could be created.
bool StartThread(CWinThread* thread);
// Waits until every worker thread has ended, serving sent messages meanwhile.
void WaitForWorkerThreads();
} // namespace platform

// Creates a T on the calling thread and runs it on a new thread at once; null when the thread
// cannot be started (the object is then deleted).
template <class T> T* AfxBeginThread() {
    T* thread = new T;
    if (!platform::StartThread(thread)) {
        delete thread;
        return nullptr;
    }
    return thread;
}

// Shows a modal message box with an OK button over the main window.
void AfxMessageBox(const CString& text);

namespace platform {
// Test seam: while set, AfxMessageBox hands its text to this function instead of showing a box.
using MessageBoxFunction = std::function<void(const CString& text)>;
void SetMessageBoxForTesting(MessageBoxFunction show);
} // namespace platform
