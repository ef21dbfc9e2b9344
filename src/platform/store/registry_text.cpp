#include "platform/store/registry_text.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "base/hex_digit.h"

namespace vexa {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

// A quoted text at the start of `s` with \\ and \" escapes; `s` moves past it.
std::optional<std::string> parseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            c = s[++i];
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::string_view s) {
    std::vector<std::uint8_t> bytes;
    s = trimmed(s);
    if (s.empty()) return bytes;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t comma = s.find(',', start);
        if (comma == std::string_view::npos) comma = s.size();
        auto byte = parseHexNumber(trimmed(s.substr(start, comma - start)), 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        start = comma + 1;
    }
    return bytes;
}

// The type and bytes of a value's data as written after '='.
std::optional<RegistryValue> parseData(std::string_view data) {
    data = trimmed(data);
    RegistryValue v;
    if (!data.empty() && data.front() == '"') {
        auto text = parseQuoted(data);
        if (!text || !trimmed(data).empty()) return std::nullopt;
        v.type = REG_SZ;
        v.data.assign(text->begin(), text->end());
        v.data.push_back(0);
        return v;
    }
    if (data.substr(0, 6) == "dword:") {
        auto n = parseHexNumber(data.substr(6), 8);
        if (!n) return std::nullopt;
        v.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8)
            v.data.push_back(static_cast<std::uint8_t>(*n >> shift));
        return v;
    }
    std::string_view list;
    if (data.substr(0, 4) == "hex:") {
        v.type = REG_BINARY;
        list = data.substr(4);
    } else if (data.substr(0, 4) == "hex(") {
        std::size_t close = data.find("):");
        if (close == std::string_view::npos) return std::nullopt;
        auto type = parseHexNumber(data.substr(4, close - 4), 8);
        if (!type) return std::nullopt;
        v.type = *type;
        list = data.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = parseHexBytes(list);
    if (!bytes) return std::nullopt;
    v.data = std::move(*bytes);
    return v;
}

std::optional<RegistryValue> parseValueLine(std::string_view line) {
    std::string name;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto quoted = parseQuoted(line);
        if (!quoted) return std::nullopt;
        name = std::move(*quoted);
    }
    line = trimmed(line);
    if (line.empty() || line.front() != '=') return std::nullopt;
    auto v = parseData(line.substr(1));
    if (v) v->name = std::move(name);
    return v;
}

std::optional<std::vector<std::string>> parseSectionLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    auto levels = splitKeyPath(line.substr(1, line.size() - 2));
    if (levels.empty() || levels.front().rfind("HKEY_", 0) != 0) return std::nullopt;
    return levels;
}

// A hex list continues on the next line when it ends with a backslash.
bool continues(std::string_view line) {
    if (line.empty() || line.back() != '\\') return false;
    std::size_t eq = line.find("=hex");
    return eq != std::string_view::npos && line.find(':', eq) != std::string_view::npos;
}

std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> lines;
    bool joining = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && blank(line.back())) line.remove_suffix(1);
        if (joining) {
            lines.back().pop_back();
            lines.back() += trimmed(line);
        } else {
            lines.emplace_back(line);
        }
        joining = continues(lines.back());
        start = end + 1;
    }
    return lines;
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// A text can be quoted when it holds no line break or NUL before its one terminator.
bool quotable(const RegistryValue& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i)
        if (v.data[i] == 0 || v.data[i] == '\n' || v.data[i] == '\r') return false;
    return true;
}

void appendValue(std::string& out, const RegistryValue& v) {
    if (v.name.empty())
        out += '@';
    else
        appendQuoted(out, v.name);
    out += '=';
    char buffer[16];
    if (quotable(v)) {
        appendQuoted(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        std::uint32_t n = v.data[0] | v.data[1] << 8 | v.data[2] << 16 |
                          static_cast<std::uint32_t>(v.data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", n);
        out += buffer;
    } else {
        if (v.type == REG_BINARY) {
            out += "hex:";
        } else {
            std::snprintf(buffer, sizeof buffer, "hex(%x):", v.type);
            out += buffer;
        }
        for (std::size_t i = 0; i < v.data.size(); ++i) {
            std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", v.data[i]);
            out += buffer;
        }
    }
    out += '\n';
}

void appendKey(std::string& out, const RegistryNode& node, const std::string& path, int depth) {
    // Root keys get a section of their own only when they hold values.
    if (depth > 1 || !node.values().empty()) {
        out += "\n[" + path + "]\n";
        for (const auto& v : node.values()) appendValue(out, v);
    }
    for (const auto& child : node.children())
        appendKey(out, child, path + "\\" + child.name(), depth + 1);
}

}  // namespace

bool representableName(std::string_view name) {
    for (char c : name)
        if (c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

ParsedRegistry parseRegistryText(std::string_view text) {
    ParsedRegistry parsed;
    bool headerSeen = false;
    bool anything = false;
    RegistryNode* section = nullptr;
    bool inBadSection = false;
    for (const auto& raw : logicalLines(text)) {
        std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen && !anything && line == "REGEDIT4") {
            headerSeen = true;
            continue;
        }
        anything = true;
        if (line.front() == '[') {
            auto levels = parseSectionLine(line);
            section = levels ? &parsed.tree.ensure(*levels) : nullptr;
            inBadSection = !levels;
            if (!levels) parsed.clean = false;
            continue;
        }
        auto value =
            (line.front() == '"' || line.front() == '@') ? parseValueLine(line) : std::nullopt;
        if (!value || !section) {
            // Values of a section that could not be read are lost with it: counted once.
            if (!inBadSection) parsed.clean = false;
            continue;
        }
        section->setValue(value->name, value->type, std::move(value->data));
    }
    if (anything && !headerSeen) parsed.clean = false;
    return parsed;
}

std::string formatRegistryText(const RegistryTree& tree) {
    std::string out = "REGEDIT4\n";
    for (const auto& root : tree.top().children()) appendKey(out, root, root.name(), 1);
    return out;
}

}  // namespace vexa
