#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "gui/StdCtrls.h"
#include "gui/Timer.h"
#include "gui/WindowDataLoader.h"
#include "tests/windata/WindowDataTestClasses.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using gui::EWindowDataError;
using gui::TWindowDataBindings;

namespace {

// A control that names another one, possibly written further down, as ActivePage does.
class TTestLink : public gui::TGraphicControl {
public:
    using gui::TGraphicControl::TGraphicControl;
    gui::TComponent* Buddy = nullptr;
};

void RegisterTestClasses() {
    windatatest::RegisterTestPicture();
    gui::RegisterWindowDataClass(
        L"TTestLink", L"TGraphicControl", gui::FactoryOf<TTestLink>(),
        gui::TPropertyTable<TTestLink>()
            .Add(L"Buddy", [](TTestLink& link, const gui::TWindowDataValue& value, gui::TWindowDataReader& reader) {
                reader.Fixup([&link, value, &reader] { link.Buddy = &reader.ComponentNamed(value); });
            })
            .Entries());
}

struct Handlers {
    int clicks = 0;
    gui::TObject* lastSender = nullptr;
    void Click(gui::TObject* sender) {
        ++clicks;
        lastSender = sender;
    }
    void MouseDown(gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) {}
};

class WindowDataLoad : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }

    TWindowDataBindings Bindings() {
        return {gui::Handler(L"SharedClick", &handlers, &Handlers::Click),
                gui::Handler(L"MouseDownHandler", &handlers, &Handlers::MouseDown),
                gui::Handler(L"CountShow", gui::TNotifyEvent([this](gui::TObject*) { ++shows; }))};
    }

    void Load(const std::string& text, const TWindowDataBindings& bindings) {
        gui::LoadWindowDataText(*form, text, L"t.dfm", bindings);
    }
    void Load(const std::string& text) { Load(text, Bindings()); }

    EWindowDataError ErrorOf(const std::string& text, const TWindowDataBindings& bindings) {
        form = std::make_unique<gui::TForm>(nullptr);
        try {
            Load(text, bindings);
        } catch (const EWindowDataError& e) {
            return e;
        }
        ADD_FAILURE() << "loaded without error:\n" << text;
        return EWindowDataError(L"", 0, L"", L"");
    }
    EWindowDataError ErrorOf(const std::string& text) { return ErrorOf(text, Bindings()); }

    gui::TComponent* Named(const wchar_t* name) { return form->FindComponent(name); }

    Handlers handlers;
    int shows = 0;
    std::unique_ptr<gui::TForm> form = std::make_unique<gui::TForm>(nullptr);
};

// One child of the form with the given class and property lines.
std::string Child(const std::string& cls, const std::string& properties) {
    return "object f: TForm\n  object c: " + cls + "\n" + properties + "  end\nend\n";
}

}  // namespace

