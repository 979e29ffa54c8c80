// Usage events: one form-encoded POST per event to the analytics collection
// endpoint, posted on a thread of its own that the caller joins at once.
#pragma once

#include <string>

namespace services {

// Reports one (category, action) event through the process-wide reporter,
// creating it on first use. Never fails visibly.
void ReportUsage(std::string category, std::string action);

}  // namespace services
