#include "engine/commands/CommandJournal.h"

#include <cstdlib>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "core/platform/ProgramFolders.h"
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/SiteLock.h"
#include "engine/commands/Transfer.h"
#include "engine/commands/WriteAhead.h"

namespace tw {
ECommandJournal::ECommandJournal() : path_(DefaultPath()) {}

std::string ECommandJournal::DefaultPath() {
    return ProgramSubfolder("Config") + "journal.txt";
}

EFileLock ECommandJournal::Lock() {
    EFileLock lock;
    LockWait forever;
    forever.seconds = -1;
    lock.Acquire(JournalLockPath(), forever);
    return lock;
}

namespace {

// The first line of a journal whose entries carry checksums (older journals have none).
constexpr std::string_view kHeader = "@journal 2";

std::string ChecksumOf(std::string_view lines) {
    return ContentCheck::Of(lines).ToText();
}

}  // namespace

bool ECommandJournal::Read(std::vector<JournalEntry>& entries) const {
    entries.clear();
    std::string text;
    if (!ReadWholeFile(path_, text)) return !StampOf(path_).exists;
    std::istringstream in(text);
    std::string line;
    JournalEntry* entry = nullptr;
    bool checked = false;       // the journal's entries carry checksums
    std::string entryLines;     // the current entry's lines, as its checksum covers them
    bool entryChecked = false;  // the current entry's checksum was read (and matched or not)
    const auto finish = [&] {
        if (entry && checked && !entryChecked) entry->damaged = true;  // cut before its sum
    };
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "check" && entry) {
            entry->damaged = entry->damaged || value != ChecksumOf(entryLines);
            entryChecked = true;
            continue;
        }
        if (entryChecked && key != "@entry") entry->damaged = true;  // lines after its sum
        entryLines += line + '\n';
        if (line == kHeader && !entry) {
            checked = true;
            entryLines.clear();
        } else if (key == "@entry") {
            finish();
            entries.emplace_back();
            entry = &entries.back();
            entryLines = line + '\n';
            entryChecked = false;
        } else if (!entry) {
            return false;
        } else if (key == "undone") {
            entry->undone = value == "1";
        } else if (key == "command") {
            entry->command = UnescapeField(value);
        } else if (key == "site") {
            entry->site = UnescapeField(value);
        } else if (key == "home") {
            entry->homePage = UnescapeField(value);
        } else if (key == "server") {
            entry->server = UnescapeField(value);
        } else if (key == "time") {
            entry->time = std::strtoll(value.c_str(), nullptr, 10);
        } else if (key == "step") {
            entry->steps += value + '\n';
        } else if (key == "page") {
            // PATH, stamp, and (since journals carry checksums) the bytes the command left.
            const std::size_t tab = value.find('\t');
            if (tab == std::string::npos) return false;
            const std::size_t second = value.find('\t', tab + 1);
            entry->pages.push_back({UnescapeField(value.substr(0, tab)),
                                    FileStamp::FromText(value.substr(tab + 1, second - tab - 1)),
                                    {},
                                    second == std::string::npos
                                        ? ContentCheck{}
                                        : ContentCheck::FromText(value.substr(second + 1))});
        } else if (key == "splice") {
            if (entry->pages.empty()) return false;
            std::istringstream fields(value);
            Splice splice;
            std::string hex;
            fields >> splice.start >> splice.end >> hex;
            splice.text = BytesOfHex(hex);
            entry->pages.back().undo.push_back(std::move(splice));
        }
    }
    finish();
    return true;
}

bool ECommandJournal::Write(const std::vector<JournalEntry>& entries) const {
    std::string text = std::string(kHeader) + '\n';
    const std::size_t first = entries.size() > kKeep ? entries.size() - kKeep : 0;
    for (std::size_t i = first; i < entries.size(); ++i) {
        const JournalEntry& e = entries[i];
        const std::size_t start = text.size();
        text += "@entry\nundone " + std::string(e.undone ? "1" : "0") + "\ncommand " +
                EscapeField(e.command) + "\nsite " + EscapeField(e.site) + "\nhome " +
                EscapeField(e.homePage) + "\nserver " + EscapeField(e.server) + "\ntime " +
                std::to_string(e.time) + "\n";
        std::istringstream steps(e.steps);
        for (std::string step; std::getline(steps, step);) text += "step " + step + "\n";
        for (const JournalEntry::Page& page : e.pages) {
            text += "page " + EscapeField(page.path) + "\t" + page.stamp.ToText() + "\t" +
                    page.after.ToText() + "\n";
            for (const Splice& s : page.undo)
                text += "splice " + std::to_string(s.start) + " " + std::to_string(s.end) + " " +
                        HexOfBytes(s.text) + "\n";
        }
        text += "check " + ChecksumOf(std::string_view(text).substr(start)) + "\n";
    }
    // Beside the journal, flushed, then renamed over it: the old or the new, never half. A
    // command in progress keeps the old one until it is complete.
    return EWriteAhead::Instance().KeepOld(path_) && WriteFileAtomically(path_, text, 0600);
}

bool ECommandJournal::Add(JournalEntry entry) const {
    const EFileLock lock = Lock();
    std::vector<JournalEntry> entries;
    Read(entries);
    const std::string site = RealPath(entry.site);
    std::erase_if(entries, [&](const JournalEntry& e) { return e.undone && OnSite(e, site); });
    entries.push_back(std::move(entry));
    return Write(entries);
}

void ECommandJournal::Restamp(std::vector<JournalEntry>& entries,
                              const std::vector<std::string>& paths) {
    std::vector<FileStamp> stamps;
    for (const std::string& path : paths) stamps.push_back(StampOf(path));
    // Newest first, each entry knows a file where the entries before it left it: a page
    // renamed by a later command is found under its name of then. Each entry's steps are read
    // and written once, for all the paths.
    std::vector<std::string> known = paths;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->undone) continue;
        ETransferJournal steps;
        steps.Load(it->steps);
        std::unordered_map<std::string_view, std::size_t> pageAt;
        for (std::size_t p = 0; p < it->pages.size(); ++p) pageAt[it->pages[p].path] = p;
        for (std::size_t i = 0; i < known.size(); ++i) {
            steps.Restamp(known[i], stamps[i]);
            if (auto page = pageAt.find(known[i]); page != pageAt.end())
                it->pages[page->second].stamp = stamps[i];
            known[i] = steps.Origin(known[i]);
        }
        it->steps = steps.Save();
    }
}

bool ECommandJournal::OnSite(const JournalEntry& entry, const std::string& folder) {
    return StripTrailingSep(RealPath(entry.site)) == StripTrailingSep(folder);
}

void ECommandJournal::Drop(std::vector<JournalEntry>& entries, std::size_t dropped) {
    ETransferJournal gone;
    gone.Load(entries[dropped].steps);
    const std::vector<MovedPath> moves = gone.Moves(true);
    const std::string site = RealPath(entries[dropped].site);
    for (std::size_t i = 0; i < dropped; ++i) {
        JournalEntry& older = entries[i];
        if (older.undone || !OnSite(older, site)) continue;
        ETransferJournal steps;
        steps.Load(older.steps);
        steps.FollowMoves(moves);
        older.steps = steps.Save();
        for (JournalEntry::Page& page : older.pages) page.path = FollowedPath(page.path, moves);
    }
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(dropped));
}

bool ECommandJournal::Restamp(const std::vector<std::string>& paths) const {
    const EFileLock lock = Lock();
    std::vector<JournalEntry> entries;
    if (!Read(entries)) return false;
    Restamp(entries, paths);
    return Write(entries);
}

}  // namespace tw
