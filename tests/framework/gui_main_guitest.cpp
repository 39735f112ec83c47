// The one main() of gui_tests: starts wx without entering its main loop, then runs the
// tests. Run under Xvfb: xvfb-run -a -s "-screen 0 1280x1024x24" ./build/gui_tests
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class GuiTestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // What the program keeps in the user's state folder (the fonts it found, among others)
    // goes to a folder of this run, not to the home folder of whoever runs the tests.
    const std::filesystem::path state = std::filesystem::temp_directory_path() /
                                        ("pemdaro-gui-state-" + std::to_string(::getpid()));
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        return 2;
    }
    // A failed wx assertion fails the running test instead of opening a message box
    // that nobody answers.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_str() << ": "
                                              << cond.utf8_str() << " " << msg.utf8_str();
    });
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
    return result;
}
