#include "ui/QtDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>

#include "ui/SheetPicture.h"

namespace sheetbasis::ui {

namespace {

// The templates' font is MS Sans Serif 8 pt; Nimbus Sans and DejaVu Sans stand in for it
// where it is missing, both with Cyrillic letters.
constexpr int DIALOG_FONT_POINTS = 8;
// The average character width of the dialog font is taken over the Latin alphabet.
constexpr const char* AVERAGE_WIDTH_SAMPLE = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// Labels taller than one line and a half wrap their text; shorter ones are one line.
constexpr int WRAPPING_LABEL_HEIGHT = 12;

struct DialogUnits {
    int baseX;
    int baseY;

    int x(int units) const {
        return dialogUnitsToPixels(units, baseX, HORIZONTAL_UNITS_PER_CHARACTER);
    }
    int y(int units) const {
        return dialogUnitsToPixels(units, baseY, VERTICAL_UNITS_PER_CHARACTER);
    }
    QRect toPixels(const DialogUnitRect& r) const {
        return {x(r.x), y(r.y), x(r.width), y(r.height)};
    }
};

DialogUnits unitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString sample = QString::fromLatin1(AVERAGE_WIDTH_SAMPLE);
    const auto sampleLength = static_cast<int>(sample.size());
    // Rounded average width, as the window system computes its base unit.
    const int average = (2 * metrics.horizontalAdvance(sample) + sampleLength) / (2 * sampleLength);
    return {average, metrics.height()};
}

QString toQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* createLabel(const ControlTemplate& control, QWidget* parent) {
    auto* label = control.kind == ControlKind::FramedLabel
                      ? new ElidedLabel(toQt(control.text), parent)
                      : new QLabel(toQt(control.text), parent);
    // Labels show program texts and the chosen folder, which may look like markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(control.rect.height >= WRAPPING_LABEL_HEIGHT);
    switch (control.kind) {
        case ControlKind::CentredLabel:
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            break;
        case ControlKind::FramedLabel:
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
            break;
        case ControlKind::SunkenLabel:
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            break;
        default:
            break;
    }
    return label;
}

QLineEdit* createField(const ControlTemplate& control, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    if (control.kind == ControlKind::ReadOnlyField) {
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setFocusPolicy(Qt::NoFocus);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
    return edit;
}

// Places a control at its template position. One-line controls get at least the height
// their font needs, and one-line labels the width of their text, so nothing is cut off.
void place(QWidget* widget, const ControlTemplate& control, QRect pixels) {
    const auto kind = control.kind;
    const bool oneLineLabel =
        kind == ControlKind::Label && !qobject_cast<QLabel*>(widget)->wordWrap();
    const bool dropDown = kind == ControlKind::DropDown || kind == ControlKind::RightDropDown;
    if (oneLineLabel) pixels.setWidth(std::max(pixels.width(), widget->sizeHint().width()));
    if (dropDown) pixels.setHeight(widget->sizeHint().height());
    if (oneLineLabel || kind == ControlKind::EditField || kind == ControlKind::ReadOnlyField) {
        pixels.setHeight(std::max(pixels.height(), widget->minimumSizeHint().height()));
    }
    widget->setGeometry(pixels);
}

}  // namespace

QString ElidedLabel::displayedText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    painter.drawText(contentsRect(), static_cast<int>(alignment()), displayedText());
}

void RightAlignedComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setPen(option.palette.color(QPalette::ButtonText));
    painter.drawText(field, Qt::AlignRight | Qt::AlignVCenter, option.currentText);
}

QFont dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(DIALOG_FONT_POINTS);
    return font;
}

QtDialog::QtDialog(const DialogTemplate& dialogTemplate, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dialog%1").arg(dialogTemplate.id));
    setFont(dialogFont());
    if (dialogTemplate.captionBar) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
        setWindowTitle(toQt(dialogTemplate.title));
    } else {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    }
    const auto units = unitsOf(font());
    setFixedSize(units.x(dialogTemplate.width), units.y(dialogTemplate.height));
    if (!dialogTemplate.captionBar) {
        // Without a caption bar the modal frame is all that sets the dialog off.
        auto* border = new QFrame(this);
        border->setFrameStyle(QFrame::Panel | QFrame::Raised);
        border->setLineWidth(2);
        border->setGeometry(rect());
    }
    for (const auto& control : dialogTemplate.controls) {
        const QRect pixels = units.toPixels(control.rect);
        QWidget* widget = createControl(control, pixels);
        place(widget, control, pixels);
        if (control.id != CONTROL_NONE) {
            widget->setObjectName(QString::number(control.id));
            controls_[control.id] = widget;
        }
    }
}

