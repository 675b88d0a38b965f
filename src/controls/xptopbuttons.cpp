#include "xptopbuttons.h"

#include "Assets.h"
#include "SkinButtonAccessible.h"

#include <QAccessible>
#include <QPainter>

#include <array>

namespace {

constexpr int NormalCell = 0;
constexpr int HoverCell = 1;
constexpr int PressedCell = 2;
constexpr int DisabledCell = 3;

const vb::PictureClip *faceStrips()
{
    static const std::array<vb::PictureClip, 4> strips = [] {
        const char *files[4] = {":/buttons/close.png", ":/buttons/maximize.png",
                                ":/buttons/minimize.png", ":/buttons/restore.png"};
        std::array<vb::PictureClip, 4> clips;
        for (int i = 0; i < 4; ++i) {
            const QImage image = kxLoadArtwork(QString::fromLatin1(files[i]));
            if (image.isNull())
                qWarning("xptopbuttons: the artwork %s is missing", files[i]);
            clips[i] =
                vb::PictureClip(image.convertToFormat(QImage::Format_ARGB32_Premultiplied), 1, 4);
        }
        return clips;
    }();
    return strips.data();
}

} // namespace

xptopbuttons::xptopbuttons(const QString &name, QWidget *parent)
    : SkinButton(parent), pc(faceStrips())
{
    SkinButtonAccessible::install();
    setObjectName(name);
    setMouseTracking(true);
    setFixedSize(Size, Size);
    SetValue(0);
    SetEnabled(true);
}

void xptopbuttons::SetValue(int value)
{
    m_value = value;
    ShowButton();
}

bool xptopbuttons::Enabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void xptopbuttons::SetEnabled(bool enabled)
{
    setEnabled(enabled);
    showCell(enabled ? NormalCell : DisabledCell);
}

void xptopbuttons::ReadProperties(const vb::PropertyBag &bag)
{
    m_value = bag.ReadProperty(QStringLiteral("Value"), 0).toInt();
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
}

void xptopbuttons::WriteProperties(vb::PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Value"), m_value, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), Enabled(), true);
}

void xptopbuttons::ShowButton()
{
    if (m_value >= 0 && m_value <= 3 && m_value != m_buttonIndex) {
        m_buttonIndex = m_value;
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    showCell(Enabled() ? NormalCell : DisabledCell);
}

void xptopbuttons::showCell(int cell)
{
    m_cell = cell;
    m_face = pc[m_buttonIndex].GraphicCell(cell);
    update();
}

void xptopbuttons::showStep(Step step)
{
    switch (step) {
    case Step::Pressed:
    case Step::Dragged:
        showCell(PressedCell);
        break;
    case Step::Hovered:
        showCell(HoverCell);
        break;
    case Step::Released:
        showCell(NormalCell);
        break;
    case Step::Left:
        if (Enabled())
            showCell(NormalCell);
        break;
    }
}

void xptopbuttons::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_face);
}

void xptopbuttons::resizeEvent(QResizeEvent *)
{
    // Whatever the container asks for, the button stays the size of its artwork, also when a
    // container has changed its minimum or maximum size.
    if (size() != QSize(Size, Size))
        setFixedSize(Size, Size);
}

void xptopbuttons::showEvent(QShowEvent *)
{
    ShowButton();
}

void ReadTitleBarDesign(xptopbuttons *minimise, xptopbuttons *maximise, xptopbuttons *close)
{
    vb::PropertyBag minimiseBag;
    minimiseBag.WriteProperty(QStringLiteral("Value"), 2, 0);
    minimise->ReadProperties(minimiseBag);
    vb::PropertyBag maximiseBag;
    maximiseBag.WriteProperty(QStringLiteral("Value"), 1, 0);
    maximiseBag.WriteProperty(QStringLiteral("Enabled"), false, true);
    maximise->ReadProperties(maximiseBag);
    close->ReadProperties(vb::PropertyBag());
}
