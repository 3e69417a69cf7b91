#include "windows/DelayWidget.h"

#include "app/TolmAppBase.h"

namespace {

constexpr int kDelayDialogId = 1000;

} // namespace

DelayWidget::DelayWidget(int updates) : BaseWindow(nullptr, kDelayDialogId, false, "", "", ""), counter(updates)
{
    Resize(0, 0, Tolm::gTolmApp->width, Tolm::gTolmApp->height);
}

void DelayWidget::Update()
{
    BaseWindow::Update();
    if (--counter <= 0) {
        result = 0;
    }
}

void DelayWidget::Draw(Tolm::Graphics* /*g*/) {}

void DelayWidget::PlayShowSound() {}

int DelayModal(int updates)
{
    return (new DelayWidget(updates))->ShowModal();
}
