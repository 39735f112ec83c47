// Message boxes, fonts, images, the wx Canvas and the view under Xvfb.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/statbmp.h>
#include <wx/testing.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Cp932.h"
#include "Dialog.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "PaintCounter.h"
#include "Platform.h"
#include "TextConv.h"
#include "View.h"
#include "WxCanvas.h"
#include "WxImages.h"

namespace {

TEST(MessageBoxTest, CaptionIsTheProgramNameAndAfxAddsTheExclamationIcon) {
    fw::ScopedMessageBoxCapture boxes(fw::kIdCancel);
    EXPECT_EQ(fw::AfxMessageBox("データファイルの保存に失敗しました。"), fw::kIdCancel);
    EXPECT_EQ(fw::AfxMessageBox("q", fw::MB_YESNO | fw::MB_ICONQUESTION), fw::kIdCancel);
    fw::CDialog dlg(IDD_ABOUTBOX);
    ASSERT_TRUE(dlg.Create());
    dlg.MessageBox("入力可能な予定の数は４つまでです。", nullptr, fw::MB_ICONSTOP);
    fw::MessageBox(nullptr, "plain");

    const auto& r = boxes.Requests();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].caption, "gui_tests");
    EXPECT_EQ(r[0].text, wxString::FromUTF8("データファイルの保存に失敗しました。"));
    EXPECT_EQ(r[0].style, unsigned(fw::MB_OK | fw::MB_ICONEXCLAMATION));
    EXPECT_EQ(r[1].style, unsigned(fw::MB_YESNO | fw::MB_ICONQUESTION));  // icon kept
    EXPECT_EQ(r[2].caption, "gui_tests");
    EXPECT_EQ(r[2].style, unsigned(fw::MB_ICONSTOP));
    EXPECT_EQ(r[2].parent, &dlg);
    EXPECT_EQ(r[3].style, unsigned(fw::MB_OK));  // a window's box adds no icon
}

// Answers the program's message box with a button id.
class AnswerBox : public wxExpectModalBase<fw::CMessageWindow> {
  public:
    explicit AnswerBox(int id) : m_id(id) {}

  protected:
    int OnInvoked(fw::CMessageWindow*) const override { return m_id; }

  private:
    int m_id;
};

TEST(MessageBoxTest, WithoutAHookTheRealModalBoxRuns) {
    int result = 0;
    wxTEST_DIALOG(result = fw::AfxMessageBox("x", fw::MB_OKCANCEL), AnswerBox(wxID_OK));
    EXPECT_EQ(result, fw::kIdOk);
    wxTEST_DIALOG(result = fw::AfxMessageBox("x", fw::MB_YESNO), AnswerBox(wxID_NO));
    EXPECT_EQ(result, fw::kIdNo);
}

// The box shows the icon of its kind and breaks its text only between phrases; its
// buttons say what they do, and Escape gives the answer of its last, most careful one.
TEST(MessageBoxTest, TheWindowShowsTheIconOfItsKindAndBreaksBetweenPhrases) {
    const wxString missing = wxString::FromUTF8(
        "データファイルを作成できません。データファイル作成フォルダ「/home/taro/予定表/"
        "データ/」の指定が間違っている可能性があります。");
    struct Case {
        unsigned style;
        wxArtID art;
        std::vector<int> buttons;
        int escape;
    };
    const Case cases[] = {
        {fw::MB_OK | fw::MB_ICONINFORMATION, wxART_INFORMATION, {wxID_OK}, wxID_OK},
        {fw::MB_OK | fw::MB_ICONEXCLAMATION, wxART_WARNING, {wxID_OK}, wxID_OK},
        {fw::MB_OKCANCEL | fw::MB_ICONSTOP, wxART_ERROR, {wxID_OK, wxID_CANCEL}, wxID_CANCEL},
        {fw::MB_YESNO | fw::MB_ICONQUESTION, wxART_QUESTION, {wxID_YES, wxID_NO}, wxID_NO},
        {fw::MB_YESNOCANCEL | fw::MB_ICONQUESTION,
         wxART_QUESTION,
         {wxID_YES, wxID_NO, wxID_CANCEL},
         wxID_CANCEL},
        {fw::MB_OK, wxArtID(), {wxID_OK}, wxID_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        fw::CMessageWindow window(fw::MessageBoxRequest{nullptr, missing, "pemdaro", c.style, {}});
        EXPECT_EQ(window.IconArt(), c.art);
        bool hasIcon = false;
        for (wxWindow* child : window.GetChildren()) {
            if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) {
                hasIcon = bitmap->GetBitmap().IsOk() && bitmap->GetBitmap().GetWidth() >= 16;
            }
        }
        EXPECT_EQ(hasIcon, !c.art.empty());
        for (int id : c.buttons) {
            EXPECT_NE(window.FindWindow(id), nullptr) << id;
        }
        EXPECT_EQ(window.GetEscapeId(), c.escape);
        // Only the line breaks were added, each between two phrases.
        wxString joined = window.ShownText();
        joined.Replace("\n", "");
        EXPECT_EQ(joined, missing);
        EXPECT_NE(window.ShownText().find('\n'), wxString::npos);
        for (const char* word : {"間違っている", "可能性", "作成できません。"}) {
            EXPECT_NE(window.ShownText().find(wxString::FromUTF8(word)), wxString::npos) << word;
        }
    }
}

