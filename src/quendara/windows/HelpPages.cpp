#include "windows/HelpPages.h"

#include "app/TolmAppBase.h"
#include "bricks/BoardTypes.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <string>

namespace {

constexpr int kLeft = -1;
constexpr int kCentred = 0;
constexpr int kRight = 1;
constexpr int kBodySpacing = 22;
// Pages 2 and 3 centre their lines on this x.
constexpr int kMiddle = 280;

void Line(Tolm::Graphics* g, const char* id, int x, int y, int justification)
{
    g->DrawTextLine(Tolm::GetLocalizedText(id), x, y, -1, justification);
}

void Block(Tolm::Graphics* g, const char* id, const Tolm::Rect& box, int lineSpacing, int justification)
{
    g->DrawWrappedText(box, Tolm::GetLocalizedText(id), lineSpacing, justification);
}

void Picture(Tolm::Graphics* g, const char* id, int x, int y)
{
    if (Tolm::Image* image = GetImageById(id)) {
        g->DrawImage(image, x, y);
    }
}

int WidthOf(const char* id)
{
    Tolm::Image* image = GetImageById(id);
    return image ? image->GetWidth() : 0;
}

void DrawResources(Tolm::Graphics* g)
{
    struct Column
    {
        const char* name;
        const char* icon;
    };
    constexpr int kColumnWidth = 133;
    const Column columns[] = {{"lab_help_gold_name", "PANEL_TOP_GOLD"},
                              {"lab_help_food_name", "PANEL_TOP_FOOD"},
                              {"lab_help_supplies_name", "PANEL_TOP_SUPPLIES"}};
    g->Translate(80, 0);
    for (int i = 0; i < 3; ++i) {
        // 67, 200 and 333: the columns' middles.
        Line(g, columns[i].name, 67 + i * kColumnWidth, 30, kCentred);
        Picture(g, columns[i].icon, (kColumnWidth - WidthOf(columns[i].icon)) / 2 + i * kColumnWidth, 36);
    }
    g->Translate(-80, 0);
}

void DrawBonusBricks(Tolm::Graphics* g)
{
    constexpr int kColumnWidth = 80;
    g->Translate(80, 0);
    for (int type = kBrickHammer; type <= kBrickDestroy; ++type) {
        Tolm::Image* image = nullptr;
        // A type without a picture keeps its column, empty.
        if (GetBrickImage(type, image)) {
            int column = (type - kBrickHammer) * kColumnWidth;
            g->DrawImage(image, column + (kColumnWidth - image->GetWidth()) / 2, 230);
        }
    }
    g->Translate(-80, 0);
}

} // namespace

void HelpPage1::Draw(Tolm::Graphics* g)
{
    g->PushState();
    g->Translate(-kHelpPageX, -kHelpPageY);
    g->SetFont(GetFontById("FONT_WINDOW_TEXT"));
    g->SetColor(Tolm::Color::White);
    Picture(g, "IMAGE_HELP_ITEM1", 70, 115);
    Picture(g, "IMAGE_HELP_ITEM2", 180, 245);
    Picture(g, "IMAGE_HELP_ITEM3", 70, 375);
    Block(g, "lab_help_rule1", Tolm::Rect(218, 118, 435, 105), kBodySpacing, kLeft);
    Block(g, "lab_help_rule2", Tolm::Rect(326, 245, 330, 105), kBodySpacing, kLeft);
    Block(g, "lab_help_rule3", Tolm::Rect(218, 380, 435, 105), kBodySpacing, kLeft);
    g->PopState();
}

void HelpPage2::Draw(Tolm::Graphics* g)
{
    g->PushState();
    g->SetFont(GetFontById("FONT_WINDOW_TEXT"));
    g->SetColor(Tolm::Color::White);
    Line(g, "lab_help_resources", kMiddle, 0, kCentred);
    DrawResources(g);
    Block(g, "lab_help_resources_text", Tolm::Rect(25, 80, 510, 90), kBodySpacing, kCentred);
    Line(g, "lab_help_bonuses", kMiddle, 200, kCentred);
    DrawBonusBricks(g);
    Block(g, "lab_help_bonuses_text", Tolm::Rect(25, 280, 510, 60), kBodySpacing, kCentred);
    g->PopState();
}

void HelpPage3::Draw(Tolm::Graphics* g)
{
    constexpr int kRoleX = 270;
    constexpr int kNameX = 290;
    constexpr int kCreditStep = 30;
    g->PushState();
    g->SetColor(Tolm::Color::White);
    Tolm::Image* studio = GetImageById("IMAGE_TARVEL_STUDIO");
    int studioWidth = studio ? studio->GetWidth() : 0;
    int y = (studio ? studio->GetHeight() : 0) - 10;
    if (studio) {
        g->DrawImage(studio, (560 - studioWidth) / 2, -10);
    }
    if (!Tolm::gTolmApp->GetBoolProperty("hide_links", false)) {
        g->SetFont(GetFontById("FONT_HINT_WINDOW_TEXT"));
        Block(g, "lab_tarvel_annotation", Tolm::Rect(75, y, 410, 40), 18, kCentred);
        y += 60;
        Line(g, "lab_tarvel_site", kMiddle, y, kCentred);
    }
    y += 30;
    g->SetFont(GetFontById("FONT_WINDOW_TEXT"));
    Line(g, "lab_credits", kMiddle, y, kCentred);
    g->SetFont(GetFontById("FONT_HINT_WINDOW_TEXT"));
    y += 30;
    struct Credit
    {
        const char* role;
        const char* name;
    };
    const Credit credits[] = {
        {"lab_help_project_leader", "lab_name_torvik"},
        {"lab_help_programming", "lab_name_torvik"},
        {"lab_help_art", "lab_name_art1"},
        {nullptr, "lab_name_art2"},
        {"lab_help_modelling", "lab_name_modelling"},
        {"lab_help_music", "lab_name_music"},
    };
    for (const Credit& credit : credits) {
        if (credit.role) {
            Line(g, credit.role, kRoleX, y, kRight);
        }
        Line(g, credit.name, kNameX, y, kLeft);
        y += kCreditStep;
    }
    g->PopState();
}
