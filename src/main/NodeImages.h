#pragma once

#include "platform/vb/TreeView.h"

// The four 16 × 16 pictures of the tree's nodes: 1 the root (a book), 2 a category (a closed
// folder), 3 the selected look of categories and recipes (an open folder), 4 a recipe (a card).
void fillNodeImages(vb::ImageList &images);
