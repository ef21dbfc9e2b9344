#include "platform/store/registry_text.h"

#include <algorithm>
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

// The levels of a section line "[HKEY_...\\...]", or nothing when it is not one.
std::optional<std::vector<std::string_view>> parseSectionLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    // Deeper than any real hive: unreadable, before a level of it is built.
    if (static_cast<std::size_t>(std::count(line.begin(), line.end(), '\\')) >= maxRegistryDepth)
        return std::nullopt;
    std::vector<std::string_view> levels;
    std::string_view path = line.substr(1, line.size() - 2);
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (levels.empty() || levels.front().substr(0, 5) != "HKEY_") return std::nullopt;
    return levels;
}

// The key of each section, found from the previous section's path: files list keys in
// order, so most levels are the ones just seen.
class SectionKeys {
  public:
    explicit SectionKeys(RegistryTree& tree) : top_(tree.top()) {}

    RegistryNode& key(const std::vector<std::string_view>& levels) {
        std::size_t same = 0;
        while (same < levels.size() && same < path_.size() &&
               sameName(path_[same]->name(), levels[same]))
            ++same;
        path_.resize(same);
        RegistryNode* node = same ? path_.back() : &top_;
        for (std::size_t i = same; i < levels.size(); ++i) {
            node = &node->childOrNew(levels[i]);
            path_.push_back(node);
        }
        return *node;
    }

  private:
    RegistryNode& top_;
    std::vector<RegistryNode*> path_;
};

// A hex list continues on the next line when it ends with a backslash; a quoted text that
// happens to end with one does not.
bool continues(std::string_view line) {
    if (line.empty() || line.back() != '\\') return false;
    std::string_view rest = trimmed(line);
    if (!rest.empty() && rest.front() == '@')
        rest.remove_prefix(1);
    else if (!parseQuoted(rest))
        return false;
    rest = trimmed(rest);
    if (rest.empty() || rest.front() != '=') return false;
    return trimmed(rest.substr(1)).substr(0, 3) == "hex";
}

// The physical lines of a text joined into logical ones, one at a time.
class LogicalLines {
  public:
    explicit LogicalLines(std::string_view text) : text_(text) {}

    bool next(std::string& line) {
        if (at_ >= text_.size()) return false;
        line.assign(physical());
        if (!continues(line)) return true;
        while (!line.empty() && line.back() == '\\' && at_ < text_.size()) {
            line.pop_back();
            line += trimmed(physical());
        }
        return true;
    }

  private:
    std::string_view physical() {
        std::size_t end = text_.find('\n', at_);
        if (end == std::string_view::npos) end = text_.size();
        std::string_view line = text_.substr(at_, end - at_);
        at_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && blank(line.back())) line.remove_suffix(1);
        return line;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

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

// A key gets a section when it holds values or has no children; the path of any other key
// is implied by its descendants' sections. So each key's path is written at most once and
// a deep chain costs its depth, not the square of it.
void appendKeys(std::string& out, const RegistryNode& top) {
    struct Level {
        const RegistryNode* node;
        std::size_t next;
        std::size_t pathLength;
    };
    std::string path;
    std::vector<Level> stack{{&top, 0, 0}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.node->children().size()) {
            stack.pop_back();
            continue;
        }
        const RegistryNode& node = *level.node->children()[level.next++];
        path.resize(level.pathLength);
        if (!path.empty()) path += '\\';
        path += node.name();
        if (!node.values().empty() || node.children().empty()) {
            out += "\n[";
            out += path;
            out += "]\n";
            for (const auto& v : node.values()) appendValue(out, v);
        }
        stack.push_back({&node, 0, path.size()});
    }
}

}  // namespace

bool representableName(std::string_view name) {
    for (char c : name)
        if (c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

ParsedRegistry parseRegistryText(std::string_view text) {
    ParsedRegistry parsed;
    if (text.size() > maxRegistryTextSize) {
        parsed.clean = false;
        return parsed;
    }
    bool headerSeen = false;
    bool anything = false;
    RegistryNode* section = nullptr;
    bool inBadSection = false;
    LogicalLines lines(text);
    SectionKeys keys(parsed.tree);
    std::string raw;
    while (lines.next(raw)) {
        std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen && !anything && line == "REGEDIT4") {
            headerSeen = true;
            continue;
        }
        anything = true;
        if (line.front() == '[') {
            auto levels = parseSectionLine(line);
            section = levels ? &keys.key(*levels) : nullptr;
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
    appendKeys(out, tree.top());
    return out;
}

}  // namespace vexa