QWidget* QtDialog::createControl(const ControlTemplate& control, const QRect& pixels) {
    switch (control.kind) {
        case ControlKind::Label:
        case ControlKind::CentredLabel:
        case ControlKind::FramedLabel:
        case ControlKind::SunkenLabel:
            return createLabel(control, this);
        case ControlKind::Frame:
            return new QGroupBox(toQt(control.text), this);
        case ControlKind::DropDown:
        case ControlKind::RightDropDown:
            return createList(control);
        case ControlKind::Button:
        case ControlKind::DefaultButton:
            return createButton(control);
        case ControlKind::ReadOnlyField:
        case ControlKind::EditField:
            return createField(control, this);
        case ControlKind::Picture: {
            auto* picture = new QLabel(this);
            picture->setPixmap(paintSheetPicture(pixels.size()));
            return picture;
        }
    }
    return new QWidget(this);
}

QWidget* QtDialog::createButton(const ControlTemplate& control) {
    auto* button = new QPushButton(toQt(control.text), this);
    button->setDefault(control.kind == ControlKind::DefaultButton);
    button->setAutoDefault(control.kind == ControlKind::DefaultButton);
    const int id = control.id;
    if (id == BUTTON_OK || id == BUTTON_CANCEL) {
        connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
    } else {
        connect(button, &QPushButton::clicked, this,
                [this, id] { raiseEvent(id, DialogEvent::Clicked); });
    }
    return button;
}

QWidget* QtDialog::createList(const ControlTemplate& control) {
    auto* combo = control.kind == ControlKind::RightDropDown ? new RightAlignedComboBox(this)
                                                             : new QComboBox(this);
    const int id = control.id;
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, id] { raiseEvent(id, DialogEvent::SelectionChanged); });
    return combo;
}

void QtDialog::raiseEvent(int control, DialogEvent event) {
    const auto found = handlers_.find(control);
    if (found != handlers_.end()) found->second(*this, control, event);
}

QComboBox* QtDialog::list(int control) const {
    const auto found = controls_.find(control);
    return found == controls_.end() ? nullptr : qobject_cast<QComboBox*>(found->second);
}

void QtDialog::setList(int control, const std::vector<std::string>& items, int selected) {
    auto* combo = list(control);
    if (!combo) return;
    const QSignalBlocker programChange(combo);
    combo->clear();
    for (const auto& item : items) combo->addItem(toQt(item));
    if (qobject_cast<RightAlignedComboBox*>(combo)) {
        for (int i = 0; i < combo->count(); ++i) {
            combo->setItemData(i, Qt::AlignRight, Qt::TextAlignmentRole);
        }
    }
    combo->setCurrentIndex(selected - 1);
}

int QtDialog::listSelection(int control) const {
    const auto* combo = list(control);
    return combo ? combo->currentIndex() + 1 : 0;
}

void QtDialog::setText(int control, const std::string& text) {
    const auto found = controls_.find(control);
    if (found == controls_.end()) return;
    QWidget* widget = found->second;
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(toQt(text));
    if (auto* elided = qobject_cast<ElidedLabel*>(widget)) elided->setToolTip(toQt(text));
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(toQt(text));
        edit->setCursorPosition(0);
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) button->setText(toQt(text));
}

std::string QtDialog::text(int control) const {
    const auto found = controls_.find(control);
    if (found == controls_.end()) return {};
    const QWidget* widget = found->second;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text().toStdString();
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        return button->text().toStdString();
    }
    return {};
}

void QtDialog::setEnabled(int control, bool enabled) {
    const auto found = controls_.find(control);
    if (found != controls_.end()) found->second->setEnabled(enabled);
}

void QtDialog::setHandler(int control, DialogHandler handler) {
    handlers_[control] = std::move(handler);
}

int QtDialog::showModal() {
    // Brought to the foreground once shown; exec() itself shows the dialog, and must be
    // the one to, for the modality to take effect.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
    return exec();
}

}  // namespace sheetbasis::ui
