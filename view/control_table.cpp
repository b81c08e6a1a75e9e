#include "view/control_table.h"

#include <algorithm>
#include <array>

#include "form/calculator_form.h"

namespace pelmora::view {
namespace {

constexpr Rgb kCaptionBackground{255, 192, 128};
constexpr Rgb kOptionBackground{192, 255, 192};

// The fixed controls. The value fields are added by ControlTable from the grid below.
constexpr ControlSpec kFixedControls[] = {
    {"Label1", 0, ControlKind::Label, 960, 0, 5055, 375,
     "Геометрия - изчисляване на прав кръгов конус", kCaptionBackground, 2},
    {"Label1", 1, ControlKind::Label, 1560, 480, 975, 375, "R", kCaptionBackground, 6},
    {"Label1", 2, ControlKind::Label, 2520, 480, 975, 375, "L", kCaptionBackground, 7},
    {"Label1", 3, ControlKind::Label, 3480, 480, 975, 375, "So", kCaptionBackground, 8},
    {"Label1", 4, ControlKind::Label, 4440, 480, 975, 375, "Sp", kCaptionBackground, 9},
    {"Option1", 0, ControlKind::OptionButton, 120, 840, 1455, 375, "Вариант 1", kOptionBackground,
     3},
    {"Option1", 1, ControlKind::OptionButton, 120, 1200, 1455, 375, "Вариант 2", kOptionBackground,
     4},
    {"Option1", 2, ControlKind::OptionButton, 120, 1560, 1455, 375, "Вариант 3", kOptionBackground,
     5},
    {"Option1", 3, ControlKind::OptionButton, 120, 1920, 1455, 375, "Вариант 4", kOptionBackground,
     22},
    {"Option1", 4, ControlKind::OptionButton, 120, 2280, 1455, 375, "Вариант 5", kOptionBackground,
     29},
    {"Option1", 5, ControlKind::OptionButton, 120, 2640, 1455, 375, "Вариант 6", kOptionBackground,
     34},
    {"Command1", 0, ControlKind::PushButton, 5520, 840, 1215, 375, "Изчисли", Rgb{128, 255, 128},
     27},
    {"Command1", 1, ControlKind::PushButton, 5520, 2640, 1215, 375, "Изчисти", Rgb{255, 0, 0}, 28},
    {"Text1", 0, ControlKind::TaskStatement, 120, 3240, 6615, 1815, {}, std::nullopt, 0},
};

// The field grid: field n in row n / 4 and column n % 4, on a 960 × 360 twip pitch. Tab
// indexes run on from 10 in field order, with the option and push buttons slotted in
// before rows 3, 4 and 5.
constexpr int kFieldLeft = 1560, kFieldTop = 840, kFieldWidth = 975, kFieldHeight = 405;
constexpr int kColumnPitch = 960, kRowPitch = 360;
constexpr std::array<int, 6> kRowTabSkip{0, 0, 0, 1, 4, 5};

}  // namespace

const std::vector<ControlSpec>& ControlTable() {
    static const std::vector<ControlSpec> table = [] {
        std::vector<ControlSpec> controls(std::begin(kFixedControls), std::end(kFixedControls));
        for (int field = 0; field < form::kFieldCount; ++field) {
            const int row = field / cone::kQuantityCount;
            const int column = field % cone::kQuantityCount;
            controls.push_back({"Text2",
                                field,
                                ControlKind::ValueField,
                                kFieldLeft + kColumnPitch * column,
                                kFieldTop + kRowPitch * row,
                                kFieldWidth,
                                kFieldHeight,
                                {},
                                std::nullopt,
                                10 + field + kRowTabSkip[static_cast<std::size_t>(row)],
                                form::IsComputed(field)});
        }
        return controls;
    }();
    return table;
}

std::string ControlName(const ControlSpec& control) {
    return std::string(control.array) + "_" + std::to_string(control.index);
}

const ControlSpec* FindControl(std::string_view array, int index) {
    const auto& table = ControlTable();
    const auto found = std::find_if(table.begin(), table.end(), [&](const ControlSpec& row) {
        return row.array == array && row.index == index;
    });
    return found == table.end() ? nullptr : &*found;
}

int TwipsToPixels(int twips, int dpi) {
    // Rounds half away from zero, as Windows' MulDiv does.
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : (scaled - half) / kTwipsPerInch);
}

PixelRect ControlRect(const ControlSpec& control, int dpi) {
    const int left = TwipsToPixels(control.left, dpi);
    const int top = TwipsToPixels(control.top, dpi);
    return {left, top, TwipsToPixels(control.left + control.width, dpi) - left,
            TwipsToPixels(control.top + control.height, dpi) - top};
}

PixelRect ClientRect(int dpi) {
    return {0, 0, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
}

std::string AccessibleName(int field) {
    const ControlSpec* option = FindControl("Option1", field / cone::kQuantityCount);
    const ControlSpec* column = FindControl("Label1", field % cone::kQuantityCount + 1);
    if (!option || !column || field < 0) return {};
    return std::string(option->caption) + ", " + std::string(column->caption);
}

std::vector<const ControlSpec*> TabChain() {
    std::vector<const ControlSpec*> chain;
    for (const ControlSpec& row : ControlTable()) {
        if (row.kind != ControlKind::Label) chain.push_back(&row);
    }
    std::sort(chain.begin(), chain.end(),
              [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return chain;
}

const std::string_view kTaskStatement =
    "Едно ирационално число - НЕ може да се представи като дроб, имаща едновременно  за "
    "числител и знаменател цели числа.\r\n"
    "Числото на Лудолф е ирационално число със стойност pi =3.1415...  Неговата стойност е "
    "различна от константата на Архимед 22/7, което е периодично число.\r\n"
    "Да се състави проект, чрез който се използват междупредметни връзки между Геометрия и "
    "Информатика.\r\n"
    "Тема на проекта: Геометрия - изчисляване на прав кръгов конус\r\n"
    "Чрез проекта да се изчислява прав кръгов конус по зададени два параметъра от набора: "
    "радиус на основата, образувателна, околна и пълна повърхнина на конус. \r\n"
    "Съобразно избраната начална комбинация от параметри на потребителя да се "
    "разрешава/забранява въвеждането на другите два параметъра. \r\n"
    "Да се използват радиобутони за определяне на началната комбинация от параметри и да се "
    "извеждат изчислените два параметъра на правия кръгов конус.\r\n"
    "Прочетете допълнителен материал за прав кръгов конус и връзката между параметри като: "
    "радиус на основата, образувателна, околна и пълна повърхнина\r\n";

}  // namespace pelmora::view
