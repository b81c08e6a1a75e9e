#include <set>
#include <string>

#include <gtest/gtest.h>

#include "view/control_table.h"

namespace pelmora::view {
namespace {

TEST(ControlTable, NamesAreUniqueAndEveryFieldAppearsOnce) {
    std::set<std::string> names;
    std::set<int> fields;
    for (const ControlSpec& row : ControlTable()) {
        EXPECT_TRUE(names.insert(ControlName(row)).second) << ControlName(row);
        if (row.kind == ControlKind::ValueField) fields.insert(row.index);
    }
    EXPECT_EQ(names.size(), 5u + 6u + 2u + 1u + 24u);
    EXPECT_EQ(fields.size(), 24u);
    EXPECT_EQ(*fields.begin(), 0);
    EXPECT_EQ(*fields.rbegin(), 23);
}

TEST(ControlTable, ComputedFieldsAreEachRowsTwoResults) {
    std::set<int> computed;
    for (const ControlSpec& row : ControlTable()) {
        if (!row.computed) continue;
        EXPECT_EQ(row.kind, ControlKind::ValueField) << ControlName(row);
        computed.insert(row.index);
    }
    EXPECT_EQ(computed, (std::set<int>{2, 3, 5, 7, 8, 10, 12, 15, 17, 18, 20, 21}));
}

TEST(ControlTable, TabIndexesAreUniqueAndSkipOnlyOne) {
    std::set<int> indexes;
    for (const ControlSpec& row : ControlTable())
        EXPECT_TRUE(indexes.insert(row.tabIndex).second);
    std::set<int> expected;
    for (int i = 0; i <= 38; ++i) {
        if (i != 1) expected.insert(i);
    }
    EXPECT_EQ(indexes, expected);
}

TEST(ControlTable, GeometryIsWholePixelsInsideTheWindow) {
    for (const ControlSpec& row : ControlTable()) {
        SCOPED_TRACE(ControlName(row));
        for (const int twips : {row.left, row.top, row.width, row.height}) {
            EXPECT_EQ(twips % kTwipsPerPixel, 0);
        }
        EXPECT_LE(row.left + row.width, kClientWidth);
        EXPECT_LE(row.top + row.height, kClientHeight);
    }
}

// Each field lines up with its row's option button and stands under its column's caption.
TEST(ControlTable, FieldGridLinesUpWithOptionsAndCaptions) {
    const auto find = [](std::string_view array, int index) {
        for (const ControlSpec& row : ControlTable()) {
            if (row.array == array && row.index == index) return row;
        }
        ADD_FAILURE() << array << ' ' << index;
        return ControlSpec{};
    };
    for (int field = 0; field < 24; ++field) {
        const ControlSpec text = find("Text2", field);
        EXPECT_EQ(text.top, find("Option1", field / 4).top) << field;
        EXPECT_EQ(text.left, find("Label1", field % 4 + 1).left) << field;
        EXPECT_EQ(text.width, 975);
        EXPECT_EQ(text.height, 405);
    }
    EXPECT_EQ(find("Text2", 12).tabIndex, 23);
    EXPECT_EQ(find("Text2", 16).tabIndex, 30);
    EXPECT_EQ(find("Text2", 23).tabIndex, 38);
}

struct ScaleCase {
    int dpi;
    PixelRect client;
    PixelRect field5;  // Text2_5: left 2520, top 1200, 975 x 405 twips
};

// Twips are 1/1440 inch; halves round away from zero, as Windows' MulDiv does.
const ScaleCase kScales[] = {
    {96, {0, 0, 454, 342}, {168, 80, 65, 27}},
    {120, {0, 0, 568, 428}, {210, 100, 81, 34}},
    {144, {0, 0, 681, 513}, {252, 120, 98, 41}},
    {192, {0, 0, 908, 684}, {336, 160, 130, 54}},
};

TEST(ControlRect, MapsTwipsForEachDpi) {
    for (const ScaleCase& c : kScales) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(ClientRect(c.dpi), c.client);
        EXPECT_EQ(ControlRect(*FindControl("Text2", 5), c.dpi), c.field5);
        // Edges are mapped, not sizes: a field's right edge is where its twips end.
        for (const ControlSpec& row : ControlTable()) {
            const PixelRect rect = ControlRect(row, c.dpi);
            EXPECT_EQ(rect.x + rect.width, TwipsToPixels(row.left + row.width, c.dpi))
                << ControlName(row);
        }
    }
}

TEST(ControlTable, TaskStatementIsEightLinesOf1023Characters) {
    const std::u8string_view bytes(reinterpret_cast<const char8_t*>(kTaskStatement.data()),
                                   kTaskStatement.size());
    int characters = 0;
    for (const char8_t byte : bytes)
        characters += (byte & 0xC0) != 0x80;
    EXPECT_EQ(characters, 1023);
    int lines = 0;
    for (std::size_t at = kTaskStatement.find("\r\n"); at != std::string_view::npos;
         at = kTaskStatement.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 8);
    EXPECT_TRUE(kTaskStatement.ends_with("повърхнина\r\n"));
    EXPECT_NE(kTaskStatement.find("едновременно  за"), std::string_view::npos);
    EXPECT_NE(kTaskStatement.find("3.1415...  Неговата"), std::string_view::npos);
}

}  // namespace
}  // namespace pelmora::view
