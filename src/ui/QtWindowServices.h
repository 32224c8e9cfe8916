#pragma once
// The window services on the Qt toolkit: dialogs from the built-in templates, message boxes
// and the file dialog owned by the frame window, output lines shown in its output window.

#include "ui/WindowServices.h"

namespace sheetbasis::ui {

class FrameWindow;

class QtWindowServices final : public WindowServices {
  public:
    explicit QtWindowServices(FrameWindow* frame) : frame_(frame) {}

    std::unique_ptr<Dialog> loadDialog(int templateId) override;
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    void writeLine(const std::string& line) override;
    void endProcess(ExitCode exitCode) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;

  private:
    FrameWindow* frame_;
};

}  // namespace sheetbasis::ui
