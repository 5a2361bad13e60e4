// The program's own window subclassing, in this process: the order of the chain, passing on,
// removal at any moment (also from inside a message), messages sent while one is handled, and
// the window's own procedure coming back.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "vcl/win32/subclass.h"

namespace {

using vcl::win32::DefSubclass;
using vcl::win32::RemoveSubclass;
using vcl::win32::SetSubclass;

std::wstring gLog;  // one letter per procedure reached: O for the window's own

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kNested = WM_APP + 2;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing || message == kNested) {
    gLog += L'O';
    return 100;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Logs its letter (its data) and passes the message on, adding 1 to the result.
LRESULT CALLBACK Letter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                        DWORD_PTR data) {
  if (message != kPing && message != kNested) return DefSubclass(window, message, wParam, lParam);
  gLog += static_cast<wchar_t>(data);
  return DefSubclass(window, message, wParam, lParam) + 1;
}

// On kPing sends kNested to its own window first, then passes kPing on.
LRESULT CALLBACK Reentrant(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
  if (message == kPing) {
    gLog += L'R';
    SendMessageW(window, kNested, 0, 0);
    gLog += L'|';
  } else if (message == kNested) {
    gLog += L'r';
  }
  return DefSubclass(window, message, wParam, lParam);
}

// Takes itself out while handling kPing, then still passes the message on.
LRESULT CALLBACK RemovesItself(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR) {
  if (message == kPing) {
    gLog += L'X';
    RemoveSubclass(window, RemovesItself, id);
  }
  return DefSubclass(window, message, wParam, lParam);
}

int gFreed = 0;

// Frees its data at WM_NCDESTROY, as a subclass with state does.
LRESULT CALLBACK FreesAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveSubclass(window, FreesAtDestroy, id);
    delete reinterpret_cast<int*>(data);
    ++gFreed;
  }
  return DefSubclass(window, message, wParam, lParam);
}

class SubclassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = OwnProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"SubclassTestWindow";
      return RegisterClassExW(&wc);
    }();
    ASSERT_NE(atom, 0);
    window_ = CreateWindowExW(0, L"SubclassTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    gLog.clear();
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  LRESULT Ping() {
    gLog.clear();
    return SendMessageW(window_, kPing, 0, 0);
  }
  LONG_PTR Proc() const { return GetWindowLongPtrW(window_, GWLP_WNDPROC); }

  HWND window_ = nullptr;
};

TEST_F(SubclassTest, LastInstalledFirstAndEveryOnePassesOn) {
  ASSERT_TRUE(SetSubclass(window_, Letter, 1, L'A'));
  ASSERT_TRUE(SetSubclass(window_, Letter, 2, L'B'));
  EXPECT_EQ(Ping(), 102);
  EXPECT_EQ(gLog, L"BAO");
  // The same procedure and id again: new data, no second link.
  ASSERT_TRUE(SetSubclass(window_, Letter, 1, L'C'));
  EXPECT_EQ(Ping(), 102);
  EXPECT_EQ(gLog, L"BCO");
}

TEST_F(SubclassTest, RemovingTheLastGivesTheWindowItsOwnProcedureBack) {
  const LONG_PTR own = Proc();
  SetSubclass(window_, Letter, 1, L'A');
  SetSubclass(window_, Letter, 2, L'B');
  EXPECT_NE(Proc(), own);
  EXPECT_TRUE(RemoveSubclass(window_, Letter, 2));
  EXPECT_FALSE(RemoveSubclass(window_, Letter, 2)) << "removed twice";
  EXPECT_EQ(Ping(), 101);
  EXPECT_EQ(gLog, L"AO");
  EXPECT_TRUE(RemoveSubclass(window_, Letter, 1));
  EXPECT_EQ(Proc(), own);
  EXPECT_EQ(Ping(), 100);
  EXPECT_EQ(gLog, L"O");
}

TEST_F(SubclassTest, AMessageSentWhileOneIsHandledStartsAtTheTop) {
  SetSubclass(window_, Letter, 1, L'A');
  SetSubclass(window_, Reentrant, 2, 0);
  SetSubclass(window_, Letter, 3, L'B');
  EXPECT_EQ(Ping(), 102);
  // kPing: B, R; inside R kNested goes through B, r, A, O; then kPing goes on to A and O.
  EXPECT_EQ(gLog, L"BRBrAO|AO");
}

TEST_F(SubclassTest, ALinkMayRemoveItselfWhileHandlingAMessage) {
  SetSubclass(window_, Letter, 1, L'A');
  SetSubclass(window_, RemovesItself, 2, 0);
  SetSubclass(window_, Letter, 3, L'B');
  EXPECT_EQ(Ping(), 102);
  EXPECT_EQ(gLog, L"BXAO");
  EXPECT_EQ(Ping(), 102);
  EXPECT_EQ(gLog, L"BAO");
}

TEST_F(SubclassTest, LinksFreeTheirDataWhenTheWindowGoes) {
  gFreed = 0;
  SetSubclass(window_, FreesAtDestroy, 1, reinterpret_cast<DWORD_PTR>(new int(1)));
  SetSubclass(window_, Letter, 2, L'A');
  SetSubclass(window_, FreesAtDestroy, 3, reinterpret_cast<DWORD_PTR>(new int(3)));
  ASSERT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
  EXPECT_EQ(gFreed, 2);
  // A later window starts with a chain of its own.
  HWND other = CreateWindowExW(0, L"SubclassTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetSubclass(other, Letter, 1, L'Z');
  gLog.clear();
  EXPECT_EQ(SendMessageW(other, kPing, 0, 0), 101);
  EXPECT_EQ(gLog, L"ZO");
  DestroyWindow(other);
}

}  // namespace
