// The `.reg` text of the settings file: reads what regedit writes (both headers, UTF-16LE with a byte-order
// mark or 8-bit Windows-1252 text) and writes 8-bit text that regedit imports. A line it cannot read is
// skipped and counted; nothing here ever gives up on the rest of the file or touches the disk.
#include <cstdlib>
#include <cstring>

#include "platform/store_tree.h"

static const char kHeader5[] = "Windows Registry Editor Version 5.00";
static const char kHeader4[] = "REGEDIT4";

static bool IsStringType(uint32_t type) {
    return type == 1 || type == 2 || type == 7;
} // SZ, EXPAND_SZ, MULTI_SZ

// One UTF-16 code unit to a Windows-1252 byte; -1 when the code page lacks it.
static int ToCodePage(uint32_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<int>(unit);
    for (uint32_t c = 0x80; c < 0xA0; ++c)
        if (StoreCodePoint(static_cast<uint8_t>(c)) == unit) return static_cast<int>(c);
    return -1;
}

// One unit of the file's text: a name keeps what the code page lacks (STORE_WIDE), a value's text gets '?'
// as Windows converts it, and says it lost something.
static void AppendUnit(std::string &out, uint32_t unit, bool *lossy) {
    const int c = ToCodePage(unit);
    if (!lossy && (c < 0 || c == STORE_WIDE)) {
        out += TreeWideUnit(unit);
    } else if (c < 0) {
        out += '?';
        *lossy = true;
    } else {
        out += static_cast<char>(c);
    }
}

static std::string FromUtf16(const unsigned char *bytes, size_t size, bool *lossy) {
    std::string out;
    out.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const uint32_t unit = bytes[i] | (bytes[i + 1] << 8);
        // the second half of a pair already became one '?'
        if (lossy && unit >= 0xDC00 && unit < 0xE000) continue;
        AppendUnit(out, unit, lossy);
    }
    return out;
}

static std::string ToUtf16(const std::string &text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        const uint32_t point = StoreCodePoint(c);
        out += static_cast<char>(point & 0xFF);
        out += static_cast<char>(point >> 8);
    }
    return out;
}

