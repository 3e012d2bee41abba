// Dialogs from their templates: dialog units, the window's font and frame, the widget of each kind
// of control and the style bits it takes, and labels that grow to their text.

#include "platform/win/DialogBuilder.h"

#include "platform/win/DialogWidget.h"
#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// A push button that shows a bitmap. Its image covers it, and a flat one draws no panel to show the
// focus on, so while it has the focus it draws a focus mark inside its edge, over the image: a
// dotted rectangle of alternating dark and light dots, which shows on any picture (the style's own
// mark, a faint line in the highlight colour, is lost on a coloured one). The keyboard user sees
// which button Enter or Space presses.
class BitmapButton : public QPushButton {
public:
    explicit BitmapButton(QWidget* parent) : QPushButton(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus())
            return;
        constexpr int kInset = 3;
        const QRect mark = rect().adjusted(kInset, kInset, -kInset - 1, -kInset - 1);
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Base), 1));
        painter.drawRect(mark);
        QPen dots(palette().color(QPalette::Text), 1, Qt::CustomDashLine);
        dots.setDashPattern({1, 1});
        painter.setPen(dots);
        painter.drawRect(mark);
    }
};

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
    const QString caption = QString::fromUtf8(control.caption);
    const unsigned style = control.style;
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(caption, parent);
        if (style & kCenter)
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        else
            label->setAlignment((style & kAlignRight ? Qt::AlignRight : Qt::AlignLeft) |
                                Qt::AlignVCenter);
        widget = label;
        break;
    }
    case ControlKind::Edit:
        if ((style & kMultiLine) && (style & kReadOnly)) {
            widget = new OutputView(style, parent); // the output box: millions of lines
        } else if (style & kMultiLine) {
            auto* edit = new QPlainTextEdit(parent);
            edit->setLineWrapMode(style & kAutoHScroll ? QPlainTextEdit::NoWrap
                                                       : QPlainTextEdit::WidgetWidth);
            edit->setVerticalScrollBarPolicy(style & kVScroll ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAsNeeded);
            edit->setTabChangesFocus(true);
            if (!(style & kBorder))
                edit->setFrameStyle(QFrame::NoFrame);
            widget = edit;
        } else {
            auto* line = new QLineEdit(parent);
            line->setReadOnly(style & kReadOnly);
            line->setFrame(style & kBorder);
            widget = line;
        }
        break;
    case ControlKind::PushButton: {
        // A bitmap button shows only its image.
        QPushButton* button =
            style & kBitmap ? new BitmapButton(parent) : new QPushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(style & kDefaultButton);
        button->setFlat(style & kFlat);
        widget = button;
        break;
    }
    case ControlKind::CheckBox:
        widget = new QCheckBox(caption, parent);
        break;
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        widget = bar;
        break;
    }
    }
    if (!(style & kTabStop))
        widget->setFocusPolicy(control.kind == ControlKind::Static ? Qt::NoFocus : Qt::ClickFocus);
    return widget;
}

// A label whose text is wider than its rectangle grows away from its aligned edge rather than
// clipping the text. Lines of a multi-line label take the font's line spacing: it grows downwards
// rather than losing its last line.
void GrowToText(QLabel* label, unsigned style) {
    const int missing = label->sizeHint().width() - label->width();
    if (missing > 0) {
        QRect rect = label->geometry();
        if (style & kCenter)
            rect.adjust(-missing / 2, 0, missing - missing / 2, 0);
        else if (style & kAlignRight)
            rect.setLeft(rect.left() - missing);
        else
            rect.setRight(rect.right() + missing);
        label->setGeometry(rect);
    }
    const int below = label->sizeHint().height() - label->height();
    if (label->text().contains(QLatin1Char('\n')) && below > 0)
        label->resize(label->width(), label->height() + below);
}

// What assistive technology calls a control (see ControlTemplate); empty where the toolkit says it
// already, from the text the control shows, so that a caption changed later is followed.
QString AccessibleName(const ControlTemplate& control, const ControlTemplate* previous) {
    if (control.name != nullptr)
        return QString::fromUtf8(control.name);
    switch (control.kind) {
    case ControlKind::Edit:
        if (previous != nullptr &&
            (previous->kind == ControlKind::Static || previous->kind == ControlKind::CheckBox))
            return QString::fromUtf8(previous->caption);
        return {};
    case ControlKind::PushButton:
        // A bitmap button shows its image, not its caption.
        return control.style & kBitmap ? QString::fromUtf8(control.caption) : QString();
    case ControlKind::ProgressBar:
        return QString::fromUtf8(control.caption);
    default:
        return {};
    }
}

} // namespace

QFont DialogFont(const char* face, int points, double dpi) {
    QFont font;
    font.setFamilies({QString::fromUtf8(face), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(std::max(1, int(std::lround(points * dpi / 72))));
    return font;
}

DialogUnits UnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width52 = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int average = (width52 / 26 + 1) / 2;
    const QFontMetricsF exact(font);
    const double cell = std::ceil(exact.ascent()) + std::ceil(exact.descent());
    return {average / 4.0, cell / 8.0};
}

DialogUnits ShapeDialogWindow(QDialog& window, const DialogTemplate& dialogTemplate) {
    window.setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    const QScreen* screen = window.screen();
    window.setFont(DialogFont(dialogTemplate.fontFace, dialogTemplate.fontPoints,
                              screen ? screen->logicalDotsPerInchY() : 96.0));
    const DialogUnits units = UnitsOf(window.font());
    window.resize(units.ToX(dialogTemplate.cx), units.ToY(dialogTemplate.cy));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.resizable)
        flags |= Qt::WindowMinMaxButtonsHint;
    else
        window.setFixedSize(window.size());
    window.setWindowFlags(flags);
    window.setSizeGripEnabled(false);
    return units;
}

std::vector<QWidget*> CreateControls(DialogWidget& window, HWND dialog,
                                     const DialogTemplate& dialogTemplate,
                                     const DialogUnits& units) {
    QWidget* previous = nullptr;
    std::vector<QWidget*> controls;
    const ControlTemplate* before = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* child = CreateControl(control, &window);
        if (const QString name = AccessibleName(control, before); !name.isEmpty())
            child->setAccessibleName(name);
        // A label just before an edit is its label: the edit is its buddy.
        if (auto* label = controls.empty() ? nullptr : qobject_cast<QLabel*>(controls.back());
            label && control.kind == ControlKind::Edit)
            label->setBuddy(child);
        before = &control;
        controls.push_back(child);
        child->setGeometry(units.ToX(control.x), units.ToY(control.y), units.ToX(control.cx),
                           units.ToY(control.cy));
        child->setVisible(control.visible);
        if (auto* label = qobject_cast<QLabel*>(child))
            GrowToText(label, control.style);
        WindowRecord record;
        record.widget = child;
        record.id = control.id;
        record.parent = dialog;
        const HWND handle = RegisterWindow(record);
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            DialogWidget* const target = &window;
            const int id = control.id;
            QObject::connect(button, &QAbstractButton::clicked, target,
                             [target, id, handle] { target->Command(id, LPARAM(handle)); });
        }
        if (previous != nullptr && child->focusPolicy() != Qt::NoFocus)
            QWidget::setTabOrder(previous, child);
        if (child->focusPolicy() != Qt::NoFocus)
            previous = child;
    }
    return controls;
}

} // namespace platform
