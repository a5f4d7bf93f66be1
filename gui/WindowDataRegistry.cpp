#include "gui/WindowDataRegistry.h"

#include <limits>
#include <map>

namespace gui {

void RegisterCoreWindowDataClasses();  // gui/WindowDataCoreClasses.cpp

namespace {

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return _wcsicmp(a.c_str(), b.c_str()) < 0; }
};

struct ClassInfo {
    std::wstring Parent;
    TComponentFactory Factory;
    std::map<std::wstring, TPropertySetter, NoCaseLess> Properties;
    TParentSetter Place;
};

using ClassMap = std::map<std::wstring, ClassInfo, NoCaseLess>;

ClassMap& RawClasses() {
    static ClassMap classes;
    return classes;
}

// The framework's classes are there before anyone looks, whoever registers first.
ClassMap& Classes() {
    static bool coreRegistered = false;
    if (!coreRegistered) {
        coreRegistered = true;
        RegisterCoreWindowDataClasses();
    }
    return RawClasses();
}

const ClassInfo* FindClass(const std::wstring& name) {
    const ClassMap& classes = Classes();
    auto it = classes.find(name);
    return it == classes.end() ? nullptr : &it->second;
}

}  // namespace

bool RegisterWindowDataClass(const std::wstring& className, const std::wstring& parentClass,
                             TComponentFactory factory, std::vector<TPropertyEntry> properties,
                             TParentSetter place) {
    ClassMap& classes = Classes();
    if (classes.count(className)) return false;
    if (!parentClass.empty() && !classes.count(parentClass)) {
        throw sys::Exception(L"window data class " + className + L" names an unregistered parent: " + parentClass);
    }
    ClassInfo info{parentClass, std::move(factory), {}, std::move(place)};
    for (TPropertyEntry& entry : properties) info.Properties[entry.Name] = std::move(entry.Set);
    classes.emplace(className, std::move(info));
    return true;
}

bool WindowDataClassRegistered(const std::wstring& className) { return FindClass(className) != nullptr; }

bool WindowDataClassInherits(const std::wstring& className, const std::wstring& ancestor) {
    for (std::wstring name = className; !name.empty();) {
        if (_wcsicmp(name.c_str(), ancestor.c_str()) == 0) return true;
        const ClassInfo* info = FindClass(name);
        name = info ? info->Parent : std::wstring();
    }
    return false;
}

const TComponentFactory* FindWindowDataFactory(const std::wstring& className) {
    const ClassInfo* info = FindClass(className);
    return info && info->Factory ? &info->Factory : nullptr;
}

const TParentSetter* FindWindowDataParentSetter(const std::wstring& className) {
    for (const ClassInfo* info = FindClass(className); info; info = info->Parent.empty() ? nullptr : FindClass(info->Parent)) {
        if (info->Place) return &info->Place;
    }
    return nullptr;
}

const TPropertySetter* FindWindowDataProperty(const std::wstring& className, const std::wstring& property) {
    for (const ClassInfo* info = FindClass(className); info; info = info->Parent.empty() ? nullptr : FindClass(info->Parent)) {
        auto it = info->Properties.find(property);
        if (it != info->Properties.end()) return &it->second;
    }
    return nullptr;
}

TPngImage TWindowDataReader::PngPicture(const TWindowDataValue& value) {
    std::unique_ptr<TGraphic> graphic = Picture(value);
    if (auto* png = dynamic_cast<TPngImage*>(graphic.get())) return *png;
    throw EWindowDataBadValue(L"PNG picture expected");
}

TBitmap TWindowDataReader::BitmapPicture(const TWindowDataValue& value) {
    std::unique_ptr<TGraphic> graphic = Picture(value);
    if (auto* png = dynamic_cast<TPngImage*>(graphic.get())) return png->ToBitmap();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic.get())) return *bitmap;
    throw EWindowDataBadValue(L"bitmap picture expected");
}

long long IntegerValue(const TWindowDataValue& value) {
    if (value.Kind != TWindowDataValueKind::Integer) throw EWindowDataBadValue(L"integer expected");
    return value.Integer;
}

int IntValue(const TWindowDataValue& value) {
    long long n = IntegerValue(value);
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) {
        throw EWindowDataBadValue(L"32-bit integer expected");
    }
    return static_cast<int>(n);
}

bool BooleanValue(const TWindowDataValue& value) {
    if (value.Kind != TWindowDataValueKind::Boolean) throw EWindowDataBadValue(L"True or False expected");
    return value.Boolean;
}

std::wstring StringValue(const TWindowDataValue& value) {
    if (value.Kind != TWindowDataValueKind::String) throw EWindowDataBadValue(L"quoted string expected");
    return value.Text;
}

