// The report as one self-contained page: inline CSS and SVG, no script and nothing
// fetched from anywhere, a timeline strip per title (green indexed, red not
// indexed, amber failed) beside its latest status, last change and share indexed.
#pragma once

#include <string>
#include <vector>

#include "record/report_model.h"

namespace vorlane::record {

// The page as UTF-8 bytes. `generatedAt` (GBK) says when the report was made.
std::string RenderReportHtml(const std::vector<TitleReport>& titles, const Text& generatedAt);

}  // namespace vorlane::record
