// What the GUI tests share beyond tests/support: message pumping, reading controls, and a helper
// that answers the dialogs and message boxes the code under test opens.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tesmara::gui {

// Serves this thread's messages until nothing is waiting.
void Pump();
// Serves messages until `done` holds or `timeoutMs` passed; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// A control's rectangle in its parent's client coordinates.
RECT ChildRect(HWND control);
// The rectangle (x, y, w, h) in dialog units mapped to pixels of `dialog`.
RECT DialogUnitsRect(HWND dialog, int x, int y, int w, int h);
// The four field edits of an IP address control, left to right.
std::vector<HWND> AddressFields(HWND control);
// Types the four numbers into an address control field by field, as an operator would, then
// moves the focus to `elsewhere`.
void TypeAddress(HWND control, const wchar_t* const numbers[4], HWND elsewhere);
// Presses a button the way a mouse click does (auto check boxes toggle, the parent is told).
void Click(HWND button);

// What a dialog looked like when it was answered.
struct SeenDialog {
    std::wstring caption;
    std::map<int, std::wstring> texts;  // control ID -> text
    std::wstring messageText;           // message boxes: the static with ID 0xFFFF
};

// Watches the user-interface thread's top-level dialogs from a thread of its own. Every new dialog
// other than `ignore` is recorded and closed with the command that `decide` returns (IDOK when
// no decider is set). `decide` runs on the watcher thread while the dialog is open, so it may
// inspect the dialog with sent messages.
class DialogAnswerer {
  public:
    using Decider = std::function<int(HWND dialog, const SeenDialog& seen)>;

    DialogAnswerer(DWORD uiThread, HWND ignore, Decider decide = nullptr);
    ~DialogAnswerer();

    std::vector<SeenDialog> Seen();

  private:
    void Watch();

    DWORD m_uiThread;
    HWND m_ignore;
    Decider m_decide;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<SeenDialog> m_seen;
    std::set<HWND> m_answered;
    std::thread m_thread;
};

}  // namespace tesmara::gui