TColor ColorValue(const TWindowDataValue& value) {
    if (value.Kind == TWindowDataValueKind::Identifier) return IdentValue(value, kColorIdents);
    long long n = value.Kind == TWindowDataValueKind::Integer ? value.Integer : -1;
    if (n < std::numeric_limits<int>::min() || n > static_cast<long long>(std::numeric_limits<std::uint32_t>::max())) {
        throw EWindowDataBadValue(L"colour name or 32-bit colour value expected");
    }
    return static_cast<TColor>(n);
}

BYTE CharsetValue(const TWindowDataValue& value) {
    static const TIdentTable<BYTE> charsets = {
        {L"ANSI_CHARSET", ANSI_CHARSET},       {L"DEFAULT_CHARSET", DEFAULT_CHARSET},
        {L"SYMBOL_CHARSET", SYMBOL_CHARSET},   {L"GB2312_CHARSET", GB2312_CHARSET},
        {L"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {L"OEM_CHARSET", OEM_CHARSET},
    };
    if (value.Kind == TWindowDataValueKind::Identifier) return IdentValue(value, charsets);
    if (value.Kind != TWindowDataValueKind::Integer || value.Integer < 0 || value.Integer > 255) {
        throw EWindowDataBadValue(L"character set name or 0..255 expected");
    }
    return static_cast<BYTE>(value.Integer);
}

const TIdentTable<TAlign> kAlignIdents = {
    {L"alNone", alNone}, {L"alTop", alTop},     {L"alBottom", alBottom},
    {L"alLeft", alLeft}, {L"alRight", alRight}, {L"alClient", alClient},
};

const TIdentTable<TAnchors> kAnchorIdents = {
    {L"akLeft", akLeft}, {L"akTop", akTop}, {L"akRight", akRight}, {L"akBottom", akBottom},
};

const TIdentTable<TCursor> kCursorIdents = {
    {L"crDefault", crDefault}, {L"crArrow", crArrow},     {L"crHandPoint", crHandPoint},
    {L"crIBeam", crIBeam},     {L"crCross", crCross},     {L"crSizeAll", crSizeAll},
    {L"crHourGlass", crHourGlass}, {L"crNo", crNo},
};

const TIdentTable<TAlignment> kAlignmentIdents = {
    {L"taLeftJustify", taLeftJustify}, {L"taRightJustify", taRightJustify}, {L"taCenter", taCenter},
};

const TIdentTable<TFontStyles> kFontStyleIdents = {
    {L"fsBold", fsBold}, {L"fsItalic", fsItalic}, {L"fsUnderline", fsUnderline}, {L"fsStrikeOut", fsStrikeOut},
};

const TIdentTable<TColor> kColorIdents = {
    {L"clNone", clNone},
    {L"clDefault", clDefault},
    {L"clBlack", clBlack},
    {L"clMaroon", clMaroon},
    {L"clGreen", clGreen},
    {L"clOlive", clOlive},
    {L"clNavy", clNavy},
    {L"clPurple", clPurple},
    {L"clTeal", clTeal},
    {L"clGray", clGray},
    {L"clSilver", clSilver},
    {L"clRed", clRed},
    {L"clLime", clLime},
    {L"clYellow", clYellow},
    {L"clBlue", clBlue},
    {L"clFuchsia", clFuchsia},
    {L"clAqua", clAqua},
    {L"clWhite", clWhite},
    {L"clScrollBar", clScrollBar},
    {L"clBackground", clBackground},
    {L"clActiveCaption", clActiveCaption},
    {L"clInactiveCaption", clInactiveCaption},
    {L"clMenu", clMenu},
    {L"clWindow", clWindow},
    {L"clWindowFrame", clWindowFrame},
    {L"clMenuText", clMenuText},
    {L"clWindowText", clWindowText},
    {L"clCaptionText", clCaptionText},
    {L"clActiveBorder", clActiveBorder},
    {L"clInactiveBorder", clInactiveBorder},
    {L"clAppWorkSpace", clAppWorkSpace},
    {L"clHighlight", clHighlight},
    {L"clHighlightText", clHighlightText},
    {L"clBtnFace", clBtnFace},
    {L"clBtnShadow", clBtnShadow},
    {L"clGrayText", clGrayText},
    {L"clBtnText", clBtnText},
    {L"clInactiveCaptionText", clInactiveCaptionText},
    {L"clBtnHighlight", clBtnHighlight},
};

void AddPropertyEntry(std::vector<TPropertyEntry>& entries, const wchar_t* name, TPropertySetter set) {
    entries.push_back({name, std::move(set)});
}

void ThrowForeignProperty(const wchar_t* name) {
    throw sys::Exception(std::wstring(L"property registered for another class: ") + name);
}

}  // namespace gui
