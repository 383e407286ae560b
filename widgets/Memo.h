// A multi-line text box read and written as lines (a line ends at CR, LF or CR LF).
#pragma once

#include <string>
#include <vector>

#include "StdControls.h"

namespace widgets {

class TMemo : public TEdit {
  public:
    bool Create(HWND parent, bool readOnly = false);

    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);
    // Appends one line at the end and scrolls it into view.
    void AddLine(const std::string& line);
    // Appends text (lines with their line breaks) at the end and scrolls it into view.
    void AppendText(const std::string& text);
    void Clear();
    int LineCount() const { return static_cast<int>(Lines().size()); }
};

// The lines of a text as the memo shows them: a final line break adds no empty line.
std::vector<std::string> TextToLines(const std::string& text);
std::string LinesToText(const std::vector<std::string>& lines);

}  // namespace widgets
