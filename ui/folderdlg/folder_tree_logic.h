// The folder tree's decisions on the TreeList's notifications, without a
// window: which expanding notification opens a node (and so lists it), and
// which double click chooses a folder.
#pragma once

#include <cstdint>

// Whether a TVN_ITEMEXPANDING of the action (its low bits: 2 expand, 0
// toggle, others collapse) and the item's current state opens the item. A
// toggle (a click or double click on the box, Ctrl+Space) opens an item
// that is collapsed or only partly expanded, as the TreeList decides it.
bool ExpandingOpens(uint32_t action, uint32_t state);

// Whether a double click with the hit-test flags (the column in the top
// byte) chooses the folder: on its icon or label, and with full-row
// selection anywhere right of them in the row. A double click on the box,
// the indent or a state image only acts on the tree.
bool DoubleClickChooses(uint32_t hitFlags, bool fullRowSelect);
