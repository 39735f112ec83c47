// The one main() of gui_tests: starts wx without entering its main loop, then runs the
// tests. Run under Xvfb: xvfb-run -a -s "-screen 0 1280x1024x24" ./build/gui_tests
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

class GuiTestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        return 2;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