TEST_F(WindowDataLoad, EveryFaultNamesFileLineAndName) {
    const struct {
        std::string text;
        int line;
        std::wstring what;
        std::wstring name;
    } cases[] = {
        {Child("TNoSuchThing", ""), 2, L"unknown class", L"TNoSuchThing"},
        {Child("TControl", ""), 2, L"class not creatable", L"TControl"},
        {Child("TForm", ""), 2, L"class not creatable", L"TForm"},
        {Child("TWinControl", "    Left = 1\n    Colour = clRed\n"), 4, L"unknown property of TWinControl", L"Colour"},
        {Child("TGraphicControl", "    TabOrder = 1\n"), 3, L"unknown property of TGraphicControl", L"TabOrder"},
        {Child("TWinControl", "    Font.Colour = clRed\n"), 3, L"unknown property of TWinControl", L"Font.Colour"},
        {"object f: TForm\n  Position = poDesigned\nend\n", 2, L"unknown property of TForm", L"Position"},
        {Child("TTestPicture", "    Picture = NO_SUCH_PICTURE\n"), 3, L"unknown picture", L"NO_SUCH_PICTURE"},
        {Child("TTestPicture", "    Picture = 'BTN_CLOSE'\n"), 3, L"bad value for Picture (picture name expected)", L"'BTN_CLOSE'"},
        {Child("TGraphicControl", "    OnClick = NoSuchClick\n"), 3, L"unknown handler", L"NoSuchClick"},
        {Child("TGraphicControl", "    OnClick = MouseDownHandler\n"), 3, L"handler of another event type", L"MouseDownHandler"},
        {Child("TGraphicControl", "    OnClick = 'SharedClick'\n"), 3, L"bad value for OnClick (handler name expected)", L"'SharedClick'"},
        {Child("TGraphicControl", "    Left = 'ten'\n"), 3, L"bad value for Left (integer expected)", L"'ten'"},
        {Child("TGraphicControl", "    Width = 4294967296\n"), 3, L"bad value for Width (32-bit integer expected)", L"4294967296"},
        {Child("TGraphicControl", "    Visible = 1\n"), 3, L"bad value for Visible (True or False expected)", L"1"},
        {Child("TGraphicControl", "    Caption = Hello\n"), 3, L"bad value for Caption (quoted string expected)", L"Hello"},
        {Child("TGraphicControl", "    Color = $100000000\n"), 3, L"bad value for Color (colour name or 32-bit colour value expected)", L"4294967296"},
        {Child("TGraphicControl", "    Font.Charset = 256\n"), 3, L"bad value for Font.Charset (character set name or 0..255 expected)", L"256"},
        {Child("TGraphicControl", "    Anchors = akLeft\n"), 3, L"bad value for Anchors (set expected)", L"akLeft"},
        {Child("TTestLink", "    Buddy = nobody\n"), 3, L"unknown component", L"nobody"},
        {"object f: TForm\n  object g: TGraphicControl\n    object h: TGraphicControl\n    end\n  end\nend\n", 3,
         L"parent cannot hold controls", L"g"},
        {"object f: TForm\n  object f: TGraphicControl\n  end\nend\n", 2, L"duplicate component name", L"f"},
        {"object f: TPanel\nend\n", 1, L"the outermost object is not a form", L"TPanel"},
    };
    for (const auto& c : cases) {
        EWindowDataError e = ErrorOf(c.text);
        EXPECT_EQ(e.FileName(), L"t.dfm") << c.text;
        EXPECT_EQ(e.Line(), c.line) << c.text;
        EXPECT_EQ(e.What(), c.what) << c.text;
        EXPECT_EQ(e.Name(), c.name) << c.text;
    }
}

TEST_F(WindowDataLoad, EnumerationFaultListsTheNamesThatWouldFit) {
    EWindowDataError e = ErrorOf(Child("TGraphicControl", "    Align = alMiddle\n"));
    EXPECT_EQ(e.Message(), L"t.dfm(3): bad value for Align (one of alNone, alTop, alBottom, alLeft, alRight, "
                           L"alClient expected): alMiddle");
    EWindowDataError set = ErrorOf(Child("TGraphicControl", "    Anchors = [akLeft, akUp]\n"));
    EXPECT_EQ(set.Name(), L"[akLeft, akUp]");
}

TEST_F(WindowDataLoad, PictureDataThatIsNoPictureFailsAtItsLine) {
    EWindowDataError e = ErrorOf(Child("TTestPicture", "    Picture = NOT_A_PICTURE\n"));
    EXPECT_EQ(e.Line(), 3);
    EXPECT_EQ(e.What().rfind(L"cannot set Picture (", 0), 0u) << e.What();
    EXPECT_EQ(e.Name(), L"NOT_A_PICTURE");
}

TEST_F(WindowDataLoad, FieldsMustFindTheirComponentOfTheirClass) {
    gui::TWinControl* panel = nullptr;
    EWindowDataError missing = ErrorOf(Child("TWinControl", ""), {gui::Field(L"pnlMissing", panel)});
    EXPECT_EQ(missing.What(), L"no component for the field");
    EXPECT_EQ(missing.Name(), L"pnlMissing");

    EWindowDataError wrong = ErrorOf("object f: TForm\n\n  object c: TGraphicControl\n  end\nend\n", {gui::Field(L"c", panel)});
    EXPECT_EQ(wrong.Line(), 3);
    EXPECT_EQ(wrong.What(), L"component of another class than its field");
    EXPECT_EQ(panel, nullptr);

    form = std::make_unique<gui::TForm>(nullptr);
    Load(Child("TWinControl", ""), {gui::Field(L"C", panel)});
    EXPECT_EQ(panel, Named(L"c"));
}

TEST_F(WindowDataLoad, OneHandlerServesSeveralControlsWithTheirOwnSender) {
    Load("object f: TForm\n"
         "  object a: TGraphicControl\n    OnClick = SharedClick\n  end\n"
         "  object b: TGraphicControl\n    onclick = sharedclick\n  end\n"
         "end\n");
    auto* a = dynamic_cast<gui::TControl*>(Named(L"a"));
    auto* b = dynamic_cast<gui::TControl*>(Named(L"b"));
    ASSERT_TRUE(a && b);
    a->Click();
    EXPECT_EQ(handlers.lastSender, a);
    b->Click();
    EXPECT_EQ(handlers.lastSender, b);
    EXPECT_EQ(handlers.clicks, 2);
}