// UTF-8 (files saved by today's editors with a signature) to the code page; a byte that does not start a
// valid sequence is taken as it is.
static std::string FromUtf8(const unsigned char *bytes, size_t size) {
    std::string out;
    for (size_t i = 0; i < size;) {
        const unsigned char c = bytes[i];
        const size_t extra = c >= 0xF0 && c < 0xF8   ? 3
                             : c >= 0xE0 && c < 0xF0 ? 2
                             : c >= 0xC2 && c < 0xE0 ? 1
                                                     : 0;
        uint32_t point = c;
        bool valid = extra > 0 && i + extra < size;
        if (valid) {
            point = c & (0x3Fu >> extra);
            for (size_t k = 1; k <= extra && valid; ++k) {
                valid = (bytes[i + k] & 0xC0) == 0x80;
                point = (point << 6) | (bytes[i + k] & 0x3Fu);
            }
        }
        if (!valid) {
            AppendUnit(out, c == STORE_WIDE ? 0x7Fu : StoreCodePoint(c), nullptr);
            ++i;
            continue;
        }
        if (point > 0xFFFF) { // a surrogate pair, as UTF-16 holds it
            AppendUnit(out, 0xD800 + ((point - 0x10000) >> 10), nullptr);
            AppendUnit(out, 0xDC00 + ((point - 0x10000) & 0x3FF), nullptr);
        } else {
            AppendUnit(out, point, nullptr);
        }
        i += extra + 1;
    }
    return out;
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

static std::string Trim(const std::string &s) {
    size_t a = 0, b = s.size();
    while (a < b && IsBlank(s[a]))
        ++a;
    while (b > a && IsBlank(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted text starting at s[*at] == '"', with the escapes \\ and \" (and \n, which some exporters write).
static bool ParseQuoted(const std::string &s, size_t *at, std::string *out) {
    size_t i = *at + 1;
    out->clear();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            *at = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size()) {
            const char e = s[i + 1];
            *out += e == 'n' ? '\n' : e;
            i += 2;
            continue;
        }
        *out += c;
        ++i;
    }
    return false; // no closing quote
}

static bool OnlyBlanksFrom(const std::string &s, size_t at) {
    while (at < s.size() && IsBlank(s[at]))
        ++at;
    return at == s.size();
}

static bool ParseHexBytes(const std::string &s, size_t at, std::string *out) {
    out->clear();
    bool expectByte = true;
    while (true) {
        while (at < s.size() && IsBlank(s[at]))
            ++at;
        if (at == s.size()) return true; // an empty list or a trailing comma
        if (!expectByte) {
            if (s[at] != ',') return false;
            ++at;
            expectByte = true;
            continue;
        }
        const int hi = HexDigit(s[at]);
        if (hi < 0) return false;
        int value = hi;
        ++at;
        if (at < s.size() && HexDigit(s[at]) >= 0) value = value * 16 + HexDigit(s[at++]);
        *out += static_cast<char>(value);
        expectByte = false;
    }
}

// Prefixed word of data ("dword:", "hex:", "hex(") without regard to case.
static bool StartsWithNoCase(const std::string &s, size_t at, const char *word) {
    const size_t n = strlen(word);
    if (s.size() - at < n) return false;
    for (size_t k = 0; k < n; ++k)
        if (StoreFoldChar(static_cast<uint8_t>(s[at + k])) != StoreFoldChar(static_cast<uint8_t>(word[k])))
            return false;
    return true;
}

// The registry's own limits: elements of 1 to 255 characters, at most 512 levels.
static bool ValidKeyPath(const std::string &path) {
    size_t element = 0, levels = 1;
    for (char c : path) {
        if (c == '\\') {
            if (element == 0 || ++levels > 512) return false;
            element = 0;
        } else if (c == '\0' || ++element > 255) {
            return false;
        }
    }
    return element > 0;
}

// Abbreviated root names become the full ones, so a hand-written [HKCU\...] lands where regedit's would.
static std::string NormalisedPath(const std::string &path) {
    const size_t cut = path.find('\\');
    const std::string root = path.substr(0, cut);
    if (StoreCompareNames(root.c_str(), "HKCU") == 0)
        return std::string(STORE_USER_ROOT) + (cut == std::string::npos ? "" : path.substr(cut));
    return path;
}

struct ParseState {
    StoreTree *tree;
    std::string key; // the section being read; empty before the first or after a deletion
    bool unicodeHex; // string types in hex(N) are UTF-16LE (the 5.00 format)
};

static bool ParseSection(ParseState &st, const std::string &line) {
    const size_t close = line.rfind(']');
    if (close == std::string::npos || !OnlyBlanksFrom(line, close + 1)) return false;
    std::string path = line.substr(1, close - 1);
    const bool deletion = !path.empty() && path[0] == '-';
    if (deletion) path.erase(0, 1);
    if (!ValidKeyPath(path)) return false;
    path = NormalisedPath(path);
    st.key.clear();
    if (deletion) {
        TreeDeleteSubtree(*st.tree, path);
    } else {
        st.key = TreeAddKey(*st.tree, path)->path;
    }
    return true;
}

static bool ParseValue(ParseState &st, const std::string &line, bool *lossy) {
    std::string name;
    size_t at = 0;
    if (line[0] == '@') {
        at = 1;
    } else if (!ParseQuoted(line, &at, &name)) {
        return false;
    }
    if (name.find('\0') != std::string::npos) return false;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size() || line[at] != '=') return false;
    ++at;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size()) return false;

    uint32_t type;
    std::string data;
    if (line[at] == '-') {
        if (!OnlyBlanksFrom(line, at + 1)) return false;
        if (st.key.empty()) return true;
        if (StoreKeyRec *key = TreeFindKey(*st.tree, st.key)) TreeDeleteValue(*key, name.c_str());
        return true;
    } else if (line[at] == '"') {
        if (!ParseQuoted(line, &at, &data) || !OnlyBlanksFrom(line, at)) return false;
        data = TreeNameOut(data, lossy); // a value's text is 8-bit
        type = STORE_SZ;
        data += '\0'; // as regedit stores a quoted text
    } else if (StartsWithNoCase(line, at, "dword:")) {
        at += 6;
        uint32_t value = 0;
        size_t digits = 0;
        while (at < line.size() && HexDigit(line[at]) >= 0 && digits < 9) {
            value = value * 16 + static_cast<uint32_t>(HexDigit(line[at++]));
            ++digits;
        }
        if (digits == 0 || digits > 8 || !OnlyBlanksFrom(line, at)) return false;
        type = STORE_DWORD;
        for (int k = 0; k < 4; ++k)
            data += static_cast<char>((value >> (8 * k)) & 0xFF);
    } else if (StartsWithNoCase(line, at, "hex:")) {
        if (!ParseHexBytes(line, at + 4, &data)) return false;
        type = STORE_BINARY;
    } else if (StartsWithNoCase(line, at, "hex(")) {
        at += 4;
        type = 0;
        size_t digits = 0;
        while (at < line.size() && HexDigit(line[at]) >= 0 && digits < 9) {
            type = type * 16 + static_cast<uint32_t>(HexDigit(line[at++]));
            ++digits;
        }
        if (digits == 0 || digits > 8 || at + 1 >= line.size() || line[at] != ')' || line[at + 1] != ':')
            return false;
        if (!ParseHexBytes(line, at + 2, &data)) return false;
        if (IsStringType(type) && st.unicodeHex) {
            if (data.size() % 2) return false;
            data = FromUtf16(reinterpret_cast<const unsigned char *>(data.data()), data.size(), lossy);
        }
    } else {
        return false;
    }
    if (st.key.empty()) return true; // values of a deleted section are dropped, as regedit drops them
    if (StoreKeyRec *key = TreeFindKey(*st.tree, st.key))
        TreeSetValue(*key, name.c_str(), type, std::move(data));
    return true;
}

