#include "gui/WindowDataParser.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <limits>
#include <set>

namespace gui {

EWindowDataError::EWindowDataError(const std::wstring& file, int line, const std::wstring& what,
                                   const std::wstring& name)
    : sys::Exception(file + L"(" + std::to_wstring(line) + L"): " + what + L": " + name),
      file_(file), line_(line), what_(what), name_(name) {}

std::wstring DescribeValue(const TWindowDataValue& value) {
    switch (value.Kind) {
    case TWindowDataValueKind::Integer: return std::to_wstring(value.Integer);
    case TWindowDataValueKind::Boolean: return value.Boolean ? L"True" : L"False";
    case TWindowDataValueKind::Identifier: return value.Text;
    case TWindowDataValueKind::String: {
        std::wstring quoted = L"'";
        for (wchar_t c : value.Text) quoted += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
        return quoted + L"'";
    }
    case TWindowDataValueKind::Set: break;
    }
    std::wstring text = L"[";
    for (size_t i = 0; i < value.Items.size(); ++i) text += (i ? L", " : L"") + value.Items[i];
    return text + L"]";
}

namespace {

enum class TokenKind { Identifier, Integer, String, Symbol, EndOfText };

struct Token {
    TokenKind Kind = TokenKind::EndOfText;
    std::wstring Text;     // identifier, symbol, string contents, or the number as written
    long long Integer = 0;
    int Line = 0;
};

bool IsIdentStart(wchar_t c) { return c == L'_' || (c < 128 && std::iswalpha(c)); }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) { return IsDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
int HexValue(wchar_t c) { return IsDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10; }
bool SameName(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Turns the UTF-8 bytes into one wide string, line by line, so that a byte sequence that is not
// UTF-8 is reported at its line instead of silently becoming replacement characters.
std::wstring DecodeUtf8(const std::string& bytes, const std::wstring& file) {
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::wstring text;
    int line = 1;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        int length = static_cast<int>(end - start);
        if (length > 0) {
            int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + start, length, nullptr, 0);
            if (n <= 0) throw EWindowDataError(file, line, L"text is not UTF-8", L"line " + std::to_wstring(line));
            std::wstring piece(static_cast<size_t>(n), L'\0');
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + start, length, piece.data(), n);
            text += piece;
        }
        if (end < bytes.size()) text += L'\n';
        start = end + 1;
        ++line;
    }
    return text;
}

class Lexer {
public:
    Lexer(std::wstring text, const std::wstring& file) : text_(std::move(text)), file_(file) {}

    Token Next() {
        SkipBlanksAndComments();
        Token token;
        token.Line = line_;
        if (pos_ >= text_.size()) return token;
        wchar_t c = text_[pos_];
        if (IsIdentStart(c)) return ReadIdentifier(token);
        if (IsDigit(c) || c == L'$' || ((c == L'-' || c == L'+') && NextIsNumber())) return ReadInteger(token);
        if (c == L'\'' || c == L'#') return ReadString(token);
        if (std::wcschr(L"=:[],+", c)) {
            token.Kind = TokenKind::Symbol;
            token.Text = std::wstring(1, c);
            ++pos_;
            return token;
        }
        throw Error(L"unexpected character", std::wstring(1, c));
    }

