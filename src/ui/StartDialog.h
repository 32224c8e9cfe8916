#pragma once
// The start dialog (template 106) shown before the main dialog of an interactive run.

#include "ui/WindowServices.h"

namespace sheetbasis::ui {

// Shows the start dialog until the user presses "Продолжить"; a template that cannot be
// loaded is skipped silently.
void showStartDialog(WindowServices& services);

}  // namespace sheetbasis::ui
