#pragma once

#include "formats/FormatRecipe.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>

namespace formats {

// The mapping between a schema.org Recipe and a recipe record, the same both ways:
//   name                   <-> Name
//   author                 <-> Author (a text, a Person or Organization by its name, a list
//                              of them joined by ", "; written as one Person)
//   recipeIngredient       <-> Ingredients, one entry a line
//   recipeYield, prepTime,  -> "Yield: ...", "Prep time: ...", "Cook time: ...",
//   cookTime, totalTime        "Total time: ..." lines at the head of the Instructions
//   recipeInstructions     <-> the rest of the Instructions: a text, or steps (HowToStep) one
//                              a line, each section (HowToSection) under its name
//   recipeCategory         <-> the categories
// HTML in values is made text (HtmlText). A recipe is written with its instructions as one
// text and its yield and times also in their own properties, so that reading it back gives
// exactly the four fields it was written from.
namespace SchemaOrgRecipe {

// Every Recipe in a JSON value: itself, inside "@graph", in arrays, at any depth.
void Collect(const QJsonValue &value, QList<QJsonObject> &recipes, int depth = 0);
bool IsRecipe(const QJsonObject &object);
FormatRecipe FromJson(const QJsonObject &object);
QJsonObject ToJson(const FormatRecipe &recipe);

} // namespace SchemaOrgRecipe

} // namespace formats