RegParseResult RegTextParse(const char *raw, size_t size, StoreTree *tree) {
    RegParseResult result{};
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(raw);
    std::string text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = FromUtf16(bytes + 2, size - 2, nullptr);
        result.truncatedUtf16 = (size - 2) % 2 != 0;
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = FromUtf8(bytes + 3, size - 3);
    } else if (memchr(raw, STORE_WIDE, size)) {
        for (size_t k = 0; k < size; ++k)
            text += raw[k] == STORE_WIDE ? TreeWideUnit(0x7F) : std::string(1, raw[k]);
    } else {
        text.assign(raw, size);
    }

    ParseState st{tree, std::string(), true};
    bool headerSeen = false, anyLine = false;
    auto bad = [&](int lineNo) {
        if (result.badLines++ == 0) result.firstBadLine = lineNo;
        result.lostLines.push_back(lineNo);
    };
    size_t pos = 0;
    int lineNo = 0;
    while (pos < text.size()) {
        // one logical line: physical lines joined where one ends with a backslash
        const int startLine = lineNo + 1;
        std::string line;
        bool more = true;
        while (more && pos <= text.size()) {
            size_t end = pos;
            while (end < text.size() && text[end] != '\n' && text[end] != '\r')
                ++end;
            std::string piece = text.substr(pos, end - pos);
            if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
                ++end;
            pos = end + 1;
            ++lineNo;
            piece = Trim(piece);
            more = !piece.empty() && piece.back() == '\\' && piece[0] != '[' && pos < text.size();
            if (more) piece.pop_back();
            line += piece;
        }
        if (line.empty()) continue;
        if (line[0] == ';') {
            result.lostLines.push_back(startLine); // a comment is read past, and a save cannot keep it
            continue;
        }
        if (!anyLine) {
            anyLine = true;
            if (line == kHeader5 || line == kHeader4) {
                headerSeen = true;
                st.unicodeHex = line == kHeader5;
                continue;
            }
        }
        bool ok, lossy = false;
        if (line[0] == '[')
            ok = ParseSection(st, line);
        else if (line[0] == '"' || line[0] == '@')
            ok = ParseValue(st, line, &lossy);
        else
            ok = false;
        if (!ok)
            bad(startLine);
        else if (lossy)
            result.lostLines.push_back(startLine);
    }
    if (anyLine && !headerSeen && result.badLines == 0) { // not a file regedit would take as it is
        bad(1);
        result.lostLines.pop_back();
        if (result.lostLines.empty() || result.lostLines[0] != 1)
            result.lostLines.insert(result.lostLines.begin(), 1);
    }
    return result;
}

