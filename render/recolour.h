// render/recolour.h - showing the current counts again under the current colour settings.
#pragma once

void RecolourPicture();
