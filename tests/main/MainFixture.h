#pragma once

#include "TestSupport.h"
#include "controls/xpcmdbutton.h"
#include "main/MainForm.h"
#include "platform/vb/TextBox.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidgetItem>
#include <QtTest>

#include <memory>

// The real main window on a real database in a temporary folder; every dialog is answered and
// recorded.
struct MainFixture
{
    QTemporaryDir dir;
    kxtest::DialogRecorder dialogs;
    std::unique_ptr<MainForm> form;

    QString file() const { return QDir(dir.path()).filePath(QStringLiteral("Recipe.mdb")); }

    void open(const QList<kxtest::Category> &categories)
    {
        kxtest::makeDatabase(file(), categories);
        start();
    }
    void start()
    {
        form = std::make_unique<MainForm>(dir.path());
        form->Form_Load();
        form->show();
        QCoreApplication::processEvents();
    }
    ~MainFixture()
    {
        if (form)
            form->close();
    }

    QTreeWidgetItem *root() const { return form->Tv->topLevelItem(0); }
    QTreeWidgetItem *category(const QString &name) const
    {
        for (int i = 0; root() && i < root()->childCount(); ++i)
            if (root()->child(i)->text(0) == name)
                return root()->child(i);
        return nullptr;
    }
    QTreeWidgetItem *recipe(const QString &cat, int index) const
    {
        QTreeWidgetItem *c = category(cat);
        if (c)
            form->Tv->RealizeChildren(c);
        return c && index < c->childCount() ? c->child(index) : nullptr;
    }
    void clickNode(QTreeWidgetItem *node)
    {
        QVERIFY(node);
        form->Tv->scrollToItem(node);
        const QRect r = form->Tv->visualItemRect(node);
        QTest::mouseClick(form->Tv->viewport(), Qt::LeftButton, {}, r.center());
    }
    void click(xpcmdbutton *button) { emit button->Click(); }
    void type(const QString &name, const QString &author, const QString &ingredients,
              const QString &instructions)
    {
        form->Text1->SetText(name);
        form->Text2->SetText(author);
        form->Text3->SetText(ingredients);
        form->Text4->SetText(instructions);
    }
    QStringList boxes() const
    {
        return {form->Text1->Text(), form->Text2->Text(), form->Text3->Text(), form->Text4->Text()};
    }
    bool locked() const
    {
        return form->Text1->Locked() && form->Text2->Locked() && form->Text3->Locked() &&
               form->Text4->Locked();
    }
    bool unlocked() const
    {
        return !form->Text1->Locked() && !form->Text2->Locked() && !form->Text3->Locked() &&
               !form->Text4->Locked();
    }
    // The names of the visible mode buttons.
    QStringList modeButtons() const
    {
        QStringList names;
        for (xpcmdbutton *b : {form->Save, form->Cancel, form->saveedited, form->canceledit,
                               form->delcatagroy, form->cancelcata})
            if (b->isVisibleTo(form.get()))
                names.append(b->objectName());
        return names;
    }
    bool treeHasRecipes() const
    {
        for (int i = 0; root() && i < root()->childCount(); ++i)
            if (form->Tv->ChildCount(root()->child(i)) > 0)
                return true;
        return false;
    }
    QList<QStringList> rows(const QString &category) const
    {
        return kxtest::readCategory(file(), category);
    }
};
