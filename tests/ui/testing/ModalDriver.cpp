#include "ui/testing/ModalDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "ui/WindowServices.h"

namespace sheetbasis::ui {

namespace {

// Interval between two looks for the awaited window, in ms.
constexpr int POLL_INTERVAL_MS = 20;

template <class Widget>
Widget* control(QWidget* dialog, int id) {
    return dialog->findChild<Widget*>(QString::number(id));
}

}  // namespace

ModalDriver::ModalDriver() = default;

void ModalDriver::on(const QString& windowName, Action action) {
    steps_.emplace_back(windowName, std::move(action));
    schedule();
}

QStringList ModalDriver::failures() const {
    QStringList all = failures_;
    for (const auto& step : steps_) all << QStringLiteral("not shown: ") + step.first;
    return all;
}

void ModalDriver::schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // A fresh single-shot timer fires inside any modal loop that an action opens.
    QTimer::singleShot(POLL_INTERVAL_MS, this, [this] { poll(); });
}

void ModalDriver::poll() {
    scheduled_ = false;
    QWidget* window = QApplication::activeModalWidget();
    const bool shown = window && window->isVisible();
    if (shown && !steps_.empty() && window->objectName() == steps_.front().first) {
        auto action = std::move(steps_.front().second);
        steps_.pop_front();
        waitedMs_ = 0;
        schedule();
        action(window);
        return;
    }
    waitedMs_ = shown || !steps_.empty() ? waitedMs_ + POLL_INTERVAL_MS : 0;
    if (waitedMs_ >= STEP_TIMEOUT_MS) giveUp(window);
    schedule();
}

void ModalDriver::giveUp(QWidget* window) {
    // A window that no step answers (an action failed half-way, or the program showed
    // something unexpected) is closed, so that the program can go on to its end.
    const QString name = window ? window->objectName() : QStringLiteral("(none)");
    failures_ << (steps_.empty() ? QStringLiteral("unanswered window ") + name
                                 : QStringLiteral("waiting for ") + steps_.front().first +
                                       QStringLiteral(" while showing ") + name);
    steps_.clear();
    waitedMs_ = 0;
    if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->reject();
}

void clickControl(QWidget* dialog, int id) {
    if (auto* button = control<QPushButton>(dialog, id)) button->click();
}

void selectItem(QWidget* dialog, int id, int item) {
    if (auto* combo = control<QComboBox>(dialog, id)) combo->setCurrentIndex(item - 1);
}

void typeText(QWidget* dialog, int id, const QString& text) {
    if (auto* edit = control<QLineEdit>(dialog, id)) edit->setText(text);
    if (auto* label = control<QLabel>(dialog, id)) label->setText(text);
}

QString controlText(QWidget* dialog, int id) {
    if (auto* edit = control<QLineEdit>(dialog, id)) return edit->text();
    if (auto* label = control<QLabel>(dialog, id)) return label->text();
    if (auto* combo = control<QComboBox>(dialog, id)) return combo->currentText();
    return {};
}

void acceptWindow(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        box->button(QMessageBox::Ok)->click();
        return;
    }
    clickControl(window, BUTTON_OK);
}

}  // namespace sheetbasis::ui
