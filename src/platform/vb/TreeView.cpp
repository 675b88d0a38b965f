#include "TreeView.h"

#include <QScrollBar>

#include <stdexcept>

namespace vb {

QPixmap ImageList::Picture(int index) const
{
    if (index < 1 || index > m_pictures.size())
        return QPixmap();
    return m_pictures.at(index - 1);
}

TreeView::TreeView(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) {
        if (!m_rebuilding && node)
            emit NodeClick(node);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
        // A mouse press reports its node through itemClicked when the button is released.
        if (!m_rebuilding && !m_mousePress && node)
            emit NodeClick(node);
    });
}

void TreeView::mousePressEvent(QMouseEvent *event)
{
    m_mousePress = true;
    QTreeWidget::mousePressEvent(event);
    m_mousePress = false;
}

void TreeView::Clear()
{
    m_rebuilding = true;
    clear();
    m_keys.clear();
    m_lastAdded = nullptr;
    m_rebuilding = false;
}

QIcon TreeView::nodeIcon(int image, int selectedImage) const
{
    if (!m_images)
        return QIcon();
    QIcon icon(m_images->Picture(image));
    if (selectedImage > 0)
        icon.addPixmap(m_images->Picture(selectedImage), QIcon::Selected);
    return icon;
}

QTreeWidgetItem *TreeView::makeNode(NodeKind kind, const QString &key, const QString &text,
                                    int image, int selectedImage) const
{
    if (!key.isEmpty() && m_keys.contains(key.toLower()))
        throw std::invalid_argument("Key is not unique in collection");
    auto *node = new QTreeWidgetItem(QStringList(text));
    node->setData(0, KeyRole, key);
    node->setData(0, KindRole, int(kind));
    node->setData(0, ImageRole, image);
    node->setData(0, SelectedImageRole, selectedImage);
    node->setIcon(0, nodeIcon(image, selectedImage));
    return node;
}

QTreeWidgetItem *TreeView::AddRoot(const QString &key, const QString &text, int image)
{
    QTreeWidgetItem *node = makeNode(NodeKind::Root, key, text, image, 0);
    m_rebuilding = true;
    addTopLevelItem(node);
    m_rebuilding = false;
    if (!key.isEmpty())
        m_keys.insert(key.toLower(), node);
    m_lastAdded = node;
    return node;
}

QTreeWidgetItem *TreeView::AddChild(const QString &relativeKey, NodeKind kind, const QString &key,
                                    const QString &text, int image, int selectedImage)
{
    QTreeWidgetItem *parent = Node(relativeKey);
    if (!parent)
        throw std::invalid_argument("Element not found");
    QTreeWidgetItem *node = makeNode(kind, key, text, image, selectedImage);
    m_rebuilding = true;
    parent->addChild(node);
    m_rebuilding = false;
    if (!key.isEmpty())
        m_keys.insert(key.toLower(), node);
    m_lastAdded = node;
    return node;
}

void TreeView::AddChildren(const QString &relativeKey, NodeKind kind, const QStringList &texts,
                           int image, int selectedImage)
{
    if (texts.isEmpty())
        return;
    QTreeWidgetItem *parent = Node(relativeKey);
    if (!parent)
        throw std::invalid_argument("Element not found");
    // One icon shared by every recipe node, and one insertion for the whole category.
    const QIcon icon = nodeIcon(image, selectedImage);
    QList<QTreeWidgetItem *> nodes;
    nodes.reserve(texts.size());
    for (const QString &text : texts) {
        auto *node = new QTreeWidgetItem(QStringList(text));
        node->setData(0, KindRole, int(kind));
        node->setData(0, ImageRole, image);
        node->setData(0, SelectedImageRole, selectedImage);
        node->setIcon(0, icon);
        nodes.append(node);
    }
    m_rebuilding = true;
    parent->addChildren(nodes);
    m_rebuilding = false;
    m_lastAdded = nodes.last();
}

void TreeView::EnsureVisible(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_rebuilding = true;
    for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        p->setExpanded(true);
    scrollToItem(node);
    m_rebuilding = false;
}

QTreeWidgetItem *TreeView::Node(const QString &key) const
{
    return m_keys.value(key.toLower(), nullptr);
}

QString TreeView::Key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

NodeKind TreeView::Kind(const QTreeWidgetItem *node)
{
    return node ? NodeKind(node->data(0, KindRole).toInt()) : NodeKind::Root;
}

} // namespace vb
