#include "ui/StartDialog.h"

namespace sheetbasis::ui {

void showStartDialog(WindowServices& services) {
    const auto dialog = services.loadDialog(DIALOG_START);
    if (dialog) dialog->showModal();
}

}  // namespace sheetbasis::ui
