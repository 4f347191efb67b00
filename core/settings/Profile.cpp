#include "core/settings/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "core/platform/ProgramFolders.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"

namespace tw::profile {
namespace {

std::string_view Trim(std::string_view s) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// "[name]" gives name; anything else gives nullopt.
std::optional<std::string_view> SectionHeader(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// "key=value" gives key; lines without '=' and comment lines give nullopt.
std::optional<std::string_view> EntryKey(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

std::string EntryValue(std::string_view line) {
    std::string_view v = Trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
               mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileStamp StampOf(const std::string& path) {
    FileStamp s;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    return s;
}

// One parsed file: its lines as they stand and, per folded section name, the first
// occurrence's entries (first entry of a name wins, as readers of such files expect).
struct Document {
    FileStamp stamp;
    std::vector<std::string> lines;
    std::map<std::string, std::map<std::string, std::string>> index;

    void Reindex() {
        index.clear();
        std::map<std::string, std::string>* current = nullptr;
        std::map<std::string, bool> seen;
        for (const std::string& line : lines) {
            if (auto name = SectionHeader(line)) {
                std::string key = FoldCase(*name);
                current = seen[key] ? nullptr : &index[key];
                seen[key] = true;
                continue;
            }
            if (!current) continue;
            if (auto key = EntryKey(line)) current->emplace(FoldCase(*key), EntryValue(line));
        }
    }
};

std::unique_ptr<Document> Parse(const std::string& path, const FileStamp& stamp) {
    auto doc = std::make_unique<Document>();
    doc->stamp = stamp;
    std::string text;
    if (stamp.exists && ReadWholeFile(path, text)) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string_view line(text.data() + start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            doc->lines.emplace_back(line);
            start = end + 1;
        }
    }
    doc->Reindex();
    return doc;
}

class Cache {
  public:
    // Runs `fn` on the current parsed copy of `path` under the cache lock.
    template <typename Fn>
    auto With(const std::string& path, Fn&& fn) {
        std::lock_guard lock(mutex_);
        FileStamp stamp = StampOf(path);
        auto& slot = docs_[path];
        if (!slot || !(slot->stamp == stamp)) slot = Parse(path, stamp);
        return fn(*slot);
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Document>> docs_;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

// Writes the lines to a temporary file beside `path` and renames it over the file.
bool Save(const std::string& path, Document& doc) {
    std::string folder(PathDirectory(path));
    if (!folder.empty() && !MakeFolders(folder)) return false;
    std::string text;
    for (const std::string& line : doc.lines) {
        text += line;
        text += '\n';
    }
    struct stat st;
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (!WriteFileAtomically(path, text, mode)) return false;
    doc.stamp = StampOf(path);
    return true;
}

// Position of the first header line of `section`, or npos.
std::size_t FindSection(const Document& doc, std::string_view section) {
    for (std::size_t i = 0; i < doc.lines.size(); ++i)
        if (auto name = SectionHeader(doc.lines[i]); name && EqualsNoCase(*name, section)) return i;
    return std::string::npos;
}

// One past the last line that belongs to the section whose header is at `header`.
std::size_t SectionEnd(const Document& doc, std::size_t header) {
    std::size_t i = header + 1;
    while (i < doc.lines.size() && !SectionHeader(doc.lines[i])) ++i;
    return i;
}

}  // namespace

std::string ReadString(const std::string& file, std::string_view section, std::string_view entry,
                       std::string_view defaultValue) {
    return TheCache().With(file, [&](Document& doc) {
        auto s = doc.index.find(FoldCase(section));
        if (s == doc.index.end()) return std::string(defaultValue);
        auto e = s->second.find(FoldCase(entry));
        return e == s->second.end() ? std::string(defaultValue) : e->second;
    });
}

namespace {

// Sets entry=value in the parsed file (deletes it without a value); false when nothing changed.
bool SetEntry(Document& doc, std::string_view section, std::string_view entry,
              std::optional<std::string_view> value) {
    std::string line = value ? std::string(entry) + "=" + std::string(*value) : std::string();
    std::size_t header = FindSection(doc, section);
    if (header == std::string::npos) {
        if (!value) return false;
        if (!doc.lines.empty() && !Trim(doc.lines.back()).empty()) doc.lines.emplace_back();
        // Built by appending: GCC 12 warns falsely (-Wrestrict) on "[" + std::string.
        std::string title(1, '[');
        title.append(section).push_back(']');
        doc.lines.push_back(std::move(title));
        doc.lines.push_back(line);
    } else {
        std::size_t end = SectionEnd(doc, header);
        std::size_t found = std::string::npos;
        for (std::size_t i = header + 1; i < end && found == std::string::npos; ++i)
            if (auto key = EntryKey(doc.lines[i]); key && EqualsNoCase(*key, entry)) found = i;
        if (found != std::string::npos) {
            if (value) {
                if (doc.lines[found] == line) return false;
                doc.lines[found] = line;
            } else {
                doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(found));
            }
        } else {
            if (!value) return false;
            std::size_t at = end;
            while (at > header + 1 && Trim(doc.lines[at - 1]).empty()) --at;
            doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        }
    }
    doc.Reindex();
    return true;
}

bool SaveChanged(const std::string& file, Document& doc) {
    if (Save(file, doc)) return true;
    doc.stamp.size = -1;  // memory and disk now differ: read the file again next time
    // Said once per run: every setting then keeps its default, which is what the program
    // works with; a message per write would bury the output.
    static bool warned = false;
    if (!warned) {
        warned = true;
        std::fprintf(stderr,
                     "tidewright: settings cannot be saved in %s; their defaults are used\n",
                     file.c_str());
    }
    return false;
}

}  // namespace

bool WriteString(const std::string& file, std::string_view section, std::string_view entry,
                 std::optional<std::string_view> value) {
    return TheCache().With(file, [&](Document& doc) {
        return !SetEntry(doc, section, entry, value) || SaveChanged(file, doc);
    });
}

bool WriteStrings(const std::string& file, std::string_view section,
                  const std::vector<std::pair<std::string, std::optional<std::string>>>& entries) {
    return TheCache().With(file, [&](Document& doc) {
        bool changed = false;
        for (const auto& [entry, value] : entries) {
            std::optional<std::string_view> v;
            if (value) v = *value;
            changed = SetEntry(doc, section, entry, v) || changed;
        }
        return !changed || SaveChanged(file, doc);
    });
}

bool DeleteSection(const std::string& file, std::string_view section) {
    return TheCache().With(file, [&](Document& doc) {
        bool changed = false;
        for (std::size_t header; (header = FindSection(doc, section)) != std::string::npos;) {
            std::size_t end = SectionEnd(doc, header);
            doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(header),
                            doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
            changed = true;
        }
        if (!changed) return true;
        doc.Reindex();
        if (Save(file, doc)) return true;
        doc.stamp.size = -1;
        return false;
    });
}

bool HasSection(const std::string& file, std::string_view section) {
    return TheCache().With(file,
                           [&](Document& doc) { return doc.index.count(FoldCase(section)) != 0; });
}

}  // namespace tw::profile