TEST(FontTest, WindowsFacesFallBackToInstalledGothicsWithTheCellHeightInPixels) {
    struct Case {
        const char* face;
        int height, weight;
        const char* installed;
    };
    const Case cases[] = {
        {"ＭＳ ゴシック", 16, 700, "IPAGothic"},    {"ＭＳ ゴシック", 11, 400, "IPAGothic"},
        {"ＭＳ Ｐゴシック", 22, 700, "IPAPGothic"}, {"ＭＳ Ｐゴシック", 14, 700, "IPAPGothic"},
        {"No Such Face", 12, 400, "IPAGothic"},
    };
    wxBitmap bitmap(1, 1);
    wxMemoryDC dc(bitmap);
    for (const Case& c : cases) {
        const wxFont& font = fw::FontFromSpec({c.face, c.height, c.weight});
        EXPECT_EQ(font.GetFaceName(), c.installed) << c.face;
        EXPECT_EQ(font.GetWeight(), c.weight >= 700 ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
        dc.SetFont(font);
        EXPECT_EQ(dc.GetCharHeight(), c.height) << c.face << " " << c.height;
    }
    EXPECT_EQ(&fw::FontFromSpec({"ＭＳ ゴシック", 16, 700}),
              &fw::FontFromSpec({"ＭＳ ゴシック", 16, 700}));
}

// The toolkit's font list names each family once, in the current locale's language: in
// ja_JP it says "IPA Pゴシック" and not "IPAPGothic", and the dialogs lost their font. A
// family is found by any of its names, whatever the locale.
TEST(FontTest, FamiliesAreFoundByEveryNameTheyHave) {
    const std::pair<const char*, bool> cases[] = {
        {"IPAPGothic", true}, {"IPA Pゴシック", true},    {"IPAゴシック", true},
        {"ipagothic", true},  {"ＭＳ Ｐゴシック", false}, {"No Such Face", false},
        {"", false},
    };
    for (const auto& [name, installed] : cases) {
        EXPECT_EQ(fw::FontFamilyInstalled(name), installed) << name;
    }
}

// The fonts kept from earlier runs: a kept font that still measures as kept is used as it
// is (the bold one below proves it came from the file), anything else is searched again
// and the file rewritten; damaged lines are passed over.
TEST(FontTest, KeptFontsAreUsedOnlyWhileTheyMeasureAsKept) {
    struct Case {
        const char* name;
        const char* kept;  // the file before; nullptr: none
        bool fromFile;
    };
    const Case cases[] = {
        {"no file", nullptr, false},
        {"damaged lines", "IPAGothic\t11\nIPAGothic\t11\t400\t0\tIPAGothic 7\n\t\t\t\t\n", false},
        {"measures otherwise now", "IPAGothic\t11\t400\t11\tIPAGothic 20\n", false},
        {"not a font", "IPAGothic\t11\t400\t11\t\n", false},
        {"kept and still right", "IPAGothic\t11\t400\t11\tIPAGothic Bold 7\n", true},
    };
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("font-sizes-" + std::to_string(::getpid()) + ".txt"))
                                 .string();
    wxBitmap bitmap(1, 1);
    wxMemoryDC dc(bitmap);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path);
        if (c.kept != nullptr) {
            std::ofstream(path, std::ios::binary) << c.kept;
        }
        const wxFont font = fw::CFoundFonts(path).WithCellHeight("IPAGothic", 11, 400);
        dc.SetFont(font);
        EXPECT_EQ(dc.GetCharHeight(), 11);
        EXPECT_EQ(font.GetWeight(), c.fromFile ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
        std::ostringstream after;
        after << std::ifstream(path, std::ios::binary).rdbuf();
        if (c.fromFile) {
            EXPECT_EQ(after.str(), c.kept);
        } else {
            EXPECT_EQ(after.str(), "IPAGothic\t11\t400\t11\t" +
                                       fw::WxToUtf8(font.GetNativeFontInfoDesc()) + "\n");
            // What was kept is used by the next run as it is.
            const wxFont again = fw::CFoundFonts(path).WithCellHeight("IPAGothic", 11, 400);
            EXPECT_EQ(again.GetNativeFontInfoDesc(), font.GetNativeFontInfoDesc());
        }
    }
    std::filesystem::remove(path);
    // No file at all: found every time, never kept.
    EXPECT_TRUE(fw::CFoundFonts("").WithCellHeight("IPAPGothic", 14, 700).IsOk());
}