    EWindowDataError Error(const std::wstring& what, const std::wstring& name) const {
        return EWindowDataError(file_, line_, what, name);
    }

private:
    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            wchar_t c = text_[pos_];
            if (c == L'\n') {
                ++line_;
                ++pos_;
            } else if (c == L' ' || c == L'\t' || c == L'\r') {
                ++pos_;
            } else if (c == L'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'/') {
                while (pos_ < text_.size() && text_[pos_] != L'\n') ++pos_;
            } else {
                return;
            }
        }
    }

    bool NextIsNumber() const {
        return pos_ + 1 < text_.size() && (IsDigit(text_[pos_ + 1]) || text_[pos_ + 1] == L'$');
    }

    Token& ReadIdentifier(Token& token) {
        size_t start = pos_;
        while (pos_ < text_.size()) {
            if (IsIdentChar(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == L'.' && pos_ + 1 < text_.size() && IsIdentStart(text_[pos_ + 1])) {
                ++pos_;
            } else {
                break;
            }
        }
        token.Kind = TokenKind::Identifier;
        token.Text = text_.substr(start, pos_ - start);
        return token;
    }

    Token& ReadInteger(Token& token) {
        size_t start = pos_;
        bool negative = text_[pos_] == L'-';
        if (text_[pos_] == L'-' || text_[pos_] == L'+') ++pos_;
        bool hex = false;
        if (text_[pos_] == L'$') {
            hex = true;
            ++pos_;
        } else if (text_[pos_] == L'0' && pos_ + 1 < text_.size() && (text_[pos_ + 1] | 0x20) == L'x') {
            hex = true;
            pos_ += 2;
        }
        size_t digitsStart = pos_;
        while (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == L'.')) ++pos_;
        token.Kind = TokenKind::Integer;
        token.Text = text_.substr(start, pos_ - start);
        token.Integer = Accumulate(digitsStart, hex ? 16 : 10, negative, token.Text);
        return token;
    }

    // Hexadecimal numbers may fill all 32 or 64 bits (colours such as $FF00000F): they are bit
    // patterns, not magnitudes, so only decimal numbers are range-checked as signed values.
    long long Accumulate(size_t from, int base, bool negative, const std::wstring& written) const {
        if (from == pos_) throw Error(L"bad number", written);
        unsigned long long value = 0;
        const unsigned long long limit = base == 16 ? std::numeric_limits<unsigned long long>::max()
                                                    : static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
        for (size_t i = from; i < pos_; ++i) {
            wchar_t c = text_[i];
            if (base == 16 ? !IsHexDigit(c) : !IsDigit(c)) throw Error(L"bad number", written);
            unsigned digit = static_cast<unsigned>(HexValue(c));
            if (value > (limit - digit) / static_cast<unsigned>(base)) throw Error(L"number out of range", written);
            value = value * static_cast<unsigned>(base) + digit;
        }
        long long result = static_cast<long long>(value);
        return negative ? static_cast<long long>(0ull - value) : result;
    }

    // 'quoted' pieces and #code characters, adjacent without blanks: 'Line 1'#13#10'Line 2'.
    Token& ReadString(Token& token) {
        token.Kind = TokenKind::String;
        while (pos_ < text_.size() && (text_[pos_] == L'\'' || text_[pos_] == L'#')) {
            if (text_[pos_] == L'\'') {
                ReadQuoted(token.Text);
            } else {
                ReadCharCode(token.Text);
            }
        }
        return token;
    }

    void ReadQuoted(std::wstring& out) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == L'\n') throw Error(L"unterminated string", L"'" + out);
            if (text_[pos_] == L'\'') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\'') {
                    out += L'\'';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return;
            }
            out += text_[pos_++];
        }
    }

    void ReadCharCode(std::wstring& out) {
        size_t start = pos_++;
        bool hex = pos_ < text_.size() && text_[pos_] == L'$';
        if (hex) ++pos_;
        size_t digits = pos_;
        while (pos_ < text_.size() && (hex ? IsHexDigit(text_[pos_]) : IsDigit(text_[pos_])) && pos_ - digits < 8) ++pos_;
        std::wstring written = text_.substr(start, pos_ - start);
        if (digits == pos_) throw Error(L"bad character code", written);
        unsigned long code = std::wcstoul(text_.substr(digits, pos_ - digits).c_str(), nullptr, hex ? 16 : 10);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) throw Error(L"bad character code", written);
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (code >> 10));
            out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<wchar_t>(code);
        }
    }

    std::wstring text_;
    const std::wstring& file_;
    size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(const std::string& utf8Text, const std::wstring& file)
        : file_(file), lexer_(DecodeUtf8(utf8Text, file), file) {
        Advance();
    }

    TWindowDataNode ParseRoot() {
        TWindowDataNode root = ParseObject();
        if (current_.Kind != TokenKind::EndOfText) throw ErrorAtToken(L"text after the last end");
        return root;
    }

