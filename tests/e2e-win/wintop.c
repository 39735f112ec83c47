/* What Windows (here: Wine) holds about the top-level windows, for wine_e2e.sh, which
 * cannot see it through X without a window manager:
 *
 *   wintop.exe front TITLE OTHER  status 0 when the window TITLE is the foreground window
 *                                 and lies above the window OTHER in the Z order
 *   wintop.exe iconic TITLE       status 0 when the window TITLE is minimised
 *   wintop.exe minimize TITLE     minimises the window TITLE (status 0 when found)
 *
 * Titles are UTF-8. Status 1 when the answer is no, 2 when a window is missing. */
#include <wchar.h>
#include <windows.h>

struct Search {
    const wchar_t* title;
    HWND found;
};

static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    struct Search* search = (struct Search*)data;
    wchar_t title[256];
    if (IsWindowVisible(window) && GetWindowTextW(window, title, 256) > 0 &&
        wcscmp(title, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

/* The shown top-level window of that title (the toolkit keeps hidden ones of its own). */
static HWND Find(const char* utf8) {
    wchar_t title[256];
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, title, 256) == 0) {
        return NULL;
    }
    struct Search search = {title, NULL};
    EnumWindows(Visit, (LPARAM)&search);
    return search.found;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    HWND window = Find(argv[2]);
    if (window == NULL) {
        return 2;
    }
    if (lstrcmpA(argv[1], "iconic") == 0) {
        return IsIconic(window) ? 0 : 1;
    }
    if (lstrcmpA(argv[1], "minimize") == 0) {
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    }
    if (lstrcmpA(argv[1], "front") == 0 && argc == 4) {
        HWND other = Find(argv[3]);
        if (other == NULL) {
            return 2;
        }
        if (GetForegroundWindow() != window) {
            return 1;
        }
        /* From the top of the Z order down: which of the two comes first. */
        for (HWND w = GetTopWindow(NULL); w != NULL; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == window) {
                return 0;
            }
            if (w == other) {
                return 1;
            }
        }
        return 2;
    }
    return 2;
}