wxColour PixelAt(const wxBitmap& bitmap, int x, int y) {
    const wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

TEST(ImageTest, ArrowsDrawWithTheirTransparentGreyLeftOut) {
    fw::CImageList list;
    ASSERT_TRUE(list.Create(IDB_FROM_ARROW, {192, 192, 192}));
    EXPECT_EQ(list.GetBitmap().GetSize(), wxSize(133, 24));
    EXPECT_FALSE(fw::CImageList().Create(999, {192, 192, 192}));

    wxBitmap target(140, 30);
    {
        wxMemoryDC dc(target);
        dc.SetBackground(*wxRED_BRUSH);
        dc.Clear();
        list.Draw(dc, 2, 3);
    }
    EXPECT_EQ(PixelAt(target, 2 + 16, 3 + 7), *wxBLACK);  // shaft
    EXPECT_EQ(PixelAt(target, 2 + 17, 3 + 7), wxColour(128, 128, 128));
    EXPECT_EQ(PixelAt(target, 2 + 132, 3 + 18), *wxWHITE);  // bar end
    EXPECT_EQ(PixelAt(target, 2 + 5, 3 + 5), *wxRED);       // transparent
    EXPECT_EQ(PixelAt(target, 2 + 40, 3 + 10), *wxRED);

    const wxIconBundle icons = fw::LoadResourceIcons(IDR_MAINFRAME);
    EXPECT_EQ(icons.GetIconCount(), 2u);
    EXPECT_EQ(icons.GetIcon(16).GetWidth(), 16);
}

TEST(WxCanvasTest, ShapesKeepTheirExclusiveEdgesAndOpaqueTextFillsItsBox) {
    wxBitmap bitmap(60, 40);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    fw::WxCanvas canvas(dc);
    canvas.SelectBrush({{255, 0, 0}, false});
    canvas.FillRect({2, 2, 6, 5});
    canvas.SelectPen({0, {0, 0, 255}});
    canvas.SelectBrush({{0, 255, 0}, false});
    canvas.Rectangle({10, 2, 16, 8});
    canvas.SelectPen({0, {0, 0, 0}});
    canvas.Line({20, 2}, {25, 2});  // x 20-24
    canvas.Line({30, 8}, {30, 3});  // y 8 down to 4
    canvas.SelectPen({2, {0, 0, 0}});
    canvas.Line({40, 5}, {44, 5});  // two rows: 4 and 5
    canvas.SetBkColor({220, 220, 220});
    canvas.SelectFont({"ＭＳ ゴシック", 16, 700});
    canvas.DrawText(Utf8ToCp932("７").value(), {20, 10, 60, 40}, fw::kTextCenter);
    dc.SelectObject(wxNullBitmap);

    const wxColour red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), grey(220, 220, 220);
    EXPECT_EQ(PixelAt(bitmap, 2, 2), red);
    EXPECT_EQ(PixelAt(bitmap, 5, 4), red);
    EXPECT_EQ(PixelAt(bitmap, 6, 4), *wxWHITE);  // right edge excluded
    EXPECT_EQ(PixelAt(bitmap, 5, 5), *wxWHITE);  // bottom edge excluded
    EXPECT_EQ(PixelAt(bitmap, 10, 2), blue);     // outline on the first row and column
    EXPECT_EQ(PixelAt(bitmap, 15, 7), blue);     // ... and on the last inside ones
    EXPECT_EQ(PixelAt(bitmap, 12, 4), green);
    EXPECT_EQ(PixelAt(bitmap, 16, 4), *wxWHITE);
    EXPECT_EQ(PixelAt(bitmap, 20, 2), *wxBLACK);  // lines leave out their last point
    EXPECT_EQ(PixelAt(bitmap, 24, 2), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 25, 2), *wxWHITE);
    EXPECT_EQ(PixelAt(bitmap, 30, 8), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 30, 4), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 30, 3), *wxWHITE);
    EXPECT_EQ(PixelAt(bitmap, 40, 4), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 43, 5), *wxBLACK);
    EXPECT_EQ(PixelAt(bitmap, 43, 6), *wxWHITE);
    EXPECT_EQ(PixelAt(bitmap, 43, 3), *wxWHITE);
    // The full-width 7 is centred in 20..60 and its box is grey in opaque mode.
    EXPECT_EQ(PixelAt(bitmap, 20, 12), *wxWHITE);
    EXPECT_EQ(PixelAt(bitmap, 33, 10), grey);
    EXPECT_EQ(PixelAt(bitmap, 33, 30), *wxWHITE);  // below the 16-pixel cell
}

