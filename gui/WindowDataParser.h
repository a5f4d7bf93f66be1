#pragma once
// Stored window data as text: one object block per component, nested as the component tree,
// with its properties in the order the window's designer wrote them.
//
//     object frm_Main: Tfrm_Main
//       ClientWidth = 620
//       Caption = 'frm_Main'
//       Font.Style = [fsBold]
//       OnCreate = FormCreate
//       object imgTop: TImage
//         Picture = BANNER
//       end
//     end
//
// Values: integers (decimal, $1A or 0x1A, optionally signed), quoted strings ('it''s', #13#10,
// pieces joined with +), identifiers, sets [a, b] and the booleans True / False. The text is
// UTF-8; a leading byte-order mark and // comments are allowed. Every node and property keeps
// its line so that the loader can point at the place of a fault.
#include "sys/SysUtils.h"

#include <string>
#include <vector>

namespace gui {

// A fault in the stored data: "<file>(<line>): <what>: <name>".
class EWindowDataError : public sys::Exception {
public:
    EWindowDataError(const std::wstring& file, int line, const std::wstring& what, const std::wstring& name);
    const std::wstring& FileName() const { return file_; }
    int Line() const { return line_; }
    const std::wstring& What() const { return what_; }
    const std::wstring& Name() const { return name_; }

private:
    std::wstring file_;
    int line_;
    std::wstring what_;
    std::wstring name_;
};

enum class TWindowDataValueKind { Integer, String, Identifier, Boolean, Set };

struct TWindowDataValue {
    TWindowDataValueKind Kind = TWindowDataValueKind::Integer;
    long long Integer = 0;
    bool Boolean = false;
    std::wstring Text;                // String and Identifier
    std::vector<std::wstring> Items;  // Set, in written order
    int Line = 0;
};

// The value as it would be written back, for messages: 'text', [a, b], 12.
std::wstring DescribeValue(const TWindowDataValue& value);

struct TWindowDataProperty {
    std::wstring Name;  // dotted for a property of a sub-object: Font.Name
    TWindowDataValue Value;
    int Line = 0;
};

struct TWindowDataNode {
    std::wstring Name;
    std::wstring ClassName;
    int Line = 0;
    std::vector<TWindowDataProperty> Properties;
    std::vector<TWindowDataNode> Children;  // in creation order
};

// Parses the whole text (one root object); fileName only labels the messages. Component names
// are unique within the text (case-insensitive), as they become the names the window binds.
TWindowDataNode ParseWindowData(const std::string& utf8Text, const std::wstring& fileName);

}  // namespace gui
