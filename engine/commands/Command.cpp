#include "engine/commands/Command.h"

#include "core/log/Log.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/model/Progress.h"

namespace tw {

bool ECommand::Execute() {
    ++execCount;
    ELog::Instance().WriteLogFile(Serialize());
    abortRequested = false;
    reversed = false;
    return DoIt();
}

bool ECommand::Unexecute() {
    ELog::Instance().WriteLogFile("(Undo)\t" + Serialize());
    abortRequested = false;
    const bool ok = UndoIt();
    // A refused undo leaves the command done, to be undone once the user has seen why.
    if (ok) {
        --execCount;
        undoable = false;
    }
    return ok;
}

std::vector<std::string> ECommand::FieldsOf(std::string_view line) const {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (fields.empty() || fields.front() != GetClassName()) return {};
    return fields;
}

std::string ECommand::NameFor(const std::vector<std::string>& items, int oneId, int manyId) {
    if (items.size() != 1) return std::string(LoadString(manyId));
    return LoadMessage(oneId, {PathName(StripTrailingSep(items.front()))});
}

std::string ECommand::ListLine(const std::string& head,
                               const std::vector<std::string>& items) const {
    std::vector<std::string> fields{head};
    fields.insert(fields.end(), items.begin(), items.end());
    return Joined(GetClassName(), fields);
}

bool ECommand::ReadListLine(std::string_view line, std::string& head,
                            std::vector<std::string>& items, bool headRequired) const {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 3 || (headRequired && fields[1].empty())) return false;
    head = fields[1];
    items.assign(fields.begin() + 2, fields.end());
    return true;
}

void ECommand::ShowFolder(GUIProgress& progress, std::string_view folder) {
    bool cancel = false;
    progress.SetFolder(folder, &cancel);
    if (cancel) abortRequested = true;
}

std::string ECommand::Joined(std::string_view className, const std::vector<std::string>& fields) {
    std::string line(className);
    for (const std::string& field : fields) {
        line += '\t';
        line += field;
    }
    return line;
}

}  // namespace tw
