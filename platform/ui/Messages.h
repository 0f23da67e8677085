#pragma once
// Window handles, window messages and their conventional numbers.

#include "platform/rtl/Types.h"

#include <cstdint>

namespace qor {

struct HWND__;
// A window handle. Handles are never reused, so a message to a window that has gone is dropped
// instead of reaching whatever window came next.
using HWND = HWND__*;

using UINT = Cardinal;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD = Cardinal;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

constexpr Word LOWORD(std::uintptr_t V) { return static_cast<Word>(V & 0xFFFF); }
constexpr Word HIWORD(std::uintptr_t V) { return static_cast<Word>((V >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(Word Lo, Word Hi) { return static_cast<WPARAM>(Lo) | (static_cast<WPARAM>(Hi) << 16); }
constexpr LPARAM MAKELPARAM(Word Lo, Word Hi)
{
    return static_cast<LPARAM>(static_cast<Cardinal>(Lo) | (static_cast<Cardinal>(Hi) << 16));
}

// ---- Window messages -----------------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_USER = 0x0400;

// ---- Control notifications (sent between controls of the class library) ----------------------
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
// A key the focused control left alone, offered by its form: WParam the key (VK_RETURN,
// VK_ESCAPE), LParam 1 when the control offered it to has the focus. A control that uses it
// answers 1.
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;

// CM_DRAG: WParam is one of these; LParam points to a TDragRec.
enum TDragMessage : Byte { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

// ---- Scroll-bar codes (LOWORD of WParam of WM_HSCROLL / WM_VSCROLL) ------------------------------
constexpr Word SB_LINEUP = 0;
constexpr Word SB_LINELEFT = 0;
constexpr Word SB_LINEDOWN = 1;
constexpr Word SB_LINERIGHT = 1;
constexpr Word SB_PAGEUP = 2;
constexpr Word SB_PAGELEFT = 2;
constexpr Word SB_PAGEDOWN = 3;
constexpr Word SB_PAGERIGHT = 3;
constexpr Word SB_THUMBPOSITION = 4;
constexpr Word SB_THUMBTRACK = 5;
constexpr Word SB_TOP = 6;
constexpr Word SB_LEFT = 6;
constexpr Word SB_BOTTOM = 7;
constexpr Word SB_RIGHT = 7;
constexpr Word SB_ENDSCROLL = 8;

// ---- WM_GETDLGCODE answers -----------------------------------------------------------------------
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// ---- Mouse-message key state (WParam of mouse messages) -----------------------------------------
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// ---- Virtual keys --------------------------------------------------------------------------------
constexpr Word VK_LBUTTON = 0x01;
constexpr Word VK_RBUTTON = 0x02;
constexpr Word VK_CANCEL = 0x03;
constexpr Word VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;
constexpr Word VK_PAUSE = 0x13;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;
constexpr Word VK_NEXT = 0x22;
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_F1 = 0x70;
constexpr Word VK_F2 = 0x71;
constexpr Word VK_F3 = 0x72;
constexpr Word VK_F4 = 0x73;
constexpr Word VK_F5 = 0x74;
constexpr Word VK_F6 = 0x75;
constexpr Word VK_F7 = 0x76;
constexpr Word VK_F8 = 0x77;
constexpr Word VK_F9 = 0x78;
constexpr Word VK_F10 = 0x79;
constexpr Word VK_F11 = 0x7A;
constexpr Word VK_F12 = 0x7B;

// ---- Message boxes -------------------------------------------------------------------------------
constexpr Integer MB_OK = 0x0000;
constexpr Integer MB_OKCANCEL = 0x0001;
constexpr Integer MB_ABORTRETRYIGNORE = 0x0002;
constexpr Integer MB_YESNOCANCEL = 0x0003;
constexpr Integer MB_YESNO = 0x0004;
constexpr Integer MB_RETRYCANCEL = 0x0005;
constexpr Integer MB_TYPEMASK = 0x000F;
constexpr Integer MB_ICONHAND = 0x0010;
constexpr Integer MB_ICONERROR = MB_ICONHAND;
constexpr Integer MB_ICONSTOP = MB_ICONHAND;
constexpr Integer MB_ICONQUESTION = 0x0020;
constexpr Integer MB_ICONEXCLAMATION = 0x0030;
constexpr Integer MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr Integer MB_ICONASTERISK = 0x0040;
constexpr Integer MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr Integer MB_ICONMASK = 0x00F0;
constexpr Integer MB_DEFBUTTON1 = 0x0000;
constexpr Integer MB_DEFBUTTON2 = 0x0100;
constexpr Integer MB_DEFBUTTON3 = 0x0200;
constexpr Integer MB_DEFMASK = 0x0F00;
constexpr Integer MB_APPLMODAL = 0x0000;
constexpr Integer MB_TASKMODAL = 0x2000;
constexpr Integer MB_TOPMOST = 0x40000;

constexpr Integer IDOK = 1;
constexpr Integer IDCANCEL = 2;
constexpr Integer IDABORT = 3;
constexpr Integer IDRETRY = 4;
constexpr Integer IDIGNORE = 5;
constexpr Integer IDYES = 6;
constexpr Integer IDNO = 7;

} // namespace qor
