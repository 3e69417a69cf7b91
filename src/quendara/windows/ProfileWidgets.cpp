#include "windows/ProfileWidgets.h"

#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/Town.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"
#include "windows/ConfirmWindow.h"
#include "windows/InformWindow.h"
#include "windows/ProfileWindows.h"

using Tolm::gTolmApp;

namespace {

constexpr int kRowButton = 1;
constexpr int kButtonY = 12;
constexpr float kHoverSpeed = 0.1f;
// The row's darkening at rest, as an alpha.
constexpr float kRestShade = 40.0f;

// Runs the modal show of the window over the profile window, which steps aside for it and comes back.
int ShowOverProfileWindow(BaseWindow* window)
{
    ProfileWindow* profileWindow = ProfileWindow::RegisteredInstance();
    if (profileWindow) {
        profileWindow->StepAside();
    }
    const int answer = ShowWindowModal(window, 1, 2);
    if (profileWindow) {
        profileWindow->ComeBack();
    }
    return answer;
}

} // namespace

ProfileListener::ProfileListener(baseCallback* callback) : callback(callback)
{
    Resize(-1, -1, 0, 0);
    gTolmApp->widgetManager->AddWidget(this);
}

ProfileListener::~ProfileListener()
{
    if (manager) {
        gTolmApp->widgetManager->RemoveWidget(this);
    }
    delete callback;
}

void ProfileListener::Update()
{
    Tolm::Widget::Update();
    if (disabled || UserProfile::Instance()->GetActiveSlot() != -1) {
        return;
    }
    Tolm::WidgetManager* widgetManager = gTolmApp->widgetManager.get();
    widgetManager->RemoveWidget(this);
    NewProfileWindow* window = NewProfileWindow::Instance();
    window->id = NewProfileWindow::kListenerDialogId;
    window->SetBackButtonVisible(false);
    // The window is gone once shown; the next one is made with its Back button.
    if (ShowWindowModal(window, 1, 2) == 1) {
        SaveNewProfile();
    }
    widgetManager->AddWidget(this);
    if (baseCallback* pending = callback) {
        callback = nullptr;
        pending->Invoke();
        delete pending;
    }
}

void ProfileListener::SaveNewProfile()
{
    // The lowest free slot: a remembered slot that failed to load must not cost slot 0 its profile.
    UserProfile* profile = UserProfile::Instance();
    if (!profile->SaveSlot(profile->GetFreeSlot())) {
        InformProfileNotSaved();
        return;
    }
    Town::Instance()->RefreshBuilt();
}

ProfileUIElement::ProfileUIElement(int slot)
    : slot(slot), button(std::make_unique<Tolm::ButtonWidget>(kRowButton, this)),
      slotImage(GetImageById("UI_PROFILE_SLOT")), maskImage(GetImageById("UI_PROFILE_SLOT_MASK"))
{
    if (slotImage) {
        Resize(x, y, slotImage->GetWidth(), slotImage->GetHeight());
    }
    Tolm::Image* addImage = GetImageById("UI_PROFILE_BUTTON_ADD");
    button->Resize(kButtonX, kButtonY, addImage ? addImage->GetWidth() : 0, addImage ? addImage->GetHeight() : 0);
    AddWidget(button.get());
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    hover.speed = kHoverSpeed;
    SetName(UserProfile::Instance()->GetSlotName(slot));
}

ProfileUIElement::~ProfileUIElement()
{
    RemoveAllWidgets(false, false);
}

void ProfileUIElement::SetName(const std::string& newName)
{
    name = newName;
    button->buttonImage = GetImageById(name.empty() ? "UI_PROFILE_BUTTON_ADD" : "UI_PROFILE_BUTTON_DEL");
    Town::Instance()->RefreshBuilt();
}

void ProfileUIElement::Update()
{
    Tolm::Widget::Update();
    hover.target = isOver ? 0.0f : 1.0f;
}

void ProfileUIElement::UpdateFraction(float dt)
{
    hover.Update(dt);
}

void ProfileUIElement::Draw(Tolm::Graphics* g)
{
    g->DrawImage(slotImage, 0, 0);
    if (Tolm::Font* font = GetFontById("FONT_PROFILE_SLOT")) {
        const int ascent = font->GetAscent();
        const int centreX = NameCentreX(width, button->width);
        g->SetFont(font);
        g->SetColor(Tolm::Color::White);
        g->DrawString(name, centreX - font->StringWidth(name) / 2, (height + ascent - ascent / 6 - 1) / 2 - 2);
    }
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(0, 0, 0, int(hover.current * kRestShade)));
    g->DrawImage(maskImage, 0, 0);
    g->SetTintImages(false);
}

void ProfileUIElement::MouseDown(int x, int y, int mouseButton, int clickCount)
{
    Tolm::Widget::MouseDown(x, y, mouseButton, clickCount);
    UserProfile* profile = UserProfile::Instance();
    if (profile->SwitchToSlot(slot)) {
        SetName(profile->GetSlotName(slot));
        return;
    }
    // A slot that keeps its name failed for want of saving the open profile, not for being free.
    if (!profile->GetSlotName(slot).empty()) {
        InformProfileNotSaved();
        return;
    }
    AddProfile();
}

void ProfileUIElement::ButtonClicked(int id)
{
    if (id != kRowButton) {
        return;
    }
    if (name.empty()) {
        AddProfile();
    } else {
        DeleteProfile();
    }
}

void ProfileUIElement::AddProfile()
{
    NewProfileWindow* window = NewProfileWindow::Instance();
    window->id = NewProfileWindow::kSlotRowDialogId;
    window->SetBackButtonVisible(true);
    if (ShowOverProfileWindow(window) != 1) {
        return;
    }
    UserProfile* profile = UserProfile::Instance();
    if (profile->SaveSlot(slot)) {
        SetName(profile->GetSlotName(slot));
        return;
    }
    SetName(std::string());
    InformProfileNotSaved();
}

void ProfileUIElement::DeleteProfile()
{
    ConfirmWindow* confirm = ConfirmWindow::Instance();
    confirm->SetText(Tolm::GetLocalizedText("delete_profile_question"));
    if (ShowOverProfileWindow(confirm) != 1) {
        return;
    }
    UserProfile* profile = UserProfile::Instance();
    if (profile->DeleteSlot(slot)) {
        SetName(std::string());
        profile->LoadFirstValidSlot();
    } else {
        ShowInformMessage(Tolm::GetLocalizedText("cant_delete_profile"));
    }
    Town::Instance()->RefreshBuilt();
}
