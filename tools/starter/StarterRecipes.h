#pragma once

#include <QList>
#include <QString>

struct StarterRecipe
{
    QString name, author, ingredients, instructions;
};

struct StarterCategory
{
    QString name;
    QList<StarterRecipe> recipes;
};

// The categories and recipes a new user finds in the program, and the placeholder category.
QList<StarterCategory> starterCategories();
