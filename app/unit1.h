#pragma once
// The main window: its components in resource order, and every handler of the program.
#include <memory>
#include <optional>
#include <string>

#include "net/id_sntp.h"
#include "platform/services.h"
#include "rtl/format.h"
#include "vcl/controls.h"
#include "vcl/skin_manager.h"
#include "vcl/tray_icon.h"

namespace app {

using vcl::TObject;

// The network-time commands' connectivity probe (the root page of a well-known web site) and
// the public time server they query on UDP port 123.
inline constexpr wchar_t ProbeUrl[] = L"http://www.baidu.com/";
inline constexpr wchar_t TimeServerHost[] = L"ntp.aliyun.com";
inline constexpr int32_t kTimeServerPort = 123;

class TForm1 : public vcl::TForm {
 public:
  explicit TForm1(platform::Services& services);
  ~TForm1() override;

  // Fields in declaration order; the form owns them all.
  vcl::TTimer* Timer1 = nullptr;
  vcl::TsSkinManager* sSkinManager1 = nullptr;
  vcl::TsSkinProvider* sSkinProvider1 = nullptr;
  vcl::TsEdit* sEdit1 = nullptr;
  vcl::TsEdit* sEdit2 = nullptr;
  vcl::TsEdit* sEdit3 = nullptr;
  vcl::TsLabel* sLabel1 = nullptr;
  vcl::TsLabel* sLabel2 = nullptr;
  vcl::TsLabel* sLabel3 = nullptr;
  vcl::TsLabel* sLabel4 = nullptr;
  vcl::TsButton* sButton1 = nullptr;
  vcl::TsWebLabel* sWebLabel1 = nullptr;
  vcl::TsWebLabel* sWebLabel2 = nullptr;
  vcl::TsTimePicker* sTimePicker1 = nullptr;
  vcl::TsRadioButton* sRadioButton1 = nullptr;
  vcl::TsRadioButton* sRadioButton2 = nullptr;
  vcl::TsRadioButton* sRadioButton3 = nullptr;
  vcl::TsLabel* sLabel5 = nullptr;
  vcl::TsLabel* sLabel6 = nullptr;
  vcl::TRzTrayIcon* RzTrayIcon1 = nullptr;
  vcl::TPopupMenu* PopupMenu2 = nullptr;
  vcl::TMenuItem* N3 = nullptr;
  vcl::TMenuItem* N4 = nullptr;
  vcl::TPopupMenu* PopupMenu1 = nullptr;
  vcl::TMenuItem* N1 = nullptr;
  vcl::TMenuItem* N2 = nullptr;
  vcl::TMenuItem* N5 = nullptr;
  std::unique_ptr<net::TIdSNTP> IdSNTP1;

  // Handlers, in declaration order.
  void sButton1Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void N2Click(TObject* Sender);
  void N1Click(TObject* Sender);
  void FormMouseUp(TObject* Sender, vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);
  void FormCreate(TObject* Sender);
  void N3Click(TObject* Sender);
  void N4Click(TObject* Sender);
  void N5Click(TObject* Sender);

  bool IsRunning() const { return Running; }
  // Reads the locale's weekday names and separators again (WM_SETTINGCHANGE).
  void ReadLocaleSettings();

 private:
  void PerformEndAction();
  void EnableShutdownPrivilege();
  void ShowStoppedDisplay();

  platform::Services& services_;
  rtl::FormatSettings formatSettings_;
  bool Running = false;
  // What the previous tick of the running countdown found, for the missed-second rule.
  std::optional<int> previousRemaining_;
  std::wstring previousTargetText_;
  // The target text whose conversion failed and was reported; not reported again until the
  // text changes.
  std::optional<std::wstring> reportedFailure_;
};

// The global main form: set as soon as its construction begins.
extern TForm1* Form1;

// The folder of a file path: without the file name and without a trailing backslash, except
// for the root of a drive ("C:\").
std::wstring ExtractFileDir(const std::wstring& path);

// The remaining-time text: 125 seconds read 0小时2分5秒.
std::wstring RemainingText(int seconds);

// Delphi's Copy: 1-based start, clamped; a start past the end gives an empty text.
std::wstring CopyText(const std::wstring& text, int index, int count);

}  // namespace app