// Measurements are kept across canvases and paints: each must still be that of the font,
// the scale and the DC in use, whatever was measured before in another.
TEST(WxCanvasTest, KeptMeasurementsAreThoseOfTheFontScaleAndDcInUse) {
    struct Case {
        fw::FontSpec font;
        double scale;
        const char* text;  // UTF-8
    };
    const Case cases[] = {
        {{"ＭＳ ゴシック", 12, 400}, 1.0, "09:30-10:00定例ミーティング"},
        {{"ＭＳ ゴシック", 16, 400}, 1.0, "09:30-10:00定例ミーティング"},
        {{"ＭＳ ゴシック", 16, 700}, 1.0, "09:30-10:00定例ミーティング"},
        {{"ＭＳ Ｐゴシック", 12, 400}, 1.0, "09:30-10:00定例ミーティング"},
        {{"ＭＳ ゴシック", 12, 400}, 2.0, "09:30-10:00定例ミーティング"},
        {{"ＭＳ ゴシック", 12, 400}, 1.0, "09:30-10:00定例ミーティ…"},
        {{"ＭＳ Ｐゴシック", 12, 400}, 1.5, "WWWiii"},
    };
    wxBitmap bitmap(400, 60);
    wxBitmap other(200, 30);
    for (int pass = 0; pass < 3; ++pass) {
        wxMemoryDC dc(pass == 2 ? other : bitmap);
        fw::WxCanvas canvas(dc);
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const Case& c = cases[pass == 1 ? std::size(cases) - 1 - i : i];
            canvas.SelectFont(c.font);
            dc.SetUserScale(c.scale, c.scale);
            const std::string text = Utf8ToCp932(c.text).value();
            const wxSize direct = dc.GetTextExtent(wxString::FromUTF8(c.text));
            EXPECT_EQ(canvas.TextWidth(text), direct.x)
                << c.text << " " << c.font.height << " " << c.scale << " pass " << pass;
        }
    }
    // The cases differ where the cache would have to tell them apart.
    wxMemoryDC dc(bitmap);
    dc.SetFont(fw::FontFromSpec(cases[0].font));
    const int small = dc.GetTextExtent(wxString::FromUTF8(cases[0].text)).x;
    dc.SetFont(fw::FontFromSpec(cases[1].font));
    EXPECT_NE(dc.GetTextExtent(wxString::FromUTF8(cases[1].text)).x, small);
}

