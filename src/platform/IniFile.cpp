#include "platform/IniFile.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace vesk {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\r\n";  // the files come from Windows stations

struct Line {
    std::string body;
    std::string end;  // "\r\n", "\n" or empty for a last line without one
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string name;
    std::size_t valueStart = 0;  // Key lines: the first byte after '='
};

ParsedLine parseLine(const std::string& body) {
    ParsedLine parsed;
    const std::size_t first = body.find_first_not_of(" \t");
    if (first == std::string::npos || body[first] == ';')
        return parsed;
    if (body[first] == '[') {
        const std::size_t close = body.find(']', first);
        if (close != std::string::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = trimText(std::string_view(body).substr(first + 1, close - first - 1));
        }
        return parsed;
    }
    const std::size_t equals = body.find('=');
    if (equals == std::string::npos)
        return parsed;
    parsed.name = trimText(std::string_view(body).substr(0, equals));
    if (!parsed.name.empty()) {
        parsed.kind = LineKind::Key;
        parsed.valueStart = equals + 1;
    }
    return parsed;
}

std::size_t backOffToCharStart(const std::string& text, std::size_t cut) {
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut;
    return cut;
}

std::string valueOf(const std::string& body, std::size_t valueStart) {
    std::string value = trimText(std::string_view(body).substr(valueStart));
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > IniFile::kMaxValueLength) {
        std::size_t cut = IniFile::kMaxValueLength;
        if (isValidUtf8(value))
            cut = backOffToCharStart(value, cut);  // never leave half a character behind
        value.resize(cut);
    }
    return narrowToUtf8(value);
}

// The lines of one file, with the byte-order mark held apart so that it never disturbs the
// first line's parsing and is written back as it was.
class IniContent {
  public:
    static IniContent fromBytes(std::string bytes) {
        IniContent doc;
        if (std::string_view(bytes).starts_with(kBom)) {
            doc.bom_ = true;
            bytes.erase(0, kBom.size());
        }
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            const std::size_t newline = bytes.find('\n', pos);
            if (newline == std::string::npos) {
                doc.lines_.push_back({bytes.substr(pos), ""});
                break;
            }
            const bool crlf = newline > pos && bytes[newline - 1] == '\r';
            const std::size_t bodyEnd = crlf ? newline - 1 : newline;
            doc.lines_.push_back({bytes.substr(pos, bodyEnd - pos), crlf ? "\r\n" : "\n"});
            pos = newline + 1;
        }
        return doc;
    }

    std::string toBytes() const {
        std::string out = bom_ ? std::string(kBom) : std::string();
        for (const Line& line : lines_)
            out += line.body + line.end;
        return out;
    }

    // Index of the first section header with this name.
    std::optional<std::size_t> findSection(const std::string& section) const {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const ParsedLine parsed = parseLine(lines_[i].body);
            if (parsed.kind == LineKind::Section && equalsIgnoreAsciiCase(parsed.name, section))
                return i;
        }
        return std::nullopt;
    }

    // One past the last line of the section whose header is at `header`.
    std::size_t sectionEnd(std::size_t header) const {
        for (std::size_t i = header + 1; i < lines_.size(); ++i) {
            if (parseLine(lines_[i].body).kind == LineKind::Section)
                return i;
        }
        return lines_.size();
    }

    std::optional<std::size_t> findKey(const std::string& section, const std::string& key) const {
        const auto header = findSection(section);
        if (!header)
            return std::nullopt;
        const std::size_t end = sectionEnd(*header);
        for (std::size_t i = *header + 1; i < end; ++i) {
            const ParsedLine parsed = parseLine(lines_[i].body);
            if (parsed.kind == LineKind::Key && equalsIgnoreAsciiCase(parsed.name, key))
                return i;
        }
        return std::nullopt;
    }

    std::optional<std::string> value(const std::string& section, const std::string& key) const {
        const auto index = findKey(section, key);
        if (!index)
            return std::nullopt;
        const std::string& body = lines_[*index].body;
        return valueOf(body, parseLine(body).valueStart);
    }

    void setValue(const std::string& section, const std::string& key, const std::string& value) {
        if (const auto index = findKey(section, key)) {
            replaceValue(lines_[*index].body, value);
        } else if (const auto header = findSection(section)) {
            insertLine(lastContentLine(*header) + 1, key + "=" + value);
        } else {
            insertLine(lines_.size(), "[" + section + "]");
            insertLine(lines_.size(), key + "=" + value);
        }
    }

    bool eraseSection(const std::string& section) {
        const auto header = findSection(section);
        if (!header)
            return false;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(*header)));
        return true;
    }

    bool deleteKey(const std::string& section, const std::string& key) {
        const auto index = findKey(section, key);
        if (!index)
            return false;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
        return true;
    }

  private:
    // Keeps the key as it is spelled in the file and the blanks after '='.
    static void replaceValue(std::string& body, const std::string& value) {
        const std::size_t equals = parseLine(body).valueStart - 1;
        std::size_t keep = equals + 1;
        const std::size_t valueAt = body.find_first_not_of(" \t", keep);
        if (valueAt != std::string::npos)
            keep = valueAt;
        body = body.substr(0, keep) + value;
    }

    // New keys follow the section's last key (or other content line), so the blank lines and
    // comments that lead into the next section stay in front of it.
    std::size_t lastContentLine(std::size_t header) const {
        std::size_t last = header;
        const std::size_t end = sectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            const std::string& body = lines_[i].body;
            const std::size_t first = body.find_first_not_of(" \t\r");
            if (first != std::string::npos && body[first] != ';')
                last = i;
        }
        return last;
    }

    std::string lineEnd() const {
        for (const Line& line : lines_) {
            if (!line.end.empty())
                return line.end;
        }
        return std::string(kDefaultLineEnd);
    }

    void insertLine(std::size_t at, std::string body) {
        const std::string end = lineEnd();
        if (at > 0 && lines_[at - 1].end.empty())
            lines_[at - 1].end = end;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), {std::move(body), end});
    }

    bool bom_ = false;
    std::vector<Line> lines_;
};