TEST_F(WindowDataLoad, ReferencesResolveOnceTheWholeTreeExists) {
    Load("object f: TForm\n"
         "  object link: TTestLink\n    Buddy = later\n  end\n"
         "  object self: TTestLink\n    Buddy = f\n  end\n"
         "  object later: TWinControl\n  end\n"
         "end\n");
    EXPECT_EQ(dynamic_cast<TTestLink*>(Named(L"link"))->Buddy, Named(L"later"));
    EXPECT_EQ(dynamic_cast<TTestLink*>(Named(L"self"))->Buddy, form.get());
}

TEST_F(WindowDataLoad, TabOrderHoldsWhateverOrderTheSiblingsAreWrittenIn) {
    Load("object f: TForm\n"
         "  object a: TWinControl\n    TabOrder = 2\n  end\n"
         "  object b: TWinControl\n    TabOrder = 1\n  end\n"
         "  object c: TWinControl\n    TabOrder = 0\n  end\n"
         "  object d: TWinControl\n  end\n"
         "end\n");
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Named(L"c"))->TabOrder(), 0);
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Named(L"b"))->TabOrder(), 1);
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Named(L"a"))->TabOrder(), 2);
    EXPECT_EQ(dynamic_cast<gui::TWinControl*>(Named(L"d"))->TabOrder(), 3);
}

TEST_F(WindowDataLoad, LaterValuesWinAndFontPropertiesEndParentFont) {
    Load("object f: TForm\n"
         "  Font.Name = 'Tahoma'\n"
         "  object a: TGraphicControl\n    Width = 10\n    Width = 20\n  end\n"
         "  object b: TGraphicControl\n    Font.Height = -15\n  end\n"
         "  object c: TGraphicControl\n    Font.Height = -15\n    ParentFont = True\n  end\n"
         "end\n");
    auto* a = dynamic_cast<gui::TControl*>(Named(L"a"));
    auto* b = dynamic_cast<gui::TControl*>(Named(L"b"));
    auto* c = dynamic_cast<gui::TControl*>(Named(L"c"));
    EXPECT_EQ(a->Width(), 20);
    EXPECT_EQ(a->Font().Name(), L"Tahoma");
    EXPECT_FALSE(b->ParentFont());
    EXPECT_EQ(b->Font().Name(), L"Tahoma");
    EXPECT_EQ(b->Font().Height(), -15);
    form->Font().SetName(L"Arial");
    EXPECT_EQ(b->Font().Name(), L"Tahoma");
    EXPECT_EQ(c->Font().Name(), L"Arial");
}

TEST(WindowDataRegistry, SecondRegistrationKeepsTheFirstAndParentsMustExist) {
    RegisterTestClasses();
    EXPECT_FALSE(gui::RegisterWindowDataClass(L"TTestPicture", L"TControl", nullptr, {}));
    EXPECT_NE(gui::FindWindowDataFactory(L"TTestPicture"), nullptr);
    EXPECT_NE(gui::FindWindowDataProperty(L"ttestpicture", L"picture"), nullptr);
    EXPECT_NE(gui::FindWindowDataProperty(L"TTestPicture", L"OnClick"), nullptr);
    EXPECT_EQ(gui::FindWindowDataProperty(L"TGraphicControl", L"Picture"), nullptr);
    EXPECT_THROW(gui::RegisterWindowDataClass(L"TOrphan", L"TNoParent", nullptr, {}), sys::Exception);
    EXPECT_FALSE(gui::WindowDataClassRegistered(L"TOrphan"));
}

