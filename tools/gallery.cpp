// gallery.exe [seconds]: one window with every skinned control in each of its states, for
// screenshots (tools/gallery-shot.sh), with the windows' own pictures. It declares itself
// DPI-aware, so that it lays out at the display's scale as the launcher does. With seconds the
// window closes by itself after that long.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "controls/TesselRadioButton.h"
#include "controls/XPEditEx.h"
#include "controls/briskPanel.h"
#include "controls/f_BriskImageButton.h"
#include "controls/f_ShadowFrame.h"
#include "dialogs/ModalSpeedButton.h"
#include "gui/ExtCtrls.h"
#include "gui/Forms.h"
#include "gui/PictureScale.h"
#include "gui/StdCtrls.h"
#include "gui/Timer.h"

namespace {

constexpr int kRowHeight = 96;
constexpr int kColumnWidth = 128;

class TGallery {
public:
    gui::TForm* Build() {
        FForm = gui::New<gui::TForm>(&gui::Application);
        FForm->SetBorderStyle(gui::bsNone);
        FForm->SetCaption(L"Gallery");
        FForm->SetBounds(24, 24, 8 * kColumnWidth + 16, 6 * kRowHeight + 8);
        FForm->SetColor(gui::clWhite);
        FForm->Font().SetName(L"微软雅黑");
        FForm->Font().SetHeight(-12);
        ImageButtons(0);
        Panels(1);
        Borders(2);
        Radios(3);
        Edits(4);
        SpeedButtons(5);
        return FForm;
    }

    // The edit box that shows the focused state once the window is on screen.
    TTesselEditEx* FocusOnShow() const { return FFocusOnShow; }

private:
    // The stored picture of a file name ("btn_close.png" is BTN_CLOSE), named so that the
    // form's scaling draws it again for its DPI.
    static gui::TPngImage Png(const wchar_t* file) {
        std::wstring name(file, std::wcslen(file) - 4);
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
        auto picture = gui::LoadPictureForDpi(name, gui::kDesignDpi);
        auto* png = dynamic_cast<gui::TPngImage*>(picture.get());
        return png ? *png : gui::TPngImage();
    }

    gui::TPicture Picture(const wchar_t* file) {
        gui::TPicture picture;
        picture.Assign(Png(file));
        return picture;
    }

    // The state's name above the cell where the control goes; the cell's top-left corner.
    POINT Cell(int row, int column, const std::wstring& state) {
        auto* label = gui::New<gui::TLabel>(FForm);
        label->SetParent(FForm);
        label->SetTransparent(true);
        label->SetCaption(state);
        const POINT origin{8 + column * kColumnWidth, 4 + row * kRowHeight};
        label->SetBounds(origin.x, origin.y, kColumnWidth - 8, 18);
        return POINT{origin.x, origin.y + 22};
    }

    template <class T>
    T* Place(gui::TWinControl* parent, int left, int top, int width, int height) {
        auto* control = gui::New<T>(FForm);
        control->SetParent(parent);
        control->SetBounds(left, top, width, height);
        return control;
    }

    // A transparent panel over a piece of the banner, so that blending shows.
    TBriskPanel* OverBanner(POINT at, int width, int height) {
        auto* banner = Place<gui::TImage>(FForm, at.x, at.y, width, height);
        banner->Picture().Assign(Png(L"banner.png"));
        auto* glass = Place<TBriskPanel>(FForm, at.x, at.y, width, height);
        glass->SetTransparent(true);
        return glass;
    }

    TPNGImageButtonEx* CloseButton(gui::TWinControl* parent, int left) {
        auto* button = Place<TPNGImageButtonEx>(parent, left, 0, 30, 27);
        button->SetPngImg(Png(L"btn_close.png"));
        button->SetPngOver(Png(L"btn_close_hover.png"));
        button->SetPngDown(Png(L"btn_min_hover.png"));
        button->SetCursor(gui::crHandPoint);
        return button;
    }

