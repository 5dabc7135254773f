#pragma once
// The about box of the runtime window, its tray icon and the setup window.

#include "runtime/Hoxel.h"

class QWidget;

namespace quorvane {

/// The lines of the about box: name and version, description, licence, configuration file, device.
QString AboutText(const AboutInfo& info);

/// Opens the about box over `parent` without blocking; it deletes itself when closed.
void ShowAboutBox(QWidget* parent, const AboutInfo& info);

/// Shows the about box as a splash screen: no button, no caption, not blocking. The caller deletes it.
QWidget* ShowSplash(const AboutInfo& info);

} // namespace quorvane
