// Prints what the windows titled exactly so say: the text of each of their child windows
// (static texts, buttons), one a line, in UTF-8. The checks read a dialog's or a message
// box's words with it.
//   WindowTexts <title>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring wantedTitle;

void PrintUtf8(const wchar_t* text)
{
    char narrow[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    if (length > 0)
        std::printf("%s\n", narrow);
}

// Asked by message, which crosses processes, rather than read as a caption.
BOOL CALLBACK PrintChildText(HWND child, LPARAM)
{
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(child, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, &copied) != 0 &&
        copied > 0)
        PrintUtf8(text);
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM found)
{
    wchar_t title[512] = {};
    GetWindowTextW(window, title, sizeof title / sizeof title[0]);
    if (wantedTitle == title) {
        ++*reinterpret_cast<int*>(found);
        EnumChildWindows(window, PrintChildText, 0);
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: WindowTexts <title>\n");
        return 2;
    }
    wchar_t title[512] = {};
    MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, title, sizeof title / sizeof title[0]);
    wantedTitle = title;
    int found = 0;
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&found));
    return found > 0 ? 0 : 1;
}
