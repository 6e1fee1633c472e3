// The list as a file for someone else: 导出列表... writes every row with its
// verdict, as CSV (UTF-8 with a BOM, so a spreadsheet reads the Chinese) or as GBK
// text with tab-separated columns.
#pragma once

#include <string>

#include "check/product_list.h"
#include "text/text.h"

namespace vorlane::check {

// The file's bytes: a header line, then one line per row, each ended by CR LF.
// Columns 序号,宝贝全称,收录状态,宝贝个数,收录时间,原因. A field a spreadsheet would
// run as a formula is written as text (text/csv_field.h); a control character in a
// title becomes a space, so that every row stays one line of the file.
std::string ExportListBytes(const ProductList& list, ExportFormat format);

// Writes the export into a new file beside `path` and puts it in place in one
// step: the file at `path` is the old one or the new one, never part of either.
// False when it could not be written; the old file is then as it was.
bool WriteListExport(const ProductList& list, const Text& path, ExportFormat format);

}  // namespace vorlane::check
