#include "platform/win/Win.h"

#include "platform/os/Memory.h"
#include "platform/os/WindowModule.h"
#include "platform/win/Gdi.h"
#include "platform/win/OutputView.h"
#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The dialog window: routes keys, button clicks and the close box to the dialog's commands.
class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog* dialog, QWidget* parent) : QDialog(parent), m_pDialog(dialog) {}

    // Every command from the user reaches the dialog here. Until the dialog is set up (its
    // OnInitDialog has returned) a command waits, as input waits in a window system's queue,
    // so that no handler sees controls that are not filled yet.
    void Command(int id, LPARAM control) {
        if (!m_bSetUp) {
            m_waiting.emplace_back(id, control);
            return;
        }
        m_pDialog->WindowProc(WM_COMMAND, MAKEWPARAM(unsigned(id), BN_CLICKED), control);
    }
    // The dialog is set up: commands are handed over from now on. Returns those that waited, in
    // their order.
    std::vector<std::pair<int, LPARAM>> FinishSetUp() {
        m_bSetUp = true;
        return std::exchange(m_waiting, {});
    }
    bool IsSetUp() const { return m_bSetUp; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
            } else {
                Command(IDOK, 0);
            }
            return;
        case Qt::Key_Escape:
            Command(IDCANCEL, 0);
            return;
        default:
            QDialog::keyPressEvent(event);
        }
    }
    // The dialog paints through WM_PAINT; what it draws while the window system is painting it
    // reaches the screen.
    void paintEvent(QPaintEvent* /*event*/) override {
        QWidget* const outer = std::exchange(PaintingWidget(), this);
        DispatchToDialog(m_pDialog, WM_PAINT, 0, 0);
        PaintingWidget() = outer;
    }
    void resizeEvent(QResizeEvent* event) override {
        QDialog::resizeEvent(event);
        DialogGeometryChanged(m_pDialog, this, GeometryChange::Size);
    }
    void moveEvent(QMoveEvent* event) override {
        QDialog::moveEvent(event);
        DialogGeometryChanged(m_pDialog, this, GeometryChange::Move);
    }
    void changeEvent(QEvent* event) override {
        QDialog::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange)
            DialogGeometryChanged(m_pDialog, this, GeometryChange::State);
    }
    void closeEvent(QCloseEvent* event) override {
        // The close box is a cancel command; the dialog decides whether it ends.
        event->ignore();
        Command(IDCANCEL, 0);
    }

private:
    CDialog* m_pDialog;
    bool m_bSetUp = false;
    std::vector<std::pair<int, LPARAM>> m_waiting;
};

// Pixels per dialog unit, from the dialog font: x is the average character width / 4, y the
// character height / 8.
struct DialogUnits {
    double x;
    double y;
    int ToX(int units) const { return int(units * x + 0.5); }
    int ToY(int units) const { return int(units * y + 0.5); }
};

DialogUnits UnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width52 = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int average = (width52 / 26 + 1) / 2;
    return {average / 4.0, metrics.height() / 8.0};
}

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    QFont font;
    // Faces of other systems fall back to a close sans face here.
    font.setFamilies({QString::fromUtf8(dialogTemplate.fontFace), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(dialogTemplate.fontPoints);
    return font;
}

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
        auto* button = new QPushButton(style & kBitmap ? QString() : caption, parent);
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

} // namespace

bool IsSettingUp(const QWidget* window) {
    const auto* dialog = dynamic_cast<const DialogWidget*>(window);
    return dialog != nullptr && !dialog->IsSetUp();
}

bool SendMessageChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT answer = 0;
    const bool found = WithWindow(window, [&](WindowRecord& record) {
        answer = record.dialog ? DispatchToDialog(record.dialog, message, wParam, lParam)
                               : ControlMessage(record, message, wParam, lParam);
    });
    if (result)
        *result = answer;
    return found;
}

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    WithWindow(window, [&](WindowRecord& record) {
        answer = ControlMessage(record, message, wParam, lParam);
    });
    return answer;
}

} // namespace platform

using namespace platform;

// ---- CWnd ----------------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    SendMessageChecked(m_hWnd, message, wParam, lParam, &result);
    return result;
}

// ---- CDialog -------------------------------------------------------------------------------

struct CDialog::Impl {
    std::unique_ptr<DialogWidget> widget;
    HWND parent = 0;
    std::optional<int> ended;   // the result, once EndDialog has been called
    QEventLoop* loop = nullptr; // the modal loop while it runs
};

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_pImpl(std::make_unique<Impl>()), m_nTemplateId(templateId) {
    m_pImpl->parent = parent ? parent->GetSafeHwnd() : 0;
}

CDialog::~CDialog() {
    if (m_hWnd != 0)
        UnregisterWindow(m_hWnd);
}

