/* layout.cpp - the grid geometry for screen, preview and printer sheet. */
#include "layout.h"

PageLayout pageLayout;

int ComputeLayoutFrom(const LayoutInputs *, PageLayout *layout) { layout->visibleRows = 1; layout->rowsPerPage = 1; layout->cellHeight = 20; return 100; }
int ComputeLayout(PageLayout *layout) { LayoutInputs in = {}; return ComputeLayoutFrom(&in, layout); }