    void ImageButtons(int row) {
        const wchar_t* states[] = {L"image: normal", L"hover", L"pressed", L"disabled", L"latched (group)"};
        for (int i = 0; i < 5; ++i) {
            TBriskPanel* glass = OverBanner(Cell(row, i, states[i]), 81, 27);
            TPNGImageButtonEx* button = CloseButton(glass, 0);
            if (i == 1) button->MouseEnter();
            if (i == 2) button->MouseDown(gui::mbLeft, 0, 5, 5);
            if (i == 3) button->SetEnabled(false);
            if (i == 4) {
                button->SetGroupIndex(1);
                button->MouseDown(gui::mbLeft, 0, 5, 5);
                CloseButton(glass, 40)->SetGroupIndex(1);
            }
        }
        POINT at = Cell(row, 5, L"no images");
        Place<TPNGImageButton>(FForm, at.x, at.y, 60, 27)->SetAutoSize(false);
        at = Cell(row, 6, L"caption");
        auto* captioned = Place<TPNGImageButtonEx>(FForm, at.x, at.y, 70, 26);
        captioned->SetAutoSize(false);
        captioned->SetPngImg(Png(L"btn_dir.png"));
        captioned->SetCaption(L"浏览");
        at = Cell(row, 7, L"caption, disabled");
        auto* greyed = Place<TPNGImageButtonEx>(FForm, at.x, at.y, 70, 26);
        greyed->SetAutoSize(false);
        greyed->SetPngImg(Png(L"btn_dir.png"));
        greyed->SetCaption(L"浏览");
        greyed->SetEnabled(false);
    }

    void Panels(int row) {
        POINT at = Cell(row, 0, L"panel: colour");
        Place<TBriskPanel>(FForm, at.x, at.y, 110, 60)->SetColor(0x00F7F3F0);
        at = Cell(row, 1, L"transparent");
        TBriskPanel* glass = OverBanner(at, 110, 60);
        glass->SetCaption(L"透明");
        at = Cell(row, 2, L"picture, stretched");
        auto* stretched = Place<TBriskPanel>(FForm, at.x, at.y, 110, 35);
        stretched->SetBackgroundOptions(poStretch);
        stretched->SetBackgroundPicture(Picture(L"prompt_title.png"));
        at = Cell(row, 3, L"picture at origin");
        auto* plain = Place<TBriskPanel>(FForm, at.x, at.y, 110, 60);
        plain->SetBackgroundPicture(Picture(L"btn_dir.png"));
        at = Cell(row, 4, L"gradient");
        auto* gradient = Place<TBriskPanel>(FForm, at.x, at.y, 110, 60);
        gradient->SetThemeAware(false);
        gradient->SetGradientColorStart(0x00FFE0C0);
        gradient->SetGradientColorStop(0x00804000);
        gradient->SetUseGradients(true);
        const TGridStyle grids[] = {gsDots, gsDottedLines, gsSolidLines};
        const wchar_t* gridNames[] = {L"grid: dots", L"dotted lines", L"solid lines"};
        for (int i = 0; i < 3; ++i) {
            at = Cell(row, 5 + i, gridNames[i]);
            auto* grid = Place<TBriskPanel>(FForm, at.x, at.y, 110, 60);
            grid->SetColor(gui::clWhite);
            grid->SetGridStyle(grids[i]);
            grid->SetShowGrid(true);
        }
    }

    void Borders(int row) {
        const TBriskFrameStyle styles[] = {fsFlat, fsRaised, fsLowered, fsGroove, fsButtonUp, fsStatus, fsFlatRounded};
        const wchar_t* names[] = {L"border: flat", L"raised", L"lowered", L"groove", L"button up", L"status", L"flat rounded"};
        for (int i = 0; i < 7; ++i) {
            POINT at = Cell(row, i, names[i]);
            auto* panel = Place<TBriskPanel>(FForm, at.x, at.y, 110, 60);
            panel->SetBorderOuter(styles[i]);
            panel->SetBevelWidth(2);
            panel->SetCaption(L"边框");
        }
        POINT at = Cell(row, 7, L"caption, disabled");
        auto* disabled = Place<TBriskPanel>(FForm, at.x, at.y, 110, 60);
        disabled->SetBorderOuter(fsFlat);
        disabled->SetCaption(L"禁用");
        disabled->SetEnabled(false);
    }

