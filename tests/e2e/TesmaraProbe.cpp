// Looks into a running tesmara.exe from outside, as an operator would: finds the main window,
// clicks its buttons and reads the device table and the status log back. The end-to-end tests
// run it under Wine next to the application.
//
//   tesmara-probe find [TIMEOUT_MS]          exit 0 once the main window exists
//   tesmara-probe click ID                    posts a button click of control ID
//   tesmara-probe log                         one status line per line: COLOUR<TAB>TEXT
//   tesmara-probe table                       one row per line: CHECKED<TAB>cell 0<TAB>...
//   tesmara-probe wait-log TEXT TIMEOUT_MS    exit 0 once a status line equals TEXT
//   tesmara-probe enabled                     prints 1 if the main window is enabled, else 0
//   tesmara-probe press ID                    clicks button ID as the mouse does (boxes toggle)
//   tesmara-probe text ID                     prints the text of control ID
//   tesmara-probe choose-file ID PATH MS      clicks "Browse" ID and opens PATH in its dialog
//   tesmara-probe wait-box TEXT MS            answers the first message box showing TEXT with OK
//   tesmara-probe boxes                       prints the texts of the message boxes now shown
//   tesmara-probe select ROW                  highlights row ROW of the device table
//   tesmara-probe set-text ID TEXT            sets the text of control ID, as typing does
//   tesmara-probe in-dialog CAPTION MS ACTION ID [ARG]
//                                             in the dialog with CAPTION (waited for up to MS):
//                                             press ID (IDOK 1 ends it), choose ID POSITION of a
//                                             drop-down list, or set-text ID TEXT
//   tesmara-probe fill CAPTION MS ID TEXT ...  waits for the dialog CAPTION, sets the texts of its
//                                             controls and presses its OK
//   tesmara-probe type CAPTION MS ID TEXT ...  the same without pressing OK
//
// Output is UTF-8. The main window is found by its caption (TESMARA_CAPTION, default
// "Varnholt").
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "tests/support/win32/MainWindowReader.h"

namespace {

using tesmara::testing::DeviceTableOf;
using tesmara::testing::DeviceTableRowChecked;
using tesmara::testing::DeviceTableRows;
using tesmara::testing::kTableColumns;
using tesmara::testing::StatusLogLines;

void Print(const std::wstring& text) {
    std::string utf8 = tesmara::WideToUtf8(text) + '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

HWND MainWindow() {
    const char* caption = std::getenv("TESMARA_CAPTION");
    return FindWindowW(nullptr, tesmara::Utf8ToWide(caption ? caption : "Varnholt").c_str());
}

// The list view lives in the other process: its item texts are read through a buffer in that
// process's memory.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND owner, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) {
            memory_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Ok() const { return memory_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(memory_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

  private:
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
    size_t size_;
};

int SelectRow(HWND dialog, int row) {
    HWND table = DeviceTableOf(dialog);
    RemoteBuffer remote(table, sizeof(LVITEMW));
    if (!remote.Ok()) return 1;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.Write(0, &item, sizeof item);
    return SendMessageW(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.At(0))) ? 0
                                                                                              : 1;
}

int PrintTable(HWND dialog) {
    HWND table = DeviceTableOf(dialog);
    constexpr size_t kTextChars = 512;
    RemoteBuffer remote(table, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote.Ok()) {
        std::fprintf(stderr, "tesmara-probe: cannot reach the application's memory\n");
        return 1;
    }
    int rows = DeviceTableRows(dialog);
    for (int row = 0; row < rows; ++row) {
        std::wstring line = DeviceTableRowChecked(dialog, row) ? L"1" : L"0";
        for (int column = 0; column < kTableColumns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(LVITEMW)));
            item.cchTextMax = kTextChars;
            remote.Write(0, &item, sizeof item);
            auto length = static_cast<size_t>(
                SendMessageW(table, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.At(0))));
            std::wstring text(std::min(length, kTextChars - 1), L'\0');
            remote.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
            line += L'\t';
            line += text;
        }
        Print(line);
    }
    return 0;
}

