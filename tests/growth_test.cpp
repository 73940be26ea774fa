/* growth_test.cpp - the Catalogue and the DisplayList grow by doubling: filling
 * either with many records costs one heap call per record and only a handful of
 * array growths, and every record is kept in order. */
#include <gtest/gtest.h>

#include "app/faults.h"
#include "app/settings.h"
#include "catalogue/fontlist.h"

TEST(Growth, ManyRecordsCostOneHeapCallEachAndALogarithmicNumberOfGrowths)
{
    ResetViewSettings();
    settings.sourceIsDirectory = 1; /* every style of every file is shown */
    FontRecord image = {};
    const int count = 5000;
    ClearFaults();
    for (int i = 0; i < count; i++) {
        snprintf(image.logFont.lfFaceName, LF_FACESIZE, "Face %05d", i);
        ASSERT_EQ(1, AppendFontRecord(&image.logFont, &image.textMetrics, TRUETYPE_FONTTYPE, (LPARAM)&image));
    }
    EXPECT_LE(FaultCalls(FAULT_HEAP) - count, 20) << "growths of the Catalogue's array";
    ClearFaults();
    ASSERT_EQ(1, BuildDisplayList());
    EXPECT_LE(FaultCalls(FAULT_HEAP) - count, 20) << "growths of the DisplayList's array";
    ASSERT_EQ(count, displayList.count);
    EXPECT_STREQ("Face 00000", displayList.records[0]->logFont.lfFaceName);
    EXPECT_STREQ("Face 04999", displayList.records[count - 1]->logFont.lfFaceName);
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
}