    void Radios(int row) {
        const wchar_t* states[] = {L"radio: unchecked", L"checked", L"disabled", L"disabled, checked", L"hover"};
        std::vector<TBriskPanel*> groups;
        for (int i = 0; i < 5; ++i) {
            POINT at = Cell(row, i, states[i]);
            auto* group = Place<TBriskPanel>(FForm, at.x, at.y, 120, 24);
            group->SetColor(gui::clWhite);
            auto* radio = Place<TTesselRadioButton>(group, 0, 0, 120, 24);
            radio->SetCaption(L"电信线路");
            if (i == 1 || i == 3) radio->SetChecked(true);
            if (i == 2 || i == 3) radio->SetEnabled(false);
            if (i == 4) static_cast<gui::TControl*>(radio)->MouseEnter();
        }
    }

    void Edits(int row) {
        const wchar_t* states[] = {L"edit: normal", L"focused", L"read-only", L"disabled", L"percent"};
        for (int i = 0; i < 5; ++i) {
            POINT at = Cell(row, i, states[i]);
            auto* edit = Place<TTesselEditEx>(FForm, at.x, at.y, 112, 24);
            edit->SetText(L"D:\\Tallyvo\\");
            if (i == 1) FFocusOnShow = edit;
            if (i == 2) edit->SetReadOnly(true);
            if (i == 3) edit->SetEnabled(false);
            if (i == 4) {
                edit->SetInputStyle(ISPercent);
                edit->SetValue(12.5);
            }
        }
    }

    void SpeedButtons(int row) {
        const wchar_t* states[] = {L"speed: normal", L"hot", L"down", L"disabled", L"gold", L"blue", L"modern", L"encarta"};
        for (int i = 0; i < 8; ++i) {
            POINT at = Cell(row, i, states[i]);
            auto* button = Place<TModalSpeedButton>(FForm, at.x, at.y, 90, 28);
            button->SetCaption(L"确定");
            if (i == 1) static_cast<gui::TControl*>(button)->MouseEnter();
            if (i == 2) {
                button->SetGroupIndex(1);
                button->SetDown(true);
            }
            if (i == 3) button->SetEnabled(false);
            if (i == 4) button->SetColorStyle(lcsGold);
            if (i == 5) button->SetColorStyle(lcsBlue);
            if (i == 6) button->SetStyle(bsModern);
            if (i == 7) button->SetStyle(bsEncarta);
        }
    }

    gui::TForm* FForm = nullptr;
    TTesselEditEx* FFocusOnShow = nullptr;
};

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

}  // namespace

int main() {
    try {
        const std::vector<std::wstring> args = Arguments();
        SetProcessDPIAware();
        gui::Application.Initialize();
        gui::Application.SetTitle(L"Gallery");
        // A light backdrop below the gallery, so that the drop shadow shows on the screenshot.
        auto* backdrop = gui::New<gui::TForm>(&gui::Application);
        backdrop->SetBorderStyle(gui::bsNone);
        backdrop->SetBounds(0, 0, 1100, 660);
        backdrop->SetColor(0x00E8E8E8);
        backdrop->Show();
        TGallery gallery;
        gui::TForm* form = gallery.Build();
        gui::Application.SetMainForm(form);
        TFormShadow shadow;
        shadow.SetForm(form->Handle());
        form->OnShow = [&](gui::TObject*) {
            shadow.SetActive(true);
            if (gallery.FocusOnShow()) gallery.FocusOnShow()->SetFocus();
        };
        if (!args.empty()) {
            auto* closer = gui::New<gui::TTimer>(form);
            closer->SetInterval(static_cast<unsigned>(std::wcstoul(args[0].c_str(), nullptr, 10)) * 1000u);
            closer->OnTimer = [](gui::TObject*) { gui::Application.Terminate(); };
        }
        gui::Application.Run();
        shadow.SetActive(false);
        shadow.SetForm(nullptr);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gallery: %s\n", error.what());
        return 1;
    }
}
