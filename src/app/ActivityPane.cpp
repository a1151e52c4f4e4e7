#include "app/ActivityPane.h"

#include <exception>

#include "app/UFrmVeskCommStartup.h"
#include "log/DailyLog.h"

namespace vesk {

void ActivityPane::add(MainWindowView& view, const std::string& line) {
    view.paneInsertTop(line);
    ++lines_;
    if (lines_ <= kMaxLines)
        return;
    try {
        view.paneRemoveOldest(lines_ - kLinesAfterCut);
        lines_ = kLinesAfterCut;
    } catch (const std::exception&) {
        // The pane keeps its lines; the next report finds it over the limit and cuts again.
    }
}

void TFrmVeskCommStartup::ShowMsg(const std::string& text) {
    activityPane_.add(ports_.view,
                      formatLocalTime(ports_.clock.now(), "yy-MM-dd HH:mm:ss ") + text);
    WriteLogEx(text, kStartupLogCategory, true);
}

}  // namespace vesk