// Quoted with regedit's escapes; a line break (only a name read from "\n" can hold one) is written as "\n".
static void AppendQuoted(std::string &out, const std::string &text, bool name) {
    out += '"';
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        if (c == STORE_WIDE && !name) {
            out += TreeWideUnit(0x7F); // the reader takes a DEL in the file's text so
            continue;
        }
        out += c;
    }
    out += '"';
}

// hex bytes wrapped as regedit wraps them, so no line grows past about 80 characters
static void AppendHex(std::string &out, const std::string &bytes, size_t lineStart) {
    static const char digits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        if (i + 1 < bytes.size()) {
            out += ',';
            if (out.size() - lineStart > 75) {
                out += "\\\r\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
}

// The written text in the file's encoding: 8-bit when every character fits the code page, else UTF-16LE with
// its byte-order mark, as regedit exports, so every name reads back as it was.
static std::string Encoded(const std::string &text) {
    if (text.find(STORE_WIDE) == std::string::npos) return text;
    bool wide = false;
    std::string units;
    for (size_t at = 0; at < text.size(); ++at) {
        uint32_t unit = StoreCodePoint(static_cast<uint8_t>(text[at]));
        if (text[at] == STORE_WIDE && at + 4 < text.size()) {
            unit = static_cast<uint32_t>(strtoul(text.substr(at + 1, 4).c_str(), nullptr, 16));
            wide = wide || unit != 0x7F;
            at += 4;
        }
        units += static_cast<char>(unit & 0xFF);
        units += static_cast<char>(unit >> 8);
    }
    if (wide) return "\xFF\xFE" + units;
    std::string narrow; // only DELs: each back to its one byte
    for (size_t at = 0; at < units.size(); at += 2)
        narrow += static_cast<char>(ToCodePage(static_cast<unsigned char>(units[at]) |
                                               (static_cast<unsigned char>(units[at + 1]) << 8)));
    return narrow;
}

std::string RegTextWrite(const StoreTree &tree) {
    std::string out = kHeader5;
    out += "\r\n\r\n";
    for (const StoreKeyRec &key : tree.keys) {
        if (key.path.find('\\') == std::string::npos && key.values.empty()) continue; // a bare root
        out += '[';
        out += key.path;
        out += "]\r\n";
        for (const StoreValueRec &value : key.values) {
            const size_t lineStart = out.size();
            if (value.name.empty())
                out += '@';
            else
                AppendQuoted(out, value.name, true);
            out += '=';
            std::string text = value.data;
            if (value.type == STORE_SZ && !text.empty() && text.back() == '\0') text.pop_back();
            if (value.type == STORE_DWORD && value.data.size() == 4) {
                const unsigned char *d = reinterpret_cast<const unsigned char *>(value.data.data());
                char buffer[16];
                snprintf(buffer, sizeof buffer, "dword:%08x",
                         static_cast<unsigned>(d[0] | (d[1] << 8) | (d[2] << 16) |
                                               (static_cast<uint32_t>(d[3]) << 24)));
                out += buffer;
            } else if (value.type == STORE_SZ &&
                       text.find_first_of(std::string("\0\r\n", 3)) == std::string::npos) {
                AppendQuoted(out, text, false);
            } else if (value.type == STORE_BINARY) {
                out += "hex:";
                AppendHex(out, value.data, lineStart);
            } else {
                char buffer[24];
                snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
                out += buffer;
                AppendHex(out, IsStringType(value.type) ? ToUtf16(value.data) : value.data, lineStart);
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return Encoded(out);
}
