#pragma once

#include "TestSupport.h"
#include "platform/vb/ListBox.h"
#include "platform/vb/TextBox.h"
#include "platform/vb/TreeView.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QTemporaryDir>

// The controls the recipe routines work on, without the window around them.
struct StoreFixture
{
    QTemporaryDir dir;
    vb::TreeView tree;
    vb::ListBox list;
    vb::ImageList images;
    vb::LineTextBox text1, text2;
    vb::MemoTextBox text3, text4;
    RecipeBas::View view;

    StoreFixture()
    {
        for (int i = 0; i < 4; ++i) {
            QPixmap p(16, 16);
            p.fill(QColor::fromHsv(i * 60, 200, 200));
            images.Add(p);
        }
        view = {&tree, &list, &images, &text1, &text2, &text3, &text4};
        RecipeBas::view = &view;
        RecipeBas::DataPath = QDir(dir.path()).filePath(QStringLiteral("Recipe"));
    }
    ~StoreFixture()
    {
        RecipeBas::ResetState();
        RecipeBas::view = nullptr;
    }
    QString file() const { return RecipeBas::DataPath + QStringLiteral(".mdb"); }
    void make(const QList<kxtest::Category> &categories) { kxtest::makeDatabase(file(), categories); }
    void setBoxes(const QString &a, const QString &b, const QString &c, const QString &d)
    {
        text1.SetText(a);
        text2.SetText(b);
        text3.SetText(c);
        text4.SetText(d);
    }
    QStringList boxes() const { return {text1.Text(), text2.Text(), text3.Text(), text4.Text()}; }
    // The tree as lines: "name" for categories, "  name" for recipes, every category's recipes
    // made into nodes first.
    QStringList treeLines()
    {
        QStringList lines;
        QTreeWidgetItem *root = tree.topLevelItem(0);
        if (!root)
            return lines;
        lines.append(root->text(0));
        for (int c = 0; c < root->childCount(); ++c) {
            tree.RealizeChildren(root->child(c));
            lines.append(QStringLiteral("- ") + root->child(c)->text(0));
            for (int r = 0; r < root->child(c)->childCount(); ++r)
                lines.append(QStringLiteral("  * ") + root->child(c)->child(r)->text(0));
        }
        return lines;
    }
};

inline kxtest::Row row(const QVariant &name, const QVariant &author = QStringLiteral("A "),
                       const QVariant &ingredients = QStringLiteral("I "),
                       const QVariant &instructions = QStringLiteral("S "))
{
    return {name, author, ingredients, instructions};
}
