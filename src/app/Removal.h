#pragma once
// Resetting the settings ("/reset", and the first step of "/uninstall").
namespace orvane::app {

// Removes the window position ("Top", "Left", "Width", "Maximized" of the
// "Main" key) and the whole "Options" key, then says so.
void ResetSettings();

} // namespace orvane::app
