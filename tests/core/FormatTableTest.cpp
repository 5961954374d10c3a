#include <gtest/gtest.h>

#include <string>

#include "core/FormatCodes.h"

using namespace quillory;

TEST(FormatFromExtension, MapsEveryKnownExtension) {
    EXPECT_EQ(FormatFromExtension("qvx"), 5);
    EXPECT_EQ(FormatFromExtension("mzr"), 6);
    EXPECT_EQ(FormatFromExtension("bmp"), 1);
    EXPECT_EQ(FormatFromExtension("jpg"), 0);
    EXPECT_EQ(FormatFromExtension("jpeg"), 0);
    EXPECT_EQ(FormatFromExtension("gif"), 2);
    EXPECT_EQ(FormatFromExtension("tif"), 3);
    EXPECT_EQ(FormatFromExtension("tiff"), 3);
    EXPECT_EQ(FormatFromExtension("pcx"), 4);
    EXPECT_EQ(FormatFromExtension("psd"), 7);
    EXPECT_EQ(FormatFromExtension("png"), -1);
    EXPECT_EQ(FormatFromExtension(""), -1);
    EXPECT_EQ(ExtensionOf("/a.b/Picture.JPEG"), "jpeg");
    EXPECT_EQ(ExtensionOf("/a.b/noext"), "");
}

TEST(FileTypeTable, LookupsAndFilterLists) {
    EXPECT_EQ(FileTypePatterns(3), "*.tif;*.tiff");
    EXPECT_EQ(FileTypePatterns(6), "");
    EXPECT_EQ(FileTypeSaveFlag(4), 0);
    EXPECT_EQ(FileTypeSaveFlag(5), 1);
    EXPECT_EQ(FileTypeSaveFlag(42), 0);
    std::string save = FileTypeFilterList(true);
    EXPECT_EQ(save.find(std::string("pcx\0", 4)), std::string::npos);
    EXPECT_EQ(save.substr(0, 17), std::string("jpg\0*.jpg;*.jpeg\0", 17));
    std::string open = FileTypeFilterList(false);
    EXPECT_NE(open.find(std::string("psd\0*.psd\0", 10)), std::string::npos);
    EXPECT_NE(open.find("모든그림형식"), std::string::npos);
}
