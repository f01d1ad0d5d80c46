#include "ScreenHost.h"

#include <QWidget>

namespace mfg {
namespace {

ScreenPlacement& Placement()
{
    static ScreenPlacement placement;
    return placement;
}

}  // namespace

void SetScreenPlacement(ScreenPlacement placement) { Placement() = std::move(placement); }

void PlaceScreen(QWidget* screen)
{
    if (Placement()) Placement()(screen);
    else screen->show();
}

}  // namespace mfg