private:
    void Advance() { current_ = lexer_.Next(); }

    std::wstring Shown(const Token& token) const {
        switch (token.Kind) {
        case TokenKind::EndOfText: return L"end of text";
        case TokenKind::String: return L"'" + token.Text + L"'";
        default: return token.Text;
        }
    }

    EWindowDataError ErrorAtToken(const std::wstring& what) const {
        return EWindowDataError(file_, current_.Line, what, Shown(current_));
    }

    bool AtKeyword(const wchar_t* keyword) const {
        return current_.Kind == TokenKind::Identifier && SameName(current_.Text, keyword);
    }

    bool AtSymbol(wchar_t symbol) const {
        return current_.Kind == TokenKind::Symbol && current_.Text[0] == symbol;
    }

    void ExpectSymbol(wchar_t symbol) {
        if (!AtSymbol(symbol)) throw ErrorAtToken(std::wstring(L"'") + symbol + L"' expected");
        Advance();
    }

    std::wstring ExpectPlainIdentifier(const wchar_t* what) {
        if (current_.Kind != TokenKind::Identifier || current_.Text.find(L'.') != std::wstring::npos) {
            throw ErrorAtToken(std::wstring(what) + L" expected");
        }
        std::wstring name = current_.Text;
        Advance();
        return name;
    }

    TWindowDataNode ParseObject() {
        if (!AtKeyword(L"object")) throw ErrorAtToken(L"'object' expected");
        TWindowDataNode node;
        node.Line = current_.Line;
        Advance();
        node.Name = ExpectPlainIdentifier(L"component name");
        if (!names_.insert(Lowered(node.Name)).second) {
            throw EWindowDataError(file_, node.Line, L"duplicate component name", node.Name);
        }
        ExpectSymbol(L':');
        node.ClassName = ExpectPlainIdentifier(L"class name");
        while (!AtKeyword(L"end")) {
            if (current_.Kind == TokenKind::EndOfText) {
                throw EWindowDataError(file_, node.Line, L"object without 'end'", node.Name);
            }
            if (AtKeyword(L"object")) {
                node.Children.push_back(ParseObject());
            } else {
                node.Properties.push_back(ParseProperty());
            }
        }
        Advance();
        return node;
    }

    TWindowDataProperty ParseProperty() {
        if (current_.Kind != TokenKind::Identifier) throw ErrorAtToken(L"property name expected");
        TWindowDataProperty property;
        property.Name = current_.Text;
        property.Line = current_.Line;
        Advance();
        ExpectSymbol(L'=');
        property.Value = ParseValue();
        return property;
    }

    TWindowDataValue ParseValue() {
        TWindowDataValue value;
        value.Line = current_.Line;
        switch (current_.Kind) {
        case TokenKind::Integer:
            value.Kind = TWindowDataValueKind::Integer;
            value.Integer = current_.Integer;
            Advance();
            return value;
        case TokenKind::String:
            value.Kind = TWindowDataValueKind::String;
            value.Text = ParseStringSum();
            return value;
        case TokenKind::Identifier:
            if (AtKeyword(L"end") || AtKeyword(L"object")) break;
            return ParseIdentifierValue(value);
        case TokenKind::Symbol:
            if (AtSymbol(L'[')) return ParseSet(value);
            break;
        case TokenKind::EndOfText: break;
        }
        throw ErrorAtToken(L"value expected");
    }

    // 'a' + 'b' over several lines, as long texts are written.
    std::wstring ParseStringSum() {
        std::wstring text = current_.Text;
        Advance();
        while (AtSymbol(L'+')) {
            Advance();
            if (current_.Kind != TokenKind::String) throw ErrorAtToken(L"string expected after '+'");
            text += current_.Text;
            Advance();
        }
        return text;
    }

    TWindowDataValue& ParseIdentifierValue(TWindowDataValue& value) {
        if (SameName(current_.Text, L"True") || SameName(current_.Text, L"False")) {
            value.Kind = TWindowDataValueKind::Boolean;
            value.Boolean = SameName(current_.Text, L"True");
        } else {
            value.Kind = TWindowDataValueKind::Identifier;
            value.Text = current_.Text;
        }
        Advance();
        return value;
    }

    TWindowDataValue& ParseSet(TWindowDataValue& value) {
        value.Kind = TWindowDataValueKind::Set;
        Advance();
        if (AtSymbol(L']')) {
            Advance();
            return value;
        }
        for (;;) {
            if (AtKeyword(L"end") || AtKeyword(L"object")) throw ErrorAtToken(L"set element expected");
            value.Items.push_back(ExpectPlainIdentifier(L"set element"));
            if (AtSymbol(L']')) break;
            ExpectSymbol(L',');
        }
        Advance();
        return value;
    }

    static std::wstring Lowered(std::wstring name) {
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
        return name;
    }

    const std::wstring& file_;
    Lexer lexer_;
    Token current_;
    std::set<std::wstring> names_;
};

}  // namespace

TWindowDataNode ParseWindowData(const std::string& utf8Text, const std::wstring& fileName) {
    return Parser(utf8Text, fileName).ParseRoot();
}

}  // namespace gui
