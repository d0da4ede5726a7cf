// The window of the run on Windows: a native window, "Form1" with the
// label "Attendere", and the error stop's message box.
#include "driver/window.h"

#include <windows.h>

#include "platform/windows/wide_path.h"

namespace compactor {
namespace {

constexpr wchar_t kClasse[] = L"compactor.Form1";
// The title Windows shows on the message box of the error stop.
constexpr wchar_t kTitolo[] = L"compactor";

// The label's font: "MS Sans Serif", 24 point, bold, character set 0.
HFONT font_etichetta(HWND finestra) {
  const HDC dc = ::GetDC(finestra);
  const int altezza = -::MulDiv(24, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
  ::ReleaseDC(finestra, dc);
  return ::CreateFontW(altezza, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

struct Form1 {
  HWND finestra = nullptr;
  HFONT font = nullptr;
};

bool registra_classe() {
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = ::DefWindowProcW;
  c.hInstance = ::GetModuleHandleW(nullptr);
  c.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = kClasse;
  return ::RegisterClassExW(&c) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Messages already queued (the window's first paint, its activation) are
// handled once, so that the window is on the screen before the run goes on.
void smaltisci_messaggi() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace

bool display_available() {
  // A service or a console over SSH runs on a window station that no one
  // sees: a window there would never be looked at, and a message box would
  // wait for an OK no one can press.
  USEROBJECTFLAGS flags{};
  const HWINSTA stazione = ::GetProcessWindowStation();
  return stazione != nullptr &&
         ::GetUserObjectInformationW(stazione, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

Window::Window() {
  if (!display_available() || !registra_classe()) return;
  const DWORD stile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT area{0, 0, 280, 179};  // the client area, 4200 x 2688 twips
  ::AdjustWindowRectEx(&area, stile, FALSE, 0);
  const HWND h = ::CreateWindowExW(0, kClasse, L"Form1", stile, CW_USEDEFAULT, CW_USEDEFAULT, area.right - area.left,
                                   area.bottom - area.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (h == nullptr) return;  // no desktop to show it on: the run goes on without it
  auto* form = new Form1{h, font_etichetta(h)};
  const HWND etichetta = ::CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT, 64, 64, 177,
                                           53, h, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (etichetta != nullptr && form->font != nullptr)
    ::SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(form->font), FALSE);
  ::ShowWindow(h, SW_SHOWNORMAL);
  ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  smaltisci_messaggi();
  ::GdiFlush();
  window_ = form;
}

Window::~Window() {
  auto* form = static_cast<Form1*>(window_);
  if (form == nullptr) return;
  ::DestroyWindow(form->finestra);
  if (form->font != nullptr) ::DeleteObject(form->font);
  delete form;
}

bool Window::visible() const {
  const auto* form = static_cast<const Form1*>(window_);
  return form != nullptr && ::IsWindowVisible(form->finestra);
}

bool Window::show_message(const std::string& text) {
  if (!display_available()) return false;
  // No icon, one OK button, modal to the run's windows.
  return ::MessageBoxW(nullptr, windows::widen_part(text).c_str(), kTitolo, MB_OK | MB_TASKMODAL) == IDOK;
}

}  // namespace compactor
