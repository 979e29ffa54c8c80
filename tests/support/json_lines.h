// ReadJsonObjects: a log of one JSON object per line (the bridge's call log, the host's
// transcript).
#pragma once

#include <cstddef>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <vector>

namespace test_support {

// The objects written to `file` from byte `offset` on, one per line; empty
// lines are passed over and a missing file has none.
std::vector<nlohmann::json> ReadJsonObjects(const std::filesystem::path& file,
                                            std::size_t offset = 0);

}  // namespace test_support
