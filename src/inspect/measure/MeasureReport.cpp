#include "inspect/measure/MeasureReport.h"

#include <algorithm>

bool MeasureReport::passed() const
{
    return std::all_of(checks.begin(), checks.end(), [](const LimitCheck& c) { return c.passed; });
}

std::vector<std::string> MeasureReport::failedNames() const
{
    std::vector<std::string> names;
    for (const LimitCheck& c : checks) {
        if (!c.passed && std::find(names.begin(), names.end(), c.name) == names.end()) names.push_back(c.name);
    }
    return names;
}
