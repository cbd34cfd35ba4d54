// Window messages: the records controls receive, with the Windows numbers
// the components quote. Qt events are turned into these by the control layer.
#pragma once

#include <cstdint>

namespace ui {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
  std::uint32_t Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

constexpr std::uint16_t LoWord(std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFF); }
constexpr std::uint16_t HiWord(std::uintptr_t v) { return static_cast<std::uint16_t>((v >> 16) & 0xFFFF); }
constexpr LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<std::uint32_t>((static_cast<std::uint32_t>(lo) & 0xFFFF) |
                                                        (static_cast<std::uint32_t>(hi) << 16)));
}
// Signed coordinates packed in an LPARAM (mouse messages).
constexpr int XPos(LPARAM l) { return static_cast<std::int16_t>(LoWord(static_cast<std::uintptr_t>(l))); }
constexpr int YPos(LPARAM l) { return static_cast<std::int16_t>(HiWord(static_cast<std::uintptr_t>(l))); }

// Standard messages.
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_ENABLE = 0x000A;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXT = 0x000D;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t WM_CANCELMODE = 0x001F;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_MOUSEACTIVATE = 0x0021;
constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
constexpr std::uint32_t WM_NCCALCSIZE = 0x0083;
constexpr std::uint32_t WM_NCHITTEST = 0x0084;
constexpr std::uint32_t WM_NCPAINT = 0x0085;
constexpr std::uint32_t WM_GETDLGCODE = 0x0087;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_DEADCHAR = 0x0103;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_SYSCHAR = 0x0106;
constexpr std::uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr std::uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_HSCROLL = 0x0114;
constexpr std::uint32_t WM_VSCROLL = 0x0115;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
constexpr std::uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr std::uint32_t WM_MOUSEFIRST = WM_MOUSEMOVE;
constexpr std::uint32_t WM_MOUSELAST = WM_MOUSEWHEEL;
constexpr std::uint32_t WM_CUT = 0x0300;
constexpr std::uint32_t WM_COPY = 0x0301;
constexpr std::uint32_t WM_PASTE = 0x0302;
constexpr std::uint32_t WM_CLEAR = 0x0303;
constexpr std::uint32_t WM_UNDO = 0x0304;
constexpr std::uint32_t WM_USER = 0x0400;

// Mouse key flags in WParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// SetWindowPos flags.
constexpr unsigned SWP_NOSIZE = 0x0001;
constexpr unsigned SWP_NOMOVE = 0x0002;
constexpr unsigned SWP_NOZORDER = 0x0004;
constexpr unsigned SWP_NOACTIVATE = 0x0010;
constexpr unsigned SWP_FRAMECHANGED = 0x0020;

// RedrawWindow flags.
constexpr unsigned RDW_INVALIDATE = 0x0001;
constexpr unsigned RDW_ERASE = 0x0004;
constexpr unsigned RDW_UPDATENOW = 0x0100;
constexpr unsigned RDW_FRAME = 0x0400;

// WM_NCHITTEST answers.
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTBOTTOMRIGHT = 17;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Scroll codes.
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_ENDSCROLL = 8;

