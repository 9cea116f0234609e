// Our window and dialog classes: dialogs laid out from tables of controls,
// drawn over the game's picture inside the game window, and run as modal
// loops on the window thread that keep serving the other threads' requests.
// Also the two rules of the library that the dialogs rely on as pure
// functions: placement inside the work area and the edit limit of a text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_input.h"
#include "platform/win_types.h"

// ---- Pure rules ----------------------------------------------------------------

struct DLGRECT {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

constexpr int kUnsetPosition = -1000;

// Where a window of the given rectangle goes: over the reference window (or,
// without one, the owner), centred on it with bCentre; without either, at
// the stored position when one is set; then kept inside the work area.
struct PLACEMENT {
  const DLGRECT* lpReference = nullptr;
  const DLGRECT* lpOwner = nullptr;
  bool bCentre = false;
  int nStoredX = kUnsetPosition;
  int nStoredY = kUnsetPosition;
};
DLGRECT PlaceWindow(const DLGRECT& rcWindow, const PLACEMENT& place, const DLGRECT& rcWorkArea);

// The limit a bound edit control puts on its text (CP932; lines end at
// "\r\n"). A limit of 0 is no limit.
struct EDITLIMIT {
  int nCharsPerLine = 1024;
  int nLines = 32;
  bool bCountChars = true;  // characters by CountMbcsChars, otherwise bytes
};
struct EDITTEXT {
  std::string strText;
  int nSelStart = 0;  // byte offsets
  int nSelEnd = 0;
};
// The text the control keeps after an update: `typed` is what the control
// holds now, `last` what was accepted before. bInitial: the first update
// (the bound string being shown), which cuts extra lines instead of
// refusing them. bBackspace: the update came from Backspace.
EDITTEXT ApplyEditLimit(const EDITLIMIT& limit, const EDITTEXT& last, const EDITTEXT& typed, bool bInitial,
                        bool bBackspace);

// ---- Layouts ------------------------------------------------------------------

enum CTRLSTYLE {
  CS_TEXT,     // left-aligned static text
  CS_PICTURE,  // a picture static (no picture is given: drawn empty)
  CS_EDIT,
  CS_PUSH,
  CS_DEFPUSH,  // the default push button: Enter presses it
  CS_RADIO,    // radio buttons of one group are those between two group boxes
  CS_CHECK,
  CS_GROUP,  // a group box frame with its title
  CS_LIST,   // a list of lines, one selectable (the file choosers)
};

// One control of a layout; position and size in dialog units, text UTF-8.
struct DLGITEM {
  int nId;
  CTRLSTYLE nStyle;
  int x, y, w, h;
  const char* pszText;
};

// A dialog's layout: its font, client size in dialog units, whether it has a
// caption bar, and its controls in tab order.
struct DLGLAYOUT {
  const char* pszFace;  // UTF-8 face name
  int nPoint;
  int nWidth;
  int nHeight;
  bool bCaption;
  const DLGITEM* lpItems;
  int nItems;
};

// Dialog units to client pixels for the 9-point faces the layouts use
// (base units about 6.7 x 12 pixels: 4 horizontal and 8 vertical units per
// base), so that the start-up dialog keeps the size its centring assumes.
inline int DluToPixelsX(int n) { return n * 5 / 3; }
inline int DluToPixelsY(int n) { return n * 12 / 8; }
constexpr int kCaptionHeight = 20;
constexpr int kFrameWidth = 3;

// Control notifications and messages of the dialogs (the numbers of the
// platform the classes were written for).
enum : UINT {
  WM_INITDIALOG = 0x0110,
  BN_CLICKED = 0,
  EN_UPDATE = 0x0400,
  EN_KILLFOCUS = 0x0200,
  LBN_SELCHANGE = 1,
  LBN_DBLCLK = 2,
};
constexpr WPARAM MakeCommand(int nId, int nCode) {
  return static_cast<WPARAM>((static_cast<uint32_t>(nCode) << 16) | (static_cast<uint32_t>(nId) & 0xFFFF));
}

// ---- Classes ------------------------------------------------------------------

class cDlg;

// The window base: placement request, command re-entrancy, message core.
class cWnd {
 public:
  virtual ~cWnd() = default;
  virtual LRESULT OnCommand(WPARAM, LPARAM) { return 0; }
  virtual LRESULT OnMessage(UINT, WPARAM, LPARAM) { return 0; }
  virtual LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // The message core, then OnMessage; what the dialogs send themselves.
  LRESULT SendMsg(UINT msg, WPARAM wParam, LPARAM lParam);