// Small kanji keep their strokes only when smoothed: texts are drawn with the toolkit's
// smoothing (grey levels at their edges) while shapes drawn before and after keep hard
// edges of their pure colour.
TEST(WxCanvasTest, TextsAreSmoothedAndShapesStayHard) {
    wxBitmap bitmap(80, 40);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    fw::WxCanvas canvas(dc);
    canvas.SelectPen({0, {0, 0, 0}});
    canvas.SelectHollowBrush();
    canvas.Ellipse({2, 2, 26, 14});
    canvas.SetBkModeTransparent(true);
    canvas.SelectFont({"ＭＳ ゴシック", 12, 400});
    canvas.DrawText(Utf8ToCp932("設計締切").value(), {30, 2, 80, 20}, fw::kTextLeft);
    canvas.Ellipse({2, 20, 26, 32});
    dc.SelectObject(wxNullBitmap);

    // Pixels neither white nor black in a region.
    const auto between = [&bitmap](int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const wxColour c = PixelAt(bitmap, x, y);
                count += c != *wxWHITE && c != *wxBLACK;
            }
        }
        return count;
    };
    EXPECT_GT(between(30, 2, 80, 20), 10);  // the text's smoothed edges
    EXPECT_EQ(between(0, 0, 28, 16), 0);    // the shape before it
    EXPECT_EQ(between(0, 18, 28, 36), 0);   // and the one after it
    // The ellipse keeps to its box's exclusive edges: its last row and column are inside.
    const auto dark = [&bitmap](int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                count += PixelAt(bitmap, x, y) == *wxBLACK;
            }
        }
        return count;
    };
    EXPECT_GT(dark(0, 20, 28, 21), 0);  // top row
    EXPECT_GT(dark(0, 31, 28, 32), 0);  // last row inside
    EXPECT_EQ(dark(0, 32, 28, 36), 0);  // the bottom edge itself
    EXPECT_GT(dark(25, 18, 26, 36), 0);
    EXPECT_EQ(dark(26, 18, 28, 36), 0);  // the right edge itself
}

class CTestView : public fw::CView {
    DECLARE_DYNCREATE(CTestView)
  public:
    wxSize m_sizeDrawn;

  protected:
    void OnDraw(fw::Canvas& canvas) override {
        canvas.SelectBrush({{0, 0, 255}, false});
        canvas.FillRect({0, 0, 10, 10});
        canvas.BlitToTarget();
        m_sizeDrawn = GetClientSize();
    }
};
IMPLEMENT_DYNCREATE(CTestView, fw::CView)

TEST(ViewTest, CreatedFromItsRuntimeClassAndRepaintedAtOnce) {
    ASSERT_EQ(fw::CRuntimeClass::FromName("CTestView"), RUNTIME_CLASS(CTestView));
    EXPECT_STREQ(RUNTIME_CLASS(CTestView)->m_lpszClassName, "CTestView");
    auto* view = dynamic_cast<CTestView*>(RUNTIME_CLASS(CTestView)->CreateObject());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetRuntimeClass(), RUNTIME_CLASS(CTestView));

    auto* frame = new wxFrame(nullptr, wxID_ANY, "view");
    frame->SetClientSize(300, 200);
    frame->Show();
    ASSERT_TRUE(view->Create(frame, 10, wxRect(0, 0, 300, 200)));
    EXPECT_FALSE(view->IsShown());
    EXPECT_EQ(view->GetId(), 10);
    PaintCounter paints(*view);
    view->SendInitialUpdate();
    view->Show();
    ASSERT_TRUE(paints.WaitForFirst());
    const int before = paints.Count();
    view->RedrawNow();
    EXPECT_EQ(paints.Count(), before + 1);
    EXPECT_EQ(view->m_sizeDrawn, wxSize(300, 200));
    frame->Destroy();
    wxYield();
}

}  // namespace
