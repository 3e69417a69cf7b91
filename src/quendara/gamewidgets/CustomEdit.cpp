#include "gamewidgets/CustomEdit.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// The text's indent from the slot's left edge.
constexpr int kTextIndent = 20;

} // namespace

CustomEdit::CustomEdit(int id, Tolm::EditListener* listener)
    : Tolm::EditWidget(id, listener), slot(GetImageById("UI_PROFILE_EDIT_SLOT"))
{
    SetFont(GetFontById("FONT_PROFILE_EDIT"));
    maxChars = kMaxNameChars;
    SetColor(ColorBackground, Tolm::Color(0, 0, 0, 0));
    SetColor(ColorOutline, Tolm::Color(0, 0, 0, 0));
    SetColor(ColorText, Tolm::Color::White);
    SetColor(ColorHilite, Tolm::Color(0, 0, 0, 80));
    SetColor(ColorHiliteText, Tolm::Color(0, 0, 0, 80));
    if (slot) {
        Resize(x, y, slot->GetWidth(), slot->GetHeight());
    }
}

void CustomEdit::ProcessKey(int keyCode, char ch)
{
    // Through an unsigned byte: characters above 127 are no letters here and stay as they are.
    unsigned char byte = static_cast<unsigned char>(ch);
    if (byte >= 'a' && byte <= 'z') {
        byte = static_cast<unsigned char>(byte - 'a' + 'A');
    }
    Tolm::EditWidget::ProcessKey(keyCode, static_cast<char>(byte));
}

void CustomEdit::MouseEnter() {}

void CustomEdit::MouseLeave() {}

void CustomEdit::Draw(Tolm::Graphics* g)
{
    g->DrawImage(slot, 0, 0);
    g->Translate(kTextIndent, 0);
    Tolm::EditWidget::Draw(g);
    g->Translate(-kTextIndent, 0);
}