TEST_F(WindowDataLoad, StandardControlsTakeTheirOwnProperties) {
    Load("object f: TForm\n"
         "  object PC: TPageControl\n"
         "    Width = 200\n    Height = 100\n"
         "    ActivePage = TS2\n"
         "    Style = tsFlatButtons\n"
         "    object TS1: TTabSheet\n      Caption = 'TS1'\n      OnShow = CountShow\n    end\n"
         "    object TS2: TTabSheet\n      Caption = 'TS2'\n      TabVisible = False\n"
         "      object Label1: TLabel\n"
         "        Width = 120\n        Height = 43\n        AutoSize = False\n"
         "        Caption = '\xE5\x9C\xA8\xE7\xBA\xBF\xE4\xB8\x8B\xE8\xBD\xBD\xE5\xBC\x82\xE5\xB8\xB8'\n"
         "        WordWrap = True\n        Transparent = True\n"
         "      end\n"
         "      object Label2: TLabel\n        Width = 5\n        Caption = 'TS2 page'\n        Font.Height = -20\n      end\n"
         "      object imgGray: TImage\n        Width = 3\n        AutoSize = True\n        Picture = ARROW_GRAY\n      end\n"
         "      object Panel1: TPanel\n        BevelOuter = bvNone\n      end\n"
         "      object cbx: TCheckBox\n        Checked = True\n      end\n"
         "      object mo: TMemo\n        ReadOnly = True\n        ScrollBars = ssBoth\n      end\n"
         "    end\n"
         "  end\n"
         "  object tmr: TTimer\n    Enabled = False\n    Interval = 250\n  end\n"
         "end\n");
    auto* pages = dynamic_cast<gui::TPageControl*>(Named(L"PC"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Page(0), Named(L"TS1"));
    EXPECT_EQ(pages->ActivePage(), Named(L"TS2"));
    EXPECT_FALSE(pages->Page(1)->TabVisible());
    EXPECT_EQ(shows, 0);
    pages->SetActivePage(pages->Page(0));
    EXPECT_EQ(shows, 1);
    auto* label = dynamic_cast<gui::TLabel*>(Named(L"Label1"));
    EXPECT_EQ(label->Width(), 120);
    EXPECT_EQ(label->Height(), 43);
    EXPECT_TRUE(label->WordWrap());
    EXPECT_EQ(label->Caption(), L"在线下载异常");
    auto* sized = dynamic_cast<gui::TLabel*>(Named(L"Label2"));
    gui::TLabel* measure = gui::New<gui::TLabel>(form.get());
    measure->Font().SetHeight(-20);
    measure->SetCaption(L"TS2 page");
    EXPECT_EQ(sized->Width(), measure->Width()) << "an auto-sized label fits its caption in its final font";
    EXPECT_EQ(sized->Height(), measure->Height());
    auto* image = dynamic_cast<gui::TImage*>(Named(L"imgGray"));
    EXPECT_EQ(image->Picture().Width(), 14);
    EXPECT_EQ(image->Width(), 14);
    EXPECT_EQ(image->Height(), 15);
    EXPECT_EQ(dynamic_cast<gui::TPanel*>(Named(L"Panel1"))->BevelOuter(), gui::bvNone);
    EXPECT_TRUE(dynamic_cast<gui::TCheckBox*>(Named(L"cbx"))->Checked());
    EXPECT_TRUE(dynamic_cast<gui::TMemo*>(Named(L"mo"))->ReadOnly());
    auto* timer = dynamic_cast<gui::TTimer*>(Named(L"tmr"));
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 250u);
}

TEST_F(WindowDataLoad, PagesBelongToTheirPageControl) {
    EWindowDataError outside = ErrorOf("object f: TForm\n  object p: TWinControl\n    object s: TTabSheet\n    end\n  end\nend\n");
    EXPECT_EQ(outside.Line(), 3);
    EXPECT_EQ(outside.What(), L"cannot place TTabSheet (a tab sheet belongs inside a page control)");
    EXPECT_EQ(outside.Name(), L"p");

    EWindowDataError notSheet = ErrorOf(
        "object f: TForm\n  object PC: TPageControl\n    ActivePage = other\n  end\n  object other: TPanel\n  end\nend\n");
    EXPECT_EQ(notSheet.Line(), 3);
    EXPECT_EQ(notSheet.What(), L"bad value for ActivePage (tab sheet of this page control expected)");
}

TEST_F(WindowDataLoad, AlignedSiblingsStackByTheirWrittenPlacesNotTheirOrder) {
    Load("object f: TForm\n"
         "  BorderStyle = bsNone\n  ClientWidth = 100\n  ClientHeight = 200\n"
         "  object a: TWinControl\n    Top = 80\n    Height = 40\n    Align = alTop\n  end\n"
         "  object b: TWinControl\n    Top = 40\n    Height = 40\n    Align = alTop\n  end\n"
         "  object c: TWinControl\n    Top = 0\n    Height = 40\n    Align = alTop\n  end\n"
         "end\n");
    EXPECT_EQ(dynamic_cast<gui::TControl*>(Named(L"c"))->Top(), 0);
    EXPECT_EQ(dynamic_cast<gui::TControl*>(Named(L"b"))->Top(), 40);
    EXPECT_EQ(dynamic_cast<gui::TControl*>(Named(L"a"))->Top(), 80);
    EXPECT_EQ(dynamic_cast<gui::TControl*>(Named(L"a"))->Width(), 100);
}
