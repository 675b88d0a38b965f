#include "frmimport.h"

#include "controls/xpcmdbutton.h"
#include "platform/vb/PropertyBag.h"
#include "skin/xp_canvas.h"
#include "store/Import.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

// The window's design, in pixels: the frame covers it; the controls sit inside the frame's
// 29-pixel title bar and 5-pixel borders.
constexpr int Width = 600;
constexpr int Height = 420;
constexpr int Left = 12;
constexpr int Inner = Width - 2 * Left;

} // namespace

frmimport::frmimport(QWidget *owner)
    : SkinnedWindow(QStringLiteral("frmimport"), QStringLiteral("frmimportXP"),
                    QStringLiteral("Import Report"), QSize(Width, Height), owner)
{
    createControls();
    connect(cmdclose, &xpcmdbutton::Click, this, &QWidget::close);
    connect(cmdcopy, &xpcmdbutton::Click, this,
            [this] { QApplication::clipboard()->setText(reportText()); });
}

void frmimport::createControls()
{
    frmimportXP = frame();
    QWidget *c = frmimportXP;

    lblsummary = new QLabel(c);
    lblsummary->setObjectName(QStringLiteral("lblsummary"));
    lblsummary->setGeometry(Left, 38, Inner, 18);
    QFont bold = lblsummary->font();
    bold.setBold(true);
    lblsummary->setFont(bold);

    txtreport = new QPlainTextEdit(c);
    txtreport->setObjectName(QStringLiteral("txtreport"));
    txtreport->setGeometry(Left, 62, Inner, Height - 62 - 44);
    txtreport->setReadOnly(true);
    // Read, selected and copied from the keyboard as with the mouse.
    txtreport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtreport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtreport->setAccessibleName(QStringLiteral("Import report"));

    auto button = [c](const QString &name, const QString &caption, int right, int width) {
        auto *b = new xpcmdbutton(name, c);
        b->setGeometry(Width - right - width, Height - 36, width, 25);
        vb::PropertyBag bag;
        bag.WriteProperty(QStringLiteral("Caption"), caption, name);
        bag.WriteProperty(QStringLiteral("Font"), QFont(QStringLiteral("Arial"), 9));
        b->ReadProperties(bag);
        return b;
    };
    cmdclose = button(QStringLiteral("cmdclose"), QStringLiteral("Close"), Left, 90);
    cmdcopy = button(QStringLiteral("cmdcopy"), QStringLiteral("Copy All"), Left + 100, 90);
    cmdclose->setToolTip(QStringLiteral("Close the report (Esc)"));
    cmdcopy->setToolTip(
        QStringLiteral("Copy the whole report (or select a part and press Ctrl+C)"));
}

void frmimport::ShowReport(const Import::Report &report)
{
    const QString text = report.text();
    const QString summary = text.section(QLatin1Char('\n'), 0, report.ok ? 0 : 1);
    lblsummary->setText(summary);
    // A screen reader hears the summary with the window and the report with its text.
    lblsummary->setAccessibleName(summary);
    setAccessibleDescription(summary);
    txtreport->setPlainText(text);
    txtreport->setAccessibleDescription(summary);
    bringToFront();
    txtreport->setFocus(Qt::OtherFocusReason);
}

QString frmimport::reportText() const
{
    return txtreport->toPlainText();
}
