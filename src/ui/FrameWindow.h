#pragma once
// The application frame window: a multiple-document frame with the program's menu bar and
// one child window that shows the program's standard output.

#include <QMainWindow>
#include <string>

class QMdiArea;
class QPlainTextEdit;

namespace sheetbasis::ui {

class FrameWindow final : public QMainWindow {
  public:
    FrameWindow();

    // Shows a line of the program's standard output in the output window.
    void appendOutput(const std::string& line);

    // The standard commands of the menu items.
    void printActiveWindow();
    void exitProgram();
    void showHelpContents();

  private:
    QMdiArea* area_;
    QPlainTextEdit* output_;
};

// Places the frame window and builds its menu bar: "&Games" with "&TicTacToe" (print), a
// separator and "E&xit", then "&Help" with "&QuickWin Help". Always true.
bool setUpFrameWindow(FrameWindow& frame);

}  // namespace sheetbasis::ui