void* CDialog::NativeWindow() const {
    return m_pImpl->widget.get();
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(m_nTemplateId);
    if (dialogTemplate == nullptr || !EnsureGuiApplication())
        return -1;

    m_pImpl->widget = std::make_unique<DialogWidget>(this, WidgetOf(m_pImpl->parent));
    DialogWidget* widget = m_pImpl->widget.get();
    widget->setWindowTitle(QString::fromUtf8(dialogTemplate->caption));
    widget->setFont(DialogFont(*dialogTemplate));
    const DialogUnits units = UnitsOf(widget->font());
    widget->resize(units.ToX(dialogTemplate->cx), units.ToY(dialogTemplate->cy));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate->resizable)
        flags |= Qt::WindowMinMaxButtonsHint;
    else
        widget->setFixedSize(widget->size());
    widget->setWindowFlags(flags);
    widget->setSizeGripEnabled(false);

    WindowRecord record;
    record.widget = widget;
    record.dialog = this;
    m_hWnd = RegisterWindow(record);
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this)
        g_mainWindow.store(m_hWnd);

    QWidget* previous = nullptr;
    std::vector<QWidget*> children;
    for (const ControlTemplate& control : dialogTemplate->controls) {
        QWidget* child = CreateControl(control, widget);
        children.push_back(child);
        child->setGeometry(units.ToX(control.x), units.ToY(control.y), units.ToX(control.cx),
                           units.ToY(control.cy));
        child->setVisible(control.visible);
        // A label whose text is wider than its rectangle grows away from its aligned edge rather
        // than clipping the text.
        if (auto* label = qobject_cast<QLabel*>(child)) {
            const int missing = label->sizeHint().width() - label->width();
            if (missing > 0) {
                QRect rect = label->geometry();
                if (control.style & kCenter)
                    rect.adjust(-missing / 2, 0, missing - missing / 2, 0);
                else if (control.style & kAlignRight)
                    rect.setLeft(rect.left() - missing);
                else
                    rect.setRight(rect.right() + missing);
                label->setGeometry(rect);
            }
            // Lines of a multi-line label take the font's line spacing: it grows downwards
            // rather than losing its last line.
            const int below = label->sizeHint().height() - label->height();
            if (label->text().contains(QLatin1Char('\n')) && below > 0)
                label->resize(label->width(), label->height() + below);
        }
        WindowRecord childRecord;
        childRecord.widget = child;
        childRecord.id = control.id;
        childRecord.parent = m_hWnd;
        const HWND childHandle = RegisterWindow(childRecord);
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            const int id = control.id;
            QObject::connect(button, &QAbstractButton::clicked, widget, [widget, id, childHandle] {
                widget->Command(id, LPARAM(childHandle));
            });
        }
        if (previous != nullptr && child->focusPolicy() != Qt::NoFocus)
            QWidget::setTabOrder(previous, child);
        if (child->focusPolicy() != Qt::NoFocus)
            previous = child;
    }

    // As a dialog manager does: the window is created hidden, OnInitDialog fills and places it,
    // and only then is it shown, so that it appears once, where it belongs, with its values.
    m_pImpl->ended.reset();
    PrepareDialogWindow(this, widget);
    // TRUE from OnInitDialog asks for the focus on the first tab stop that can take it.
    if (OnInitDialog()) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            const ControlTemplate& control = dialogTemplate->controls[i];
            if ((control.style & kTabStop) && control.visible && children[i]->isEnabled()) {
                children[i]->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    for (const auto& [id, control] : widget->FinishSetUp()) {
        if (m_pImpl->ended)
            break;
        widget->Command(id, control);
    }
    if (!m_pImpl->ended)
        ShowDialogWindow(widget);
    // The dialog's own loop rather than QDialog::exec, so that an end asked for at any moment,
    // even while the window is being shown, ends it.
    if (!m_pImpl->ended) {
        QEventLoop loop;
        m_pImpl->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        m_pImpl->loop = nullptr;
    }
    const int result = m_pImpl->ended.value_or(0);

    UnregisterWindow(m_hWnd);
    m_hWnd = 0;
    m_pImpl->widget.reset();
    return result;
}

void CDialog::EndDialog(int result) {
    // The end is kept, so that a dialog ended before its loop runs never shows or waits.
    m_pImpl->ended = result;
    if (m_pImpl->widget)
        m_pImpl->widget->done(result);
    if (m_pImpl->loop)
        m_pImpl->loop->exit();
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return FALSE;
    if (id == UINT(IDOK)) {
        OnOK();
        return TRUE;
    }
    if (id == UINT(IDCANCEL)) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? 0 : 1;
    return DefaultWindowProc(m_hWnd, message, wParam, lParam);
}
