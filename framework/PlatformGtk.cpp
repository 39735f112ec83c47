// GTK 3 on GLib. The watches are GLib sources of the main loop that GTK runs.
//
// The toolkit's default theme pads entries and buttons to about 34 pixels, far more
// than the 18- to 30-pixel controls of the dialog templates; a style sheet of our own
// shrinks the paddings. The GTK functions are looked up at run time in the already loaded
// toolkit library, so the program needs no GTK development files; when one is missing the
// settings are just left alone.
#include "Platform.h"

#ifdef __WXGTK__

#include <dlfcn.h>
#include <gio/gio.h>
#include <glib-unix.h>
#include <wx/window.h>

#include <cstdlib>
#include <map>

namespace fw {
namespace {

constexpr char kCompactCss[] =
    "entry { min-height: 0; padding: 0 1px; }"
    "entry.pemdaro-narrow { padding: 0; }"
    "button { min-height: 0; min-width: 0; padding: 0 1px; }"
    "combobox button { padding: 0; min-width: 0; }"
    "combobox arrow { min-width: 9px; min-height: 9px; }"
    "combobox entry { padding: 0 1px; }"
    "checkbutton { min-height: 0; padding: 0; }"
    "checkbutton check { min-width: 10px; min-height: 10px; margin: 0 3px 0 0; }"
    "frame > border { border-radius: 0; }"
    "treeview { -GtkTreeView-vertical-separator: 0; -GtkTreeView-expander-size: 0; }";

// GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
constexpr unsigned kApplicationPriority = 600;

// The head of fontconfig's FcFontSet.
struct FontSet {
    int nfont;
    int sfont;
    void** fonts;
};

template <class F>
F Lookup(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

void ApplyCompactCss() {
    using NewProvider = void* (*)();
    using LoadData = int (*)(void*, const char*, long, void**);
    using DefaultScreen = void* (*)();
    using AddProvider = void (*)(void*, void*, unsigned);
    const auto newProvider = Lookup<NewProvider>("gtk_css_provider_new");
    const auto loadData = Lookup<LoadData>("gtk_css_provider_load_from_data");
    const auto screen = Lookup<DefaultScreen>("gdk_screen_get_default");
    const auto addProvider = Lookup<AddProvider>("gtk_style_context_add_provider_for_screen");
    if (!newProvider || !loadData || !screen || !addProvider || !screen()) {
        return;
    }
    void* provider = newProvider();
    if (provider && loadData(provider, kCompactCss, -1, nullptr)) {
        addProvider(screen(), provider, kApplicationPriority);
    }
}

void KeepSelectionOnFocus() {
    using DefaultSettings = void* (*)();
    using ObjectSet = void (*)(void*, const char*, ...);
    const auto settings = Lookup<DefaultSettings>("gtk_settings_get_default");
    const auto objectSet = Lookup<ObjectSet>("g_object_set");
    if (settings && objectSet && settings()) {
        objectSet(settings(), "gtk-entry-select-on-focus", 0, static_cast<void*>(nullptr));
    }
}

}  // namespace

int DesktopFontResolution() {
    using DefaultSettings = void* (*)();
    using ObjectGet = void (*)(void*, const char*, ...);
    const auto settings = Lookup<DefaultSettings>("gtk_settings_get_default");
    const auto objectGet = Lookup<ObjectGet>("g_object_get");
    int dpi = -1;
    if (settings && objectGet && settings()) {
        objectGet(settings(), "gtk-xft-dpi", &dpi, static_cast<void*>(nullptr));
    }
    return dpi;
}

void FitNarrowEdit(wxWindow* edit) {
    using StyleContext = void* (*)(void*);
    using AddClass = void (*)(void*, const char*);
    const auto styleContext = Lookup<StyleContext>("gtk_widget_get_style_context");
    const auto addClass = Lookup<AddClass>("gtk_style_context_add_class");
    void* widget = edit ? static_cast<void*>(edit->GetHandle()) : nullptr;
    if (styleContext && addClass && widget) {
        addClass(styleContext(widget), "pemdaro-narrow");
    }
}

void FitListRows(wxWindow* list) {
    struct GList {
        void* data;
        GList* next;
        GList* prev;
    };
    using BinChild = void* (*)(void*);
    using GetType = unsigned long (*)();
    using IsA = int (*)(void*, unsigned long);
    using GetColumn = void* (*)(void*, int);
    using GetCells = GList* (*)(void*);
    using ListFree = void (*)(GList*);
    using ObjectSet = void (*)(void*, const char*, ...);
    const auto binChild = Lookup<BinChild>("gtk_bin_get_child");
    const auto treeViewType = Lookup<GetType>("gtk_tree_view_get_type");
    const auto isA = Lookup<IsA>("g_type_check_instance_is_a");
    const auto getColumn = Lookup<GetColumn>("gtk_tree_view_get_column");
    const auto getCells = Lookup<GetCells>("gtk_cell_layout_get_cells");
    const auto listFree = Lookup<ListFree>("g_list_free");
    const auto objectSet = Lookup<ObjectSet>("g_object_set");
    void* scrolled = list ? static_cast<void*>(list->GetHandle()) : nullptr;
    if (!binChild || !treeViewType || !isA || !getColumn || !getCells || !listFree || !objectSet ||
        !scrolled) {
        return;
    }
    // The list is a tree view inside a scrolled window, with one column.
    void* tree = binChild(scrolled);
    void* column = tree && isA(tree, treeViewType()) ? getColumn(tree, 0) : nullptr;
    if (!column) {
        return;
    }
    GList* cells = getCells(column);
    for (GList* cell = cells; cell; cell = cell->next) {
        objectSet(cell->data, "ypad", 1, static_cast<void*>(nullptr));
    }
    listFree(cells);
}

namespace {

using Handler = std::function<void()>;

gboolean RunHandler(gpointer data) {
    (*static_cast<Handler*>(data))();
    return G_SOURCE_CONTINUE;
}

gboolean RunFdHandler(gint, GIOCondition, gpointer data) {
    return RunHandler(data);
}

void DeleteHandler(gpointer data) {
    delete static_cast<Handler*>(data);
}

using Step = std::function<bool()>;

gboolean RunStep(gpointer data) {
    return (*static_cast<Step*>(data))() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void DeleteStep(gpointer data) {
    delete static_cast<Step*>(data);
}

}  // namespace

unsigned WatchSignal(int signal, std::function<void()> handler) {
    return g_unix_signal_add_full(G_PRIORITY_DEFAULT, signal, RunHandler,
                                  new Handler(std::move(handler)), DeleteHandler);
}

unsigned WatchReadable(int fd, std::function<void()> handler) {
    return g_unix_fd_add_full(G_PRIORITY_DEFAULT, fd, G_IO_IN, RunFdHandler,
                              new Handler(std::move(handler)), DeleteHandler);
}

namespace {

// File monitors are objects, not sources: they get ids of their own, above any source id
// GLib hands out in practice.
std::map<unsigned, GFileMonitor*>& FileMonitors() {
    static std::map<unsigned, GFileMonitor*> monitors;
    return monitors;
}

void OnFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer data) {
    switch (event) {
        case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
        case G_FILE_MONITOR_EVENT_DELETED:
        case G_FILE_MONITOR_EVENT_CREATED:
        case G_FILE_MONITOR_EVENT_RENAMED:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
        case G_FILE_MONITOR_EVENT_MOVED_OUT:
            (*static_cast<Handler*>(data))();
            break;
        default:
            break;
    }
}

void DeleteFileHandler(gpointer data, GClosure*) {
    delete static_cast<Handler*>(data);
}

}  // namespace

unsigned WatchFile(const std::string& path, std::function<void()> handler) {
    static unsigned next = 0x40000000u;
    GFile* file = g_file_new_for_path(path.c_str());
    GFileMonitor* monitor = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (monitor == nullptr) {
        return 0;
    }
    g_signal_connect_data(monitor, "changed", G_CALLBACK(OnFileChanged),
                          new Handler(std::move(handler)), DeleteFileHandler, GConnectFlags(0));
    FileMonitors()[++next] = monitor;
    return next;
}

bool FontFamilyInstalled(const std::string& utf8Name) {
    using PatternCreate = void* (*)();
    using PatternAddString = int (*)(void*, const char*, const unsigned char*);
    using PatternDestroy = void (*)(void*);
    using ObjectSetBuild = void* (*)(const char*, ...);
    using ObjectSetDestroy = void (*)(void*);
    using FontList = FontSet* (*)(void*, void*, void*);
    using FontSetDestroy = void (*)(FontSet*);
    const auto create = Lookup<PatternCreate>("FcPatternCreate");
    const auto addString = Lookup<PatternAddString>("FcPatternAddString");
    const auto destroy = Lookup<PatternDestroy>("FcPatternDestroy");
    const auto build = Lookup<ObjectSetBuild>("FcObjectSetBuild");
    const auto destroyObjects = Lookup<ObjectSetDestroy>("FcObjectSetDestroy");
    const auto list = Lookup<FontList>("FcFontList");
    const auto destroySet = Lookup<FontSetDestroy>("FcFontSetDestroy");
    if (!create || !addString || !destroy || !build || !destroyObjects || !list || !destroySet ||
        utf8Name.empty()) {
        return false;
    }
    void* pattern = create();
    addString(pattern, "family", reinterpret_cast<const unsigned char*>(utf8Name.c_str()));
    void* objects = build("family", static_cast<const char*>(nullptr));
    FontSet* fonts = list(nullptr, pattern, objects);
    const bool found = fonts && fonts->nfont > 0;
    if (fonts) {
        destroySet(fonts);
    }
    destroyObjects(objects);
    destroy(pattern);
    return found;
}

void ShowKeyboardFocus(wxWindow* topLevel) {
    using SetVisible = void (*)(void*, int);
    const auto setVisible = Lookup<SetVisible>("gtk_window_set_focus_visible");
    if (topLevel && topLevel->GetHandle() && setVisible) {
        setVisible(topLevel->GetHandle(), 1);
    }
}

bool KeyboardFocusShown(wxWindow* topLevel) {
    using GetVisible = int (*)(void*);
    const auto getVisible = Lookup<GetVisible>("gtk_window_get_focus_visible");
    return topLevel && topLevel->GetHandle() && getVisible && getVisible(topLevel->GetHandle());
}

unsigned RunWhenIdle(std::function<bool()> step) {
    return g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, RunStep, new Step(std::move(step)), DeleteStep);
}

void TakeInputBesideModal(wxWindow* topLevel) {
    // A modal window's grab holds only the windows of its window group: a group of the
    // window's own keeps it out of that grab. The window group keeps the new group.
    using NewGroup = void* (*)();
    using AddWindow = void (*)(void*, void*);
    const auto newGroup = Lookup<NewGroup>("gtk_window_group_new");
    const auto addWindow = Lookup<AddWindow>("gtk_window_group_add_window");
    if (topLevel == nullptr || topLevel->GetHandle() == nullptr || !newGroup || !addWindow) {
        return;
    }
    addWindow(newGroup(), topLevel->GetHandle());
}

void AppendToWindowMenu(wxWindow*, int, const wxString&) {}

void AfterKeyEvent(wxWindow*, std::function<void()> action) {
    action();
}

void RemoveWatch(unsigned watch) {
    const auto monitor = FileMonitors().find(watch);
    if (monitor != FileMonitors().end()) {
        g_file_monitor_cancel(monitor->second);
        g_object_unref(monitor->second);
        FileMonitors().erase(monitor);
    } else if (watch != 0) {
        g_source_remove(watch);
    }
}

namespace {

// Calls visit on each of the toolkit's own modal dialogs that is shown; false when the
// toolkit's functions are missing.
bool ForEachNativeModalDialog(const std::function<void(void*)>& visit) {
    using ListToplevels = GList* (*)();
    using GetType = unsigned long (*)();
    using IsA = int (*)(void*, unsigned long);
    using Flag = int (*)(void*);
    using ListFree = void (*)(GList*);
    const auto toplevels = Lookup<ListToplevels>("gtk_window_list_toplevels");
    const auto dialogType = Lookup<GetType>("gtk_dialog_get_type");
    const auto isA = Lookup<IsA>("g_type_check_instance_is_a");
    const auto visible = Lookup<Flag>("gtk_widget_get_visible");
    const auto modal = Lookup<Flag>("gtk_window_get_modal");
    const auto listFree = Lookup<ListFree>("g_list_free");
    if (!toplevels || !dialogType || !isA || !visible || !modal || !listFree) {
        return false;
    }
    GList* windows = toplevels();
    for (GList* window = windows; window; window = window->next) {
        if (isA(window->data, dialogType()) && visible(window->data) && modal(window->data)) {
            visit(window->data);
        }
    }
    listFree(windows);
    return true;
}

}  // namespace

bool CancelNativeDialogs() {
    using Respond = void (*)(void*, int);
    const auto respond = Lookup<Respond>("gtk_dialog_response");
    if (!respond) {
        return false;
    }
    constexpr int kResponseDeleteEvent = -4;  // GTK_RESPONSE_DELETE_EVENT: the close button
    bool cancelled = false;
    ForEachNativeModalDialog([&](void* dialog) {
        respond(dialog, kResponseDeleteEvent);
        cancelled = true;
    });
    return cancelled;
}

bool HasNativeModalDialog() {
    bool found = false;
    ForEachNativeModalDialog([&](void*) { found = true; });
    return found;
}

bool HasSessionBus() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != 0) {
        return true;
    }
    // The bus of the user's session manager, which GLib finds by itself.
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == 0) {
        return false;
    }
    gchar* socket = g_build_filename(runtime, "bus", nullptr);
    const bool found = g_file_test(socket, G_FILE_TEST_EXISTS);
    g_free(socket);
    return found;
}

void BeforeToolkitStarts() {
    // GDK opens the display with a probe of the OpenGL drivers, to choose visuals for
    // OpenGL drawing: on X11 it loads libGL and the driver (with Mesa's software renderer
    // also LLVM), about 40 ms and 50 MB of a start here. GDK_GL=disable skips it; the
    // program's windows are drawn through cairo alone. A GDK_GL the user set is left alone.
    // It is set here, before any thread runs, and never taken back: once GTK's threads run,
    // a change of the environment could hide another variable from one of them for a moment
    // (glibc's unsetenv moves the entries while getenv reads them), and what inherits it (a
    // print preview GTK starts) draws as well without OpenGL.
    setenv("GDK_GL", "disable", 0);
}

void InitFramework() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    ApplyCompactCss();
    KeepSelectionOnFocus();
}

}  // namespace fw

#endif  // __WXGTK__
