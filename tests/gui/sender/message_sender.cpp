// A second process for the GUI tests: sends one message to a window of the test program and exits
// with the result. Arguments: window handle, message, wParam, lParam (decimal).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) return -1;
    auto number = [](const char* text) { return std::strtoull(text, nullptr, 10); };
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(number(argv[1])));
    LRESULT result =
        SendMessageW(window, static_cast<UINT>(number(argv[2])),
                     static_cast<WPARAM>(number(argv[3])), static_cast<LPARAM>(number(argv[4])));
    return static_cast<int>(result);
}