  DLGRECT m_rcWindow;  // frame rectangle in game-window pixels
  PLACEMENT m_Place;

 protected:
  bool m_bInCommand = false;
};

// A control's data binding, attached to a control of the dialog by id.
class cCtrl {
 public:
  cCtrl(int nKind, int nId) : m_nKind(nKind), m_nId(nId) {}
  virtual ~cCtrl() = default;
  virtual void Enable(bool bEnable);
  virtual void ShowData() {}
  virtual void StoreData() {}
  virtual void OnChange() {}
  virtual void OnKillFocus() {}
  virtual void Attach(cDlg* lpParent) { m_lpParent = lpParent; }

  int m_nKind;  // 2/3 edit, 4 picture, 7 button, 8 combo box, 11 scroll bar
  int m_nId;
  cDlg* m_lpParent = nullptr;
};

class cTextCtrl : public cCtrl {
 public:
  using cCtrl::cCtrl;
  EDITTEXT m_Last;  // the last accepted text and selection
};

// An edit control bound to a string, with the edit limit.
class cEditCtrl : public cTextCtrl {
 public:
  cEditCtrl() : cTextCtrl(2, 0) {}
  // Buffer size = limit + 1; characters per line = the limit when counting
  // characters (0 otherwise); lines = 1.
  void SetBinding(int nId, std::string* lpTarget, int nBufferSize, int nCharsPerLine, int nLines, bool bCountChars);
  void Attach(cDlg* lpParent) override;
  void ShowData() override;
  void StoreData() override;
  void OnChange() override;

  std::string* m_lpTarget = nullptr;
  int m_nBufferSize = 4096;
  bool m_bCountChars = false;
  int m_nLineChars = 1024;
  int m_nLines = 32;
  bool m_bInitial = false;

 private:
  bool m_bInChange = false;
};

// A radio button bound to a variable: checked when it holds the value.
class cRadioCtrl : public cCtrl {
 public:
  cRadioCtrl(int nId, uint32_t* lpVar, uint32_t nValue) : cCtrl(7, nId), m_lpVar(lpVar), m_nValue(nValue) {}
  void ShowData() override;
  void StoreData() override;
  uint32_t* m_lpVar;
  uint32_t m_nValue;
};

// A check box mirroring a variable (1 ticked, 0 not).
class cCheckCtrl : public cCtrl {
 public:
  cCheckCtrl(int nId, uint32_t* lpVar) : cCtrl(7, nId), m_lpVar(lpVar) {}
  void ShowData() override;
  void StoreData() override;
  uint32_t* m_lpVar;
};

// The drawn state of one control of a dialog (what the system's control
// window holds there).
struct DLGCONTROL {
  DLGITEM item;
  DLGRECT rc;           // client pixels of the dialog
  std::string strText;  // CP932
  bool bChecked = false;
  bool bEnabled = true;
  bool bPressed = false;
  int nSelStart = 0;  // edit: byte offsets
  int nSelEnd = 0;
  int nMaxBytes = 0;                // edit: 0 = no byte limit of its own
  std::vector<std::string> vLines;  // list: CP932
  int nCurSel = -1;
  int nTop = 0;
};

// Something the modal loop takes events from and shows frames on: the game
// window, or a test's script.
class cDialogHost {
 public:
  virtual ~cDialogHost() = default;
  virtual bool Begin() = 0;  // false: no window to run in
  virtual void End() = 0;
  virtual bool NextEvent(DLGEVENT& e) = 0;
  // The picture the dialog is drawn over, 640 x 480 0x00RRGGBB.
  virtual void Background(std::vector<uint32_t>& vPixels) = 0;
  virtual void Present(const std::vector<uint32_t>& vPixels) = 0;
  virtual void SetTextArea(const DLGRECT&) {}
};
// The game window's host (window thread).
cDialogHost* GameWindowDialogHost();
// Tests only: the host DialogModal uses when given none (null: the game
// window's).
void SetDialogHostForTests(cDialogHost* lpHost);

class cDlg : public cWnd {
 public:
  explicit cDlg(const DLGLAYOUT& layout);
  ~cDlg() override;

  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual void OnInitDialog();

