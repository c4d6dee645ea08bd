#pragma once
// Shows the notices a command of a view model returned, in order.
#include <platform/Notice.h>

#include <vector>

namespace merlin::ui {

inline void showNotices(const std::vector<platform::Notice>& notices)
{
    for (const platform::Notice& notice : notices)
        platform::show(notice);
}

}  // namespace merlin::ui
