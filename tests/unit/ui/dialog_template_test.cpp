#include "ui/dialog_template.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

// MS Sans Serif 8 point on a 96 dpi screen: 6 x 13 pixels.
constexpr DialogBaseUnits kClassicUnits{6, 13};

TEST(DialogUnits, ConvertWithTheAverageCharacterSize) {
    EXPECT_EQ(dialogXToPixels(228, kClassicUnits), 342);
    EXPECT_EQ(dialogYToPixels(190, kClassicUnits), 309);  // 308.75
    EXPECT_EQ(dialogXToPixels(325, kClassicUnits), 488);  // 487.5 rounds up
    EXPECT_EQ(dialogYToPixels(213, kClassicUnits), 346);  // 346.125
    EXPECT_EQ(dialogXToPixels(4, {7, 15}), 7);
    EXPECT_EQ(dialogYToPixels(8, {7, 15}), 15);
    EXPECT_EQ(dialogXToPixels(0, kClassicUnits), 0);
    EXPECT_EQ(dialogXToPixels(-3, kClassicUnits), -5);  // -4.5 rounds away from zero
    EXPECT_EQ(dialogXToPixels(10, {0, 0}), 0);
}

TEST(DialogUnits, ConvertEachValueOfARectangleOnItsOwn) {
    const PixelRect r = dialogToPixels({97, 169, 32, 14}, kClassicUnits);
    EXPECT_EQ(r.x, 146);  // 145.5
    EXPECT_EQ(r.y, 275);  // 274.625
    EXPECT_EQ(r.width, 48);
    EXPECT_EQ(r.height, 23);  // 22.75
}

TEST(DialogUnits, AverageCharWidthRoundsTheAlphabetWidth) {
    EXPECT_EQ(averageCharWidth(52 * 6), 6);
    EXPECT_EQ(averageCharWidth(52 * 6 + 25), 6);
    EXPECT_EQ(averageCharWidth(52 * 6 + 26), 7);
    EXPECT_EQ(averageCharWidth(0), 0);
}

TEST(DialogTemplates, AboutKeepsNameAndRightsInsideTheSunkenFrame) {
    const DialogTemplate* about = findDialogTemplate(IDD_ABOUT_WINDOW);
    ASSERT_NE(about, nullptr);
    const DialogControl* frame = nullptr;
    for (const DialogControl& c : about->controls)
        if (c.kind == ControlKind::sunkenFrame) frame = &c;
    ASSERT_NE(frame, nullptr);
    for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_RIGHTS}) {
        const DialogControl* c = findControl(*about, id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_GT(c->rect.x, frame->rect.x);
        EXPECT_GT(c->rect.y, frame->rect.y);
        EXPECT_LT(c->rect.x + c->rect.width, frame->rect.x + frame->rect.width) << id;
        EXPECT_LT(c->rect.y + c->rect.height, frame->rect.y + frame->rect.height) << id;
    }
    EXPECT_EQ(about->controls.front().kind, ControlKind::icon);
}

TEST(DialogTemplates, HelpPutsTheDefaultCloseButtonFirst) {
    const DialogTemplate* help = findDialogTemplate(IDD_HELP_WINDOW);
    ASSERT_NE(help, nullptr);
    // The first control is the first tab stop, which gets the focus when the window opens.
    ASSERT_EQ(help->controls.size(), 2u);
    EXPECT_EQ(help->controls[0].id, IDCANCEL);
    EXPECT_EQ(help->controls[0].kind, ControlKind::defaultButton);
    EXPECT_EQ(help->controls[1].kind, ControlKind::textBox);
}

TEST(DialogTemplates, EveryControlLiesInsideItsWindow) {
    for (const DialogTemplate& dialog : dialogTemplates()) {
        for (const DialogControl& c : dialog.controls) {
            EXPECT_GE(c.rect.x, 0) << dialog.id << "/" << c.id;
            EXPECT_GE(c.rect.y, 0) << dialog.id << "/" << c.id;
            EXPECT_LE(c.rect.x + c.rect.width, dialog.width) << dialog.id << "/" << c.id;
            EXPECT_LE(c.rect.y + c.rect.height, dialog.height) << dialog.id << "/" << c.id;
        }
    }
    EXPECT_EQ(findDialogTemplate(1003 + 100), nullptr);
}

}  // namespace
}  // namespace vexa
