#pragma once
// The start dialog's picture: a map sheet with its frame, drawn by the program.

#include <QPixmap>
#include <QSize>

namespace sheetbasis::ui {

QPixmap paintSheetPicture(const QSize& size);

}  // namespace sheetbasis::ui