// Toolkit notices.
constexpr std::uint32_t CM_BASE = 0xB000;  // 45056
constexpr std::uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr std::uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr std::uint32_t CM_GOTFOCUS = CM_BASE + 2;
constexpr std::uint32_t CM_LOSTFOCUS = CM_BASE + 3;
constexpr std::uint32_t CM_CANCELMODE = CM_BASE + 4;
constexpr std::uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr std::uint32_t CM_DIALOGCHAR = CM_BASE + 6;
constexpr std::uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
constexpr std::uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr std::uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr std::uint32_t CM_HITTEST = CM_BASE + 10;
constexpr std::uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr std::uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr std::uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr std::uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr std::uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr std::uint32_t CM_CTL3DCHANGED = CM_BASE + 16;
constexpr std::uint32_t CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr std::uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr std::uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr std::uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr std::uint32_t CM_MENUCHANGED = CM_BASE + 21;
constexpr std::uint32_t CM_APPKEYDOWN = CM_BASE + 22;
constexpr std::uint32_t CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr std::uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
constexpr std::uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr std::uint32_t CM_ENTER = CM_BASE + 26;
constexpr std::uint32_t CM_EXIT = CM_BASE + 27;
constexpr std::uint32_t CM_DESIGNHITTEST = CM_BASE + 28;
constexpr std::uint32_t CM_ICONCHANGED = CM_BASE + 29;
constexpr std::uint32_t CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr std::uint32_t CM_INVOKEHELP = CM_BASE + 31;
constexpr std::uint32_t CM_WINDOWHOOK = CM_BASE + 32;
constexpr std::uint32_t CM_RELEASE = CM_BASE + 33;
constexpr std::uint32_t CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr std::uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr std::uint32_t CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr std::uint32_t CM_WININICHANGE = CM_BASE + 37;
constexpr std::uint32_t CM_FONTCHANGE = CM_BASE + 38;
constexpr std::uint32_t CM_TIMECHANGE = CM_BASE + 39;
constexpr std::uint32_t CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr std::uint32_t CM_UIACTIVATE = CM_BASE + 41;
constexpr std::uint32_t CM_UIDEACTIVATE = CM_BASE + 42;
constexpr std::uint32_t CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr std::uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr std::uint32_t CM_GETDATALINK = CM_BASE + 45;
constexpr std::uint32_t CM_CHILDKEY = CM_BASE + 46;
constexpr std::uint32_t CM_DRAG = CM_BASE + 47;
constexpr std::uint32_t CM_HINTSHOW = CM_BASE + 48;
constexpr std::uint32_t CM_DIALOGHANDLE = CM_BASE + 49;
constexpr std::uint32_t CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr std::uint32_t CM_RECREATEWND = CM_BASE + 51;
constexpr std::uint32_t CM_INVALIDATE = CM_BASE + 52;
constexpr std::uint32_t CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr std::uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
constexpr std::uint32_t CM_CHANGED = CM_BASE + 55;
constexpr std::uint32_t CM_DOCKCLIENT = CM_BASE + 56;
constexpr std::uint32_t CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr std::uint32_t CM_FLOAT = CM_BASE + 58;
constexpr std::uint32_t CM_BORDERCHANGED = CM_BASE + 59;
constexpr std::uint32_t CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr std::uint32_t CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr std::uint32_t CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr std::uint32_t CM_ACTIONUPDATE = CM_BASE + 63;
constexpr std::uint32_t CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr std::uint32_t CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr std::uint32_t CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr std::uint32_t CM_MOUSEWHEEL = CM_BASE + 67;
constexpr std::uint32_t CM_ISSHORTCUT = CM_BASE + 68;
constexpr std::uint32_t CM_INVALIDATEDOCKHOST = CM_BASE + 70;
constexpr std::uint32_t CM_SETACTIVECONTROL = CM_BASE + 71;
constexpr std::uint32_t CM_POPUPHWNDDESTROY = CM_BASE + 72;
constexpr std::uint32_t CM_CREATEPOPUP = CM_BASE + 73;
constexpr std::uint32_t CM_DESTROYHANDLE = CM_BASE + 74;
constexpr std::uint32_t CM_MOUSEACTIVATE = CM_BASE + 75;
constexpr std::uint32_t CM_CONTROLLISTCHANGING = CM_BASE + 76;
constexpr std::uint32_t CM_BUFFEREDPRINTCLIENT = CM_BASE + 77;
constexpr std::uint32_t CM_UNTHEMECONTROL = CM_BASE + 78;
constexpr std::uint32_t CM_DOUBLEBUFFEREDCHANGED = CM_BASE + 79;
constexpr std::uint32_t CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 80;
constexpr std::uint32_t CM_THEMECHANGED = CM_BASE + 81;
// Reflected notifications to a control from its parent.
constexpr std::uint32_t CN_BASE = 0xBC00;
constexpr std::uint32_t CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr std::uint32_t CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr std::uint32_t CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr std::uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr std::uint32_t CN_CHAR = CN_BASE + WM_CHAR;

// Notification codes carried in WM_COMMAND.
constexpr std::uint16_t BN_CLICKED = 0;
constexpr std::uint16_t EN_CHANGE = 0x0300;

// Text and edit messages a native editor answers when sent by code.
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t EM_GETSEL = 0x00B0;
constexpr std::uint32_t EM_SETSEL = 0x00B1;
constexpr std::uint32_t EM_GETRECT = 0x00B2;    // LParam: TRect* filled in client coordinates
constexpr std::uint32_t EM_SETRECT = 0x00B3;    // multi-line editors only; LParam: const TRect*
constexpr std::uint32_t EM_SETRECTNP = 0x00B4;  // the same without a repaint
constexpr std::uint32_t EM_SCROLLCARET = 0x00B7;
constexpr std::uint32_t EM_GETLINECOUNT = 0x00BA;
constexpr std::uint32_t EM_REPLACESEL = 0x00C2;
constexpr std::uint32_t EM_LINEFROMCHAR = 0x00C9;  // WParam: character position, -1 the caret's line
constexpr std::uint32_t EM_CANUNDO = 0x00C6;
constexpr std::uint32_t EM_UNDO = 0x00C7;

}  // namespace ui
