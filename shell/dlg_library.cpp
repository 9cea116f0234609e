#include "shell/dlg_library.h"

#include <algorithm>

#include "platform/text_cp932.h"
#include "base/message_box.h"
#include "shell/dlg_render.h"

// ---- Placement ------------------------------------------------------------------

DLGRECT PlaceWindow(const DLGRECT& rcWindow, const PLACEMENT& place, const DLGRECT& wa) {
  DLGRECT r = rcWindow;
  const DLGRECT* lpOver = place.lpReference ? place.lpReference : place.lpOwner;
  if (lpOver) {
    r.x = lpOver->x;
    r.y = lpOver->y;
    if (place.bCentre) {
      r.x += lpOver->w / 2 - r.w / 2;
      r.y += lpOver->h / 2 - r.h / 2;
    }
  } else if (place.nStoredX != kUnsetPosition && place.nStoredY != kUnsetPosition) {
    r.x = place.nStoredX;
    r.y = place.nStoredY;
  }
  // Right and bottom first, so that a window larger than the work area
  // still starts at its top-left rather than above or left of it.
  if (r.x + r.w > wa.x + wa.w) r.x = wa.x + wa.w - r.w;
  if (r.y + r.h > wa.y + wa.h) r.y = wa.y + wa.h - r.h;
  if (r.x < wa.x) r.x = wa.x;
  if (r.y < wa.y) r.y = wa.y;
  return r;
}

// ---- The edit limit -------------------------------------------------------------------

namespace {

struct LINESPAN {
  size_t nStart;
  size_t nLength;  // without the "\r\n"
};

std::vector<LINESPAN> SplitLines(const std::string& s) {
  std::vector<LINESPAN> v;
  size_t start = 0;
  for (;;) {
    size_t crlf = s.find("\r\n", start);
    if (crlf == std::string::npos) {
      v.push_back({start, s.size() - start});
      return v;
    }
    v.push_back({start, crlf - start});
    start = crlf + 2;
  }
}

int Measure(const std::string& s, bool bCountChars) {
  return bCountChars ? CountMbcsChars(s) : static_cast<int>(s.size());
}

// Moves a selection end back over bytes removed at pos.
void ShiftBack(int& nSel, size_t pos, size_t n) {
  if (nSel > static_cast<int>(pos)) nSel = std::max(static_cast<int>(pos), nSel - static_cast<int>(n));
}

void ClampSelection(EDITTEXT& t) {
  const int n = static_cast<int>(t.strText.size());
  t.nSelStart = std::clamp(t.nSelStart, 0, n);
  t.nSelEnd = std::clamp(t.nSelEnd, 0, n);
}

}  // namespace

EDITTEXT ApplyEditLimit(const EDITLIMIT& limit, const EDITTEXT& last, const EDITTEXT& typed, bool bInitial,
                        bool bBackspace) {
  EDITTEXT t = typed;
  ClampSelection(t);
  if (limit.nLines <= 0 && limit.nCharsPerLine <= 0) return t;

  if (bBackspace && t.nSelStart == t.nSelEnd && t.strText.size() + 2 == last.strText.size() &&
      SplitLines(t.strText).size() < SplitLines(last.strText).size() && limit.nCharsPerLine > 0) {
    // Backspace joined two lines: refuse when the joined line would be too long.
    const size_t caret = static_cast<size_t>(std::clamp(t.nSelStart, 0, static_cast<int>(last.strText.size())));
    for (const LINESPAN& l : SplitLines(last.strText)) {
      if (caret < l.nStart || caret > l.nStart + l.nLength + 2) continue;
      if (Measure(last.strText.substr(l.nStart, l.nLength), limit.bCountChars) >= limit.nCharsPerLine) return last;
      break;
    }
  }

  std::vector<LINESPAN> lines = SplitLines(t.strText);
  if (limit.nLines > 0 && static_cast<int>(lines.size()) > limit.nLines) {
    if (!bInitial) return last;
    const LINESPAN& lastKept = lines[static_cast<size_t>(limit.nLines) - 1];
    t.strText.resize(lastKept.nStart + lastKept.nLength);
    ClampSelection(t);
    lines = SplitLines(t.strText);
  }
  if (limit.nCharsPerLine > 0) {
    // Later lines first, so the earlier lines' offsets stay valid.
    for (size_t i = lines.size(); i-- > 0;) {
      std::string line = t.strText.substr(lines[i].nStart, lines[i].nLength);
      size_t cut = line.size();
      while (Measure(line.substr(0, cut), limit.bCountChars) > limit.nCharsPerLine && cut > 0)
        cut = limit.bCountChars ? PrevCharStart(line, cut) : cut - 1;
      if (cut == line.size()) continue;
      const size_t pos = lines[i].nStart + cut;
      const size_t n = line.size() - cut;
      t.strText.erase(pos, n);
      ShiftBack(t.nSelStart, pos, n);
      ShiftBack(t.nSelEnd, pos, n);
    }
  }
  ClampSelection(t);
  return t;
}

