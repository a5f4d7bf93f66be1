#include "tests/windata/WindowDataTestClasses.h"

namespace windatatest {

void RegisterTestPicture() {
    using gui::TWindowDataReader;
    using gui::TWindowDataValue;
    gui::RegisterWindowDataClass(
        L"TTestPicture", L"TGraphicControl", gui::FactoryOf<TTestPicture>(),
        gui::TPropertyTable<TTestPicture>()
            .Boolean(L"AutoSize", &TTestPicture::SetAutoSize)
            .Add(L"Picture", [](TTestPicture& image, const TWindowDataValue& value, TWindowDataReader& reader) {
                image.SetPicture(reader.Picture(value));
            })
            .Ignored(L"Transparent")
            .Entries());
}

Tfrm_Test::Tfrm_Test(gui::TComponent* owner) : gui::TForm(owner) {
    RegisterTestPicture();
    gui::LoadWindowData(*this, L"windata\\test_form.dfm");
}

gui::TWindowDataBindings Tfrm_Test::WindowDataBindings() {
    return {
        gui::Field(L"pnlTop", pnlTop),
        gui::Field(L"pnlBody", pnlBody),
        gui::Field(L"pnlSide", pnlSide),
        gui::Field(L"imgClose", imgClose),
        gui::Field(L"labInfo", labInfo),
        gui::Handler(L"FormCreate", this, &Tfrm_Test::FormCreate),
        gui::Handler(L"imgCloseClick", this, &Tfrm_Test::imgCloseClick),
        gui::Handler(L"pnlTopMouseDown", this, &Tfrm_Test::pnlTopMouseDown),
    };
}

void Tfrm_Test::FormCreate(gui::TObject*) {
    ++creates;
    treeReadyAtCreate = imgClose && imgClose->Parent() == pnlTop;
}

void Tfrm_Test::imgCloseClick(gui::TObject* sender) {
    ++closeClicks;
    lastSender = sender;
}

void Tfrm_Test::pnlTopMouseDown(gui::TObject*, gui::TMouseButton, gui::TShiftState, int, int) { ++mouseDowns; }

}  // namespace windatatest
