// The report of each run mode, one factory per report family.
#pragma once

#include <memory>

#include "driver/report.hpp"

namespace tarvix {

std::unique_ptr<Report> make_label_listing(const RunContext& context);

}  // namespace tarvix