// A text argument as the system passed it: the narrow argv is in the ANSI code page, which cannot
// hold every text the application shows (the Chinese ones).
std::wstring WideArg(int index) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring arg = args && index < count ? args[index] : L"";
    LocalFree(args);
    return arg;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// The application's dialogs other than the main window (message boxes, file dialogs), visible.
std::vector<HWND> OtherDialogs(HWND dialog) {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetWindowThreadProcessId(dialog, nullptr),
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (IsWindowVisible(hwnd) && std::wstring(name) == L"#32770") {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    std::erase(found, dialog);
    return found;
}

// Polls for a dialog that `match` accepts; null after `timeout` ms.
template <class Match>
HWND WaitForDialog(HWND dialog, DWORD timeout, Match match) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND other : OtherDialogs(dialog)) {
            if (match(other)) return other;
        }
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(50);
    }
}

constexpr int kMessageTextId = 0xFFFF;  // the text of a message box
constexpr int kFileNameBoxId = 1148;    // the file-name box of the file-open dialog

int ChooseFile(HWND dialog, int browse, const std::wstring& path, DWORD timeout) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browse, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, browse)));
    HWND open =
        WaitForDialog(dialog, timeout, [](HWND d) { return GetDlgItem(d, kFileNameBoxId); });
    if (!open) return 1;
    SendMessageW(GetDlgItem(open, kFileNameBoxId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    DWORD start = GetTickCount();
    while (IsWindow(open) && IsWindowVisible(open)) {
        if (GetTickCount() - start > timeout) return 1;
        Sleep(50);
    }
    return 0;
}

int WaitForBox(HWND dialog, const std::wstring& text, DWORD timeout) {
    HWND box = WaitForDialog(dialog, timeout, [&](HWND d) {
        HWND message = GetDlgItem(d, kMessageTextId);
        return message && TextOf(message) == text;
    });
    if (!box) return 1;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

// Works a control of another of the application's dialogs, found by its caption.
int InDialog(HWND dialog, int argc, char** argv) {
    std::wstring caption = WideArg(2);
    HWND other = WaitForDialog(dialog, std::strtoul(argv[3], nullptr, 10),
                               [&](HWND d) { return TextOf(d) == caption; });
    if (!other) return 1;
    std::string action = argv[4];
    int id = std::atoi(argv[5]);
    HWND control = GetDlgItem(other, id);
    if (!control) return 1;
    if (action == "press" && id == IDOK) {
        // Saving runs the command on the application's thread: do not wait for it.
        return PostMessageW(other, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                            reinterpret_cast<LPARAM>(control))
                   ? 0
                   : 1;
    }
    if (action == "press") {
        SendMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (action == "choose" && argc > 6) {
        int position = std::atoi(argv[6]);
        if (SendMessageW(control, CB_SETCURSEL, position, 0) != position) return 1;
        return 0;
    }
    if (action == "set-text" && argc > 6) {
        std::wstring text = WideArg(6);
        return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? 0 : 1;
    }
    return 2;
}

// A dialog the main window opened, found by its caption: the given controls get their texts,
// then OK is pressed when `pressOk`.
int FillDialog(HWND dialog, const std::wstring& caption, DWORD timeout,
               const std::vector<std::pair<int, std::wstring>>& texts, bool pressOk) {
    HWND form = WaitForDialog(dialog, timeout, [&](HWND d) { return TextOf(d) == caption; });
    if (!form) return 1;
    for (const auto& [id, text] : texts) {
        HWND control = GetDlgItem(form, id);
        wchar_t kind[32] = {};
        GetClassNameW(control, kind, 32);
        unsigned a = 0, b = 0, c = 0, d = 0;
        // An address control shows what its fields hold: those are set, not the window text.
        if (std::wstring(kind) == WC_IPADDRESSW &&
            std::swscanf(text.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
            SendMessageW(control, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
        } else {
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    if (pressOk) PostMessageW(form, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: tesmara-probe "
            "find|click|press|log|table|text|wait-log|wait-box|boxes|choose-file|select|set-text|"
            "enabled|in-dialog|fill|type ...\n");
        return 2;
    }
    std::string command = argv[1];
    if (command == "find") {
        DWORD timeout = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 30000;
        DWORD start = GetTickCount();
        while (!MainWindow()) {
            if (GetTickCount() - start > timeout) return 1;
            Sleep(100);
        }
        return 0;
    }
    HWND dialog = MainWindow();
    if (!dialog) {
        std::fprintf(stderr, "tesmara-probe: no main window\n");
        return 1;
    }
    if (command == "click" && argc > 2) {
        int id = std::atoi(argv[2]);
        HWND button = GetDlgItem(dialog, id);
        return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(button))
                   ? 0
                   : 1;
    }
    if (command == "log") {
        std::vector<LPARAM> colours;
        auto lines = StatusLogLines(dialog, &colours);
        for (size_t i = 0; i < lines.size(); ++i) {
            wchar_t colour[16];
            std::swprintf(colour, 16, L"%06lX", static_cast<unsigned long>(colours[i]));
            Print(std::wstring(colour) + L"\t" + lines[i]);
        }
        return 0;
    }
    if (command == "table") return PrintTable(dialog);
    if (command == "wait-log" && argc > 3) {
        std::wstring wanted = WideArg(2);
        DWORD timeout = std::strtoul(argv[3], nullptr, 10);
        DWORD start = GetTickCount();
        for (;;) {
            for (const auto& line : StatusLogLines(dialog)) {
                if (line == wanted) return 0;
            }
            if (GetTickCount() - start > timeout) return 1;
            Sleep(100);
        }
    }
    if (command == "press" && argc > 2) {
        return PostMessageW(GetDlgItem(dialog, std::atoi(argv[2])), BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == "text" && argc > 2) {
        Print(TextOf(GetDlgItem(dialog, std::atoi(argv[2]))));
        return 0;
    }
    if (command == "choose-file" && argc > 4) {
        return ChooseFile(dialog, std::atoi(argv[2]), WideArg(3),
                          std::strtoul(argv[4], nullptr, 10));
    }
    if (command == "wait-box" && argc > 3) {
        return WaitForBox(dialog, WideArg(2), std::strtoul(argv[3], nullptr, 10));
    }
    if (command == "boxes") {
        for (HWND box : OtherDialogs(dialog)) {
            if (HWND message = GetDlgItem(box, kMessageTextId)) Print(TextOf(message));
        }
        return 0;
    }
    if (command == "select" && argc > 2) return SelectRow(dialog, std::atoi(argv[2]));
    if (command == "set-text" && argc > 3) {
        std::wstring text = WideArg(3);
        return SendMessageW(GetDlgItem(dialog, std::atoi(argv[2])), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(text.c_str()))
                   ? 0
                   : 1;
    }
    if (command == "in-dialog" && argc > 5) return InDialog(dialog, argc, argv);
    if ((command == "fill" || command == "type") && argc > 3) {
        std::vector<std::pair<int, std::wstring>> texts;
        for (int i = 4; i + 1 < argc; i += 2)
            texts.emplace_back(std::atoi(argv[i]), WideArg(i + 1));
        return FillDialog(dialog, WideArg(2), std::strtoul(argv[3], nullptr, 10), texts,
                          command == "fill");
    }
    if (command == "enabled") {
        Print(IsWindowEnabled(dialog) ? L"1" : L"0");
        return 0;
    }
    std::fprintf(stderr, "tesmara-probe: unknown command %s\n", command.c_str());
    return 2;
}
