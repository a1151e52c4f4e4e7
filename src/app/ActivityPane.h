#pragma once

#include <string>

#include "app/MainWindowView.h"

namespace vesk {

// Keeps the count of the activity pane's lines, newest on top. The pane is cut back in one
// batch, and well below its limit, so a cut costs something only once every few hundred lines.
class ActivityPane {
  public:
    static constexpr int kMaxLines = 500;
    static constexpr int kLinesAfterCut = 201;

    // Puts the line on top of the pane; past kMaxLines the oldest lines go until
    // kLinesAfterCut remain.
    void add(MainWindowView& view, const std::string& line);

    int lineCount() const { return lines_; }

  private:
    int lines_ = 0;
};

}  // namespace vesk
