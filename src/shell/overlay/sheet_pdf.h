// SPDX-License-Identifier: MIT
// An overlay's sheet as a printable PDF: the application's icon and name, then its sections
// flowing down several columns, page after page.
#pragma once

#include <QIcon>
#include <QPageSize>
#include <QString>

#include "export/sheet_export.h"

namespace tavrine::qt {

// Letter where the system measures in US units, A4 elsewhere.
QPageSize::PageSizeId defaultSheetPageSize();

// Writes `sheet` to `path`; false when the file cannot be written. Black on white, for paper.
bool writeSheetPdf(const exported::Document& sheet, const QIcon& icon, const QString& path,
                   QPageSize::PageSizeId pageSize = defaultSheetPageSize(), int columns = 3);

}  // namespace tavrine::qt
