#include "app/unit1.h"

#include "rtl/exceptions.h"
#include "vcl/application.h"

namespace app {

TForm1* Form1 = nullptr;

namespace {

constexpr vcl::TColor kDarkBrown = 467255;  // text of the plain labels
constexpr vcl::TColor kLightTan = 8500947;  // background of the edits and the picker

enum class Kind { kLabel, kWebLabel, kEdit, kButton, kTimePicker, kRadio };

// One row of the form resource: the controls in the order it creates them.
struct ControlSpec {
  const wchar_t* name;
  Kind kind;
  vcl::TRect bounds;
  const wchar_t* text;
  int fontHeight;  // 0: the window's font
  bool bold;
  vcl::TColor fontColor;
  vcl::TColor color;  // background, clNone: transparent / skin's
  int tabOrder;
  const wchar_t* skinSection;
  bool visible;
};

constexpr ControlSpec kLayout[] = {
    {L"sLabel1",
     Kind::kLabel,
     {384, 283, 12, 13},
     L"时",
     -11,
     false,
     vcl::clWindowText,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sLabel2",
     Kind::kLabel,
     {448, 283, 12, 13},
     L"分",
     -11,
     false,
     vcl::clWindowText,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sLabel3",
     Kind::kLabel,
     {510, 283, 12, 13},
     L"秒",
     -11,
     false,
     vcl::clWindowText,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sLabel4",
     Kind::kLabel,
     {2, 11, 64, 19},
     L"设置时间",
     -16,
     false,
     kDarkBrown,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sWebLabel1",
     Kind::kWebLabel,
     {60, 33, 132, 25},
     L"已停止倒计时",
     -21,
     true,
     vcl::clBlue,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sWebLabel2",
     Kind::kWebLabel,
     {2, 38, 68, 19},
     L"倒计时：",
     -16,
     true,
     vcl::clBlue,
     vcl::clNone,
     -1,
     L"",
     false},
    {L"sLabel5",
     Kind::kLabel,
     {5, 59, 48, 13},
     L"选择事件",
     -11,
     false,
     kDarkBrown,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sLabel6",
     Kind::kLabel,
     {13, 40, 5, 18},
     L"",
     -15,
     false,
     kDarkBrown,
     vcl::clNone,
     -1,
     L"",
     true},
    {L"sEdit1",
     Kind::kEdit,
     {337, 280, 41, 21},
     L"",
     -11,
     false,
     vcl::clBlack,
     kLightTan,
     0,
     L"EDIT",
     true},
    {L"sEdit2",
     Kind::kEdit,
     {402, 280, 41, 21},
     L"",
     -11,
     false,
     vcl::clBlack,
     kLightTan,
     1,
     L"EDIT",
     true},
    {L"sEdit3",
     Kind::kEdit,
     {465, 280, 41, 21},
     L"",
     -11,
     false,
     vcl::clBlack,
     kLightTan,
     2,
     L"EDIT",
     true},
    {L"sButton1",
     Kind::kButton,
     {178, 1, 55, 32},
     L"开始",
     0,
     false,
     vcl::clWindowText,
     vcl::clNone,
     3,
     L"DIALOG",
     true},
    {L"sTimePicker1",
     Kind::kTimePicker,
     {71, 3, 105, 21},
     L"00:00:00",
     -16,
     false,
     vcl::clBlack,
     kLightTan,
     4,
     L"EDIT",
     true},
    {L"sRadioButton1",
     Kind::kRadio,
     {58, 57, 52, 20},
     L"关机",
     0,
     false,
     vcl::clWindowText,
     vcl::clNone,
     5,
     L"RADIOBUTTON",
     true},
    {L"sRadioButton2",
     Kind::kRadio,
     {110, 57, 52, 20},
     L"重启",
     0,
     false,
     vcl::clWindowText,
     vcl::clNone,
     6,
     L"RADIOBUTTON",
     true},
    {L"sRadioButton3",
     Kind::kRadio,
     {170, 57, 52, 20},
     L"注销",
     0,
     false,
     vcl::clWindowText,
     vcl::clNone,
     7,
     L"RADIOBUTTON",
     true},
};

vcl::TControl* CreateControl(vcl::TForm& form, const ControlSpec& spec) {
  vcl::TControl* control = nullptr;
  switch (spec.kind) {
    case Kind::kLabel:
      control = form.Create<vcl::TsLabel>(spec.name);
      break;
    case Kind::kWebLabel:
      control = form.Create<vcl::TsWebLabel>(spec.name);
      break;
    case Kind::kEdit:
      control = form.Create<vcl::TsEdit>(spec.name);
      break;
    case Kind::kButton:
      control = form.Create<vcl::TsButton>(spec.name);
      break;
    case Kind::kTimePicker:
      control = form.Create<vcl::TsTimePicker>(spec.name);
      break;
    case Kind::kRadio:
      control = form.Create<vcl::TsRadioButton>(spec.name);
      break;
  }
  control->SetBounds(spec.bounds);
  if (spec.fontHeight != 0) {
    control->SetFont(vcl::TFont{L"Tahoma", spec.fontHeight, spec.bold, spec.fontColor});
  }
  control->SetColor(spec.color);
  control->SetTabOrder(spec.tabOrder);
  control->SetSkinSection(spec.skinSection);
  control->SetVisible(spec.visible);
  control->SetCaption(spec.text);
  return control;
}

template <class T>
T* Field(vcl::TForm& form, const wchar_t* name) {
  return static_cast<T*>(form.FindComponent(name));
}

}  // namespace

std::wstring ExtractFileDir(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/:");
  if (slash == std::wstring::npos) return L"";
  std::wstring dir = path.substr(0, slash + 1);
  // "C:\" keeps its backslash; "C:\Programs\" loses it.
  if (dir.size() > 1 && (dir.back() == L'\\' || dir.back() == L'/') &&
      dir[dir.size() - 2] != L':') {
    dir.pop_back();
  }
  return dir;
}

std::wstring CopyText(const std::wstring& text, int index, int count) {
  if (index < 1) index = 1;
  const int length = static_cast<int>(text.size());
  if (index > length || count <= 0) return L"";
  if (count > length - index + 1) count = length - index + 1;
  return text.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

std::wstring RemainingText(int remaining) {
  const int hours = remaining / 3600;
  const int minutes = (remaining - hours * 3600) / 60;
  const int seconds = remaining - hours * 3600 - minutes * 60;
  return rtl::IntToStr(hours) + L"小时" + rtl::IntToStr(minutes) + L"分" + rtl::IntToStr(seconds) +
         L"秒";
}

TForm1::TForm1(platform::Services& services) : vcl::TForm(nullptr, L"Form1"), services_(services) {
  Form1 = this;
  // The controls below get their windows once the whole form is read (DoCreate).
  BeginLoading();
  ReadLocaleSettings();
  SetCaption(L"");
  SetClientSize(232, 73);
  SetPopupMenu(nullptr);

  for (const ControlSpec& spec : kLayout) CreateControl(*this, spec);
  sLabel1 = Field<vcl::TsLabel>(*this, L"sLabel1");
  sLabel2 = Field<vcl::TsLabel>(*this, L"sLabel2");
  sLabel3 = Field<vcl::TsLabel>(*this, L"sLabel3");
  sLabel4 = Field<vcl::TsLabel>(*this, L"sLabel4");
  sWebLabel1 = Field<vcl::TsWebLabel>(*this, L"sWebLabel1");
  sWebLabel2 = Field<vcl::TsWebLabel>(*this, L"sWebLabel2");
  sLabel5 = Field<vcl::TsLabel>(*this, L"sLabel5");
  sLabel6 = Field<vcl::TsLabel>(*this, L"sLabel6");
  sEdit1 = Field<vcl::TsEdit>(*this, L"sEdit1");
  sEdit2 = Field<vcl::TsEdit>(*this, L"sEdit2");
  sEdit3 = Field<vcl::TsEdit>(*this, L"sEdit3");
  sButton1 = Field<vcl::TsButton>(*this, L"sButton1");
  sTimePicker1 = Field<vcl::TsTimePicker>(*this, L"sTimePicker1");
  sRadioButton1 = Field<vcl::TsRadioButton>(*this, L"sRadioButton1");
  sRadioButton2 = Field<vcl::TsRadioButton>(*this, L"sRadioButton2");
  sRadioButton3 = Field<vcl::TsRadioButton>(*this, L"sRadioButton3");
  sButton1->OnClick = [this](TObject* s) { sButton1Click(s); };

  // The timer counts from here on, while the rest of the form is still being read.
  Timer1 = Create<vcl::TTimer>(L"Timer1");
  Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
  Timer1->SetInterval(200);

  sSkinManager1 = Create<vcl::TsSkinManager>(L"sSkinManager1");
  sSkinManager1->SetSkinName(L"Wood (内建皮肤)");
  sSkinProvider1 = Create<vcl::TsSkinProvider>(L"sSkinProvider1");

  RzTrayIcon1 = Create<vcl::TRzTrayIcon>(L"RzTrayIcon1");
  PopupMenu2 = Create<vcl::TPopupMenu>(L"PopupMenu2");
  N3 = PopupMenu2->Add(L"N3", L"显示");
  N4 = PopupMenu2->Add(L"N4", L"退出");
  N3->OnClick = [this](TObject* s) { N3Click(s); };
  N4->OnClick = [this](TObject* s) { N4Click(s); };
  RzTrayIcon1->SetPopupMenu(PopupMenu2);

  PopupMenu1 = Create<vcl::TPopupMenu>(L"PopupMenu1");
  N1 = PopupMenu1->Add(L"N1", L"获取网络时间");
  N2 = PopupMenu1->Add(L"N2", L"校正本机时间");
  N5 = PopupMenu1->Add(L"N5", L"退出");
  N1->OnClick = [this](TObject* s) { N1Click(s); };
  N2->OnClick = [this](TObject* s) { N2Click(s); };
  N5->OnClick = [this](TObject* s) { N5Click(s); };
  SetPopupMenu(PopupMenu1);

  IdSNTP1 = std::make_unique<net::TIdSNTP>(*services_.udp, *services_.clock, *services_.timeZone,
                                           *services_.locale);

  OnSettingChange = [this] { ReadLocaleSettings(); };
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnMouseUp = [this](TObject* s, vcl::TMouseButton b, vcl::TShiftState sh, int x, int y) {
    FormMouseUp(s, b, sh, x, y);
  };
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::ReadLocaleSettings() {
  formatSettings_ = services_.locale != nullptr ? services_.locale->ReadFormatSettings()
                                                : rtl::FormatSettings::Default();
}

void TForm1::FormCreate(TObject*) {
  sSkinManager1->SetSkinDirectory(ExtractFileDir(services_.executablePath));
  sSkinManager1->SetSkinName(L"wood.asz");
  sSkinManager1->SetActive(true);
  SetPosition(vcl::TPosition::poScreenCenter);
}

void TForm1::FormMouseUp(TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) {}

void TForm1::N5Click(TObject*) {
  Timer1->SetEnabled(false);
  Close();
}

void TForm1::N4Click(TObject*) {
  Close();
}

void TForm1::sButton1Click(TObject*) {
  if (sButton1->Caption() == L"开始") {
    Running = true;
    sButton1->SetCaption(L"停止");
    // A new countdown reports a failing target again.
    reportedFailure_.reset();
  } else if (sButton1->Caption() == L"停止") {
    Running = false;
    sButton1->SetCaption(L"开始");
  }
}

void TForm1::ShowStoppedDisplay() {
  sWebLabel2->SetVisible(false);
  sButton1->SetCaption(L"开始");
}

void TForm1::Timer1Timer(TObject*) {
  // One reading of the clock serves the whole tick, so no tick mixes two seconds.
  const rtl::TDateTime clock = platform::ToDateTime(services_.clock->LocalTime());
  const std::wstring dayText = rtl::FormatDateTime(L"ddd", clock, formatSettings_);
  const std::wstring timeText = rtl::FormatDateTime(L"hh:mm:ss", clock, formatSettings_);
  Form1->SetCaption(timeText + L"--" + dayText);

  if (!Running) {
    sWebLabel1->SetCaption(L"已停止倒计时");
    ShowStoppedDisplay();
    previousRemaining_.reset();
    return;
  }

  const std::wstring targetText = sTimePicker1->Text();
  const int length = static_cast<int>(targetText.size());
  int target = 0;
  try {
    const int hours = rtl::StrToInt(CopyText(targetText, 1, 2));
    const int minutes = rtl::StrToInt(CopyText(targetText, 4, 2));
    const int seconds = rtl::StrToInt(CopyText(targetText, length - 1, 2));
    target = hours * 3600 + minutes * 60 + seconds;
    reportedFailure_.reset();
  } catch (const rtl::EConvertError&) {
    // Report a failing target once; later ticks with the same text stay quiet.
    if (reportedFailure_ == targetText) return;
    reportedFailure_ = targetText;
    throw;
  }

  const std::wstring hh = rtl::FormatDateTime(L"hh", clock, formatSettings_);
  const std::wstring nn = rtl::FormatDateTime(L"nn", clock, formatSettings_);
  const std::wstring ss = rtl::FormatDateTime(L"ss", clock, formatSettings_);
  const int now = rtl::StrToInt(hh) * 3600 + rtl::StrToInt(nn) * 60 + rtl::StrToInt(ss);
  const int remaining = target - now;

  // A target passed since the previous tick of the same countdown found time left was reached
  // late (ticks held up, or the clock set forward), not set in the past.
  const bool missedSecond = remaining < 0 && previousRemaining_.has_value() &&
                            *previousRemaining_ > 0 && previousTargetText_ == targetText;
  previousRemaining_ = remaining;
  previousTargetText_ = targetText;

  if (now < target) {
    sWebLabel2->SetVisible(true);
  } else if (now > target && !missedSecond) {
    Running = false;
    previousRemaining_.reset();
    sWebLabel1->SetCaption(L"已停止倒计时");
    vcl::Application().ShowMessage(L"设置的时间比当前系统时间早");
    ShowStoppedDisplay();
    return;
  }

  if (remaining >= 0) {
    sWebLabel1->SetCaption(RemainingText(remaining));
  }
  if (remaining == 0 || missedSecond) {
    Running = false;
    previousRemaining_.reset();
    sWebLabel2->SetVisible(false);
    sWebLabel1->SetCaption(L"已到指定时间");
    sButton1->SetCaption(L"开始");
    PerformEndAction();
  }
}

}  // namespace app
