#include "engine/report/ReportPasses.h"

#include <cmath>

#include "core/log/Log.h"
#include "core/log/Section.h"
#include "core/strings/Strings.h"
#include "engine/model/Node.h"

namespace tw {
namespace {

constexpr int kBrokenLinks = 28435, kInFile = 28680, kExternalPlain = 28438, kExternalHtml = 28439,
              kMailtoPlain = 28440, kMailtoHtml = 28441, kRepeated = 28692, kNoExternal = 28717,
              kNoMailto = 28718, kDownloadTimes = 28442, kTimesNote = 28723, kExternalMark = 28727,
              kBrokenMark = 28728, kSizesFor = 28725, kRow = 28732;

int RoundedUp(std::uint64_t bytes, double perSecond) {
    return static_cast<int>(std::ceil(static_cast<double>(bytes) / perSecond));
}

}  // namespace

// ---- EReportBrokenLinks ----

EReportBrokenLinks::EReportBrokenLinks() {
    section = ELog::Instance().OpenSection(kBrokenLinks);
}

EReportBrokenLinks::~EReportBrokenLinks() {
    ELog::Instance().CloseSection(section);
}

bool EReportBrokenLinks::VisitHtml(EHtmlNode* page) {
    bool written = false;
    for (const EUrl& url : page->Urls()) {
        if (!url.IsBroken()) continue;
        if (!written) {
            section->EndLine();
            section->WriteRes(kInFile);
            section->WriteFileRefLine(page->GetPath());
            written = true;
        }
        section->WriteLineAt(static_cast<int>(url.line), section->Escape(url.text));
    }
    if (written) ++count;
    return written;
}

// ---- EReportExternal ----

EReportExternal::EReportExternal(int kind) : kind_(kind) {
    ELog& log = ELog::Instance();
    section = log.OpenSection(kind == kExternal ? kExternalPlain : kMailtoPlain);
    htmlSection_ = log.OpenSection(kind == kExternal ? kExternalHtml : kMailtoHtml);
}

EReportExternal::~EReportExternal() {
    if (count == 0) {
        const int none = kind_ == kExternal ? kNoExternal : kNoMailto;
        for (ESection* s : {section, htmlSection_}) {
            s->EndLine();
            s->WriteResLine(none);
        }
    }
    ELog::Instance().CloseSection(section);
    ELog::Instance().CloseSection(htmlSection_);
}

bool EReportExternal::VisitHtml(EHtmlNode* page) {
    bool written = false;
    for (const EUrl& url : page->Urls()) {
        // Exactly "mailto:": a scheme written in capitals counts as an external URL.
        if (!url.IsExternal() || url.text.starts_with("mailto:") != (kind_ == kMailto)) continue;
        const int line = static_cast<int>(url.line);
        const std::string text = htmlSection_->Escape(url.text);
        if (!written) {
            section->EndLine();
            section->WriteRes(kInFile);
            section->WriteFileRefLine(page->GetPath());
            htmlSection_->EndLine();
            htmlSection_->Write("<b>");
            htmlSection_->WriteRes(kInFile);
            htmlSection_->WriteFileRefLine(page->GetPath());
            htmlSection_->WriteLine("</b>");
            written = true;
        }
        section->WriteLineAt(line, section->Escape(url.text));
        if (listed_.count(url.text)) {
            htmlSection_->WriteAt(line, text);
            htmlSection_->WriteResLine(kRepeated);
        } else {
            htmlSection_->WriteLineAt(line, "<a href=\"" + text + "\">" + text + "</a>");
            listed_.insert(url.text);
        }
    }
    if (written) ++count;
    return written;
}

// ---- EReportDownloadTimes ----

namespace {

// Frames within frames are followed only so deep: a frameset that holds itself (directly or
// through others) would never end.
constexpr int kFrameDepth = 8;

PageWeight WeightAt(EHtmlNode& page, bool withFrames, int depth);

}  // namespace

PageWeight EmbeddedWeight(EHtmlNode& page, bool withFrames) {
    return WeightAt(page, withFrames, 0);
}

namespace {

PageWeight WeightAt(EHtmlNode& page, bool withFrames, int depth) {
    PageWeight weight;
    weight.bytes = static_cast<std::uint64_t>(std::max<std::int64_t>(page.GetFileSize(), 0));
    for (const EUrl& url : page.Urls()) {
        if (!url.IsEmbedded()) continue;
        if (url.IsExternal()) {
            weight.externalEmbedded = true;
        } else if (!url.target) {
            weight.brokenEmbedded = true;
        } else if (!url.Has(EUrl::kInFrame)) {
            weight.bytes +=
                static_cast<std::uint64_t>(std::max<std::int64_t>(url.target->GetFileSize(), 0));
        } else if (withFrames && depth < kFrameDepth) {
            if (auto* framed = dynamic_cast<EHtmlNode*>(url.target))
                weight.bytes += WeightAt(*framed, true, depth + 1).bytes;
        }
    }
    return weight;
}

}  // namespace

EReportDownloadTimes::EReportDownloadTimes(ENode* homePage) : homePage_(homePage) {
    section = ELog::Instance().OpenSection(kDownloadTimes);
    section->WriteResLine(kTimesNote);
    section->EndLine();
    section->WriteResLine(kExternalMark);
    section->WriteResLine(kBrokenMark);
    section->EndLine();
    section->WriteResLine(kSizesFor);
    section->EndLine();
    section->Write("<SCRIPT LANGUAGE=\"JavaScript\">\n");
    section->Write(
        "var buttons = new "
        "Array(\"KBytes\",\"@14.4\",\t\t\t\t\t\t\t\"@28.8\",\"@33.6\",\"@56\",\"Filename\")\n");
    section->Write("var data = new Array(\n");
}

bool EReportDownloadTimes::VisitHtml(EHtmlNode* page) {
    if (!page->IsHtml()) return false;
    const PageWeight w = EmbeddedWeight(*page, false);
    std::string name;
    name += w.brokenEmbedded ? '!' : ' ';
    name += w.externalEmbedded ? '*' : ' ';
    // The name lands in a script string whose text the table writes into the page: it is
    // escaped as HTML first (no "<" can end the script or open an element), then as a string.
    for (char c : EscapeHtml(page->GetPath())) {
        if (c == '\\' || c == '"') name += '\\';
        name += c;
    }
    if (count > 0) section->Write(",\n");
    section->Write(FormatPrintf(std::string(LoadString(kRow)).c_str(), RoundedUp(w.bytes, 1024),
                                RoundedUp(w.bytes, 1800), RoundedUp(w.bytes, 3600),
                                RoundedUp(w.bytes, 4200), RoundedUp(w.bytes, 7000), name.c_str()));
    if (page == homePage_) homeRow_ = count;
    ++count;
    return true;
}

EReportDownloadTimes::~EReportDownloadTimes() {
    section->Write(")\n");
    section->Write(FormatPrintf(
        "var table = new SortableTable(\"times\", %d, 6, 1,\"100%%\",\"LEFT\")\n", count));
    section->Write("table.setData(data)\n");
    if (homeRow_ >= 0)
        for (int column = 0; column < 6; ++column)
            section->Write(FormatPrintf("table.setAttributes (%d, %d,'BGCOLOR=\"lime\"')\n",
                                        homeRow_, column));
    section->Write("table.setButtons(buttons)\n");
    for (int column = 0; column < 5; ++column)
        section->Write(FormatPrintf("table.setNumeric(%d)\n", column));
    section->Write("table.display()\n");
    section->Write("</SCRIPT>\n");
    ELog::Instance().CloseSection(section);
}

// ---- EClearCachedTags ----

bool EClearCachedTags::VisitHtml(EHtmlNode* page) {
    page->ClearTags();
    page->ClearUrls();
    return true;
}

}  // namespace tw
