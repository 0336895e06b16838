// Operations of the resource part that the data model calls and that the
// window's share of the control builds. Until it lands they take nothing.
#include "ui/treelist/treelist_internal.h"

void TreeListMakeDefaultColors(TreeListData&) {}