// Nullopt when the file exists but cannot be read; a missing file reads as empty.
std::optional<std::string> readBytes(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(toFsPath(path), ec);
    if (!std::filesystem::exists(status))
        return std::string();
    if (std::filesystem::is_directory(status))
        return std::nullopt;
    std::ifstream in(toFsPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

IniContent loadForReading(const std::string& path) {
    return IniContent::fromBytes(readBytes(path).value_or(std::string()));
}

std::string temporaryNameFor(const std::string& path) {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return joinPath(folderOf(path), "." + fileNameOf(path) + "." +
                                        std::to_string(generator() % 1000000000ull) + ".tmp");
}

void writeTemporary(const std::string& tempPath, const std::string& bytes,
                    const std::string& path) {
    std::ofstream out(toFsPath(tempPath), std::ios::binary | std::ios::trunc);
    if (!out)
        throw IniWriteError(path, "cannot create a temporary file beside it");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw IniWriteError(path, "writing the temporary file failed (disk full?)");
}

// The old file stays whole until the new one is complete: the rename replaces it in one step.
void replaceFile(const std::string& path, const std::string& bytes) {
    const std::string folder = folderOf(path);
    if (!folder.empty() && !folderExists(folder))
        throw IniWriteError(path, "its folder does not exist");
    std::error_code ec;
    if (std::filesystem::is_directory(toFsPath(path), ec))
        throw IniWriteError(path, "a folder stands in its place");
    const std::string tempPath = temporaryNameFor(path);
    try {
        writeTemporary(tempPath, bytes, path);
        if (!flushToDisk(tempPath))
            throw IniWriteError(path, "the temporary file could not be flushed to disk");
        const auto oldStatus = std::filesystem::status(toFsPath(path), ec);
        if (!ec && std::filesystem::exists(oldStatus))
            std::filesystem::permissions(toFsPath(tempPath), oldStatus.permissions(), ec);
        std::filesystem::rename(toFsPath(tempPath), toFsPath(path), ec);
        if (ec)
            throw IniWriteError(path, ec.message());
        flushToDisk(folder.empty() ? "." : folder);  // makes the rename itself durable
    } catch (...) {
        std::filesystem::remove(toFsPath(tempPath), ec);
        throw;
    }
}

// A name or value that would break the line structure would change other keys on the next
// read, so it is refused instead of written.
void checkStorable(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
    const auto hasLineBreak = [](const std::string& s) {
        return s.find_first_of("\r\n") != std::string::npos;
    };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        throw IniWriteError(path, "a line break cannot be stored in a name or value");
    if (section.empty() || section.find(']') != std::string::npos)
        throw IniWriteError(path, "invalid section name \"" + section + "\"");
    if (key.empty() || key.find('=') != std::string::npos || key.front() == '[' ||
        key.front() == ';')
        throw IniWriteError(path, "invalid key name \"" + key + "\"");
}

void modifyFile(const std::string& path, const std::function<bool(IniContent&)>& change) {
    const auto bytes = readBytes(path);
    if (!bytes)
        throw IniWriteError(path, "the existing file cannot be read");
    IniContent doc = IniContent::fromBytes(*bytes);
    if (change(doc))
        replaceFile(path, doc.toBytes());
}

std::string narrowName(const std::string& name) {
    return trimText(toNarrowKeepingBytes(name));
}

}  // namespace

IniWriteError::IniWriteError(const std::string& path, const std::string& reason)
    : std::runtime_error("Unable to write to " + path + (reason.empty() ? "" : ": " + reason)),
      path_(path) {}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const auto value = loadForReading(path_).value(narrowName(section), narrowName(key));
    return value ? *value : defaultValue;
}

bool IniFile::sectionExists(const std::string& section) const {
    return loadForReading(path_).findSection(narrowName(section)).has_value();
}

bool IniFile::valueExists(const std::string& section, const std::string& key) const {
    return loadForReading(path_).findKey(narrowName(section), narrowName(key)).has_value();
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
    const std::string narrowSection = narrowName(section);
    const std::string narrowKey = narrowName(key);
    const std::string narrowValue = toNarrowKeepingBytes(value);
    checkStorable(path_, narrowSection, narrowKey, narrowValue);
    modifyFile(path_, [&](IniContent& doc) {
        doc.setValue(narrowSection, narrowKey, narrowValue);
        return true;
    });
}

void IniFile::eraseSection(const std::string& section) {
    const std::string narrowSection = narrowName(section);
    modifyFile(path_, [&](IniContent& doc) { return doc.eraseSection(narrowSection); });
}

void IniFile::deleteKey(const std::string& section, const std::string& key) {
    const std::string narrowSection = narrowName(section);
    const std::string narrowKey = narrowName(key);
    modifyFile(path_, [&](IniContent& doc) { return doc.deleteKey(narrowSection, narrowKey); });
}

}  // namespace vesk
