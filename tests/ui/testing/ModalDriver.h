#pragma once
// Answers the program's modal windows in place of a user: each step waits until the modal
// window with the given object name is shown ("dialog101", "messageBox", "fileDialog")
// and then acts on it. Used by the tests of the interactive mode and by the screenshot
// tool, which both run the real dialogs.

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QWidget;

namespace sheetbasis::ui {

class ModalDriver final : public QObject {
  public:
    using Action = std::function<void(QWidget*)>;

    // How long a step waits for its window, or a window for its step, before the driver
    // gives up, in ms.
    static constexpr int STEP_TIMEOUT_MS = 5000;

    ModalDriver();

    // Appends a step; the driver starts with the first one on its own and keeps watching
    // for unanswered windows as long as it exists.
    void on(const QString& windowName, Action action);
    // Steps not reached, and windows that did not come in time.
    QStringList failures() const;

  private:
    void poll();
    void schedule();
    void giveUp(QWidget* window);

    std::deque<std::pair<QString, Action>> steps_;
    QStringList failures_;
    int waitedMs_ = 0;
    bool scheduled_ = false;
};

// Helpers to act on a dialog's controls by number.
void clickControl(QWidget* dialog, int control);
void selectItem(QWidget* dialog, int control, int item);
void typeText(QWidget* dialog, int control, const QString& text);
QString controlText(QWidget* dialog, int control);
// Closes a message box or a dialog as its OK button would.
void acceptWindow(QWidget* window);

}  // namespace sheetbasis::ui