  void EndDlg(int nResult);
  bool Ended() const { return m_bEnded; }
  int Result() const { return m_nResult; }

  void AddChild(cCtrl* lpCtrl) { m_vChildren.push_back(lpCtrl); }
  void UpdateControls();  // ShowData of every child
  void SaveControls();    // StoreData of every child

  // The controls, by id (null when the layout has none).
  DLGCONTROL* Item(int nId);
  std::string GetItemText(int nId);
  void SetItemText(int nId, const std::string& strCp932);
  void CheckItem(int nId, bool bChecked);
  bool IsItemChecked(int nId);
  void SetFocusItem(int nId);
  int FocusId() const;
  bool HasCaption() const { return m_Layout.bCaption; }
  // The client area's top-left in game-window pixels.
  int ClientX() const { return m_rcWindow.x + kFrameWidth; }
  int ClientY() const { return m_rcWindow.y + kFrameWidth + (HasCaption() ? kCaptionHeight : 0); }
  bool IsBackspaceHeld() const { return m_bBackspace; }

  // Input, as the modal loop hands it on (tests call it directly).
  void HandleEvent(const DLGEVENT& e);
  // Draws the dialog over the picture (640 x 480).
  void Render(std::vector<uint32_t>& vPixels);

  std::string m_strCaption;  // CP932
  int m_nEscapeResult = 0;   // the result when the dialog is closed
  std::vector<DLGCONTROL> m_vItems;
  std::vector<cCtrl*> m_vChildren;

 protected:
  // Keys the dialog wants before the focused control; true when used.
  virtual bool OnKey(const DLGEVENT&) { return false; }
  void Notify(int nId, int nCode);
  void PressButton(int nId);

  const DLGLAYOUT& m_Layout;
  bool m_bEnded = false;
  int m_nResult = 0;
  int m_nFocus = -1;  // index into m_vItems
  bool m_bBackspace = false;
  std::string m_strComposition;  // UTF-8, the input method's open text
  bool m_bEnterWhileComposing = false;
  bool m_bSwallowEnter = false;
  int m_nPressedItem = -1;

 private:
  void TypeText(DLGCONTROL& c, const std::string& strCp932);
  void EditKey(DLGCONTROL& c, const DLGEVENT& e);
  void ListKey(DLGCONTROL& c, const DLGEVENT& e);
  void MoveFocus(int nStep);
  void ClickAt(int x, int y, bool bDown);
  void SelectRadio(int nIndex);
};

// Runs the dialog on the calling (window) thread until it ends; its result.
// The loop ends the dialog with m_nEscapeResult when the main window is
// closed (WM_CLOSE, which is passed on), when WM_QUIT arrives (passed on),
// when shut-down starts, or on Esc (the dialog alone: the game goes on).
// -1 when the host has no window to run in.
int DialogModal(cDlg& dlg, int nRunFlags, cDialogHost* lpHost = nullptr);

// The face every dialog draws with before and after the game's own fonts
// exist: "ＭＳ Ｐゴシック" 9 points (12 pixels).
constexpr int kDialogTextHeight = 12;
