#pragma once
// A dialog built from its template with Qt widgets. Each addressed control carries its
// number as object name, so that a driver (tests, the screenshot tool) can find it.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <map>

#include "ui/DialogTemplates.h"
#include "ui/WindowServices.h"

namespace sheetbasis::ui {

// The font of the templates, with look-alike fall-backs where it is not installed.
QFont dialogFont();

// A framed one-line text that may be longer than its box, such as the result folder: both
// ends stay visible with the middle elided, and the whole text is its tooltip.
class ElidedLabel final : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;
    // The text as drawn in the box.
    QString displayedText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A pick-only list whose text stands at the right, that opens on a click and selects by
// typing like the other lists.
class RightAlignedComboBox final : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class QtDialog final : public QDialog, public Dialog {
  public:
    QtDialog(const DialogTemplate& dialogTemplate, QWidget* parent);

    void setList(int control, const std::vector<std::string>& items, int selected) override;
    int listSelection(int control) const override;
    void setText(int control, const std::string& text) override;
    std::string text(int control) const override;
    void setEnabled(int control, bool enabled) override;
    void setHandler(int control, DialogHandler handler) override;
    int showModal() override;

  private:
    QWidget* createControl(const ControlTemplate& control, const QRect& pixels);
    QWidget* createButton(const ControlTemplate& control);
    QWidget* createList(const ControlTemplate& control);
    void raiseEvent(int control, DialogEvent event);
    QComboBox* list(int control) const;

    std::map<int, QWidget*> controls_;
    std::map<int, DialogHandler> handlers_;
};

}  // namespace sheetbasis::ui
