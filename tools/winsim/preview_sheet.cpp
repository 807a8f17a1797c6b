// The preview's contact sheet (index.html) and its text report (marks.txt).
#include <fstream>
#include <sstream>

#include "preview.h"

namespace winsim {

namespace {

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

const Shot* FindShot(const std::vector<Shot>& shots, const std::string& screen, const std::string& language) {
  for (const Shot& shot : shots)
    if (shot.screen == screen && shot.language == language) return &shot;
  return nullptr;
}

std::string Cell(const Shot* shot) {
  if (shot == nullptr) return "<td class=none>not drawn</td>";
  std::ostringstream cell;
  cell << "<td" << (shot->marks.empty() ? "" : " class=marked") << ">";
  if (!shot->file.empty())
    cell << "<a href=\"" << Html(shot->file) << "\"><img src=\"" << Html(shot->file) << "\" loading=lazy></a>";
  if (!shot->problem.empty()) cell << "<p class=problem>" << Html(shot->problem) << "</p>";
  if (!shot->marks.empty()) {
    cell << "<ul>";
    for (const Mark& mark : shot->marks) cell << "<li><b>" << Html(mark.control) << "</b>: " << Html(mark.what);
    cell << "</ul>";
  }
  cell << "</td>";
  return cell.str();
}

}  // namespace

const std::vector<ScreenRow>& ScreenRows() {
  static const std::vector<ScreenRow> rows = {
      {"welcome", "Welcome and language"},
      {"series", "Series selection"},
      {"licence", "Licence agreement"},
      {"install-confirm", "Install confirmation (OEM set-up)"},
      {"install-progress", "Install progress"},
      {"cancel-confirm", "Cancel question"},
      {"cancelled", "Cancelled notice"},
      {"finish-install", "Finish after an install"},
      {"finish-upgrade", "Finish after an upgrade"},
      {"finish-uninstall", "Finish after an uninstall"},
      {"question-older", "Question: an older copy is installed"},
      {"question-same", "Question: this version is installed"},
      {"uninstall-confirm", "Uninstall confirmation"},
      {"uninstall-progress", "Uninstall progress"},
  };
  return rows;
}

bool WriteContactSheet(const std::string& out, const std::string& package, const std::vector<std::string>& languages,
                       const std::vector<Shot>& shots, std::string& error) {
  size_t markCount = 0;
  std::ostringstream report;
  for (const ScreenRow& row : ScreenRows()) {
    for (const std::string& language : languages) {
      const Shot* shot = FindShot(shots, row.id, language);
      if (shot == nullptr) continue;
      if (!shot->problem.empty()) report << language << "\t" << row.id << "\t-\t" << shot->problem << "\n";
      for (const Mark& mark : shot->marks) report << language << "\t" << row.id << "\t" << mark.control << "\t" << mark.what << "\n";
      markCount += shot->marks.size() + (shot->problem.empty() ? 0 : 1);
    }
  }

  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html><head><meta charset=utf-8><title>Screens of " << Html(package) << "</title>\n"
       << "<style>body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
          "th,td{border:1px solid #ccc;padding:4px;vertical-align:top}"
          "th.row{text-align:left;width:9em}img{width:316px;display:block}"
          "td.marked{background:#fdd}td.none{color:#888}ul{margin:4px 0;padding-left:1.2em;max-width:316px;"
          "font-size:small}p.problem{color:#a00;max-width:316px}</style></head><body>\n"
       << "<h1>Screens of " << Html(package) << "</h1>\n<p>" << ScreenRows().size() << " screens x "
       << languages.size() << " languages; " << markCount << " mark(s). A red frame marks a control; "
       << "marks.txt lists them one a line.</p>\n<table>\n<tr><th></th>";
  for (const std::string& language : languages) html << "<th>" << Html(language) << "</th>";
  html << "</tr>\n";
  for (const ScreenRow& row : ScreenRows()) {
    html << "<tr><th class=row>" << Html(row.title) << "</th>";
    for (const std::string& language : languages) html << Cell(FindShot(shots, row.id, language));
    html << "</tr>\n";
  }
  html << "</table>\n</body></html>\n";

  for (const auto& [name, text] : {std::pair<std::string, std::string>{"index.html", html.str()},
                                   std::pair<std::string, std::string>{"marks.txt", report.str()}}) {
    std::ofstream file(out + "/" + name, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.good()) {
      error = "cannot write " + out + "/" + name;
      return false;
    }
  }
  return true;
}

}  // namespace winsim