// ---- Window and controls ----------------------------------------------------------

LRESULT cWnd::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    // A command sent while one is being handled is dropped.
    if (m_bInCommand) return 0;
    m_bInCommand = true;
    LRESULT r = OnCommand(wParam, lParam);
    m_bInCommand = false;
    return r;
  }
  return 0;
}

LRESULT cWnd::SendMsg(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT r = DefaultMessage(msg, wParam, lParam);
  LRESULT own = OnMessage(msg, wParam, lParam);
  return own ? own : r;
}

void cCtrl::Enable(bool bEnable) {
  if (!m_lpParent) return;
  if (DLGCONTROL* c = m_lpParent->Item(m_nId)) c->bEnabled = bEnable;
}

void cEditCtrl::SetBinding(int nId, std::string* lpTarget, int nBufferSize, int nCharsPerLine, int nLines,
                           bool bCountChars) {
  m_nId = nId;
  m_lpTarget = lpTarget;
  m_nBufferSize = nBufferSize;
  m_nLineChars = nCharsPerLine;
  m_nLines = nLines;
  m_bCountChars = bCountChars;
}

void cEditCtrl::Attach(cDlg* lpParent) {
  cCtrl::Attach(lpParent);
  ShowData();
}

void cEditCtrl::ShowData() {
  if (!m_lpParent || !m_lpTarget) return;
  m_lpParent->SetItemText(m_nId, *m_lpTarget);
  m_Last = {m_lpParent->GetItemText(m_nId), 0, 0};
  m_bInitial = true;
  OnChange();
  m_bInitial = false;
}

namespace {

// What a read of the control's text with a buffer of n bytes gives: at most
// n - 1 bytes, never half a double-byte character.
std::string ReadWithBuffer(const std::string& s, int n) {
  if (n <= 0) return std::string();
  size_t keep = 0;
  while (keep < s.size()) {
    const size_t c = CharBytesAt(s, keep);
    if (keep + c > static_cast<size_t>(n - 1)) break;
    keep += c;
  }
  return s.substr(0, keep);
}

}  // namespace

void cEditCtrl::StoreData() {
  if (!m_lpParent || !m_lpTarget) return;
  const int n = m_bCountChars ? 2 * m_nBufferSize - 1 : m_nBufferSize;
  *m_lpTarget = ReadWithBuffer(m_lpParent->GetItemText(m_nId), n);
}

void cEditCtrl::OnChange() {
  if (m_bInChange || !m_lpParent) return;
  DLGCONTROL* c = m_lpParent->Item(m_nId);
  if (!c) return;
  m_bInChange = true;
  EDITTEXT typed{ReadWithBuffer(c->strText, m_bCountChars ? 2 * m_nBufferSize - 1 : m_nBufferSize), c->nSelStart,
                 c->nSelEnd};
  EDITLIMIT limit{m_nLineChars, m_nLines, m_bCountChars};
  EDITTEXT kept = ApplyEditLimit(limit, m_Last, typed, m_bInitial, m_lpParent->IsBackspaceHeld());
  c->strText = kept.strText;
  c->nSelStart = kept.nSelStart;
  c->nSelEnd = kept.nSelEnd;
  m_Last = kept;
  m_bInChange = false;
}

void cRadioCtrl::ShowData() {
  if (m_lpParent && m_lpVar) m_lpParent->CheckItem(m_nId, *m_lpVar == m_nValue);
}
void cRadioCtrl::StoreData() {
  if (m_lpParent && m_lpVar && m_lpParent->IsItemChecked(m_nId)) *m_lpVar = m_nValue;
}
void cCheckCtrl::ShowData() {
  if (m_lpParent && m_lpVar) m_lpParent->CheckItem(m_nId, *m_lpVar != 0);
}
void cCheckCtrl::StoreData() {
  if (m_lpParent && m_lpVar) *m_lpVar = m_lpParent->IsItemChecked(m_nId) ? 1 : 0;
}
