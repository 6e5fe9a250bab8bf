#include "tests/window/capture_win32.h"

#include <chrono>
#include <thread>

namespace gs::test {

namespace {

void HandlePendingMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace

Screenshot CaptureClientArea(HWND hwnd) {
  // Above the windows of other tests that may show at the same time.
  ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // The display gets what the window painted a moment later.
  for (int i = 0; i < 5; ++i) {
    HandlePendingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  RECT client{};
  ::GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ::ClientToScreen(hwnd, &origin);
  Screenshot shot{client.right, client.bottom, {}};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  ::GdiFlush();
  // Each pixel is blue, green, red and a spare byte: 0x00RRGGBB as a number.
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < shot.width * shot.height; ++i) shot.pixels.push_back(pixels[i] & 0xFFFFFF);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return shot;
}

std::string ClassNameOf(HWND hwnd) {
  char name[256] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<HWND> TopLevelWindows(::DWORD processId, const std::string& className) {
  struct Search {
    ::DWORD processId;
    const std::string& className;
    std::vector<HWND> found;
  } search{processId, className, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(lParam);
        ::DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s.processId && ::IsWindowVisible(hwnd) && ClassNameOf(hwnd) == s.className) {
          s.found.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildWindows(HWND parent, const std::string& className) {
  std::vector<HWND> found;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (_stricmp(ClassNameOf(child).c_str(), className.c_str()) == 0) found.push_back(child);
  }
  return found;
}

}  // namespace gs::test
